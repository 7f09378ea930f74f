#pragma once
// The dispatcher's host on Windows: worker threads, the main window's messages and the system
// calls of the dispatcher, for one main window.

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "exec/dispatcher.h"

namespace tavion {

// Whether `window` is the desktop, the task bar or a part of it (null is not).
bool IsShellWindow(HWND window);

// What the host takes from the main window, which owns the action list and the state the
// diagnostics report. Each may be called on a worker thread.
struct MainWindowServices {
  std::function<TAction*(int index)> actionByIndex;  // null: no actions
  std::function<DiagnosticsValues()> diagnostics;    // null: the defaults
  std::function<bool()> terminating;                 // null: never
  // The plug-in call of an execution (ExecHost::CallPluginAction); null while no plug-ins are
  // loaded, which answers "nil".
  std::function<std::string(const std::string& libraryPath, const std::string& actionId,
                            Persistent* params)>
      callPlugin;
  std::string pluginFolder;  // the program folder + "\PlugIns"
};

class WinExecHost final : public ExecHost {
 public:
  WinExecHost(HWND mainWindow, MainWindowServices services);

  bool StartWorkerThread(std::function<void()> work) override;
  bool ApplicationTerminating() const override;
  TAction* ActionByIndex(int index) override;
  void SendExecutionNotification(const std::string& code, int index,
                                 const ExecResult& result) override;
  void PostClose() override;
  void PostRunningCheck() override;
  void RunProgramCommand(uintptr_t command) override;
  void ShowInformation(const std::string& text) override;
  bool ForegroundIsShellWindow() override;
  void Beep(uint32_t type) override;
  void RequestForegroundLanguage(uint32_t layout) override;
  std::string CallPluginAction(const std::string& libraryPath, const std::string& actionId,
                               Persistent* params) override;
  std::string PluginFolder() const override;
  DiagnosticsValues Diagnostics() override;

 private:
  HWND mainWindow_;
  MainWindowServices services_;
};

// The handler of WM_TV_STATUS(kStatusRunningCheck): plays "check.wav" (the asterisk beep when
// it is missing, whatever the sound option) and shows the system-modal "running" box owned by
// `owner`. Returns when the box is closed.
void RunRunningCheck(HWND owner, std::string_view shortVersion);

}  // namespace tavion
