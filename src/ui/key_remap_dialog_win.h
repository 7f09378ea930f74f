#pragma once
// The key-remap dialog (TFr_lay): the key to replace and the key it becomes, each captured by
// pressing it, for a row of the "Keyboard layout" page.
#include <windows.h>

#include "keys/key_edit_win.h"
#include "ui/keyboard_layout_page.h"

namespace tavion {

// Asks over `owner` for the row `data` starts with. CheckKeyRemap keeps the dialog open with the
// focus on the field. Returns whether the user confirmed; `data` then holds the row and whether
// another one is to be added.
bool ShowKeyRemapDialog(HWND owner, const CaptureHooks& hooks, KeyRemapDialogData& data);

}  // namespace tavion
