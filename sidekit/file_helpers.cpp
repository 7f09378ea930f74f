// Build time of an executable and the test that a file can be written.
#include <cstdint>
#include <optional>

#include "base/handles_win.h"
#include "sidekit.h"

namespace {

using File = tavion::UniqueFileHandle;

bool ReadAt(HANDLE file, uint32_t offset, void* data, DWORD size) {
  OVERLAPPED at{};
  at.Offset = offset;
  DWORD read = 0;
  return ReadFile(file, data, size, &read, &at) && read == size;
}

// The link time in the PE header of `file`, in seconds since 1970 (UTC); nothing when the file
// is no PE image or the linker left the stamp 0.
std::optional<uint32_t> PeTimeDateStamp(HANDLE file) {
  IMAGE_DOS_HEADER dos{};
  if (!ReadAt(file, 0, &dos, sizeof dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return {};
  // e_lfanew is signed; a header beyond the first megabyte is no real image.
  if (dos.e_lfanew < static_cast<LONG>(sizeof dos) || dos.e_lfanew > (1 << 20)) return {};
  struct {
    DWORD signature;
    IMAGE_FILE_HEADER file;
  } nt{};
  if (!ReadAt(file, static_cast<uint32_t>(dos.e_lfanew), &nt, sizeof nt) ||
      nt.signature != IMAGE_NT_SIGNATURE || nt.file.TimeDateStamp == 0) {
    return {};
  }
  return nt.file.TimeDateStamp;
}

FILETIME FileTimeFromUnixSeconds(uint32_t seconds) {
  // 100-ns intervals since 1601; 1970 is 11,644,473,600 seconds later.
  const uint64_t ticks = (static_cast<uint64_t>(seconds) + 11644473600ull) * 10000000ull;
  return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

}  // namespace

SIDEKIT_API BOOL WINAPI GetBuildTime(const wchar_t* path, FILETIME* utc) {
  if (!path || !utc) return FALSE;
  const File file(CreateFileW(path, GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return FALSE;
  if (const std::optional<uint32_t> stamp = PeTimeDateStamp(file.get())) {
    *utc = FileTimeFromUnixSeconds(*stamp);
    return TRUE;
  }
  return GetFileTime(file.get(), nullptr, nullptr, utc);
}

SIDEKIT_API BOOL WINAPI CheckWrite(const wchar_t* fileName, int showError, HWND owner,
                                   const wchar_t* errorText, const wchar_t* caption) {
  bool writable = false;
  if (fileName && *fileName) {
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    // An existing file is opened for writing and left as it is; a new one is created and goes
    // again with its handle.
    File existing(CreateFileW(fileName, GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD openError = GetLastError();
    if (existing) {
      writable = true;
    } else if (openError == ERROR_FILE_NOT_FOUND) {
      const File created(CreateFileW(fileName, GENERIC_WRITE, share, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                     nullptr));
      writable = static_cast<bool>(created);
    }
  }
  if (!writable && showError == 1) {
    MessageBoxW(owner, errorText ? errorText : L"", caption ? caption : L"", MB_OK | MB_ICONERROR);
  }
  return writable;
}
