#pragma once
// The section/ident view of the settings root: typed reads with the caller's default and typed
// writes in the stored formats (strings REG_SZ, integers and booleans REG_DWORD, the date an
// 8-byte REG_BINARY double). Portable.
//
// A section is a key path relative to the store's root ("" is the root itself); an ident is a
// value name. A read of a missing section or value, or of a value of another type or size,
// yields the default.

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/registry.h"

namespace tavion {

// True when the stored DWORD is non-zero.
bool ReadBool(const RegistryStore& store, std::string_view section, std::string_view ident,
              bool def);
// The stored DWORD taken as signed.
int32_t ReadInt(const RegistryStore& store, std::string_view section, std::string_view ident,
                int32_t def);
std::string ReadStr(const RegistryStore& store, std::string_view section, std::string_view ident,
                    std::string_view def);
// A date-time as days since 30 December 1899 (fraction = time of day). A value that is not a
// finite number reads as the default too.
double ReadDateTime(const RegistryStore& store, std::string_view section, std::string_view ident,
                    double def);

// Writes return success. A boolean is written as 0 or 1.
bool WriteBool(RegistryStore& store, std::string_view section, std::string_view ident, bool value);
bool WriteInt(RegistryStore& store, std::string_view section, std::string_view ident,
              int32_t value);
bool WriteStr(RegistryStore& store, std::string_view section, std::string_view ident,
              std::string_view value);
// Little-endian IEEE double of 8 bytes.
bool WriteDateTime(RegistryStore& store, std::string_view section, std::string_view ident,
                   double value);

}  // namespace tavion
