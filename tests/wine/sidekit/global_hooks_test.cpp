// Hook kinds 1 (menu commands of other programs) and 6 (shell events) under Wine: their hook
// procedures run in the process that gets the message and report through the shared area.
#include <windows.h>

#include <memory>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "keys/hook_messages.h"
#include "shell_hook.h"
#include "sidekit_api.h"
#include "test_windows.h"

namespace {

using sidekit_test::FreeHookEx;
using sidekit_test::InitHookEx;
using sidekit_test::InstallHook;

using sidekit_test::PeerProcess;
using sidekit_test::PumpFor;
using sidekit_test::PumpUntil;
using sidekit_test::Received;
using sidekit_test::Receiver;
using tavion::HookKind;

constexpr int kMenu = static_cast<int>(HookKind::kMenu);
constexpr int kShell = static_cast<int>(HookKind::kShell);
constexpr WPARAM kSentinelCommand = 9999;

struct Report {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Report&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Report& report) {
  return out << std::hex << "{0x" << report.message << ", 0x" << report.wParam << ", 0x"
             << report.lParam << "}";
}

std::vector<Report> ReportsOf(const Receiver& receiver) {
  std::vector<Report> reports;
  for (const Received& event : receiver.events) {
    reports.push_back({event.message, event.wParam, event.lParam});
  }
  return reports;
}

// A window of another process, shared by the tests of a suite.
class WithPeerWindow : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::wstring peerClass = sidekit_test::UniqueName(L"SidekitPeer");
    peer_ = std::make_unique<PeerProcess>(L"window " + peerClass);
    peerWindow_ = peer_->WaitForWindow(peerClass);
  }
  static void TearDownTestSuite() {
    peer_.reset();
    peerWindow_ = nullptr;
  }
  void SetUp() override { ASSERT_NE(nullptr, peerWindow_) << "the peer window did not show"; }

  static std::unique_ptr<PeerProcess> peer_;
  static HWND peerWindow_;
};

std::unique_ptr<PeerProcess> WithPeerWindow::peer_;
HWND WithPeerWindow::peerWindow_ = nullptr;

// Hook `Kind` installed for each test, reporting to `receiver_` as `Message`.
template <int Kind, UINT Message>
class GlobalHookTest : public WithPeerWindow {
 protected:
  void SetUp() override {
    WithPeerWindow::SetUp();
    ASSERT_TRUE(InstallHook(Kind, receiver_.hwnd(), Message));
  }
  void TearDown() override { FreeHookEx(Kind); }

  Receiver receiver_;
};

class MenuHookTest : public GlobalHookTest<kMenu, tavion::kMsgMenuCommand> {
 protected:
  // Posts a menu command to the peer and waits for its report: everything the peer got before
  // has been reported by then.
  void PostSentinelAndWait() {
    ASSERT_TRUE(PostMessageW(peerWindow_, WM_COMMAND, kSentinelCommand, 0));
    ASSERT_TRUE(PumpUntil([&] {
      return !receiver_.events.empty() && receiver_.events.back().wParam == kSentinelCommand;
    }));
  }

  static std::vector<Report> ReportOf(UINT message, WPARAM wParam, LPARAM lParam) {
    return {{tavion::kMsgMenuCommand, message, 0}, {tavion::kMsgMenuCommand + 1, wParam, lParam}};
  }
};

