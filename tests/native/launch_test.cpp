#include "exec/launch.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "actions/action.h"
#include "actions/params.h"
#include "native/support/fake_language.h"
#include "lang/lang.h"
#include "settings/settings.h"

namespace tavion {
namespace {

// Folders and a clock with known values; records which folders were asked for.
class FakeLaunchSystem final : public LaunchSystem {
 public:
  std::string TempFolder() const override { return Asked("temp", temp); }
  std::string ShellFolder(int csidl) const override {
    const auto found = folders.find(csidl);
    return Asked("csidl " + std::to_string(csidl), found == folders.end() ? "" : found->second);
  }
  std::string ProgramFolder() const override { return Asked("exe", exe); }
  LocalDateTime Now() const override { return now; }
  DateTimeNames Names() const override { return names; }
  // The locale's texts carry a field of the moment, to show which moment was passed.
  std::string LongTimeText(const LocalDateTime& m) const override { return "LT" + Hour(m); }
  std::string ShortDateText(const LocalDateTime& m) const override { return "SD" + Day(m); }
  std::string LongDateText(const LocalDateTime& m) const override { return "LD" + Day(m); }
  std::string ShortTimeText(const LocalDateTime& m) const override { return "ST" + Hour(m); }
  static std::string Hour(const LocalDateTime& m) { return std::to_string(m.hour); }
  static std::string Day(const LocalDateTime& m) { return std::to_string(m.day); }
  std::string Asked(std::string what, std::string value) const {
    asked.push_back(std::move(what));
    return value;
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
  LocalDateTime now{2024, 3, 5, 2, 14, 7, 9, 45};
  DateTimeNames names;
  mutable std::vector<std::string> asked;
};

TEST(ExpandVariables, EachVariableInAnyCaseBecomesItsValueWithoutTrailingBackslash) {
  const std::string myComputer = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
  const std::pair<const char*, std::string> cases[] = {
      {"%temp%\\a.txt", "C:\\Temp\\a.txt"},
      {"%WINDIR%\\notepad.exe", "C:\\Windows\\notepad.exe"},
      {"%sysdir%", "C:\\Windows\\system32"},
      {"%programmes%|%menu_prog%|%desktop%", "C:\\Program|C:\\Menu\\Programs|C:\\Desk"},
      {"%appdata%|%doc%;%Doc%", "C:\\AppData|C:\\Docs;C:\\Docs"},
      {"%root%", myComputer},
      {"%control%", myComputer + "\\::{21EC2020-3AEA-1069-A2DD-08002B30309D}"},
      {"%net%", "::{208D2C60-3AEA-1069-A2D7-08002B30309D}"},
      {"x %Exe%\\Lang", "x C:\\Tavion\\Lang"},
      {"plain %unknown% 100%", "plain %unknown% 100%"},
  };
  for (const auto& [text, expected] : cases) {
    const FakeLaunchSystem system;
    EXPECT_EQ(expected, ExpandVariables(text, system)) << text;
  }
  const FakeLaunchSystem system;
  ExpandVariables("%sysdir%%exe% %unknown%", system);
  EXPECT_EQ((std::vector<std::string>{"csidl 37", "exe"}), system.asked) << "only what is used";
}

TEST(ExpandVariables, ValuesAreExpandedByTheVariablesThatFollowInOrder) {
  FakeLaunchSystem system;
  system.temp = "%exe%\\tmp";  // "%exe%" comes after "%temp%": expanded too
  system.exe = "%temp%";       // "%temp%" has been replaced already: stays
  EXPECT_EQ("%temp%\\tmp", ExpandVariables("%temp%", system));
  EXPECT_EQ("%temp%", ExpandVariables("%exe%", system));
}

TEST(ExpandInput, NumbersTheQuestionsNeverSearchesAnAnswerAndStopsAtACancel) {
  std::vector<int> asked;
  const auto asker = [&](int number) -> std::optional<std::string> {
    asked.push_back(number);
    if (number == 3) return std::nullopt;
    return number == 1 ? "%input%" : "v" + std::to_string(number);
  };
  EXPECT_EQ("a %input% b v2 c", ExpandInput("a %input% b %INPUT% c", asker));
  EXPECT_EQ("%inpu% x", ExpandInput("%inpu% x", asker));
  EXPECT_EQ((std::vector<int>{1, 2}), asked);
  EXPECT_EQ(std::nullopt, ExpandInput("%input%%input%%input%%input%", asker));
  EXPECT_EQ((std::vector<int>{1, 2, 1, 2, 3}), asked);
}

TEST(FormatDateTime, LettersGiveTheFieldsOfTheMoment) {
  FakeLaunchSystem system;
  const std::pair<const char*, const char*> cases[] = {
      {"d dd ddd dddd", "5 05 Tue Tuesday"},
      {"ddddd|dddddd|t|tt|c", "SD5|LD5|ST14|LT14|SD5 LT14"},
      {"m mm mmm mmmm yy yyyy", "3 03 Mar March 24 2024"},
      {"h hh n nn s ss z zzz", "14 14 7 07 9 09 45 045"},
      {"hh:mm:ss|hh mm", "14:07:09|14 07"},  // "m" after an hour is minutes
      {"dd/mm/yyyy", "05/03/2024"},          // "m" after a day is the month again
      {"h:nn am/pm|AM/PM|h a/p|hh ampm", "2:07 pm|PM|2 p|02 PM"},
      {"'dd' \"mm\" dd", "dd mm 05"},  // quoted text as it is
      {"yyyy-'unclosed [x] #", "2024-unclosed [x] #"},
  };
  for (const auto& [format, expected] : cases)
    EXPECT_EQ(expected, FormatDateTime(format, system.now, system)) << format;
  EXPECT_EQ("LT14 / SD5", DateTimeVariable("", system));

  system.names.dateSeparator = ".";
  system.names.am = "vorm.";
  LocalDateTime midnight = system.now;
  midnight.hour = 0;
  EXPECT_EQ("05.03.2024 12 vorm. AM", FormatDateTime("dd/mm/yyyy hh ampm AM/PM", midnight, system));
}

TEST(LocaleDateTimeNames, TheLocalesMondayFirstDaysBecomeSundayFirstAndGapsKeepEnglish) {
  const DateTimeNames names = LocaleDateTimeNames([](LocaleName name, int index) {
    if (name == LocaleName::kLongDay) return "day" + std::to_string(index);
    if (name == LocaleName::kShortMonth && index == 2) return std::string("Mrz");
    return name == LocaleName::kTimeSeparator ? std::string(".") : std::string();
  });
  EXPECT_EQ("day0", names.longDays[1]);  // Monday
  EXPECT_EQ("day6", names.longDays[0]);  // Sunday
  EXPECT_EQ("Mrz", names.shortMonths[2]);
  EXPECT_EQ("Mon", names.shortDays[1]);
  EXPECT_EQ(".", names.timeSeparator);
  EXPECT_EQ("/", names.dateSeparator);
}

TEST(NextRunningCopy, CyclesInProcessOrderFromTheForegroundOne) {
  const std::vector<uint32_t> ids = {8, 20, 31};
  const std::pair<uint32_t, size_t> cases[] = {{8, 1}, {20, 2}, {31, 0}, {99, 0}};
  for (const auto& [foreground, expected] : cases)
    EXPECT_EQ(expected, NextRunningCopy(ids, foreground)) << foreground;
}

// The dispatcher's host and the launch services as far as "srun" needs them;
// every call is recorded in `events`.
class ShellExecuteTest : public testing::Test, public ExecHost, public LaunchServices {
 protected:
  void SetUp() override {
    ResetSettings();
    ClearExecutors();
    SetExecHost(this);
    RegisterExecutor("srun", [this](ExecContext& context) { RunShellExecute(context, *this); });
    TAction& action = actions.Add();
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
  std::vector<std::string> Run() {
    events.clear();
    ExecuteAction("srun", 0, false);
    return events;
  }

  bool StartWorkerThread(std::function<void()>) override { return false; }
  bool ApplicationTerminating() const override { return terminating; }
  TAction* ActionByIndex(int index) override { return actions.At(static_cast<size_t>(index)); }
  void SendExecutionNotification(const std::string& code, int index,
                                 const ExecResult& result) override {
    events.push_back("notify " + code + " " + std::to_string(index) + " " + result.notifyText);
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

  const LaunchSystem& System() const override { return system; }
  bool InputDialogOpen() const override { return dialogOpen; }
  void RaiseInputDialog() override { events.push_back("raise"); }
  std::optional<std::string> AskInput(const std::string& caption) override {
    events.push_back("ask " + caption);
    if (answers.empty()) return std::nullopt;
    std::string answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
  bool ActivateRunningCopy(const std::string& path) override {
    events.push_back("activate " + path);
    return copyRuns;
  }
  intptr_t ShellLaunch(const std::string& verb, const std::string& file,
                       const std::string& parameters, const std::string& folder, int showCommand,
                       uint32_t timeoutMs) override {
    events.push_back("launch " + verb + "|" + file + "|" + parameters + "|" + folder + "|" +
                     std::to_string(showCommand) + "|" + std::to_string(timeoutMs));
    if (endWhileLaunching) terminating = true;
    return launchResult;
  }
  std::string ErrorText(uint32_t code) override { return "text of " + std::to_string(code); }
  void ShowLaunchError(const std::string& text) override { events.push_back("box " + text); }

  TActionsList actions;
  TActionParamsSExec* params = nullptr;
  FakeLaunchSystem system;
  std::vector<std::string> events;
  std::vector<std::string> answers;
  bool terminating = false, dialogOpen = false, copyRuns = false, endWhileLaunching = false;
  intptr_t launchResult = 42;
};

TEST_F(ShellExecuteTest, LaunchesTheExpandedTextsAskingEachTextsInputFromOne) {
  params->Path = "%WINDIR%\\%input%%input%.exe";
  params->Parm = "-a %input% %doc%";
  params->Fold = "%temp%";
  answers = {"a", "b", "c"};
  EXPECT_EQ((std::vector<std::string>{
                "ask Input parametr #1", "ask Input parametr #2", "ask Input parametr #1",
                "launch open|C:\\Windows\\ab.exe|-a c C:\\Docs|C:\\Temp|3|6000", "notify srun 0 "}),
            Run());
  answers = {"a"};  // the second question is cancelled
  EXPECT_EQ((std::vector<std::string>{"ask Input parametr #1", "ask Input parametr #2",
                                      "notify srun 0 error in variable %input%"}),
            Run());
}

TEST_F(ShellExecuteTest, TheEditorsNullVerbIsTheDefaultVerb) {
  params->Path = "x.exe";
  for (const char* verb : {"NULL", "null", "", "Nullify"}) {
    params->Oper = verb;
    const std::string expectedVerb = verb == std::string("Nullify") ? verb : "";
    EXPECT_EQ("launch " + expectedVerb + "|x.exe|||3|6000", Run().at(0)) << verb;
  }
}

TEST_F(ShellExecuteTest, AnOpenInputDialogIsRaisedAndTheRequestEndsWithoutNotification) {
  params->Path = "x.exe";
  dialogOpen = true;
  EXPECT_EQ((std::vector<std::string>{"raise", "beep 0"}), Run());
  EXPECT_FALSE(Options().Dispatching.load());
}

TEST_F(ShellExecuteTest, FailuresShowTheErrorBoxWithTheirCode) {
  SetLanguageSource(std::make_shared<FakeLanguage>(
      FakeLanguage::Texts{{{"Strings", "ErrorExec"}, "%s|%s|%s|%d|%s"}}));
  params->Path = "%exe%\\missing.exe";
  const std::pair<intptr_t, const char*> cases[] = {
      {0, "box Run probe|None|%exe%\\missing.exe|1460|text of 1460"},  // time-out
      {32, "box Run probe|None|%exe%\\missing.exe|32|text of 32"},
      {33, "notify srun 0 "},
  };
  for (const auto& [result, expected] : cases) {
    launchResult = result;
    EXPECT_EQ(expected, Run().at(1)) << result;
  }
  // The program began to end while the launch was waited for: nothing failed.
  launchResult = 0;
  endWhileLaunching = true;
  EXPECT_EQ(2u, Run().size()) << events.back();
  SetLanguageSource(nullptr);
  params->Path = "q";
  EXPECT_EQ(
      "Error on action execute:\r\raction:\t\tRun probe\rhot "
      "key:\t\tNone\rfile/path:\t\tq"
      "\rcode:\t\t2\rstring:\t\tsystem text",
      LaunchErrorText(actions.At(0), 2, "system text"));
  EXPECT_EQ(
      "Error on action execute:\r\raction:\t\t\rhot "
      "key:\t\t\rfile/path:\t\t\rcode:\t\t5"
      "\rstring:\t\t",
      LaunchErrorText(nullptr, 5, ""));
}

TEST_F(ShellExecuteTest, WithoutAnActionNothingIsLaunched) {
  ExecuteAction("srun", -1, false);
  EXPECT_EQ(std::vector<std::string>{"notify srun -1 "}, events);
}

TEST_F(ShellExecuteTest, ARunningCopyIsActivatedInsteadOfLaunchingWhenSwitchIsSet) {
  params->Path = "%exe%\\app.exe";
  params->Switch = true;
  copyRuns = true;
  EXPECT_EQ((std::vector<std::string>{"activate C:\\Tavion\\app.exe", "notify srun 0 "}), Run());
  copyRuns = false;
  EXPECT_EQ("launch open|C:\\Tavion\\app.exe|||3|6000", Run().at(1));
}

}  // namespace
}  // namespace tavion
