// Sidekit32's hooks under Wine: low-level hooks fed by SendInput, the menu hook in another
// process, the shell hook's handler, and delivery to a receiver that does not answer.
#include <windows.h>

#include <tlhelp32.h>

#include <atomic>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "event_delivery.h"
#include "shell_hook.h"
#include "sidekit_test.h"

namespace {

using sidekit_test::FreeHookEx;
using sidekit_test::Inject;
using sidekit_test::InstallHook;
using sidekit_test::KeyInput;
using sidekit_test::MouseInput;
using sidekit_test::PeerProcess;
using sidekit_test::Received;
using sidekit_test::Receiver;
using tavion::HookKind;

constexpr int kKeyboard = static_cast<int>(HookKind::kKeyboard);
constexpr int kCaptureKeyboard = static_cast<int>(HookKind::kCaptureKeyboard);
constexpr int kMouse = static_cast<int>(HookKind::kMouse);
constexpr int kCaptureMouse = static_cast<int>(HookKind::kCaptureMouse);
constexpr int kMenu = static_cast<int>(HookKind::kMenu);
constexpr int kShell = static_cast<int>(HookKind::kShell);

class HookTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(wine_test::MakeForeground(focus_.hwnd())); }
  void TearDown() override {
    for (int kind : {kKeyboard, kCaptureKeyboard, kMouse, kCaptureMouse, kMenu, kShell}) {
      FreeHookEx(kind);
    }
  }
  bool FocusGot(WORD vk) const {
    for (const wine_test::Message& m : focus_.messages) {
      if ((m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) && m.wParam == vk) return true;
    }
    return false;
  }
  // Presses `vk` and waits until the focused window has it: the hooks are done with every key
  // injected before it.
  bool PressThrough(WORD vk) {
    return Inject({KeyInput(vk, false), KeyInput(vk, true)}) &&
           wine_test::PumpUntil([&] { return FocusGot(vk); });
  }

  wine_test::TestWindow focus_{{.className = L"SidekitTestFocus", .style = WS_POPUP | WS_VISIBLE}};
  Receiver receiver_;
};

TEST_F(HookTest, KeyRecordsReachTheReceiverWhoseAnswerOneSwallowsThem) {
  const struct {
    const char* name;
    WORD vk;
    bool extended;
    ULONG_PTR extraInfo;
    uint32_t expectedExtraInfo;  // only the low 32 bits travel
    WPARAM expectedDown;
  } cases[] = {
      {"own input", 'Q', false, tavion::OwnInputMark, tavion::OwnInputMark, WM_KEYDOWN},
      {"extended key", VK_RIGHT, true, 0, 0, WM_KEYDOWN},
      {"system key", VK_MENU, false, 0, 0, WM_SYSKEYDOWN},
      {"wide extra information", 'R', false, static_cast<ULONG_PTR>(0xAB00000309ull),
       tavion::OwnInputMark, WM_KEYDOWN},
  };
  receiver_.answer = [](const Received&) { return tavion::kSwallowEvent; };
  ASSERT_TRUE(InstallHook(kKeyboard, receiver_.hwnd(), tavion::kMsgKeyEvent));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    receiver_.events.clear();
    ASSERT_TRUE(Inject({KeyInput(c.vk, false, c.extraInfo, c.extended),
                        KeyInput(c.vk, true, c.extraInfo, c.extended)}));
    ASSERT_TRUE(wine_test::PumpUntil([&] { return receiver_.events.size() >= 2; }));
    ASSERT_EQ(2u, receiver_.events.size());
    for (const Received& event : receiver_.events) {
      const bool up = &event != &receiver_.events.front();
      EXPECT_EQ(tavion::kMsgKeyEvent, event.message);
      EXPECT_EQ(up ? WPARAM{WM_KEYUP} : c.expectedDown, event.wParam);
      EXPECT_EQ(c.vk, event.key.vkCode);
      EXPECT_EQ(MapVirtualKeyW(c.vk, MAPVK_VK_TO_VSC), event.key.scanCode);
      EXPECT_EQ((c.extended ? tavion::kKeyFlagExtended : 0u) | (up ? tavion::kKeyFlagReleased : 0u),
                event.key.flags & (tavion::kKeyFlagExtended | tavion::kKeyFlagReleased));
      EXPECT_EQ(c.expectedExtraInfo, event.key.extraInfo);
    }
  }
  receiver_.answer = nullptr;
  ASSERT_TRUE(PressThrough('W'));
  EXPECT_FALSE(FocusGot('Q') || FocusGot(VK_RIGHT) || FocusGot('R'));
}

