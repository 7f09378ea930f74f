#include "settings/section_view.h"

#include <array>
#include <bit>
#include <cmath>

namespace tavion {

bool ReadBool(const RegistryStore& store, std::string_view section, std::string_view ident,
              bool def) {
  const std::optional<uint32_t> value = store.ReadInteger(section, ident);
  return value ? *value != 0 : def;
}

int32_t ReadInt(const RegistryStore& store, std::string_view section, std::string_view ident,
                int32_t def) {
  const std::optional<uint32_t> value = store.ReadInteger(section, ident);
  return value ? static_cast<int32_t>(*value) : def;
}

std::string ReadStr(const RegistryStore& store, std::string_view section, std::string_view ident,
                    std::string_view def) {
  std::optional<std::string> value = store.ReadString(section, ident);
  return value ? std::move(*value) : std::string(def);
}

double ReadDateTime(const RegistryStore& store, std::string_view section, std::string_view ident,
                    double def) {
  const std::optional<std::vector<uint8_t>> bytes =
      store.ReadBinary(section, ident, /*maxBytes=*/sizeof(double));
  if (!bytes || bytes->size() != sizeof(double)) return def;
  uint64_t bits = 0;
  for (size_t i = 0; i < sizeof bits; ++i) bits |= uint64_t{(*bytes)[i]} << (8 * i);
  const double value = std::bit_cast<double>(bits);
  return std::isfinite(value) ? value : def;
}

bool WriteBool(RegistryStore& store, std::string_view section, std::string_view ident, bool value) {
  return store.WriteInteger(section, ident, value ? 1 : 0);
}

bool WriteInt(RegistryStore& store, std::string_view section, std::string_view ident,
              int32_t value) {
  return store.WriteInteger(section, ident, static_cast<uint32_t>(value));
}

bool WriteStr(RegistryStore& store, std::string_view section, std::string_view ident,
              std::string_view value) {
  return store.WriteString(section, ident, value);
}

bool WriteDateTime(RegistryStore& store, std::string_view section, std::string_view ident,
                   double value) {
  const uint64_t bits = std::bit_cast<uint64_t>(value);
  std::array<uint8_t, sizeof bits> bytes{};
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
  return store.WriteBinary(section, ident, bytes);
}

}  // namespace tavion
