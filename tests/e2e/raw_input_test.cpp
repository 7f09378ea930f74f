// Keys of HID devices as a user meets them: with "Forcibly hook HID keyboards" on, a hot key
// taken from the raw input of a keyboard runs its action, and the editor offers that choice.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tavion_process.h"

namespace tavion::e2e {
namespace {

constexpr wchar_t kAction[] = L"Keys\\Default\\000";

// The text of a key-down of `vk` from any keyboard (the device cleared): the keyboard record in
// the 32-bit layout, byte by byte in memory order.
std::wstring KeyDownText(WORD vk) {
  const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  wchar_t text[65];
  // Header: type 1, 32 bytes, no device, RIM_INPUT; make code, flags, reserved, key, WM_KEYDOWN,
  // extra information.
  std::swprintf(text, 65,
                L"0100000020000000"
                L"0000000000000000"
                L"%02X%02X00000000%02X%02X"
                L"00010000"
                L"00000000",
                scan & 0xFF, scan >> 8, vk & 0xFF, vk >> 8);
  return text;
}

BOOL CALLBACK FindHidChoice(HWND child, LPARAM found) {
  if (wine_test::WindowText(child) != L"Get keys input from HID devices") return TRUE;
  *reinterpret_cast<HWND*>(found) = child;
  return FALSE;
}

TEST(RawInput, AKeyboardKeyBoundAsAnHidKeyRunsItsActionAndTheEditorOffersTheHidChoice) {
  WriteSetting(L"", L"Hid_Keyboard", 1);
  WriteSetting(L"Misc", L"ClearRawKeyboardDevice", 1);
  WriteSetting(kAction, L"Exec", L"tv_beep");
  const std::wstring key = std::wstring(kAction) + L"\\Key0";
  WriteSetting(key.c_str(), L"InputMode", 1);
  WriteSetting(key.c_str(), L"KeyPolyglot", KeyDownText(VK_F9));
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);

  // The first key after a start may come before the program is ready for it: again until the box.
  HWND box = nullptr;
  for (int attempt = 0; attempt < 5 && !box; ++attempt) {
    Press({VK_F9});
    box = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Tavion", 2000);
  }
  ASSERT_NE(nullptr, box) << "the running check on F9 from the keyboard's raw input";
  EXPECT_EQ(L"Tavion 1.0 - running.", StaticText(box));
  PressButton(box, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));

  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }));
  ASSERT_NE(nullptr, FocusActionTree(main));
  Press({VK_INSERT});
  HWND editor = OpenedEditor(tavion.Id(), L"Add new action");
  ASSERT_NE(nullptr, editor);
  HWND hid = nullptr;
  EnumChildWindows(editor, FindHidChoice, reinterpret_cast<LPARAM>(&hid));
  ASSERT_NE(nullptr, hid);
  EXPECT_TRUE(IsWindowEnabled(hid)) << "devices are registered";
  Shoot(editor, "editor-hid-choice-" + std::to_string(ScreenDpi()));
  Press({VK_ESCAPE});
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor); }));
  ExitConfirmed(tavion, main);
}

}  // namespace
}  // namespace tavion::e2e
