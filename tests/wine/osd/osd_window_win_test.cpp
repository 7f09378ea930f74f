// The notification window driven through ShowOSD on this thread, observed as a user would see it:
// found by class, its opacity read from the window's own record, its life followed to the end.
#include <windows.h>

#include <gtest/gtest.h>
#include <uxtheme.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/handles_win.h"
#include "base/message_wait_win.h"
#include "e2e/screenshot.h"
#include "osd/osd_window_win.h"
#include "settings/settings.h"
#include "exec/main_messages.h"

namespace tavion {
namespace {

BOOL CALLBACK CollectOsdWindow(HWND window, LPARAM list) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (std::wstring(name) == kOsdWindowClass) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  }
  return TRUE;
}

std::vector<HWND> OsdWindows() {
  std::vector<HWND> found;
  EnumWindows(CollectOsdWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::wstring Caption(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

// One sample of the notification per pump of the message queue.
struct Sample {
  DWORD tick;
  HWND window;
  int alpha;
};

// The receiving end of the main window's messages.
LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
std::vector<WPARAM> g_statusMessages;
// Posted to the test's main window: sets the event in lParam once the queue is pumped.
constexpr UINT kSetEventWhenPumped = WM_APP + 50;

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TV_STATUS) g_statusMessages.push_back(wParam);
  if (message == kSetEventWhenPumped) SetEvent(reinterpret_cast<HANDLE>(lParam));
  return DefWindowProcW(window, message, wParam, lParam);
}

void PressShift(bool down) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = VK_SHIFT;
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  ASSERT_EQ(1u, SendInput(1, &input, sizeof input));
  WaitProcessingMessages(30);
}

class OsdWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    SettingsRecord& settings = Settings();
    settings.Show_Time = 300;
    settings.Animation = 1;
    settings.SkinType = 0;
    settings.DPosition = 0;
    settings.NoTaskBar = true;
    settings.FullScr = true;
    g_statusMessages.clear();
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = MainProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"OsdTestMain";
    RegisterClassW(&windowClass);
    main_ = CreateWindowW(L"OsdTestMain", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                          windowClass.hInstance, nullptr);
    ASSERT_NE(nullptr, main_);
    icon_ = LoadIconW(nullptr, IDI_INFORMATION);
    OsdHost host;
    host.mainWindow = main_;
    host.icon = [this](int iconIndex, uint8_t kind) {
      iconRequests_.insert({iconIndex, kind});
      return icon_;
    };
    host.terminating = [] { return false; };
    ConfigureOsd(std::move(host));
  }

  void TearDown() override {
    CloseOsd();
    EXPECT_FALSE(OsdWindowExists());
    DestroyWindow(main_);
  }

  // Samples the notification until no window of the class is left or `timeoutMs` passes.
  std::vector<Sample> FollowToEnd(DWORD timeoutMs = 6000) {
    std::vector<Sample> samples;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
      const std::vector<HWND> windows = OsdWindows();
      EXPECT_LE(windows.size(), 1u) << "more than one notification window";
      samples.push_back(
          {GetTickCount(), windows.empty() ? nullptr : windows[0], OsdAppliedAlpha()});
      if (windows.empty()) break;
      WaitProcessingMessages(5);
    }
    return samples;
  }

  // Pumps until `done` holds; false when `timeoutMs` passes first.
  template <typename Condition>
  static bool PumpUntil(Condition done, DWORD timeoutMs = 3000) {
    const DWORD start = GetTickCount();
    while (!done()) {
      if (GetTickCount() - start > timeoutMs) return false;
      WaitProcessingMessages(5);
    }
    return true;
  }

  // Pumps until the applied opacity reaches `alpha`.
  bool WaitForAlpha(int alpha) {
    return PumpUntil([alpha] { return OsdAppliedAlpha() == alpha; });
  }

  HWND main_ = nullptr;
  HICON icon_ = nullptr;
  std::set<std::pair<int, uint8_t>> iconRequests_;
};

