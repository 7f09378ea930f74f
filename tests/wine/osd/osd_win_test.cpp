// The notification: its window driven through ShowOSD on this thread, observed as a user would
// see it (found by class, its opacity read from the window's own record, its life followed to the
// end), and what its text reads from the system: lock-key states and names, a window's opacity,
// the plug-ins' ANSI text; the icons it draws and the program's sounds beside it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "actions/action.h"
#include "base/utf_win.h"
#include "exec/main_messages.h"
#include "exec/sounds.h"
#include "exec/window_actions.h"
#include "keys/key_input_win.h"
#include "osd/notify_action_win.h"
#include "osd/osd_icons.h"
#include "osd/osd_icons_win.h"
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
  return wine_test::TopLevelWindows(kOsdWindowClass);
}

class OsdWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    SettingsRecord& settings = Settings();
    settings.Show_Time = 10000;
    settings.Animation = 0;
    settings.SkinType = 0;
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

  wine_test::TestWindow main_;
  std::set<std::pair<int, uint8_t>> iconRequests_;
};

TEST_F(OsdWindowTest, FadesInHoldsFadesOutAndIsDestroyed) {
  Settings().Animation = 1;
  Settings().Show_Time = 100;
  ShowOSD("Notepad\r\nCtrl + Alt + N", /*checkEnabled=*/true, /*iconIndex=*/3, /*kind=*/0);
  const HWND window = OsdWindows().at(0);
  EXPECT_EQ(L"Notepad\r\nCtrl + Alt + N", wine_test::WindowText(window));
  EXPECT_TRUE(IsWindowVisible(window));
  const LONG_PTR styles =
      WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_TOPMOST;  // FullScr by default: topmost
  EXPECT_EQ(styles, GetWindowLongPtrW(window, GWL_EXSTYLE) & styles);

  // Each opacity it applies until it is gone: one message at a time, so that no step is missed
  // however late this thread runs.
  std::vector<int> alphas{OsdAppliedAlpha()};
  ASSERT_TRUE(wine_test::PumpEachUntil([] { return OsdWindows().empty(); },
                                       [&] {
                                         if (OsdAppliedAlpha() != alphas.back())
                                           alphas.push_back(OsdAppliedAlpha());
                                       }))
      << "the window is destroyed at the end";
  // From transparent, rises in steps to full opacity, then only falls.
  const auto full = std::ranges::find(alphas, 255);
  ASSERT_NE(alphas.end(), full) << testing::PrintToString(alphas);
  EXPECT_EQ(0, alphas.front());
  EXPECT_TRUE(full - alphas.begin() > 2 && std::is_sorted(alphas.begin(), full) &&
              std::is_sorted(full, alphas.end(), std::greater<>()))
      << testing::PrintToString(alphas);
  EXPECT_EQ(1u, iconRequests_.count({3, 0})) << "the painter asks for the action's icon";
  EXPECT_FALSE(OsdWorkerRunning());
}

// A worker that ended on its own leaves its end in the window's queue; a text shown before the
// window takes it reuses the window, laid out anew, and is not ended by it.
TEST_F(OsdWindowTest, AnEndLeftByTheLastWorkerSparesTheNextText) {
  Settings().Show_Time = 0;
  ShowOSD("First", false, -1, 0);
  const HWND window = OsdWindows().at(0);
  RECT before{}, after{};
  GetWindowRect(window, &before);
  ASSERT_TRUE(wine_test::WaitForQueued(window, kWorkerEnd));  // and left there
  Settings().Show_Time = 10000;
  ShowOSD("A much longer second text\r\nwith a second line", false, 2, 1);
  ASSERT_TRUE(PumpThroughSentinel());
  EXPECT_EQ(std::vector<HWND>{window}, OsdWindows());
  EXPECT_EQ(L"A much longer second text\r\nwith a second line", wine_test::WindowText(window));
  GetWindowRect(window, &after);
  EXPECT_GT(after.right - after.left, before.right - before.left);
  EXPECT_GT(after.bottom - after.top, before.bottom - before.top);
}

