#include "syskeys/scancode_map.h"

#include "settings/registry.h"

namespace tavion {
namespace {

constexpr uint8_t kExtendedPrefix = 0xE0;
constexpr std::size_t kHeaderSize = 12;  // version, flags, count
constexpr std::size_t kEntrySize = 4;
constexpr std::size_t kCountOffset = 8;
// Far beyond 16 + 4 * 254 bytes; a larger value is not read at all.
constexpr std::size_t kValueBound = 4096;

uint8_t Prefix(bool extended) {
  return extended ? kExtendedPrefix : 0;
}

}  // namespace

std::optional<std::vector<uint8_t>> BuildScancodeMap(std::span<const KeyReplacement> rows) {
  if (rows.empty() || rows.size() > kMaxKeyReplacements) return std::nullopt;
  std::vector<uint8_t> bytes(kHeaderSize + kEntrySize * (rows.size() + 1), 0);
  bytes[kCountOffset] = static_cast<uint8_t>(rows.size() + 1);
  std::size_t at = kHeaderSize;
  for (const KeyReplacement& row : rows) {
    bytes[at] = row.toScan;
    bytes[at + 1] = Prefix(row.toExtended);
    bytes[at + 2] = row.fromScan;
    bytes[at + 3] = Prefix(row.fromExtended);
    at += kEntrySize;
  }
  return bytes;
}

std::vector<KeyReplacement> ParseScancodeMap(std::span<const uint8_t> bytes) {
  std::vector<KeyReplacement> rows;
  // An entry at `at` is read while a byte follows it: at + 4 < size.
  for (std::size_t at = kHeaderSize; at + kEntrySize < bytes.size(); at += kEntrySize) {
    rows.push_back({.fromScan = bytes[at + 2],
                    .toScan = bytes[at],
                    .fromExtended = bytes[at + 3] == kExtendedPrefix,
                    .toExtended = bytes[at + 1] == kExtendedPrefix});
  }
  return rows;
}

std::vector<KeyReplacement> ReadScancodeMap(const RegistryStore& store, std::string_view name) {
  const std::optional<std::vector<uint8_t>> bytes = store.ReadBinary("", name, kValueBound);
  return bytes ? ParseScancodeMap(*bytes) : std::vector<KeyReplacement>();
}

MapWrite WriteScancodeMap(RegistryStore& store, std::string_view name,
                          std::span<const KeyReplacement> rows) {
  if (rows.size() > kMaxKeyReplacements) return MapWrite::kTooMany;
  const std::optional<std::vector<uint8_t>> bytes = BuildScancodeMap(rows);
  const bool done = bytes ? store.WriteBinary("", name, *bytes) : store.DeleteValue("", name);
  return done ? MapWrite::kDone : MapWrite::kRefused;
}

MapWrite SetRemapMode(RegistryStore& store, bool on, std::span<const KeyReplacement> rows) {
  const std::string_view target = on ? kScancodeMapValue : kScancodeMapOffValue;
  const std::string_view other = on ? kScancodeMapOffValue : kScancodeMapValue;
  const MapWrite written = WriteScancodeMap(store, target, rows);
  if (written != MapWrite::kDone) return written;
  return store.DeleteValue("", other) ? MapWrite::kDone : MapWrite::kRefused;
}

RemapState ReadRemapState(const RegistryStore& store) {
  const bool active = store.ValueExists("", kScancodeMapValue);
  const bool off = store.ValueExists("", kScancodeMapOffValue);
  RemapState state;
  state.on = active || !off;
  state.stored = active || off;
  state.rows = ReadScancodeMap(store, state.on ? kScancodeMapValue : kScancodeMapOffValue);
  return state;
}

}  // namespace tavion
