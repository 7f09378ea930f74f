#include "lang/language_win.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "base/handles_win.h"
#include "base/utf_win.h"
#include "lang/language_choice.h"
#include "lang/lng_file.h"
#include "settings/settings.h"

namespace tavion {
namespace {

// Far beyond any language file; a larger one is not read.
constexpr LONGLONG kFileBound = 8 * 1024 * 1024;

std::wstring LanguagePath(const std::wstring& folder, const std::string& language) {
  return folder + L"\\" + Utf8ToWide(language) + L".lng";
}

std::vector<uint8_t> ReadLanguageBytes(const std::wstring& path) {
  const UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                          /*lpSecurityAttributes=*/nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, /*hTemplateFile=*/nullptr));
  LARGE_INTEGER size = {};
  if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > kFileBound) return {};
  std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty() && !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read,
                                  /*lpOverlapped=*/nullptr))
    return {};
  bytes.resize(read);
  return bytes;
}

}  // namespace

void OpenLanguageFile(const std::wstring& folder, const std::string& language) {
  const std::vector<uint8_t> bytes = ReadLanguageBytes(LanguagePath(folder, language));
  if (bytes.empty()) {
    SetLanguageSource(nullptr);
    return;
  }
  SetLanguageSource(std::make_shared<LanguageFile>(
      bytes, [](std::string_view ansi) { return WideToUtf8(AnsiToWide(ansi)); }));
}

bool SetLanguage(const std::string& name, const std::wstring& folder,
                 const RegistryStore& settings) {
  Settings().Language = ChosenLanguage(name, settings, [&](const std::string& language) {
    return GetFileAttributesW(LanguagePath(folder, language).c_str()) != INVALID_FILE_ATTRIBUTES;
  });
  OpenLanguageFile(folder, Settings().Language);
  return name != kFirstStartLanguage;
}

}  // namespace tavion
