#include "exec/exec_host_win.h"

#include <mmsystem.h>

#include <exception>
#include <memory>
#include <utility>

#include "base/handles_win.h"
#include "base/utf_win.h"
#include "base/window_requests_win.h"
#include "exec/diagnostics.h"
#include "exec/shell_window.h"
#include "exec/sounds.h"
#include "exec/main_messages.h"
#include "forms/message_box_win.h"

namespace tavion {
namespace {

// A foreground program that does not answer must not hold the dispatcher for long.
constexpr UINT kLanguageRequestTimeoutMs = 2000;

DWORD WINAPI WorkerThreadProc(LPVOID parameter) {
  std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
  // Nothing may leave a thread's start routine; the dispatcher already reports its failures.
  try {
    (*work)();
  } catch (...) {
  }
  return 0;
}

std::string WindowText(HWND window, bool className) {
  wchar_t text[256] = {};
  const int length = className ? GetClassNameW(window, text, static_cast<int>(std::size(text)))
                               : GetWindowTextW(window, text, static_cast<int>(std::size(text)));
  return WideToUtf8(std::wstring_view(text, length > 0 ? static_cast<std::size_t>(length) : 0));
}

}  // namespace

bool IsShellWindow(HWND window) {
  if (window == nullptr) return false;
  const std::string windowClass = WindowText(window, true);
  const std::string caption = WindowText(window, false);
  const HWND taskBar = FindWindowW(L"Shell_TrayWnd", nullptr);
  return IsShellWindow(ShellWindowFacts{
      .windowClass = windowClass,
      .caption = caption,
      .isDesktopWindow = window == GetDesktopWindow(),
      .childOfTaskBar = taskBar != nullptr && GetParent(window) == taskBar,
  });
}

WinExecHost::WinExecHost(HWND mainWindow, MainWindowServices services)
    : mainWindow_(mainWindow), services_(std::move(services)) {}

bool WinExecHost::StartWorkerThread(std::function<void()> work) {
  auto parameter = std::make_unique<std::function<void()>>(std::move(work));
  // The thread is never waited for: its handle goes at once.
  const UniqueKernelHandle thread(
      CreateThread(nullptr, 0, WorkerThreadProc, parameter.get(), 0, nullptr));
  if (!thread) return false;
  parameter.release();  // the thread owns it now
  return true;
}

bool WinExecHost::ApplicationTerminating() const {
  return services_.terminating && services_.terminating();
}

TAction* WinExecHost::ActionByIndex(int index) {
  return services_.actionByIndex ? services_.actionByIndex(index) : nullptr;
}

void WinExecHost::SendExecutionNotification(const std::string& code, int index,
                                            const ExecResult& result) {
  const NotifyNotice notice{code, result};
  SendMessageW(mainWindow_, WM_TV_NOTIFY, reinterpret_cast<WPARAM>(&notice),
               static_cast<LPARAM>(index));
}

void WinExecHost::PostClose() {
  PostMessageW(mainWindow_, WM_TV_CLOSE, 1, 0);
}

void WinExecHost::PostRunningCheck() {
  PostMessageW(mainWindow_, WM_TV_STATUS, kStatusRunningCheck, 0);
}

void WinExecHost::RunProgramCommand(uintptr_t command) {
  SendMessageW(mainWindow_, WM_TV_PROGRAM_COMMAND, command, 0);
}

void WinExecHost::ShowInformation(const std::string& text) {
  ShowMessageBox(text, MessageDialogType::Information, MessageButtons::Ok);
}

bool WinExecHost::ForegroundIsShellWindow() {
  return IsShellWindow(GetForegroundWindow());
}

void WinExecHost::Beep(uint32_t type) {
  MessageBeep(type);
}

void WinExecHost::RequestForegroundLanguage(uint32_t layout) {
  RequestKeyboardLayout(GetForegroundWindow(), layout, kLanguageRequestTimeoutMs);
}

std::string WinExecHost::CallPluginAction(const std::string& libraryPath,
                                          const std::string& actionId, Persistent* params) {
  if (!services_.callPlugin) return "nil";
  return services_.callPlugin(libraryPath, actionId, params);
}

std::string WinExecHost::PluginFolder() const {
  return services_.pluginFolder;
}

DiagnosticsValues WinExecHost::Diagnostics() {
  return services_.diagnostics ? services_.diagnostics() : DiagnosticsValues{};
}

void RunRunningCheck(HWND owner, std::string_view shortVersion) {
  PlaySoundFile("check.wav", MB_ICONASTERISK, /*honourOption=*/false, /*beepWhenMissing=*/true,
                SND_ASYNC, /*enabled=*/true);
  ShowSystemModalBox(owner, RunningCheckText(shortVersion), MB_ICONINFORMATION | MB_SYSTEMMODAL);
}

}  // namespace tavion
