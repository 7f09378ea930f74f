#pragma once
// The program's command-line switches. Portable.
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tavion {

// Shortcut sets: 1 the program-menu folder, 2 the program shortcut in the programs menu,
// 3 the desktop, 4 Quick Launch; 0 all four.
inline constexpr int kShortcutSetAll = 0;

struct CommandLine {
  bool autorun = false;             // "/a": start minimised, straight to the tray
  std::optional<std::string> help;  // value of the first "/help=" argument
  std::vector<int> shortcutSets;    // from "/link0".."/link3", "/linkX", in that order
  bool removeShortcuts = false;     // "/link_remote"
  bool preKill = false;             // "/pre_kill": stop once the shortcuts are handled
  bool backup = false;              // "/sr": write the settings file and end
  bool restart = false;             // "/lr": skip the single-instance test
};

// Reads the switches from the arguments (without the program name). Switches compare without
// regard to case; the "/help=" prefix compares exactly. Unknown arguments are ignored.
CommandLine ParseCommandLine(std::span<const std::string> arguments);

}  // namespace tavion
