#pragma once
// UTF-8 <-> UTF-16 at the boundary between portable code and wide Win32 calls.

#include <string>
#include <string_view>

namespace tavion {

// Invalid input never fails: an invalid UTF-8 sequence or a lone surrogate becomes U+FFFD.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// The same with the system's ANSI code page, for the outside world that is ANSI (plug-ins, the
// system's error texts, ANSI text files). Characters the code page lacks become its default.
std::wstring AnsiToWide(std::string_view text);
std::string WideToAnsi(std::wstring_view text);

}  // namespace tavion
