#include "actions/masks.h"

#include <atomic>
#include <cstdint>

namespace tavion {
namespace {

constexpr char32_t kMaxCodePoint = 0x10FFFF;
// A byte b that is not part of valid UTF-8 decodes to kRawByteBase + b.
constexpr char32_t kRawByteBase = 0x110000;
// "%?%" inside a mask part; no decoded text unit has this value.
constexpr char32_t kOneCharacter = 0xFFFFFFFF;

constexpr std::u32string_view kAnySequenceWildcard = U"%*%";
constexpr std::u32string_view kOneCharacterWildcard = U"%?%";

std::atomic<UpperCaseFunction> upperCaseFunction{nullptr};

// Length of the valid UTF-8 sequence at text[pos] and its code point; 0 when there is none
// (overlong forms, surrogates and values above U+10FFFF are not valid).
std::size_t DecodeSequence(std::string_view text, std::size_t pos, char32_t& codePoint) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  char32_t min = 0;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, codePoint = lead & 0x1F, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, codePoint = lead & 0x0F, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, codePoint = lead & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - pos < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    codePoint = codePoint << 6 | (byte(i) & 0x3F);
  }
  if (codePoint < min || codePoint > kMaxCodePoint) return 0;
  if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return 0;
  return length;
}

std::u32string Decode(std::string_view text) {
  std::u32string units;
  units.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    char32_t codePoint = 0;
    const std::size_t length = DecodeSequence(text, pos, codePoint);
    if (length == 0) {
      units += kRawByteBase + static_cast<unsigned char>(text[pos]);
      ++pos;
    } else {
      units += codePoint;
      pos += length;
    }
  }
  return units;
}

void Encode(char32_t unit, std::string& out) {
  const auto put = [&](uint32_t value) { out += static_cast<char>(value); };
  if (unit >= kRawByteBase) {
    put(unit - kRawByteBase);
  } else if (unit < 0x80) {
    put(unit);
  } else if (unit < 0x800) {
    put(0xC0 | unit >> 6), put(0x80 | (unit & 0x3F));
  } else if (unit < 0x10000) {
    put(0xE0 | unit >> 12), put(0x80 | (unit >> 6 & 0x3F)), put(0x80 | (unit & 0x3F));
  } else {
    put(0xF0 | unit >> 18), put(0x80 | (unit >> 12 & 0x3F)), put(0x80 | (unit >> 6 & 0x3F));
    put(0x80 | (unit & 0x3F));
  }
}

bool InRange(char32_t c, char32_t first, char32_t last) {
  return c >= first && c <= last;
}

// Upper case of one character of the blocks PortableUpperCase knows; others are unchanged.
char32_t PortableUpper(char32_t c) {
  if (InRange(c, U'a', U'z')) return c - 0x20;
  if (c < 0xB5) return c;
  if (c == 0xB5) return 0x39C;  // micro sign -> Greek capital mu
  if (InRange(c, 0xE0, 0xFE) && c != 0xF7) return c - 0x20;
  if (c == 0xFF) return 0x178;
  // Latin Extended-A: pairs, the capital on the even code point in some ranges, the odd in others.
  if (InRange(c, 0x100, 0x12F) || InRange(c, 0x132, 0x137) || InRange(c, 0x14A, 0x177))
    return c & ~char32_t{1};
  if (InRange(c, 0x139, 0x148) || InRange(c, 0x179, 0x17E)) return c % 2 == 0 ? c - 1 : c;
  // Greek.
  if (c == 0x3AC) return 0x386;
  if (InRange(c, 0x3AD, 0x3AF)) return c - 0x25;
  if (c == 0x3C2) return 0x3A3;  // final sigma
  if (InRange(c, 0x3B1, 0x3CB)) return c - 0x20;
  if (c == 0x3CC) return 0x38C;
  if (InRange(c, 0x3CD, 0x3CE)) return c - 0x3F;
  // Cyrillic.
  if (InRange(c, 0x430, 0x44F)) return c - 0x20;
  if (InRange(c, 0x450, 0x45F)) return c - 0x50;
  if (InRange(c, 0x460, 0x481) || InRange(c, 0x48A, 0x4BF) || InRange(c, 0x4D0, 0x4FF))
    return c & ~char32_t{1};
  return c;
}

void ApplyUpperCase(std::u32string& text) {
  CurrentUpperCaseFunction()(text);
}

