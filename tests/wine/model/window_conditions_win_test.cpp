// The window conditions of an action on the system's windows: names and captions as UTF-8, and
// "set focus before start" raising the upper named window.
#include "actions/window_system_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "actions/exec_on.h"
#include "base/utf_win.h"
#include "pipeline/sidekit_library_win.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

using wine_test::MakeForeground;
using wine_test::TestWindow;

constexpr DWORD kShown = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

WindowHandle Handle(const TestWindow& window) {
  return ToWindowHandle(window.hwnd());
}

TActionExecOnWItem Item(std::initializer_list<std::pair<const char*, const char*>> pairs) {
  TActionExecOnWItem item;
  for (const auto& [windowClass, caption] : pairs) item.AddWindow(windowClass, caption);
  item.Enbl = true;
  return item;
}

TEST(Win32WindowSystem, ReadsNamesAndCaptionsAsUtf8CutTo255Characters) {
  const TestWindow accented({.className = L"TavionModel\u00C9t\u00E9",
                             .caption = L"Gr\u00F6\u00DFe \u2013 \u00DCbersicht"});
  const std::wstring longCaption(300, L'\u00E9');
  const TestWindow longer({.className = L"TavionModelLong", .caption = longCaption.c_str()});
  const Win32WindowSystem windows;
  EXPECT_EQ("TavionModel\xC3\x89t\xC3\xA9", windows.ClassName(Handle(accented)));
  EXPECT_EQ(
      "Gr\xC3\xB6\xC3\x9F"
      "e \xE2\x80\x93 \xC3\x9C"
      "bersicht",
      windows.Caption(Handle(accented)));
  EXPECT_EQ(WideToUtf8(std::wstring(255, L'\u00E9')), windows.Caption(Handle(longer)));
  EXPECT_EQ("", windows.ClassName(0));
  EXPECT_EQ("", windows.Caption(0));
}

// Raising through the support library and through SetForegroundWindow.
class SetFocusBeforeStart : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam()) {
      ASSERT_TRUE(sidekit_.Load(wine_test::ProgramFolder().c_str()));
      ASSERT_NE(nullptr, sidekit_.ForceForegroundWindow);
    }
  }
  Win32WindowSystem System() {
    return Win32WindowSystem(GetParam() ? sidekit_.ForceForegroundWindow : nullptr);
  }

  SidekitLibrary sidekit_;
};

TEST_P(SetFocusBeforeStart, BringsTheFirstNamedWindowToTheForeground) {
  const TestWindow target(
      {.className = L"TavionModelTarget", .caption = L"Target window", .style = kShown});
  const TestWindow second(
      {.className = L"TavionModelTarget", .caption = L"Second target", .style = kShown});
  const TestWindow current({.className = L"TavionModelCurrent", .style = kShown});
  ASSERT_TRUE(MakeForeground(current.hwnd()));
  Win32WindowSystem windows = System();

  // Of two windows that a pair names, the upper one.
  EXPECT_TRUE(Item({{"TavionModelTarget", "nil"}}).IfExists(windows, /*activate=*/true));
  EXPECT_TRUE(wine_test::PumpUntil([&] { return GetForegroundWindow() == second.hwnd(); }));

  // The first pair names no window; the second names only the lower target.
  ASSERT_TRUE(MakeForeground(current.hwnd()));
  EXPECT_TRUE(Item({{"TavionModelMissing", "nil"}, {"TavionModelTarget", "Target%*%"}})
                  .IfExists(windows, /*activate=*/true));
  EXPECT_TRUE(wine_test::PumpUntil([&] { return GetForegroundWindow() == target.hwnd(); }));
}

INSTANTIATE_TEST_SUITE_P(Raise, SetFocusBeforeStart, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& param) {
                           return param.param ? std::string("WithSidekit")
                                              : std::string("WithSetForegroundWindow");
                         });

}  // namespace
}  // namespace tavion
