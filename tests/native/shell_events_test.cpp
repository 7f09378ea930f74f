#include "exec/shell_events.h"

#include <gtest/gtest.h>

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

  ShellEventState WithDevices(uint32_t devices) {
    ShellEventState state;
    state.waveOutDevices = [this, devices] {
      ++deviceQueries;
      return devices;
    };
    return state;
  }

  int deviceQueries = 0;
};

TEST_F(DecideShellEventTest, ALanguageChangeRefreshesTheIconUnlessTheProgramCausedIt) {
  Options().PendingLanguageSwitches = 2;
  const ShellEventState state = WithDevices(1);
  const ShellEventDecision own = DecideShellEvent(kLanguageEvent, 0x0419, state);
  EXPECT_EQ(ShellEventAnswer::kNothing, own.answer);
  EXPECT_EQ(1, Options().PendingLanguageSwitches.load());
  EXPECT_EQ(ShellEventAnswer::kNothing, DecideShellEvent(kLanguageEvent, 0x0419, state).answer);
  EXPECT_EQ(0, Options().PendingLanguageSwitches.load());
  // The high word of wParam and lParam carry nothing for this event.
  EXPECT_EQ((ShellEventDecision{ShellEventAnswer::kRefreshLanguageIcon, 0x0419}),
            DecideShellEvent(0x50000 | kLanguageEvent, 0x7FFF0419, state));
  EXPECT_EQ(0, Options().PendingLanguageSwitches.load());
  EXPECT_EQ(0, deviceQueries);
}

TEST_F(DecideShellEventTest, AVolumeKeyShowsTheVolumeUnlessAPluginCommandCausedIt) {
  const ShellEventState state = WithDevices(1);
  for (uint32_t command : {kAppCommandVolumeMute, kAppCommandVolumeDown, kAppCommandVolumeUp}) {
    Options().PendingVolumeCommands = 1;
    EXPECT_EQ(ShellEventAnswer::kNothing,
              DecideShellEvent(kAppCommandEvent, AppCommand(command), state).answer)
        << command;
    EXPECT_EQ(0, Options().PendingVolumeCommands.load());
    EXPECT_EQ(ShellEventAnswer::kShowVolume,
              DecideShellEvent(kAppCommandEvent, AppCommand(command), state).answer)
        << command;
  }
  // A volume key of a mouse or another device (FAPPCOMMAND bits) is still a volume key.
  EXPECT_EQ(ShellEventAnswer::kShowVolume,
            DecideShellEvent(kAppCommandEvent, AppCommand(10, 0x8000), state).answer);
}

TEST_F(DecideShellEventTest, OtherCommandsAndEventsAreIgnoredAndKeepTheCounters) {
  Options().PendingVolumeCommands = 1;
  Options().PendingLanguageSwitches = 1;
  const ShellEventState state = WithDevices(1);
  for (uint32_t command : {7u, 11u, 14u, 0u}) {
    EXPECT_EQ(ShellEventAnswer::kNothing,
              DecideShellEvent(kAppCommandEvent, AppCommand(command), state).answer)
        << command;
  }
  EXPECT_EQ(ShellEventAnswer::kNothing, DecideShellEvent(4, 0x0419, state).answer);
  EXPECT_EQ(ShellEventAnswer::kNothing, DecideShellEvent(kAppCommandEvent, 10, state).answer);
  EXPECT_EQ(1, Options().PendingVolumeCommands.load());
  EXPECT_EQ(1, Options().PendingLanguageSwitches.load());
  EXPECT_EQ(0, deviceQueries);
}

TEST_F(DecideShellEventTest, NoWaveDeviceNoVolumeNotification) {
  EXPECT_EQ(ShellEventAnswer::kNothing,
            DecideShellEvent(kAppCommandEvent, AppCommand(9), WithDevices(0)).answer);
  EXPECT_EQ(1, deviceQueries);
  EXPECT_EQ(ShellEventAnswer::kNothing,
            DecideShellEvent(kAppCommandEvent, AppCommand(9), ShellEventState{}).answer);
}

TEST_F(DecideShellEventTest, NothingWhileTerminatingOrWithHotKeysDisabled) {
  Options().PendingLanguageSwitches = 1;
  Options().PendingVolumeCommands = 1;
  for (const bool terminating : {true, false}) {
    ShellEventState state = WithDevices(1);
    state.terminating = terminating;
    state.hotKeysDisabled = !terminating;
    EXPECT_EQ(ShellEventAnswer::kNothing,
              DecideShellEvent(kAppCommandEvent, AppCommand(10), state).answer);
    EXPECT_EQ(ShellEventAnswer::kNothing, DecideShellEvent(kLanguageEvent, 0x0409, state).answer);
  }
  EXPECT_EQ(1, Options().PendingLanguageSwitches.load());
  EXPECT_EQ(1, Options().PendingVolumeCommands.load());
  EXPECT_EQ(0, deviceQueries);
}

}  // namespace
}  // namespace tavion
