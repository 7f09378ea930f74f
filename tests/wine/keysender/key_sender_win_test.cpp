#include "macros/key_sender_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <string>
#include <vector>

#include "macros/macro_format.h"
#include "keys/hook_messages.h"
#include "receiver_fixture.h"
#include "settings/registry_win.h"
#include "settings/settings.h"

namespace tavion {
namespace {

using keysender_test::HookedKey;
using keysender_test::Message;
using keysender_test::Receiver;
using keysender_test::UserKey;

constexpr uint32_t kUsLayout = 0x04090409;

class KeySenderTest : public keysender_test::ReceiverTest {
 protected:
  void SetUp() override {
    ReceiverTest::SetUp();
    SetKeySenderServices({&store_, nullptr});
  }

  void TearDown() override {
    for (WORD key : {VK_LCONTROL, VK_LSHIFT, VK_LMENU})
      if (GetAsyncKeyState(key) & 0x8000) UserKey(key, true);
    Receiver::Settle(50);
    SetKeySenderServices({});
  }

  static bool Send(uint8_t mask, uint16_t key, const char* ansi = nullptr,
                   const wchar_t* wide = nullptr) {
    return SendKeys(mask, key, 0, 0, nullptr, false, 0, ansi, wide);
  }

  // Waits for `count` characters, then a little longer so that extra ones would show.
  static std::wstring CharsAfter(std::size_t count) {
    Receiver::WaitFor([count] { return receiver_->Chars().size() >= count; });
    Receiver::Settle(100);
    return receiver_->Chars();
  }

  // The macro `name` with the settings text and the events.
  void StoreMacro(const std::string& name, const std::string& layout, const std::string& settings,
                  const std::vector<MacroEvent>& events) {
    std::vector<std::string> items = {layout, settings};
    for (const MacroEvent& event : events) items.push_back(MacroEventItem(event));
    ASSERT_TRUE(WriteMacroItems(store_, name, items));
  }

  static std::vector<HookedKey> OwnKeyDowns(DWORD keyCode) {
    std::vector<HookedKey> keys;
    for (const HookedKey& key : receiver_->Hooked())
      if (key.keyCode == keyCode && (key.flags & LLKHF_UP) == 0 &&
          key.extraInfo == static_cast<ULONG_PTR>(OwnInputMark))
        keys.push_back(key);
    return keys;
  }

  static void ExpectNothingLeftSet() {
    EXPECT_FALSE(Settings().SendingKeys);
    EXPECT_FALSE(Settings().MacroPlaying);
    // The lock is free: a send from another thread finishes.
    auto other = std::async(std::launch::async, [] { return Send(0, VK_F14); });
    EXPECT_EQ(std::future_status::ready, other.wait_for(std::chrono::seconds(5)));
    // Input is free: a key of the user reaches the window.
    receiver_->Clear();
    UserKey(VK_F15, false);
    UserKey(VK_F15, true);
    EXPECT_TRUE(Receiver::WaitFor([] {
      const auto keys = receiver_->KeyDowns();
      return std::find(keys.begin(), keys.end(), WPARAM{VK_F15}) != keys.end();
    }));
  }

