// The Win32 side of keys and texts: synthetic input seen through a low-level hook, the key
// state readings, the system's upper case behind masks, and handle owners.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "actions/masks.h"
#include "actions/masks_win.h"
#include "base/handles_win.h"
#include "keys/hook_messages.h"
#include "keys/key_input_win.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

// Key code, scan code, extra information and the released and extended flags of each key seen.
std::vector<std::array<DWORD, 4>> seenKeys;

LRESULT CALLBACK RecordKey(int code, WPARAM wParam, LPARAM lParam) {
  const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  if (code == HC_ACTION) {
    seenKeys.push_back({key->vkCode, key->scanCode, static_cast<DWORD>(key->dwExtraInfo),
                        key->flags & (LLKHF_UP | LLKHF_EXTENDED)});
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A focused window, so that this thread's key state follows the injected keys, and a hook that
// sees them. A key goes through the window first: by then its activation, which lets modifiers
// go under Wine, is done.
TEST(KeyInput, InjectedKeysAreMarkedShowInEveryReadingAndAreReleasedWithTheirSide) {
  seenKeys.clear();
  wine_test::TestWindow window({.style = WS_POPUP | WS_VISIBLE});
  ASSERT_TRUE(wine_test::MakeForeground(window.hwnd()));
  ASSERT_TRUE(SendKeyInput(VK_F24, 0, 0) && SendKeyInput(VK_F24, 0, kInputKeyUp));
  ASSERT_TRUE(wine_test::PumpUntil([&] { return window.Got(WM_KEYUP); }));
  const HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, RecordKey, GetModuleHandleW(nullptr), 0);
  const wine_test::ScopeExit unhook([&] {
    for (uint8_t key : {162, 165, 255}) SendKeyInput(key, 0, kInputKeyUp);
    UnhookWindowsHookEx(hook);
  });

  ASSERT_TRUE(SendKeyInput(255, 0x56, 0) && SendKeyInput(162, 0, 0));
  ASSERT_TRUE(wine_test::PumpUntil([] { return GetModifierState() == kModCtrl; }));
  EXPECT_EQ(
      (std::array<BOOL, 4>{TRUE, TRUE, FALSE, TRUE}),
      (std::array<BOOL, 4>{IsKeyPressed(162, FALSE, FALSE), IsKeyPressed(VK_CONTROL, FALSE, TRUE),
                           NoLeftModifiersPressed(), NoRightModifiersPressed()}));
  EXPECT_NE(std::string::npos, PressedKeysText().find(" 162"));
  ASSERT_TRUE(SendKeyInput(162, 0, kInputKeyUp) && SendKeyInput(165, 0, kInputExtended));
  ASSERT_TRUE(wine_test::PumpUntil([] { return IsKeyPressed(165, FALSE, TRUE) != FALSE; }));
  ASSERT_TRUE(ReleaseModifiers());
  ASSERT_TRUE(wine_test::PumpUntil([] { return seenKeys.size() >= 5; }));
  ASSERT_TRUE(wine_test::PumpThroughSentinel());
  const DWORD ctrl = MapVirtualKeyW(162, MAPVK_VK_TO_VSC),
              alt = MapVirtualKeyW(165, MAPVK_VK_TO_VSC);
  // The given scan code or the mapped one; the release only of the key that was down.
  EXPECT_EQ(
      (std::vector<std::array<DWORD, 4>>{{255, 0x56, OwnInputMark, 0},
                                         {162, ctrl, OwnInputMark, 0},
                                         {162, ctrl, OwnInputMark, LLKHF_UP},
                                         {165, alt, OwnInputMark, LLKHF_EXTENDED},
                                         {165, alt, OwnInputMark, LLKHF_UP | LLKHF_EXTENDED}}),
      seenKeys);
  for (int key : {165, -1, 256 + 165}) EXPECT_FALSE(IsKeyPressed(key, FALSE, TRUE)) << key;

  const bool wasOn = IsKeyPressed(VK_SCROLL, TRUE, FALSE);
  for (const bool on : {!wasOn, wasOn}) {
    ASSERT_TRUE(SendKeyInput(VK_SCROLL, 0, 0) && SendKeyInput(VK_SCROLL, 0, kInputKeyUp));
    EXPECT_TRUE(wine_test::PumpUntil([on] { return IsKeyPressed(VK_SCROLL, TRUE, FALSE) == on; }));
  }
}

TEST(Win32UpperCase, MapsLettersAndKeepsWhatIsNoCharacter) {
  InstallWin32UpperCase();
  const wine_test::ScopeExit uninstall([] { SetUpperCaseFunction(nullptr); });
  const struct {
    std::string text, expected;
  } cases[] = {
      {"caf\xC3\xA9 \xC3\xBF", "CAF\xC3\x89 \xC5\xB8"},                  // é ÿ
      {std::string("a\xFF") + "b\xC3", std::string("A\xFF") + "B\xC3"},  // stray bytes kept
      {"\xF0\x9F\x8E\xB9xy", "\xF0\x9F\x8E\xB9XY"},  // after a character outside the BMP
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, UpperCaseText(c.text)) << c.text;
}

bool IsOpen(HKEY key) {
  return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

TEST(HandleOwners, AnOwnedKeyIsClosedOnceWhenItsOwnerGoesOrIsOverwritten) {
  HKEY first = nullptr, second = nullptr;
  for (HKEY* key : {&first, &second})
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key));
  {
    UniqueHKey owner(second);
    owner = UniqueHKey(first);
    EXPECT_FALSE(IsOpen(second)) << "the overwritten key is closed";
    owner = std::move(owner);
    EXPECT_TRUE(IsOpen(first)) << "self-move keeps the key";
  }
  EXPECT_FALSE(IsOpen(first));
}

}  // namespace
}  // namespace tavion
