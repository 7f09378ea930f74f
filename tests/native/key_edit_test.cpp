#include "keys/key_edit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "keys/key_names.h"

namespace tavion {
namespace {

// Names keys by scan code, as a US layout would for the few keys the cases use.
class UsNames final : public SystemKeyNames {
 public:
  uint32_t ScanCodeOf(uint32_t) const override { return 0; }
  std::string KeyName(uint32_t lParam) const override {
    switch ((lParam >> 16) & 0xFF) {
      case 30:
        return "A";
      case 15:
        return "Tab";
      case 29:
        return "Ctrl";
      default:
        return "";
    }
  }
};

struct Event {
  uint32_t message;
  uint32_t vk;
  uint32_t extraInfo = 0;
};

constexpr uint32_t kScanOf(uint32_t vk) {
  return vk == 65 ? 30 : vk == 9 ? 15 : vk == 162 ? 29 : 0;
}

Event Down(uint32_t vk) {
  return {kWmKeyDown, vk};
}
Event Up(uint32_t vk) {
  return {kWmKeyUp, vk};
}
// A left click on the control (its down and up).
constexpr uint32_t kClick = 1000;

class KeyEditTest : public testing::Test {
 protected:
  KeyEditTest() {
    names_.LoadDefaultKeyNames();
    env_.textContext = {&system_, &names_};
  }

  // Feeds the events and returns the answers, '1' for a swallowed event.
  std::string Feed(const std::vector<Event>& events) {
    std::string answers;
    for (const Event& e : events) {
      if (e.message == kClick) {
        for (uint32_t m : {kWmLButtonDown, kWmLButtonUp}) {
          const KeyEditOutcome outcome =
              KeyEditMouseEvent(state_, shared_, options_, env_, m, {}, /*overControl=*/true);
          answers += outcome.answer == kSwallowEvent ? '1' : '0';
        }
        continue;
      }
      KeyEventRecord record{e.vk, kScanOf(e.vk), e.message == kWmKeyUp ? 0x80u : 0u, 0,
                            e.extraInfo};
      const KeyEditOutcome outcome =
          KeyEditKeyEvent(state_, shared_, options_, env_, e.message, record);
      answers += outcome.answer == kSwallowEvent ? '1' : '0';
    }
    return answers;
  }