// Unskinned, it paints its background colour; with Shift held it moves and stores its corner;
// it is never minimised; a left click ends it long before its time.
TEST_F(OsdWindowTest, PaintsMovesWithShiftStaysUnminimisedAndEndsOnALeftClick) {
  Settings().ColorBack = RGB(0, 0, 200);
  ShowOSD("Drag", false, -1, 0);
  ASSERT_TRUE(PumpUntil([] { return OsdAppliedAlpha() == 255; }));
  const HWND window = OsdWindows().at(0);
  HDC dc = GetDC(window);
  EXPECT_EQ(RGB(0, 0, 200), GetPixel(dc, 2, 2)) << "inside the border, left of the icon";
  ReleaseDC(window, dc);
  SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(!IsIconic(window) && IsWindowVisible(window));

  EXPECT_EQ(HTCLIENT, SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(5, 5)));
  const auto shiftHeld = [] { return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0; };
  {
    ASSERT_TRUE(wine_test::Inject({wine_test::KeyInput(VK_SHIFT, false)}));
    const wine_test::ScopeExit release(
        [] { wine_test::Inject({wine_test::KeyInput(VK_SHIFT, true)}); });
    ASSERT_TRUE(PumpUntil(shiftHeld));
    EXPECT_EQ(HTCAPTION, SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(5, 5)));
    SetWindowPos(window, nullptr, 210, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(PumpThroughSentinel());
    EXPECT_EQ((std::vector<std::tuple<UINT, WPARAM, LPARAM>>{
                  {WM_TV_STATUS, kStatusCustomOsdPosition, 0}}),
              main_.Triples());
    EXPECT_EQ((std::pair(210, 150)), (std::pair<int, int>(Settings().PosX, Settings().PosY)));
  }
  ASSERT_TRUE(PumpUntil([&] { return !shiftHeld(); }));
  SetCursorPos(230, 160);
  ASSERT_TRUE(wine_test::Inject(
      {wine_test::MouseInput(MOUSEEVENTF_LEFTDOWN), wine_test::MouseInput(MOUSEEVENTF_LEFTUP)}));
  EXPECT_TRUE(PumpUntil([] { return OsdWindows().empty(); }));
}

// What the notification's lines read from the system, through the main window's entry: a lock
// key's name and its toggle state in the foreground program (this thread's window), the
// foreground window's recorded opacity and the plug-ins' ANSI text. The lines themselves are
// decided natively.
TEST(NotifyActionWin, LockKeyOpacityAndPlugInLinesReadTheSystem) {
  ResetSettings();
  const wine_test::ScopeExit reset([] {
    ResetSettings();
    TransparentWindows().Clear();
  });
  InstallSystemKeyNames();
  Settings().KeyInfo = false;
  wine_test::TestWindow front({.style = WS_POPUP | WS_VISIBLE});
  ASSERT_TRUE(wine_test::MakeForeground(front.hwnd()));
  TransparentWindows().Remember(reinterpret_cast<uintptr_t>(front.hwnd()), 128);
  TActionsList actions;
  actions.Add().SetName("Fade");
  std::vector<std::string> texts;
  NotifyServices services;
  services.showOsd = [&](const std::string& text, bool, int, uint8_t) { texts.push_back(text); };
  services.actionAt = [&](int index) { return actions.At(static_cast<std::size_t>(index)); };
  for (const BYTE bits : {0x01, 0x80}) {  // toggled; pressed but not toggled
    BYTE state[256] = {};
    ASSERT_TRUE(GetKeyboardState(state));
    state[VK_CAPITAL] = bits;
    ASSERT_TRUE(SetKeyboardState(state));
    NotifyAction(kNotifyLockState, VK_CAPITAL, services);
  }
  PlugShowOSD("Caf\xE9 ready");  // é in the ANSI code page 1252 of this prefix
  const NotifyNotice notice{"wm_alfa", {}};
  NotifyAction(reinterpret_cast<WPARAM>(&notice), 0, services);
  wchar_t name[64] = {};
  const LONG scanCode = static_cast<LONG>(MapVirtualKeyW(VK_CAPITAL, MAPVK_VK_TO_VSC) << 16);
  ASSERT_GT(GetKeyNameTextW(scanCode, name, 64), 0);
  const std::string lock = WideToUtf8(name) + " on:\r\n";
  EXPECT_EQ(
      (std::vector<std::string>{lock + "YES", lock + "NO", "Fade\r\n50%\r\nCaf\xC3\xA9 ready"}),
      texts);
  front.Destroy();
  EXPECT_EQ(std::nullopt, WindowOpacity(front.hwnd())) << "a destroyed window";
}

TEST(ResourceFiles, TheBuildPutsTheIconsAndSoundsBesideTheProgramAndAMissingSoundBeeps) {
  const std::string folder = WideToUtf8(wine_test::ProgramFolder()) + "\\Resource";
  SetSoundResourceFolder(folder);
  const wine_test::ScopeExit reset([] {
    FreeOsdIcons();
    SetSoundResourceFolder("");
  });
  for (const std::string_view file : OsdIconFiles()) {
    const std::wstring path = Utf8ToWide(folder + "\\" + std::string(file));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str())) << file;
  }
  EXPECT_NE(nullptr, OsdIcon("srun", kOsdKindAction));
  for (const char* name : {"on.wav", "off.wav", "run.wav", "check.wav"}) {
    EXPECT_EQ((SoundChoice{folder + "\\" + name, false}),
              ChooseSoundOnDisk(name, true, true, true));
  }
  EXPECT_EQ((SoundChoice{"", true}), ChooseSoundOnDisk("gone.wav", false, true, false));
}

}  // namespace
}  // namespace tavion