  Win32Registry store_{HKEY_CURRENT_USER, kSettingsRootPath};
};

TEST_F(KeySenderTest, TextsArriveAsCharactersWithEnterAndTab) {
  struct Case {
    const char* name;
    uint16_t mode;
    const char* ansi;
    const wchar_t* wide;
    std::wstring chars;
    std::vector<WPARAM> keys;  // key-downs other than the Unicode packets
  };
  const Case cases[] = {
      {"final line break dropped", kSendAnsiText, "ab\r\n", nullptr, L"ab", {}},
      {"inner line break is Enter", kSendAnsiText, "a\r\nb", nullptr, L"a\rb", {VK_RETURN}},
      {"tab and characters outside the layout",
       kSendWideText,
       nullptr,
       L"x\ty\u20AC\u0416",
       L"x\ty\u20AC\u0416",
       {VK_TAB}},
      {"no text", kSendWideText, nullptr, nullptr, L"", {}},
  };
  for (const Case& c : cases) {
    receiver_->Clear();
    EXPECT_TRUE(Send(0, c.mode, c.ansi, c.wide)) << c.name;
    EXPECT_EQ(c.chars, CharsAfter(c.chars.size())) << c.name;
    EXPECT_EQ(c.keys, receiver_->KeyDowns()) << c.name;
  }
  ExpectNothingLeftSet();
}

TEST_F(KeySenderTest, KeysComeWithTheMaskModifiersWhichAreReleasedAfterwards) {
  EXPECT_TRUE(Send(4, 'K'));
  EXPECT_TRUE(Send(2, 'A'));
  EXPECT_EQ(std::wstring(L"K\x01"), CharsAfter(2));
  // Each key between taps of the neutral key 7, which keep a lone modifier release harmless.
  EXPECT_EQ((std::vector<WPARAM>{7, VK_SHIFT, 'K', 7, 7, VK_CONTROL, 'A', 7}),
            receiver_->KeyDowns());
  EXPECT_FALSE(GetAsyncKeyState(VK_SHIFT) & 0x8000);
  EXPECT_FALSE(GetAsyncKeyState(VK_CONTROL) & 0x8000);
  EXPECT_FALSE(Send(0, 0));
  EXPECT_FALSE(Send(0, 0x2000));
}

TEST_F(KeySenderTest, WheelPseudoKeyWithCtrlIsOneWheelStepWithCtrlHeld) {
  RECT rect;
  GetWindowRect(receiver_->target(), &rect);
  SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  EXPECT_TRUE(Send(2, 136));
  auto wheels = [] {
    std::vector<Message> found;
    for (const Message& m : receiver_->Messages())
      if (m.message == WM_MOUSEWHEEL) found.push_back(m);
    return found;
  };
  ASSERT_TRUE(Receiver::WaitFor([&] { return !wheels().empty(); }));
  Receiver::Settle(100);
  ASSERT_EQ(1u, wheels().size());
  EXPECT_EQ(WHEEL_DELTA, GET_WHEEL_DELTA_WPARAM(wheels()[0].wParam));
  EXPECT_NE(0, GET_KEYSTATE_WPARAM(wheels()[0].wParam) & MK_CONTROL);
  EXPECT_FALSE(GetAsyncKeyState(VK_CONTROL) & 0x8000);
}

TEST_F(KeySenderTest, ModifierHeldByTheUserIsLiftedWhileTypingAndPressedAgain) {
  UserKey(VK_LCONTROL, false);
  ASSERT_TRUE(Receiver::WaitFor([] { return (GetAsyncKeyState(VK_LCONTROL) & 0x8000) != 0; }));
  receiver_->Clear();

  EXPECT_TRUE(Send(0, kSendWideText, nullptr, L"ab"));
  EXPECT_EQ(L"ab", CharsAfter(2));
  EXPECT_TRUE(GetAsyncKeyState(VK_LCONTROL) & 0x8000);

  // Marked events in order: the neutral tap, Ctrl up, the characters, Ctrl down, the tap. (Wine's
  // hook reports Unicode key-ups without the release flag, so only their key code is compared.)
  std::vector<std::pair<DWORD, bool>> own;
  for (const HookedKey& key : receiver_->Hooked())
    if (key.extraInfo == static_cast<ULONG_PTR>(OwnInputMark))
      own.push_back({key.keyCode, key.keyCode != VK_PACKET && (key.flags & LLKHF_UP) != 0});
  const std::vector<std::pair<DWORD, bool>> expected = {
      {7, false},         {7, true},          {VK_LCONTROL, true}, {VK_PACKET, false},
      {VK_PACKET, false}, {VK_PACKET, false}, {VK_PACKET, false},  {VK_LCONTROL, false},
      {7, false},         {7, true}};
  EXPECT_EQ(expected, own);
}

TEST_F(KeySenderTest, ModifierReleasedByTheUserMeanwhileIsNotPressedAgain) {
  std::vector<MacroEvent> events;
  for (int i = 0; i < 6; ++i) {
    events.push_back({'M', 50, false, false, 50});
    events.push_back({'M', 50, false, true, 0});
  }
  StoreMacro("Slow", "", PlaybackSettingsText({-1, false, false, false, false}), events);
  UserKey(VK_LCONTROL, false);
  ASSERT_TRUE(Receiver::WaitFor([] { return (GetAsyncKeyState(VK_LCONTROL) & 0x8000) != 0; }));
  auto user = std::async(std::launch::async, [] {
    Sleep(120);
    UserKey(VK_LCONTROL, true);
  });
  EXPECT_TRUE(Send(0, kSendPlayMacro, "Slow"));
  user.wait();
  EXPECT_EQ(L"mmmmmm", CharsAfter(6));
  EXPECT_FALSE(GetAsyncKeyState(VK_LCONTROL) & 0x8000);
}

TEST_F(KeySenderTest, SendsOfTwoThreadsDoNotInterleave) {
  std::vector<MacroEvent> events;
  for (int i = 0; i < 5; ++i) {
    events.push_back({'N', 49, false, false, 60});
    events.push_back({'N', 49, false, true, 0});
  }
  StoreMacro("Ns", "", PlaybackSettingsText({-1, false, false, true, false}), events);
  auto other = std::async(std::launch::async, [] {
    Sleep(100);  // the macro on this thread has started and holds the lock
    return Send(0, kSendWideText, nullptr, L"Q");
  });
  EXPECT_TRUE(Send(0, kSendPlayMacro, "Ns"));
  EXPECT_TRUE(other.get());
  EXPECT_EQ(L"nnnnnQ", CharsAfter(6));
}

TEST_F(KeySenderTest, TargetWindowIsRaisedAndTheFormerOneComesBack) {
  ASSERT_TRUE(receiver_->Activate(receiver_->other()));
  TavionKeyPress block{};
  block.keyCode = 'Q';
  block.window = receiver_->target();
  block.restore = 1;
  EXPECT_EQ(1, SendKeyPressEx(&block));
  EXPECT_EQ(L"q", CharsAfter(1));
  EXPECT_EQ(receiver_->other(), GetForegroundWindow());

  EXPECT_EQ(0, SendKeyPressEx(nullptr));
  block.keyCode = 0x1002;
  EXPECT_EQ(0, SendKeyPressEx(&block));
}

TEST_F(KeySenderTest, MacroReplaysWithTheRecordedDelaysInItsLanguage) {
  StoreMacro("Timed", std::to_string(kUsLayout),
             PlaybackSettingsText({-1, false, false, true, false}),
             {{'A', 30, false, false, 0},
              {'A', 30, false, true, 120},
              {'B', 48, false, false, static_cast<uint8_t>(300 % 256)},
              {'B', 48, false, true, 0}});
  EXPECT_TRUE(Send(0, kSendPlayMacro, "Timed"));
  EXPECT_EQ(L"ab", CharsAfter(2));

  std::vector<DWORD> times;
  for (const HookedKey& key : receiver_->Hooked())
    if (key.extraInfo == static_cast<ULONG_PTR>(OwnInputMark)) times.push_back(key.time);
  ASSERT_EQ(4u, times.size());
  // The tick count moves in steps of up to 16 ms; the waits process messages in 10 ms steps.
  EXPECT_GE(times[1] - times[0], 120u - 16);
  EXPECT_LT(times[1] - times[0], 120u + 100);
  EXPECT_GE(times[2] - times[1], 44u - 16);
  EXPECT_LT(times[2] - times[1], 44u + 100);

  std::vector<LPARAM> languages;
  for (const Message& m : receiver_->Messages())
    if (m.message == WM_INPUTLANGCHANGEREQUEST) languages.push_back(m.lParam);
  ASSERT_EQ(2u, languages.size());  // the macro's, then the one before
  EXPECT_EQ(static_cast<LPARAM>(kUsLayout), languages[0]);
  ExpectNothingLeftSet();
}

TEST_F(KeySenderTest, FixedDelayZeroPlaysWithoutWaiting) {
  std::vector<MacroEvent> events;
  for (int i = 0; i < 5; ++i) {
    events.push_back({'C', 46, false, false, 250});
    events.push_back({'C', 46, false, true, 250});
  }
  StoreMacro("Quick", "", PlaybackSettingsText({0, false, false, true, false}), events);
  const DWORD start = GetTickCount();
  EXPECT_TRUE(Send(0, kSendPlayMacro, "Quick"));
  // Ten recorded delays of 250 ms are ignored; only the closing 200 ms remain.
  EXPECT_LT(GetTickCount() - start, 1000u);
  EXPECT_EQ(L"ccccc", CharsAfter(5));
}

TEST_F(KeySenderTest, UserKeyStopsTheMacroUnlessItIsToldToGoOn) {
  struct Case {
    bool stopOnKey;
    bool completed;
  };
  for (const Case c : {Case{true, false}, Case{false, true}}) {
    std::vector<MacroEvent> events;
    for (int i = 0; i < 20; ++i) {
      events.push_back({'X', 45, false, false, 40});
      events.push_back({'X', 45, false, true, 0});
    }
    StoreMacro("Long", "", PlaybackSettingsText({-1, false, false, c.stopOnKey, false}), events);
    receiver_->Clear();
    auto user = std::async(std::launch::async, [] {
      Sleep(250);
      UserKey(VK_F13, false);
      UserKey(VK_F13, true);
    });
    EXPECT_EQ(c.completed, Send(0, kSendPlayMacro, "Long")) << c.stopOnKey;
    user.wait();
    Receiver::Settle(150);
    const std::size_t played = OwnKeyDowns('X').size();
    if (c.completed) {
      EXPECT_EQ(20u, played);
    } else {
      EXPECT_GE(played, 1u);
      EXPECT_LT(played, 20u);
    }
    ExpectNothingLeftSet();
  }
}

TEST_F(KeySenderTest, ItemThatIsNoNumberEndsPlaybackAndFreesEverything) {
  ASSERT_TRUE(WriteMacroItems(
      store_, "Broken",
      std::vector<std::string>{"", PlaybackSettingsText({0, false, false, true, false}),
                               MacroEventItem({'D', 32, false, false, 0}), "oops",
                               MacroEventItem({'E', 18, false, false, 0})}));
  EXPECT_FALSE(Send(0, kSendPlayMacro, "Broken"));
  Receiver::Settle(150);
  EXPECT_EQ(1u, OwnKeyDowns('D').size());
  EXPECT_EQ(0u, OwnKeyDowns('E').size());
  // The key left down by the broken macro is the user's to release; the test does it.
  SendKeys(0, 'D', 0, 0, nullptr, false, 0, nullptr, nullptr);
  ExpectNothingLeftSet();
}

TEST_F(KeySenderTest, MissingOrShortMacroPlaysNothingAndSucceeds) {
  ASSERT_TRUE(WriteMacroItems(store_, "Short", std::vector<std::string>{"", ""}));
  EXPECT_TRUE(Send(0, kSendPlayMacro, "Short"));
  EXPECT_TRUE(Send(0, kSendPlayMacro, "Missing"));
  EXPECT_TRUE(Send(0, kSendPlayMacro, nullptr));
  Receiver::Settle(100);
  EXPECT_TRUE(receiver_->Messages().empty());
  ExpectNothingLeftSet();
}

}  // namespace
}  // namespace tavion