TEST_F(HookTest, EachKindReportsToItsOwnReceiverWithItsOwnMessage) {
  Receiver capture;
  Receiver mouse;
  ASSERT_TRUE(InstallHook(kKeyboard, receiver_.hwnd(), tavion::kMsgKeyEvent));
  ASSERT_TRUE(InstallHook(kCaptureKeyboard, capture.hwnd(), tavion::kMsgCaptureKeyEvent));
  ASSERT_TRUE(InstallHook(kCaptureMouse, mouse.hwnd(), tavion::kMsgCaptureMouseEvent));
  // The capture receiver's 1 keeps 'W' from the main receiver and from the focused window.
  capture.answer = [](const Received& event) {
    return event.key.vkCode == 'W' ? tavion::kSwallowEvent : tavion::kPassEvent;
  };
  ASSERT_TRUE(Inject({KeyInput('W', false), KeyInput('W', true)}));
  ASSERT_TRUE(PressThrough('E'));
  EXPECT_EQ(1u, capture.Downs('W'));
  EXPECT_FALSE(FocusGot('W'));
  EXPECT_EQ(0u, receiver_.Downs('W'));
  EXPECT_EQ(tavion::kMsgKeyEvent, receiver_.events.back().message);
  EXPECT_EQ(tavion::kMsgCaptureKeyEvent, capture.events.back().message);
  for (int kind : {0, 7, -2}) EXPECT_FALSE(InstallHook(kind, capture.hwnd(), 0)) << kind;

  // Moves pass inside the library; the wheel arrives with its record.
  ASSERT_TRUE(SetCursorPos(123, 234));
  ASSERT_TRUE(Inject({MouseInput(MOUSEEVENTF_MOVE),
                      MouseInput(MOUSEEVENTF_WHEEL, static_cast<DWORD>(-WHEEL_DELTA), 777)}));
  ASSERT_TRUE(wine_test::PumpUntil([&] { return !mouse.events.empty(); }));
  ASSERT_TRUE(wine_test::PumpThroughSentinel());
  ASSERT_EQ(1u, mouse.events.size());
  const Received& wheel = mouse.events[0];
  EXPECT_EQ(tavion::kMsgCaptureMouseEvent, wheel.message);
  EXPECT_EQ(WPARAM{WM_MOUSEWHEEL}, wheel.wParam);
  EXPECT_EQ(static_cast<uint16_t>(-WHEEL_DELTA), wheel.mouse.mouseData >> 16);
  EXPECT_EQ(123, wheel.mouse.x);
  EXPECT_EQ(234, wheel.mouse.y);
  EXPECT_EQ(777u, wheel.mouse.extraInfo);
}

HANDLE g_passedQ = nullptr;

LRESULT CALLBACK WatchQ(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam)->vkCode == 'Q') {
    SetEvent(g_passedQ);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(HookTest, AnAnswerAfterTheBoundNoLongerCountsAndTheKeyGoesOn) {
  // A hook of the test's own on another thread, in place before the library's: the system calls
  // it with a key only once the library's hook is done with that key.
  g_passedQ = CreateEventW(nullptr, /*bManualReset=*/TRUE, /*bInitialState=*/FALSE, nullptr);
  std::atomic<DWORD> watcherId{0};
  std::thread watcher([&] {
    MSG msg;
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    const HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, WatchQ, nullptr, 0);
    watcherId = GetCurrentThreadId();
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    UnhookWindowsHookEx(hook);
  });
  const wine_test::ScopeExit stop([&] {
    PostThreadMessageW(watcherId, WM_QUIT, 0, 0);
    watcher.join();
    CloseHandle(g_passedQ);
  });
  while (watcherId == 0) SwitchToThread();
  // Answers once the key has gone on, or after 600 ms: beyond the library's bound, within the
  // system's own, so a library that waited longer would take the answer.
  receiver_.answer = [](const Received& event) {
    if (event.key.vkCode == 'Q') WaitForSingleObject(g_passedQ, 600);
    return tavion::kSwallowEvent;
  };
  ASSERT_TRUE(InstallHook(kKeyboard, receiver_.hwnd(), tavion::kMsgKeyEvent));
  // Injected from another thread: the injecting thread waits until the hooks are done.
  std::thread injector([] { Inject({KeyInput('Q', false), KeyInput('Q', true)}); });
  const bool arrived = wine_test::PumpUntil([&] { return FocusGot('Q'); });
  injector.join();
  EXPECT_TRUE(arrived);
}

