// Windows Media Player, foobar2000 and Media Player Classic: application commands, their own
// commands and keys, and foobar2000's shuffle through its program.

#include <fstream>

#include "wine/players/player_fixture.h"

#include "base/utf_win.h"
#include "settings/settings.h"

namespace players_test {
namespace {

using tavion::Settings;

class AppCommandPlayerTest : public PlayerTest {};

Message AppCommand(HWND player, WORD command) {
  return {player, WM_APPCOMMAND, true, reinterpret_cast<WPARAM>(player),
          static_cast<LPARAM>(MAKELONG(0, command))};
}

TEST_F(AppCommandPlayerTest, EachPlayerGetsItsCommands) {
  struct Family {
    int type;
    const wchar_t* set;
    const wchar_t* windowClass;
  };
  const Family families[] = {
      {tavion::kPlayerWindowsMediaPlayer, L"wmp", L"WMPlayerApp"},
      {tavion::kPlayerFoobar2000, L"foobar", L"{DA7CD0DE-1602-45e6-89A1-C2CA151E008E}"},
      {tavion::kPlayerFoobar2000, L"foobar1", L"{DA7CD0DE-1602-45e6-89A1-C2CA151E008E}/1"},
      {tavion::kPlayerMediaPlayerClassic, L"mpc", L"MediaPlayerClassicW"},
  };
  for (const Family& family : families) {
    StartDouble({family.set});
    const HWND p = Window(family.windowClass);
    ASSERT_NE(nullptr, p);
    const bool wmp = family.type == tavion::kPlayerWindowsMediaPlayer;
    const bool foobar = family.type == tavion::kPlayerFoobar2000;
    struct Case {
      const char* code;
      std::vector<Message> expected;
      const char* notify;  // the text reported after the code
    };
    const std::string unsupported = "Error: unknown player action - ";
    std::vector<Case> cases = {
        {"wa_prev", {AppCommand(p, 12)}, ""},
        {"wa_stop", {AppCommand(p, 13)}, ""},
        {"wa_next", {AppCommand(p, 11)}, ""},
        {"wa_play", {AppCommand(p, 14)}, ""},
        {"wa_song", {}, ""},
        {"wa_jump", {}, "Error: unknown player action - wa_jump"},
    };
    if (wmp) {
      cases.push_back({"wa_loop", {{p, WM_COMMAND, true, 18843, 0}}, ""});
      cases.push_back({"wa_rand", {{p, WM_COMMAND, true, 18842, 0}}, ""});
      cases.push_back({"wa_wvup", {{p, WM_COMMAND, true, 18815, 0}}, ""});
      cases.push_back({"wa_wvdw", {{p, WM_COMMAND, true, 18816, 0}}, ""});
      cases.push_back({"wa_shw3", {{p, WM_COMMAND, false, 18783, 0}}, ""});
    } else if (foobar) {
      cases.push_back({"wa_wvup", {}, "Error: unknown player action - wa_wvup"});
      cases.push_back({"wa_wvdw", {}, "Error: unknown player action - wa_wvdw"});
      cases.push_back({"wa_loop", {}, "Error: unknown player action - wa_loop"});
    } else {
      cases.push_back({"wa_wvup", {AppCommand(p, 10)}, ""});
      cases.push_back({"wa_wvdw", {AppCommand(p, 9)}, ""});
      cases.push_back({"wa_rand", {}, "Error: unknown player action - wa_rand"});
      cases.push_back({"wa_shw3", {}, ""});  // Ctrl+7 by the key sender
    }
    for (const Case& c : cases) {
      ClearMessages();
      notified_.notifyText.clear();
      Run(family.type, c.code);
      const std::string context = std::string(c.code) + " type " + std::to_string(family.type);
      ExpectMessages(c.expected, context);
      EXPECT_EQ(c.notify, notified_.notifyText) << context;
    }
    if (family.type == tavion::kPlayerMediaPlayerClassic)
      EXPECT_EQ((std::vector<SentKeys>{{2, '7', p}}), keys_);
    else
      EXPECT_TRUE(keys_.empty());
    keys_.clear();
    StopDoubles();
  }
}

TEST_F(AppCommandPlayerTest, ShowHideRestoresOrMinimises) {
  StartDouble({L"wmp"});
  const HWND player = Window(L"WMPlayerApp");
  ASSERT_TRUE(MakeForeground(OtherWindow()));
  Run(tavion::kPlayerWindowsMediaPlayer, "wa_s/\\h");
  ExpectMessages({{player, WM_SYSCOMMAND, false, SC_RESTORE, 0}}, "background player");
  EXPECT_EQ(player, ForegroundSoon(player));

  ClearMessages();
  Run(tavion::kPlayerWindowsMediaPlayer, "wa_s/\\h");
  ExpectMessages({{player, WM_SYSCOMMAND, false, SC_MINIMIZE, 0}}, "foreground player");

  // Focus: restored by a sent command when in the background, then brought forward.
  ClearMessages();
  ShowWindow(player, SW_RESTORE);
  ASSERT_TRUE(MakeForeground(OtherWindow()));
  ClearMessages();
  Run(tavion::kPlayerWindowsMediaPlayer, "wa_focs");
  ExpectMessages({{player, WM_SYSCOMMAND, true, SC_RESTORE, 0}}, "focus");
  EXPECT_EQ(player, ForegroundSoon(player));
}

TEST_F(AppCommandPlayerTest, Foobar2000ShuffleStartsItsProgram) {
  StartDouble({L"foobar"});
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"tavion foobar folder";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring exe = folder + L"\\foobar2000.exe";
  { std::ofstream(exe.c_str()) << "x"; }
  wchar_t shortExe[MAX_PATH] = {};
  GetShortPathNameW(exe.c_str(), shortExe, MAX_PATH);

  foobarDir_ = tavion::WideToUtf8(folder);
  Run(tavion::kPlayerFoobar2000, "wa_rand");
  ASSERT_EQ(1u, shellCalls_.size());
  EXPECT_EQ(tavion::WideToUtf8(shortExe) + "|open|/rand|0", shellCalls_[0]);
  EXPECT_EQ("", notified_.notifyText);

  // Without the install folder, a player path that names foobar serves.
  foobarDir_.clear();
  options_.playerPath = tavion::WideToUtf8(exe);
  Run(tavion::kPlayerFoobar2000, "wa_rand");
  ASSERT_EQ(2u, shellCalls_.size());
  EXPECT_EQ(options_.playerPath + "|open|/rand|0", shellCalls_[1]);

  // A path that exists but is not foobar2000 does not.
  const std::string self = SelfPath();
  options_.playerPath = self;
  Run(tavion::kPlayerFoobar2000, "wa_rand");
  EXPECT_EQ(2u, shellCalls_.size());
  EXPECT_EQ("Error: can't find foobar2000.exe", notified_.notifyText);
  ExpectMessages({}, "shuffle sends nothing to the window");

  DeleteFileW(exe.c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST_F(AppCommandPlayerTest, WithoutAPlayerOnlyPlayAndLaunchStartIt) {
  options_.playerPath = "C:\\no\\such\\player.exe";
  Run(tavion::kPlayerWindowsMediaPlayer, "wa_next");
  EXPECT_EQ("Media Player not started", notified_.notifyText);
  Run(tavion::kPlayerWindowsMediaPlayer, "wa_focs");
  EXPECT_EQ("Media Player not started", notified_.notifyText);
  Run(tavion::kPlayerWindowsMediaPlayer, "wa_play");
  EXPECT_EQ("Incorrect path to Winamp", notified_.notifyText);
  EXPECT_TRUE(launched_.empty());

  const std::string self = SelfPath();
  options_.playerPath = self;
  notified_.notifyText.clear();
  Run(tavion::kPlayerMediaPlayerClassic, "wa_wamp");
  EXPECT_EQ(std::vector<std::string>{self}, launched_);
  EXPECT_EQ("", notified_.notifyText);
}

}  // namespace
}  // namespace players_test
