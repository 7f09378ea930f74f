// Sidekit32's hooks under Wine: low-level hooks fed by SendInput, the menu hook in another
// process, the shell hook's handler, and delivery to a receiver that does not answer.
#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "event_delivery.h"
#include "shell_hook.h"
#include "sidekit_test.h"

namespace sidekit_test {
namespace {

using tavion::HookKind;
using wine_test::Inject;
using wine_test::KeyInput;
using wine_test::MouseInput;

class HookTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(wine_test::MakeForeground(focus_.hwnd())); }
  void TearDown() override {
    for (int kind = 1; kind <= 6; ++kind) FreeHookEx(kind);
  }
  bool FocusGot(WORD vk) const {
    const std::vector<wine_test::Message> downs = focus_.Of(WM_KEYDOWN);
    return std::ranges::any_of(downs, [vk](const wine_test::Message& m) { return m.wParam == vk; });
  }

  wine_test::TestWindow focus_{{.className = L"SidekitTestFocus", .style = WS_POPUP | WS_VISIBLE}};
  Receiver receiver_;
};

// The keyboard receiver swallows every key; the capture receiver, called first, only 'W'.
TEST_F(HookTest, RecordsReachTheReceiverOfTheirKindWhoseAnswerOneSwallowsThem) {
  constexpr uint32_t kFlags = tavion::kKeyFlagExtended | tavion::kKeyFlagReleased;
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
  Receiver capture, mouse;
  receiver_.answer = [](const Received&) { return tavion::kSwallowEvent; };
  capture.answer = [](const Received& event) {
    return event.key.vkCode == 'W' ? tavion::kSwallowEvent : tavion::kPassEvent;
  };
  ASSERT_TRUE(InstallHook(HookKind::kKeyboard, receiver_.hwnd(), tavion::kMsgKeyEvent));
  ASSERT_TRUE(InstallHook(HookKind::kCaptureKeyboard, capture.hwnd(), tavion::kMsgCaptureKeyEvent));
  ASSERT_TRUE(InstallHook(HookKind::kCaptureMouse, mouse.hwnd(), tavion::kMsgCaptureMouseEvent));
  for (int kind : {0, 7, -2})
    EXPECT_FALSE(InstallHook(static_cast<HookKind>(kind), capture.hwnd(), 0)) << kind;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    receiver_.events.clear();
    ASSERT_TRUE(Inject({KeyInput(c.vk, false, c.extraInfo, c.extended),
                        KeyInput(c.vk, true, c.extraInfo, c.extended)}));
    ASSERT_TRUE(wine_test::PumpUntil([&] { return receiver_.events.size() >= 2; }));
    std::vector<std::tuple<WPARAM, uint32_t, uint32_t, uint32_t, uint32_t>> got;
    for (const Received& e : receiver_.events)
      got.emplace_back(e.wParam, e.key.vkCode, e.key.scanCode, e.key.flags & kFlags,
                       e.key.extraInfo);
    const uint32_t scan = MapVirtualKeyW(c.vk, MAPVK_VK_TO_VSC);
    const uint32_t extended = c.extended ? tavion::kKeyFlagExtended : 0;
    EXPECT_EQ((decltype(got){{c.expectedDown, c.vk, scan, extended, c.expectedExtraInfo},
                             {WM_KEYUP, c.vk, scan, extended | tavion::kKeyFlagReleased,
                              c.expectedExtraInfo}}),
              got);
  }
  receiver_.answer = nullptr;
  // 'E' reaches the focused window after every key before it has been through the hooks.
  ASSERT_TRUE(Inject(
      {KeyInput('W', false), KeyInput('W', true), KeyInput('E', false), KeyInput('E', true)}));
  ASSERT_TRUE(wine_test::PumpUntil([&] { return FocusGot('E'); }));
  EXPECT_FALSE(FocusGot('Q') || FocusGot(VK_RIGHT) || FocusGot('R') || FocusGot('W'));
  EXPECT_EQ((std::pair<size_t, size_t>(1, 0)), std::pair(capture.Downs('W'), receiver_.Downs('W')));
  EXPECT_EQ(tavion::kMsgCaptureKeyEvent, capture.events.back().message);

  // Moves pass inside the library; the wheel arrives with its record.
  ASSERT_TRUE(SetCursorPos(123, 234));
  ASSERT_TRUE(Inject({MouseInput(MOUSEEVENTF_MOVE),
                      MouseInput(MOUSEEVENTF_WHEEL, static_cast<DWORD>(-WHEEL_DELTA), 777)}));
  ASSERT_TRUE(wine_test::PumpUntil([&] { return !mouse.events.empty(); }));
  ASSERT_TRUE(wine_test::PumpThroughSentinel());
  ASSERT_EQ(1u, mouse.events.size());
  const Received& wheel = mouse.events[0];
  EXPECT_EQ(std::pair(tavion::kMsgCaptureMouseEvent, WPARAM{WM_MOUSEWHEEL}),
            std::pair(wheel.message, wheel.wParam));
  EXPECT_EQ((std::array<int64_t, 4>{static_cast<uint16_t>(-WHEEL_DELTA), 123, 234, 777}),
            (std::array<int64_t, 4>{wheel.mouse.mouseData >> 16, wheel.mouse.x, wheel.mouse.y,
                                    wheel.mouse.extraInfo}));
}

