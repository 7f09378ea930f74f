// What the main window sees before its controls: its own keys, the title-bar buttons acted on at
// their press, the wheel for the control under the cursor, and the dialog keys (Tab, Enter,
// Escape) of its frame.
#include <windows.h>

#include <string>

#include "exec/dispatcher.h"
#include "exec/main_messages.h"
#include "forms/message_box_win.h"
#include "lang/lang_win.h"
#include "ui/main_window_parts_win.h"
#include "ui/wheel_scroll_win.h"
#include "ui/window_keys.h"

namespace tavion {
namespace {

bool KeyHeld(int key) {
  return GetKeyState(key) < 0;
}

WPARAM SystemCommandOf(TitleButton button) {
  switch (button) {
    case TitleButton::kMinimize:
      return SC_MINIMIZE;
    case TitleButton::kMaximize:
      return SC_MAXIMIZE;
    case TitleButton::kRestore:
      return SC_RESTORE;
    case TitleButton::kClose:
      return SC_CLOSE;
    case TitleButton::kNone:
      break;
  }
  return 0;
}

}  // namespace

bool MainWindow::PreTranslate(MSG& msg) {
  if (!hwnd_ || !parts_) return false;
  switch (msg.message) {
    case WM_NCLBUTTONDOWN: {
      const TitleButton button = TitleButtonAt(static_cast<int>(msg.wParam), IsZoomed(msg.hwnd));
      if (button == TitleButton::kNone) return false;
      SendMessageW(msg.hwnd, WM_SYSCOMMAND, SystemCommandOf(button), msg.lParam);
      return true;
    }
    case WM_MOUSEWHEEL:
      return !closing_ && ScrollUnderCursor(msg);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
      if (OnWindowKey(static_cast<unsigned>(msg.wParam))) return true;
      break;
  }
  if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
  return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

bool MainWindow::OnWindowKey(unsigned virtualKey) {
  const WindowKey key =
      WindowKeyFor(virtualKey, KeyHeld(VK_SHIFT), KeyHeld(VK_CONTROL), KeyHeld(VK_MENU));
  Page* page = CurrentPage();
  switch (key.action) {
    case WindowKeyAction::kNone:
      return false;
    case WindowKeyAction::kHelp:
      ShowHelp("about.htm");
      return true;
    case WindowKeyAction::kListCommand: {
      HWND focus = GetFocus();
      if (!page || !page->CommandEnabled(key.command, focus)) return false;
      page->RunCommand(key.command, focus);
      return true;
    }
    case WindowKeyAction::kInfo:
      ExecuteAction("hd_info", -1, /*mayUseThread=*/false);
      return true;
    case WindowKeyAction::kRestart:
      AskRestart();
      return true;
    case WindowKeyAction::kNextView:
      return page && page->NextView();
  }
  return false;
}

void MainWindow::AskRestart() {
  if (ShowMessageBox(GetLangStr("QuestRestart", "Restart Tavion?"), MessageDialogType::Confirmation,
                     MessageButtons::YesNo) != IDYES)
    return;
  RestartProgram();
}

void MainWindow::RestartProgram() {
  wchar_t caption[256] = {};
  GetWindowTextW(hwnd_, caption, static_cast<int>(std::size(caption)));
  SetWindowTextW(hwnd_, (std::wstring(caption) + L"_Terminating").c_str());
  SendMessageW(hwnd_, WM_TV_CLOSE, 0, 0);
  std::wstring command = L"\"" + startup_.executable + L"\" /lr";
  STARTUPINFOW start = {};
  start.cb = sizeof start;
  PROCESS_INFORMATION process = {};
  if (CreateProcessW(startup_.executable.c_str(), command.data(), nullptr, nullptr, FALSE, 0,
                     nullptr, startup_.programFolder.c_str(), &start, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

}  // namespace tavion