// Whether `part` matches text[pos, pos + part.size()); the caller ensures the text is long enough.
bool PartMatchesAt(const std::u32string& text, std::size_t pos, const std::u32string& part) {
  for (std::size_t i = 0; i < part.size(); ++i) {
    if (part[i] != kOneCharacter && part[i] != text[pos + i]) return false;
  }
  return true;
}

// The first position p in [from, last] where `part` matches, or npos.
std::size_t FindPart(const std::u32string& text, std::size_t from, std::size_t last,
                     const std::u32string& part) {
  for (std::size_t pos = from; pos <= last; ++pos) {
    if (PartMatchesAt(text, pos, part)) return pos;
  }
  return std::u32string::npos;
}

std::string InvalidMaskMessage(std::string_view mask, std::size_t position) {
  // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about "literal" + string.
  std::string message = "'";
  message += mask;
  message += "' is an invalid mask at (";
  message += std::to_string(position);
  message += ")";
  return message;
}

}  // namespace

void PortableUpperCase(std::u32string& text) {
  for (char32_t& c : text) c = PortableUpper(c);
}

void SetUpperCaseFunction(UpperCaseFunction function) {
  upperCaseFunction.store(function);
}

UpperCaseFunction CurrentUpperCaseFunction() {
  const UpperCaseFunction function = upperCaseFunction.load();
  return function != nullptr ? function : &PortableUpperCase;
}

std::string UpperCaseText(std::string_view text) {
  std::u32string units = Decode(text);
  ApplyUpperCase(units);
  std::string out;
  out.reserve(text.size());
  for (char32_t unit : units) Encode(unit, out);
  return out;
}

std::optional<TMask> TMask::Create(std::string_view mask, std::string* error) {
  const std::u32string units = Decode(mask);
  const auto startsWith = [&](std::size_t pos, std::u32string_view wildcard) {
    return units.compare(pos, wildcard.size(), wildcard) == 0;
  };

  TMask result;
  result.parts_.emplace_back();
  bool afterAnySequence = false;
  for (std::size_t pos = 0; pos < units.size();) {
    if (startsWith(pos, kAnySequenceWildcard)) {
      if (!afterAnySequence) {
        if (static_cast<int>(result.parts_.size()) > kMaxAnySequenceGroups) {
          if (error != nullptr) *error = InvalidMaskMessage(mask, pos + 1);
          return std::nullopt;
        }
        result.parts_.emplace_back();
      }
      afterAnySequence = true;
      pos += kAnySequenceWildcard.size();
      continue;
    }
    afterAnySequence = false;
    if (startsWith(pos, kOneCharacterWildcard)) {
      result.parts_.back() += kOneCharacter;
      pos += kOneCharacterWildcard.size();
    } else {
      result.parts_.back() += units[pos];
      ++pos;
    }
  }
  // Literal characters are mapped one part at a time; kOneCharacter is above every code point,
  // so the mapping leaves it alone.
  for (std::u32string& part : result.parts_) ApplyUpperCase(part);
  return result;
}

bool TMask::Matches(std::string_view text) const {
  std::u32string units = Decode(text);
  ApplyUpperCase(units);
  const std::u32string& first = parts_.front();
  if (parts_.size() == 1) return units.size() == first.size() && PartMatchesAt(units, 0, first);

  // Between any-sequence groups the leftmost place of each part is the best: it leaves the most
  // text to the parts after it. The first and the last part are anchored at the ends.
  const std::u32string& last = parts_.back();
  if (units.size() < first.size() + last.size()) return false;
  const std::size_t lastStart = units.size() - last.size();
  if (!PartMatchesAt(units, 0, first) || !PartMatchesAt(units, lastStart, last)) return false;
  std::size_t pos = first.size();
  for (std::size_t i = 1; i + 1 < parts_.size(); ++i) {
    const std::u32string& part = parts_[i];
    if (lastStart - pos < part.size()) return false;
    const std::size_t found = FindPart(units, pos, lastStart - part.size(), part);
    if (found == std::u32string::npos) return false;
    pos = found + part.size();
  }
  return true;
}

bool MatchesMask(std::string_view text, std::string_view mask) {
  const std::optional<TMask> compiled = TMask::Create(mask);
  return compiled.has_value() && compiled->Matches(text);
}

}  // namespace tavion