TEST_F(MenuHookTest, MenuCommandsToAnotherProcessAreReportedAndOthersAreNot) {
  const struct {
    const char* name;
    bool sent;  // else posted
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool reported;
  } cases[] = {
      {"posted menu command", false, WM_COMMAND, 1234, 0, true},
      {"sent menu command", true, WM_COMMAND, 1235, 0, true},
      {"system menu command", false, WM_SYSCOMMAND, SC_MAXIMIZE, 0, true},
      {"accelerator", false, WM_COMMAND, MAKEWPARAM(1234, 1), 0, false},
      {"control notification", false, WM_COMMAND, MAKEWPARAM(1234, BN_CLICKED),
       reinterpret_cast<LPARAM>(peerWindow_), false},
      {"keyboard menu", false, WM_SYSCOMMAND, SC_KEYMENU, 'f', false},
      {"mouse menu", true, WM_SYSCOMMAND, SC_MOUSEMENU | 2, 0, false},
      {"other message", false, WM_USER + 5, 1234, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    receiver_.events.clear();
    if (c.sent) {
      DWORD_PTR ignored = 0;
      ASSERT_NE(0, SendMessageTimeoutW(peerWindow_, c.message, c.wParam, c.lParam, SMTO_NORMAL,
                                       5000, &ignored));
    } else {
      ASSERT_TRUE(PostMessageW(peerWindow_, c.message, c.wParam, c.lParam));
    }
    PostSentinelAndWait();
    std::vector<Report> expected;
    if (c.reported) expected = ReportOf(c.message, c.wParam, c.lParam);
    const std::vector<Report> sentinel = ReportOf(WM_COMMAND, kSentinelCommand, 0);
    expected.insert(expected.end(), sentinel.begin(), sentinel.end());
    EXPECT_EQ(expected, ReportsOf(receiver_));
  }
}

TEST_F(MenuHookTest, CommandsOfTheReceiversOwnProcessAreNotReported) {
  Receiver ownWindow;
  ASSERT_TRUE(PostMessageW(ownWindow.hwnd(), WM_COMMAND, 1234, 0));
  SendMessageW(ownWindow.hwnd(), WM_COMMAND, 1235, 0);
  PumpFor(100);
  PostSentinelAndWait();
  EXPECT_EQ(ReportOf(WM_COMMAND, kSentinelCommand, 0), ReportsOf(receiver_));
}

TEST_F(MenuHookTest, FreeStopsReportsAndInstallingAgainResumesThem) {
  EXPECT_TRUE(FreeHookEx(kMenu));
  EXPECT_TRUE(FreeHookEx(kMenu));
  DWORD_PTR ignored = 0;
  // A sent command has been through the hooks when the call returns.
  ASSERT_NE(0, SendMessageTimeoutW(peerWindow_, WM_COMMAND, 1234, 0, SMTO_NORMAL, 5000, &ignored));
  PumpFor(200);
  EXPECT_TRUE(receiver_.events.empty());

  Receiver other;
  ASSERT_TRUE(InstallHook(kMenu, receiver_.hwnd(), tavion::kMsgMenuCommand));
  // Only moves the receiver, here to another message as well.
  ASSERT_TRUE(InstallHook(kMenu, other.hwnd(), tavion::kMsgKeyEvent));
  ASSERT_NE(0, SendMessageTimeoutW(peerWindow_, WM_COMMAND, 1234, 0, SMTO_NORMAL, 5000, &ignored));
  PumpFor(100);
  EXPECT_TRUE(receiver_.events.empty());
  const std::vector<Report> expected = {{tavion::kMsgKeyEvent, WM_COMMAND, 0},
                                        {tavion::kMsgKeyEvent + 1, 1234, 0}};
  EXPECT_EQ(expected, ReportsOf(other));
}

using ShellHookTest = GlobalHookTest<kShell, tavion::kMsgShellEvent>;

TEST_F(ShellHookTest, ApplicationCommandFromDefWindowProcReachesTheReceiver) {
  sidekit_test::FocusWindow ownWindow;
  // WM_APPCOMMAND's lParam: the command in the high word, beside the device bits.
  const LPARAM volumeUp = MAKELPARAM(0, FAPPCOMMAND_KEY | APPCOMMAND_VOLUME_UP);
  const struct {
    const char* name;
    HWND window;
  } cases[] = {{"own window", ownWindow.hwnd()}, {"window of another process", peerWindow_}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    receiver_.events.clear();
    ASSERT_TRUE(
        PostMessageW(c.window, WM_APPCOMMAND, reinterpret_cast<WPARAM>(c.window), volumeUp));
    ASSERT_TRUE(PumpUntil([&] { return !receiver_.events.empty(); }));
    PumpFor(100);
    ASSERT_EQ(1u, receiver_.events.size());
    EXPECT_EQ(tavion::kMsgShellEvent, receiver_.events[0].message);
    EXPECT_EQ(tavion::kShellAppCommand, receiver_.events[0].wParam);
    EXPECT_EQ(APPCOMMAND_VOLUME_UP, GET_APPCOMMAND_LPARAM(receiver_.events[0].lParam));
  }
}

// The system here raises no keyboard-language event, so the hook's handler is called directly,
// as the hook procedure calls it in whatever process the event happens.
TEST_F(ShellHookTest, HandlerReportsLanguageAndAppCommandEventsWithTheReceiversAnswer) {
  const LPARAM usLayout = 0x04090409;  // language 0x0409 in the low word
  const LPARAM browserBack = MAKELPARAM(0, APPCOMMAND_BROWSER_BACKWARD);
  const struct {
    const char* name;
    int code;
    LPARAM lParam;
    LRESULT answer;
  } cases[] = {
      {"language, passed", HSHELL_LANGUAGE, usLayout, tavion::kPassEvent},
      {"language, answered 1", HSHELL_LANGUAGE, usLayout, tavion::kSwallowEvent},
      {"application command, passed", HSHELL_APPCOMMAND, browserBack, tavion::kPassEvent},
      {"application command, answered 1", HSHELL_APPCOMMAND, browserBack, tavion::kSwallowEvent},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    receiver_.events.clear();
    receiver_.answer = [&c](const Received&) { return c.answer; };
    EXPECT_EQ(c.answer == tavion::kSwallowEvent,
              tavion::sidekit::ReportShellEvent(c.code, c.lParam));
    const std::vector<Report> expected = {
        {tavion::kMsgShellEvent, static_cast<WPARAM>(c.code), c.lParam}};
    EXPECT_EQ(expected, ReportsOf(receiver_));
  }
}

TEST_F(ShellHookTest, HandlerIgnoresOtherShellEventsAndReportsNothingWithoutTheHook) {
  receiver_.answer = [](const Received&) { return tavion::kSwallowEvent; };
  for (const int code : {HSHELL_WINDOWCREATED, HSHELL_WINDOWACTIVATED, HSHELL_REDRAW}) {
    EXPECT_FALSE(tavion::sidekit::ReportShellEvent(code, 0)) << code;
  }
  ASSERT_TRUE(FreeHookEx(kShell));
  EXPECT_FALSE(tavion::sidekit::ReportShellEvent(HSHELL_LANGUAGE, 0x04090409));
  EXPECT_TRUE(receiver_.events.empty());
}

}  // namespace