size_t ThreadsOfThisProcess() {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  size_t count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

TEST_F(HookTest, InstallsFromTwoThreadsAtOnceShareOneHookThread) {
  Receiver mouse;
  const size_t before = ThreadsOfThisProcess();
  ASSERT_TRUE(InstallHook(kMouse, mouse.hwnd(), tavion::kMsgMouseEvent));
  ASSERT_TRUE(FreeHookEx(kMouse));
  ASSERT_TRUE(wine_test::PumpUntil([&] { return ThreadsOfThisProcess() <= before; }))
      << "the hook thread ends with the last hook";
  for (int round = 0; round < 20; ++round) {
    std::atomic<int> waiting{2};
    const auto install = [&](int kind, HWND window) {
      return std::thread([&waiting, kind, window] {
        --waiting;
        while (waiting > 0) {
        }
        InstallHook(kind, window, tavion::kMsgKeyEvent);
      });
    };
    std::thread keys = install(kKeyboard, receiver_.hwnd());
    std::thread buttons = install(kMouse, mouse.hwnd());
    keys.join();
    buttons.join();
    ASSERT_TRUE(FreeHookEx(kKeyboard));
    ASSERT_TRUE(FreeHookEx(kMouse));
  }
  // Once every hook is gone its thread ends; a second thread started by a racing install would
  // stay for ever.
  EXPECT_TRUE(wine_test::PumpUntil([&] { return ThreadsOfThisProcess() <= before; }))
      << ThreadsOfThisProcess() << " threads, " << before << " before";
}

// A receiver whose thread stopped taking messages long enough for the system to call it hung.
TEST(HookDelivery, AHungReceiverIsNotWaitedFor) {
  const HANDLE resume = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<HWND> hung{nullptr};
  std::thread receiverThread([&] {
    wine_test::TestWindow window;
    hung = window.hwnd();
    WaitForSingleObject(resume, 60000);
  });
  const wine_test::ScopeExit release([&] {
    SetEvent(resume);
    receiverThread.join();
    CloseHandle(resume);
  });
  ASSERT_TRUE(wine_test::PumpUntil([&] { return hung && IsHungAppWindow(hung); }, 20000));

  // While this thread waits for an answer it handles messages other threads send it: a message
  // sent before the delivery is handled inside it only if the delivery waited.
  wine_test::TestWindow probe;
  std::atomic<bool> delivering{false};
  bool handledWhileDelivering = false;
  probe.answer = [&](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_APP + 7) handledWhileDelivering = delivering;
    return {};
  };
  std::thread sender([&] { SendMessageW(probe.hwnd(), WM_APP + 7, 0, 0); });
  // Waited for without handling it (a pump would).
  while ((HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) == 0) SwitchToThread();
  delivering = true;
  EXPECT_FALSE(tavion::sidekit::DeliverToTarget({hung, tavion::kMsgKeyEvent}, WM_KEYDOWN, 0));
  delivering = false;
  ASSERT_TRUE(wine_test::PumpUntil([&] { return probe.Got(WM_APP + 7); }));
  sender.join();
  EXPECT_FALSE(handledWhileDelivering);
}

// A window of another process, shared by the tests of the suite.
class GlobalHookTest : public HookTest {
 protected:
  static void SetUpTestSuite() {
    const std::wstring peerClass = wine_test::UniqueName(L"SidekitPeer");
    peer_ = std::make_unique<PeerProcess>(peerClass);
    peerWindow_ = peer_->WaitForWindow(peerClass);
  }
  static void TearDownTestSuite() { peer_.reset(); }
  void SetUp() override {
    HookTest::SetUp();
    ASSERT_NE(nullptr, peerWindow_);
  }

