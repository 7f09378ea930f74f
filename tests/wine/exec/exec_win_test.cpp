// The dispatcher on the system: hot keys from SendInput through Sidekit32's hooks to the main
// window, worker threads and the main window's messages, the system's error texts and the sounds
// beside the program.
#include "exec/exec_host_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "base/utf_win.h"
#include "exec/dispatcher.h"
#include "exec/main_messages.h"
#include "exec/sounds.h"
#include "pipeline/hook_set_win.h"
#include "pipeline/key_dispatch.h"
#include "pipeline/key_dispatch_host_win.h"
#include "pipeline/sidekit_library_win.h"
#include "settings/settings.h"
#include "exec_test_window.h"

extern "C" const char* WINAPI FormateErrorStr(DWORD code);

namespace tavion {
namespace {

using exec_test::PumpUntil;
using exec_test::Recorded;

class WinExecHostTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    ClearExecutors();
    actions_.Add().SetExec("zz_test");
    actions_.Add().SetExec("zz_test");
    actions_.At(1)->ActionExecOn().Thrd = true;
    MainWindowServices services;
    services.actionByIndex = [this](int index) {
      return actions_.At(static_cast<std::size_t>(index));
    };
    host_ = std::make_unique<WinExecHost>(main_.hwnd(), std::move(services));
    SetExecHost(host_.get());
  }
  void TearDown() override {
    SetExecHost(nullptr);
    ClearExecutors();
    ResetSettings();
  }

  exec_test::RecordingWindow main_;
  TActionsList actions_;
  std::unique_ptr<WinExecHost> host_;
};

TEST_F(WinExecHostTest, WorkerThreadRunsTheActionAndSendsTheNotificationWithItsText) {
  std::atomic<int> runs{0};
  std::atomic<DWORD> runThread{0};
  RegisterExecutor("zz_test", [&](ExecContext&) {
    ++runs;
    runThread = GetCurrentThreadId();
    SetNotifyText("run " + std::to_string(runs.load()), /*error=*/runs == 1);
  });
  ExecuteAction("zz_test", 0 | 1 << 16, true);  // index 0, one repeat
  ASSERT_TRUE(PumpUntil([this] { return !main_.messages.empty(); }));
  ASSERT_EQ(1u, main_.messages.size());
  const Recorded& note = main_.messages[0];
  EXPECT_EQ(WM_TV_NOTIFY, note.message);
  EXPECT_EQ("zz_test", note.code);
  EXPECT_EQ("run 2", note.result.notifyText);
  EXPECT_TRUE(note.result.notifyError) << "the first run's mark stays";
  EXPECT_EQ(0, note.lParam);
  EXPECT_TRUE(note.fromOtherThread);
  EXPECT_NE(GetCurrentThreadId(), runThread.load());

  // "Thrd" keeps the action on the calling thread: sent, so there before ExecuteAction returns.
  main_.messages.clear();
  ExecuteAction("zz_test", 1, true);
  ASSERT_EQ(1u, main_.messages.size());
  EXPECT_EQ(1, main_.messages[0].lParam);
  EXPECT_EQ(GetCurrentThreadId(), runThread.load());
}

TEST_F(WinExecHostTest, ProgramCodesReachTheMainWindow) {
  const struct {
    const char* code;
    UINT message;
    WPARAM wParam;
  } cases[] = {
      {"tv_kill", WM_TV_CLOSE, 1},  // with the question and an explicit exit
      {"tv_beep", WM_TV_STATUS, kStatusRunningCheck},
      {"tv_e/\\d", WM_TV_PROGRAM_COMMAND, kCommandToggleHotKeys},
      {"tv_opts", WM_TV_PROGRAM_COMMAND, kCommandRestoreOrMinimize},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    main_.messages.clear();
    ExecuteAction(c.code, -1, false);
    ASSERT_TRUE(PumpUntil([this] { return main_.messages.size() >= 2; }));
    ASSERT_TRUE(wine_test::PumpThroughSentinel());
    ASSERT_EQ(2u, main_.messages.size());
    const Recorded& command =
        main_.messages[0].message == WM_TV_NOTIFY ? main_.messages[1] : main_.messages[0];
    EXPECT_EQ(c.message, command.message);
    EXPECT_EQ(c.wParam, command.wParam);
  }
}

class DispatchWinTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    ASSERT_TRUE(library_.Load(wine_test::ProgramFolder().c_str()));
    main_.answer = [this](UINT message, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
      if (message == kMsgKeyEvent) return dispatcher_.HandleKeyMessage(wParam, lParam);
      if (message == WM_TV_EXECUTE) Settings().ActionBusy = false;  // as the notification would
      return std::nullopt;
    };
    ASSERT_TRUE(hooks_.Install(library_, main_.hwnd(), /*mouse=*/false));
    ASSERT_TRUE(wine_test::MakeForeground(focus_.hwnd()));
  }
  void TearDown() override {
    hooks_.Remove();
    // A key still down would spoil the next test's modifier mask.
    Key(VK_LCONTROL, true);
    ResetSettings();
  }

  static bool Key(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return SendInput(1, &input, sizeof input) == 1;
  }
  void AddAction(std::string_view code, uint32_t hkey, int16_t repeat = 0) {
    TAction& action = list_.Add();
    action.SetName("action");
    action.SetExec(code);
    action.Key0().SetHKey(hkey);
    action.ActionExecOn().Rept = repeat;
    tree_.Rebuild(list_, [](TAction& a) { return a.Name(); });
    dispatcher_.Rebuild(tree_);
  }
  size_t FocusGot(WPARAM vk) const {
    size_t count = 0;
    for (const wine_test::Message& m : focus_.Of(WM_KEYDOWN)) count += m.wParam == vk;
    return count;
  }
  // Presses `vk`, then an unbound key: once that is at the focused window, so is `vk` if it passed.
  bool Press(WORD vk) {
    return Key(vk, false) && Key(vk, true) && Key(VK_F15, false) && Key(VK_F15, true) &&
           PumpUntil([&] { return FocusGot(VK_F15) > 0; }) && wine_test::PumpThroughSentinel();
  }

  SidekitLibrary library_;
  exec_test::RecordingWindow main_;
  Win32DispatchHost host_{main_.hwnd(), nullptr, wine_test::ProgramFolder() + L"\\Resource"};
  HotKeyDispatcher dispatcher_{host_};
  TActionsList list_;
  ActionTree tree_;
  MainHooks hooks_;
  wine_test::TestWindow focus_{{.className = L"DispatchTestFocus", .style = WS_POPUP | WS_VISIBLE}};
};

TEST_F(DispatchWinTest, HotKeyIsSwallowedAndPostedAndOtherKeysPass) {
  AddAction("srun", PackHotKey(VK_F14, 0, 0, kModCtrl));
  AddAction("wa_play", PackHotKey(VK_F13, 0, 0, 0), /*repeat=*/3);
  ASSERT_TRUE(Press(VK_F13));
  EXPECT_EQ(0u, FocusGot(VK_F13));
  ASSERT_EQ(1u, main_.messages.size());
  EXPECT_EQ(WM_TV_EXECUTE, main_.messages[0].message);
  EXPECT_EQ("wa_play", main_.messages[0].code);
  EXPECT_EQ(static_cast<LPARAM>(PackActionRequest(1, 3)), main_.messages[0].lParam);

  ASSERT_TRUE(Press(VK_F14));  // without Ctrl, not the hot key
  EXPECT_EQ(1u, FocusGot(VK_F14));
  EXPECT_EQ(1u, main_.messages.size());

  // With Ctrl held, the dummy key follows, so that the Ctrl release alone means nothing.
  ASSERT_TRUE(Key(VK_LCONTROL, false));
  ASSERT_TRUE(Press(VK_F14));
  ASSERT_TRUE(Key(VK_LCONTROL, true));
  EXPECT_EQ(1u, FocusGot(VK_F14));
  EXPECT_EQ(1u, FocusGot(kDummyKey));
  ASSERT_EQ(2u, main_.messages.size());
  EXPECT_EQ("srun", main_.messages[1].code);
}

TEST(SystemHelpers, ErrorTextsAndTheProgramsSounds) {
  wchar_t expected[256] = {};
  ASSERT_NE(0u,
            FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 2, 0x400, expected, 256, nullptr));
  ASSERT_NE(nullptr, FormateErrorStr(2));
  EXPECT_EQ(WideToUtf8(expected), FormateErrorStr(2));
  ASSERT_NE(nullptr, FormateErrorStr(0xFFFFFFFF));
  EXPECT_EQ("", std::string(FormateErrorStr(0xFFFFFFFF)));

  // The build puts the sounds in the "Resource" folder beside the program.
  const std::string resource = WideToUtf8(wine_test::ProgramFolder()) + "\\Resource";
  SetSoundResourceFolder(resource);
  const wine_test::ScopeExit unset([] { SetSoundResourceFolder(""); });
  for (const char* name : {"on.wav", "off.wav", "run.wav", "check.wav"}) {
    EXPECT_EQ((SoundChoice{resource + "\\" + name, false}),
              ChooseSoundOnDisk(name, true, true, true));
  }
  EXPECT_EQ((SoundChoice{"", true}), ChooseSoundOnDisk("gone.wav", false, true, false));
}

}  // namespace
}  // namespace tavion
