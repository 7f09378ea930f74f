// The notification as a user sees it: a hot key brings one window of class "TAVION_NOTIFYWINDOW"
// with the action's name and hot key, which goes again by itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/action.h"
#include "keys/hotkey.h"
#include "screenshot.h"
#include "tavion_process.h"
#include "user_setup.h"

namespace tavion::e2e {
namespace {

// Every window of the notification class that process `pid` owns (shown or not).
std::vector<HWND> OsdWindows(DWORD pid) {
  std::vector<HWND> found;
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"TAVION_NOTIFYWINDOW", nullptr));) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid) found.push_back(w);
  }
  return found;
}

TEST(OsdTest, AHotKeyShowsOneNotificationThatGoesByItself) {
  // "Keep on top" on Ctrl+Alt+N, for a window of the test in front.
  TActionsList list;
  TAction& top = list.Add();
  top.SetName("Keep the window on top");
  top.SetExec("wm_wtop");
  top.Key0().SetHKey(PackHotKey('N', 0, 0, kModCtrl | kModAlt));
  SaveCurrentProfile(list);
  WriteSetting(L"Desk", L"Show_Time", 1000);
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);
  // Out of the way: the notification appears over the tray, not over the main window.
  SendMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  wine_test::TestWindow front({.caption = L"front", .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE});
  ASSERT_TRUE(wine_test::MakeForeground(front.hwnd()));

  PressChord({VK_CONTROL, VK_MENU}, 'N');
  HWND osd = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    const std::vector<HWND> windows = OsdWindows(tavion.Id());
    osd = windows.size() == 1 && IsWindowVisible(windows[0]) ? windows[0] : nullptr;
    return osd != nullptr;
  }));
  const std::wstring text = WindowText(osd);
  EXPECT_NE(std::wstring::npos, text.find(L"Keep the window on top")) << text;
  EXPECT_NE(std::wstring::npos, text.find(L"Ctrl + Alt + N")) << text;
  EXPECT_TRUE(GetWindowLongPtrW(front.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) << "the action ran";
  SaveScreenshot("osd-action");
  EXPECT_TRUE(WaitUntil([&] { return OsdWindows(tavion.Id()).empty(); }, std::chrono::seconds(10)))
      << "faded out and destroyed";
  ExitConfirmed(tavion, main);
}

}  // namespace
}  // namespace tavion::e2e
