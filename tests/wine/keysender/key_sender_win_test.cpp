// The key sender and the macro player, observed by the windows the keys go to.
#include "macros/key_sender_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "macros/macro_format.h"
#include "settings/registry_win.h"
#include "settings/settings.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

constexpr WORD kDrainKey = VK_F16;

bool Held(int key) {
  return (GetAsyncKeyState(key) & 0x8000) != 0;
}

// A key without the program's mark: what the user's keyboard would send.
void UserKey(WORD key, bool up) {
  wine_test::Inject({wine_test::KeyInput(key, up)});
}

// Two windows of this thread stand for another program; the target's records tell what it
// received. Macros handle this thread's messages while they wait.
class KeySenderTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    SetKeySenderServices({&store_, nullptr});
    for (wine_test::TestWindow* window : {&target_, &other_}) {
      window->answer = [this](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        drained_ += message == WM_KEYUP && wParam == kDrainKey;
        typed_ += message == WM_CHAR;
        // Only the request of a language is recorded; the language stays.
        if (message == WM_INPUTLANGCHANGEREQUEST) return 0;
        return std::nullopt;
      };
    }
    ASSERT_TRUE(wine_test::MakeForeground(target_.hwnd()));
    ASSERT_TRUE(Drain());
    target_.messages.clear();
  }
  void TearDown() override {
    for (int key : {VK_LCONTROL, VK_LSHIFT, int{'K'}}) {
      if (Held(key)) UserKey(static_cast<WORD>(key), true);
    }
    SetKeySenderServices({});
  }

  // Every key sent before has been handled once a key sent after it comes out.
  bool Drain() {
    const int before = drained_;
    UserKey(kDrainKey, false);
    UserKey(kDrainKey, true);
    return wine_test::PumpUntil([&] { return drained_ > before; });
  }
  static bool Send(uint8_t mask, uint16_t key, const char* ansi = nullptr,
                   const wchar_t* wide = nullptr) {
    return SendKeys(mask, key, 0, 0, nullptr, false, 0, ansi, wide);
  }
  // A macro of `count` presses of `key`, each `delayMs` after the event before, inside a press
  // of left Shift.
  void StoreMacro(const std::string& name, const std::string& layout, bool stopOnKey, uint8_t key,
                  int count, uint8_t delayMs) {
    std::vector<std::string> items = {layout,
                                      PlaybackSettingsText({-1, false, false, stopOnKey, false}),
                                      MacroEventItem({VK_LSHIFT, 42, false, false, 0})};
    const uint8_t scan = static_cast<uint8_t>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    for (int i = 0; i < count; ++i) {
      items.push_back(MacroEventItem({key, scan, false, false, delayMs}));
      items.push_back(MacroEventItem({key, scan, false, true, 0}));
    }
    items.push_back(MacroEventItem({VK_LSHIFT, 42, false, true, 0}));
    ASSERT_TRUE(WriteMacroItems(store_, name, items));
  }
  // Runs `then` on another thread once the macro playing on this one has typed something.
  std::future<void> WhenTyped(std::function<void()> then) {
    return std::async(std::launch::async, [this, then] {
      wine_test::PumpUntil([this] { return typed_ > 0; }, 10000);
      then();
    });
  }
  std::wstring Chars() const {
    std::wstring chars;
    for (const wine_test::Message& m : target_.Of(WM_CHAR)) chars += static_cast<wchar_t>(m.wParam);
    return chars;
  }
  // Nothing of a send is left behind: no flag, no modifier held.
  static void ExpectNothingLeft() {
    EXPECT_FALSE(Settings().SendingKeys);
    EXPECT_FALSE(Settings().MacroPlaying);
    for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU}) EXPECT_FALSE(Held(key)) << key;
  }

  wine_test::TestWindow target_{{.style = WS_POPUP | WS_VISIBLE, .x = 0, .y = 0}};
  wine_test::TestWindow other_{{.style = WS_POPUP | WS_VISIBLE, .x = 400, .y = 0}};
  std::atomic<int> typed_{0};
  int drained_ = 0;
  Win32Registry store_{HKEY_CURRENT_USER, kSettingsRootPath};
};

