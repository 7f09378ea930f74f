#include "ui/window_picker.h"

#include <gtest/gtest.h>

#include <string>

namespace tavion {
namespace {

BrowsedWindow Seen(const char* windowClass, bool visible, bool isPicker = false,
                   bool ownHidden = false, bool hasChildren = false) {
  BrowsedWindow window;
  window.windowClass = windowClass;
  window.visible = visible;
  window.isPicker = isPicker;
  window.ownHiddenWindow = ownHidden;
  window.hasChildren = hasChildren;
  return window;
}

TEST(WindowPickerBrowse, ListsVisibleWindowsButNotItselfTheProgramsHiddenOnesOrEmptyDelphiShells) {
  const struct {
    BrowsedWindow window;
    bool shown;
  } cases[] = {
      {Seen("Notepad", true), true},       {Seen("Notepad", false), false},
      {Seen("#32770", true, true), false}, {Seen("X", true, false, true), false},
      {Seen("TApplication", true), false}, {Seen("TApplication", true, false, false, true), true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.shown, ShownInBrowseMenu(c.window)) << c.window.windowClass;
}

}  // namespace
}  // namespace tavion
