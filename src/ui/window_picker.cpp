#include "ui/window_picker.h"

namespace tavion {
namespace {

constexpr char kJoin = '\x01';

}  // namespace

bool ShownInBrowseMenu(const BrowsedWindow& window) {
  if (!window.visible || window.isPicker || window.ownHiddenWindow) return false;
  // A Delphi program's application window is visible but empty; its forms are listed instead.
  return !(window.windowClass == "TApplication" && !window.hasChildren);
}

std::string_view ExecutableName(std::string_view path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string BrowseMenuText(const BrowsedWindow& window) {
  std::string text = window.windowClass + " | " + window.caption;
  const std::string_view name = ExecutableName(window.executablePath);
  if (!name.empty()) text.append("   (").append(name).append(")");
  return text;
}

std::string JoinPickedWindow(std::string_view windowClass, std::string_view caption) {
  std::string joined(windowClass);
  joined += kJoin;
  joined += caption;
  return joined;
}

PickedWindow SplitPickedWindow(std::string_view joined) {
  const size_t at = joined.find(kJoin);
  if (at == std::string_view::npos) return {std::string(joined), {}};
  return {std::string(joined.substr(0, at)), std::string(joined.substr(at + 1))};
}

std::optional<std::string> CheckPickedWindow(const PickedWindow& window) {
  if (window.windowClass.empty() && window.caption.empty()) return "WCls";
  return std::nullopt;
}

}  // namespace tavion
