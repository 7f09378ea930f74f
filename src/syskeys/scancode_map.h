#pragma once
// The system-wide key map: the "Scancode Map" value the keyboard driver reads at start-up, and
// the program's copy of a switched-off map. Portable: the values are reached through a
// RegistryStore whose root is the machine's "Keyboard Layout" key (scancode_map_win.h).
//
// Layout of a value (little-endian): version 0, flags 0, entry count n + 1 (the terminator
// included, low byte only), n entries of 4 bytes (to scan code, 0xE0 when the to key is
// extended, from scan code, 0xE0 when the from key is extended), a terminator of 4 zero bytes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tavion {

class RegistryStore;

// Where the map lives below HKEY_LOCAL_MACHINE, and its two values.
inline constexpr std::string_view kKeyboardLayoutPath =
    "SYSTEM\\CurrentControlSet\\Control\\Keyboard Layout";
inline constexpr std::string_view kScancodeMapValue = "Scancode Map";
inline constexpr std::string_view kScancodeMapOffValue = "Scancode Map Tavion";

// The count field holds one byte: more rows than this cannot be stored.
inline constexpr std::size_t kMaxKeyReplacements = 254;

// One row of the map: the key `fromScan` becomes `toScan`; a to scan code of 0 makes the from
// key do nothing.
struct KeyReplacement {
  uint8_t fromScan = 0;
  uint8_t toScan = 0;
  bool fromExtended = false;
  bool toExtended = false;
  bool operator==(const KeyReplacement&) const = default;
};

// The bytes of a value holding `rows` in their order: 16 + 4n bytes. Nullopt for an empty list
// (stored as no value at all) and for more than kMaxKeyReplacements rows.
std::optional<std::vector<uint8_t>> BuildScancodeMap(std::span<const KeyReplacement> rows);

// The rows of a value, read by its length: every whole entry from offset 12 that is followed by
// at least one more byte (so the terminator is left out). The count field is not trusted, as
// other tools write it wrongly; fewer than 8 bytes give no rows.
std::vector<KeyReplacement> ParseScancodeMap(std::span<const uint8_t> bytes);

// The rows stored in value `name` of `store`'s root; none when the value is missing or not
// binary.
std::vector<KeyReplacement> ReadScancodeMap(const RegistryStore& store, std::string_view name);

enum class MapWrite : uint8_t {
  kDone,     // the registry holds what was asked
  kTooMany,  // more than kMaxKeyReplacements rows: nothing was touched
  kRefused,  // the registry refused a write or delete (no rights to the machine's key)
};

// Stores `rows` as value `name`: the whole value replaced in one write, or deleted when `rows`
// is empty. A stored value is never deleted to make way for a new one, so a refused write
// leaves the old map whole.
MapWrite WriteScancodeMap(RegistryStore& store, std::string_view name,
                          std::span<const KeyReplacement> rows);

// Switches remapping on (`rows` become the active "Scancode Map") or off (they move to the
// program's copy). The new value is written before the other goes: a refusal half-way leaves
// the map in at least one of them.
MapWrite SetRemapMode(RegistryStore& store, bool on, std::span<const KeyReplacement> rows);

// What the registry holds as the page shows it.
struct RemapState {
  std::vector<KeyReplacement> rows;
  bool on = true;       // the rows are the active map, not the switched-off copy
  bool stored = false;  // either value exists
};

// The active map; the switched-off copy when only it exists. Reads only.
RemapState ReadRemapState(const RegistryStore& store);

}  // namespace tavion