TEST_F(KeySenderTest, KeysComeWithTheMaskModifiersAndAreReleasedAfterwards) {
  EXPECT_TRUE(Send(4, 'K'));
  EXPECT_FALSE(Held('K'));
  EXPECT_TRUE(Send(2, 'A'));
  ASSERT_TRUE(Drain());
  EXPECT_EQ(std::wstring(L"K\x01"), Chars()) << "Ctrl+A";
  // Each key between taps of the neutral key 7, which keep a lone modifier release harmless.
  std::vector<WPARAM> downs;
  for (const wine_test::Message& m : target_.Of(WM_KEYDOWN)) downs.push_back(m.wParam);
  EXPECT_EQ((std::vector<WPARAM>{7, VK_SHIFT, 'K', 7, 7, VK_CONTROL, 'A', 7, kDrainKey}), downs);
  EXPECT_FALSE(Send(0, 0));
  EXPECT_FALSE(Send(0, 0x2000));
  ExpectNothingLeft();
}

// A modifier the user holds is lifted around the text and pressed again. Through the export, the
// target is raised and the window in front before comes back (Wine reads the modifiers back from
// the display when the foreground changes, so the user's Ctrl comes before that).
TEST_F(KeySenderTest, UsersModifierIsLiftedAndPressedAgainAndTheExportPutsTheForegroundBack) {
  UserKey(VK_LCONTROL, false);
  ASSERT_TRUE(Drain());
  EXPECT_TRUE(Send(0, kSendWideText, nullptr, L"ab"));
  ASSERT_TRUE(Drain());
  EXPECT_TRUE(Held(VK_LCONTROL));
  UserKey(VK_LCONTROL, true);
  ASSERT_TRUE(wine_test::MakeForeground(other_.hwnd()));
  TavionKeyPress block{};
  block.keyCode = kSendWideText;
  block.wideText = L"cd";
  block.window = target_.hwnd();
  block.restore = 1;
  EXPECT_EQ(1, SendKeyPressEx(&block));
  ASSERT_TRUE(Drain());
  EXPECT_EQ(L"abcd", Chars()) << "typed into the target without Ctrl";
  EXPECT_EQ(other_.hwnd(), GetForegroundWindow());
  EXPECT_EQ(0, SendKeyPressEx(nullptr));
}

TEST_F(KeySenderTest, SendsOfTwoThreadsDoNotInterleave) {
  StoreMacro("Ns", "", true, 'N', 5, 100);
  std::atomic<bool> sent{false};
  auto other = WhenTyped([&sent] { sent = Send(0, kSendWideText, nullptr, L"Q"); });
  EXPECT_TRUE(Send(0, kSendPlayMacro, "Ns"));
  other.wait();
  EXPECT_TRUE(sent);
  ASSERT_TRUE(Drain());
  EXPECT_EQ(L"NNNNNQ", Chars());
  ExpectNothingLeft();
}

// What the key handler does when the user presses a key stops the macro, unless it is told to go
// on; either way its Shift is released and its language asked for and then put back.
TEST_F(KeySenderTest, UserKeyStopsTheMacroAndItsModifiersUnlessItIsToldToGoOn) {
  constexpr uint32_t kUsLayout = 0x04090409;
  for (const bool stopOnKey : {true, false}) {
    SCOPED_TRACE(stopOnKey);
    StoreMacro("Long", std::to_string(kUsLayout), stopOnKey, 'X', 20, 40);
    target_.messages.clear();
    typed_ = 0;
    auto user = WhenTyped([] { Settings().MacroPlaying = false; });
    EXPECT_EQ(!stopOnKey, Send(0, kSendPlayMacro, "Long"));
    user.wait();
    ASSERT_TRUE(Drain());
    EXPECT_EQ(stopOnKey, Chars().size() < 20u) << Chars().size();
    const std::vector<wine_test::Message> layouts = target_.Of(WM_INPUTLANGCHANGEREQUEST);
    ASSERT_EQ(2u, layouts.size());
    EXPECT_EQ(static_cast<LPARAM>(kUsLayout), layouts[0].lParam);
    ExpectNothingLeft();
  }
}

}  // namespace
}  // namespace tavion
