#include "actions/masks_win.h"

#include <windows.h>

#include "actions/masks.h"

namespace tavion {
namespace {

// Stands in the UTF-16 text for a unit that is no character (a byte that was not UTF-8); its
// upper case is itself, and the original unit is put back afterwards.
constexpr wchar_t kPlaceholder = 0xFFFF;

bool IsHighSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char32_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

std::wstring ToUtf16(const std::u32string& text) {
  std::wstring wide;
  wide.reserve(text.size());
  for (char32_t c : text) {
    if (c >= 0x10000 && c <= 0x10FFFF) {
      wide += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
      wide += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else if (c < 0x10000 && !IsHighSurrogate(c) && !IsLowSurrogate(c)) {
      wide += static_cast<wchar_t>(c);
    } else {
      wide += kPlaceholder;
    }
  }
  return wide;
}

// Takes from `upper` (the mapping of ToUtf16(text)) the new value of each unit of `text`. A unit
// whose mapping is not one character of the same UTF-16 length keeps its value.
void FromUtf16(const std::wstring& upper, std::u32string& text) {
  std::size_t j = 0;
  for (char32_t& c : text) {
    if (c >= 0x10000 && c <= 0x10FFFF) {
      const char32_t high = upper[j], low = upper[j + 1];
      if (IsHighSurrogate(high) && IsLowSurrogate(low))
        c = 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
      j += 2;
    } else {
      const char32_t mapped = upper[j++];
      if (c < 0x10000 && !IsHighSurrogate(c) && !IsLowSurrogate(c) && !IsHighSurrogate(mapped) &&
          !IsLowSurrogate(mapped))
        c = mapped;
    }
  }
}

}  // namespace

void Win32UpperCase(std::u32string& text) {
  std::wstring wide = ToUtf16(text);
  if (wide.empty()) return;
  const int length = static_cast<int>(wide.size());
  std::wstring upper(wide.size(), L'\0');
  // Upper case maps each UTF-16 unit to one unit, so the length cannot change; anything else is
  // a failure and leaves the text alone.
  const int written =
      LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_UPPERCASE | LCMAP_LINGUISTIC_CASING,
                    wide.data(), length, upper.data(), length, nullptr, nullptr, 0);
  if (written != length) {
    upper = wide;
    if (CharUpperBuffW(upper.data(), static_cast<DWORD>(length)) != static_cast<DWORD>(length))
      return;
  }
  FromUtf16(upper, text);
}

void InstallWin32UpperCase() {
  SetUpperCaseFunction(&Win32UpperCase);
}

}  // namespace tavion
