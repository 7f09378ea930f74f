#pragma once
// The Windows shell's own table of application keys (the browser, mail, media and calculator
// keys of extended keyboards): its names, its rows as stored, and what OK of the shell-key
// dialog changes in it. Portable: the table is read and written through a RegistryStore whose
// root is the AppKey key.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/registry.h"

namespace tavion {

// Below HKEY_LOCAL_MACHINE: one sub-key per key, named by its number in decimal, holding one
// string value named by the action type.
inline constexpr char kAppKeyPath[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AppKey";

struct ShellKeyName {
  std::string_view name;
  int number;  // the shell's application-key number
};

// The eleven keys the dialog offers, in its order.
inline constexpr std::array<ShellKeyName, 11> kShellKeyNames = {{{"iePreview", 1},
                                                                 {"ieNext", 2},
                                                                 {"ieRefresh", 3},
                                                                 {"ieStop", 4},
                                                                 {"Find", 5},
                                                                 {"Favourite", 6},
                                                                 {"ieHome", 7},
                                                                 {"Mail", 15},
                                                                 {"Multimedia", 16},
                                                                 {"My computer", 17},
                                                                 {"Calc", 18}}};

// The action types (value names), in the dialog's order; only the first takes a file to browse.
inline constexpr std::array<std::string_view, 3> kShellKeyTypes = {"ShellExecute", "Association",
                                                                   "RegisteredApp"};

// The index in kShellKeyNames of the entry with `number`; 0 when none has it, so a number the
// table does not know is shown with the first name.
int ShellKeyIndex(int number);

// The number a sub-key's name stands for: decimal digits alone, within int; nullopt otherwise.
std::optional<int> ShellKeyNumber(std::string_view subKey);

// One configured key as stored.
struct ShellKeyRow {
  std::string name;  // the table's name for its number
  int number = 0;
  std::string subKey;     // the sub-key's name as stored ("15", or "015")
  std::string action;     // the name of the sub-key's first value
  std::string parameter;  // that value's text; empty when it holds no string
};

// The rows of `appKey` (a store rooted at the AppKey key) in the registry's order of sub-keys.
// A sub-key whose name is not a number is not the shell's and is left out.
std::vector<ShellKeyRow> ReadShellKeys(const RegistryStore& appKey);

// The first row named `name`, -1 when there is none.
int ShellKeyRowNamed(const std::vector<ShellKeyRow>& rows, std::string_view name);

// "Total sum of keys - %d", in the current language.
std::string ShellKeyCountText(int count);

// The shell-key dialog's data: in with the row to edit (or a new one), out with the user's.
struct ShellKeyDialogData {
  bool editing = false;  // "Edit shell key" rather than "Add shell key"
  int keyIndex = 0;      // in kShellKeyNames
  int typeIndex = 0;     // in kShellKeyTypes; -1 when none is chosen
  std::string parameter;
  // Set by OK: another row that had the chosen key and is replaced (the user said Yes), or -1.
  int replacedRow = -1;
};

// The dialog's start for editing `row`: its key, its action type (none chosen when the stored
// one is not of the three) and its parameter.
ShellKeyDialogData EditShellKeyData(const ShellKeyRow& row);

// The first check the dialog's data fails: the message (in the current language) and the
// control that takes the focus.
struct ShellKeyCheckFailure {
  std::string message;
  std::string control;
};
inline constexpr char kShellKeyCombo[] = "cb_key";
inline constexpr char kShellKeyTypeCombo[] = "cb_action";
std::optional<ShellKeyCheckFailure> CheckShellKeyData(const ShellKeyDialogData& data);

// Another row with the key chosen in `data`: in add mode (`editedRow` -1) any, in edit mode one
// other than `editedRow`. -1 for none. OK asks before it replaces that row.
int ConflictingShellKeyRow(const std::vector<ShellKeyRow>& rows, const ShellKeyDialogData& data,
                           int editedRow);

// "Action for key %s is already appointed, do you want to replace it?", in the current language.
std::string ShellKeyExistsQuestion(std::string_view name);

// What OK changes: the sub-keys deleted first, then the one value written.
struct ShellKeyChange {
  std::vector<std::string> deletions;
  std::string subKey;
  std::string valueName;
  std::string data;
  std::string name;  // the key's name, to select once the list is read again
};

// The change for the confirmed `data`: the edited row and the row replaced go, and the chosen
// key is written anew with the parameter as `expand` gives it (the folder variables
// written out), so that its sub-key holds that one value.
ShellKeyChange PlanShellKeyChange(const std::vector<ShellKeyRow>& rows, int editedRow,
                                  const ShellKeyDialogData& data,
                                  const std::function<std::string(std::string_view)>& expand);

enum class ShellKeyOutcome { kDone, kDeleteFailed, kWriteFailed };

// Makes `change` in `appKey`, stopping at the first step that fails: a value written beside an
// old one that could not be deleted would leave the shell two to choose from.
ShellKeyOutcome ApplyShellKeyChange(RegistryStore& appKey, const ShellKeyChange& change);

// The message for a failed outcome about the key `name`, in the current language; the system
// keeps these keys for the whole computer, so it is most often a question of rights.
std::string ShellKeyFailureText(ShellKeyOutcome outcome, std::string_view name);

}  // namespace tavion
