#include "exec/launch.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "actions/action.h"
#include "actions/params.h"
#include "native/support/fake_host.h"
#include "native/support/fake_language.h"
#include "lang/lang.h"
#include "settings/settings.h"

namespace tavion {
namespace {

using Events = std::vector<std::string>;

// Shell folder n is "Fn", with a backslash when n is even, and the documents folder is missing;
// the locale's texts carry a field of the moment, to show which moment was passed.
class FakeLaunchSystem final : public LaunchSystem {
 public:
  std::string TempFolder() const override { return "C:\\Temp\\"; }
  std::string ShellFolder(int csidl) const override {
    return csidl == kFolderPersonal ? "" : "F" + std::to_string(csidl) + (csidl % 2 ? "" : "\\");
  }
  std::string ProgramFolder() const override { return "C:\\Tavion\\"; }
  LocalDateTime Now() const override { return now; }
  DateTimeNames Names() const override { return names; }
  using M = const LocalDateTime&;
  std::string LongTimeText(M m) const override { return "LT" + std::to_string(m.hour); }
  std::string ShortDateText(M m) const override { return "SD" + std::to_string(m.day); }
  std::string LongDateText(M m) const override { return "LD" + std::to_string(m.day); }
  std::string ShortTimeText(M m) const override { return "ST" + std::to_string(m.hour); }

  // Tuesday 5 March 2024, 14:07:09.045.
  LocalDateTime now{2024, 3, 5, 2, 14, 7, 9, 45};
  DateTimeNames names;
};

TEST(ExpandVariables, EachVariableInAnyCaseBecomesItsValueWithoutTrailingBackslash) {
  const FakeLaunchSystem system;
  EXPECT_EQ("F36\\notepad.exe|F37|F26|;",
            ExpandVariables("%WINDIR%\\notepad.exe|%sysdir%|%appdata%|%doc%;%Doc%", system));
  const std::string myComputer = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
  EXPECT_EQ(myComputer + "|" + myComputer + "\\::{21EC2020-3AEA-1069-A2DD-08002B30309D}|" +
                "::{208D2C60-3AEA-1069-A2D7-08002B30309D}",
            ExpandVariables("%root%|%control%|%net%", system));
}

TEST(FormatDateTime, LettersGiveTheFieldsOfTheMoment) {
  FakeLaunchSystem system;
  const std::pair<const char*, const char*> cases[] = {
      {"ddddd|dddddd|t|tt|c", "SD5|LD5|ST14|LT14|SD5 LT14"},
      {"m mm mmm mmmm yy yyyy", "3 03 Mar March 24 2024"},
      {"hh:mm:ss|hh mm", "14:07:09|14 07"},  // "m" after an hour is minutes
      {"h:nn am/pm|AM/PM|h a/p|hh ampm", "2:07 pm|PM|2 p|02 PM"},
      {"'dd' \"mm\" dd", "dd mm 05"},  // quoted text as it is
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
  EXPECT_EQ(
      (std::vector<std::string>{"day6", "day0", "Mrz", "Mon", ".", "/"}),
      (std::vector<std::string>{names.longDays[0], names.longDays[1], names.shortMonths[2],
                                names.shortDays[1], names.timeSeparator, names.dateSeparator}));
}

TEST(NextRunningCopy, CyclesInProcessOrderFromTheForegroundOne) {
  const std::vector<uint32_t> ids = {8, 20, 31};
  const std::pair<uint32_t, size_t> cases[] = {{8, 1}, {31, 0}, {99, 0}};
  for (const auto& [foreground, expected] : cases)
    EXPECT_EQ(expected, NextRunningCopy(ids, foreground)) << foreground;
}

// The dispatcher's host and the launch services as far as "srun" needs them.
class ShellExecuteTest : public testing::Test, public test::FakeExecHost, public LaunchServices {
 protected:
  void SetUp() override {
    ResetSettings();
    ClearExecutors();
    SetExecHost(this);
    RegisterExecutor("srun", [this](ExecContext& context) { RunShellExecute(context, *this); });
    params = AddAction("srun", "Run probe").ParamsAs<TActionParamsSExec>();
    params->Oper = "open";
    params->Show = 3;
  }
  void TearDown() override {
    SetExecHost(nullptr);
    ClearExecutors();
    SetLanguageSource(nullptr);
    ResetSettings();
  }
  Events Run() {
    ExecuteAction("srun", 0, false);
    return Take();
  }

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

  TActionParamsSExec* params = nullptr;
  FakeLaunchSystem system;
  std::vector<std::string> answers;
  bool dialogOpen = false, copyRuns = false, endWhileLaunching = false;
  intptr_t launchResult = 42;
};

TEST_F(ShellExecuteTest, FailuresShowTheErrorBoxWithTheirCode) {
  SetLanguageSource(std::make_shared<FakeLanguage>(
      FakeLanguage::Texts{{{"Strings", "ErrorExec"}, "%s|%s|%s|%d|%s"}}));
  params->Path = "%exe%\\missing.exe";
  // The launch's result, whether the program began to end while it was waited for (then nothing
  // failed), the event after the launch.
  const std::tuple<intptr_t, bool, const char*> cases[] = {
      {0, false, "box Run probe|None|%exe%\\missing.exe|1460|text of 1460"},  // time-out
      {32, false, "box Run probe|None|%exe%\\missing.exe|32|text of 32"},
      {33, false, "notify srun 0"},
      {0, true, "notify srun 0"},
  };
  for (const auto& [result, ending, expected] : cases) {
    launchResult = result;
    endWhileLaunching = ending;
    EXPECT_EQ(expected, Run().at(1)) << result;
  }
  SetLanguageSource(nullptr);
  EXPECT_EQ(
      "Error on action execute:\r\raction:\t\t\rhot key:\t\t\rfile/path:\t\t\rcode:\t\t5"
      "\rstring:\t\tsystem text",
      LaunchErrorText(nullptr, 5, "system text"));
}

}  // namespace
}  // namespace tavion
