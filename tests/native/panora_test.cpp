#include "panora/desktops.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace panora {
namespace {

using Args = std::vector<std::string>;
using Refs = std::vector<WindowRef>;

TEST(PanoraCommand, ReadsCommandAndHandle) {
  const struct {
    Args args;
    CommandKind kind;
    int desktop;
    uint64_t host;
  } cases[] = {
      {{}, CommandKind::kNone, 0, 0},
      {{"3", "1234"}, CommandKind::kSwitch, 3, 1234},
      {{"0"}, CommandKind::kSwitch, 0, 0},  // started by hand: no handle
      {{"4", "1"}, CommandKind::kUnknown, 0, 1},
      {{"12"}, CommandKind::kUnknown, 0, 0},
      {{"x", "77"}, CommandKind::kExit, 0, 77},
      {{"/UNINSTALL", "5"}, CommandKind::kExit, 0, 5},
      {{"/options", "9"}, CommandKind::kOptions, 0, 9},
      {{"/Help"}, CommandKind::kHelp, 0, 0},
      {{"1", "12ab"}, CommandKind::kUnknown, 0, 0},  // no number where the handle goes
      {{"1", "-5"}, CommandKind::kUnknown, 0, 0},
      {{"1", "2", "3"}, CommandKind::kUnknown, 0, 0},
      {{"/Optionsx"}, CommandKind::kUnknown, 0, 0},
  };
  for (const auto& c : cases) {
    const Command command = ParseCommand(c.args);
    const std::string label = c.args.empty() ? "(none)" : c.args[0];
    EXPECT_EQ(c.kind, command.kind) << label;
    EXPECT_EQ(c.desktop, command.desktop) << label;
    EXPECT_EQ(c.host, command.hostWindow) << label;
  }
  EXPECT_EQ("/Options 9", CommandText(ParseCommand({"/Options", "9"})));
}

TEST(PanoraWindows, OnlyApplicationWindowsOfOtherProgramsBelongToADesktop) {
  const Exclusions exclusions{.ownProcess = 10, .hostProcess = 20};
  const WindowFacts app{.className = "Notepad", .process = 30, .visible = true};
  auto with = [&](auto change) {
    WindowFacts window = app;
    change(window);
    return BelongsToDesktop(window, exclusions);
  };
  EXPECT_TRUE(with([](WindowFacts&) {}));
  EXPECT_FALSE(with([](WindowFacts& w) { w.visible = false; }));
  EXPECT_FALSE(with([](WindowFacts& w) { w.owned = true; }));
  EXPECT_FALSE(with([](WindowFacts& w) { w.toolWindow = true; }));
  EXPECT_TRUE(with([](WindowFacts& w) { w.toolWindow = w.appWindow = true; }));
  EXPECT_FALSE(with([](WindowFacts& w) { w.className = "Progman"; }));
  EXPECT_FALSE(with([](WindowFacts& w) { w.className = "Shell_TrayWnd"; }));
  EXPECT_FALSE(with([](WindowFacts& w) { w.className = "TAVION_ROOTWINDOW"; }));
  EXPECT_FALSE(with([](WindowFacts& w) { w.process = 10; }));
  EXPECT_FALSE(with([](WindowFacts& w) { w.process = 20; }));
  EXPECT_TRUE(BelongsToDesktop({.className = "A", .process = 0, .visible = true}, {}));
}

const WindowRef a{1, 100}, b{2, 100}, c{3, 200}, d{4, 300};

TEST(PanoraDesktops, SwitchHidesTheLeftDesktopAndBringsTheTargetBack) {
  VirtualDesktops desktops;
  SwitchPlan toOne = desktops.Switch(1, {a, b}, b);
  EXPECT_EQ((Refs{a, b}), toOne.hide);
  EXPECT_TRUE(toOne.show.empty());
  EXPECT_FALSE(toOne.activate);
  EXPECT_EQ(1, desktops.Current());
  EXPECT_EQ((Refs{a, b}), desktops.AllHidden());

  SwitchPlan toTwo = desktops.Switch(2, {c}, std::nullopt);
  EXPECT_EQ((Refs{c}), toTwo.hide);
  EXPECT_TRUE(toTwo.show.empty());

  // Back to desktop 0: bottom of the z-order shown first, the window active when it was left
  // activated; c stays hidden on desktop 1.
  SwitchPlan toZero = desktops.Switch(0, {d}, d);
  EXPECT_EQ((Refs{b, a}), toZero.show);
  EXPECT_EQ(b, toZero.activate);
  EXPECT_EQ((Refs{c, d}), desktops.AllHidden());

  // A desktop left without an active window of its own activates its top window.
  EXPECT_EQ(c, desktops.Switch(1, {}, a).activate);
}

TEST(PanoraDesktops, SwitchToTheSameOrNoDesktopChangesNothing) {
  VirtualDesktops desktops;
  for (const int target : {0, -1, kDesktopCount}) {
    const SwitchPlan plan = desktops.Switch(target, {a}, a);
    EXPECT_TRUE(plan.hide.empty() && plan.show.empty() && !plan.activate) << target;
    EXPECT_EQ(0, desktops.Current());
  }
  EXPECT_TRUE(desktops.AllHidden().empty());
}

// A window seen on the current desktop belongs to it alone, even when it was hidden elsewhere
// and its program showed it again.
TEST(PanoraDesktops, AWindowSeenAgainMovesWithTheDesktopItIsSeenOn) {
  VirtualDesktops desktops;
  desktops.Switch(1, {a, b}, a);
  const SwitchPlan plan = desktops.Switch(2, {a, c}, c);
  EXPECT_EQ((Refs{a, c}), plan.hide);
  EXPECT_EQ((Refs{b, a, c}), desktops.AllHidden());
  const SwitchPlan back = desktops.Switch(0, {}, std::nullopt);
  EXPECT_EQ((Refs{b}), back.show);
  EXPECT_EQ(b, back.activate);  // a, active when 0 was left, has gone to desktop 1
  EXPECT_EQ((Refs{a, c}), desktops.TakeAllHidden());
  EXPECT_TRUE(desktops.AllHidden().empty());
  EXPECT_FALSE(desktops.Switch(1, {}, std::nullopt).activate);
}

TEST(PanoraHiddenList, RoundTripsAndSkipsBrokenEntries) {
  const Refs windows{{1, 100}, {0xFFFFFFFFFFFFull, 4294967295u}, {66, 0}};
  EXPECT_EQ(windows, ParseHiddenList(FormatHiddenList(windows)));
  EXPECT_EQ("", FormatHiddenList({}));
  EXPECT_TRUE(ParseHiddenList("").empty());
  EXPECT_EQ((Refs{{5, 6}, {7, 8}}),
            ParseHiddenList(";5:6;junk;:1;2:;0:3;1:4294967296;-1:2;9:9x;7:8;"));
  EXPECT_EQ((Refs{{1, 1}, {2, 2}}), ParseHiddenList("1:1;2:2;3:3", 2));
}

}  // namespace
}  // namespace panora
