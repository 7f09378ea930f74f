// The Win32 side of keys and texts: synthetic input seen through a low-level hook, the key
// state readings, the system's upper case behind masks, and handle owners.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "actions/masks.h"
#include "actions/masks_win.h"
#include "base/handles_win.h"
#include "base/utf_win.h"
#include "keys/hook_messages.h"
#include "keys/key_input_win.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

std::vector<KBDLLHOOKSTRUCT> seenKeys;

LRESULT CALLBACK RecordKey(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) seenKeys.push_back(*reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam));
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A focused window, so that this thread's key state follows the injected keys, and a hook that
// sees them. One window for the suite: Wine lets injected modifiers go when a window activates.
// Releases whatever a test left down.
class KeyInputTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    window_ = new wine_test::TestWindow({.style = WS_POPUP | WS_VISIBLE});
  }
  static void TearDownTestSuite() { delete window_; }
  void SetUp() override {
    ASSERT_TRUE(wine_test::MakeForeground(window_->hwnd()));
    // A key through the window first: by then the activation, which lets modifiers go, is done.
    window_->messages.clear();
    ASSERT_TRUE(SendKeyInput(VK_F24, 0, 0) && SendKeyInput(VK_F24, 0, kInputKeyUp));
    ASSERT_TRUE(wine_test::PumpUntil([] { return window_->Got(WM_KEYUP); }));
    hook_ = SetWindowsHookExW(WH_KEYBOARD_LL, RecordKey, GetModuleHandleW(nullptr), 0);
    ASSERT_NE(nullptr, hook_);
    seenKeys.clear();
  }
  void TearDown() override {
    for (uint8_t key : {160, 161, 162, 163, 164, 165}) {
      if (GetAsyncKeyState(key) & 0x8000) SendKeyInput(key, 0, kInputKeyUp);
    }
    UnhookWindowsHookEx(hook_);
  }
  static bool Seen(size_t n) {
    return wine_test::PumpUntil([n] { return seenKeys.size() >= n; });
  }

  static inline wine_test::TestWindow* window_ = nullptr;
  HHOOK hook_ = nullptr;
};

TEST_F(KeyInputTest, InjectedKeysCarryTheMarkAndAMappedOrGivenScanCode) {
  ASSERT_TRUE(SendKeyInput(162, 0, 0));
  ASSERT_TRUE(SendKeyInput(162, 0, kInputKeyUp));
  ASSERT_TRUE(SendKeyInput(255, 0x56, 0));
  ASSERT_TRUE(SendKeyInput(255, 0x56, kInputKeyUp));
  ASSERT_TRUE(Seen(4));
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(i < 2 ? 162u : 255u, seenKeys[i].vkCode);
    EXPECT_EQ(i < 2 ? MapVirtualKeyW(162, MAPVK_VK_TO_VSC) : 0x56u, seenKeys[i].scanCode);
    EXPECT_EQ(ULONG_PTR{OwnInputMark}, seenKeys[i].dwExtraInfo);
    EXPECT_EQ(i % 2 == 1, (seenKeys[i].flags & LLKHF_UP) != 0);
  }
}

TEST_F(KeyInputTest, HeldModifiersShowInEveryReadingAndAreReleasedWithTheirSide) {
  ASSERT_TRUE(SendKeyInput(162, 0, 0));
  ASSERT_TRUE(wine_test::PumpUntil([] { return GetModifierState() == kModCtrl; }));
  EXPECT_TRUE(IsKeyPressed(162, FALSE, FALSE));
  EXPECT_TRUE(IsKeyPressed(VK_CONTROL, FALSE, TRUE));
  EXPECT_FALSE(NoLeftModifiersPressed());
  EXPECT_TRUE(NoRightModifiersPressed());
  EXPECT_NE(std::string::npos, PressedKeysText().find(" 162"));
  ASSERT_TRUE(SendKeyInput(162, 0, kInputKeyUp));

  ASSERT_TRUE(SendKeyInput(165, 0, kInputExtended));
  ASSERT_TRUE(wine_test::PumpUntil([] { return IsKeyPressed(165, FALSE, TRUE) != FALSE; }));
  seenKeys.clear();
  ASSERT_TRUE(ReleaseModifiers());
  ASSERT_TRUE(Seen(1));
  ASSERT_TRUE(wine_test::PumpThroughSentinel());
  ASSERT_EQ(1u, seenKeys.size()) << "only the key that was down";
  EXPECT_EQ(165u, seenKeys[0].vkCode);
  EXPECT_EQ(DWORD{LLKHF_UP | LLKHF_EXTENDED}, seenKeys[0].flags & (LLKHF_UP | LLKHF_EXTENDED));
  EXPECT_FALSE(IsKeyPressed(165, FALSE, TRUE));
}

