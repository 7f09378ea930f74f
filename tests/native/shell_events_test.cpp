#include "exec/shell_events.h"

#include <gtest/gtest.h>

#include <tuple>

#include "exec/shell_window.h"
#include "keys/hook_messages.h"
#include "settings/settings.h"

namespace tavion {
namespace {

// lParam of an application-command event: the command (with device bits) in the high word.
constexpr intptr_t AppCommand(uint32_t command, uint32_t deviceBits = 0) {
  return static_cast<intptr_t>((command | deviceBits) << 16);
}

// The decision, the pending language switches and volume commands left, the device queries.
using Outcome = std::tuple<ShellEventDecision, int, int, int>;

TEST(DecideShellEvent, OwnEventsAreCountedDownOthersAnsweredAndAllIgnoredWhileOff) {
  constexpr ShellEventDecision kNothing{}, kVolume{ShellEventAnswer::kShowVolume, 0};
  constexpr auto kIcon = ShellEventAnswer::kRefreshLanguageIcon;
  constexpr uintptr_t kLang = kShellLanguageChanged, kApp = kShellAppCommand;
  const struct {
    const char* what;
    uintptr_t event;
    intptr_t data;
    int16_t pending;  // of both counters
    int devices;      // -1: no way to ask
    char off;         // 't': terminating, 'd': hot keys disabled
    Outcome expected;
  } cases[] = {
      {"own language switch", kLang, 0x0419, 1, 1, 0, {kNothing, 0, 1, 0}},
      // A counter at zero stays there; the high words carry nothing for this event.
      {"user's language", 0x50000 | kLang, 0x7FFF0419, 0, 1, 0, {{kIcon, 0x0419}, 0, 0, 0}},
      {"own mute", kApp, AppCommand(kAppCommandVolumeMute), 1, 1, 0, {kNothing, 1, 0, 0}},
      {"mute of another device", kApp, AppCommand(8, 0x8000), 0, 1, 0, {kVolume, 0, 0, 1}},
      {"volume down", kApp, AppCommand(9), 0, 2, 0, {kVolume, 0, 0, 1}},
      {"volume up", kApp, AppCommand(10), 0, 1, 0, {kVolume, 0, 0, 1}},
      {"no device", kApp, AppCommand(10), 0, 0, 0, {kNothing, 0, 0, 1}},
      {"no device query", kApp, AppCommand(10), 0, -1, 0, {kNothing, 0, 0, 0}},
      {"other command", kApp, AppCommand(11), 1, 1, 0, {kNothing, 1, 1, 0}},
      {"other event", 4, 0x0419, 1, 1, 0, {kNothing, 1, 1, 0}},
      {"terminating", kApp, AppCommand(10), 1, 1, 't', {kNothing, 1, 1, 0}},
      {"hot keys off", kLang, 0x0409, 1, 1, 'd', {kNothing, 1, 1, 0}},
  };
  for (const auto& c : cases) {
    ResetSettings();
    Options().PendingLanguageSwitches = Options().PendingVolumeCommands = c.pending;
    int queries = 0;
    ShellEventState state{c.off == 't', c.off == 'd', nullptr};
    if (c.devices >= 0)
      state.waveOutDevices = [&] {
        ++queries;
        return uint32_t(c.devices);
      };
    const ShellEventDecision decision = DecideShellEvent(c.event, c.data, state);
    EXPECT_EQ(c.expected, Outcome(decision, Options().PendingLanguageSwitches.load(),
                                  Options().PendingVolumeCommands.load(), queries))
        << c.what;
  }
  ResetSettings();
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
  };
  for (const auto& [facts, shell] : cases)
    EXPECT_EQ(shell, IsShellWindow(facts)) << facts.windowClass << "/" << facts.caption;
}

}  // namespace
}  // namespace tavion
