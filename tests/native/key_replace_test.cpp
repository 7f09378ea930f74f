#include "exec/key_replace.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <tuple>

#include "keys/hotkey.h"
#include "settings/settings.h"

namespace tavion {
namespace {

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
  const struct {
    const char* what;
    uint32_t hkey, layout;
    std::deque<bool> answers;
    int sender;  // 0: none, 1: sends, 2: fails
    bool result;
    std::string log;
    int pending;  // one before
  } cases[] = {
      {"no language", ctrlShiftHome, 0, {}, 1, true, "key ", 1},
      {"the current language", a, kUs, {}, 1, true, "key ", 1},
      {"no key", 0, kRussian, {}, 1, true, "", 1},
      {"no sender", a, kRussian, {}, 0, false, "", 1},
      // Each request is counted before it is sent: its language event may come while it is sent.
      {"another language", shiftA, kRussian, {}, 2, false, "L7:2@2 key S5 L7:1@3 ", 3},
      {"not switched", a, kRussian, {false}, 1, true, "L7:2@2 key ", 1},
      {"restore lost", a, kRussian, {true, false}, 1, true, "L7:2@2 key S5 L7:1@3 ", 2},
  };
  for (const auto& c : cases) {
    ResetSettings();
    Options().PendingLanguageSwitches = 1;
    RecordingLanguageSystem system;
    system.answers = c.answers;
    KeySender sender;
    if (c.sender != 0)
      sender = [&](uint8_t modifiers, uint16_t key, uint16_t scan, uint16_t flags, uintptr_t window,
                   bool restore, uint16_t delay, const char* ansi, const wchar_t* wide) {
        const bool alone = !window && !restore && !delay && !ansi && !wide;
        const bool same = PackHotKey(key, scan, flags, modifiers) == c.hkey;
        system.log += alone && same ? "key " : "other key ";
        return c.sender == 1;
      };
    const bool result = ReplaceKey(c.hkey, c.layout, system, sender);
    EXPECT_EQ(std::tie(c.result, c.log, c.pending),
              std::make_tuple(result, system.log, Options().PendingLanguageSwitches.load()))
        << c.what;
  }
  ResetSettings();
}

}  // namespace
}  // namespace tavion
