#include "exec/launch.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "actions/action.h"
#include "actions/params.h"
#include "fake_language.h"
#include "lang/lang.h"
#include "settings/settings.h"

namespace tavion {
namespace {

// Folders and a clock with known values; records which folders were asked for.
class FakeLaunchSystem final : public LaunchSystem {
 public:
  std::string TempFolder() const override {
    asked.push_back("temp");
    return temp;
  }
  std::string ShellFolder(int csidl) const override {
    asked.push_back("csidl " + std::to_string(csidl));
    const auto found = folders.find(csidl);
    return found == folders.end() ? std::string() : found->second;
  }
  std::string ProgramFolder() const override {
    asked.push_back("exe");
    return exe;
  }
  LocalDateTime Now() const override { return now; }
  DateTimeNames Names() const override { return names; }
  std::string LongTimeText(const LocalDateTime& m) const override {
    return "LT" + std::to_string(m.hour);
  }
  std::string ShortDateText(const LocalDateTime& m) const override {
    return "SD" + std::to_string(m.day);
  }
  std::string LongDateText(const LocalDateTime& m) const override {
    return "LD" + std::to_string(m.day);
  }
  std::string ShortTimeText(const LocalDateTime& m) const override {
    return "ST" + std::to_string(m.hour);
  }

  std::string temp = "C:\\Temp\\";
  std::string exe = "C:\\Tavion\\";
  std::map<int, std::string> folders = {
      {kFolderWindows, "C:\\Windows"},       {kFolderSystem, "C:\\Windows\\system32\\"},
      {kFolderProgramFiles, "C:\\Program"},  {kFolderPrograms, "C:\\Menu\\Programs"},
      {kFolderDesktopDirectory, "C:\\Desk"}, {kFolderAppData, "C:\\AppData"},
      {kFolderPersonal, "C:\\Docs"},
  };
  // Tuesday 5 March 2024, 14:07:09.045.
  LocalDateTime now{.year = 2024,
                    .month = 3,
                    .day = 5,
                    .dayOfWeek = 2,
                    .hour = 14,
                    .minute = 7,
                    .second = 9,
                    .millisecond = 45};
  DateTimeNames names;
  mutable std::vector<std::string> asked;
};

TEST(ExpandVariables, EachVariableBecomesItsValueWithoutTrailingBackslash) {
  const std::string myComputer = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
  const struct {
    const char* text;
    std::string expected;
  } cases[] = {
      {"%temp%\\a.txt", "C:\\Temp\\a.txt"},
      {"%windir%\\notepad.exe", "C:\\Windows\\notepad.exe"},
      {"%sysdir%", "C:\\Windows\\system32"},
      {"%programmes%", "C:\\Program"},
      {"%menu_prog%", "C:\\Menu\\Programs"},
      {"%desktop%", "C:\\Desk"},
      {"%appdata%", "C:\\AppData"},
      {"%doc%", "C:\\Docs"},
      {"%root%", myComputer},
      {"%control%", myComputer + "\\::{21EC2020-3AEA-1069-A2DD-08002B30309D}"},
      {"%net%", "::{208D2C60-3AEA-1069-A2D7-08002B30309D}"},
      {"%exe%\\Lang", "C:\\Tavion\\Lang"},
  };
  const FakeLaunchSystem system;
  for (const auto& c : cases) EXPECT_EQ(c.expected, ExpandVariables(c.text, system)) << c.text;
}

TEST(ExpandVariables, MatchesAnyCaseAtEveryOccurrence) {
  const FakeLaunchSystem system;
  EXPECT_EQ("C:\\Windows\\notepad.exe", ExpandVariables("%WINDIR%\\notepad.exe", system));
  EXPECT_EQ("C:\\Docs;C:\\Docs;C:\\Docs", ExpandVariables("%doc%;%Doc%;%DOC%", system));
  EXPECT_EQ("x C:\\Tavion y C:\\Temp", ExpandVariables("x %Exe% y %tEmP%", system));
}

TEST(ExpandVariables, AsksOnlyForTheVariablesTheTextHolds) {
  const FakeLaunchSystem system;
  EXPECT_EQ("plain %unknown% 100%", ExpandVariables("plain %unknown% 100%", system));
  EXPECT_TRUE(system.asked.empty());
  ExpandVariables("%sysdir%%exe%", system);
  EXPECT_EQ((std::vector<std::string>{"csidl 37", "exe"}), system.asked);
}

TEST(ExpandVariables, ValuesAreExpandedByTheVariablesThatFollowInOrder) {
  FakeLaunchSystem system;
  system.temp = "%exe%\\tmp";  // "%exe%" comes after "%temp%": expanded too
  system.exe = "%temp%";       // "%temp%" has been replaced already: stays
  EXPECT_EQ("%temp%\\tmp", ExpandVariables("%temp%", system));
  EXPECT_EQ("%temp%", ExpandVariables("%exe%", system));
}

// Answers "value<n>" for the nth question and records the numbers; cancels at `cancelAt`.
struct ScriptedAsker {
  std::vector<int> numbers;
  int cancelAt = 0;
  InputAsker Asker() {
    return [this](int number) -> std::optional<std::string> {
      numbers.push_back(number);
      if (number == cancelAt) return std::nullopt;
      return number == 1 ? "%input%" : "v" + std::to_string(number);
    };
  }
};

TEST(ExpandInput, NumbersTheValuesAndDoesNotSearchThemAgain) {
  ScriptedAsker asker;
  EXPECT_EQ("a %input% b v2 c", ExpandInput("a %input% b %INPUT% c", asker.Asker()));
  EXPECT_EQ((std::vector<int>{1, 2}), asker.numbers);
}

TEST(ExpandInput, TextWithoutInputIsKeptAndNobodyIsAsked) {
  ScriptedAsker asker;
  EXPECT_EQ("%inpu% x", ExpandInput("%inpu% x", asker.Asker()));
  EXPECT_TRUE(asker.numbers.empty());
}

TEST(ExpandInput, CancelFailsAtOnce) {
  ScriptedAsker asker;
  asker.cancelAt = 2;
  EXPECT_EQ(std::nullopt, ExpandInput("%input%%input%%input%", asker.Asker()));
  EXPECT_EQ((std::vector<int>{1, 2}), asker.numbers);
}

TEST(InputCaption, IsTheTranslatedQuestionFollowedByTheNumber) {
  EXPECT_EQ("Input parametr #1", InputCaption(1));
  SetLanguageSource(std::make_shared<FakeLanguage>(
      FakeLanguage::Texts{{{"Strings", "QuestInputParam"}, "Parameter Nr. "}}));
  EXPECT_EQ("Parameter Nr. 12", InputCaption(12));
  SetLanguageSource(nullptr);
}

TEST(FormatDateTime, LettersGiveTheFieldsOfTheMoment) {
  const FakeLaunchSystem system;
  const struct {
    const char* format;
    const char* expected;
  } cases[] = {
      {"d dd ddd dddd", "5 05 Tue Tuesday"},
      {"ddddd|dddddd", "SD5|LD5"},
      {"m mm mmm mmmm", "3 03 Mar March"},
      {"yy yyyy", "24 2024"},
      {"h hh n nn s ss z zzz", "14 14 7 07 9 09 45 045"},
      {"hh:mm:ss", "14:07:09"},  // "m" after an hour is minutes
      {"hh mm", "14 07"},
      {"dd/mm/yyyy", "05/03/2024"},  // "m" after a day is the month again
      {"h:nn am/pm", "2:07 pm"},
      {"h:nn AM/PM", "2:07 PM"},
      {"h a/p", "2 p"},
      {"hh ampm", "02 PM"},
      {"t|tt|c", "ST14|LT14|SD5 LT14"},
      {"'dd' \"mm\" dd", "dd mm 05"},  // quoted text as it is
      {"yyyy-'unclosed", "2024-unclosed"},
      {"[x] #", "[x] #"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, FormatDateTime(c.format, system.now, system)) << c.format;
  }
}

TEST(FormatDateTime, SeparatorsAndNamesComeFromTheLocale) {
  FakeLaunchSystem system;
  system.names.dateSeparator = ".";
  system.names.timeSeparator = "-";
  system.names.longMonths[2] = "März";
  system.names.am = "vorm.";
  LocalDateTime morning = system.now;
  morning.hour = 0;
  EXPECT_EQ("05.03.2024 12-07 vorm. März",
            FormatDateTime("dd/mm/yyyy hh:nn ampm mmmm", morning, system));
}

TEST(DateTimeVariable, EmptyFormatIsLongTimeSlashShortDate) {
  const FakeLaunchSystem system;
  EXPECT_EQ("LT14 / SD5", DateTimeVariable("", system));
  EXPECT_EQ("2024.03.05", DateTimeVariable("yyyy.mm.dd", system));
}

TEST(NextRunningCopy, CyclesInProcessOrderFromTheForegroundOne) {
  const std::vector<uint32_t> ids = {8, 20, 31};
  const struct {
    uint32_t foreground;
    size_t expected;
  } cases[] = {{8, 1}, {20, 2}, {31, 0}, {99, 0}, {0, 0}};
  for (const auto& c : cases) EXPECT_EQ(c.expected, NextRunningCopy(ids, c.foreground));
  EXPECT_EQ(0u, NextRunningCopy(std::vector<uint32_t>{5}, 5));
}

// The dispatcher's host as far as "srun" needs one: actions, beeps and notifications.
class LaunchHost final : public ExecHost {
 public:
  bool StartWorkerThread(std::function<void()>) override { return false; }
  bool ApplicationTerminating() const override { return terminating; }
  TAction* ActionByIndex(int index) override { return actions.At(static_cast<size_t>(index)); }
  void SendExecutionNotification(const std::string& code, int index,
                                 const ExecResult& result) override {
    events.push_back("notify " + code + " " + std::to_string(index));
    notified = result;
  }
  void PostClose() override {}
  void PostRunningCheck() override {}
  void RunProgramCommand(uintptr_t) override {}
  void ShowInformation(const std::string&) override {}
  bool ForegroundIsShellWindow() override { return false; }
  void Beep(uint32_t type) override { events.push_back("beep " + std::to_string(type)); }
  void RequestForegroundLanguage(uint32_t) override {}
  std::string CallPluginAction(const std::string&, const std::string&, Persistent*) override {
    return "nil";
  }
  std::string PluginFolder() const override { return {}; }
  DiagnosticsValues Diagnostics() override { return {}; }

