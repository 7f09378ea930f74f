// The notification window driven through ShowOSD on this thread, observed as a user would see it:
// found by class, its opacity read from the window's own record, its life followed to the end.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "exec/main_messages.h"
#include "osd/osd_window_win.h"
#include "settings/settings.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

using wine_test::PumpThroughSentinel;
using wine_test::PumpUntil;

// What a worker that ended on its own posts to the window: "end me, I served generation wParam".
constexpr UINT kWorkerEnd = WM_APP + 2;

std::vector<HWND> OsdWindows() {
  std::vector<HWND> found;
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, kOsdWindowClass, nullptr));)
    found.push_back(w);
  return found;
}

std::wstring Caption(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

class OsdWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    SettingsRecord& settings = Settings();
    settings.Show_Time = 10000;
    settings.Animation = 0;
    settings.SkinType = 0;
    settings.FullScr = true;
    main_.record = [](UINT message) { return message == WM_TV_STATUS; };
    OsdHost host;
    host.mainWindow = main_.hwnd();
    host.icon = [this](int iconIndex, uint8_t kind) {
      iconRequests_.insert({iconIndex, kind});
      return LoadIconW(nullptr, IDI_INFORMATION);
    };
    host.terminating = [] { return false; };
    ConfigureOsd(std::move(host));
  }
  void TearDown() override {
    CloseOsd();
    EXPECT_FALSE(OsdWindowExists());
  }

  // Each opacity the window applies until it is gone: one message at a time, so that no step is
  // missed however late this thread runs.
  static std::vector<int> AlphaToTheEnd() {
    std::vector<int> alphas{OsdAppliedAlpha()};
    const ULONGLONG deadline = GetTickCount64() + 10000;
    while (!OsdWindows().empty() && GetTickCount64() < deadline) {
      MSG msg;
      if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        continue;
      }
      DispatchMessageW(&msg);
      if (OsdAppliedAlpha() != alphas.back()) alphas.push_back(OsdAppliedAlpha());
    }
    return alphas;
  }

  wine_test::TestWindow main_;
  std::set<std::pair<int, uint8_t>> iconRequests_;
};

TEST_F(OsdWindowTest, FadesInHoldsFadesOutAndIsDestroyed) {
  Settings().Animation = 1;
  Settings().Show_Time = 100;
  ShowOSD("Notepad\r\nCtrl + Alt + N", /*checkEnabled=*/true, /*iconIndex=*/3, /*kind=*/0);
  ASSERT_EQ(1u, OsdWindows().size());
  const HWND window = OsdWindows()[0];
  EXPECT_EQ(L"Notepad\r\nCtrl + Alt + N", Caption(window));
  EXPECT_TRUE(IsWindowVisible(window));
  const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
  EXPECT_EQ(WS_EX_TOOLWINDOW | WS_EX_LAYERED, exStyle & (WS_EX_TOOLWINDOW | WS_EX_LAYERED));
  EXPECT_NE(0, exStyle & WS_EX_TOPMOST) << "FullScr keeps it topmost";

  const std::vector<int> alphas = AlphaToTheEnd();
  ASSERT_TRUE(OsdWindows().empty()) << "the window is destroyed at the end";
  EXPECT_EQ(0, alphas.front()) << "starts transparent";
  // Rises in steps to full opacity, then only falls.
  const auto full = std::ranges::find(alphas, 255);
  ASSERT_NE(alphas.end(), full) << testing::PrintToString(alphas);
  EXPECT_TRUE(std::is_sorted(alphas.begin(), full)) << testing::PrintToString(alphas);
  EXPECT_GT(full - alphas.begin(), 2) << "not at once";
  EXPECT_TRUE(std::is_sorted(full, alphas.end(), std::greater<>()));
  EXPECT_EQ(1u, iconRequests_.count({3, 0})) << "the painter asks for the action's icon";
  EXPECT_FALSE(OsdWorkerRunning());
}

TEST_F(OsdWindowTest, ASecondTextReusesTheLivingWindowLaidOutAnew) {
  ShowOSD("First", false, -1, 0);
  const HWND first = OsdWindows().at(0);
  RECT before;
  GetWindowRect(first, &before);
  Settings().Show_Time = 0;
  ShowOSD("A much longer second text\r\nwith a second line", false, 2, 1);
  ASSERT_EQ(std::vector<HWND>{first}, OsdWindows());
  EXPECT_EQ(L"A much longer second text\r\nwith a second line", Caption(first));
  RECT after;
  GetWindowRect(first, &after);
  EXPECT_GT(after.right - after.left, before.right - before.left);
  EXPECT_GT(after.bottom - after.top, before.bottom - before.top);
  EXPECT_TRUE(PumpUntil([] { return OsdWindows().empty(); })) << "the second text's worker ends it";
  EXPECT_EQ(1u, iconRequests_.count({2, 1}));
}