TEST_F(OsdWindowTest, FadesInHoldsFadesOutAndIsDestroyed) {
  ShowOSD("Notepad\r\nCtrl + Alt + N", /*checkEnabled=*/true, /*iconIndex=*/3, /*kind=*/0);

  const std::vector<HWND> windows = OsdWindows();
  ASSERT_EQ(1u, windows.size());
  const HWND window = windows[0];
  EXPECT_EQ(L"Notepad\r\nCtrl + Alt + N", Caption(window));
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(0, OsdAppliedAlpha()) << "starts transparent";
  const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
  EXPECT_EQ(WS_EX_TOOLWINDOW | WS_EX_LAYERED, exStyle & (WS_EX_TOOLWINDOW | WS_EX_LAYERED));
  EXPECT_NE(0, exStyle & WS_EX_TOPMOST) << "FullScr keeps it topmost";
  EXPECT_EQ(WS_POPUP | WS_BORDER, GetWindowLongPtrW(window, GWL_STYLE) & (WS_POPUP | WS_BORDER));

  const std::vector<Sample> samples = FollowToEnd();
  ASSERT_EQ(nullptr, samples.back().window) << "the window is destroyed at the end";
  EXPECT_FALSE(IsWindow(window));

  // Rises to full opacity, holds, falls; never rises again after falling.
  auto full =
      std::find_if(samples.begin(), samples.end(), [](const Sample& s) { return s.alpha == 255; });
  ASSERT_NE(samples.end(), full);
  auto falling = std::find_if(full, samples.end(), [](const Sample& s) { return s.alpha < 255; });
  ASSERT_NE(samples.end(), falling);
  EXPECT_GE(falling->tick - full->tick, 280u) << "held for about Show_Time (300 ms)";
  int partlyVisible = 0;
  for (auto it = samples.begin(); it != full; ++it) {
    if (it != samples.begin()) {
      EXPECT_LE(std::prev(it)->alpha, it->alpha);
    }
    if (it->alpha > 0 && it->alpha < 255) ++partlyVisible;
  }
  EXPECT_GT(partlyVisible, 5) << "fades in, not at once";
  for (auto it = std::next(falling); it != samples.end(); ++it) {
    EXPECT_LE(it->alpha, std::prev(it)->alpha);
  }
  EXPECT_EQ(1u, iconRequests_.count({3, 0})) << "the painter asks for the action's icon";
  EXPECT_FALSE(OsdWorkerRunning());
}

TEST_F(OsdWindowTest, SecondTextReusesTheLivingWindow) {
  ShowOSD("First", false, -1, 0);
  const HWND first = OsdWindows().at(0);
  WaitProcessingMessages(200);
  RECT before;
  GetWindowRect(first, &before);
  ShowOSD("A much longer second text\r\nwith a second line", false, 2, 1);

  const std::vector<HWND> windows = OsdWindows();
  ASSERT_EQ(1u, windows.size());
  EXPECT_EQ(first, windows[0]);
  EXPECT_EQ(L"A much longer second text\r\nwith a second line", Caption(first));
  RECT after;
  GetWindowRect(first, &after);
  EXPECT_GT(after.right - after.left, before.right - before.left) << "laid out anew";
  EXPECT_GT(after.bottom - after.top, before.bottom - before.top);

  const std::vector<Sample> samples = FollowToEnd();
  for (size_t i = 0; i + 1 < samples.size(); ++i) {
    EXPECT_EQ(first, samples[i].window) << "no other window and no destruction in between";
  }
  EXPECT_EQ(nullptr, samples.back().window);
  EXPECT_EQ(1u, iconRequests_.count({2, 1}));
}

TEST_F(OsdWindowTest, SecondTextBeforeTheFirstWorkerStartsIsStillEnded) {
  Settings().Animation = 0;
  Settings().Show_Time = 10000;
  // Every worker waits at its first step until the gate opens, so the second text asks for the
  // window before the first worker has run. The gate opens while the second ShowOSD waits for
  // the first worker, or only after that wait has run out.
  for (const bool openWhileWaiting : {true, false}) {
    SCOPED_TRACE(openWhileWaiting ? "opened while waiting" : "opened after the wait");
    const UniqueKernelHandle gate(CreateEventW(nullptr, /*bManualReset=*/TRUE, FALSE, nullptr));
    ASSERT_TRUE(gate);
    auto workersBegun = std::make_shared<std::atomic<int>>(0);
    OsdHost host;
    host.mainWindow = main_;
    // Without animation a worker asks this once, at its first step.
    host.terminating = [event = gate.get(), workersBegun] {
      ++*workersBegun;
      WaitForSingleObject(event, INFINITE);
      return false;
    };
    ConfigureOsd(std::move(host));

    ShowOSD("First", false, -1, 0);
    if (openWhileWaiting) {
      PostMessageW(main_, kSetEventWhenPumped, 0, reinterpret_cast<LPARAM>(gate.get()));
    }
    ShowOSD("Second", false, -1, 0);
    EXPECT_EQ(openWhileWaiting, WaitForSingleObject(gate.get(), 0) == WAIT_OBJECT_0);
    SetEvent(gate.get());
    ASSERT_EQ(1u, OsdWindows().size());
    EXPECT_EQ(L"Second", Caption(OsdWindows()[0]));
    EXPECT_TRUE(PumpUntil([&] { return *workersBegun == 2; })) << "a worker for the second text";

    StopOsd();
    EXPECT_EQ(nullptr, FollowToEnd(3000).back().window) << "that worker ends the window";
    CloseOsd();
  }
}

