#include "exec/shell_events.h"

#include <gtest/gtest.h>

#include "exec/shell_window.h"
#include "settings/settings.h"

namespace tavion {
namespace {

constexpr uintptr_t kLanguageEvent = 8;
constexpr uintptr_t kAppCommandEvent = 12;

// lParam of an application-command event: the command (with device bits) in the high word.
intptr_t AppCommand(uint32_t command, uint32_t deviceBits = 0) {
  return static_cast<intptr_t>((command | deviceBits) << 16);
}

class DecideShellEventTest : public testing::Test {
 protected:
  void SetUp() override { ResetSettings(); }
  void TearDown() override { ResetSettings(); }

  ShellEventAnswer Answer(uintptr_t event, intptr_t data) {
    return DecideShellEvent(event, data, state).answer;
  }

  int deviceQueries = 0;
  uint32_t devices = 1;
  ShellEventState state{.waveOutDevices = [this] {
    ++deviceQueries;
    return devices;
  }};
};

TEST_F(DecideShellEventTest, ALanguageChangeRefreshesTheIconUnlessTheProgramCausedIt) {
  Options().PendingLanguageSwitches = 1;
  EXPECT_EQ(ShellEventAnswer::kNothing, Answer(kLanguageEvent, 0x0419));
  // The high word of wParam and lParam carry nothing for this event.
  EXPECT_EQ((ShellEventDecision{ShellEventAnswer::kRefreshLanguageIcon, 0x0419}),
            DecideShellEvent(0x50000 | kLanguageEvent, 0x7FFF0419, state));
  EXPECT_EQ(0, Options().PendingLanguageSwitches.load());
  EXPECT_EQ(0, deviceQueries);
}

TEST_F(DecideShellEventTest, AVolumeKeyOfAnyDeviceShowsTheVolumeUnlessAPluginCommandCausedIt) {
  for (uint32_t command : {kAppCommandVolumeMute, kAppCommandVolumeDown, kAppCommandVolumeUp}) {
    Options().PendingVolumeCommands = 1;
    EXPECT_EQ(ShellEventAnswer::kNothing, Answer(kAppCommandEvent, AppCommand(command)));
    EXPECT_EQ(ShellEventAnswer::kShowVolume, Answer(kAppCommandEvent, AppCommand(command, 0x8000)))
        << command;
  }
  devices = 0;
  EXPECT_EQ(ShellEventAnswer::kNothing, Answer(kAppCommandEvent, AppCommand(9)));
  EXPECT_EQ(4, deviceQueries);
  state.waveOutDevices = nullptr;
  EXPECT_EQ(ShellEventAnswer::kNothing, Answer(kAppCommandEvent, AppCommand(9)));
}

TEST_F(DecideShellEventTest, OtherEventsAndAllWhileTerminatingOrDisabledAreIgnoredAndKeepCounts) {
  Options().PendingVolumeCommands = 1;
  Options().PendingLanguageSwitches = 1;
  for (uint32_t command : {7u, 11u, 14u, 0u})
    EXPECT_EQ(ShellEventAnswer::kNothing, Answer(kAppCommandEvent, AppCommand(command)));
  EXPECT_EQ(ShellEventAnswer::kNothing, Answer(4, 0x0419));
  state.terminating = true;
  EXPECT_EQ(ShellEventAnswer::kNothing, Answer(kAppCommandEvent, AppCommand(10)));
  state.terminating = false;
  state.hotKeysDisabled = true;
  EXPECT_EQ(ShellEventAnswer::kNothing, Answer(kLanguageEvent, 0x0409));
  EXPECT_EQ(1, Options().PendingVolumeCommands.load());
  EXPECT_EQ(1, Options().PendingLanguageSwitches.load());
  EXPECT_EQ(0, deviceQueries);
}

TEST(IsShellWindow, DesktopAndTaskBarButNotLookAlikes) {
  const std::pair<ShellWindowFacts, bool> cases[] = {
      {{"Progman", "Program Manager", false, false}, true},
      {{"Progman", "program manager", false, false}, false},
      {{"WorkerW", "", false, false}, true},
      {{"WorkerW", "Wallpaper", false, false}, false},
      {{"Shell_TrayWnd", "Taskbar", false, false}, true},
      {{"ReBarWindow32", "", false, true}, true},
      {{"ReBarWindow32", "", false, false}, false},
      {{"#32769", "", true, false}, true},
      {{"shell_traywnd", "", false, false}, false},
  };
  for (const auto& [facts, shell] : cases)
    EXPECT_EQ(shell, IsShellWindow(facts)) << facts.windowClass << "/" << facts.caption;
}

}  // namespace
}  // namespace tavion
