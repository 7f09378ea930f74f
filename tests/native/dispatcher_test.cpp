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
#include "native/support/fake_host.h"
#include "settings/registry.h"
#include "settings/settings.h"

namespace tavion {
namespace {

// The packed argument of an index and a repeat count, as the hot-key dispatch makes it.
int32_t Packed(int index, int repeat) {
  return index | repeat << 16;
}

// Plug-in codes: "plug", then the library and the action id, each after \002 and a digit.
const std::string kClockCode = "plug\0021Clock.dll\0022ShowTime";
const std::string kGoneCode = "plug\0021Gone.dll\0022Eject";

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
    ResetSettings();
    ClearExecutors();
    SetCataloguePluginProvider(clock_);
    SetPluginCodeResolver(clock_.get());
    BuildCatalogue(MemoryRegistry());
    SetExecHost(&host);
  }
  void TearDown() override {
    SetExecHost(nullptr);
    ClearExecutors();
    SetCataloguePluginProvider(nullptr);
    SetPluginCodeResolver(nullptr);
    BuildCatalogue(MemoryRegistry());
    ResetSettings();
  }
  // Registers an executor for `code` that writes "run <code>" to the events.
  void RecordRuns(const std::string& code) {
    RegisterExecutor(
        code, [this](ExecContext& context) { host.events.push_back("run " + context.code); });
  }
  std::string Run(const std::string& code, int32_t packed, bool mayUseThread = false) {
    ExecuteAction(code, packed, mayUseThread);
    return host.TakeText();
  }

  test::FakeExecHost host;
  std::shared_ptr<ClockPlugin> clock_ = std::make_shared<ClockPlugin>();
};