  static inline std::unique_ptr<PeerProcess> peer_;
  static inline HWND peerWindow_ = nullptr;
};

TEST_F(GlobalHookTest, MenuCommandsOfAnotherProcessAreReportedAndOtherCommandsAreNot) {
  receiver_.records = false;
  ASSERT_TRUE(InstallHook(kMenu, receiver_.hwnd(), tavion::kMsgMenuCommand));
  // Refused: the record of a low-level hook travels as a pointer into this process.
  EXPECT_FALSE(InstallHook(kKeyboard, peerWindow_, tavion::kMsgKeyEvent));
  constexpr WPARAM kSentinel = 9999;
  const struct {
    const char* name;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool reported;
  } cases[] = {
      {"menu command", WM_COMMAND, 1234, 0, true},
      {"system menu command", WM_SYSCOMMAND, SC_MAXIMIZE, 0, true},
      {"accelerator", WM_COMMAND, MAKEWPARAM(1234, 1), 0, false},
      {"control notification", WM_COMMAND, 1234, reinterpret_cast<LPARAM>(peerWindow_), false},
      {"keyboard menu", WM_SYSCOMMAND, SC_KEYMENU, 'f', false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    receiver_.events.clear();
    ASSERT_TRUE(PostMessageW(peerWindow_, c.message, c.wParam, c.lParam));
    // A command posted after it: once that is reported, so is everything before.
    ASSERT_TRUE(PostMessageW(peerWindow_, WM_COMMAND, kSentinel, 0));
    ASSERT_TRUE(wine_test::PumpUntil(
        [&] { return !receiver_.events.empty() && receiver_.events.back().wParam == kSentinel; }));
    EXPECT_EQ(c.reported ? 4u : 2u, receiver_.events.size());
    if (c.reported) {
      const Received& first = receiver_.events[0];
      const Received& second = receiver_.events[1];
      EXPECT_EQ(tavion::kMsgMenuCommand, first.message);
      EXPECT_EQ(WPARAM{c.message}, first.wParam);
      EXPECT_EQ(tavion::kMsgMenuCommand + 1, second.message);
      EXPECT_EQ(c.wParam, second.wParam);
      EXPECT_EQ(c.lParam, second.lParam);
    }
  }
}

// The system here raises no keyboard-language event, so the handler is called as the hook
// procedure calls it in whatever process the event happens.
TEST_F(GlobalHookTest, ShellEventsOfLanguageAndApplicationCommandsAreReported) {
  ASSERT_TRUE(InstallHook(kShell, receiver_.hwnd(), tavion::kMsgShellEvent));
  ASSERT_TRUE(PostMessageW(peerWindow_, WM_APPCOMMAND, reinterpret_cast<WPARAM>(peerWindow_),
                           MAKELPARAM(0, FAPPCOMMAND_KEY | APPCOMMAND_VOLUME_UP)));
  ASSERT_TRUE(wine_test::PumpUntil([&] { return !receiver_.events.empty(); }));
  EXPECT_EQ(WPARAM{tavion::kShellAppCommand}, receiver_.events[0].wParam);
  EXPECT_EQ(APPCOMMAND_VOLUME_UP, GET_APPCOMMAND_LPARAM(receiver_.events[0].lParam));

  for (const LRESULT answer : {tavion::kPassEvent, tavion::kSwallowEvent}) {
    receiver_.answer = [answer](const Received&) { return answer; };
    EXPECT_EQ(answer == tavion::kSwallowEvent,
              tavion::sidekit::ReportShellEvent(HSHELL_LANGUAGE, 0x04090409));
    EXPECT_EQ(WPARAM{HSHELL_LANGUAGE}, receiver_.events.back().wParam);
  }
  EXPECT_FALSE(tavion::sidekit::ReportShellEvent(HSHELL_WINDOWCREATED, 0));
  ASSERT_TRUE(FreeHookEx(kShell));
  EXPECT_FALSE(tavion::sidekit::ReportShellEvent(HSHELL_LANGUAGE, 0x04090409));
}

}  // namespace
