// What the notification reads from the system (lock-key states and names, a window's opacity,
// the plug-ins' ANSI text) and the icons it draws.
#include "osd/notify_action_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/action.h"
#include "base/utf_win.h"
#include "doubles/shown_notification.h"
#include "exec/dispatcher.h"
#include "exec/main_messages.h"
#include "exec/sounds.h"
#include "exec/window_actions.h"
#include "keys/key_input_win.h"
#include "osd/osd_icons.h"
#include "osd/osd_icons_win.h"
#include "settings/settings.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

class NotifyActionWinTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    TakePendingOsdText();
    InstallSystemKeyNames();
    services_.showOsd = [this](const std::string& text, bool check, int index, uint8_t kind) {
      shown_.push_back({text, check, index, kind});
    };
    services_.actionAt = [this](int index) { return actions_.At(static_cast<std::size_t>(index)); };
  }
  void TearDown() override {
    ResetSettings();
    TakePendingOsdText();
    TransparentWindows().Clear();
  }

  void AddAction(const char* name, const char* code) {
    TAction& action = actions_.Add();
    action.SetName(name);
    action.SetExec(code);
  }
  void Notify(const char* code) {
    const NotifyNotice notice{code, {}};
    NotifyAction(reinterpret_cast<WPARAM>(&notice), 0, services_);
  }

  NotifyServices services_;
  TActionsList actions_;
  std::vector<Shown> shown_;
  wine_test::TestWindow front_{{.style = WS_POPUP | WS_VISIBLE}};
};

TEST_F(NotifyActionWinTest, LockKeysShowTheLayoutsNameAndTheForegroundToggleState) {
  // The toggle is read from the foreground program's input state: this thread's window is it.
  ASSERT_TRUE(wine_test::MakeForeground(front_.hwnd()));
  wchar_t name[64] = {};
  ASSERT_GT(GetKeyNameTextW(static_cast<LONG>(MapVirtualKeyW(VK_CAPITAL, MAPVK_VK_TO_VSC) << 16),
                            name, 64),
            0);
  for (const bool on : {true, false}) {
    BYTE state[256] = {};
    ASSERT_TRUE(GetKeyboardState(state));
    state[VK_CAPITAL] = on ? 1 : 0;  // toggled, not pressed
    ASSERT_TRUE(SetKeyboardState(state));
    shown_.clear();
    NotifyAction(kNotifyLockState, VK_CAPITAL, services_);
    const std::string text = WideToUtf8(name) + " on:\r\n" + (on ? "YES" : "NO");
    EXPECT_EQ((std::vector<Shown>{{text, true, -1, kOsdKindAction}}), shown_);
  }
}

TEST_F(NotifyActionWinTest, TransparencyLineReadsTheForegroundWindowsRecordedOpacity) {
  ASSERT_TRUE(wine_test::MakeForeground(front_.hwnd()));
  TransparentWindows().Remember(reinterpret_cast<uintptr_t>(front_.hwnd()), 128);
  AddAction("Fade", "wm_alfa");
  Notify("wm_alfa");
  ASSERT_EQ(1u, shown_.size());
  EXPECT_EQ("Fade\r\n50%\r\n", shown_[0].text.substr(0, 11));
  front_.Destroy();
  EXPECT_EQ(std::nullopt, WindowOpacity(front_.hwnd())) << "a destroyed window";
}

TEST_F(NotifyActionWinTest, PlugShowOsdAddsAnAnsiLineToTheNextNotificationOnly) {
  Settings().KeyInfo = false;
  AddAction("Run", "xx_none");
  PlugShowOSD("Caf\xE9 ready");  // é in the ANSI code page 1252 of this prefix
  Notify("xx_none");
  Notify("xx_none");
  ASSERT_EQ(2u, shown_.size());
  EXPECT_EQ("Run\r\nCaf\xC3\xA9 ready", shown_[0].text);
  EXPECT_EQ("Run", shown_[1].text);
}

TEST(OsdIcons, EveryIconIsInTheBuildAndLoads) {
  const std::wstring folder = wine_test::ProgramFolder() + L"\\Resource";
  SetSoundResourceFolder(WideToUtf8(folder));
  const wine_test::ScopeExit reset([] {
    FreeOsdIcons();
    SetSoundResourceFolder("");
  });
  for (const std::string_view file : OsdIconFiles()) {
    const std::wstring path = folder + L"\\" + Utf8ToWide(std::string(file));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str())) << file;
  }
  EXPECT_NE(nullptr, OsdIcon("srun", kOsdKindAction));
}

}  // namespace
}  // namespace tavion
