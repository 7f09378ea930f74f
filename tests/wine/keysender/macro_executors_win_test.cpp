#include "exec/macro_executors_win.h"

#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <string>
#include <vector>

#include "actions/action.h"
#include "exec/dispatcher.h"
#include "macros/macro_format.h"
#include "receiver_fixture.h"
#include "settings/registry_win.h"
#include "settings/settings.h"

namespace tavion {
namespace {

using keysender_test::Receiver;

// The dispatcher's view of the program: the actions, and the notification, which keeps the
// error text as the OSD would show it.
class ActionsHost final : public ExecHost {
 public:
  bool StartWorkerThread(std::function<void()>) override { return false; }
  bool ApplicationTerminating() const override { return false; }
  TAction* ActionByIndex(int index) override { return actions.At(static_cast<std::size_t>(index)); }
  void SendExecutionNotification(const std::string&, int, const ExecResult& result) override {
    notified.push_back(result.notifyError ? result.notifyText : std::string());
  }
  void PostClose() override {}
  void PostRunningCheck() override {}
  void RunProgramCommand(uintptr_t) override {}
  void ShowInformation(const std::string&) override {}
  bool ForegroundIsShellWindow() override { return false; }
  void Beep(uint32_t) override {}
  void RequestForegroundLanguage(uint32_t) override {}
  std::string CallPluginAction(const std::string&, const std::string&, Persistent*) override {
    return "nil";
  }
  std::string PluginFolder() const override { return "C:\\PlugIns"; }
  DiagnosticsValues Diagnostics() override { return {}; }

  TActionsList actions;
  std::vector<std::string> notified;  // the error text of each run, empty when none
};

class MacroExecutorsTest : public keysender_test::ReceiverTest {
 protected:
  void SetUp() override {
    ReceiverTest::SetUp();
    SetExecHost(&host_);
    SetKeySenderServices({&store_, nullptr});
    RegisterMacroExecutors({&store_, {}, [] { return std::string("12:00"); }});
  }

  void TearDown() override {
    ClearExecutors();
    SetExecHost(nullptr);
    SetKeySenderServices({});
    for (const std::string& file : files_) DeleteFileA(file.c_str());
  }

  TActionParamsMacrText& AddTextAction() {
    TAction& action = host_.actions.Add();
    action.SetExec("mc_text");
    action.SetActionParamsMode(TActionParamsMode::pmMacrText);
    return *action.ParamsAs<TActionParamsMacrText>();
  }

  TActionParamsMacr& AddMacroAction() {
    TAction& action = host_.actions.Add();
    action.SetExec("mc_play");
    action.SetActionParamsMode(TActionParamsMode::pmMacr);
    return *action.ParamsAs<TActionParamsMacr>();
  }

  std::string WriteFile(const std::string& name, const std::string& bytes) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + name;
    std::ofstream(path, std::ios::binary) << bytes;
    files_.push_back(path);
    return path;
  }

  // Runs the last action added on this thread and returns the characters typed.
  std::wstring RunLast() {
    ExecuteAction(host_.actions.At(host_.actions.Count() - 1)->Exec(),
                  static_cast<int32_t>(host_.actions.Count() - 1), false);
    Receiver::Settle(200);
    return receiver_->Chars();
  }

