#pragma once
// The window picker's decisions: which top-level windows its browse menu offers, the text of an
// entry, and the class and caption an entry hands back. Portable; the picker dialog is in
// window_picker_win.h.
#include <optional>
#include <string>
#include <string_view>

namespace tavion {

// A top-level window as the browse menu sees it.
struct BrowsedWindow {
  std::string windowClass;
  std::string caption;
  std::string executablePath;  // of the owning process; empty when it cannot be named
  bool visible = false;
  bool isPicker = false;         // the picker dialog itself
  bool ownHiddenWindow = false;  // a window of this program kept out of sight
  bool hasChildren = false;
};

// Whether the browse menu lists `window`: visible ones, except the picker, the program's own
// hidden windows and "TApplication" windows without a child window.
bool ShownInBrowseMenu(const BrowsedWindow& window);

// The file name of `path` (after its last backslash or slash).
std::string_view ExecutableName(std::string_view path);

// The menu text of `window`: class + " | " + caption, followed by "   (" + executable name + ")"
// when the executable is known.
std::string BrowseMenuText(const BrowsedWindow& window);

// An entry's class and caption in one text, joined by the character with code 1.
std::string JoinPickedWindow(std::string_view windowClass, std::string_view caption);
struct PickedWindow {
  std::string windowClass;
  std::string caption;
  friend bool operator==(const PickedWindow&, const PickedWindow&) = default;
};
// The reverse of JoinPickedWindow; a text without the joining character is all class.
PickedWindow SplitPickedWindow(std::string_view joined);

// The first check that keeps the picker open: the name of the control to focus (the class edit
// when both texts are empty), or nullopt when the texts can be confirmed.
std::optional<std::string> CheckPickedWindow(const PickedWindow& window);

}  // namespace tavion
