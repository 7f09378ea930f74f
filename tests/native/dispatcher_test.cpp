#include "exec/dispatcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "actions/action.h"
#include "actions/catalogue.h"
#include "settings/registry.h"
#include "settings/settings.h"

namespace tavion {
namespace {

using Events = std::vector<std::string>;

// The packed argument of an index and a repeat count, as the hot-key dispatch makes it.
int32_t Packed(int index, int repeat) {
  return index | repeat << 16;
}

// Plug-in codes: "plug", then the library and the action id, each after \002 and a digit.
const std::string kClockCode = "plug\0021Clock.dll\0022ShowTime";
const std::string kGoneCode = "plug\0021Gone.dll\0022Eject";

// The program and the system as far as the dispatcher sees them; every call is written to
// `events` in the order it happens.
class FakeHost final : public ExecHost {
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
    events.push_back("notify " + code + " " + std::to_string(index));
    results.push_back(result);
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
    events.push_back("plugin " + libraryPath + " " + actionId);
    pluginParams = params;
    if (const auto* alfa = dynamic_cast<const TActionParamsAlfa*>(params))
      pluginAlfaValue = alfa->Value;
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

  Events events;
  std::vector<ExecResult> results;  // what each notification carried
  TActionsList actions;
  bool threadsStart = true;
  bool threadsWait = false;  // started threads wait in waitingWork until the test runs them
  std::vector<std::function<void()>> waitingWork;
  bool terminating = false, shellInForeground = false;
  std::string pluginAnswer;
  Persistent* pluginParams = nullptr;
  int16_t pluginAlfaValue = -1;
};

// The Clock plug-in: its codes for the action model and its catalogue entry, which asks for the
// notification before the action runs.
class ClockPlugin final : public CataloguePluginProvider, public PluginCodeResolver {
 public:
  std::vector<ActionCatalogueEntry> CatalogueEntries() const override {
    return {{.displayName = "Show time",
             .code = kClockCode,
             .NotifyBefore = true,
             .pluginName = "Clock"}};
  }
  std::optional<PluginActionId> Resolve(std::string_view code) const override {
    if (code != kClockCode) return std::nullopt;
    return PluginActionId{"Clock.dll", "ShowTime"};
  }
  PluginParams CreateParams(const PluginActionId&) override {
    return PluginParams(new TActionParamsAlfa, {});
  }
};

class DispatcherTest : public testing::Test {
 protected:
  void SetUp() override {
    Reset();
    SetCataloguePluginProvider(clock_);
    SetPluginCodeResolver(clock_.get());
    MemoryRegistry registry;
    BuildCatalogue(registry);
    SetExecHost(&host);
  }
  void TearDown() override {
    Reset();
    MemoryRegistry registry;
    BuildCatalogue(registry);
  }
  static void Reset() {
    SetExecHost(nullptr);
    ClearExecutors();
    SetCataloguePluginProvider(nullptr);
    SetPluginCodeResolver(nullptr);
    ResetSettings();
  }

  // Registers an executor for `code` that writes "run <code>" to the events.
  void RecordRuns(const std::string& code) {
    RegisterExecutor(
        code, [this](ExecContext& context) { host.events.push_back("run " + context.code); });
  }