TEST_F(OsdWindowTest, ClickEndsTheNotification) {
  Settings().Show_Time = 10000;
  Settings().Animation = 0;
  ShowOSD("Click me", false, -1, 0);
  ASSERT_TRUE(WaitForAlpha(255));
  RECT rect;
  GetWindowRect(OsdWindows().at(0), &rect);
  // A real click in the middle of the window.
  SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  INPUT clicks[2] = {};
  clicks[0].type = clicks[1].type = INPUT_MOUSE;
  clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ASSERT_EQ(2u, SendInput(2, clicks, sizeof clicks[0]));

  const std::vector<Sample> samples = FollowToEnd(3000);
  EXPECT_EQ(nullptr, samples.back().window) << "ended long before Show_Time";
}

TEST_F(OsdWindowTest, ShowTimeZeroFadesStraightOut) {
  Settings().Show_Time = 0;
  ShowOSD("Zero", false, -1, 0);
  const std::vector<Sample> samples = FollowToEnd();
  ASSERT_EQ(nullptr, samples.back().window);
  // A sample may miss the single moment at 255, so near-full opacity stands for the top.
  int peak = 0;
  DWORD firstNearFull = 0, lastNearFull = 0;
  for (const Sample& s : samples) {
    peak = std::max(peak, s.alpha);
    if (s.alpha >= 245) {
      if (!firstNearFull) firstNearFull = s.tick;
      lastNearFull = s.tick;
    }
  }
  EXPECT_GE(peak, 245) << "still fades in completely";
  EXPECT_LT(lastNearFull - firstNearFull, 100u) << "no hold at the top";
}

TEST_F(OsdWindowTest, NoAnimationShowsAtTheChosenOpacityAtOnce) {
  Settings().Animation = 0;
  Settings().Alpha = true;
  Settings().AlphaVal = 180;
  Settings().Show_Time = 200;
  ShowOSD("At once", false, -1, 0);
  const std::vector<Sample> samples = FollowToEnd();
  ASSERT_EQ(nullptr, samples.back().window);
  std::set<int> seen;
  for (const Sample& s : samples) seen.insert(s.alpha);
  seen.erase(0);
  EXPECT_EQ(std::set<int>{180}, seen) << "no steps in between, no fade-out";
}

TEST_F(OsdWindowTest, DisabledOsdShowsNothingWhenChecked) {
  Settings().Desk_Enbl = false;
  ShowOSD("Hidden", /*checkEnabled=*/true, -1, 0);
  EXPECT_TRUE(OsdWindows().empty());
  ShowOSD("Shown anyway", /*checkEnabled=*/false, -1, 0);
  EXPECT_EQ(1u, OsdWindows().size());
}

TEST_F(OsdWindowTest, CloseWhileShowingEndsCleanly) {
  Settings().Show_Time = 10000;
  ShowOSD("Closing", false, -1, 0);
  WaitProcessingMessages(100);
  const HWND window = OsdWindows().at(0);
  CloseOsd();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(OsdWindowExists());
  EXPECT_FALSE(OsdWorkerRunning());
  EXPECT_TRUE(OsdWindows().empty());
}

TEST_F(OsdWindowTest, StopEndsAtTheWorkersNextStep) {
  Settings().Show_Time = 10000;
  ShowOSD("Stop", false, -1, 0);
  WaitProcessingMessages(100);
  StopOsd();
  EXPECT_EQ(nullptr, FollowToEnd(1000).back().window);
}

TEST_F(OsdWindowTest, SkinnedWhenThemesAreActive) {
  Settings().SkinType = 1;
  Settings().Animation = 0;
  ShowOSD("Skinned\r\nsecond line", false, -1, 0);
  const HWND window = OsdWindows().at(0);
  WaitProcessingMessages(50);
  const bool themed = IsThemeActive() && IsAppThemed();
  EXPECT_EQ(themed ? 0 : WS_BORDER, GetWindowLongPtrW(window, GWL_STYLE) & WS_BORDER);
  if (themed) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(ERROR, GetWindowRgn(window, region)) << "the skin's region shapes the window";
    DeleteObject(region);
  }
}

