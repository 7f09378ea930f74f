#include "pipeline/raw_input_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "keys/hook_messages.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

using wine_test::KeyInput;
using wine_test::MouseInput;

std::vector<RAWINPUTDEVICE> RegisteredDevices() {
  std::vector<RAWINPUTDEVICE> devices(16);
  UINT count = 16;
  const UINT got = GetRegisteredRawInputDevices(devices.data(), &count, sizeof devices[0]);
  devices.resize(got == static_cast<UINT>(-1) ? 0 : got);
  return devices;
}

// Registrations belong to the process: each test leaves none behind.
void RemoveRegistrations() {
  std::vector<RAWINPUTDEVICE> devices = RegisteredDevices();
  for (RAWINPUTDEVICE& d : devices) d.dwFlags = RIDEV_REMOVE, d.hwndTarget = nullptr;
  if (!devices.empty()) RegisterRawInputDevices(devices.data(), devices.size(), sizeof devices[0]);
}

// Injected keys and clicks reach the registered window as WM_INPUT and come back as texts with
// lParam 666: a key's down and up name the keyboard unless it is cleared, a move names nothing.
TEST(RawInputWin, InjectedKeysAndClicksBecomeTextsAndAMoveNone) {
  wine_test::TestWindow target({.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE});
  TRawInputClass raw;
  RawInputOptions options{.mice = true, .keyboards = true};
  std::vector<std::string> texts;
  target.answer = [&](HWND, UINT message, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
    if (message == WM_INPUT) raw.ProcessInput(reinterpret_cast<HRAWINPUT>(l), options);
    if (message != kMsgKeyEvent || l != kHidKeyEventMarker) return std::nullopt;
    const auto* text = reinterpret_cast<const unsigned char*>(w);
    texts.emplace_back(reinterpret_cast<const char*>(text + 1), text[0]);
    return kPassEvent;
  };
  raw.Enable(target.hwnd());
  raw.RegisterDevices(/*keyboards=*/true);
  ASSERT_TRUE(raw.Registered());
  const auto inject = [&](std::vector<INPUT> inputs) {
    texts.clear();
    EXPECT_TRUE(wine_test::Inject(inputs));
    return wine_test::PumpUntil([&] { return texts.size() >= 2; });
  };
  RAWINPUTDEVICELIST devices[8];
  UINT count = 8;
  count = GetRawInputDeviceList(devices, &count, sizeof devices[0]);
  const auto found = std::find_if(devices, devices + std::min(count, 8u),
                                  [](const auto& d) { return d.dwType == RIM_TYPEKEYBOARD; });
  ASSERT_NE(devices + std::min(count, 8u), found);
  const auto handle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(found->hDevice));
  char keyboard[9];  // the handle as the text holds it: its low 32 bits in memory order
  std::snprintf(keyboard, 9, "%02X%02X%02X%02X", handle & 255, handle >> 8 & 255,
                handle >> 16 & 255, handle >> 24);
  for (const bool clear : {false, true}) {
    options.clearKeyboardDevice = clear;
    ASSERT_TRUE(inject({KeyInput('A', false), KeyInput('A', true)})) << clear;
    for (size_t i = 0; i < 2; ++i) {
      // Type 1, 32 bytes, the device, RIM_INPUT; make code, flags (1: up), reserved, 'A'.
      EXPECT_EQ("0100000020000000" + std::string(clear ? "00000000" : keyboard) + "00000000",
                texts[i].substr(0, 32));
      EXPECT_EQ(i == 0 ? "0000" : "0100", texts[i].substr(36, 4)) << texts[i];
      EXPECT_EQ("4100", texts[i].substr(44, 4)) << texts[i];
    }
  }
  INPUT move = MouseInput(MOUSEEVENTF_MOVE);
  move.mi.dx = 3;
  // Had the move given a text, it would come first.
  ASSERT_TRUE(inject({move, MouseInput(MOUSEEVENTF_LEFTDOWN), MouseInput(MOUSEEVENTF_LEFTUP)}));
  EXPECT_EQ("0100", texts[0].substr(40, 4)) << texts[0];
  EXPECT_EQ("0200", texts[1].substr(40, 4)) << texts[1];
  RemoveRegistrations();
}

// Mice are always registered, keyboards only when asked, each entry a sink for the target.
TEST(RawInputWin, KeyboardsAreRegisteredOnlyWhenAsked) {
  wine_test::TestWindow target;
  for (const bool keyboards : {false, true}) {
    TRawInputClass raw;
    raw.Enable(target.hwnd());
    raw.RegisterDevices(keyboards);
    EXPECT_TRUE(raw.Registered());
    std::vector<std::tuple<USHORT, USHORT, DWORD, HWND>> got,
        expected = {{1, 2, RIDEV_INPUTSINK, target.hwnd()}};
    if (keyboards) expected.emplace_back(1, 6, RIDEV_INPUTSINK, target.hwnd());
    for (const RAWINPUTDEVICE& d : RegisteredDevices())
      got.emplace_back(d.usUsagePage, d.usUsage, d.dwFlags, d.hwndTarget);
    std::sort(got.begin(), got.end());
    EXPECT_EQ(expected, got) << keyboards;
    RemoveRegistrations();
  }
}

}  // namespace
}  // namespace tavion
