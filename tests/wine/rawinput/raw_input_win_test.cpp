#include "pipeline/raw_input_win.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "keys/hook_messages.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

using wine_test::Inject;
using wine_test::KeyInput;
using wine_test::MouseInput;

struct Sent {
  std::string text;
  LPARAM lParam = 0;
};

// The short string (length byte, then the characters) at `wParam`.
std::string ShortString(WPARAM wParam) {
  const auto* text = reinterpret_cast<const unsigned char*>(wParam);
  return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
}

// How a device handle appears in a text: its low 32 bits, in memory order.
std::string HandleText(HANDLE device) {
  const auto value = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(device));
  char text[9];
  std::snprintf(text, sizeof text, "%02X%02X%02X%02X", value & 0xFF, (value >> 8) & 0xFF,
                (value >> 16) & 0xFF, value >> 24);
  return text;
}

HANDLE FirstDevice(DWORD type) {
  RAWINPUTDEVICELIST list[32];
  UINT count = 32;
  const UINT got = GetRawInputDeviceList(list, &count, sizeof list[0]);
  for (UINT i = 0; i < got && got != static_cast<UINT>(-1); ++i)
    if (list[i].dwType == type) return list[i].hDevice;
  return nullptr;
}

std::vector<RAWINPUTDEVICE> RegisteredDevices() {
  std::vector<RAWINPUTDEVICE> devices(16);
  UINT count = static_cast<UINT>(devices.size());
  const UINT got = GetRegisteredRawInputDevices(devices.data(), &count, sizeof devices[0]);
  devices.resize(got == static_cast<UINT>(-1) ? 0 : got);
  return devices;
}

// A window of the test that registers for raw input, handles WM_INPUT as the main window does,
// and keeps the texts it is sent.
class RawInputWin : public ::testing::Test {
 protected:
  void SetUp() override {
    target_.answer = [this](HWND hwnd, UINT message, WPARAM wParam,
                            LPARAM lParam) -> std::optional<LRESULT> {
      if (message == WM_INPUT) {
        ++inputs_;
        raw_.ProcessInput(reinterpret_cast<HRAWINPUT>(lParam), options_);
        DefWindowProcW(hwnd, message, wParam, lParam);
        return 0;
      }
      if (message == kMsgKeyEvent) {
        toTarget_.push_back({ShortString(wParam), lParam});
        return kPassEvent;
      }
      return std::nullopt;
    };
    ASSERT_TRUE(wine_test::MakeForeground(target_.hwnd()));
    raw_.Enable(target_.hwnd());
  }

  void TearDown() override {
    // Registrations belong to the process: the next test starts without any.
    std::vector<RAWINPUTDEVICE> devices = RegisteredDevices();
    for (RAWINPUTDEVICE& device : devices)
      device.dwFlags = RIDEV_REMOVE, device.hwndTarget = nullptr;
    if (!devices.empty())
      RegisterRawInputDevices(devices.data(), static_cast<UINT>(devices.size()), sizeof devices[0]);
  }

  // Injects `inputs` and handles messages until `texts` texts have come, to the target and to
  // `capture` together; then until every WM_INPUT of the injection is handled.
  bool InjectUntil(std::vector<INPUT> inputs, size_t texts,
                   const std::vector<Sent>* capture = nullptr) {
    const size_t before = inputs_;
    const size_t count = inputs.size();
    if (!Inject(std::move(inputs))) return false;
    return wine_test::PumpUntil([&] {
      return inputs_ >= before + count &&
             toTarget_.size() + (capture ? capture->size() : 0) >= texts;
    });
  }

  wine_test::TestWindow target_{
      {.className = L"RawInputTestTarget", .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE}};
  TRawInputClass raw_;
  RawInputOptions options_;
  size_t inputs_ = 0;  // WM_INPUT messages handled
  std::vector<Sent> toTarget_;
};

// The texts of an injected key's down and up: a keyboard record in the 32-bit layout naming the
// keyboard (or no device when cleared), the key and whether it went up; lParam marks the source.
TEST_F(RawInputWin, AKeyDownAndUpBecomeTwoTextsNamingTheKeyboardUnlessItIsCleared) {
  const HANDLE keyboard = FirstDevice(RIM_TYPEKEYBOARD);
  ASSERT_NE(nullptr, keyboard);
  options_.keyboards = true;
  raw_.RegisterDevices(/*keyboards=*/true);
  ASSERT_TRUE(raw_.Registered());
  for (const bool clear : {false, true}) {
    options_.clearKeyboardDevice = clear;
    toTarget_.clear();
    ASSERT_TRUE(InjectUntil({KeyInput('A', false), KeyInput('A', true)}, 2)) << clear;
    ASSERT_EQ(2u, toTarget_.size());
    const std::string device = clear ? "00000000" : HandleText(keyboard);
    for (size_t i = 0; i < 2; ++i) {
      const std::string& text = toTarget_[i].text;
      EXPECT_EQ(kHidKeyEventMarker, toTarget_[i].lParam);
      ASSERT_EQ(64u, text.size()) << text;
      // Type 1, 32 bytes, the device, RIM_INPUT; make code, flags (1: up), reserved, 'A'.
      EXPECT_EQ("0100000020000000" + device + "00000000", text.substr(0, 32)) << clear;
      EXPECT_EQ(i == 0 ? "0000" : "0100", text.substr(36, 4)) << text;
      EXPECT_EQ("4100", text.substr(44, 4)) << text;
    }
  }
}

