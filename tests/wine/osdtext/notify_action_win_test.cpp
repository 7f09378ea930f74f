#include "osd/notify_action_win.h"

#include <windows.h>

#include <mmsystem.h>

#include <gtest/gtest.h>

#include <atomic>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "actions/action.h"
#include "base/utf_win.h"
#include "doubles/shown_notification.h"
#include "exec/shell_events.h"
#include "exec/window_actions.h"
#include "keys/hotkey.h"
#include "keys/key_input_win.h"
#include "settings/settings.h"
#include "exec/main_messages.h"

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

  TAction& AddAction(const char* name, const char* code) {
    TAction& action = actions_.Add();
    action.SetName(name);
    action.SetExec(code);
    return action;
  }

  // Sets the calling thread's toggle state of `key`, as GetKeyState reports it.
  static void SetToggled(int key, bool on) {
    BYTE state[256] = {};
    ASSERT_TRUE(GetKeyboardState(state));
    state[key] = on ? 1 : 0;
    ASSERT_TRUE(SetKeyboardState(state));
  }

  NotifyServices services_;
  TActionsList actions_;
  std::vector<Shown> shown_;
};

// The layout's own name of `key` (Wine names keys as X11 does: "Caps_Lock").
std::string LayoutKeyName(int key, bool extended) {
  const LONG lParam =
      static_cast<LONG>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC) << 16 | (extended ? 1u << 24 : 0u));
  wchar_t name[64] = {};
  const int length = GetKeyNameTextW(lParam, name, 64);
  return WideToUtf8(std::wstring(name, length > 0 ? length : 0));
}

TEST_F(NotifyActionWinTest, LockKeysShowTheSystemNameAndTheForegroundToggleState) {
  struct Case {
    int key;
    bool on;
    std::string state;
  };
  const std::vector<Case> cases = {
      {VK_CAPITAL, true, "YES"},
      {VK_CAPITAL, false, "NO"},
      {VK_NUMLOCK, true, "YES"},
      {VK_SCROLL, false, "NO"},
  };
  // The toggle is read from the foreground program's input state: this thread's window is it.
  HWND front = CreateWindowExW(0, L"STATIC", L"front", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                               nullptr, nullptr, nullptr);
  SetForegroundWindow(front);
  for (const Case& c : cases) {
    shown_.clear();
    SetToggled(c.key, c.on);
    NotifyAction(kNotifyLockState, c.key, services_);
    const std::string name = LayoutKeyName(c.key, c.key == VK_NUMLOCK);
    ASSERT_NE("", name);
    EXPECT_EQ((std::vector<Shown>{{name + " on:\r\n" + c.state, true, -1, kOsdKindAction}}), shown_)
        << c.key;
  }
  DestroyWindow(front);
  // Without the extended flag the layout names the Pause key's scan code instead.
  EXPECT_NE(std::string::npos, LayoutKeyName(VK_NUMLOCK, true).find("Num"));
}

TEST_F(NotifyActionWinTest, ActionMessageShowsNameAndHotKeyText) {
  TAction& action = AddAction("Notepad", "srun");
  action.Key0().SetHKey(PackHotKey('P', 0, 0, /*modifiers=*/3));
  action.ParamsAs<TActionParamsSExec>()->Path = "notepad.exe";
  const NotifyNotice kCode{"srun", {}};
  NotifyAction(reinterpret_cast<WPARAM>(&kCode), 0, services_);
  ASSERT_EQ(1u, shown_.size());
  EXPECT_EQ("Notepad\r\nnotepad.exe\r\nCtrl + Alt + P", shown_[0].text);
  EXPECT_EQ(0, shown_[0].iconIndex);
}

TEST_F(NotifyActionWinTest, NullCodeAndNoActionIndexShowNothing) {
  AddAction("Play", "wa_play");
  const NotifyNotice kCode{"wa_play", {}};
  NotifyAction(0, 0, services_);
  NotifyAction(reinterpret_cast<WPARAM>(&kCode), static_cast<LPARAM>(-1), services_);
  NotifyAction(reinterpret_cast<WPARAM>(&kCode), 0x10000, services_);
  EXPECT_TRUE(shown_.empty());
}

