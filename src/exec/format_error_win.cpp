// FormateErrorStr: the system's text of an error code, exported for plug-ins.
#include <windows.h>

#include <memory>

namespace {

struct LocalFreeDeleter {
  void operator()(char* text) const { LocalFree(text); }
};

// Each thread keeps the buffer of its last answer, so a caller may read the text until it asks
// again on the same thread, and no call leaks its buffer.
thread_local std::unique_ptr<char, LocalFreeDeleter> lastErrorText;

// Messages with inserts ("%1") are given as they are: there are no arguments to insert, and
// formatting them without arguments reads memory that is not there.
constexpr DWORD kFlags =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;

}  // namespace

// Returns the system's message for `code` in the user's default language (with the system's
// line break at the end), or "" when the system has none. The text stays valid until the same
// thread calls again.
extern "C" const char* WINAPI FormateErrorStr(DWORD code) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(kFlags, nullptr, code, LANG_USER_DEFAULT,
                                      reinterpret_cast<char*>(&buffer), 0, nullptr);
  if (length == 0 || buffer == nullptr) {
    if (buffer != nullptr) LocalFree(buffer);
    return "";
  }
  lastErrorText.reset(buffer);
  return buffer;
}
