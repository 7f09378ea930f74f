#pragma once
// GetLangStr for wide Win32 calls.
#include <string>
#include <string_view>

#include "base/utf_win.h"
#include "lang/lang.h"

namespace tavion {

inline std::wstring GetLangStrW(std::string_view key, std::string_view def,
                                std::string_view section = "Strings") {
  return Utf8ToWide(GetLangStr(key, def, section));
}

}  // namespace tavion
