#pragma once
// UTF-8 and UTF-16LE texts as portable code reads them from files. Portable.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tavion {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Decodes the UTF-8 sequence at `i` and moves past it; for an invalid one moves one byte on and
// returns nullopt.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& i);

// Appends the UTF-8 form of `code`.
void AppendUtf8(std::string& out, char32_t code);

// UTF-8 of UTF-16LE bytes; a lone surrogate becomes U+FFFD and an odd last byte is dropped.
std::string FromUtf16Le(std::span<const uint8_t> bytes);

}  // namespace tavion
