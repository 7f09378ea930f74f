#pragma once
// Registry-editor files (".reg", "Windows Registry Editor Version 5.00"): the settings backup and
// the key-map file. Portable: the text is made from and read into a RegistryStore.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/registry.h"

namespace tavion {

// The file's bytes for the key `keyPath` of `store` and, with `recurse`, all its sub-keys: UTF-16LE
// with a byte-order mark, CR LF line ends. Key lines read "[rootName\keyPath...]"; an empty
// `rootName` leaves `keyPath` as it is (for a tree from ParseRegText, whose first part is the
// root). Keys come in alphabetical order ignoring case, level by level, so that each key is
// followed by its own sub-keys; values in the store's order. Strings, integers and binaries are
// written; values of other kinds are left out, as are values larger than 16 MiB. With
// `deleteFirst` the file first deletes `keyPath`, so that importing it replaces the key. nullopt
// when the key does not exist.
std::optional<std::string> WriteRegText(const RegistryStore& store, std::string_view rootName,
                                        std::string_view keyPath, bool recurse, bool deleteFirst);

// Applies a registry file to `into`: creates keys, sets values, deletes keys ("[-key]") and values
// ("name"=-). The text is UTF-16LE with a byte-order mark, or UTF-8 (bytes that are not UTF-8 are
// taken as Latin-1), headed "Windows Registry Editor Version 5.00" or "REGEDIT4". A key path keeps
// its root name as its first part: "[HKEY_CURRENT_USER\Software\X]" is the key
// "HKEY_CURRENT_USER\Software\X" of `into`, the root name spelled in upper case. Values of types
// given as "hex(N):" are kept as RegistryValueType::kOther ("hex(3):" is binary); values after a
// "[-key]" line belong to no key and are ignored, as the registry editor does. On bad input returns
// false with a message naming the line in `error` (when given), and leaves `into` unchanged.
bool ParseRegText(std::span<const uint8_t> fileBytes, MemoryRegistry& into,
                  std::string* error = nullptr);

// One step of a registry file, in file order. Paths are full store paths of ParseRegText
// ("HKEY_CURRENT_USER\Software\X").
struct RegOperation {
  enum class Kind : uint8_t { kCreateKey, kDeleteKey, kSetValue, kDeleteValue };
  Kind kind = Kind::kCreateKey;
  std::string path;
  std::string name;  // values only; "" is the default value
  RegistryValueType type = RegistryValueType::kOther;
  std::vector<uint8_t> data;  // strings as UTF-8, integers as 4 bytes little-endian
};

// The steps of a registry file as ParseRegText reads it, without applying them. A UTF-16 file of
// an odd number of bytes is refused as cut short. False on bad input, with the message in `error`.
bool ParseRegOperations(std::span<const uint8_t> fileBytes, std::vector<RegOperation>& operations,
                        std::string& error);

// Applies one step to `into`; false when the store refused it. A value of kOther is written only
// to a MemoryRegistry (other stores cannot), and refused by the rest.
bool ApplyRegOperation(const RegOperation& operation, RegistryStore& into);

}  // namespace tavion
