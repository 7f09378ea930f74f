// Tavion.exe as a user meets it: it starts, lets keys and clicks through, and closes cleanly.
#include <windows.h>

#include <gtest/gtest.h>

#include "input_sink.h"
#include "screenshot.h"
#include "tavion_process.h"

namespace tavion::e2e {
namespace {

using namespace std::chrono_literals;

void SendKey(WORD vk) {
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
  inputs[0].ki.wVk = inputs[1].ki.wVk = vk;
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, inputs, sizeof(INPUT));
}

// Moves to (x, y) and clicks there in one injection, so nothing can come between the move and
// the click.
void ClickAt(int x, int y) {
  INPUT inputs[3] = {};
  for (INPUT& input : inputs) input.type = INPUT_MOUSE;
  inputs[0].mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  inputs[0].mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(3, inputs, sizeof(INPUT));
}

TEST(Startup, CreatesItsMainWindowAndExitsWithZeroWhenClosed) {
  TavionProcess tavion;
  ASSERT_TRUE(tavion.Start());
  HWND main = tavion.WaitForMainWindow();
  ASSERT_NE(nullptr, main);
  // Found as soon as it is created; shown a moment later.
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));
  EXPECT_EQ(L"Tavion 1.0", WindowText(main));
  SaveScreenshot("startup-main-window");

  ExitConfirmed(tavion, main);
}

TEST(Startup, PassesKeysAndClicksToTheFocusedProgram) {
  TavionProcess tavion;
  ASSERT_TRUE(tavion.Start());
  HWND main = tavion.WaitForMainWindow();
  ASSERT_NE(nullptr, main);
  // The window shows itself once its hooks are in place; the sink takes the focus after that.
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));

  InputSink sink;
  PumpMessagesFor(200ms);
  SendKey('K');
  EXPECT_TRUE(WaitUntil([&] { return sink.KeyDownsOf('K') > 0; }, 5s));

  ClickAt(150, 150);
  EXPECT_TRUE(WaitUntil([&] { return sink.clicks > 0; }, 5s));

  ExitConfirmed(tavion, main);
}

TEST(Startup, MissingSupportLibraryIsReportedAndTheProgramKeepsRunning) {
  // Tavion.exe alone in a folder of its own, without Sidekit32.dll beside it.
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"tavion-no-sidekit";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring exe = folder + L"\\Tavion.exe";
  ASSERT_TRUE(CopyFileW((TestProgramFolder() + L"\\Tavion.exe").c_str(), exe.c_str(), FALSE));
  DeleteFileW((folder + L"\\Sidekit32.dll").c_str());

  TavionProcess tavion;
  ASSERT_TRUE(tavion.Start(L"", exe));
  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    return (box = FindProcessWindow(tavion.Id(), L"#32770", L"Tavion - TKeyEdit ini error"));
  }));
  EXPECT_EQ(L"Fatal error: can't load Sidekit32.dll", StaticText(box));
  SaveScreenshot("startup-missing-sidekit");
  EXPECT_EQ(nullptr, FindProcessWindow(tavion.Id(), L"TAVION_ROOTWINDOW", nullptr))
      << "the box comes before the main window";

  PostMessageW(box, WM_COMMAND, IDOK, 0);
  HWND main = tavion.WaitForMainWindow();
  ASSERT_NE(nullptr, main) << "the program keeps running without hooks";
  ExitConfirmed(tavion, main);
  DeleteFileW(exe.c_str());
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace tavion::e2e
