// "ke_keyz" through the dispatcher, the shell-event handler and the master volume on this system.

#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include "action_windows.h"
#include "actions/params.h"
#include "exec/shell_events_win.h"
#include "exec/volume_win.h"
#include "keys/hotkey.h"
#include "settings/settings.h"
#include "exec/main_messages.h"

namespace windows_test {
namespace {

using tavion::TActionParamsMode;
using tavion::TActionParamsRKey;

uint32_t CurrentLayout() {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(GetKeyboardLayout(0)));
}

TEST_F(WindowActionsTest, ReplacementKeyGoesThroughTheKeySender) {
  TestWindow window;
  ASSERT_TRUE(MakeForeground(window.hwnd()));
  Run<TActionParamsRKey>("ke_keyz", TActionParamsMode::pmKRep, [](TActionParamsRKey& p) {
    p.Key.SetHKey(tavion::PackHotKey('A', 30, 0, tavion::kModShift | tavion::kModCtrl));
  });
  const std::vector<SentKeyCall> expected = {{.modifiers = 6, .keyOrMode = 'A', .scanCode = 30}};
  EXPECT_EQ(expected, sent);
  EXPECT_TRUE(window.Of(WM_INPUTLANGCHANGEREQUEST).empty());
}

TEST_F(WindowActionsTest, ReplacementInTheCurrentLanguageAsksNoSwitch) {
  TestWindow window;
  ASSERT_TRUE(MakeForeground(window.hwnd()));
  tavion::TAction& action = actions.Add();
  action.SetExec("ke_keyz");
  action.SetActionParamsMode(TActionParamsMode::pmKRep);
  action.ParamsAs<TActionParamsRKey>()->Key.SetHKey(tavion::PackHotKey(VK_HOME, 71, 1, 0));
  action.ParamsAs<TActionParamsRKey>()->Lang = CurrentLayout();
  RunIndex(0);
  const std::vector<SentKeyCall> expected = {{.keyOrMode = VK_HOME, .scanCode = 71, .keyFlags = 1}};
  EXPECT_EQ(expected, sent);
  EXPECT_TRUE(window.Of(WM_INPUTLANGCHANGEREQUEST).empty());
  EXPECT_EQ(0, tavion::Options().PendingLanguageSwitches.load());
}

TEST_F(WindowActionsTest, ReplacementInAnotherLanguageSwitchesAndRestoresCountingBoth) {
  TestWindow window;
  ASSERT_TRUE(MakeForeground(window.hwnd()));
  const uint32_t before = CurrentLayout();
  constexpr uint32_t kRussian = 0x04190419;
  ASSERT_NE(kRussian, before);
  Run<TActionParamsRKey>("ke_keyz", TActionParamsMode::pmKRep, [](TActionParamsRKey& p) {
    p.Key.SetHKey(tavion::PackHotKey('Q', 16, 0, 0));
    p.Lang = kRussian;
  });
  const std::vector<Message> requests = window.Of(WM_INPUTLANGCHANGEREQUEST);
  ASSERT_EQ(2u, requests.size());
  EXPECT_EQ(1u, requests[0].wParam);
  EXPECT_EQ(kRussian, static_cast<uint32_t>(requests[0].lParam));
  EXPECT_EQ(before, static_cast<uint32_t>(requests[1].lParam));
  EXPECT_EQ(1u, sent.size());
  EXPECT_EQ(2, tavion::Options().PendingLanguageSwitches.load());
}

TEST_F(WindowActionsTest, ReplacementWithoutAKeySendsNothing) {
  Run<TActionParamsRKey>("ke_keyz", TActionParamsMode::pmKRep,
                         [](TActionParamsRKey& p) { p.Lang = 0x04190419; });
  Run("ke_keyz");
  EXPECT_TRUE(sent.empty());
  EXPECT_EQ(0, tavion::Options().PendingLanguageSwitches.load());
}

class ShellEventTest : public testing::Test {
 protected:
  void SetUp() override { tavion::ResetSettings(); }
  void TearDown() override { tavion::ResetSettings(); }

  LRESULT Handle(WPARAM wParam, LPARAM lParam, bool terminating = false) {
    return tavion::HandleShellEvent(mainWindow.hwnd(), wParam, lParam, terminating,
                                    /*hotKeysDisabled=*/false,
                                    [this](uint16_t language) { languages.push_back(language); });
  }

  exec_test::RecordingWindow mainWindow;
  std::vector<uint16_t> languages;
};

TEST_F(ShellEventTest, LanguageEventsRefreshTheIconUnlessTheyAreTheProgramsOwn) {
  tavion::Options().PendingLanguageSwitches = 1;
  EXPECT_EQ(0, Handle(HSHELL_LANGUAGE, 0x0419));
  EXPECT_TRUE(languages.empty());
  Handle(HSHELL_LANGUAGE, 0x0409);
  Handle(HSHELL_LANGUAGE, 0x0407, /*terminating=*/true);
  EXPECT_EQ(std::vector<uint16_t>{0x0409}, languages);
}

TEST_F(ShellEventTest, VolumeKeysWithoutAWaveDeviceShowNothing) {
  if (waveOutGetNumDevs() != 0) GTEST_SKIP() << "this system has a sound device";
  Handle(HSHELL_APPCOMMAND, MAKELPARAM(0, APPCOMMAND_VOLUME_UP));
  exec_test::PumpUntil([] { return false; }, 100);
  EXPECT_TRUE(mainWindow.Of(tavion::WM_TV_NOTIFY).empty());
  EXPECT_EQ(0, tavion::Options().PendingVolumeCommands.load());
}

TEST(ReadMasterVolume, WithoutAMixerSilentAndNotMuted) {
  if (mixerGetNumDevs() != 0) GTEST_SKIP() << "this system has a mixer";
  EXPECT_EQ(tavion::MasterVolume{}, tavion::ReadMasterVolume());
}

}  // namespace
}  // namespace windows_test