  FakeHost host;
  std::shared_ptr<ClockPlugin> clock_ = std::make_shared<ClockPlugin>();
};

TEST(ExecRequestPacking, IndexInTheLowWordRepeatInTheLowByteOfTheHighWord) {
  const std::tuple<int32_t, int16_t, uint8_t> cases[] = {
      {-1, -1, 0}, {0, 0, 0}, {0x01030005, 5, 3}, {0x7FFF0002, 2, 255}};
  for (const auto& [packed, index, repeat] : cases) {
    const ExecRequest request = MakeExecRequest("srun", packed);
    EXPECT_EQ(index, request.index) << packed;
    EXPECT_EQ(repeat, request.repeat) << packed;
  }
}

TEST_F(DispatcherTest, RepeatCountRunsTheBodyOnceMoreEachAndNotifiesOnce) {
  host.AddAction("srun").ActionExecOn().SetLangAfter = 7;
  RecordRuns("srun");
  ExecuteAction("srun", Packed(0, 1), true);
  EXPECT_EQ((Events{"thread", "run srun", "language 7", "run srun", "language 7", "notify srun 0"}),
            host.events);
  // Without an action there is no language to put back.
  host.events.clear();
  ExecuteAction("srun", -7, true);
  EXPECT_EQ((Events{"run srun", "notify srun -1"}), host.events);
}

TEST_F(DispatcherTest, WorkerThreadOnlyForAnExistingActionOfAThreadableCodeWithoutThrd) {
  host.AddAction("srun");
  host.AddAction("srun").ActionExecOn().Thrd = true;
  host.AddAction("ke_keyz");
  host.AddAction("zz_unknown");
  for (const char* code : {"srun", "ke_keyz", "zz_unknown"}) RecordRuns(code);
  // Code, index, mayUseThread, whether a thread is asked for.
  const std::tuple<const char*, int16_t, bool, bool> cases[] = {
      {"srun", 0, true, true},     {"srun", 0, false, false},     {"srun", 1, true, false},
      {"ke_keyz", 2, true, false}, {"zz_unknown", 3, true, true}, {"srun", 9, true, false},
  };
  for (const auto& [code, index, mayUseThread, thread] : cases) {
    host.events.clear();
    ExecuteAction(code, Packed(index, 0), mayUseThread);
    Events expected;
    if (thread) expected.push_back("thread");
    expected.push_back("run " + std::string(code));
    expected.push_back("notify " + std::string(code) + " " + std::to_string(index));
    EXPECT_EQ(expected, host.events) << code << " " << index;
  }

  // A thread that cannot start leaves the action to the calling thread.
  host.events.clear();
  host.threadsStart = false;
  ExecuteAction("srun", 0, true);
  EXPECT_EQ((Events{"thread", "run srun", "notify srun 0"}), host.events);
  EXPECT_TRUE(WaitForWorkerDispatches(std::chrono::milliseconds(0)));
}

TEST_F(DispatcherTest, AWorkerRunsOnACopyOfItsActionThatOutlivesTheList) {
  TAction& action = host.AddAction("srun", "Launch probe");
  action.ParamsAs<TActionParamsSExec>()->Path = "probe.exe";
  RegisterExecutor("srun", [this](ExecContext& context) {
    const auto* params =
        context.action != nullptr ? context.action->ParamsAs<TActionParamsSExec>() : nullptr;
    host.events.push_back(params != nullptr ? "run " + context.action->Name() + " " + params->Path
                                            : "run without action");
  });
  host.threadsWait = true;
  ExecuteAction("srun", 0, true);
  // The program closes and frees its list before the worker gets going.
  host.actions.Clear();
  EXPECT_FALSE(WaitForWorkerDispatches(std::chrono::milliseconds(0)));
  ASSERT_EQ(1u, host.waitingWork.size());
  host.waitingWork.front()();
  EXPECT_EQ((Events{"thread", "run Launch probe probe.exe", "notify srun 0"}), host.events);
  EXPECT_TRUE(WaitForWorkerDispatches(std::chrono::milliseconds(0)));
}

// An executor whose every copy checks, from another thread, whether the executor table is free:
// a lookup copies the executor while it holds the table.
struct TableProbe {
  std::shared_ptr<std::vector<bool>> seenFree = std::make_shared<std::vector<bool>>();
  TableProbe() = default;
  TableProbe(const TableProbe& other) : seenFree(other.seenFree) {
    bool free = false;
    std::thread([&free] { free = ExecutorTableFree(); }).join();
    seenFree->push_back(free);
  }
  void operator()(ExecContext&) const {}
};

TEST_F(DispatcherTest, ExecutorsAreLookedUpUnderTheTablesLock) {
  const TableProbe probe;
  RegisterExecutor("srun", probe);
  RegisterMediaPlayerExecutor(probe);
  probe.seenFree->clear();
  ExecuteAction("srun", -1, false);
  ExecuteAction("wa_play", -1, false);
  EXPECT_EQ((std::vector<bool>{false, false}), *probe.seenFree);
  EXPECT_TRUE(ExecutorTableFree());
}

TEST_F(DispatcherTest, PluginCallGetsTheActionsLibraryActionAndParametersAfterNotifyBefore) {
  TActionParamsPlug* plug = host.AddAction(kClockCode).ParamsAs<TActionParamsPlug>();
  ASSERT_NE(nullptr, plug);
  plug->LibraryFile = "Clock2.dll";
  plug->ActionId = "Show";
  static_cast<TActionParamsAlfa&>(*plug->Params).Value = 77;
  ExecuteAction(kClockCode, Packed(0, 1), false);
  const std::string call = "plugin C:\\Tavion\\PlugIns\\Clock2.dll Show";
  EXPECT_EQ((Events{"notify " + kClockCode + " 0", call, call}), host.events);
  // The plug-in's object of the dispatch's copy of the action, with the action's values.
  EXPECT_NE(plug->Params.get(), host.pluginParams);
  EXPECT_EQ(77, host.pluginAlfaValue);

  // Without an action the code itself names the plug-in.
  host.events.clear();
  ExecuteAction(kClockCode, -1, false);
  EXPECT_EQ(
      (Events{"notify " + kClockCode + " -1", "plugin C:\\Tavion\\PlugIns\\Clock.dll ShowTime"}),
      host.events);
  EXPECT_EQ(nullptr, host.pluginParams);
}

TEST_F(DispatcherTest, NilAnswerStoresTheErrorWithTheActionNameAndTheCode) {
  host.AddAction(kGoneCode, "Eject drive");
  host.pluginAnswer = "nil";
  ExecuteAction(kGoneCode, 0, false);
  ASSERT_EQ(1u, host.results.size());
  EXPECT_EQ("Can't find handler for action 'Eject drive', may be you delete plugin?\rExInfo: " +
                kGoneCode,
            host.results[0].notifyText);
  EXPECT_TRUE(host.results[0].notifyError);
  // The action was made while its plug-in was missing: no record names a library.
  EXPECT_EQ((Events{"plugin C:\\Tavion\\PlugIns\\ ", "notify " + kGoneCode + " 0"}), host.events);
}

TEST_F(DispatcherTest, CorvexVolumeActionsArePendingVolumeCommands) {
  const std::tuple<const char*, const char*, int16_t> cases[] = {
      {"Corvex.dll", "103", 1}, {"Corvex.dll", "104", 1}, {"CORVEX.DLL", "105", 1},
      {"Corvex.dll", "106", 0}, {"Other.dll", "104", 0},
  };
  for (const auto& [library, id, pending] : cases) {
    host.actions.Clear();
    TAction& action = host.AddAction(kGoneCode);
    action.SetActionParamsMode(TActionParamsMode::pmPlug);
    TActionParamsPlug* plug = action.ParamsAs<TActionParamsPlug>();
    plug->LibraryFile = library;
    plug->ActionId = id;
    Options().PendingVolumeCommands = 7;
    Options().PendingLanguageSwitches = 3;
    ExecuteAction(kGoneCode, 0, false);
    EXPECT_EQ(pending, Options().PendingVolumeCommands.load()) << library << " " << id;
    EXPECT_EQ(0, Options().PendingLanguageSwitches.load());
  }
}

TEST_F(DispatcherTest, ProgramCodesActAndOtherCodesFindTheirExecutorOrOnlyNotify) {
  RegisterMediaPlayerExecutor(
      [this](ExecContext& context) { host.events.push_back("player " + context.code); });
  RecordRuns("wa_play");  // the prefix decides first
  RecordRuns("mc_play");
  const std::pair<std::string, std::string> cases[] = {
      {"tv_kill", "post close"},
      {"tv_beep", "post running check"},
      {"tv_e/\\d", "command 1"},
      {"tv_opts", "command 2"},
      {"hd_info",
       "info VER:\t\t1.0\rDATE:\t\t\rKERNEL(exe):\t4B.0(SOLID)\rPKERNEL(plg):\t2A.0\r\r"
       "EXE:\t\t\rCUR_DIR:\t\r\rEXE_PATH:\t\rPLG_PATH:\t\rHOME_KEY:\tSoftware\\Quillon\\Tavion\r\r"
       "Actions count:\t\t0\rAct.Modified:\t\tFalse\rImageList count:\t0\r\r"
       "\tSHIFT STATE:\t11 (Win + Ctrl + Alt + )\r\tKey pressed:\t\r\tNotifyRun:\tTrue\r"
       "\tProc_Keys:\tTrue"},
      {"wa_play", "player wa_play"},
      {"wa_anything", "player wa_anything"},
      {"mc_play", "run mc_play"},
  };
  for (const auto& [code, event] : cases) {
    host.events.clear();
    ExecuteAction(code, -1, false);
    EXPECT_EQ((Events{event, "notify " + code + " -1"}), host.events) << code;
  }
  SetPluginCodeResolver(nullptr);  // no plug-in code is known either
  for (const char* code : {"zz_unknown", "srun", "plu", ""}) {
    host.events.clear();
    ExecuteAction(code, -1, false);
    EXPECT_EQ((Events{"notify " + std::string(code) + " -1"}), host.events) << code;
  }
}

TEST_F(DispatcherTest, ShellWindowGuardRefusesWindowActionsOnTheDesktop) {
  // Code, shell window in the foreground, HiddenWindow, whether the guard refuses.
  const std::tuple<const char*, bool, uintptr_t, bool> cases[] = {
      {"wm_wmin", true, 0x1234, true},   {"wm_s/\\h", true, 0, true},
      {"wm_s/\\h", true, 0x1234, false}, {"wm_wmin", false, 0, false},
      {"srun", true, 0, false},
  };
  for (const auto& [code, shell, hiddenWindow, refused] : cases) {
    Settings().HiddenWindow = hiddenWindow;
    host.shellInForeground = shell;
    host.events.clear();
    host.actions.Clear();
    host.AddAction(code);
    RecordRuns(code);
    ExecuteAction(code, Packed(0, 2), false);
    const std::string notify = "notify " + std::string(code) + " 0";
    const std::string run = "run " + std::string(code);
    EXPECT_EQ((refused ? Events{"beep 0", notify} : Events{run, run, run, notify}), host.events)
        << code;
    EXPECT_EQ(refused ? kShellWindowError : "", host.results.back().notifyText);
    EXPECT_FALSE(host.results.back().notifyError) << "the guard's text is not marked a failure";
  }
}

TEST_F(DispatcherTest, ExecutorsStopRepetitionsAbandonTheDispatchOrFailByThrowing) {
  host.AddAction("mc_play");
  RegisterExecutor("mc_play", [this](ExecContext& context) {
    host.events.push_back("run");
    context.repeat = 0;
  });
  ExecuteAction("mc_play", Packed(0, 4), false);
  EXPECT_EQ((Events{"run", "notify mc_play 0"}), host.events);

  host.events.clear();
  RegisterExecutor("mc_play", [this](ExecContext& context) {
    host.events.push_back(Options().Dispatching ? "run while dispatching" : "run");
    context.abandon = true;
  });
  Settings().ActionBusy = true;
  ExecuteAction("mc_play", Packed(0, 4), false);
  EXPECT_EQ((Events{"run while dispatching"}), host.events);
  EXPECT_FALSE(Options().Dispatching);
  EXPECT_FALSE(Settings().ActionBusy) << "no notification: the dispatch ends the request itself";

  // An executor that throws has failed that run only.
  host.events.clear();
  RegisterExecutor("mc_play", [this](ExecContext&) {
    host.events.push_back("run");
    throw std::runtime_error("launch failed");
  });
  ExecuteAction("mc_play", Packed(0, 1), false);
  EXPECT_EQ((Events{"run", "run", "notify mc_play 0"}), host.events);
  EXPECT_FALSE(Options().Dispatching);
}

TEST(RunningCheckText, NamesTheVersion) {
  EXPECT_EQ("Tavion 1.0 - running.", RunningCheckText("1.0"));
}

TEST_F(DispatcherTest, NothingRunsWhileTheApplicationTerminatesOrWithoutHostButTheRequestEnds) {
  RecordRuns("srun");
  host.terminating = true;
  for (const bool withRequest : {true, false}) {
    Settings().ActionBusy = true;
    withRequest ? ExecuteAction("srun", -1, false) : DispatchAction(nullptr);
    EXPECT_FALSE(Settings().ActionBusy) << withRequest;
  }
  host.terminating = false;
  SetExecHost(nullptr);
  Settings().ActionBusy = true;
  ExecuteAction("srun", -1, false);
  EXPECT_EQ(Events{}, host.events);
  EXPECT_FALSE(Settings().ActionBusy);
}

TEST_F(DispatcherTest, EachNotificationCarriesOnlyItsOwnExecutionsText) {
  // A macro fails while a launch, started meanwhile, runs and ends: the launch's notification
  // must not show the macro's error, and the macro's must.
  RegisterExecutor("mc_play", [](ExecContext&) {
    SetNotifyText("macro m1 missing", /*error=*/true);
    ExecuteAction("srun", -1, false);
  });
  RecordRuns("srun");
  ExecuteAction("mc_play", -1, false);
  ASSERT_EQ((Events{"run srun", "notify srun -1", "notify mc_play -1"}), host.events);
  EXPECT_EQ("", host.results[0].notifyText);
  EXPECT_FALSE(host.results[0].notifyError);
  EXPECT_EQ("macro m1 missing", host.results[1].notifyText);
  EXPECT_TRUE(host.results[1].notifyError);

  SetNotifyText("outside any execution");
  ExecuteAction("srun", -1, false);
  EXPECT_EQ("", host.results.back().notifyText);
}

}  // namespace
}  // namespace tavion