  ActionsHost host_;
  Win32Registry store_{HKEY_CURRENT_USER, kSettingsRootPath};
  std::vector<std::string> files_;
};

TEST_F(MacroExecutorsTest, TypeTextExpandsTheDateTimeAndDropsTheFinalLineBreak) {
  TActionParamsMacrText& params = AddTextAction();
  params.Text = "at %DATETIME%\r\nok\r\n";
  EXPECT_EQ(L"at 12:00\rok", RunLast());
  EXPECT_EQ(std::vector<std::string>{""}, host_.notified);
}

TEST_F(MacroExecutorsTest, Utf8FileLosesOnlyARealByteOrderMarkAndEndsLinesAsAnsiDoes) {
  struct Case {
    std::string bytes;
    std::wstring typed;
  };
  const Case cases[] = {
      {"Hi", L"Hi"},         {"\xEF\xBB\xBFOk", L"Ok"}, {"\xC3\xA9t\xC3\xA9", L"\u00E9t\u00E9"},
      {"\xEF\xBB\xBF", L""}, {"a\nb\n", L"a\rb"},       {"a\r\nb\rc", L"a\rb\rc"},
  };
  for (const Case& c : cases) {
    TActionParamsMacrText& params = AddTextAction();
    params.Mode = 1;
    params.FileEncoding = 1;
    params.FileName = WriteFile("keysender_utf8.txt", c.bytes);
    receiver_->Clear();
    EXPECT_EQ(c.typed, RunLast()) << c.bytes;
  }
}

TEST_F(MacroExecutorsTest, ALongTextStopsAtAKeyOfTheUserAndIsNotRepeated) {
  constexpr std::size_t kLength = 5000;
  AddTextAction().Text = std::string(kLength, 'x');
  auto user = std::async(std::launch::async, [] {
    Receiver::WaitFor([] { return receiver_->CharCount() >= 300; }, 60000);
    keysender_test::UserKey(VK_F13, false);
    keysender_test::UserKey(VK_F13, true);
  });
  const int32_t twoRepeats = 0 | 2 << 16;
  ExecuteAction("mc_text", twoRepeats, false);
  user.wait();
  Receiver::Settle(150);
  EXPECT_GE(receiver_->CharCount(), 300u);
  EXPECT_LT(receiver_->CharCount(), kLength);
  EXPECT_FALSE(Settings().MacroPlaying);
}

TEST_F(MacroExecutorsTest, AnsiFileIsTypedLineByLine) {
  TActionParamsMacrText& params = AddTextAction();
  params.Mode = 1;
  params.FileName = WriteFile("keysender_ansi.txt", "one\ntwo %datetime%\n");
  EXPECT_EQ(L"one\rtwo 12:00", RunLast());
}

TEST_F(MacroExecutorsTest, MissingFileAndMissingMacroAreReported) {
  TActionParamsMacrText& text = AddTextAction();
  text.Mode = 1;
  text.FileName = "C:\\no such folder\\gone.txt";
  RunLast();
  AddMacroAction().Name = "Ghost";
  RunLast();
  const std::vector<std::string> expected = {"File not found - C:\\no such folder\\gone.txt",
                                             "Error: can't find settings for macros - Ghost"};
  EXPECT_EQ(expected, host_.notified);
  EXPECT_TRUE(receiver_->Chars().empty());
}

TEST_F(MacroExecutorsTest, PlayMacroFindsANameOutsideTheAnsiCodePage) {
  const std::string name = "Hey \xE2\x98\xBA";  // a smiley: no ANSI code page has it
  ASSERT_TRUE(WriteMacroItems(
      store_, name,
      std::vector<std::string>{"", PlaybackSettingsText({0, false, false, true, false}),
                               MacroEventItem({'H', 35, false, false, 0}),
                               MacroEventItem({'H', 35, false, true, 0})}));
  AddMacroAction().Name = name;
  EXPECT_EQ(L"h", RunLast());
  EXPECT_EQ(std::vector<std::string>{""}, host_.notified);
}

TEST_F(MacroExecutorsTest, StoppedMacroIsNotRepeatedACompletedOneIs) {
  std::vector<std::string> items = {"", PlaybackSettingsText({-1, false, false, true, false})};
  for (int i = 0; i < 10; ++i) {
    items.push_back(MacroEventItem({'Z', 44, false, false, 30}));
    items.push_back(MacroEventItem({'Z', 44, false, true, 0}));
  }
  ASSERT_TRUE(WriteMacroItems(store_, "Zs", items));
  AddMacroAction().Name = "Zs";
  const int32_t twoRepeats = 0 | 2 << 16;

  ExecuteAction("mc_play", twoRepeats, false);
  Receiver::Settle(150);
  EXPECT_EQ(std::wstring(30, L'z'), receiver_->Chars());

  receiver_->Clear();
  auto user = std::async(std::launch::async, [] {
    Sleep(150);
    keysender_test::UserKey(VK_F13, false);
    keysender_test::UserKey(VK_F13, true);
  });
  ExecuteAction("mc_play", twoRepeats, false);
  user.wait();
  Receiver::Settle(150);
  EXPECT_LT(receiver_->Chars().size(), 10u);
  EXPECT_FALSE(Settings().MacroPlaying);
}

}  // namespace
}  // namespace tavion
