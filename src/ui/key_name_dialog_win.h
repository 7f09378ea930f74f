#pragma once
// The key-name dialog (TFr3): a name and a key for the "Names of keys" table.
#include <windows.h>

#include "keys/key_edit_win.h"
#include "ui/key_names_page.h"

namespace tavion {

class TKeyNames;

// Asks for the name and key of a new entry (`editedIndex` -1) or of entry `editedIndex` of
// `table` over `owner`, with `data` as the start. The checks of CheckKeyName keep the dialog open
// with the focus on the field. Returns whether the user confirmed; `data` then holds the entry.
bool ShowKeyNameDialog(HWND owner, const CaptureHooks& hooks, const TKeyNames& table,
                       int editedIndex, KeyNameDialogData& data);

}  // namespace tavion