  TActionsList actions;
  std::vector<std::string> events;
  bool terminating = false;
  ExecResult notified;  // what the last notification carried
};

// The dialogs, the shell and the box, recording every call into the host's event list.
class FakeLaunchServices final : public LaunchServices {
 public:
  explicit FakeLaunchServices(std::vector<std::string>& events) : events_(events) {}

  const LaunchSystem& System() const override { return system; }
  bool InputDialogOpen() const override { return dialogOpen; }
  void RaiseInputDialog() override { events_.push_back("raise"); }
  std::optional<std::string> AskInput(const std::string& caption) override {
    events_.push_back("ask " + caption);
    if (answers.empty()) return std::nullopt;
    std::optional<std::string> answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
  bool ActivateRunningCopy(const std::string& path) override {
    events_.push_back("activate " + path);
    return copyRuns;
  }
  intptr_t ShellLaunch(const std::string& verb, const std::string& file,
                       const std::string& parameters, const std::string& folder, int showCommand,
                       uint32_t timeoutMs) override {
    events_.push_back("launch " + verb + "|" + file + "|" + parameters + "|" + folder + "|" +
                      std::to_string(showCommand) + "|" + std::to_string(timeoutMs));
    if (whileLaunching) whileLaunching();
    return launchResult;
  }
  std::string ErrorText(uint32_t code) override { return "text of " + std::to_string(code); }
  void ShowLaunchError(const std::string& text) override { events_.push_back("box " + text); }

  FakeLaunchSystem system;
  bool dialogOpen = false;
  bool copyRuns = false;
  intptr_t launchResult = 42;
  std::function<void()> whileLaunching;
  std::vector<std::optional<std::string>> answers;

 private:
  std::vector<std::string>& events_;
};

class ShellExecuteTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    ClearExecutors();
    SetExecHost(&host);
    RegisterExecutor("srun", [this](ExecContext& context) { RunShellExecute(context, services); });
    TAction& action = host.actions.Add();
    action.SetExec("srun");
    action.SetName("Run probe");
    params = action.ParamsAs<TActionParamsSExec>();
    params->Oper = "open";
    params->Show = 3;
  }
  void TearDown() override {
    SetExecHost(nullptr);
    ClearExecutors();
    SetLanguageSource(nullptr);
    ResetSettings();
  }

