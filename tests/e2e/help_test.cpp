// The help as a user opens it from the main window: F1, then a "Help" entry of the navigation,
// which replaces the help window F1 opened.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tavion_process.h"

namespace tavion::e2e {
namespace {

constexpr wchar_t kHelpClass[] = L"HH Parent";

TEST(Help, F1ThenTheVersionHistoryEntryShowOneHelpWindow) {
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);
  const std::wstring page = PageTitle(main);

  Press({VK_F1});
  HWND first = wine_test::WaitForWindow(kHelpClass, tavion.Id(), L"Tavion");
  ASSERT_NE(nullptr, first) << "F1 opens the help window captioned by the help file's title";
  EXPECT_EQ(nullptr, GetWindow(first, GW_OWNER));
  SaveScreenshot("help-window-" + std::to_string(ScreenDpi()));

  SetForegroundWindow(main);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }));
  Press({VK_HOME, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(first); })) << "the earlier help window closes";
  EXPECT_TRUE(WaitUntil(
      [&] { return wine_test::TopLevelWindows(kHelpClass, tavion.Id(), L"Tavion").size() == 1; }));
  EXPECT_EQ(page, PageTitle(main)) << "the page shown stays";

  ExitConfirmed(tavion, main);
}

}  // namespace
}  // namespace tavion::e2e
