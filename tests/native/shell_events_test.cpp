#include "exec/shell_events.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <tuple>

#include "exec/key_replace.h"
#include "exec/shell_window.h"
#include "keys/hotkey.h"
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
  // What, event, its data, the pending count of both counters, the wave-out devices (-1: no way
  // to ask), 't' terminating or 'd' hot keys disabled; the outcome.
  const std::tuple<const char*, uintptr_t, intptr_t, int16_t, int, char, Outcome> cases[] = {
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
  for (const auto& [what, event, data, pending, devices, off, expected] : cases) {
    ResetSettings();
    Options().PendingLanguageSwitches = Options().PendingVolumeCommands = pending;
    int queries = 0;
    ShellEventState state{off == 't', off == 'd', nullptr};
    if (devices >= 0)
      state.waveOutDevices = [&] {
        ++queries;
        return uint32_t(devices);
      };
    const ShellEventDecision decision = DecideShellEvent(event, data, state);
    EXPECT_EQ(expected, Outcome(decision, Options().PendingLanguageSwitches.load(),
                                Options().PendingVolumeCommands.load(), queries))
        << what;
  }
  ResetSettings();
}

constexpr uint32_t kUs = 1, kRussian = 2;

// Logs "L<window>:<layout>@<pending count as sent>" per language request, "S<ms>" per wait.
class RecordingLanguageSystem final : public KeyboardLanguageSystem {
 public:
  uintptr_t ForegroundWindow() override { return 7; }
  uint32_t LayoutOf(uintptr_t window) override { return window == 7 ? kUs : 0; }
  bool RequestLanguage(uintptr_t window, uint32_t requested) override {
    log += "L" + std::to_string(window) + ":" + std::to_string(requested) + "@" +
           std::to_string(Options().PendingLanguageSwitches.load()) + " ";
    const bool delivered = answers.empty() || answers.front();
    if (!answers.empty()) answers.pop_front();
    return delivered;
  }
  void Sleep(uint32_t ms) override { log += "S" + std::to_string(ms) + " "; }

  std::deque<bool> answers;  // whether each request is delivered; true once they run out
  std::string log;
};

TEST(ReplaceKey, SendsTheKeyAloneAndSwitchesToItsLanguageAndBackCountingDeliveredRequests) {
  const uint32_t ctrlShiftHome = PackHotKey(36, 71, 1, kModCtrl | kModShift);
  const uint32_t a = PackHotKey(65, 30, 0, 0), shiftA = PackHotKey(65, 30, 0, kModShift);
  // What, hot key, its language, whether each request is delivered, the sender (0: none, 1:
  // sends, 2: fails); the result, the log, the pending switches (one before).
  const std::tuple<const char*, uint32_t, uint32_t, std::deque<bool>, int, bool, std::string, int>
      cases[] = {
          {"no language", ctrlShiftHome, 0, {}, 1, true, "key ", 1},
          {"the current language", a, kUs, {}, 1, true, "key ", 1},
          {"no key", 0, kRussian, {}, 1, true, "", 1},
          {"no sender", a, kRussian, {}, 0, false, "", 1},
          // Each request is counted before it is sent: its language event may come while it is
          // sent.
          {"another language", shiftA, kRussian, {}, 2, false, "L7:2@2 key S5 L7:1@3 ", 3},
          {"not switched", a, kRussian, {false}, 1, true, "L7:2@2 key ", 1},
          {"restore lost", a, kRussian, {true, false}, 1, true, "L7:2@2 key S5 L7:1@3 ", 2},
      };
  for (const auto& [what, hkey, layout, answers, sending, result, log, pending] : cases) {
    ResetSettings();
    Options().PendingLanguageSwitches = 1;
    RecordingLanguageSystem system;
    system.answers = answers;
    KeySender sender;
    if (sending != 0)
      sender = [&](uint8_t modifiers, uint16_t key, uint16_t scan, uint16_t flags, uintptr_t window,
                   bool restore, uint16_t delay, const char* ansi, const wchar_t* wide) {
        const bool alone = !window && !restore && !delay && !ansi && !wide;
        system.log += alone && PackHotKey(key, scan, flags, modifiers) == hkey ? "key " : "other";
        return sending == 1;
      };
    const bool replaced = ReplaceKey(hkey, layout, system, sender);
    EXPECT_EQ(std::tie(result, log, pending),
              std::make_tuple(replaced, system.log, Options().PendingLanguageSwitches.load()))
        << what;
  }
  ResetSettings();
}

}  // namespace
}  // namespace tavion
