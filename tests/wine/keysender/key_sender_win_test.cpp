// The key sender and the macro player, observed by another thread's window.
#include "macros/key_sender_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "keys/hook_messages.h"
#include "macros/macro_format.h"
#include "receiver.h"
#include "settings/registry_win.h"
#include "settings/settings.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

using keysender_test::HookedKey;
using keysender_test::Receiver;
using keysender_test::UserKey;

constexpr uint32_t kUsLayout = 0x04090409;

bool Held(int key) {
  return (GetAsyncKeyState(key) & 0x8000) != 0;
}

class KeySenderTest : public testing::Test {
 protected:
  // One receiver for every test: destroying windows takes Wine a while.
  static void SetUpTestSuite() { receiver_ = new Receiver; }
  static void TearDownTestSuite() { delete receiver_; }

  void SetUp() override {
    ResetSettings();
    SetKeySenderServices({&store_, nullptr});
    ASSERT_TRUE(receiver_->Activate(receiver_->target()));
    ASSERT_TRUE(receiver_->Drain(/*clear=*/true));
  }
  void TearDown() override {
    for (int key : {VK_LCONTROL, VK_LSHIFT, VK_LMENU, int{'K'}}) {
      if (Held(key)) UserKey(static_cast<WORD>(key), true);
    }
    SetKeySenderServices({});
  }

  static bool Send(uint8_t mask, uint16_t key, const char* ansi = nullptr,
                   const wchar_t* wide = nullptr) {
    return SendKeys(mask, key, 0, 0, nullptr, false, 0, ansi, wide);
  }
  void StoreMacro(const std::string& name, const std::string& layout, PlaybackSettings settings,
                  const std::vector<MacroEvent>& events) {
    std::vector<std::string> items = {layout, PlaybackSettingsText(settings)};
    for (const MacroEvent& event : events) items.push_back(MacroEventItem(event));
    ASSERT_TRUE(WriteMacroItems(store_, name, items));
  }
  static std::vector<MacroEvent> Presses(uint8_t key, uint8_t scan, int count, uint8_t delayMs) {
    std::vector<MacroEvent> events;
    for (int i = 0; i < count; ++i) {
      events.push_back({key, scan, false, false, delayMs});
      events.push_back({key, scan, false, true, 0});
    }
    return events;
  }
  static size_t OwnDowns(DWORD key) {
    size_t count = 0;
    for (const HookedKey& k : receiver_->Hooked()) count += k.keyCode == key && k.own && !k.up;
    return count;
  }
  // Waits on another thread until the macro on this one has sent `key`, then runs `then`.
  static std::future<void> WhenSent(DWORD key, std::function<void()> then) {
    return std::async(std::launch::async, [key, then] {
      wine_test::PumpUntil([key] { return OwnDowns(key) > 0; }, 10000);
      then();
    });
  }
  // Nothing of a send is left behind: no flag, no lock, no blocked input, no key held.
  static void ExpectNothingLeft() {
    EXPECT_FALSE(Settings().SendingKeys);
    EXPECT_FALSE(Settings().MacroPlaying);
    for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU}) EXPECT_FALSE(Held(key)) << key;
    auto other = std::async(std::launch::async, [] { return Send(0, VK_F14); });
    EXPECT_EQ(std::future_status::ready, other.wait_for(std::chrono::seconds(10)));
    UserKey(VK_F15, false);
    UserKey(VK_F15, true);
    ASSERT_TRUE(receiver_->Drain());
    const std::vector<WPARAM> keys = receiver_->KeyDowns();
    EXPECT_TRUE(!keys.empty() && keys.back() == VK_F15) << "input is free";
  }

  static inline Receiver* receiver_ = nullptr;
  Win32Registry store_{HKEY_CURRENT_USER, kSettingsRootPath};
};

TEST_F(KeySenderTest, KeysComeWithTheMaskModifiersAndAreReleasedAfterwards) {
  EXPECT_TRUE(Send(4, 'K'));
  EXPECT_FALSE(Held('K'));
  EXPECT_TRUE(Send(2, 'A'));
  ASSERT_TRUE(receiver_->Drain());
  EXPECT_EQ(std::wstring(L"K\x01"), receiver_->Chars());
  // Each key between taps of the neutral key 7, which keep a lone modifier release harmless.
  EXPECT_EQ((std::vector<WPARAM>{7, VK_SHIFT, 'K', 7, 7, VK_CONTROL, 'A', 7}),
            receiver_->KeyDowns());
  EXPECT_FALSE(Send(0, 0));
  EXPECT_FALSE(Send(0, 0x2000));
  ExpectNothingLeft();
}

