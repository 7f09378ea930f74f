#include "pipeline/startup_win.h"

#include <shellapi.h>

#include <vector>

#include "base/utf_win.h"
#include "base/version_text.h"
#include "pipeline/sidekit_library_win.h"
#include "exec/main_messages.h"
#include "tavion_version.h"

namespace tavion {
namespace {

std::wstring ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::vector<std::string> ProcessArguments() {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(WideToUtf8(argv[i]));
  LocalFree(argv);
  return arguments;
}

// The file's last-write time as date and time in the user's format; the linker's own time stamp
// would do as well, but the file time is what a user can check.
std::string BuildDateText(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return {};
  FILETIME local;
  SYSTEMTIME time;
  if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) ||
      !FileTimeToSystemTime(&local, &time)) {
    return {};
  }
  wchar_t date[80] = {};
  wchar_t clock[80] = {};
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 80);
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, 80);
  return WideToUtf8(std::wstring(date) + L" " + clock);
}

}  // namespace

StartupInfo ReadStartupInfo() {
  StartupInfo info;
  info.commandLine = ParseCommandLine(ProcessArguments());
  info.executable = ExecutablePath();
  const size_t slash = info.executable.find_last_of(L"\\/");
  info.programFolder = slash == std::wstring::npos ? L"." : info.executable.substr(0, slash);
  info.pluginFolder = info.programFolder + L"\\PlugIns";
  info.languageFolder = info.programFolder + L"\\Lang";
  info.resourceFolder = info.programFolder + L"\\Resource";
  info.helpFile = info.programFolder + L"\\Tavion.chm";
  // The numbers of the version resource, compiled in from the same source.
  info.fullVersion = FullVersionText(TAVION_VERSION_MAJOR, TAVION_VERSION_MINOR,
                                     TAVION_VERSION_PATCH, TAVION_VERSION_BUILD);
  info.shortVersion =
      std::to_string(TAVION_VERSION_MAJOR) + "." + std::to_string(TAVION_VERSION_MINOR);
  info.buildDate = BuildDateText(info.executable);
  OSVERSIONINFOW os = {};
  os.dwOSVersionInfoSize = sizeof os;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (GetVersionExW(&os))
    info.xp = os.dwMajorVersion > 5 || (os.dwMajorVersion == 5 && os.dwMinorVersion >= 1);
#pragma GCC diagnostic pop
  return info;
}

std::wstring ProgramTitle(const StartupInfo& info) {
  return L"Tavion " + Utf8ToWide(info.shortVersion);
}

namespace {

constexpr wchar_t kBackupRunProperty[] = L"Tavion.BackupRun";

}  // namespace

bool PassSingleInstanceTest(const SidekitLibrary& library, const CommandLine& line,
                            const wchar_t* product, const wchar_t* windowClass) {
  if (line.backup) return true;
  const bool running = library.IsExeLoaded ? library.IsExeLoaded(product) != FALSE
                                           : FindResidentWindow(windowClass) != nullptr;
  if (!running || line.restart) return true;
  // Without a window to hand over to (the running one is just closing) this start still ends.
  if (HWND resident = FindResidentWindow(windowClass)) PostMessageW(resident, WM_TV_ACTIVATE, 0, 0);
  return false;
}

HWND FindResidentWindow(const wchar_t* windowClass) {
  for (HWND window = FindWindowExW(/*hWndParent=*/nullptr, nullptr, windowClass, nullptr); window;
       window = FindWindowExW(/*hWndParent=*/nullptr, window, windowClass, nullptr)) {
    if (GetPropW(window, kBackupRunProperty) == nullptr) return window;
  }
  return nullptr;
}

void MarkBackupRunWindow(HWND window) {
  SetPropW(window, kBackupRunProperty, reinterpret_cast<HANDLE>(1));
}

void ClearBackupRunMark(HWND window) {
  RemovePropW(window, kBackupRunProperty);
}

}  // namespace tavion
