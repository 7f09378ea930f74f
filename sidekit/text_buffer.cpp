#include "text_buffer.h"

#include <algorithm>

namespace tavion::sidekit {

DWORD CopyToCallerBuffer(std::wstring_view text, wchar_t* buffer, DWORD bufferChars) {
  if (!buffer) bufferChars = 0;
  const auto length = static_cast<DWORD>(text.size());
  if (length < bufferChars) {
    std::copy(text.begin(), text.end(), buffer);
    buffer[length] = L'\0';
    return length;
  }
  if (bufferChars > 0) buffer[0] = L'\0';
  return length + 1;
}

}  // namespace tavion::sidekit
