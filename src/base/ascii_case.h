#pragma once
// Letter case of ASCII text, as the program's own formats compare their names and markers: only
// A-Z and a-z count as letters, whatever the locale. Portable.

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace tavion {

inline char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

// Whether `text` holds `prefix` at `at`, whatever the case of either.
inline bool StartsWithIgnoringCase(std::string_view text, std::size_t at, std::string_view prefix) {
  return at <= text.size() && EqualsIgnoringCase(text.substr(at, prefix.size()), prefix);
}

}  // namespace tavion
