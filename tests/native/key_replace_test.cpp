#include "exec/key_replace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "keys/hotkey.h"
#include "settings/settings.h"

namespace tavion {
namespace {

constexpr uintptr_t kForeground = 0x1234;
constexpr uint32_t kUs = 0x04090409;
constexpr uint32_t kRussian = 0x04190419;

// Records the language requests, the waits and the keys in the order they happen.
class RecordingLanguageSystem final : public KeyboardLanguageSystem {
 public:
  uintptr_t ForegroundWindow() override { return kForeground; }
  uint32_t LayoutOf(uintptr_t window) override {
    events.push_back("layout of " + std::to_string(window));
    return layout;
  }
  bool RequestLanguage(uintptr_t window, uint32_t requested) override {
    events.push_back("request " + std::to_string(window) + " " + std::to_string(requested) +
                     " pending " + std::to_string(Options().PendingLanguageSwitches.load()));
    if (answers.empty()) return true;
    const bool delivered = answers.front();
    answers.pop_front();
    return delivered;
  }
  void Sleep(uint32_t ms) override { events.push_back("sleep " + std::to_string(ms)); }

  uint32_t layout = kUs;
  std::deque<bool> answers;  // whether each request is delivered; true once they run out
  std::vector<std::string> events;
};

class ReplaceKeyTest : public testing::Test {
 protected:
  void SetUp() override { ResetSettings(); }
  void TearDown() override { ResetSettings(); }

  KeySender Sender(bool result = true) {
    return [this, result](uint8_t modifiers, uint16_t key, uint16_t scan, uint16_t flags,
                          uintptr_t window, bool restore, uint16_t delay, const char* ansi,
                          const wchar_t* wide) {
      system.events.push_back("key " + std::to_string(modifiers) + " " + std::to_string(key) + " " +
                              std::to_string(scan) + " " + std::to_string(flags) + " " +
                              std::to_string(window) + " " + std::to_string(restore) + " " +
                              std::to_string(delay) + " " + std::to_string(ansi != nullptr) +
                              std::to_string(wide != nullptr));
      return result;
    };
  }

  RecordingLanguageSystem system;
};

TEST_F(ReplaceKeyTest, SendsTheRecordedKeyWithoutWindowDelayOrText) {
  // Ctrl + Shift + Home (extended).
  const uint32_t hkey = PackHotKey(36, 71, 1, kModCtrl | kModShift);
  EXPECT_TRUE(ReplaceKey(hkey, /*layout=*/0, system, Sender()));
  EXPECT_EQ(std::vector<std::string>{"key 6 36 71 1 0 0 0 00"}, system.events);
  EXPECT_EQ(0, Options().PendingLanguageSwitches.load());
}

TEST_F(ReplaceKeyTest, NoKeySendsNothingAndAsksNothing) {
  EXPECT_TRUE(ReplaceKey(0, kRussian, system, Sender()));
  EXPECT_TRUE(system.events.empty());
  EXPECT_EQ(0, Options().PendingLanguageSwitches.load());
}

TEST_F(ReplaceKeyTest, TheCurrentLanguageNeedsNoRequest) {
  EXPECT_TRUE(ReplaceKey(PackHotKey(65, 30, 0, 0), kUs, system, Sender()));
  const std::vector<std::string> expected = {"layout of 4660", "key 0 65 30 0 0 0 0 00"};
  EXPECT_EQ(expected, system.events);
  EXPECT_EQ(0, Options().PendingLanguageSwitches.load());
}

TEST_F(ReplaceKeyTest, AnotherLanguageIsSwitchedToForTheKeyAndBackAfterIt) {
  Options().PendingLanguageSwitches = 1;
  EXPECT_FALSE(ReplaceKey(PackHotKey(65, 30, 0, kModShift), kRussian, system, Sender(false)));
  const std::vector<std::string> expected = {
      "layout of 4660",
      "request 4660 " + std::to_string(kRussian) + " pending 2",
      "key 4 65 30 0 0 0 0 00",
      "sleep 5",
      "request 4660 " + std::to_string(kUs) + " pending 3",
  };
  EXPECT_EQ(expected, system.events);
  EXPECT_EQ(3, Options().PendingLanguageSwitches.load());
}

TEST_F(ReplaceKeyTest, OnlyDeliveredLanguageRequestsStayCounted) {
  const struct {
    std::deque<bool> answers;
    size_t requests;
    int16_t pending;
  } cases[] = {
      {{false}, 1, 1},        // not switched: nothing to restore
      {{true, false}, 2, 2},  // the restore was lost
      {{true, true}, 2, 3},
  };
  for (const auto& c : cases) {
    Options().PendingLanguageSwitches = 1;
    system.answers = c.answers;
    system.events.clear();
    ReplaceKey(PackHotKey(65, 30, 0, 0), kRussian, system, Sender());
    const auto requests =
        std::count_if(system.events.begin(), system.events.end(),
                      [](const std::string& e) { return e.starts_with("request"); });
    EXPECT_EQ(c.requests, static_cast<size_t>(requests)) << "case " << (&c - cases);
    EXPECT_EQ(c.pending, Options().PendingLanguageSwitches.load()) << "case " << (&c - cases);
  }
}

TEST_F(ReplaceKeyTest, WithoutAKeySenderNothingIsSwitched) {
  EXPECT_FALSE(ReplaceKey(PackHotKey(65, 30, 0, 0), kRussian, system, KeySender{}));
  EXPECT_TRUE(system.events.empty());
  EXPECT_EQ(0, Options().PendingLanguageSwitches.load());
}

}  // namespace
}  // namespace tavion
