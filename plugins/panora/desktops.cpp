#include "desktops.h"

#include <algorithm>
#include <charconv>

namespace panora {
namespace {

bool SameText(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

// A whole decimal number, nothing else.
std::optional<uint64_t> Decimal(std::string_view text) {
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

Command ParseCommand(const std::vector<std::string>& args) {
  Command command;
  if (args.empty()) return command;
  command.text = args[0];
  if (args.size() > 2) {
    command.kind = CommandKind::kUnknown;
    return command;
  }
  if (args.size() == 2) {
    const std::optional<uint64_t> handle = Decimal(args[1]);
    if (!handle) {
      command.kind = CommandKind::kUnknown;
      return command;
    }
    command.hostWindow = *handle;
  }
  const std::string_view text = args[0];
  if (text.size() == 1 && text[0] >= '0' && text[0] < '0' + kDesktopCount) {
    command.kind = CommandKind::kSwitch;
    command.desktop = text[0] - '0';
  } else if (SameText(text, "X") || SameText(text, "/UnInstall")) {
    command.kind = CommandKind::kExit;
  } else if (SameText(text, "/Options")) {
    command.kind = CommandKind::kOptions;
  } else if (SameText(text, "/Help")) {
    command.kind = CommandKind::kHelp;
  } else {
    command.kind = CommandKind::kUnknown;
  }
  return command;
}

std::string CommandText(const Command& command) {
  if (command.kind == CommandKind::kNone) return {};
  return command.text + " " + std::to_string(command.hostWindow);
}

bool BelongsToDesktop(const WindowFacts& window, const Exclusions& exclusions) {
  if (!window.visible || window.owned) return false;
  if (window.toolWindow && !window.appWindow) return false;
  for (const char* shell : {"Progman", "Shell_TrayWnd", "TAVION_ROOTWINDOW"})
    if (window.className == shell) return false;
  for (const uint32_t process : {exclusions.ownProcess, exclusions.hostProcess})
    if (process != 0 && window.process == process) return false;
  return true;
}

SwitchPlan VirtualDesktops::Switch(int target, const std::vector<WindowRef>& visible,
                                   std::optional<WindowRef> foreground) {
  SwitchPlan plan;
  if (target == current_ || target < 0 || target >= kDesktopCount) return plan;
  for (const WindowRef& window : visible) {
    for (auto& list : hidden_) std::erase(list, window);
  }
  hidden_[current_] = visible;
  const bool foregroundHere =
      foreground && std::find(visible.begin(), visible.end(), *foreground) != visible.end();
  lastActive_[current_] = foregroundHere ? foreground : std::nullopt;
  plan.hide = visible;

  plan.show.assign(hidden_[target].rbegin(), hidden_[target].rend());
  // The window active when the target was left may have moved to another desktop since.
  const std::vector<WindowRef>& back = hidden_[target];
  const std::optional<WindowRef> last = lastActive_[target];
  if (last && std::find(back.begin(), back.end(), *last) != back.end()) {
    plan.activate = last;
  } else if (!back.empty()) {
    plan.activate = back.front();
  }
  hidden_[target].clear();
  lastActive_[target].reset();
  current_ = target;
  return plan;
}

std::vector<WindowRef> VirtualDesktops::TakeAllHidden() {
  std::vector<WindowRef> all = AllHidden();
  for (auto& list : hidden_) list.clear();
  for (auto& active : lastActive_) active.reset();
  return all;
}

std::vector<WindowRef> VirtualDesktops::AllHidden() const {
  std::vector<WindowRef> all;
  for (const auto& list : hidden_) all.insert(all.end(), list.begin(), list.end());
  return all;
}

std::string FormatHiddenList(const std::vector<WindowRef>& windows) {
  std::string text;
  for (const WindowRef& window : windows) {
    if (!text.empty()) text += ';';
    text += std::to_string(window.handle) + ':' + std::to_string(window.process);
  }
  return text;
}

std::vector<WindowRef> ParseHiddenList(std::string_view text, std::size_t limit) {
  std::vector<WindowRef> windows;
  while (!text.empty() && windows.size() < limit) {
    const std::size_t end = std::min(text.find(';'), text.size());
    const std::string_view entry = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    const std::size_t colon = entry.find(':');
    if (colon == std::string_view::npos) continue;
    const std::optional<uint64_t> handle = Decimal(entry.substr(0, colon));
    const std::optional<uint64_t> process = Decimal(entry.substr(colon + 1));
    if (!handle || !process || *handle == 0 || *process > UINT32_MAX) continue;
    windows.push_back({*handle, static_cast<uint32_t>(*process)});
  }
  return windows;
}

}  // namespace panora