  UsNames system_;
  TKeyNames names_;
  KeyEditEnvironment env_;
  KeyEditOptions options_;
  KeyEditState state_;
  KeyEditShared shared_;
};

TEST_F(KeyEditTest, KeyEventsBuildTheCombinationAndDecideWhatIsSwallowed) {
  constexpr uint32_t kCtrl = 162, kShift = 160, kA = 65, kTab = 9;
  const uint32_t ctrl = PackHotKey(0, 0, 0, kModCtrl), shift = PackHotKey(0, 0, 0, kModShift),
                 a = PackHotKey(kA, 30, 0, 0), ctrlA = PackHotKey(kA, 30, 0, kModCtrl),
                 ctrlTab = PackHotKey(kTab, 15, 0, kModCtrl), ctrlKey = PackHotKey(kCtrl, 29, 0, 0);
  const Event click = {kClick, 0};
  using Events = std::vector<Event>;
  struct Case {
    const char* what;
    Events events;
    std::string answers, text;
    uint32_t hotKey;
    KeyEditOptions options = {};
  };
  const Case cases[] = {
      {"Ctrl, Shift, A, all released",
       Events{Down(kCtrl), Down(kShift), Down(kA), Up(kA), Up(kShift), Up(kCtrl)}, "111111",
       "Ctrl + Shift + A", PackHotKey(kA, 30, 0, kModCtrl | kModShift)},
      {"a modifier alone goes back to None", Events{Down(kCtrl), Up(kCtrl)}, "11", "None", 0},
      {"Ctrl alone again after a capture",
       Events{Down(kCtrl), Down(kA), Up(kA), Up(kCtrl), Down(kCtrl)}, "11111", "Ctrl + ", ctrl},
      {"auto-repeat of Shift changes nothing", Events{Down(kShift), Down(kShift), Down(kShift)},
       "100", "Shift + ", shift},
      {"Tab alone moves on", Events{Down(kTab), Up(kTab)}, "01", "None", 0},
      {"Ctrl + Tab is captured", Events{Down(kCtrl), Down(kTab)}, "11", "Ctrl + Tab", ctrlTab},
      {"Tab after a capture moves on", Events{Down(kCtrl), Down(kA), Up(kA), Up(kCtrl), Down(kTab)},
       "11110", "Ctrl + A", ctrlA},
      {"a key up of a modifier never held passes", Events{Up(kCtrl)}, "0", "None", 0},
      {"own input passes untouched", Events{{kWmKeyDown, kA, OwnInputMark}}, "0", "None", 0},
      {"key 255 refused", Events{Down(255)}, "0", "None", 0, KeyEditOptions{.use255Keys = false}},
      {"key 255 accepted", Events{Down(255)}, "1", "255x0x0", PackHotKey(255, 0, 0, 0)},
      {"without key modes a modifier passes", Events{Down(kCtrl), Down(kA)}, "01", "A", a,
       KeyEditOptions{.useKeyModes = false}},
      {"a modifier like a key", Events{Down(kCtrl), Up(kCtrl)}, "10", "Ctrl", ctrlKey,
       KeyEditOptions{.useAllModeLikeKeys = true}},
      {"double click", Events{click, click}, "0000", "Mouse DblClick", PackHotKey(14, 0, 0, 0),
       KeyEditOptions{.useDblClick = true}},
      {"two clicks", Events{click, click}, "0000", "Mouse Left", PackHotKey(1, 0, 0, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    state_ = {};
    shared_ = {};
    options_ = c.options;
    EXPECT_EQ(c.answers, Feed(c.events));
    EXPECT_EQ(c.text, state_.text);
    EXPECT_EQ(c.hotKey, KeyEditHotKey(state_));
  }
}

TEST_F(KeyEditTest, HidKeysKeepTheLastFiveDistinctAndIgnoredKeysChangeNothing) {
  KeyEditSetInputMode(state_, TkeInputMode::keHid);
  shared_.ignoredHidKeys = {"IGN"};
  Feed({Down(162)});
  for (const char* key : {"K1", "K2", "K3", "K2", "K4", "K5", "K6"})
    EXPECT_EQ(KeyArrival::kHid, KeyEditHidKey(state_, shared_, options_, env_, key).arrival);
  EXPECT_EQ((std::vector<std::string>{"K3", "K2", "K4", "K5", "K6"}), shared_.lastHidKeys);
  EXPECT_EQ("Ctrl + K6", state_.text);
  EXPECT_EQ(KeyArrival::kNone, KeyEditHidKey(state_, shared_, options_, env_, "IGN").arrival);
  EXPECT_EQ("Ctrl + K6", state_.text);
  EXPECT_EQ(5u, shared_.lastHidKeys.size());
  shared_.ignoredHidKeys.push_back("K5");
  EXPECT_EQ((std::vector<std::string>{"K3", "K2", "K4", "K6"}), UnignoredLastHidKeys(shared_));

  // Back in normal mode the text of that mode returns, and HID keys are only listed.
  KeyEditSetInputMode(state_, TkeInputMode::keNormal);
  EXPECT_EQ("None", state_.text);
  KeyEditHidKey(state_, shared_, options_, env_, "K7");
  EXPECT_EQ("None", state_.text);
  KeyEditSetInputMode(state_, TkeInputMode::keHid);
  EXPECT_EQ("Ctrl + K6", state_.text);
  KeyEditClear(state_, shared_, options_, env_);
  EXPECT_EQ("None", state_.text);
  EXPECT_TRUE(state_.hidText.empty());
  EXPECT_TRUE(shared_.lastHidKeys.empty());
}

}  // namespace
}  // namespace tavion
