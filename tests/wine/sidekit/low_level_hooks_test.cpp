// Hook kinds 2 to 5 under Wine with real SendInput: records, answers, stalls, re-entry, removal.
#include <windows.h>

#include <atomic>
#include <optional>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "keys/hook_messages.h"
#include "sidekit_api.h"
#include "test_windows.h"

namespace {

using sidekit_test::FreeHookEx;
using sidekit_test::InitHookEx;
using sidekit_test::InstallHook;

using sidekit_test::FocusWindow;
using sidekit_test::Inject;
using sidekit_test::KeyInput;
using sidekit_test::MouseInput;
using sidekit_test::PumpFor;
using sidekit_test::PumpUntil;
using sidekit_test::Received;
using sidekit_test::Receiver;
using sidekit_test::Records;
using tavion::HookKind;

constexpr int kKeyboard = static_cast<int>(HookKind::kKeyboard);
constexpr int kCaptureKeyboard = static_cast<int>(HookKind::kCaptureKeyboard);
constexpr int kMouse = static_cast<int>(HookKind::kMouse);
constexpr int kCaptureMouse = static_cast<int>(HookKind::kCaptureMouse);

// Longer than the library's bound on a receiver's answer.
constexpr DWORD kStallMs = 600;

size_t CountKeyDowns(const Receiver& receiver, WORD vk) {
  size_t count = 0;
  for (const Received& event : receiver.events) {
    if (event.key.vkCode == vk && (event.key.flags & tavion::kKeyFlagReleased) == 0) ++count;
  }
  return count;
}

// Injects a key press (down and up) and handles messages until `focus` got the key, which shows
// that the hooks are done with it.
bool PressAndWaitAtFocus(FocusWindow& focus, WORD vk, ULONG_PTR extraInfo = 0) {
  return Inject({KeyInput(vk, false, extraInfo), KeyInput(vk, true, extraInfo)}) &&
         PumpUntil([&] { return focus.GotKey(vk); });
}

// A low-level keyboard hook of the test's own, on a thread of its own. Installed before the
// library's hook, it is called once the library's hook is done with an event.
class ReleaseWatcher {
 public:
  ReleaseWatcher() {
    released_ = CreateEventW(nullptr, /*bManualReset=*/TRUE, /*bInitialState=*/FALSE, nullptr);
    thread_ = std::thread([this] { Run(); });
    while (!ready_) SwitchToThread();
  }
  ~ReleaseWatcher() {
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
    CloseHandle(released_);
  }
  ReleaseWatcher(const ReleaseWatcher&) = delete;
  ReleaseWatcher& operator=(const ReleaseWatcher&) = delete;

  bool installed() const { return hook_ != nullptr; }
  // Waits, without handling messages, until a key-up has been through the library's hook.
  static bool WaitForRelease() { return WaitForSingleObject(released_, 10000) == WAIT_OBJECT_0; }

