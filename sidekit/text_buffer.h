#pragma once
// Texts handed out through a caller's buffer.

#include <windows.h>

#include <string_view>

namespace tavion::sidekit {

// The library's buffer rule: when `text` and its terminator fit in `bufferChars`, copies them and
// returns the length of `text`; otherwise returns the size needed including the terminator and
// leaves an empty text in the buffer (when there is room for one). A null `buffer` counts as
// no room at all.
DWORD CopyToCallerBuffer(std::wstring_view text, wchar_t* buffer, DWORD bufferChars);

}  // namespace tavion::sidekit
