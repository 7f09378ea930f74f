#include "services/shortcuts.h"

namespace tavion {
namespace {

constexpr char kGroupFolder[] = "%menu_prog%\\Tavion";
constexpr char kLinkName[] = "Tavion.lnk";
// Read bound of the Run value: a command line of Windows is no longer than 32767 characters.
constexpr std::size_t kAutorunReadBound = 32767 * 3;

}  // namespace

std::vector<int> WidenShortcutSet(std::span<const int> set) {
  if (set.size() == 1 && set.front() == 0)
    return {kShortcutGroup, kShortcutProgramsMenu, kShortcutDesktop, kShortcutQuickLaunch};
  return {set.begin(), set.end()};
}

ShortcutItems ShortcutItemsOf(int kind, const ShortcutTargets& targets) {
  ShortcutItems items;
  if (kind == kShortcutGroup) {
    items.folder = kGroupFolder;
    const std::string in = items.folder + "\\";
    items.links.push_back({in + kLinkName, targets.executable});
    if (!targets.helpFile.empty())
      items.links.push_back({in + "Tavion help.lnk", targets.helpFile});
    if (!targets.uninstaller.empty())
      items.links.push_back({in + "Uninstall Tavion.lnk", targets.uninstaller});
  } else if (kind >= kShortcutProgramsMenu && kind <= kShortcutQuickLaunch) {
    items.links.push_back({ShortcutMarker(kind), targets.executable});
  }
  return items;
}

std::string ShortcutMarker(int kind) {
  switch (kind) {
    case kShortcutGroup:
      return kGroupFolder;
    case kShortcutProgramsMenu:
      return std::string("%menu_prog%\\") + kLinkName;
    case kShortcutDesktop:
      return std::string("%desktop%\\") + kLinkName;
    case kShortcutQuickLaunch:
      return std::string("%appdata%\\Microsoft\\Internet Explorer\\Quick Launch\\") + kLinkName;
    default:
      return {};
  }
}

int ShortcutKindOfControl(std::string_view name) {
  constexpr std::string_view kPrefix = "cb_sc";
  if (name.size() != kPrefix.size() + 1 || !name.starts_with(kPrefix)) return 0;
  const int kind = name.back() - '0';
  return kind >= 1 && kind <= kShortcutKindCount ? kind : 0;
}

std::string AutorunCommand(std::string_view executable) {
  std::string command = "\"";
  command += executable;
  command += "\" /a";
  return command;
}

bool SetAutorun(RegistryStore& user, std::string_view executable, bool on) {
  if (on) return user.WriteString(kAutorunKeyPath, kAutorunValueName, AutorunCommand(executable));
  return user.DeleteValue(kAutorunKeyPath, kAutorunValueName);
}

bool AutorunRegistered(const RegistryStore& user) {
  return user.ReadString(kAutorunKeyPath, kAutorunValueName, kAutorunReadBound).value_or("nil") !=
         "nil";
}

}  // namespace tavion
