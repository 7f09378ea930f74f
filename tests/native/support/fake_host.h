#pragma once
// The program and the system as far as the dispatcher sees them: every call is written to
// `events` in the order it happens, "notify CODE INDEX[: TEXT][ (error)]" for a notification.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "actions/action.h"
#include "exec/dispatcher.h"

namespace tavion::test {

class FakeExecHost : public ExecHost {
 public:
  bool StartWorkerThread(std::function<void()> work) override {
    events.push_back("thread");
    if (!threadsStart) return false;
    threadsWait ? waitingWork.push_back(std::move(work)) : work();
    return true;
  }
  bool ApplicationTerminating() const override { return terminating; }
  TAction* ActionByIndex(int index) override { return actions.At(static_cast<std::size_t>(index)); }
  void SendExecutionNotification(const std::string& code, int index,
                                 const ExecResult& result) override {
    events.push_back("notify " + code + " " + std::to_string(index) +
                     (result.notifyText.empty() ? "" : ": " + result.notifyText) +
                     (result.notifyError ? " (error)" : ""));
  }
  void PostClose() override { events.push_back("post close"); }
  void PostRunningCheck() override { events.push_back("post running check"); }
  void RunProgramCommand(uintptr_t command) override {
    events.push_back("command " + std::to_string(command));
  }
  void ShowInformation(const std::string& text) override { events.push_back("info " + text); }
  bool ForegroundIsShellWindow() override { return shellInForeground; }
  void Beep(uint32_t type) override { events.push_back("beep " + std::to_string(type)); }
  void RequestForegroundLanguage(uint32_t layout) override {
    events.push_back("language " + std::to_string(layout));
  }
  std::string CallPluginAction(const std::string& libraryPath, const std::string& actionId,
                               Persistent* params) override {
    events.push_back("plugin " + libraryPath + " " + actionId + (params ? " with params" : ""));
    pluginParams = params;
    return pluginAnswer;
  }
  std::string PluginFolder() const override { return "C:\\Tavion\\PlugIns"; }
  DiagnosticsValues Diagnostics() override {
    DiagnosticsValues values;
    values.version = "1.0";
    values.shiftState = 11;
    values.actionBusy = true;
    return values;
  }

  TAction& AddAction(std::string_view code, std::string_view name = "Act") {
    TAction& action = actions.Add();
    action.SetExec(code);
    action.SetName(name);
    return action;
  }
  // The events from here on.
  std::vector<std::string> Take() { return std::exchange(events, {}); }
  // The same, joined by "; ".
  std::string TakeText() {
    std::string text;
    for (const std::string& event : Take()) text += (text.empty() ? "" : "; ") + event;
    return text;
  }

  std::vector<std::string> events;
  TActionsList actions;
  bool threadsStart = true;
  bool threadsWait = false;  // started threads wait in waitingWork until the test runs them
  std::vector<std::function<void()>> waitingWork;
  bool terminating = false, shellInForeground = false;
  std::string pluginAnswer;
  Persistent* pluginParams = nullptr;
};

}  // namespace tavion::test
