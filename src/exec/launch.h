#pragma once
// Launching: the folder variables of paths ("%windir%", "%exe%", ...), the typed-in "%input%"
// values, the date-time variable of typed texts, and the "srun" executor. Portable: the folders,
// the clock, the dialogs and the shell come through LaunchSystem and LaunchServices.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "exec/dispatcher.h"

namespace tavion {

// Shell folder identifiers (CSIDL values) of the folder variables.
inline constexpr int kFolderPrograms = 0x02;
inline constexpr int kFolderPersonal = 0x05;
inline constexpr int kFolderDesktopDirectory = 0x10;
inline constexpr int kFolderAppData = 0x1A;
inline constexpr int kFolderWindows = 0x24;
inline constexpr int kFolderSystem = 0x25;
inline constexpr int kFolderProgramFiles = 0x26;

// One moment of the local clock.
struct LocalDateTime {
  int year = 1899;
  int month = 12;     // 1..12
  int day = 30;       // 1..31
  int dayOfWeek = 6;  // 0 Sunday .. 6 Saturday
  int hour = 0;       // 0..23
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// The names and separators of the user's locale that date-time formats use. The defaults are
// those of English (United States).
struct DateTimeNames {
  std::string shortMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::string longMonths[12] = {"January",   "February", "March",    "April",
                                "May",       "June",     "July",     "August",
                                "September", "October",  "November", "December"};
  std::string shortDays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::string longDays[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                             "Thursday", "Friday", "Saturday"};
  std::string dateSeparator = "/";
  std::string timeSeparator = ":";
  std::string am = "AM";
  std::string pm = "PM";
};

// A name of the locale's date and time texts. Months count from 0 (January); days from 0 as the
// locale counts them, Monday first.
enum class LocaleName : uint8_t {
  kLongMonth,
  kShortMonth,
  kLongDay,
  kShortDay,
  kDateSeparator,
  kTimeSeparator,
  kAm,
  kPm
};
// The names `text` gives for the locale; a name it leaves empty keeps its English default.
DateTimeNames LocaleDateTimeNames(const std::function<std::string(LocaleName, int index)>& text);

// What variable expansion asks of the system. Called from any thread.
class LaunchSystem {
 public:
  virtual ~LaunchSystem() = default;
  // The temporary folder; a trailing backslash is allowed.
  virtual std::string TempFolder() const = 0;
  // The shell folder of `csidl` (a kFolder* value), "" when the system has none.
  virtual std::string ShellFolder(int csidl) const = 0;
  // The folder of the program; a trailing backslash is allowed.
  virtual std::string ProgramFolder() const = 0;

  virtual LocalDateTime Now() const = 0;
  virtual DateTimeNames Names() const = 0;
  // `moment` in the locale's long time format and its short date format.
  virtual std::string LongTimeText(const LocalDateTime& moment) const = 0;
  virtual std::string ShortDateText(const LocalDateTime& moment) const = 0;
  virtual std::string LongDateText(const LocalDateTime& moment) const = 0;
  virtual std::string ShortTimeText(const LocalDateTime& moment) const = 0;
};

// `text` with the twelve folder variables replaced, in their fixed order ("%temp%", "%windir%",
// "%sysdir%", "%programmes%", "%menu_prog%", "%desktop%", "%appdata%", "%doc%", "%root%",
// "%control%", "%net%", "%exe%"), each wherever it occurs and whatever its case. Folders lose a
// trailing backslash. The system is asked only for the variables the text holds.
std::string ExpandVariables(std::string_view text, const LaunchSystem& system);

// The twelve folder variables in that order, as a user writes them ("%temp%", ...).
std::vector<std::string_view> FolderVariableNames();

// Asks the user for the value of the `number`th "%input%" of a text (1 for the first); nullopt
// when the user cancels.
using InputAsker = std::function<std::optional<std::string>(int number)>;

// `text` with every "%input%" (any case) replaced by the value `ask` gives for it, numbered from
// 1 in the text; a value is not searched again. Returns nullopt as soon as one is cancelled.
std::optional<std::string> ExpandInput(std::string_view text, const InputAsker& ask);

// The input dialog's caption for the `number`th value: "QuestInputParam" followed by the number.
std::string InputCaption(int number);

// `moment` formatted with `format`'s date-time letters (d dd ddd dddd ddddd dddddd, m mm mmm
// mmmm, yy yyyy, h hh, n nn, s ss, z zzz, t tt, c, am/pm a/p ampm, "/" and ":" as the locale's
// separators, text in single or double quotes as it is); an "m" right after an hour is minutes.
// Other characters stay as they are.
std::string FormatDateTime(std::string_view format, const LocalDateTime& moment,
                           const LaunchSystem& system);

// The value of "%datetime%": now, formatted with `format` (Misc\var_datetime), or when that is
// empty the long time, " / " and the short date.
std::string DateTimeVariable(std::string_view format, const LaunchSystem& system);

// Which of the running copies to activate: `processIds` are the copies' processes in ascending
// order (not empty); the one after the foreground window's process, wrapping to the first, or
// the first when the foreground belongs to none of them.
size_t NextRunningCopy(std::span<const uint32_t> processIds, uint32_t foregroundProcessId);

// What the "srun" executor asks of the system besides the folder variables.
class LaunchServices {
 public:
  virtual ~LaunchServices() = default;
  virtual const LaunchSystem& System() const = 0;
  // Whether an input dialog is open now (the input lock is held).
  virtual bool InputDialogOpen() const = 0;
  // Brings the open input dialog to the foreground.
  virtual void RaiseInputDialog() = 0;
  // Shows the input dialog captioned `caption` and returns the typed value; nullopt on Cancel.
  virtual std::optional<std::string> AskInput(const std::string& caption) = 0;
  // Brings a window of an already running copy of `path` to the foreground; false when none runs.
  virtual bool ActivateRunningCopy(const std::string& path) = 0;
  // The shell execution with a time-out: above 32 is success, else an error code (0: time-out).
  virtual intptr_t ShellLaunch(const std::string& verb, const std::string& file,
                               const std::string& parameters, const std::string& folder,
                               int showCommand, uint32_t timeoutMs) = 0;
  // The system's text of error `code` (FormateErrorStr).
  virtual std::string ErrorText(uint32_t code) = 0;
  // The launch-failure box: caption "Tavion", MB_ICONHAND | MB_SYSTEMMODAL.
  virtual void ShowLaunchError(const std::string& text) = 0;
};

// How long "srun" waits for the shell.
inline constexpr uint32_t kLaunchTimeoutMs = 6000;
// The code the "ErrorExec" box shows for a launch the shell has not finished within that time:
// the system's "timeout period expired" (ERROR_TIMEOUT).
inline constexpr uint32_t kLaunchTimedOutCode = 1460;

// The verb handed to the shell for the stored `Oper`: the editor's "NULL" (any case) means the
// default verb, as an empty one does, and becomes empty.
std::string ShellVerb(std::string_view oper);

// The text of the "ErrorExec" box for `action` (may be null) that failed with `code`.
std::string LaunchErrorText(const TAction* action, uint32_t code, std::string_view errorText);

// The "srun" executor: expands the action's path, parameters and folder, then brings a running
// copy forward or launches through the shell and reports a failure in the "ErrorExec" box (a
// time-out with kLaunchTimedOutCode), unless the program is ending. A cancelled "%input%" reports
// "ErrorInput" to the notification; while an input dialog is open it raises that dialog, beeps
// and abandons the dispatch. Without an action it does nothing.
void RunShellExecute(ExecContext& context, LaunchServices& services);

}  // namespace tavion