TEST_F(NotifyActionWinTest, TransparencyLineReadsTheForegroundWindowsRecordedOpacity) {
  const HWND window = CreateWindowExW(WS_EX_LAYERED, L"STATIC", L"alpha", WS_POPUP | WS_VISIBLE, 10,
                                      10, 100, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, window);
  SetForegroundWindow(window);
  ASSERT_EQ(window, GetForegroundWindow());
  SetLayeredWindowAttributes(window, 0, 200, LWA_ALPHA);
  TransparentWindows().Remember(reinterpret_cast<uintptr_t>(window), 128);
  AddAction("Fade", "wm_alfa");
  const NotifyNotice kCode{"wm_alfa", {}};
  NotifyAction(reinterpret_cast<WPARAM>(&kCode), 0, services_);
  DestroyWindow(window);
  ASSERT_EQ(1u, shown_.size());
  EXPECT_EQ("Fade\r\n50%\r\n", shown_[0].text.substr(0, 11));
  EXPECT_EQ(std::nullopt, WindowOpacity(nullptr));
  EXPECT_EQ(std::nullopt, WindowOpacity(window)) << "a destroyed window";
}

TEST_F(NotifyActionWinTest, VolumeWithoutSoundDevices) {
  // Wine here has no wave-output device: the plug-in's volume action says so, and "mixer"
  // still shows what the mixer reads (nothing: 0 %).
  ASSERT_EQ(0u, waveOutGetNumDevs());
  Settings().KeyInfo = false;
  TAction& plug = AddAction("Louder", "Corvex.dll103");
  plug.SetActionParamsMode(TActionParamsMode::pmPlug);
  if (auto* params = plug.ParamsAs<TActionParamsPlug>()) {
    params->LibraryFile = "Corvex.dll";
    params->ActionId = "103";
  }
  ASSERT_NE(nullptr, plug.ParamsAs<TActionParamsPlug>());
  const NotifyNotice kPlugCode{"Corvex.dll103", {}};
  NotifyAction(reinterpret_cast<WPARAM>(&kPlugCode), 0, services_);
  const NotifyNotice kMixer{kMixerNotifyCode, {}};
  NotifyAction(reinterpret_cast<WPARAM>(&kMixer), static_cast<LPARAM>(-1), services_);
  EXPECT_EQ(
      (std::vector<Shown>{{"Louder\r\nError: can't find sound card!", false, 0, kOsdKindVolume},
                          {"Volume - 0%", true, -1, kOsdKindVolume}}),
      shown_);
}

TEST_F(NotifyActionWinTest, PlugShowOsdAddsAnAnsiLineToTheNextNotificationOnly) {
  Settings().KeyInfo = false;
  AddAction("Run", "xx_none");
  const NotifyNotice kCode{"xx_none", {}};
  PlugShowOSD("Caf\xE9 ready");  // é in the ANSI code page 1252 of this prefix
  NotifyAction(reinterpret_cast<WPARAM>(&kCode), 0, services_);
  NotifyAction(reinterpret_cast<WPARAM>(&kCode), 0, services_);
  PlugShowOSD("dropped");
  PlugShowOSD(nullptr);
  NotifyAction(reinterpret_cast<WPARAM>(&kCode), 0, services_);
  ASSERT_EQ(3u, shown_.size());
  EXPECT_EQ("Run\r\nCaf\xC3\xA9 ready", shown_[0].text);
  EXPECT_EQ("Run", shown_[1].text);
  EXPECT_EQ("Run", shown_[2].text);
}

// The visible "Tavion" message box of this process and its static text, found by another thread.
BOOL CALLBACK FindBox(HWND window, LPARAM parameter) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t caption[16] = {};
  GetWindowTextW(window, caption, 16);
  if (process == GetCurrentProcessId() && std::wstring(caption) == L"Tavion" &&
      IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(parameter) = window;
    return FALSE;
  }
  return TRUE;
}

TEST_F(NotifyActionWinTest, DisplayOffShowsAFlaggedErrorInAnInformationBox) {
  Settings().Desk_Enbl = false;
  AddAction("Macro", "mc_play");
  std::atomic<bool> seen{false};
  std::wstring text;
  std::thread presser([&] {
    for (int i = 0; i < 500 && !seen; ++i) {
      HWND box = nullptr;
      EnumWindows(FindBox, reinterpret_cast<LPARAM>(&box));
      if (box != nullptr) {
        wchar_t buffer[128] = {};
        GetDlgItemTextW(box, 0xFFFF, buffer, 128);
        text = buffer;
        seen = true;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
      Sleep(10);
    }
  });
  const NotifyNotice failed{"mc_play", {"Error: can't find settings for macros - m1", true}};
  NotifyAction(reinterpret_cast<WPARAM>(&failed), 0, services_);
  presser.join();
  EXPECT_TRUE(seen);
  EXPECT_EQ(L"Error: can't find settings for macros - m1", text);
  EXPECT_TRUE(shown_.empty());
}

}  // namespace
}  // namespace tavion
