#pragma once
// The texts of the program's checks on itself: the diagnostics text of "hd_info" and the
// "running" text of "tv_beep". Portable.

#include <cstdint>
#include <string>
#include <string_view>

namespace tavion {

// The plug-in interface version this program speaks.
inline constexpr char kPluginInterfaceVersion[] = "2A.0";

// What the diagnostics text reports, read by the main window at the moment of asking.
struct DiagnosticsValues {
  std::string version;  // the program version
  std::string buildDate;
  std::string exePath;  // full path of the executable
  std::string currentDir;
  std::string exeFolder;  // the program folder
  std::string pluginFolder;
  int actionsCount = 0;  // catalogue entries
  bool actionsModified = false;
  int imageListCount = 0;  // images of the main image list
  uint8_t shiftState = 0;  // modifier mask: 1 Alt, 2 Ctrl, 4 Shift, 8 Win
  std::string lastKey;     // name of the last key pressed
  bool actionBusy = false;
  bool processKeys = true;  // hot keys are not disabled
};

// The "hd_info" text: one line per value, label then value, lines separated by a carriage
// return, an empty line after each group, the last four lines indented by a tab, no final line
// break.
std::string DiagnosticsText(const DiagnosticsValues& values);

// "Tavion " + `shortVersion` + " - running.".
std::string RunningCheckText(std::string_view shortVersion);

}  // namespace tavion
