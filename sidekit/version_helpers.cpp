// Version numbers and texts of files.
#include <string>
#include <vector>

#include "base/utf_win.h"
#include "base/version_text.h"
#include "sidekit.h"
#include "text_buffer.h"

namespace {

struct FileVersion {
  DWORD major = 0;
  DWORD minor = 0;
  DWORD release = 0;
  DWORD build = 0;
};

// The fixed file version of `path`'s version resource.
bool ReadFileVersion(const wchar_t* path, FileVersion& version) {
  if (!path) return false;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0) return false;
  std::vector<BYTE> data(size);
  if (!GetFileVersionInfoW(path, 0, size, data.data())) return false;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT infoSize = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) || !info ||
      infoSize < sizeof(VS_FIXEDFILEINFO) || info->dwSignature != VS_FFI_SIGNATURE) {
    return false;
  }
  version = {HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
             HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS)};
  return true;
}

void Store(DWORD* out, DWORD value) {
  if (out) *out = value;
}

}  // namespace

SIDEKIT_API BOOL WINAPI GetFileVerEx(const wchar_t* path, DWORD* major, DWORD* minor,
                                     DWORD* release, DWORD* build) {
  FileVersion version;
  const bool found = ReadFileVersion(path, version);
  Store(major, version.major);
  Store(minor, version.minor);
  Store(release, version.release);
  Store(build, version.build);
  return found;
}

SIDEKIT_API DWORD WINAPI GetFileVer(const wchar_t* path, wchar_t* buffer, DWORD bufferChars) {
  FileVersion version;
  std::wstring text;
  if (ReadFileVersion(path, version)) {
    text = tavion::Utf8ToWide(
        tavion::FullVersionText(version.major, version.minor, version.release, version.build));
  }
  return tavion::sidekit::CopyToCallerBuffer(text, buffer, bufferChars);
}

SIDEKIT_API DWORD WINAPI CutVer(const wchar_t* version, wchar_t* buffer, DWORD bufferChars) {
  const std::wstring cut =
      tavion::Utf8ToWide(tavion::CutVersionText(tavion::WideToUtf8(version ? version : L"")));
  return tavion::sidekit::CopyToCallerBuffer(cut, buffer, bufferChars);
}
