#include "exec/dispatcher.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

#include "actions/action.h"
#include "actions/catalogue.h"
#include "lang/lang.h"
#include "settings/settings.h"
#include "exec/main_messages.h"

namespace tavion {
namespace {

std::atomic<ExecHost*> execHost{nullptr};

// The result of the dispatch running on this thread: each execution's text stays its own.
thread_local ExecResult* currentResult = nullptr;

// The hot-key request behind a dispatch ends with it, also when no notification says so.
void EndWithoutNotification() {
  Settings().ActionBusy = false;
}

// Executors are registered at start-up and read by every dispatch, on any thread.
struct ExecutorTable {
  std::mutex lock;
  std::map<std::string, Executor, std::less<>> byCode;
  Executor mediaPlayer;
};

ExecutorTable& Executors() {
  static ExecutorTable table;
  return table;
}

// A copy, so that the executor runs without the table's lock.
Executor RegisteredExecutor(std::string_view code) {
  ExecutorTable& table = Executors();
  std::lock_guard guard(table.lock);
  if (code.starts_with("wa_")) return table.mediaPlayer;
  const auto found = table.byCode.find(code);
  return found == table.byCode.end() ? Executor{} : found->second;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

std::optional<PluginActionId> ResolvePluginCode(std::string_view code) {
  const PluginCodeResolver* resolver = CurrentPluginCodeResolver();
  return resolver ? resolver->Resolve(code) : std::nullopt;
}

bool IsPluginCode(std::string_view code) {
  return code.starts_with("plug") || ResolvePluginCode(code).has_value();
}

// The Corvex.dll actions that change the volume: the shell's volume event that follows is the
// program's own and shows no second notification.
bool IsCountedVolumeCommand(const PluginActionId& id) {
  return EqualsIgnoringAsciiCase(id.libraryFile, "Corvex.dll") &&
         (id.actionId == "103" || id.actionId == "104" || id.actionId == "105");
}

void RunPluginAction(ExecContext& context) {
  // The action's own record names the plug-in; an action made while the plug-in was missing has
  // none, and the code is then resolved against the plug-ins loaded now.
  PluginActionId id;
  Persistent* params = nullptr;
  if (context.action != nullptr) {
    if (TActionParamsPlug* plug = context.action->ParamsAs<TActionParamsPlug>()) {
      id = {plug->LibraryFile, plug->ActionId};
      params = plug->Params.get();
    }
  }
  if (id.libraryFile.empty()) {
    if (std::optional<PluginActionId> resolved = ResolvePluginCode(context.code)) id = *resolved;
  }
  if (IsCountedVolumeCommand(id)) ++Options().PendingVolumeCommands;

  const std::string answer = context.host.CallPluginAction(
      context.host.PluginFolder() + "\\" + id.libraryFile, id.actionId, params);
  if (answer != "nil") return;
  const std::string name = context.action != nullptr ? context.action->Name() : std::string();
  context.result.notifyError = true;
  context.result.notifyText =
      FormatLangText(GetLangStr("ErrorPlugin",
                                "Can't find handler for action '%s', may be you delete plugin?"),
                     {name}) +
      "\rExInfo: " + context.code;
}

// The desktop and the task bar are not windows the window actions may touch; the one exception
// brings back the window that "wm_s/\h" hid.
bool ShellWindowGuardRefuses(ExecContext& context) {
  if (!context.code.starts_with("wm_")) return false;
  if (!context.host.ForegroundIsShellWindow()) return false;
  if (context.code == "wm_s/\\h" && Settings().HiddenWindow != 0) return false;
  context.repeat = 0;
  context.result.notifyText = kShellWindowError;
  context.host.Beep(0);
  return true;
}

void RunBody(ExecContext& context) {
  if (ShellWindowGuardRefuses(context)) return;
  const std::string& code = context.code;
  if (!code.starts_with("wa_") && IsPluginCode(code)) {
    RunPluginAction(context);
  } else if (code == "tv_kill") {
    context.host.PostClose();
  } else if (code == "tv_beep") {
    context.host.PostRunningCheck();
  } else if (code == "tv_e/\\d") {
    context.host.RunProgramCommand(kCommandToggleHotKeys);
  } else if (code == "tv_opts") {
    context.host.RunProgramCommand(kCommandRestoreOrMinimize);
  } else if (code == "hd_info") {
    context.host.ShowInformation(DiagnosticsText(context.host.Diagnostics()));
  } else if (Executor executor = RegisteredExecutor(code)) {
    executor(context);
  }
}

// No failure of an executor may leave the dispatcher; a run that throws has failed and the
// dispatch goes on as after any failed run.
void RunBodyGuarded(ExecContext& context) {
  try {
    RunBody(context);
  } catch (...) {
  }
}

bool MayRunOnWorkerThread(const ExecRequest& request) {
  if (FindCatalogueEntry(request.code).MainThreadOnly) return false;
  return request.action != nullptr && !request.action->ActionExecOn().Thrd;
}

// The dispatches running on worker threads, so that the end of the program can wait for them.
struct WorkerCount {
  std::mutex lock;
  std::condition_variable ended;
  int running = 0;

  void Add(int delta) {
    {
      const std::lock_guard guard(lock);
      running += delta;
    }
    ended.notify_all();
  }
};

WorkerCount& Workers() {
  static WorkerCount count;
  return count;
}

}  // namespace

ExecRequest MakeExecRequest(std::string_view code, int32_t packed) {
  ExecRequest request{.code = std::string(code)};
  if (packed < 0) return request;
  const auto bits = static_cast<uint32_t>(packed);
  request.index = static_cast<int16_t>(bits & 0xFFFF);
  request.repeat = static_cast<uint8_t>((bits >> 16) & 0xFF);
  return request;
}

void SetNotifyText(std::string text, bool error) {
  if (currentResult == nullptr) return;
  currentResult->notifyText = std::move(text);
  if (error) currentResult->notifyError = true;
}

NotifyTextScope::NotifyTextScope(ExecResult& result) : outer_(currentResult) {
  currentResult = &result;
}

NotifyTextScope::~NotifyTextScope() {
  currentResult = outer_;
}

void SetExecHost(ExecHost* host) {
  execHost.store(host);
}

ExecHost* CurrentExecHost() {
  return execHost.load();
}

void RegisterExecutor(std::string_view code, Executor executor) {
  ExecutorTable& table = Executors();
  std::lock_guard guard(table.lock);
  table.byCode.insert_or_assign(std::string(code), std::move(executor));
}

void RegisterMediaPlayerExecutor(Executor executor) {
  ExecutorTable& table = Executors();
  std::lock_guard guard(table.lock);
  table.mediaPlayer = std::move(executor);
}

void ClearExecutors() {
  ExecutorTable& table = Executors();
  std::lock_guard guard(table.lock);
  table.byCode.clear();
  table.mediaPlayer = nullptr;
}

bool ExecutorTableFree() {
  ExecutorTable& table = Executors();
  if (!table.lock.try_lock()) return false;
  table.lock.unlock();
  return true;
}

void ExecuteAction(std::string_view code, int32_t packed, bool mayUseThread) {
  ExecHost* host = CurrentExecHost();
  if (host == nullptr) return EndWithoutNotification();
  auto request = std::make_unique<ExecRequest>(MakeExecRequest(code, packed));
  if (request->index >= 0) {
    if (const TAction* action = host->ActionByIndex(request->index))
      request->action = action->Copy();
  }
  if (mayUseThread && MayRunOnWorkerThread(*request)) {
    auto handed = std::make_shared<ExecRequest>(std::move(*request));
    Workers().Add(1);
    if (host->StartWorkerThread([handed] {
          struct Ended {
            ~Ended() { Workers().Add(-1); }
          } ended;
          DispatchAction(std::make_unique<ExecRequest>(std::move(*handed)));
        })) {
      return;
    }
    Workers().Add(-1);
    // Without a thread the action still runs, on this one.
    request = std::make_unique<ExecRequest>(std::move(*handed));
  }
  DispatchAction(std::move(request));
}

bool WaitForWorkerDispatches(std::chrono::milliseconds timeout) {
  WorkerCount& workers = Workers();
  std::unique_lock guard(workers.lock);
  return workers.ended.wait_for(guard, timeout, [&] { return workers.running == 0; });
}

void DispatchAction(std::unique_ptr<ExecRequest> request) {
  ExecHost* host = CurrentExecHost();
  if (host == nullptr || request == nullptr || host->ApplicationTerminating())
    return EndWithoutNotification();
  const std::string code = std::move(request->code);
  const int16_t index = request->index;
  uint8_t repeat = request->repeat;
  const std::shared_ptr<TAction> action = std::move(request->action);
  request.reset();

  TOptions& options = Options();
  options.PendingLanguageSwitches = 0;
  options.PendingVolumeCommands = 0;
  options.Dispatching = true;

  const bool notifyBefore = FindCatalogueEntry(code).NotifyBefore;
  if (notifyBefore) host->SendExecutionNotification(code, index, {});

  ExecResult result;
  const NotifyTextScope scope(result);
  for (;;) {
    ExecContext context{.host = *host,
                        .code = code,
                        .index = index,
                        .action = action.get(),
                        .repeat = repeat,
                        .result = result};
    RunBodyGuarded(context);
    if (context.abandon) {
      options.Dispatching = false;
      if (!notifyBefore) EndWithoutNotification();
      return;
    }
    if (action != nullptr && action->ActionExecOn().SetLangAfter != 0)
      host->RequestForegroundLanguage(action->ActionExecOn().SetLangAfter);
    if (repeat == 0) break;
    --repeat;
  }

  if (!notifyBefore) host->SendExecutionNotification(code, index, result);
  options.Dispatching = false;
}

}  // namespace tavion
