#include "actions/exec_on.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/masks.h"
#include "native/support/fakes.h"

namespace tavion {
namespace {

test::FakeWindows Desktop() {
  return test::FakeWindows({{0x10, "Notepad", "Untitled - Notepad"},
                            {0x20, "SciCalc", "Calculator"},
                            {0x30, "Notepad", "notes.txt - Notepad"},
                            {0x40, "Shell_TrayWnd", ""}});
}

TActionExecOnWItem Item(std::initializer_list<std::pair<const char*, const char*>> pairs,
                        bool enabled = true) {
  TActionExecOnWItem item;
  for (const auto& [windowClass, caption] : pairs) item.AddWindow(windowClass, caption);
  item.Enbl = enabled;
  return item;
}

TEST(WindowList, OneOrSeveralPairsStoredAsCommaTextWithNilForEmptyAndKeptPaired) {
  TMyWindow single(kMatchMasks | kMatchAbsent);
  single.AddWindow("A", "a");
  single.AddWindow("B", "");  // replaces
  EXPECT_EQ((WindowEntry{"B", "nil"}), (WindowEntry{single.WCls(), single.WCap()}));
  // Stored lists of different lengths: a missing caption is "nil", a surplus one is dropped.
  TActionExecOnWItem several;
  several.SetWCls("A,B");
  several.SetWCap("a");
  EXPECT_EQ((WindowEntry{"B", "nil"}), several.GetWindow(1));
  several.AddWindow("", "d, \"quoted\"");
  EXPECT_TRUE(several.DeleteWindow(0));
  EXPECT_FALSE(several.DeleteWindow(2));
  TActionExecOnWItem copy;
  copy.SetWCls(several.WCls());
  copy.SetWCap(several.WCap() + ",x,y");
  EXPECT_EQ(2u, copy.WindowCount());
  copy.AddWindow("E", "e");
  EXPECT_EQ(
      (std::vector<std::optional<WindowEntry>>{WindowEntry{"B", "nil"},
                                               WindowEntry{"nil", "d, \"quoted\""},
                                               WindowEntry{"E", "e"}, std::nullopt}),
      (std::vector{copy.GetWindow(0), copy.GetWindow(1), copy.GetWindow(2), copy.GetWindow(3)}));
}

TEST(Conditions, ActiveAndNotActiveAskTheForegroundWindowOnlyWhenEnabled) {
  test::FakeWindows desktop = Desktop();
  desktop.foreground = 0x20;
  const TActionExecOnWItem calculator = Item({{"nil", "Calculator"}}), none = Item({}),
                           disabled = Item({{"Notepad", "nil"}}, /*enabled=*/false);
  EXPECT_EQ((std::vector<bool>{true, false, false, true, true, true}),
            (std::vector<bool>{calculator.IfActive(desktop), calculator.IfNotActive(desktop),
                               none.IfActive(desktop), none.IfNotActive(desktop),
                               disabled.IfActive(desktop), disabled.IfNotActive(desktop)}));
  desktop.foreground = 0x30;
  EXPECT_FALSE(calculator.IfActive(desktop));
}

TEST(Conditions, ExistsAndNotExistsSearchTheWindowsOnceAndActivationRaisesTheFirstNamed) {
  test::FakeWindows desktop = Desktop();
  const TActionExecOnWItem missing = Item({{"Winamp v1.x", "nil"}, {"nil", "Nothing"}});
  const TActionExecOnWItem none = Item({});  // enabled with empty lists: exists
  const TActionExecOnWItem disabled = Item({{"Winamp v1.x", "nil"}}, /*enabled=*/false);
  EXPECT_EQ(
      (std::vector<bool>{false, true, true, false, true, true}),
      (std::vector<bool>{missing.IfExists(desktop, /*activate=*/true), missing.IfNotExists(desktop),
                         none.IfExists(desktop, true), none.IfNotExists(desktop),
                         disabled.IfExists(desktop, true), disabled.IfNotExists(desktop)}));
  EXPECT_EQ(8, desktop.classReads) << "each window once per search, whatever the number of pairs";
  // The first pair names only the third window; the second names the topmost.
  const TActionExecOnWItem item =
      Item({{"Winamp v1.x", "nil"}, {"nil", "notes.txt%*%"}, {"Notepad", "nil"}});
  EXPECT_FALSE(item.IfNotExists(desktop));
  EXPECT_TRUE(item.IfExists(desktop, /*activate=*/false) && desktop.raised.empty());
  EXPECT_TRUE(item.IfExists(desktop, /*activate=*/true));
  // Raising that fails: the window exists all the same.
  desktop.raiseFails = true;
  EXPECT_TRUE(Item({{"SciCalc", "nil"}}).IfExists(desktop, true));
  EXPECT_EQ((std::vector<WindowHandle>{0x30, 0x20}), desktop.raised);
}

}  // namespace
}  // namespace tavion
