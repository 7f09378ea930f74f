// BSPlayer: WM_USER+2 commands, its keys, play with the state query, and the launch paths.

#include "wine/players/player_fixture.h"

#include "settings/settings.h"

namespace players_test {
namespace {

using tavion::Settings;

class BSPlayerTest : public PlayerTest {};

constexpr UINT kBS = WM_USER + 2;

TEST_F(BSPlayerTest, EachCommandCodeSendsItsNumber) {
  StartDouble({L"bsplayer"});
  const HWND player = Window(L"BSPlayer");
  struct Case {
    const char* code;
    std::vector<Message> expected;
  };
  const Case cases[] = {
      {"wa_prev", {{player, kBS, true, 25, 0}}},  {"wa_stop", {{player, kBS, true, 22, 0}}},
      {"wa_next", {{player, kBS, true, 28, 0}}},  {"wa_wvup", {{player, kBS, true, 1, 0}}},
      {"wa_wvdw", {{player, kBS, true, 2, 0}}},   {"wa_rrew", {{player, kBS, true, 80, 0}}},
      {"wa_ffor", {{player, kBS, false, 79, 0}}}, {"wa_song", {}},
  };
  for (const Case& c : cases) {
    ClearMessages();
    Run(tavion::kPlayerBSPlayer, c.code);
    ExpectMessages(c.expected, c.code);
    EXPECT_EQ("", notified_.notifyText) << c.code;
  }
  Run(tavion::kPlayerBSPlayer, "wa_loop");
  EXPECT_EQ("Error: unknown player action - wa_loop", notified_.notifyText);
}

TEST_F(BSPlayerTest, KeysOfTheWindowCodes) {
  StartDouble({L"bsplayer"});
  const HWND player = Window(L"BSPlayer");
  options_.focusBeforeHide = false;
  for (const char* code : {"wa_shw1", "wa_shw3", "wa_s/\\h"}) Run(tavion::kPlayerBSPlayer, code);
  const std::vector<SentKeys> expected = {{0, 'H', player}, {1, 'E', player}, {0, 'H', player}};
  EXPECT_EQ(expected, keys_);

  // Focus first: a visible background player comes forward without a key.
  keys_.clear();
  options_.focusBeforeHide = true;
  ASSERT_TRUE(MakeForeground(OtherWindow()));
  Run(tavion::kPlayerBSPlayer, "wa_s/\\h");
  EXPECT_TRUE(keys_.empty());
  EXPECT_EQ(player, ForegroundSoon(player));

  // Set focus: an invisible player is shown with its key.
  ShowWindow(player, SW_HIDE);
  Run(tavion::kPlayerBSPlayer, "wa_focs");
  EXPECT_EQ((std::vector<SentKeys>{{0, 'H', player}}), keys_);
  ExpectMessages({}, "keys only");
}

TEST_F(BSPlayerTest, PlayByTheStateQuery) {
  StartDouble({L"bsplayer"});
  const HWND player = Window(L"BSPlayer");
  struct Case {
    bool playPause;
    int32_t state;
    std::vector<Message> expected;
  };
  const Case cases[] = {
      {true, 2, {{player, kBS, true, 0x10102, 104}, {player, kBS, true, 21, 0}}},
      {true, 0, {{player, kBS, true, 0x10102, 104}, {player, kBS, true, 20, 0}}},
      {false, 2, {{player, kBS, true, 22, 0}, {player, kBS, true, 20, 0}}},
  };
  for (const Case& c : cases) {
    ClearMessages();
    options_.playPause = c.playPause;
    block_->answers.bsState = c.state;
    Run(tavion::kPlayerBSPlayer, "wa_play");
    ExpectMessages(c.expected, "play/pause " + std::to_string(c.playPause) + " state " +
                                   std::to_string(c.state));
  }
}

TEST_F(BSPlayerTest, SecondLaunchClosesOrStartsAndPlays) {
  StartDouble({L"bsplayer"});
  const HWND player = Window(L"BSPlayer");
  options_.playerPath = "C:\\BSPlayer\\bsplayer.exe";
  options_.closeOnSecondLaunch = true;
  Run(tavion::kPlayerBSPlayer, "wa_wamp");
  ExpectMessages({{player, WM_CLOSE, false, 0, 0}}, "close");
  EXPECT_TRUE(launched_.empty());

  ClearMessages();
  options_.closeOnSecondLaunch = false;
  options_.autoPlay = true;
  Run(tavion::kPlayerBSPlayer, "wa_wamp");
  EXPECT_EQ(std::vector<std::string>{"C:\\BSPlayer\\bsplayer.exe"}, launched_);
  ExpectMessages({{player, kBS, true, 20, 0}}, "play after the launch");
}

}  // namespace
}  // namespace players_test
