#pragma once
// The program's one modal message dialog, and the plain system-modal boxes.

#include <windows.h>

#include <string_view>

namespace tavion {

enum class MessageDialogType { Warning, Error, Information, Confirmation };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };

// The window the dialog is centred over while it is visible and not minimised; null for none.
// Set by the main window when it is created and cleared when it goes.
void SetMessageBoxMainWindow(HWND mainWindow);

// Shows `text` (UTF-8) captioned "Tavion" with the buttons' captions from the language
// ("Strings": "ButtonYes", "ButtonNo", "ButtonOK", "ButtonCancel"), in the foreground and
// centred over the main window, and waits for the answer. `icon` is an MB_ICON* value; 0 takes
// the dialog type's own. Returns the pressed button (IDOK, IDCANCEL, IDYES, IDNO), or 0 when no
// box could be shown. Callable from any thread.
int ShowMessageBox(std::string_view text, MessageDialogType type, MessageButtons buttons,
                   UINT icon = 0);

// The system's message box captioned "Tavion", owned by `owner` (may be null), with `flags`
// (for example MB_ICONHAND | MB_SYSTEMMODAL) and the system's own button captions.
int ShowSystemModalBox(HWND owner, std::string_view text, UINT flags);

}  // namespace tavion
