#pragma once
// UTF-8 <-> UTF-16 at the boundary between portable code and wide Win32 calls.

#include <string>
#include <string_view>

namespace tavion {

// Invalid input never fails: an invalid UTF-8 sequence or a lone surrogate becomes U+FFFD.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

}  // namespace tavion
