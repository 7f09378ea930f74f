#pragma once
// The program's shortcuts (the program-menu group, the programs menu, the desktop, Quick Launch)
// and its autorun entry: which files they are and what the Run value holds. Portable.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/registry.h"

namespace tavion {

// Shortcut kinds; kShortcutSetAll (0, pipeline/command_line.h) stands for all four.
inline constexpr int kShortcutGroup = 1;         // the folder "%menu_prog%\Tavion" and its links
inline constexpr int kShortcutProgramsMenu = 2;  // "%menu_prog%\Tavion.lnk"
inline constexpr int kShortcutDesktop = 3;       // "%desktop%\Tavion.lnk"
inline constexpr int kShortcutQuickLaunch = 4;   // Quick Launch's "Tavion.lnk"
inline constexpr int kShortcutKindCount = 4;

// `set` with exactly {0} widened to {1, 2, 3, 4}; any other set as it is.
std::vector<int> WidenShortcutSet(std::span<const int> set);

// The files a link points to. Empty texts name files that do not exist.
struct ShortcutTargets {
  std::string executable;   // the running program
  std::string helpFile;     // the help file
  std::string uninstaller;  // "Uninstall.exe" of the program folder
};

struct ShortcutLink {
  std::string file;    // the .lnk file, with its folder variables
  std::string target;  // what it opens
};

// What one kind of shortcut consists of, with the folder variables ("%menu_prog%", "%desktop%",
// "%appdata%") still in the paths.
struct ShortcutItems {
  std::string folder;  // the group folder, made before and removed after its links; kind 1 only
  std::vector<ShortcutLink> links;
};

// The items of kind `kind` (1 to 4); none for another number.
ShortcutItems ShortcutItemsOf(int kind, const ShortcutTargets& targets);

// The file or folder whose existence ticks the check box of kind `kind` (1 to 4).
std::string ShortcutMarker(int kind);

// The kind behind check box `name` ("cb_sc1" to "cb_sc4"), 0 for any other control.
int ShortcutKindOfControl(std::string_view name);

// Autorun: the value "Tavion" under HKEY_CURRENT_USER's Run key.
inline constexpr char kAutorunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kAutorunValueName[] = "Tavion";

// The Run value's data for `executable` (a full path): quoted, then " /a".
std::string AutorunCommand(std::string_view executable);

// Writes the Run value of `user` (HKEY_CURRENT_USER) for `executable`, or deletes it. Returns
// whether the write or the delete succeeded.
bool SetAutorun(RegistryStore& user, std::string_view executable, bool on);

// Whether the Run value is there: read with the default "nil", registered when it is not "nil".
bool AutorunRegistered(const RegistryStore& user);

}  // namespace tavion