  void Run() { ExecuteAction("srun", 0, false); }

  LaunchHost host;
  FakeLaunchServices services{host.events};
  TActionParamsSExec* params = nullptr;
};

TEST_F(ShellExecuteTest, LaunchesTheExpandedPathParametersAndFolder) {
  params->Path = "%WINDIR%\\x.exe";
  params->Parm = "-a %input% %doc%";
  params->Fold = "%temp%";
  services.answers = {"one"};
  Run();
  EXPECT_EQ((std::vector<std::string>{
                "ask Input parametr #1",
                "launch open|C:\\Windows\\x.exe|-a one C:\\Docs|C:\\Temp|3|6000",
                "notify srun 0",
            }),
            host.events);
  EXPECT_EQ("", host.notified.notifyText);
}

TEST_F(ShellExecuteTest, TheEditorsNullVerbIsTheDefaultVerb) {
  params->Path = "x.exe";
  for (const char* verb : {"NULL", "null", ""}) {
    params->Oper = verb;
    host.events.clear();
    Run();
    EXPECT_EQ("launch |x.exe|||3|6000", host.events.at(0)) << verb;
  }
  params->Oper = "Nullify";
  host.events.clear();
  Run();
  EXPECT_EQ("launch Nullify|x.exe|||3|6000", host.events.at(0));
}

TEST_F(ShellExecuteTest, TheInputCounterStartsAgainForEachText) {
  params->Path = "%input%%input%";
  params->Parm = "%input%";
  params->Fold = "%input%";
  services.answers = {"a", "b", "c", "d"};
  Run();
  EXPECT_EQ((std::vector<std::string>{
                "ask Input parametr #1",
                "ask Input parametr #2",
                "ask Input parametr #1",
                "ask Input parametr #1",
                "launch open|ab|c|d|3|6000",
                "notify srun 0",
            }),
            host.events);
}

TEST_F(ShellExecuteTest, CancelledInputAbandonsTheLaunchWithANotification) {
  params->Path = "%input% %input%";
  services.answers = {"a"};  // the second dialog is cancelled
  Run();
  EXPECT_EQ((std::vector<std::string>{
                "ask Input parametr #1",
                "ask Input parametr #2",
                "notify srun 0",
            }),
            host.events);
  EXPECT_EQ("error in variable %input%", host.notified.notifyText);
  EXPECT_FALSE(host.notified.notifyError);
}

TEST_F(ShellExecuteTest, OpenInputDialogIsRaisedAndTheDispatchEndsWithoutNotification) {
  params->Path = "x.exe";
  services.dialogOpen = true;
  Run();
  EXPECT_EQ((std::vector<std::string>{"raise", "beep 0"}), host.events);
  EXPECT_FALSE(Options().Dispatching.load());
}

TEST_F(ShellExecuteTest, FailuresShowTheErrorBoxWithTheirCode) {
  SetLanguageSource(std::make_shared<FakeLanguage>(
      FakeLanguage::Texts{{{"Strings", "ErrorExec"}, "%s|%s|%s|%d|%s"}}));
  params->Path = "%exe%\\missing.exe";
  const struct {
    intptr_t result;
    const char* expectedBox;
  } cases[] = {
      {0, "box Run probe|None|%exe%\\missing.exe|1460|text of 1460"},  // time-out
      {2, "box Run probe|None|%exe%\\missing.exe|2|text of 2"},
      {31, "box Run probe|None|%exe%\\missing.exe|31|text of 31"},
  };
  for (const auto& c : cases) {
    host.events.clear();
    services.launchResult = c.result;
    Run();
    ASSERT_EQ(3u, host.events.size()) << c.result;
    EXPECT_EQ(c.expectedBox, host.events[1]);
  }
  host.events.clear();
  services.launchResult = 33;
  Run();
  EXPECT_EQ(2u, host.events.size());  // launch, notify: no box

  // The program began to end while the launch was waited for: the wait gave up, nothing failed.
  host.events.clear();
  services.launchResult = 0;
  services.whileLaunching = [this] { host.terminating = true; };
  Run();
  EXPECT_EQ(2u, host.events.size()) << host.events.back();
}

TEST_F(ShellExecuteTest, DefaultErrorTextNamesEveryField) {
  params->Path = "q.exe";
  EXPECT_EQ(
      "Error on action execute:\r\raction:\t\tRun probe\rhot key:\t\tNone\rfile/path:\t\tq.exe"
      "\rcode:\t\t2\rstring:\t\tsystem text",
      LaunchErrorText(host.actions.At(0), 2, "system text"));
  EXPECT_EQ(
      "Error on action execute:\r\raction:\t\t\rhot key:\t\t\rfile/path:\t\t\rcode:\t\t5"
      "\rstring:\t\t",
      LaunchErrorText(nullptr, 5, ""));
}

TEST_F(ShellExecuteTest, RunningCopyIsActivatedInsteadOfLaunchingWhenSwitchIsSet) {
  params->Path = "%exe%\\app.exe";
  params->Switch = true;
  services.copyRuns = true;
  Run();
  EXPECT_EQ((std::vector<std::string>{"activate C:\\Tavion\\app.exe", "notify srun 0"}),
            host.events);

  host.events.clear();
  services.copyRuns = false;
  Run();
  EXPECT_EQ((std::vector<std::string>{"activate C:\\Tavion\\app.exe",
                                      "launch open|C:\\Tavion\\app.exe|||3|6000", "notify srun 0"}),
            host.events);
}

TEST_F(ShellExecuteTest, WithoutAnActionNothingIsLaunched) {
  ExecuteAction("srun", -1, false);
  EXPECT_EQ((std::vector<std::string>{"notify srun -1"}), host.events);
}

}  // namespace
}  // namespace tavion
