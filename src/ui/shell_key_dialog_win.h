#pragma once
// The shell-key dialog (TFr5): a key of the shell's table, its action type and its parameter.
#include <windows.h>

#include <vector>

#include "syskeys/shell_keys.h"

namespace tavion {

// Asks for a new shell key (`editedRow` -1) or for a change of row `editedRow` of `rows` over
// `owner`, starting from `data`. OK with a key that another row has asks before replacing it;
// unless the answer is Yes the dialog stays open on the key. Returns whether the user confirmed;
// `data` then holds the choice, with the row to replace in `replacedRow`.
bool ShowShellKeyDialog(HWND owner, const std::vector<ShellKeyRow>& rows, int editedRow,
                        ShellKeyDialogData& data);

}  // namespace tavion
