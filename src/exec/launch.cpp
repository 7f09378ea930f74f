#include "exec/launch.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "actions/action.h"
#include "actions/params.h"
#include "keys/key_text.h"
#include "base/ascii_case.h"
#include "lang/lang.h"

namespace tavion {
namespace {

// Where `needle` (lower case) starts in `text` at or after `from`, whatever the case of `text`.
size_t FindIgnoringCase(std::string_view text, std::string_view needle, size_t from = 0) {
  if (needle.empty() || text.size() < needle.size()) return std::string_view::npos;
  for (size_t at = from; at + needle.size() <= text.size(); ++at) {
    if (std::equal(needle.begin(), needle.end(), text.begin() + static_cast<std::ptrdiff_t>(at),
                   [](char n, char t) { return n == AsciiLower(t); })) {
      return at;
    }
  }
  return std::string_view::npos;
}

std::string WithoutTrailingBackslash(std::string folder) {
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

std::string ReplaceAllIgnoringCase(std::string_view text, std::string_view lowerVariable,
                                   std::string_view value) {
  std::string result;
  size_t from = 0;
  for (size_t at; (at = FindIgnoringCase(text, lowerVariable, from)) != std::string_view::npos;
       from = at + lowerVariable.size()) {
    result.append(text.substr(from, at - from));
    result.append(value);
  }
  result.append(text.substr(from));
  return result;
}

constexpr char kMyComputer[] = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

struct FolderVariable {
  std::string_view name;
  std::string (*value)(const LaunchSystem&);
};

template <int csidl>
std::string ShellFolderOf(const LaunchSystem& system) {
  return WithoutTrailingBackslash(system.ShellFolder(csidl));
}

// The order matters: a value may hold a later variable's name, which is then expanded too.
const std::array<FolderVariable, 12> kFolderVariables = {{
    {"%temp%", [](const LaunchSystem& s) { return WithoutTrailingBackslash(s.TempFolder()); }},
    {"%windir%", ShellFolderOf<kFolderWindows>},
    {"%sysdir%", ShellFolderOf<kFolderSystem>},
    {"%programmes%", ShellFolderOf<kFolderProgramFiles>},
    {"%menu_prog%", ShellFolderOf<kFolderPrograms>},
    {"%desktop%", ShellFolderOf<kFolderDesktopDirectory>},
    {"%appdata%", ShellFolderOf<kFolderAppData>},
    {"%doc%", ShellFolderOf<kFolderPersonal>},
    {"%root%", [](const LaunchSystem&) { return std::string(kMyComputer); }},
    {"%control%",
     [](const LaunchSystem&) {
       return std::string(kMyComputer) + "\\::{21EC2020-3AEA-1069-A2DD-08002B30309D}";
     }},
    {"%net%",
     [](const LaunchSystem&) { return std::string("::{208D2C60-3AEA-1069-A2D7-08002B30309D}"); }},
    {"%exe%", [](const LaunchSystem& s) { return WithoutTrailingBackslash(s.ProgramFolder()); }},
}};

std::string TwoDigits(int value) {
  std::string text = std::to_string(value);
  return text.size() < 2 ? "0" + text : text;
}

std::string Padded(int value, size_t width) {
  std::string text = std::to_string(value);
  if (text.size() < width) text.insert(0, width - text.size(), '0');
  return text;
}

// The length of the half-day marker ("am/pm", "a/p", "ampm", any case) at `at`, or 0.
size_t HalfDayMarkerLength(std::string_view format, size_t at) {
  for (std::string_view marker : {"am/pm", "a/p", "ampm"}) {
    if (StartsWithIgnoringCase(format, at, marker)) return marker.size();
  }
  return 0;
}

// Whether the format names a half-day marker (outside quoted text): hours then count to 12.
bool UsesTwelveHourClock(std::string_view format) {
  char quote = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (HalfDayMarkerLength(format, i) != 0) {
      return true;
    }
  }
  return false;
}

std::string HalfDayMarker(std::string_view written, bool pm, const DateTimeNames& names) {
  // "am/pm" and "a/p" keep the case written for each half; "ampm" takes the locale's texts.
  const size_t slash = written.find('/');
  if (slash == std::string_view::npos) return pm ? names.pm : names.am;
  return std::string(pm ? written.substr(slash + 1) : written.substr(0, slash));
}

}  // namespace

std::vector<std::string_view> FolderVariableNames() {
  std::vector<std::string_view> names;
  for (const FolderVariable& variable : kFolderVariables) names.push_back(variable.name);
  return names;
}

std::string ExpandVariables(std::string_view text, const LaunchSystem& system) {
  std::string result(text);
  for (const FolderVariable& variable : kFolderVariables) {
    if (FindIgnoringCase(result, variable.name) == std::string::npos) continue;
    result = ReplaceAllIgnoringCase(result, variable.name, variable.value(system));
  }
  return result;
}

std::optional<std::string> ExpandInput(std::string_view text, const InputAsker& ask) {
  constexpr std::string_view kInput = "%input%";
  std::string result;
  int number = 0;
  size_t from = 0;
  for (size_t at; (at = FindIgnoringCase(text, kInput, from)) != std::string_view::npos;
       from = at + kInput.size()) {
    std::optional<std::string> value = ask ? ask(++number) : std::nullopt;
    if (!value) return std::nullopt;
    result.append(text.substr(from, at - from));
    result.append(*value);
  }
  result.append(text.substr(from));
  return result;
}

std::string InputCaption(int number) {
  return GetLangStr("QuestInputParam", "Input parametr #") + std::to_string(number);
}

std::string FormatDateTime(std::string_view format, const LocalDateTime& moment,
                           const LaunchSystem& system) {
  const DateTimeNames names = system.Names();
  const bool twelveHour = UsesTwelveHourClock(format);
  const int hour12 = moment.hour % 12 == 0 ? 12 : moment.hour % 12;
  const int hour = twelveHour ? hour12 : moment.hour;
  const int month = std::clamp(moment.month, 1, 12) - 1;
  const int weekday = std::clamp(moment.dayOfWeek, 0, 6);
  std::string out;
  bool afterHour = false;  // the last field was an hour: "m" means minutes
  size_t i = 0;
  while (i < format.size()) {
    const char c = format[i];
    if (c == '\'' || c == '"') {
      const size_t end = format.find(c, i + 1);
      const size_t stop = end == std::string_view::npos ? format.size() : end;
      out.append(format.substr(i + 1, stop - i - 1));
      i = stop == format.size() ? stop : stop + 1;
      continue;
    }
    if (const size_t marker = HalfDayMarkerLength(format, i); marker != 0) {
      out += HalfDayMarker(format.substr(i, marker), moment.hour >= 12, names);
      i += marker;
      continue;
    }
    {
      size_t run = 1;
      while (i + run < format.size() && AsciiLower(format[i + run]) == AsciiLower(c)) ++run;
      switch (AsciiLower(c)) {
        case 'd':
          if (run == 1)
            out += std::to_string(moment.day);
          else if (run == 2)
            out += TwoDigits(moment.day);
          else if (run == 3)
            out += names.shortDays[weekday];
          else if (run == 4)
            out += names.longDays[weekday];
          else if (run == 5)
            out += system.ShortDateText(moment);
          else
            out += system.LongDateText(moment);
          break;
        case 'm':
          if (afterHour && run <= 2) {
            out += run == 1 ? std::to_string(moment.minute) : TwoDigits(moment.minute);
          } else if (run == 1) {
            out += std::to_string(month + 1);
          } else if (run == 2) {
            out += TwoDigits(month + 1);
          } else if (run == 3) {
            out += names.shortMonths[month];
          } else {
            out += names.longMonths[month];
          }
          break;
        case 'y':
          out += run <= 2 ? TwoDigits(moment.year % 100) : Padded(moment.year, 4);
          break;
        case 'h':
          out += run == 1 ? std::to_string(hour) : TwoDigits(hour);
          break;
        case 'n':
          out += run == 1 ? std::to_string(moment.minute) : TwoDigits(moment.minute);
          break;
        case 's':
          out += run == 1 ? std::to_string(moment.second) : TwoDigits(moment.second);
          break;
        case 'z':
          out += run < 3 ? std::to_string(moment.millisecond) : Padded(moment.millisecond, 3);
          break;
        case 't':
          out += run == 1 ? system.ShortTimeText(moment) : system.LongTimeText(moment);
          break;
        case 'c':
          out += system.ShortDateText(moment) + " " + system.LongTimeText(moment);
          break;
        case '/':
          for (size_t k = 0; k < run; ++k) out += names.dateSeparator;
          break;
        case ':':
          for (size_t k = 0; k < run; ++k) out += names.timeSeparator;
          break;
        default:
          out.append(format.substr(i, run));
          break;
      }
      // Separators and spaces between an hour and "m" keep the minutes reading ("hh:mm").
      const char kind = AsciiLower(c);
      if (kind == 'h')
        afterHour = true;
      else if (std::isalpha(static_cast<unsigned char>(c)))
        afterHour = false;
      i += run;
    }
  }
  return out;
}

DateTimeNames LocaleDateTimeNames(const std::function<std::string(LocaleName, int)>& text) {
  DateTimeNames names;
  const auto take = [&](std::string& field, LocaleName name, int index) {
    if (std::string given = text(name, index); !given.empty()) field = std::move(given);
  };
  for (int i = 0; i < 12; ++i) {
    take(names.longMonths[i], LocaleName::kLongMonth, i);
    take(names.shortMonths[i], LocaleName::kShortMonth, i);
  }
  // The locale counts days from Monday; the record from Sunday.
  for (int i = 0; i < 7; ++i) {
    const int sundayBased = (i + 1) % 7;
    take(names.longDays[sundayBased], LocaleName::kLongDay, i);
    take(names.shortDays[sundayBased], LocaleName::kShortDay, i);
  }
  take(names.dateSeparator, LocaleName::kDateSeparator, 0);
  take(names.timeSeparator, LocaleName::kTimeSeparator, 0);
  take(names.am, LocaleName::kAm, 0);
  take(names.pm, LocaleName::kPm, 0);
  return names;
}

std::string DateTimeVariable(std::string_view format, const LaunchSystem& system) {
  const LocalDateTime now = system.Now();
  if (!format.empty()) return FormatDateTime(format, now, system);
  return system.LongTimeText(now) + " / " + system.ShortDateText(now);
}

size_t NextRunningCopy(std::span<const uint32_t> processIds, uint32_t foregroundProcessId) {
  const auto current = std::ranges::find(processIds, foregroundProcessId);
  if (current == processIds.end()) return 0;
  const auto position = static_cast<size_t>(current - processIds.begin());
  return (position + 1) % processIds.size();
}

std::string LaunchErrorText(const TAction* action, uint32_t code, std::string_view errorText) {
  const std::string pattern = GetLangStr(
      "ErrorExec",
      "Error on action execute:#13#13action:#9#9%s#13hot key:#9#9%s#13file/path:#9#9%s#13code:"
      "#9#9%d#13string:#9#9%s");
  std::string name, key, path;
  if (action != nullptr) {
    name = action->Name();
    key = HotKeyToText(action->Key0(), /*useUserNames=*/true, /*useConversion=*/true,
                       /*withModifiers=*/true);
    if (const TActionParamsSExec* params = action->ParamsAs<TActionParamsSExec>()) {
      path = params->Path;
    }
  }
  return FormatLangText(pattern, {name, key, path, std::to_string(code), errorText});
}

std::string ShellVerb(std::string_view oper) {
  if (oper.size() == 4 && FindIgnoringCase(oper, "null") == 0) return {};
  return std::string(oper);
}

void RunShellExecute(ExecContext& context, LaunchServices& services) {
  if (services.InputDialogOpen()) {
    services.RaiseInputDialog();
    context.host.Beep(0);
    context.abandon = true;
    return;
  }
  const TActionParamsSExec* params =
      context.action != nullptr ? context.action->ParamsAs<TActionParamsSExec>() : nullptr;
  if (params == nullptr) return;

  const InputAsker ask = [&services](int number) {
    return services.AskInput(InputCaption(number));
  };
  std::string expanded[3];
  const std::string* sources[3] = {&params->Path, &params->Parm, &params->Fold};
  for (int i = 0; i < 3; ++i) {
    std::optional<std::string> value =
        ExpandInput(ExpandVariables(*sources[i], services.System()), ask);
    if (!value) {
      context.result.notifyText = GetLangStr("ErrorInput", "error in variable %input%");
      return;
    }
    expanded[i] = std::move(*value);
  }
  const auto& [path, parameters, folder] = expanded;

  if (params->Switch && services.ActivateRunningCopy(path)) return;
  const intptr_t result = services.ShellLaunch(ShellVerb(params->Oper), path, parameters, folder,
                                               params->Show, kLaunchTimeoutMs);
  if (result > 32) return;
  // The wait gave up because the program ends: no failure to report.
  if (context.host.ApplicationTerminating()) return;
  // The shell's own failures are 2 and up; 0 is a launch that has not returned in time.
  const uint32_t code = result == 0 ? kLaunchTimedOutCode : static_cast<uint32_t>(result);
  services.ShowLaunchError(LaunchErrorText(context.action, code, services.ErrorText(code)));
}

}  // namespace tavion