TEST_F(KeyInputTest, IsKeyPressedReadsTheToggleBitAndRefusesBadCodes) {
  const bool wasOn = IsKeyPressed(VK_SCROLL, TRUE, FALSE);
  const KeyInput tap[] = {{VK_SCROLL, 0, 0}, {VK_SCROLL, 0, kInputKeyUp}};
  for (const bool on : {!wasOn, wasOn}) {
    ASSERT_TRUE(SendKeyInputs(tap));
    EXPECT_TRUE(wine_test::PumpUntil([on] { return IsKeyPressed(VK_SCROLL, TRUE, FALSE) == on; }));
  }
  EXPECT_FALSE(IsKeyPressed(-1, FALSE, TRUE));
  EXPECT_FALSE(IsKeyPressed(256 + 162, FALSE, FALSE));
}

TEST(Win32UpperCase, MapsLettersOfManyScriptsForMasksOverRealCaptions) {
  InstallWin32UpperCase();
  const wine_test::ScopeExit uninstall([] { SetUpperCaseFunction(nullptr); });
  const struct {
    std::string text, expected;
  } cases[] = {
      {"caf\xC3\xA9 \xC3\xBF", "CAF\xC3\x89 \xC5\xB8"},                  // é ÿ
      {"\xD5\xA2\xD5\xA1\xD6\x80", "\xD4\xB2\xD4\xB1\xD5\x90"},          // Armenian
      {"\xE4\xB8\xAD", "\xE4\xB8\xAD"},                                  // CJK: no case
      {std::string("a\xFF") + "b\xC3", std::string("A\xFF") + "B\xC3"},  // stray bytes kept
      {"\xF0\x9F\x8E\xB9xy", "\xF0\x9F\x8E\xB9XY"},  // after a character outside the BMP
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, UpperCaseText(c.text)) << c.text;

  // A caption as the window conditions read it.
  wine_test::TestWindow window({.caption = L"\u0411\u0435\u0437 \u0438\u043C\u0435\u043D\u0438"});
  wchar_t caption[64] = {};
  GetWindowTextW(window.hwnd(), caption, 64);
  EXPECT_TRUE(MatchesMask(WideToUtf8(caption), "\xD0\xB1\xD0\xB5\xD0\xB7 %*%"));
  EXPECT_FALSE(MatchesMask(WideToUtf8(caption), "\xD0\xB1\xD0\xB5 %*%"));
}

bool IsOpen(HKEY key) {
  return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

TEST(HandleOwners, EachKindIsFreedOnceWhenItsOwnerGoes) {
  HKEY first = nullptr, second = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &first));
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &second));
  LOGFONTW logFont = {};
  logFont.lfHeight = 12;
  const HFONT font = CreateFontIndirectW(&logFont);
  const HDC memory = CreateCompatibleDC(nullptr);
  {
    UniqueHKey moved(first);
    UniqueHKey owner(second);
    owner = std::move(moved);
    EXPECT_FALSE(IsOpen(second)) << "the overwritten key is closed";
    EXPECT_TRUE(IsOpen(first));
    owner = std::move(owner);
    EXPECT_TRUE(IsOpen(first)) << "self-move keeps the key";
    const UniqueFont fontOwner(font);
    const UniqueMemoryDc memoryOwner(memory);
  }
  EXPECT_FALSE(IsOpen(first));
  EXPECT_EQ(0u, GetObjectType(font));
  EXPECT_EQ(0u, GetObjectType(memory));
}

}  // namespace
}  // namespace tavion