TEST_F(HookTest, AnAnswerAfterTheBoundNoLongerCountsAndTheKeyGoesOn) {
  // Answers once the key has reached the focused window, or after 600 ms: beyond the library's
  // bound, within the system's own, so a library that waited longer would take the answer.
  receiver_.answer = [this](const Received& event) {
    if (event.key.vkCode == 'Q') wine_test::PumpUntil([&] { return FocusGot('Q'); }, 600);
    return tavion::kSwallowEvent;
  };
  ASSERT_TRUE(InstallHook(HookKind::kKeyboard, receiver_.hwnd(), tavion::kMsgKeyEvent));
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
  const size_t before = ThreadsOfThisProcess();
  for (int round = 0; round < 20; ++round) {
    // Both threads spin until both are there: std::latch can miss its wake-up with this tool
    // chain's thread library and leave a thread waiting for ever.
    std::atomic<int> arrived{0};
    const auto install = [&arrived](HookKind kind, HWND window) {
      arrived.fetch_add(1);
      while (arrived.load() < 2) std::this_thread::yield();
      InstallHook(kind, window, tavion::kMsgKeyEvent);
    };
    std::thread keys(install, HookKind::kKeyboard, receiver_.hwnd());
    std::thread buttons(install, HookKind::kMouse, receiver_.hwnd());
    keys.join();
    buttons.join();
    ASSERT_TRUE(FreeHook(HookKind::kKeyboard));
    ASSERT_TRUE(FreeHook(HookKind::kMouse));
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

// A window of sidekit_test_peer.exe, which loads the library as Tavion does, shared by the suite.
class GlobalHookTest : public HookTest {
 protected:
  static void SetUpTestSuite() {
    const std::wstring title = wine_test::UniqueName(L"SidekitPeer");
    if (peer_.emplace().Start(L"\"" + wine_test::ProgramFolder() + L"\\sidekit_test_peer.exe\" " +
                              title))
      peerWindow_ = wine_test::WaitForWindow(L"Static", peer_->info.dwProcessId, title.c_str());
  }
  static void TearDownTestSuite() { peer_.reset(); }
  // Only posted messages here: the foreground does not matter, and the peer may hold it.
  void SetUp() override { ASSERT_NE(nullptr, peerWindow_); }

  static inline std::optional<wine_test::Process> peer_;
  static inline HWND peerWindow_ = nullptr;
};

TEST_F(GlobalHookTest, MenuCommandsAndShellEventsOfAnotherProcessAreReportedAndOthersAreNot) {
  receiver_.records = false;
  ASSERT_TRUE(InstallHook(HookKind::kMenu, receiver_.hwnd(), tavion::kMsgMenuCommand));
  // Refused: the record of a low-level hook travels as a pointer into this process.
  EXPECT_FALSE(InstallHook(HookKind::kKeyboard, peerWindow_, tavion::kMsgKeyEvent));
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
    const std::vector<Received>& got = receiver_.events;
    ASSERT_EQ(c.reported ? 4u : 2u, got.size());
    if (c.reported) {
      EXPECT_EQ(
          std::tuple(tavion::kMsgMenuCommand, WPARAM{c.message}, tavion::kMsgMenuCommand + 1,
                     c.wParam, c.lParam),
          std::tuple(got[0].message, got[0].wParam, got[1].message, got[1].wParam, got[1].lParam));
    }
  }

  // The system here raises no keyboard-language event, so the handler is called as the hook
  // procedure calls it in whatever process the event happens.
  receiver_.events.clear();
  ASSERT_TRUE(InstallHook(HookKind::kShell, receiver_.hwnd(), tavion::kMsgShellEvent));
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
  ASSERT_TRUE(FreeHook(HookKind::kShell));
  EXPECT_FALSE(tavion::sidekit::ReportShellEvent(HSHELL_LANGUAGE, 0x04090409));
}

}  // namespace
}  // namespace sidekit_test