TEST_F(DispatcherTest, EachCodeRunsWhereAndAsOftenAsItsActionAllowsAndNotifiesOnce) {
  host.AddAction("srun").ActionExecOn().SetLangAfter = 7;
  host.AddAction("srun").ActionExecOn().Thrd = true;
  host.AddAction("ke_keyz");
  host.AddAction("zz_unknown");
  TActionParamsPlug* plug = host.AddAction(kClockCode).ParamsAs<TActionParamsPlug>();
  ASSERT_NE(nullptr, plug);
  plug->LibraryFile = "Clock2.dll";
  plug->ActionId = "Show";
  host.AddAction(kGoneCode, "Eject drive");  // made while its plug-in was missing
  host.pluginAnswer = "nil";                 // no plug-in handles a call
  for (const char* code : {"srun", "ke_keyz", "zz_unknown", "wa_play"}) RecordRuns(code);
  RegisterMediaPlayerExecutor(
      [this](ExecContext& context) { host.events.push_back("player " + context.code); });
  const std::string plugIns = "C:\\Tavion\\PlugIns\\",
                    clock2 = "plugin " + plugIns + "Clock2.dll Show with params";
  const std::tuple<std::string, int32_t, bool, std::string> cases[] = {
      // Each repetition puts the language back; a worker thread for a threadable action.
      {"srun", Packed(0, 1), true,
       "thread; run srun; language 7; run srun; language 7; notify srun 0"},
      {"srun", 1, true, "run srun; notify srun 1"},           // Thrd: the caller's
      {"ke_keyz", 2, true, "run ke_keyz; notify ke_keyz 2"},  // main thread only
      {"srun", 9, true, "run srun; notify srun 9"},           // a missing action
      // The program's own codes; "wa_" goes to the player whatever else is registered.
      {"tv_kill", -1, false, "post close; notify tv_kill -1"},
      {"tv_beep", -1, false, "post running check; notify tv_beep -1"},
      {"tv_e/\\d", -1, false, "command 1; notify tv_e/\\d -1"},
      {"tv_opts", -1, false, "command 2; notify tv_opts -1"},
      {"wa_play", -1, false, "player wa_play; notify wa_play -1"},
      {"", -1, false, "notify  -1"},
      // Plug-ins: the action's library, id and parameters, else the code's; Clock notifies first.
      {kClockCode, Packed(4, 1), false, "notify " + kClockCode + " 4; " + clock2 + "; " + clock2},
      {kClockCode, -1, false,
       "notify " + kClockCode + " -1; plugin " + plugIns + "Clock.dll ShowTime"},
      {kGoneCode, 5, false,
       "plugin " + plugIns + " ; notify " + kGoneCode + " 5: Can't find handler for action " +
           "'Eject drive', may be you delete plugin?\rExInfo: " + kGoneCode + " (error)"},
  };
  for (const auto& [code, packed, mayUseThread, events] : cases)
    EXPECT_EQ(events, Run(code, packed, mayUseThread)) << code << " " << packed;
  EXPECT_EQ(
      "info VER:\t\t1.0\rDATE:\t\t\rKERNEL(exe):\t4B.0(SOLID)\rPKERNEL(plg):\t2A.0\r\r"
      "EXE:\t\t\rCUR_DIR:\t\r\rEXE_PATH:\t\rPLG_PATH:\t\rHOME_KEY:\tSoftware\\Quillon\\Tavion\r\r"
      "Actions count:\t\t0\rAct.Modified:\t\tFalse\rImageList count:\t0\r\r"
      "\tSHIFT STATE:\t11 (Win + Ctrl + Alt + )\r\tKey pressed:\t\r\tNotifyRun:\tTrue\r"
      "\tProc_Keys:\tTrue; notify hd_info -1",
      Run("hd_info", -1));
  EXPECT_EQ("Tavion 1.0 - running.", RunningCheckText("1.0"));
  // The plug-in gets the object of the dispatch's copy of the action.
  Run(kClockCode, 4);
  EXPECT_NE(plug->Params.get(), host.pluginParams);

  // A thread that cannot start leaves the action to the calling thread.
  host.threadsStart = false;
  EXPECT_EQ("thread; run zz_unknown; notify zz_unknown 3", Run("zz_unknown", 3, true));
  EXPECT_TRUE(WaitForWorkerDispatches(std::chrono::milliseconds(0)));
  // The program frees its list before the worker gets going: the worker has its own copy.
  host.threadsStart = host.threadsWait = true;
  ExecuteAction("srun", 0, true);
  host.actions.Clear();
  EXPECT_FALSE(WaitForWorkerDispatches(std::chrono::milliseconds(0)));
  host.waitingWork.at(0)();
  EXPECT_EQ("thread; run srun; language 7; notify srun 0", host.TakeText());
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

TEST_F(DispatcherTest, ShellWindowGuardRefusesWindowActionsOnTheDesktop) {
  // Code, shell window in the foreground, HiddenWindow, whether the guard refuses.
  const std::tuple<std::string, bool, uintptr_t, bool> cases[] = {{"wm_wmin", true, 0x1234, true},
                                                                  {"wm_s/\\h", true, 0, true},
                                                                  {"wm_s/\\h", true, 0x1234, false},
                                                                  {"wm_wmin", false, 0, false}};
  for (const auto& [code, shell, hiddenWindow, refused] : cases) {
    Settings().HiddenWindow = hiddenWindow;
    host.shellInForeground = shell;
    host.actions.Clear();
    host.AddAction(code);
    RecordRuns(code);
    const std::string notify = "notify " + code + " 0", run = "run " + code;
    // The guard's text is not marked a failure.
    EXPECT_EQ(refused ? "beep 0; " + notify + ": " + kShellWindowError
                      : run + "; " + run + "; " + run + "; " + notify,
              Run(code, Packed(0, 2)))
        << code;
  }
}

TEST_F(DispatcherTest, AThrowingExecutorFailsOnlyItsOwnRepetition) {
  host.AddAction("mc_play");
  RegisterExecutor("mc_play", [&](ExecContext&) {
    host.events.push_back(Options().Dispatching ? "run" : "run outside a dispatch");
    throw std::runtime_error("launch failed");
  });
  Settings().ActionBusy = true;  // the request still waits for its notification
  EXPECT_EQ("run; run; run; run; run; notify mc_play 0", Run("mc_play", Packed(0, 4)));
  EXPECT_TRUE(Settings().ActionBusy);
  EXPECT_FALSE(Options().Dispatching);
}

}  // namespace
}  // namespace tavion