// Only buttons and the wheel name mouse events: a move gives nothing, a click its down and up.
TEST_F(RawInputWin, AMouseMoveGivesNoTextAndAClickGivesItsDownAndUp) {
  options_.mice = true;
  raw_.RegisterDevices(/*keyboards=*/false);
  ASSERT_TRUE(raw_.Registered());
  INPUT move = MouseInput(MOUSEEVENTF_MOVE);
  move.mi.dx = 3;
  // Had the move given a text, it would come first, with a third after the click's two.
  ASSERT_TRUE(
      InjectUntil({move, MouseInput(MOUSEEVENTF_LEFTDOWN), MouseInput(MOUSEEVENTF_LEFTUP)}, 2));
  ASSERT_EQ(2u, toTarget_.size());
  for (size_t i = 0; i < 2; ++i) {
    ASSERT_EQ(80u, toTarget_[i].text.size());
    EXPECT_EQ("00000000", toTarget_[i].text.substr(0, 8)) << "a mouse record";
    EXPECT_EQ(i == 0 ? "0100" : "0200", toTarget_[i].text.substr(40, 4)) << toTarget_[i].text;
  }
}

// Mice are always registered, keyboards only when asked, each with the target and as a sink.
TEST_F(RawInputWin, KeyboardsAreRegisteredOnlyWhenAskedAndEveryEntryIsASinkForTheTarget) {
  for (const bool keyboards : {false, true}) {
    raw_.RegisterDevices(keyboards);
    EXPECT_TRUE(raw_.Registered()) << keyboards;
    bool mouse = false, keyboard = false;
    for (const RAWINPUTDEVICE& device : RegisteredDevices()) {
      EXPECT_EQ(target_.hwnd(), device.hwndTarget);
      EXPECT_EQ(static_cast<DWORD>(RIDEV_INPUTSINK), device.dwFlags);
      mouse |= device.usUsagePage == 1 && device.usUsage == 2;
      keyboard |= device.usUsagePage == 1 && device.usUsage == 6;
    }
    EXPECT_TRUE(mouse) << keyboards;
    EXPECT_EQ(keyboards, keyboard);
    TearDown();
  }
}

// A system without raw input registers nothing and says nothing.
TEST_F(RawInputWin, WithoutTheSystemFunctionsNothingIsRegistered) {
  const RawInputFunctions none;
  TRawInputClass raw(none);
  raw.Enable(target_.hwnd());
  raw.RegisterDevices(/*keyboards=*/true);
  EXPECT_FALSE(raw.Registered());
  EXPECT_TRUE(RegisteredDevices().empty());
}

// While a capture control has the focus it takes the texts, but a click over another control of
// the program is not captured; once disabled, no event gives a text.
TEST_F(RawInputWin, AFocusedCaptureControlTakesTheTextsButNotAClickElsewhere) {
  std::vector<Sent> captured;
  wine_test::TestWindow edit({.className = L"TKeyEdit",
                              .style = WS_CHILD | WS_VISIBLE,
                              .parent = target_.hwnd(),
                              .x = 10,
                              .y = 10,
                              .width = 150,
                              .height = 30});
  edit.answer = [&](HWND, UINT message, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
    if (message != kMsgCaptureHidKey) return std::nullopt;
    captured.push_back({ShortString(wParam), lParam});
    return 0;
  };
  HWND label = CreateWindowExW(0, L"STATIC", L"elsewhere", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 10,
                               60, 150, 30, target_.hwnd(), nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, label);
  options_.keyboards = options_.mice = true;
  raw_.RegisterDevices(/*keyboards=*/true);
  SetFocus(edit.hwnd());
  ASSERT_EQ(edit.hwnd(), GetFocus());

  const auto clickOn = [&](HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return std::vector<INPUT>{MouseInput(MOUSEEVENTF_LEFTDOWN), MouseInput(MOUSEEVENTF_LEFTUP)};
  };
  ASSERT_TRUE(InjectUntil({KeyInput('B', false), KeyInput('B', true)}, 2, &captured));
  ASSERT_TRUE(InjectUntil(clickOn(label), 2, &captured));
  ASSERT_TRUE(InjectUntil(clickOn(edit.hwnd()), 4, &captured));
  EXPECT_TRUE(toTarget_.empty());
  ASSERT_EQ(4u, captured.size()) << "the click on the label was dropped";
  EXPECT_EQ(std::string("01"), captured[0].text.substr(0, 2));
  EXPECT_EQ(std::string("00"), captured[2].text.substr(0, 2));
  for (const Sent& sent : captured) EXPECT_EQ(0, sent.lParam);

  raw_.Disable();
  ASSERT_TRUE(InjectUntil({KeyInput('B', false), KeyInput('B', true)}, 4, &captured));
  EXPECT_EQ(4u, captured.size());
  EXPECT_TRUE(toTarget_.empty());
  DestroyWindow(label);
}

}  // namespace
}  // namespace tavion
