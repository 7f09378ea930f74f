#include "keys/key_input_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "keys/hook_messages.h"

namespace tavion {
namespace {

struct SeenKey {
  DWORD keyCode;
  DWORD scanCode;
  DWORD flags;  // LLKHF_*: 0x01 extended, 0x10 injected, 0x80 released
  DWORD time;
  ULONG_PTR extraInfo;
};

std::vector<SeenKey> seenKeys;

LRESULT CALLBACK RecordKey(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    seenKeys.push_back({info->vkCode, info->scanCode, info->flags, info->time, info->dwExtraInfo});
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Watches the keyboard through a bare low-level hook, and holds a focused window of its own so
// that the thread's synchronous key state follows the keys injected. Releases whatever the test
// left down.
class KeyInputTest : public testing::Test {
 protected:
  // One window for the suite: destroying a window takes Wine about two seconds here.
  static void SetUpTestSuite() {
    window_ = CreateWindowExW(0, L"STATIC", L"keys test", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  static void TearDownTestSuite() {
    if (window_ != nullptr) DestroyWindow(window_);
    window_ = nullptr;
  }

  void SetUp() override {
    ASSERT_NE(nullptr, window_);
    SetForegroundWindow(window_);
    SetFocus(window_);
    hook_ = SetWindowsHookExW(WH_KEYBOARD_LL, RecordKey, GetModuleHandleW(nullptr), 0);
    ASSERT_NE(nullptr, hook_);
    Pump([] { return false; }, 20);
    seenKeys.clear();
  }

  void TearDown() override {
    for (uint8_t key : {91, 92, 160, 161, 162, 163, 164, 165}) {
      if (GetAsyncKeyState(key) & 0x8000) RawKeyUp(key);
    }
    Pump([] { return false; }, 20);
    if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
  }

  static void RawKeyUp(uint8_t key) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
  }

  // Processes messages until `done` holds or `ms` have passed; returns `done`.
  static bool Pump(const std::function<bool()>& done, DWORD ms = 2000) {
    const DWORD start = GetTickCount();
    while (!done()) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      if (GetTickCount() - start > ms) return done();
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
  }

  static bool SeenCount(std::size_t n) {
    return Pump([n] { return seenKeys.size() >= n; });
  }

  static inline HWND window_ = nullptr;
  HHOOK hook_ = nullptr;
};

TEST_F(KeyInputTest, InjectedKeysCarryTheMarkTheTickCountAndAMappedScanCode) {
  const DWORD before = GetTickCount();
  ASSERT_TRUE(SendKeyInput(162, 0, 0));
  ASSERT_TRUE(SendKeyInput(162, 0, kInputKeyUp));
  ASSERT_TRUE(SeenCount(2));
  const DWORD after = GetTickCount();
  const DWORD mapped = MapVirtualKeyW(162, MAPVK_VK_TO_VSC);
  ASSERT_NE(0u, mapped);
  for (const SeenKey& key : seenKeys) {
    EXPECT_EQ(162u, key.keyCode);
    EXPECT_EQ(mapped, key.scanCode);
    EXPECT_EQ(static_cast<ULONG_PTR>(OwnInputMark), key.extraInfo);
    EXPECT_GE(key.time, before);
    EXPECT_LE(key.time, after);
    EXPECT_NE(0u, key.flags & LLKHF_INJECTED);
  }
  EXPECT_EQ(0u, seenKeys[0].flags & LLKHF_UP);
  EXPECT_NE(0u, seenKeys[1].flags & LLKHF_UP);
}

TEST_F(KeyInputTest, AGivenScanCodeIsKept) {
  ASSERT_TRUE(SendKeyInput(255, 0x56, 0));
  ASSERT_TRUE(SendKeyInput(255, 0x56, kInputKeyUp));
  ASSERT_TRUE(SeenCount(2));
  EXPECT_EQ(0x56u, seenKeys[0].scanCode);
  EXPECT_EQ(255u, seenKeys[0].keyCode);
}

TEST_F(KeyInputTest, HeldLeftCtrlShowsInEveryKeyStateReading) {
  ASSERT_EQ(0, GetModifierState());
  ASSERT_TRUE(SendKeyInput(162, 0, 0));
  ASSERT_TRUE(Pump([] { return GetModifierState() == kModCtrl; }));
  EXPECT_TRUE(IsKeyPressed(162, FALSE, FALSE));
  EXPECT_TRUE(IsKeyPressed(162, FALSE, TRUE));
  EXPECT_TRUE(IsKeyPressed(VK_CONTROL, FALSE, TRUE));
  EXPECT_FALSE(NoLeftModifiersPressed());
  EXPECT_TRUE(NoRightModifiersPressed());
  EXPECT_NE(std::string::npos, PressedKeysText().find(" 162"));

  ASSERT_TRUE(SendKeyInput(162, 0, kInputKeyUp));
  ASSERT_TRUE(Pump([] { return GetModifierState() == 0; }));
  EXPECT_FALSE(IsKeyPressed(162, FALSE, FALSE));
  EXPECT_FALSE(IsKeyPressed(162, FALSE, TRUE));
  EXPECT_TRUE(NoLeftModifiersPressed());
}

TEST_F(KeyInputTest, IsKeyPressedReadsTheToggleBitAndRefusesBadCodes) {
  const bool wasOn = IsKeyPressed(VK_SCROLL, TRUE, FALSE);
  const KeyInput tap[] = {{VK_SCROLL, 0, 0}, {VK_SCROLL, 0, kInputKeyUp}};
  ASSERT_TRUE(SendKeyInputs(tap));
  EXPECT_TRUE(Pump([wasOn] { return IsKeyPressed(VK_SCROLL, TRUE, FALSE) != wasOn; }));
  ASSERT_TRUE(SendKeyInputs(tap));
  EXPECT_TRUE(Pump([wasOn] { return IsKeyPressed(VK_SCROLL, TRUE, FALSE) == wasOn; }));

  EXPECT_FALSE(IsKeyPressed(-1, FALSE, TRUE));
  EXPECT_FALSE(IsKeyPressed(256, FALSE, TRUE));
  EXPECT_FALSE(IsKeyPressed(256 + 162, FALSE, FALSE));
}

TEST_F(KeyInputTest, DummyKeyIsSevenDownThenUp) {
  ASSERT_TRUE(SendDummyKey());
  ASSERT_TRUE(SeenCount(2));
  ASSERT_EQ(2u, seenKeys.size());
  EXPECT_EQ(7u, seenKeys[0].keyCode);
  EXPECT_EQ(0u, seenKeys[0].flags & LLKHF_UP);
  EXPECT_EQ(7u, seenKeys[1].keyCode);
  EXPECT_NE(0u, seenKeys[1].flags & LLKHF_UP);
  EXPECT_EQ(static_cast<ULONG_PTR>(OwnInputMark), seenKeys[1].extraInfo);
}

TEST_F(KeyInputTest, ReleaseModifiersReleasesAHeldRightAltAsExtended) {
  ASSERT_TRUE(SendKeyInput(165, 0, kInputExtended));
  ASSERT_TRUE(Pump([] { return IsKeyPressed(165, FALSE, TRUE) != FALSE; }));
  seenKeys.clear();
  ASSERT_TRUE(ReleaseModifiers());
  ASSERT_TRUE(SeenCount(1));
  Pump([] { return false; }, 50);
  ASSERT_EQ(1u, seenKeys.size()) << "only the key that was down";
  EXPECT_EQ(165u, seenKeys[0].keyCode);
  EXPECT_EQ(static_cast<DWORD>(LLKHF_UP | LLKHF_EXTENDED),
            seenKeys[0].flags & (LLKHF_UP | LLKHF_EXTENDED));
  EXPECT_FALSE(IsKeyPressed(165, FALSE, TRUE));
}

TEST_F(KeyInputTest, PressModifiersPressesTheChosenSides) {
  ModifierSet set{};
  set[kLeftShift] = true;
  set[kRightCtrl] = true;
  ASSERT_TRUE(PressModifiers(set));
  ASSERT_TRUE(SeenCount(2));
  EXPECT_EQ(163u, seenKeys[0].keyCode);
  EXPECT_EQ(static_cast<DWORD>(LLKHF_EXTENDED), seenKeys[0].flags & (LLKHF_UP | LLKHF_EXTENDED));
  EXPECT_EQ(160u, seenKeys[1].keyCode);
  EXPECT_EQ(0u, seenKeys[1].flags & (LLKHF_UP | LLKHF_EXTENDED));
  EXPECT_TRUE(Pump([] { return GetModifierState() == (kModShift | kModCtrl); }));
}

TEST_F(KeyInputTest, ResetModifierKeyReleasesAStuckSideUnlessTheOtherIsHeld) {
  ASSERT_TRUE(SendKeyInput(160, 0, 0));
  ASSERT_TRUE(SendKeyInput(161, 0, kInputExtended));
  ASSERT_TRUE(Pump([] { return IsKeyPressed(161, FALSE, TRUE) != FALSE; }));
  seenKeys.clear();
  ASSERT_TRUE(ResetModifierKey(160, 161, VK_SHIFT));
  Pump([] { return false; }, 100);
  EXPECT_TRUE(seenKeys.empty()) << "right Shift still holds Shift down";

  ASSERT_TRUE(SendKeyInput(161, 0, kInputExtended | kInputKeyUp));
  ASSERT_TRUE(SeenCount(1));
  ASSERT_TRUE(IsKeyPressed(VK_SHIFT, FALSE, TRUE)) << "left Shift is still down";
  seenKeys.clear();
  ASSERT_TRUE(ResetModifierKey(160, 161, VK_SHIFT));
  ASSERT_TRUE(SeenCount(1));
  EXPECT_EQ(160u, seenKeys[0].keyCode);
  EXPECT_NE(0u, seenKeys[0].flags & LLKHF_UP);
  EXPECT_TRUE(Pump([] { return !IsKeyPressed(VK_SHIFT, FALSE, TRUE); }));
}

TEST(SystemKeyNames, NamesKeysOfTheCurrentLayout) {
  const Win32SystemKeyNames names;
  const uint32_t scanA = names.ScanCodeOf('A');
  EXPECT_EQ(30u, scanA);
  EXPECT_EQ("A", names.KeyName(scanA << 16 | 1));
  EXPECT_EQ("", names.KeyName(0));

  InstallSystemKeyNames();
  const std::string f1 = KeyToText(VK_F1, 0, 0, /*useConversion=*/true, /*useUserNames=*/false);
  SetDefaultSystemKeyNames(nullptr);
  EXPECT_EQ("F1", f1);
  EXPECT_EQ("p", KeyToText(VK_F1, 0, 0, true, false)) << "without system names: the character";
}

}  // namespace
}  // namespace tavion
