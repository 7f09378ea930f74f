#include "exec/key_replace.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "keys/hotkey.h"
#include "settings/settings.h"

namespace tavion {
namespace {

constexpr uint32_t kUs = 0x04090409;
constexpr uint32_t kRussian = 0x04190419;
const std::string kToRussian = "request " + std::to_string(kRussian);
const std::string kBackToUs = "request " + std::to_string(kUs);

// Records the language requests, the waits and the keys in the order they happen.
class RecordingLanguageSystem final : public KeyboardLanguageSystem {
 public:
  uintptr_t ForegroundWindow() override { return 0x1234; }
  uint32_t LayoutOf(uintptr_t window) override { return window == 0x1234 ? kUs : 0; }
  bool RequestLanguage(uintptr_t window, uint32_t requested) override {
    events.push_back((window == 0x1234 ? "request " : "request elsewhere ") +
                     std::to_string(requested));
    pendingAtRequest.push_back(Options().PendingLanguageSwitches.load());
    if (answers.empty()) return true;
    const bool delivered = answers.front();
    answers.pop_front();
    return delivered;
  }
  void Sleep(uint32_t ms) override { events.push_back("sleep " + std::to_string(ms)); }

  std::deque<bool> answers;  // whether each request is delivered; true once they run out
  std::vector<std::string> events;
  std::vector<int> pendingAtRequest;
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
                              std::to_string(window + restore + delay) +
                              std::to_string(ansi != nullptr || wide != nullptr));
      return result;
    };
  }

  RecordingLanguageSystem system;
};

TEST_F(ReplaceKeyTest, SendsTheRecordedKeyAloneInTheCurrentLanguage) {
  // Ctrl + Shift + Home (extended), without window, delay or text.
  EXPECT_TRUE(ReplaceKey(PackHotKey(36, 71, 1, kModCtrl | kModShift), 0, system, Sender()));
  EXPECT_TRUE(ReplaceKey(PackHotKey(65, 30, 0, 0), kUs, system, Sender()));
  EXPECT_EQ((std::vector<std::string>{"key 6 36 71 1 00", "key 0 65 30 0 00"}), system.events);
  // No key sends nothing, and without a sender nothing is switched.
  EXPECT_TRUE(ReplaceKey(0, kRussian, system, Sender()));
  EXPECT_FALSE(ReplaceKey(PackHotKey(65, 30, 0, 0), kRussian, system, KeySender{}));
  EXPECT_EQ(2u, system.events.size());
  EXPECT_EQ(0, Options().PendingLanguageSwitches.load());
}

TEST_F(ReplaceKeyTest, AnotherLanguageIsSwitchedToForTheKeyAndBackAfterIt) {
  Options().PendingLanguageSwitches = 1;
  EXPECT_FALSE(ReplaceKey(PackHotKey(65, 30, 0, kModShift), kRussian, system, Sender(false)));
  EXPECT_EQ((std::vector<std::string>{kToRussian, "key 4 65 30 0 00", "sleep 5", kBackToUs}),
            system.events);
  // Each request is counted before it is sent: its language event may come while it is sent.
  EXPECT_EQ((std::vector<int>{2, 3}), system.pendingAtRequest);
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
  };
  for (const auto& c : cases) {
    Options().PendingLanguageSwitches = 1;
    system.answers = c.answers;
    system.pendingAtRequest.clear();
    ReplaceKey(PackHotKey(65, 30, 0, 0), kRussian, system, Sender());
    EXPECT_EQ(c.requests, system.pendingAtRequest.size()) << "case " << (&c - cases);
    EXPECT_EQ(c.pending, Options().PendingLanguageSwitches.load()) << "case " << (&c - cases);
  }
}

}  // namespace
}  // namespace tavion