TEST_F(KeySenderTest, ModifierHeldByTheUserIsLiftedWhileTypingAndPressedAgain) {
  UserKey(VK_LCONTROL, false);
  ASSERT_TRUE(receiver_->Drain(/*clear=*/true));
  EXPECT_TRUE(Send(0, kSendWideText, nullptr, L"ab"));
  ASSERT_TRUE(receiver_->Drain());
  EXPECT_EQ(L"ab", receiver_->Chars());
  EXPECT_TRUE(Held(VK_LCONTROL));
  // Marked events: the neutral tap, Ctrl up, the characters, Ctrl down, the tap. (Wine's hook
  // reports Unicode key-ups without the release flag, so only their key code is compared.)
  std::vector<std::pair<DWORD, bool>> own;
  for (const HookedKey& key : receiver_->Hooked()) {
    if (key.own) own.push_back({key.keyCode, key.keyCode != VK_PACKET && key.up});
  }
  const std::vector<std::pair<DWORD, bool>> expected = {
      {7, false},         {7, true},          {VK_LCONTROL, true}, {VK_PACKET, false},
      {VK_PACKET, false}, {VK_PACKET, false}, {VK_PACKET, false},  {VK_LCONTROL, false},
      {7, false},         {7, true}};
  EXPECT_EQ(expected, own);

  // Released by the user while a macro plays: not pressed again afterwards.
  StoreMacro("Slow", "", {-1, false, false, false, false}, Presses('M', 50, 6, 50));
  auto user = WhenSent('M', [] { UserKey(VK_LCONTROL, true); });
  EXPECT_TRUE(Send(0, kSendPlayMacro, "Slow"));
  user.wait();
  EXPECT_FALSE(Held(VK_LCONTROL));
}

TEST_F(KeySenderTest, SendsOfTwoThreadsDoNotInterleave) {
  StoreMacro("Ns", "", {-1, false, false, true, false}, Presses('N', 49, 5, 100));
  std::atomic<bool> sent{false};
  auto other = WhenSent('N', [&sent] { sent = Send(0, kSendWideText, nullptr, L"Q"); });
  EXPECT_TRUE(Send(0, kSendPlayMacro, "Ns"));
  other.wait();
  EXPECT_TRUE(sent);
  ASSERT_TRUE(receiver_->Drain());
  EXPECT_EQ(L"nnnnnQ", receiver_->Chars());
  ExpectNothingLeft();
}

TEST_F(KeySenderTest, TargetWindowIsRaisedAndTheFormerOneComesBack) {
  ASSERT_TRUE(receiver_->Activate(receiver_->other()));
  TavionKeyPress block{};
  block.keyCode = 'Q';
  block.window = receiver_->target();
  block.restore = 1;
  EXPECT_EQ(1, SendKeyPressEx(&block));
  ASSERT_TRUE(receiver_->Drain());
  EXPECT_EQ(L"q", receiver_->Chars());
  EXPECT_EQ(receiver_->other(), GetForegroundWindow());
  EXPECT_EQ(0, SendKeyPressEx(nullptr));
}

TEST_F(KeySenderTest, MacroPlaysInItsLanguageAndPutsThePreviousOneBack) {
  StoreMacro("Lang", std::to_string(kUsLayout), {-1, false, false, true, false},
             Presses('A', 30, 1, 0));
  EXPECT_TRUE(Send(0, kSendPlayMacro, "Lang"));
  ASSERT_TRUE(receiver_->Drain());
  EXPECT_EQ(L"a", receiver_->Chars());
  const auto languages = receiver_->Of(WM_INPUTLANGCHANGEREQUEST);
  ASSERT_EQ(2u, languages.size());
  EXPECT_EQ(static_cast<LPARAM>(kUsLayout), languages[0].lParam);
  ExpectNothingLeft();
}

TEST_F(KeySenderTest, UserKeyStopsTheMacroAndItsModifiersUnlessItIsToldToGoOn) {
  for (const bool stopOnKey : {true, false}) {
    SCOPED_TRACE(stopOnKey);
    std::vector<MacroEvent> events = Presses('X', 45, 20, 40);
    events.insert(events.begin(), MacroEvent{VK_LSHIFT, 42, false, false, 0});
    events.push_back({VK_LSHIFT, 42, false, true, 0});
    StoreMacro("Long", "", {-1, false, false, stopOnKey, false}, events);
    ASSERT_TRUE(receiver_->Drain(/*clear=*/true));
    auto user = WhenSent('X', [] {
      UserKey(VK_F13, false);
      UserKey(VK_F13, true);
    });
    EXPECT_EQ(!stopOnKey, Send(0, kSendPlayMacro, "Long"));
    user.wait();
    ASSERT_TRUE(receiver_->Drain());
    EXPECT_EQ(stopOnKey, OwnDowns('X') < 20u) << OwnDowns('X');
    ExpectNothingLeft();
  }
}

}  // namespace
}  // namespace tavion
