#pragma once
// The user's names for keys that have no usable name from the system (extended keyboard keys,
// mouse buttons, keys of extra HID devices). Portable; stored through a RegistryStore.
//
// One text line per named key: "name=value", the value being the decimal packed key value with
// modifier byte 0, followed for a key of an HID device by the character 1 and its HID text.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "keys/hotkey.h"

namespace tavion {

class RegistryStore;

// Where the table lives below HKEY_CURRENT_USER.
inline constexpr std::string_view kKeyNamesRegistryPath = "Software\\Quillon\\Tavion\\ExKeys";
// The sub-key of the table's key that holds the capture control's ignored HID keys.
inline constexpr std::string_view kIgnoreListKey = "IgnoreList";

class TKeyNames {
 public:
  int Count() const { return static_cast<int>(lines_.size()); }
  void Clear() { lines_.clear(); }
  // Returns false for an index outside the list.
  bool Delete(int index);

  // The parts of line `index`; empty (or 0) for an index outside the list.
  std::string NameAt(int index) const;
  // The number of the line; 0 when it is not a decimal number within 32 bits.
  uint32_t KeyValueAt(int index) const;
  TActionHKey KeyAt(int index) const { return TActionHKey(KeyValueAt(index)); }
  std::string HidTextAt(int index) const;

  // The first index whose key value is SameHotKey with `value`, else -1.
  int IndexOfKey(uint32_t value, bool fullComparison = FullKeysComparison()) const;
  // The first index whose HID text equals `text` exactly, else -1; -1 for an empty text.
  int IndexOfHidText(std::string_view text) const;
  // The index of the entry named `name` (case-insensitive), else -1.
  int IndexOfName(std::string_view name) const;

  // Adds an entry, sorts the list by name and returns the entry's new index. An HID text that is
  // empty or "None" is not stored.
  int AddKey(std::string_view name, uint32_t value, std::string_view hidText);
  // Replaces entry `index` and sorts. Returns false for an index outside the list.
  bool PutKey(int index, std::string_view name, uint32_t value, std::string_view hidText);

  // Replaces the list by the string values of key `path`, in the order the registry enumerates
  // them (of the whole one, when a save was interrupted); by the default table when the key is
  // missing, holds only the ignore list, or `path` is empty.
  void LoadKeyNames(const RegistryStore& registry, std::string_view path);
  // Replaces key `path` by one holding every line as the value "000", "001", ... and the ignore
  // list it held. Crash-safe: an interruption leaves the old or the new table whole. Returns
  // false when a write failed or `path` is empty.
  bool SaveKeyNames(RegistryStore& registry, std::string_view path) const;
  // Replaces the list by the 26 default names (media and browser keys, mouse buttons).
  void LoadDefaultKeyNames();

 private:
  void Sort();

  std::vector<std::string> lines_;
};

// Removes the saved table at `path` (the ignore list stays), so that the defaults load again.
// Returns whether it is gone.
bool DeleteKeyNames(RegistryStore& registry, std::string_view path);

// The one table of the process as it was last changed; never null. Key texts read it on any
// thread: a holder keeps its table unchanged, whatever changes come after.
std::shared_ptr<const TKeyNames> KeyNamesTable();
// Changes the process's table: `change` edits a copy, which then replaces the table for every
// later reader. On the user-interface thread only: of two changes at once, one would be lost.
void ChangeKeyNamesTable(const std::function<void(TKeyNames&)>& change);

}  // namespace tavion