TEST_F(OsdWindowTest, UnskinnedPaintsTheBackgroundColour) {
  Settings().Animation = 0;
  Settings().Show_Time = 5000;
  Settings().ColorBack = RGB(0, 0, 200);
  ShowOSD("Blue", false, -1, 0);
  ASSERT_TRUE(WaitForAlpha(255));
  WaitProcessingMessages(100);
  const HWND window = OsdWindows().at(0);
  HDC dc = GetDC(window);
  // Inside the border, left of the icon.
  EXPECT_EQ(RGB(0, 0, 200), GetPixel(dc, 2, 2));
  ReleaseDC(window, dc);
}

TEST_F(OsdWindowTest, PlacedByPosition) {
  Settings().Show_Time = 5000;
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  Settings().PosX = 123;
  Settings().PosY = 45;
  const struct {
    uint8_t position;
    bool rightEdge, bottomEdge;
  } cases[] = {
      {0, true, true}, {1, false, true}, {2, true, false}, {3, false, false}, {5, false, false}};
  for (const auto& c : cases) {
    Settings().DPosition = c.position;
    ShowOSD("Corner", false, -1, 0);
    RECT rect;
    GetWindowRect(OsdWindows().at(0), &rect);
    if (c.position == 5) {
      EXPECT_EQ(123, rect.left);
      EXPECT_EQ(45, rect.top);
      continue;
    }
    EXPECT_EQ(c.rightEdge ? screenWidth : rect.right - rect.left, rect.right) << int{c.position};
    EXPECT_EQ(c.bottomEdge ? screenHeight : rect.bottom - rect.top, rect.bottom) << int{c.position};
  }
}

TEST_F(OsdWindowTest, LongLinesWrapToStayOnScreen) {
  Settings().Show_Time = 5000;
  ShowOSD("Notepad\r\nshort", false, -1, 0);
  RECT twoRows;
  GetWindowRect(OsdWindows().at(0), &twoRows);
  const std::string path = "C:\\Program Files\\" + std::string(400, 'x') + "\\notepad.exe";
  ShowOSD("Notepad\r\n" + path, false, -1, 0);
  RECT rect;
  GetWindowRect(OsdWindows().at(0), &rect);
  EXPECT_GE(rect.left, 0);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), rect.right);
  EXPECT_GT(rect.bottom - rect.top, twoRows.bottom - twoRows.top) << "the path takes more rows";
}

TEST_F(OsdWindowTest, ShiftDragSwitchesToCustomAndStoresTheCorner) {
  Settings().Show_Time = 5000;
  ShowOSD("Drag", false, -1, 0);
  const HWND window = OsdWindows().at(0);
  EXPECT_EQ(HTCLIENT, SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(5, 5)));
  PressShift(true);
  EXPECT_EQ(HTCAPTION, SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(5, 5)));
  SetWindowPos(window, nullptr, 210, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  PressShift(false);
  WaitProcessingMessages(50);
  EXPECT_EQ(std::vector<WPARAM>{kStatusCustomOsdPosition}, g_statusMessages);
  EXPECT_EQ(210, Settings().PosX);
  EXPECT_EQ(150, Settings().PosY);
  // Moves without Shift are the program's own.
  SetWindowPos(window, nullptr, 20, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(210, Settings().PosX);
}

TEST_F(OsdWindowTest, MinimizeIsIgnored) {
  Settings().Show_Time = 5000;
  ShowOSD("Stay", false, -1, 0);
  const HWND window = OsdWindows().at(0);
  SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_FALSE(IsIconic(window));
  EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(OsdWindowTest, SampleShowsVersionAndDate) {
  ShowOsdSample("2.1", "2024-05-01");
  EXPECT_EQ(L"OSD SAMPLE\r\nTavion 2.1\r\n2024-05-01", Caption(OsdWindows().at(0)));
  WaitProcessingMessages(50);
  EXPECT_EQ(1u, iconRequests_.count({-1, 0}));
}

TEST_F(OsdWindowTest, ScreenshotsAtTwoPositions) {
  Settings().Animation = 0;
  Settings().Show_Time = 10000;
  Settings().ColorBack = 0xFF000018;
  const struct {
    uint8_t position;
    int32_t skin;
    const char* name;
  } shots[] = {{0, 1, "osd_lower_right_skinned"}, {3, 0, "osd_upper_left_unskinned"}};
  for (const auto& shot : shots) {
    Settings().DPosition = shot.position;
    Settings().SkinType = shot.skin;
    CloseOsd();
    ShowOSD("Notepad\r\nCtrl + Alt + N", false, 0, 0);
    ASSERT_TRUE(WaitForAlpha(255));
    WaitProcessingMessages(200);
    if (!e2e::SaveScreenshot(shot.name)) GTEST_SKIP() << "TAVION_SCREENSHOTS not set";
  }
}

}  // namespace
}  // namespace tavion