 private:
  static LRESULT CALLBACK Procedure(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && (wParam == WM_KEYUP || wParam == WM_SYSKEYUP)) SetEvent(released_);
    return CallNextHookEx(/*hhk=*/nullptr, code, wParam, lParam);
  }
  void Run() {
    MSG msg;
    PeekMessageW(&msg, /*hWnd=*/nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    threadId_ = GetCurrentThreadId();
    hook_ = SetWindowsHookExW(WH_KEYBOARD_LL, &Procedure, GetModuleHandleW(nullptr), 0);
    ready_ = true;
    while (GetMessageW(&msg, /*hWnd=*/nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    if (hook_) UnhookWindowsHookEx(hook_);
  }

  static inline HANDLE released_ = nullptr;
  std::thread thread_;
  DWORD threadId_ = 0;
  HHOOK hook_ = nullptr;
  std::atomic<bool> ready_{false};
};

class LowLevelHookTest : public testing::Test {
 protected:
  void TearDown() override {
    for (int kind : {kKeyboard, kCaptureKeyboard, kMouse, kCaptureMouse}) FreeHookEx(kind);
  }

  FocusWindow focus_;
  Receiver receiver_{Records::kKey};
};

struct KeyCase {
  const char* name;
  WORD vk;
  bool extended;
  ULONG_PTR extraInfo;
  uint32_t expectedExtraInfo;
  WPARAM expectedDown;
  WPARAM expectedUp;
};

class KeyRecordTest : public LowLevelHookTest, public testing::WithParamInterface<KeyCase> {};

TEST_P(KeyRecordTest, KeyDownAndUpReachTheReceiverWithTheirRecords) {
  const KeyCase& c = GetParam();
  receiver_.answer = [](const Received&) { return tavion::kSwallowEvent; };
  ASSERT_TRUE(InstallHook(kKeyboard, receiver_.hwnd(), tavion::kMsgKeyEvent));

  const DWORD before = GetTickCount();
  ASSERT_TRUE(Inject({KeyInput(c.vk, false, c.extraInfo, c.extended),
                      KeyInput(c.vk, true, c.extraInfo, c.extended)}));
  ASSERT_TRUE(PumpUntil([&] { return receiver_.events.size() >= 2; }));
  const DWORD after = GetTickCount();

  ASSERT_EQ(2u, receiver_.events.size());
  for (int i = 0; i < 2; ++i) {
    const Received& event = receiver_.events[i];
    SCOPED_TRACE(i == 0 ? "down" : "up");
    EXPECT_EQ(tavion::kMsgKeyEvent, event.message);
    EXPECT_EQ(i == 0 ? c.expectedDown : c.expectedUp, event.wParam);
    EXPECT_EQ(c.vk, event.key.vkCode);
    EXPECT_EQ(sidekit_test::ScanCodeOf(c.vk), event.key.scanCode);
    EXPECT_EQ(c.extended ? tavion::kKeyFlagExtended : 0u,
              event.key.flags & tavion::kKeyFlagExtended);
    EXPECT_EQ(i == 0 ? 0u : tavion::kKeyFlagReleased, event.key.flags & tavion::kKeyFlagReleased);
    EXPECT_EQ(c.expectedExtraInfo, event.key.extraInfo);
    EXPECT_LE(before, event.key.time);
    EXPECT_GE(after, event.key.time);
  }
  // The swallowed keys never reached the window with the focus.
  EXPECT_FALSE(focus_.GotKey(c.vk));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyRecordTest,
    testing::Values(KeyCase{"OwnInput", 'Q', false, tavion::OwnInputMark, tavion::OwnInputMark,
                            WM_KEYDOWN, WM_KEYUP},
                    KeyCase{"UnmarkedInput", 'W', false, 0, 0, WM_KEYDOWN, WM_KEYUP},
                    KeyCase{"OtherExtraInfo", 'E', false, 0x1234567, 0x1234567, WM_KEYDOWN,
                            WM_KEYUP},
                    KeyCase{"ExtendedKey", VK_RIGHT, true, 0, 0, WM_KEYDOWN, WM_KEYUP},
                    KeyCase{"SystemKey", VK_MENU, false, 0, 0, WM_SYSKEYDOWN, WM_KEYUP},
                    // Only the low 32 bits of the extra information travel (on 64-bit systems).
                    KeyCase{"WideExtraInfo", 'R', false, static_cast<ULONG_PTR>(0xAB00000309ull),
                            tavion::OwnInputMark, WM_KEYDOWN, WM_KEYUP}),
    [](const testing::TestParamInfo<KeyCase>& param) { return param.param.name; });

TEST_F(LowLevelHookTest, AnswerOneSwallowsTheKeyAndZeroPassesIt) {
  for (const LRESULT answer : {tavion::kSwallowEvent, tavion::kPassEvent}) {
    SCOPED_TRACE(answer);
    FocusWindow focus;
    Receiver receiver(Records::kKey);
    // 'W' always passes: once it is at the focused window, 'Q' is done with too.
    receiver.answer = [answer](const Received& event) {
      return event.key.vkCode == 'Q' ? answer : tavion::kPassEvent;
    };
    ASSERT_TRUE(InstallHook(kKeyboard, receiver.hwnd(), tavion::kMsgKeyEvent));
    ASSERT_TRUE(Inject({KeyInput('Q', false), KeyInput('Q', true)}));
    ASSERT_TRUE(PressAndWaitAtFocus(focus, 'W'));
    EXPECT_EQ(1u, CountKeyDowns(receiver, 'Q'));
    EXPECT_EQ(answer == tavion::kPassEvent, focus.GotKey('Q'));
  }
}

TEST_F(LowLevelHookTest, StalledReceiverLetsTheKeyPassAndKeepsTheHook) {
  bool stalled = false;
  receiver_.answer = [&](const Received& event) {
    if (event.key.vkCode == 'Q' && !stalled) {
      stalled = true;
      Sleep(kStallMs);
    }
    return event.key.vkCode == 'Q' ? tavion::kSwallowEvent : tavion::kPassEvent;
  };
  ASSERT_TRUE(InstallHook(kKeyboard, receiver_.hwnd(), tavion::kMsgKeyEvent));

  // The answer 1 came too late: the key went on.
  ASSERT_TRUE(PressAndWaitAtFocus(focus_, 'Q'));
  const size_t before = CountKeyDowns(receiver_, 'W');
  ASSERT_TRUE(PressAndWaitAtFocus(focus_, 'W'));
  EXPECT_EQ(before + 1, CountKeyDowns(receiver_, 'W'));
}

TEST_F(LowLevelHookTest, RecordStaysWholeAfterTheHookGaveUpWaitingForTheReceiver) {
  ReleaseWatcher watcher;
  ASSERT_TRUE(watcher.installed());
  std::optional<tavion::KeyEventRecord> late;
  receiver_.answer = [&](const Received& event) {
    if (event.wParam == WM_KEYDOWN && !late) {
      // Held past the bound: the hook lets the key-down pass and goes on with the key-up.
      EXPECT_TRUE(ReleaseWatcher::WaitForRelease());
      late = *reinterpret_cast<const tavion::KeyEventRecord*>(event.lParam);
    }
    return tavion::kPassEvent;
  };
  ASSERT_TRUE(InstallHook(kKeyboard, receiver_.hwnd(), tavion::kMsgKeyEvent));

  // From another thread: an injecting thread waits until the hooks are done with each event.
  std::thread injector([] { Inject({KeyInput('Q', false), KeyInput('Q', true)}); });
  const bool answered = PumpUntil([&] { return late.has_value(); }, 15000);
  injector.join();
  ASSERT_TRUE(answered);
  const tavion::KeyEventRecord& first = receiver_.events.front().key;
  EXPECT_EQ(first.vkCode, late->vkCode);
  EXPECT_EQ(first.flags, late->flags);
  EXPECT_EQ(first.time, late->time);
}

TEST_F(LowLevelHookTest, DestroyedReceiverLetsKeysPassUntilAnotherIsNamed) {
  receiver_.answer = [](const Received&) { return tavion::kSwallowEvent; };
  ASSERT_TRUE(InstallHook(kKeyboard, receiver_.hwnd(), tavion::kMsgKeyEvent));
  receiver_.Destroy();
  ASSERT_TRUE(PressAndWaitAtFocus(focus_, 'Q'));

  Receiver next(Records::kKey);
  ASSERT_TRUE(InstallHook(kKeyboard, next.hwnd(), tavion::kMsgKeyEvent));
  ASSERT_TRUE(PressAndWaitAtFocus(focus_, 'W'));
  EXPECT_EQ(1u, CountKeyDowns(next, 'W'));
}

TEST_F(LowLevelHookTest, ReceiverThatInjectsWhileHandlingGetsBothKeys) {
  // As the program does when it sends its dummy key from inside the key handler.
  receiver_.answer = [](const Received& event) {
    if (event.key.vkCode != 'Q') return tavion::kPassEvent;
    if (event.wParam == WM_KEYDOWN) {
      Inject(
          {KeyInput('W', false, tavion::OwnInputMark), KeyInput('W', true, tavion::OwnInputMark)});
    }
    return tavion::kSwallowEvent;
  };
  ASSERT_TRUE(InstallHook(kKeyboard, receiver_.hwnd(), tavion::kMsgKeyEvent));

  ASSERT_TRUE(Inject({KeyInput('Q', false), KeyInput('Q', true)}));
  ASSERT_TRUE(PumpUntil([&] { return focus_.GotKey('W'); }));
  PumpFor(100);
  EXPECT_EQ(1u, CountKeyDowns(receiver_, 'Q'));
  EXPECT_EQ(1u, CountKeyDowns(receiver_, 'W'));
  EXPECT_FALSE(focus_.GotKey('Q'));
}

TEST_F(LowLevelHookTest, InstallingAndRemovingWhileKeysAreUnderWayNeitherStallsNorLeaksThem) {
  receiver_.answer = [](const Received& event) {
    return event.key.vkCode == 'Q' ? tavion::kSwallowEvent : tavion::kPassEvent;
  };
  ASSERT_TRUE(InstallHook(kKeyboard, receiver_.hwnd(), tavion::kMsgKeyEvent));
  Receiver mouse(Records::kMouse);

  // Keys from another thread reach the hook thread while this thread waits for it to install and
  // remove the mouse hook; the hook thread in turn waits for this thread's answer to the keys.
  constexpr int kPresses = 20;
  std::atomic<bool> injecting{true};
  std::thread injector([&] {
    for (int i = 0; i < kPresses; ++i) Inject({KeyInput('Q', false), KeyInput('Q', true)});
    injecting = false;
  });
  while (injecting) {
    EXPECT_TRUE(InstallHook(kMouse, mouse.hwnd(), tavion::kMsgMouseEvent));
    EXPECT_TRUE(FreeHookEx(kMouse));
    PumpFor(1);
  }
  injector.join();

  ASSERT_TRUE(PressAndWaitAtFocus(focus_, 'W'));
  EXPECT_EQ(static_cast<size_t>(kPresses), CountKeyDowns(receiver_, 'Q'));
  EXPECT_FALSE(focus_.GotKey('Q'));
}

TEST_F(LowLevelHookTest, InstallTwiceOnlyMovesTheReceiverAndFreeStopsDelivery) {
  Receiver first(Records::kKey);
  Receiver second(Records::kKey);
  ASSERT_TRUE(InstallHook(kKeyboard, first.hwnd(), tavion::kMsgKeyEvent));
  ASSERT_TRUE(InstallHook(kKeyboard, second.hwnd(), tavion::kMsgKeyEvent));
  ASSERT_TRUE(PressAndWaitAtFocus(focus_, 'Q'));
  EXPECT_EQ(0u, first.events.size());
  EXPECT_EQ(2u, second.events.size());  // down and up, once each

  EXPECT_TRUE(FreeHookEx(kKeyboard));
  EXPECT_TRUE(FreeHookEx(kKeyboard));
  EXPECT_TRUE(FreeHookEx(kCaptureMouse));  // never installed
  ASSERT_TRUE(PressAndWaitAtFocus(focus_, 'W'));
  EXPECT_EQ(0u, first.events.size());
  EXPECT_EQ(2u, second.events.size());

  ASSERT_TRUE(InstallHook(kKeyboard, first.hwnd(), tavion::kMsgKeyEvent));
  ASSERT_TRUE(PressAndWaitAtFocus(focus_, 'E'));
  EXPECT_EQ(1u, CountKeyDowns(first, 'E'));
}

TEST_F(LowLevelHookTest, EachKeyboardKindReportsToItsOwnReceiverAndMessage) {
  Receiver capture(Records::kKey);
  ASSERT_TRUE(InstallHook(kKeyboard, receiver_.hwnd(), tavion::kMsgKeyEvent));
  ASSERT_TRUE(InstallHook(kCaptureKeyboard, capture.hwnd(), tavion::kMsgCaptureKeyEvent));
  ASSERT_TRUE(PressAndWaitAtFocus(focus_, 'Q'));
  ASSERT_EQ(2u, receiver_.events.size());
  ASSERT_EQ(2u, capture.events.size());
  EXPECT_EQ(tavion::kMsgKeyEvent, receiver_.events[0].message);
  EXPECT_EQ(tavion::kMsgCaptureKeyEvent, capture.events[0].message);

  // The capture receiver's 1 keeps the key from the main receiver and from the focused window.
  capture.answer = [](const Received& event) {
    return event.key.vkCode == 'W' ? tavion::kSwallowEvent : tavion::kPassEvent;
  };
  ASSERT_TRUE(Inject({KeyInput('W', false), KeyInput('W', true)}));
  ASSERT_TRUE(PressAndWaitAtFocus(focus_, 'E'));
  EXPECT_EQ(1u, CountKeyDowns(capture, 'W'));
  EXPECT_EQ(0u, CountKeyDowns(receiver_, 'W'));
  EXPECT_FALSE(focus_.GotKey('W'));
}

TEST_F(LowLevelHookTest, InstallRefusesBadArguments) {
  const std::wstring peerClass = sidekit_test::UniqueName(L"SidekitPeer");
  sidekit_test::PeerProcess peer(L"window " + peerClass);
  ASSERT_TRUE(peer.started());
  const HWND foreign = peer.WaitForWindow(peerClass);
  ASSERT_NE(nullptr, foreign);

  const struct {
    const char* name;
    int kind;
    HWND window;
  } cases[] = {
      {"kind 0", 0, receiver_.hwnd()},
      {"kind 7", 7, receiver_.hwnd()},
      {"negative kind", -2, receiver_.hwnd()},
      {"no window", kKeyboard, nullptr},
      {"not a window", kMouse, reinterpret_cast<HWND>(static_cast<intptr_t>(0x7ffe))},
      // The record travels as a pointer, so it must stay in this process.
      {"window of another process", kKeyboard, foreign},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(InstallHook(c.kind, c.window, tavion::kMsgKeyEvent));
  }
}

struct MouseCase {
  const char* name;
  DWORD flags;
  DWORD data;
  WPARAM expectedMessage;
  uint16_t expectedHighWord;
};

class MouseRecordTest : public LowLevelHookTest, public testing::WithParamInterface<MouseCase> {};

TEST_P(MouseRecordTest, MouseEventReachesTheReceiverWithItsRecord) {
  const MouseCase& c = GetParam();
  Receiver mouse(Records::kMouse);
  mouse.answer = [](const Received&) { return tavion::kSwallowEvent; };
  // Wine keeps its own idea of the cursor until the cursor is placed through it.
  const POINT cursor{123, 234};
  ASSERT_TRUE(SetCursorPos(cursor.x, cursor.y));
  ASSERT_TRUE(InstallHook(kMouse, mouse.hwnd(), tavion::kMsgMouseEvent));

  ASSERT_TRUE(Inject({MouseInput(c.flags, c.data, tavion::OwnInputMark)}));
  ASSERT_TRUE(PumpUntil([&] { return !mouse.events.empty(); }));
  PumpFor(50);

  ASSERT_EQ(1u, mouse.events.size());
  const Received& event = mouse.events[0];
  EXPECT_EQ(tavion::kMsgMouseEvent, event.message);
  EXPECT_EQ(c.expectedMessage, event.wParam);
  EXPECT_EQ(c.expectedHighWord, event.mouse.mouseData >> 16);
  EXPECT_EQ(cursor.x, event.mouse.x);
  EXPECT_EQ(cursor.y, event.mouse.y);
  EXPECT_EQ(tavion::OwnInputMark, event.mouse.extraInfo);
}

INSTANTIATE_TEST_SUITE_P(
    Mouse, MouseRecordTest,
    testing::Values(
        MouseCase{"RightDown", MOUSEEVENTF_RIGHTDOWN, 0, WM_RBUTTONDOWN, 0},
        MouseCase{"RightUp", MOUSEEVENTF_RIGHTUP, 0, WM_RBUTTONUP, 0},
        MouseCase{"MiddleDown", MOUSEEVENTF_MIDDLEDOWN, 0, WM_MBUTTONDOWN, 0},
        MouseCase{"MiddleUp", MOUSEEVENTF_MIDDLEUP, 0, WM_MBUTTONUP, 0},
        MouseCase{"WheelForward", MOUSEEVENTF_WHEEL, WHEEL_DELTA, WM_MOUSEWHEEL, WHEEL_DELTA},
        MouseCase{"WheelBackward", MOUSEEVENTF_WHEEL, static_cast<DWORD>(-WHEEL_DELTA),
                  WM_MOUSEWHEEL, static_cast<uint16_t>(-WHEEL_DELTA)},
        MouseCase{"SecondXButtonDown", MOUSEEVENTF_XDOWN, XBUTTON2, WM_XBUTTONDOWN, XBUTTON2},
        MouseCase{"SecondXButtonUp", MOUSEEVENTF_XUP, XBUTTON2, WM_XBUTTONUP, XBUTTON2}),
    [](const testing::TestParamInfo<MouseCase>& param) { return param.param.name; });

TEST_F(LowLevelHookTest, MouseMovesPassInsideTheLibraryWhileButtonsAndWheelArrive) {
  for (const int kind : {kMouse, kCaptureMouse}) {
    SCOPED_TRACE(kind);
    Receiver mouse(Records::kMouse);
    ASSERT_TRUE(InstallHook(kind, mouse.hwnd(), tavion::kMsgMouseEvent));
    ASSERT_TRUE(Inject({MouseInput(MOUSEEVENTF_MOVE), MouseInput(MOUSEEVENTF_WHEEL, WHEEL_DELTA),
                        MouseInput(MOUSEEVENTF_MOVE), MouseInput(MOUSEEVENTF_MIDDLEDOWN),
                        MouseInput(MOUSEEVENTF_MOVE), MouseInput(MOUSEEVENTF_MIDDLEUP)}));
    // Events arrive in order: once the last is in, every earlier one was delivered or passed.
    ASSERT_TRUE(PumpUntil(
        [&] { return !mouse.events.empty() && mouse.events.back().wParam == WM_MBUTTONUP; }));
    std::vector<WPARAM> messages;
    for (const Received& event : mouse.events) messages.push_back(event.wParam);
    EXPECT_EQ((std::vector<WPARAM>{WM_MOUSEWHEEL, WM_MBUTTONDOWN, WM_MBUTTONUP}), messages);
    ASSERT_TRUE(FreeHookEx(kind));
  }
}

TEST_F(LowLevelHookTest, CaptureMouseKindUsesItsOwnMessage) {
  Receiver mouse(Records::kMouse);
  mouse.answer = [](const Received&) { return tavion::kSwallowEvent; };
  ASSERT_TRUE(InstallHook(kCaptureMouse, mouse.hwnd(), tavion::kMsgCaptureMouseEvent));
  ASSERT_TRUE(Inject({MouseInput(MOUSEEVENTF_MIDDLEDOWN), MouseInput(MOUSEEVENTF_MIDDLEUP)}));
  ASSERT_TRUE(PumpUntil([&] { return mouse.events.size() >= 2; }));
  EXPECT_EQ(tavion::kMsgCaptureMouseEvent, mouse.events[0].message);
  EXPECT_EQ(static_cast<WPARAM>(WM_MBUTTONDOWN), mouse.events[0].wParam);
  EXPECT_EQ(static_cast<WPARAM>(WM_MBUTTONUP), mouse.events[1].wParam);
}

TEST(HookLibraryLifetime, FreeLibraryWithAHookInPlaceKeepsTheCodeUntilTheHookGoes) {
  sidekit_test::PeerProcess peer(L"unload");
  ASSERT_TRUE(peer.started());
  EXPECT_EQ(0, peer.WaitForExit());
}

}  // namespace
