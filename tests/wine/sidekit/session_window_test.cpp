// Single instance, window animation, foreground and focus helpers.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "pipeline/sidekit_library_win.h"
#include "pipeline/startup_win.h"
#include "sidekit_api.h"
#include "test_windows.h"

namespace {

using sidekit_test::ForceForegroundWindow;
using sidekit_test::GetAnimation;
using sidekit_test::GetFocusedWindow;
using sidekit_test::IsExeLoaded;
using sidekit_test::SetAnimation;

using sidekit_test::PeerProcess;
using sidekit_test::UniqueName;

TEST(IsExeLoaded, FirstCallerClaimsTheNameForItsLifetime) {
  const std::wstring name = UniqueName(L"Product");
  EXPECT_FALSE(IsExeLoaded(name.c_str()));
  EXPECT_FALSE(IsExeLoaded(name.c_str()));  // the claim is this process's own

  PeerProcess second(L"instance " + name);
  ASSERT_TRUE(second.started());
  EXPECT_EQ(1, second.WaitForExit());

  PeerProcess other(L"instance " + UniqueName(L"OtherProduct"));
  ASSERT_TRUE(other.started());
  EXPECT_EQ(0, other.WaitForExit());
}

TEST(IsExeLoaded, AskingSharesTheClaimSoItOutlivesTheProcessThatMadeIt) {
  const std::wstring name = UniqueName(L"Product");
  const std::wstring peerClass = UniqueName(L"SidekitPeer");
  PeerProcess holder(L"window " + peerClass + L" claim " + name);
  ASSERT_NE(nullptr, holder.WaitForWindow(peerClass));
  EXPECT_TRUE(IsExeLoaded(name.c_str()));

  holder.Terminate();
  PeerProcess later(L"instance " + name);
  EXPECT_EQ(1, later.WaitForExit()) << "this process holds the claim now";
  EXPECT_FALSE(IsExeLoaded(name.c_str()));
}

TEST(IsExeLoaded, NamesWithBackslashesAndEmptyNames) {
  const std::wstring name = UniqueName(L"Path\\Like\\Name");
  EXPECT_FALSE(IsExeLoaded(name.c_str()));
  PeerProcess second(L"instance " + name);
  EXPECT_EQ(1, second.WaitForExit());

  EXPECT_FALSE(IsExeLoaded(L""));
  EXPECT_FALSE(IsExeLoaded(nullptr));
}

// A hidden window of class `className`, registered here when it is new.
HWND HiddenWindowOfClass(const std::wstring& className) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = className.c_str();
  RegisterClassExW(&wc);
  return CreateWindowExW(0, className.c_str(), L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

TEST(SingleInstance, BackupRunNeitherClaimsNorTakesTheHandOver) {
  tavion::SidekitLibrary library;
  ASSERT_TRUE(library.Load(sidekit_test::ProgramFolder().c_str()));
  const std::wstring name = UniqueName(L"Product");
  const std::wstring windowClass = UniqueName(L"Resident");
  tavion::CommandLine backup;
  backup.backup = true;
  EXPECT_TRUE(tavion::PassSingleInstanceTest(library, backup, name.c_str(), windowClass.c_str()));
  PeerProcess plain(L"instance " + name);
  EXPECT_EQ(0, plain.WaitForExit()) << "a start beside the backup run finds no instance";

  // The backup run's window is the newer one, so the first of the class in the window order.
  const HWND resident = HiddenWindowOfClass(windowClass);
  const HWND backupWindow = HiddenWindowOfClass(windowClass);
  ASSERT_NE(nullptr, backupWindow);
  tavion::MarkBackupRunWindow(backupWindow);
  EXPECT_EQ(resident, tavion::FindResidentWindow(windowClass.c_str()));
  DestroyWindow(resident);
  EXPECT_EQ(nullptr, tavion::FindResidentWindow(windowClass.c_str()));
  tavion::CommandLine plainStart;
  EXPECT_TRUE(tavion::PassSingleInstanceTest(tavion::SidekitLibrary(), plainStart, name.c_str(),
                                             windowClass.c_str()))
      << "without the library, a backup run's window is no running instance";
  tavion::ClearBackupRunMark(backupWindow);
  DestroyWindow(backupWindow);
}

bool RunningOnWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

TEST(Animation, SetAnimationIsReadBackAndRestored) {
  if (RunningOnWine()) {
    // Wine 8 accepts SPI_SETANIMATION without acting on it and always reports the animation off.
    GTEST_SKIP() << "the system animation cannot be switched under Wine";
  }
  const int original = GetAnimation();
  ASSERT_TRUE(original == 0 || original == 1);
  for (const int wanted : {1 - original, original}) {
    SCOPED_TRACE(wanted);
    ASSERT_TRUE(SetAnimation(wanted));
    EXPECT_EQ(wanted, GetAnimation());
  }
}

class ForegroundTest : public testing::Test {
 protected:
  // A top-level window with an edit control in it.
  struct TestWindow {
    TestWindow(int x) {
      frame = CreateWindowExW(0, L"STATIC", L"frame", WS_POPUP | WS_VISIBLE, x, 100, 300, 200,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
      edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10, 200, 24,
                             frame, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~TestWindow() { DestroyWindow(frame); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND frame = nullptr;
    HWND edit = nullptr;
  };

  TestWindow first_{50};
  TestWindow second_{400};
};

TEST_F(ForegroundTest, ForceForegroundWindowRaisesAndRestores) {
  ASSERT_TRUE(ForceForegroundWindow(first_.frame));
  EXPECT_EQ(first_.frame, GetForegroundWindow());
  ASSERT_TRUE(ForceForegroundWindow(second_.frame));
  EXPECT_EQ(second_.frame, GetForegroundWindow());

  ShowWindow(first_.frame, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(first_.frame));
  EXPECT_TRUE(ForceForegroundWindow(first_.frame));
  EXPECT_FALSE(IsIconic(first_.frame));
  EXPECT_EQ(first_.frame, GetForegroundWindow());

  EXPECT_FALSE(ForceForegroundWindow(nullptr));
}

TEST_F(ForegroundTest, ForceForegroundWindowReachesAWindowOfAnotherProcess) {
  const std::wstring peerClass = UniqueName(L"SidekitPeer");
  PeerProcess peer(L"window " + peerClass);
  const HWND foreign = peer.WaitForWindow(peerClass);
  ASSERT_NE(nullptr, foreign);
  ASSERT_TRUE(ForceForegroundWindow(foreign));
  EXPECT_EQ(foreign, GetForegroundWindow());
  // With nothing focused inside it, the focus is the window itself.
  EXPECT_TRUE(sidekit_test::PumpUntil([&] { return GetFocusedWindow(0) == foreign; }));

  // Back from behind the other process's window.
  EXPECT_TRUE(ForceForegroundWindow(first_.frame));
  EXPECT_EQ(first_.frame, GetForegroundWindow());
}

TEST_F(ForegroundTest, GetFocusedWindowFindsTheFocusedControl) {
  for (const TestWindow* window : {&first_, &second_}) {
    ASSERT_TRUE(ForceForegroundWindow(window->frame));
    SetFocus(window->edit);
    EXPECT_EQ(window->edit, GetFocusedWindow(0));
    EXPECT_EQ(window->edit, GetFocusedWindow(GetCurrentThreadId()));
  }
}

}  // namespace