// A worker that ended on its own leaves its end in the window's queue; a text shown before the
// window takes it is not ended by it.
TEST_F(OsdWindowTest, AnEndLeftByTheLastWorkerSparesTheNextText) {
  Settings().Show_Time = 0;
  ShowOSD("First", false, -1, 0);
  const HWND window = OsdWindows().at(0);
  MSG queued;
  const auto endQueued = [&] {
    return PeekMessageW(&queued, window, kWorkerEnd, kWorkerEnd, PM_NOREMOVE) != FALSE;
  };
  // Waits for the worker's post without taking it out of the queue.
  const ULONGLONG deadline = GetTickCount64() + 5000;
  while (!endQueued() && GetTickCount64() < deadline)
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_POSTMESSAGE);
  ASSERT_TRUE(endQueued());
  Settings().Show_Time = 10000;
  ShowOSD("Second", false, -1, 0);
  ASSERT_TRUE(PumpThroughSentinel());
  EXPECT_EQ(std::vector<HWND>{window}, OsdWindows());
  EXPECT_EQ(L"Second", Caption(window));
}

TEST_F(OsdWindowTest, ALeftClickEndsTheNotification) {
  ShowOSD("Click me", false, -1, 0);
  ASSERT_TRUE(PumpUntil([] { return OsdAppliedAlpha() == 255; }));
  RECT rect;
  GetWindowRect(OsdWindows().at(0), &rect);
  SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  INPUT clicks[2] = {};
  clicks[0].type = clicks[1].type = INPUT_MOUSE;
  clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ASSERT_EQ(2u, SendInput(2, clicks, sizeof clicks[0]));
  EXPECT_TRUE(PumpUntil([] { return OsdWindows().empty(); })) << "ended long before Show_Time";
}

TEST_F(OsdWindowTest, StopEndsTheNotificationAtTheWorkersNextStep) {
  ShowOSD("Stop", false, -1, 0);
  StopOsd();
  EXPECT_TRUE(PumpUntil([] { return OsdWindows().empty(); }));
}

TEST_F(OsdWindowTest, UnskinnedPaintsTheBackgroundColour) {
  Settings().ColorBack = RGB(0, 0, 200);
  ShowOSD("Blue", false, -1, 0);
  ASSERT_TRUE(PumpUntil([] { return OsdAppliedAlpha() == 255; }));
  const HWND window = OsdWindows().at(0);
  HDC dc = GetDC(window);
  EXPECT_EQ(RGB(0, 0, 200), GetPixel(dc, 2, 2)) << "inside the border, left of the icon";
  ReleaseDC(window, dc);
}

TEST_F(OsdWindowTest, ShiftDragStoresTheCornerAndMinimizeIsIgnored) {
  ShowOSD("Drag", false, -1, 0);
  const HWND window = OsdWindows().at(0);
  EXPECT_EQ(HTCLIENT, SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(5, 5)));
  INPUT shift = {};
  shift.type = INPUT_KEYBOARD;
  shift.ki.wVk = VK_SHIFT;
  ASSERT_EQ(1u, SendInput(1, &shift, sizeof shift));
  const wine_test::ScopeExit release([&shift] {
    shift.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &shift, sizeof shift);
  });
  ASSERT_TRUE(PumpUntil([] { return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0; }));
  EXPECT_EQ(HTCAPTION, SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(5, 5)));
  SetWindowPos(window, nullptr, 210, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(PumpThroughSentinel());
  ASSERT_EQ(1u, main_.Of(WM_TV_STATUS).size());
  EXPECT_EQ(static_cast<WPARAM>(kStatusCustomOsdPosition), main_.Of(WM_TV_STATUS)[0].wParam);
  EXPECT_EQ(210, Settings().PosX);
  EXPECT_EQ(150, Settings().PosY);

  SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_FALSE(IsIconic(window));
  EXPECT_TRUE(IsWindowVisible(window));
}

}  // namespace
}  // namespace tavion
