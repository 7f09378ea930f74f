#pragma once
// The decisions of the "Names of keys" page and of its key-name dialog (TFr3): the texts of a row,
// the count line, and the dialog's checks. Portable.

#include <cstdint>
#include <optional>
#include <string>

#include "keys/hotkey.h"
#include "keys/key_edit.h"

namespace tavion {

class TKeyNames;

// The texts of row `index` of the table: "Name", "Symbol", "Key code".
struct KeyNameRow {
  std::string name;
  std::string symbol;
  std::string keyCode;
};
KeyNameRow KeyNameRowAt(const TKeyNames& table, int index);

// "Total sum of keys - %d".
std::string KeyNamesCountText(int count);

// The key-name dialog's data: in with the entry to edit (or a new one), out with the user's.
struct KeyNameDialogData {
  bool editing = false;  // "Edit key" rather than "Add new key"
  std::string name{"NewExKey"};
  uint32_t key = 0;  // packed, modifier byte 0
  std::string hidText;
  bool hidMode = false;        // the hot-key frame starts in HID mode
  bool rawInputReady = false;  // the HID choice can be taken
  UpOnlyKeys upOnlyKeys{};     // for the capture control
};

// The first check the data fails: the message (in the current language) and the control that
// takes the focus.
struct DialogCheckFailure {
  std::string message;
  std::string control;
};

// Control names of the dialog that a failure can point at.
inline constexpr char kKeyNameEdit[] = "e_name";
inline constexpr char kKeyNameKeyEdit[] = "ke_key";

// The dialog's checks in order: a name, a key, a name no other entry has, a key no other entry
// has. `editedIndex` is the entry being edited (-1 when adding): it may keep its own name and key.
std::optional<DialogCheckFailure> CheckKeyName(const KeyNameDialogData& data,
                                               const TKeyNames& table, int editedIndex);

// The row to select after a deletion at `index` from a table that now has `count` rows.
int RowAfterDeletion(int index, int count);

}  // namespace tavion
