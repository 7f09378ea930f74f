#include "exec/shell_window.h"

#include <gtest/gtest.h>

namespace tavion {
namespace {

TEST(IsShellWindow, DesktopAndTaskBarButNotLookAlikes) {
  struct Case {
    ShellWindowFacts facts;
    bool shell;
  };
  const Case cases[] = {
      {{"Progman", "Program Manager", false, false}, true},
      {{"Progman", "", false, false}, false},
      {{"Progman", "program manager", false, false}, false},
      {{"WorkerW", "", false, false}, true},
      {{"WorkerW", "Wallpaper", false, false}, false},
      {{"Shell_TrayWnd", "", false, false}, true},
      {{"Shell_TrayWnd", "Taskbar", false, false}, true},
      {{"ReBarWindow32", "", false, true}, true},
      {{"ReBarWindow32", "", false, false}, false},
      {{"#32769", "", true, false}, true},
      {{"Notepad", "Program Manager", false, false}, false},
      {{"shell_traywnd", "", false, false}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.shell, IsShellWindow(c.facts)) << c.facts.windowClass << "/" << c.facts.caption;
  }
}

}  // namespace
}  // namespace tavion
