#include "pipeline/command_line.h"

#include <algorithm>
#include <string_view>

namespace tavion {
namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return lower(x) == lower(y);
  });
}

}  // namespace

CommandLine ParseCommandLine(std::span<const std::string> arguments) {
  auto present = [&](std::string_view name) {
    return std::ranges::any_of(arguments,
                               [&](const std::string& a) { return EqualsIgnoringCase(a, name); });
  };
  CommandLine result;
  result.autorun = present("/a");
  constexpr std::string_view kHelpPrefix = "/help=";
  for (const std::string& a : arguments) {
    if (a.starts_with(kHelpPrefix)) {
      result.help = a.substr(kHelpPrefix.size());
      break;
    }
  }
  struct LinkSwitch {
    std::string_view name;
    int set;
  };
  static constexpr LinkSwitch kLinks[] = {
      {"/link0", 1}, {"/link1", 2}, {"/link2", 3}, {"/link3", 4}, {"/linkX", kShortcutSetAll}};
  for (const LinkSwitch& link : kLinks)
    if (present(link.name)) result.shortcutSets.push_back(link.set);
  result.removeShortcuts = present("/link_remote");
  result.preKill = present("/pre_kill");
  result.backup = present("/sr");
  result.restart = present("/lr");
  return result;
}

}  // namespace tavion
