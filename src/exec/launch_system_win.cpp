#include "exec/launch_system_win.h"

#include <shlobj.h>

#include <utility>

#include "base/utf_win.h"

namespace tavion {
namespace {

SYSTEMTIME ToSystemTime(const LocalDateTime& moment) {
  SYSTEMTIME time = {};
  time.wYear = static_cast<WORD>(moment.year);
  time.wMonth = static_cast<WORD>(moment.month);
  time.wDay = static_cast<WORD>(moment.day);
  time.wDayOfWeek = static_cast<WORD>(moment.dayOfWeek);
  time.wHour = static_cast<WORD>(moment.hour);
  time.wMinute = static_cast<WORD>(moment.minute);
  time.wSecond = static_cast<WORD>(moment.second);
  time.wMilliseconds = static_cast<WORD>(moment.millisecond);
  return time;
}

std::string LocaleText(LCTYPE type) {
  wchar_t text[128] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text, 128) == 0) return {};
  return WideToUtf8(text);
}

std::string DateText(const LocalDateTime& moment, DWORD flags) {
  const SYSTEMTIME time = ToSystemTime(moment);
  wchar_t text[128] = {};
  if (GetDateFormatW(LOCALE_USER_DEFAULT, flags, &time, nullptr, text, 128) == 0) return {};
  return WideToUtf8(text);
}

std::string TimeText(const LocalDateTime& moment, DWORD flags) {
  const SYSTEMTIME time = ToSystemTime(moment);
  wchar_t text[128] = {};
  if (GetTimeFormatW(LOCALE_USER_DEFAULT, flags, &time, nullptr, text, 128) == 0) return {};
  return WideToUtf8(text);
}

}  // namespace

Win32LaunchSystem::Win32LaunchSystem(std::wstring programFolder)
    : programFolder_(std::move(programFolder)) {}

std::string Win32LaunchSystem::TempFolder() const {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, path);
  if (length == 0 || length > MAX_PATH) return {};
  return WideToUtf8(path);
}

std::string Win32LaunchSystem::ShellFolder(int csidl) const {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(/*hwnd=*/nullptr, csidl, /*hToken=*/nullptr, SHGFP_TYPE_CURRENT,
                              path))) {
    return {};
  }
  return WideToUtf8(path);
}

std::string Win32LaunchSystem::ProgramFolder() const {
  return WideToUtf8(programFolder_);
}

LocalDateTime Win32LaunchSystem::Now() const {
  SYSTEMTIME time = {};
  GetLocalTime(&time);
  return {.year = time.wYear,
          .month = time.wMonth,
          .day = time.wDay,
          .dayOfWeek = time.wDayOfWeek,
          .hour = time.wHour,
          .minute = time.wMinute,
          .second = time.wSecond,
          .millisecond = time.wMilliseconds};
}

DateTimeNames Win32LaunchSystem::Names() const {
  return LocaleDateTimeNames([](LocaleName name, int index) {
    switch (name) {
      case LocaleName::kLongMonth:
        return LocaleText(static_cast<LCTYPE>(LOCALE_SMONTHNAME1 + index));
      case LocaleName::kShortMonth:
        return LocaleText(static_cast<LCTYPE>(LOCALE_SABBREVMONTHNAME1 + index));
      case LocaleName::kLongDay:
        return LocaleText(static_cast<LCTYPE>(LOCALE_SDAYNAME1 + index));
      case LocaleName::kShortDay:
        return LocaleText(static_cast<LCTYPE>(LOCALE_SABBREVDAYNAME1 + index));
      case LocaleName::kDateSeparator:
        return LocaleText(LOCALE_SDATE);
      case LocaleName::kTimeSeparator:
        return LocaleText(LOCALE_STIME);
      case LocaleName::kAm:
        return LocaleText(LOCALE_S1159);
      case LocaleName::kPm:
        return LocaleText(LOCALE_S2359);
    }
    return std::string();
  });
}

std::string Win32LaunchSystem::LongTimeText(const LocalDateTime& moment) const {
  return TimeText(moment, 0);
}

std::string Win32LaunchSystem::ShortDateText(const LocalDateTime& moment) const {
  return DateText(moment, DATE_SHORTDATE);
}

std::string Win32LaunchSystem::LongDateText(const LocalDateTime& moment) const {
  return DateText(moment, DATE_LONGDATE);
}

std::string Win32LaunchSystem::ShortTimeText(const LocalDateTime& moment) const {
  return TimeText(moment, TIME_NOSECONDS);
}

}  // namespace tavion
