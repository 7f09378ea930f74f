#pragma once
// The one entry through which every action runs (ExecuteAction) and the dispatcher that maps an
// action code to its executor (DispatchAction). Portable: everything that touches the system goes
// through the process's ExecHost.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "exec/diagnostics.h"

namespace tavion {

class Persistent;
class TAction;

// One execution: made by ExecuteAction, owned by DispatchAction.
struct ExecRequest {
  std::string code;
  int16_t index = -1;  // the action's tree index; -1 for no action object
  uint8_t repeat = 0;  // extra runs after the first
  // A copy of the action of `index`, taken where the request was made: the list may change or
  // go (the program closing) while the dispatch runs. Null for no action.
  std::shared_ptr<TAction> action = nullptr;
};

// What an execution hands over to its notification.
struct ExecResult {
  std::string notifyText;    // shown in place of the action's name; empty: the name
  bool notifyError = false;  // notifyText is a failure: a message box while the display is off
};

// What WM_TV_NOTIFY's wParam points to, for every notification but the lock keys'. It lives for
// the time of the message, which an execution sends synchronously.
struct NotifyNotice {
  std::string_view code;
  ExecResult result;
};

// The request of `code` with `packed`: a negative packed value is index -1 and repeat 0; else the
// low 16 bits are the index and the low 8 bits of the high 16 bits the repeat count.
ExecRequest MakeExecRequest(std::string_view code, int32_t packed);

// What the dispatcher asks of the program and the system. Called from the user-interface thread
// and from worker threads alike.
class ExecHost {
 public:
  virtual ~ExecHost() = default;

  // Runs `work` on a new thread that nobody waits for. Returns false when no thread could be
  // started; `work` has then not run.
  virtual bool StartWorkerThread(std::function<void()> work) = 0;
  virtual bool ApplicationTerminating() const = 0;
  // The action of tree index `index` (not negative), or null. Asked only on the thread that
  // calls ExecuteAction, which copies the action for the dispatch.
  virtual TAction* ActionByIndex(int index) = 0;

  // WM_TV_NOTIFY(notice of `code` and `result`, index), synchronously.
  virtual void SendExecutionNotification(const std::string& code, int index,
                                         const ExecResult& result) = 0;
  // WM_TV_CLOSE(1, 0), posted.
  virtual void PostClose() = 0;
  // WM_TV_STATUS(kStatusRunningCheck, 0), posted.
  virtual void PostRunningCheck() = 0;
  // WM_TV_PROGRAM_COMMAND(command), synchronously; kCommandToggleHotKeys or
  // kCommandRestoreOrMinimize.
  virtual void RunProgramCommand(uintptr_t command) = 0;
  // The program's message box, type information, button OK.
  virtual void ShowInformation(const std::string& text) = 0;

  // Whether the foreground window is the desktop, the task bar or a part of it.
  virtual bool ForegroundIsShellWindow() = 0;
  // MessageBeep(type).
  virtual void Beep(uint32_t type) = 0;
  // WM_INPUTLANGCHANGEREQUEST(1, layout) to the foreground window, synchronously.
  virtual void RequestForegroundLanguage(uint32_t layout) = 0;

  // The plug-in call of an execution: the library at `libraryPath` (plug-in folder, backslash,
  // file name), its action `actionId`, call kind 3, `params` (may be null) and the main window.
  // Returns the plug-in's answer; "nil" when no loaded plug-in handles it.
  virtual std::string CallPluginAction(const std::string& libraryPath, const std::string& actionId,
                                       Persistent* params) = 0;
  // The plug-in folder, without a final backslash.
  virtual std::string PluginFolder() const = 0;
  // The values of the diagnostics text, read now.
  virtual DiagnosticsValues Diagnostics() = 0;
};

// Makes `host` (not owned; it must outlive every dispatch) the process's host; null removes it.
// Without a host nothing runs.
void SetExecHost(ExecHost* host);
ExecHost* CurrentExecHost();

// What an executor gets for one run of the body.
struct ExecContext {
  ExecHost& host;
  const std::string& code;
  int16_t index;
  TAction* action;       // null for index -1 or a missing action
  uint8_t& repeat;       // runs still to come; set to 0 to stop the repetitions
  ExecResult& result;    // what the notification shows; kept over the repetitions
  bool abandon = false;  // set to end the dispatch at once: no more runs, no notification
};

// Runs one action code. It reports failures in context.result, or through SetNotifyText where
// the context is out of reach; an exception that leaves it counts as a failed run.
using Executor = std::function<void(ExecContext&)>;

// Stores `text` as what the notification of the dispatch running on this thread shows in place
// of the action's name; `error` marks it as a failure (a mark once set stays). Outside a dispatch
// it does nothing.
void SetNotifyText(std::string text, bool error = false);

// Makes `result` the one SetNotifyText fills on this thread while the scope lives; the outer
// one comes back after it. Every dispatch opens one.
class NotifyTextScope {
 public:
  explicit NotifyTextScope(ExecResult& result);
  ~NotifyTextScope();
  NotifyTextScope(const NotifyTextScope&) = delete;
  NotifyTextScope& operator=(const NotifyTextScope&) = delete;

 private:
  ExecResult* outer_;
};

// Makes `executor` the one of the exact code `code` (replacing an earlier one). The shell-window
// guard, the "wa_" prefix, plug-in codes and the program's own codes ("tv_kill", "tv_beep",
// "tv_e/\d", "tv_opts", "hd_info") are tested first, so such a code never reaches the table.
// Register at start-up, before the first dispatch.
void RegisterExecutor(std::string_view code, Executor executor);
// Makes `executor` the one of every code that starts with "wa_" (the media-player control).
void RegisterMediaPlayerExecutor(Executor executor);
// Forgets every registered executor.
void ClearExecutors();
// Whether no thread registers or looks up an executor at this moment. Never blocks.
bool ExecutorTableFree();

// Runs `code` with the packed index and repeat count, on a new worker thread when
// `mayUseThread` and the code, the action and its Thrd condition allow it; otherwise on the
// calling thread, returning when the dispatch is done. Call it on the thread that owns the
// action list.
void ExecuteAction(std::string_view code, int32_t packed, bool mayUseThread);

// Waits until every dispatch that ExecuteAction started on a worker thread has ended, at most
// `timeout`. Returns whether none runs any more. For the end of the program, before the host goes.
bool WaitForWorkerDispatches(std::chrono::milliseconds timeout);

// Runs the request's code 1 + repeat times, switches the keyboard language after each run when
// the action asks for it, and sends the execution notification. A null request does nothing.
// A dispatch that ends without its notification clears ActionBusy itself.
void DispatchAction(std::unique_ptr<ExecRequest> request);

// The text the shell-window guard reports to the notification; it is not translated.
inline constexpr char kShellWindowError[] = "Error: can't operate with shell window";

}  // namespace tavion
