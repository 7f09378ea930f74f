// Finding the player (window sets, the Light Alloy bridge, autodetection) and the track
// information texts made from the players' captions and answers.

#include "wine/players/player_fixture.h"

#include <cstring>
#include <functional>

#include "settings/settings.h"

namespace players_test {
namespace {

using tavion::FindPlayer;
using tavion::PlayerWindows;
using tavion::Settings;

class FindPlayerTest : public PlayerTest {};
class TrackInfoTest : public PlayerTest {};

TEST_F(FindPlayerTest, WinampWindowSets) {
  StartDouble({L"winamp"});
  int type = tavion::kPlayerWinamp;
  PlayerWindows w = FindPlayer(type, false, options_);
  EXPECT_EQ(Window(L"Winamp v1.x"), w.main);
  EXPECT_EQ(Window(L"Winamp EQ"), w.equalizer);
  EXPECT_EQ(Window(L"Winamp PE"), w.playlist);
  EXPECT_EQ(Window(L"Winamp Gen"), w.library);
  StopDoubles();

  StartDouble({L"winamp-modern"});
  w = FindPlayer(type, false, options_);
  EXPECT_EQ(Window(L"Winamp v1.x"), w.main);
  EXPECT_EQ(Window(L"BaseWindow_RootWnd", L"Player Window"), w.equalizer);
  EXPECT_EQ(Window(L"BaseWindow_RootWnd", L"Playlist Editor"), w.playlist);
  EXPECT_EQ(Window(L"BaseWindow_RootWnd", L"Media Library"), w.library);
  EXPECT_EQ(tavion::kPlayerWinamp, type);
}

TEST_F(FindPlayerTest, TheBridgeCountsOnlyForLightAlloy) {
  StartDouble({L"bridge"});
  const HWND bridge = Window(L"Winamp v1.x", L"WA2LA bridge");
  ASSERT_NE(nullptr, bridge);
  ASSERT_TRUE(MakeForeground(OtherWindow()));
  int type = tavion::kPlayerWinamp;
  EXPECT_EQ(nullptr, FindPlayer(type, false, options_).main);
  type = tavion::kPlayerWinampLightAlloy;
  EXPECT_EQ(bridge, FindPlayer(type, false, options_).main);

  // With a real Winamp too, type 0 takes it and type 1 prefers the bridge.
  StartDouble({L"winamp"});
  const HWND winamp = Window(L"Winamp v1.x", L"Winamp");
  type = tavion::kPlayerWinamp;
  EXPECT_EQ(winamp, FindPlayer(type, false, options_).main);
  type = tavion::kPlayerWinampLightAlloy;
  EXPECT_EQ(bridge, FindPlayer(type, false, options_).main);
  // ... unless Winamp is the foreground window.
  ASSERT_TRUE(MakeForeground(winamp));
  EXPECT_EQ(winamp, FindPlayer(type, false, options_).main);
}

TEST_F(FindPlayerTest, ForegroundPlayerWinsWithAutodetection) {
  StartDouble({L"winamp", L"wmp"});
  const HWND wmp = Window(L"WMPlayerApp");
  ASSERT_TRUE(MakeForeground(wmp));

  options_.autodetect = true;
  Run(tavion::kPlayerWinamp, "wa_next");
  ExpectMessages({{wmp, WM_APPCOMMAND, true, reinterpret_cast<WPARAM>(wmp),
                   static_cast<LPARAM>(MAKELONG(0, 11))}},
                 "detected Windows Media Player");

  // The autodetect argument and the option must both be on.
  int type = tavion::kPlayerWinamp;
  FindPlayer(type, false, options_);
  EXPECT_EQ(tavion::kPlayerWinamp, type);
  options_.autodetect = false;
  FindPlayer(type, true, options_);
  EXPECT_EQ(tavion::kPlayerWinamp, type);
}

TEST_F(FindPlayerTest, WinampOwnerOrLightAlloyInTheForeground) {
  StartDouble({L"bridge", L"winamp-dialog"});
  const HWND bridge = Window(L"Winamp v1.x", L"WA2LA bridge");
  const HWND winamp = Window(L"Winamp v1.x", L"Winamp");
  const HWND dialog = Window(L"Winamp Dialog");
  ASSERT_TRUE(bridge && winamp && dialog);

  // Type 1 takes the owner of a foreground Winamp dialog before the bridge.
  ASSERT_TRUE(MakeForeground(dialog));
  int type = tavion::kPlayerWinampLightAlloy;
  EXPECT_EQ(winamp, FindPlayer(type, false, options_).main);
  // Autodetection: the Winamp owner selects type 0.
  options_.autodetect = true;
  type = tavion::kPlayerBSPlayer;
  EXPECT_EQ(winamp, FindPlayer(type, true, options_).main);
  EXPECT_EQ(tavion::kPlayerWinamp, type);

  // Light Alloy's front window selects type 1, which finds the bridge.
  ASSERT_TRUE(MakeForeground(Window(L"LightAlloyFront")));
  type = tavion::kPlayerWinamp;
  EXPECT_EQ(bridge, FindPlayer(type, true, options_).main);
  EXPECT_EQ(tavion::kPlayerWinampLightAlloy, type);
}

TEST_F(FindPlayerTest, RunningPlayersAreProbedInOrder) {
  options_.autodetect = true;
  StartDouble({L"mpc", L"bsplayer"});
  ASSERT_TRUE(MakeForeground(OtherWindow()));
  int type = tavion::kPlayerWinamp;
  EXPECT_EQ(Window(L"BSPlayer"), FindPlayer(type, true, options_).main);
  EXPECT_EQ(tavion::kPlayerBSPlayer, type);

  // A selected player that runs is kept.
  type = tavion::kPlayerMediaPlayerClassic;
  EXPECT_EQ(Window(L"MediaPlayerClassicW"), FindPlayer(type, true, options_).main);
  EXPECT_EQ(tavion::kPlayerMediaPlayerClassic, type);

  // The custom foobar2000 class is probed last, and detected in the foreground.
  StopDoubles();
  StartDouble({L"foobar-custom=MyFoobarClass"});
  options_.foobarClass = "MyFoobarClass";
  type = tavion::kPlayerWinamp;
  EXPECT_EQ(Window(L"MyFoobarClass"), FindPlayer(type, true, options_).main);
  EXPECT_EQ(tavion::kPlayerFoobar2000, type);
  ASSERT_TRUE(MakeForeground(Window(L"MyFoobarClass")));
  type = tavion::kPlayerBSPlayer;
  FindPlayer(type, true, options_);
  EXPECT_EQ(tavion::kPlayerFoobar2000, type);
}

TEST_F(FindPlayerTest, NoPlayerRunning) {
  options_.autodetect = true;
  options_.playerPath = "C:\\no\\such\\winamp.exe";
  int type = tavion::kPlayerBSPlayer;
  EXPECT_EQ(nullptr, FindPlayer(type, true, options_).main);
  EXPECT_EQ(tavion::kPlayerBSPlayer, type);  // stays as selected

  Run(tavion::kPlayerWinamp, "wa_next");
  EXPECT_EQ("Media Player not started", notified_.notifyText);
  Run(tavion::kPlayerWinamp, "wa_play");
  EXPECT_EQ("Incorrect path to Winamp", notified_.notifyText);
  EXPECT_TRUE(launched_.empty());
  Run(7, "wa_play");
  EXPECT_EQ("Error: unknown player type", notified_.notifyText);
}

TEST_F(FindPlayerTest, PlayWithoutAPlayerStartsItAndPlays) {
  struct Case {
    int type;
    const wchar_t* set;
    const wchar_t* windowClass;
    UINT message;
    WPARAM play;
  };
  const Case cases[] = {
      {tavion::kPlayerWinamp, L"winamp", L"Winamp v1.x", WM_COMMAND, 40045},
      {tavion::kPlayerBSPlayer, L"bsplayer", L"BSPlayer", WM_USER + 2, 20},
  };
  options_.playerPath = SelfPath();  // any existing file
  for (const Case& c : cases) {
    launched_.clear();
    launchStarts_ = {c.set};
    Run(c.type, "wa_play");
    ASSERT_EQ(std::vector<std::string>{SelfPath()}, launched_);
    const HWND player = Window(c.windowClass);
    ASSERT_NE(nullptr, player);
    ExpectMessages({{player, c.message, true, c.play, 0}}, "play the started player");
    StopDoubles();
    ClearMessages();
  }
}

TEST_F(TrackInfoTest, WinampCaptionAndAnswers) {
  StartDouble({L"winamp"});
  const HWND main = Window(L"Winamp v1.x");
  SetWindowTextW(main, L"3. Song%20Title - Artist - Winamp");
  block_->answers = {};
  auto& a = block_->answers;
  a.listPosition = 2;
  a.listLength = 12;
  a.positionMs = 83500;
  a.lengthS = 245;
  a.sampleRateKHz = 44;
  a.bitRate = 192;
  EXPECT_EQ("\r3. Song Title - Artist\r[3/12]\r[01:23/04:05]\rkbit:192 ~KHz:44",
            TrackInfo("wa_next"));

  // Nothing playing: only the caption line.
  a = {};
  SetWindowTextW(main, L"Winamp 5.5");
  EXPECT_EQ("\rWinamp 5.5", TrackInfo("wa_stop"));

  // Codes without a track line give nothing.
  EXPECT_EQ("", TrackInfo("wa_wvup"));
}

TEST_F(TrackInfoTest, ShuffleAndRepeatAnswers) {
  StartDouble({L"winamp"});
  const HWND main = Window(L"Winamp v1.x");
  struct Case {
    const char* code;
    int32_t shuffle, repeat;
    const char* expected;
    LPARAM query;
  };
  const Case cases[] = {
      {"wa_rand", 1, 0, " - yes", 250},
      {"wa_rand", 0, 1, " - no", 250},
      {"wa_loop", 0, 1, " - yes", 251},
      {"wa_loop", 1, 0, " - no", 251},
  };
  for (const Case& c : cases) {
    ClearMessages();
    block_->answers.shuffle = c.shuffle;
    block_->answers.repeat = c.repeat;
    EXPECT_EQ(c.expected, TrackInfo(c.code)) << c.code;
    ExpectMessages({{main, WM_USER, true, 0, c.query}}, c.code);
  }
}

TEST_F(TrackInfoTest, LightAlloyBridgeShowsTheFrontCaption) {
  StartDouble({L"bridge"});
  options_.playerType = tavion::kPlayerWinampLightAlloy;
  block_->answers = {};
  block_->answers.listLength = 1;
  EXPECT_EQ("\rFilm\r[1/1]", TrackInfo("wa_play"));
}

TEST_F(TrackInfoTest, BSPlayerFileNameAndTimes) {
  StartDouble({L"bsplayer"});
  const HWND player = Window(L"BSPlayer");
  options_.playerType = tavion::kPlayerBSPlayer;
  auto& a = block_->answers;
  std::strcpy(a.bsFileName, "C:\\Music\\Track%28One%29.mp3");
  a.bsPositionMs = 65000;
  a.bsLengthMs = 600000;
  EXPECT_EQ("\rTrack(One).mp3\r[01:05/10:00]", TrackInfo("wa_song"));
  const auto records = Messages();
  ASSERT_EQ(3u, records.size());
  EXPECT_EQ(static_cast<UINT>(WM_COPYDATA), records[0].message);
  EXPECT_EQ(reinterpret_cast<uint64_t>(owner_), records[0].wParam);
  EXPECT_EQ(0x1010B, records[0].lParam);
  EXPECT_EQ(4u, records[0].dataSize);  // a 32-bit address, whatever this program's width
  EXPECT_EQ(static_cast<uint64_t>(0x10101), records[1].wParam);
  EXPECT_EQ(static_cast<uint64_t>(0x10100), records[2].wParam);
  EXPECT_EQ(reinterpret_cast<uint64_t>(player), records[2].window);

  a.bsPositionMs = -1;
  EXPECT_EQ("\rTrack(One).mp3", TrackInfo("wa_next"));
  EXPECT_EQ("", TrackInfo("wa_rand"));
}

// A player that stops answering costs a bounded wait: the call returns while it is still stuck.
TEST_F(PlayerTest, AHungPlayerDoesNotHoldTheCaller) {
  struct Case {
    const wchar_t* set;
    const wchar_t* windowClass;
    std::function<void()> call;
  };
  options_.focusBeforeHide = false;
  const Case cases[] = {
      {L"winamp", L"Winamp v1.x", [this] { EXPECT_EQ("\rWinamp", TrackInfo("wa_next")); }},
      {L"bsplayer", L"BSPlayer",
       [this] {
         options_.playerType = tavion::kPlayerBSPlayer;
         EXPECT_EQ("", TrackInfo("wa_song"));
       }},
      {L"bridge", L"LightAlloyFront",
       [this] { Run(tavion::kPlayerWinampLightAlloy, "wa_s/\\h"); }},  // the visibility toggle
  };
  for (const Case& c : cases) {
    StartDouble({c.set});
    InterlockedExchange(&block_->hang, 1);
    ASSERT_TRUE(PostMessageW(Window(c.windowClass), WM_NULL, 0, 0));
    for (int i = 0; i < 1000 && !block_->stuck; ++i) Sleep(10);
    ASSERT_EQ(1, block_->stuck) << "the double did not stop answering";
    c.call();
    EXPECT_EQ(1, block_->stuck) << "the call waited for the player";
    InterlockedExchange(&block_->hang, 0);
    StopDoubles();
  }
}

TEST_F(TrackInfoTest, CaptionsOfTheOtherPlayers) {
  StartDouble({L"foobar", L"mpc", L"wmp"});
  SetWindowTextW(Window(L"{DA7CD0DE-1602-45e6-89A1-C2CA151E008E}"),
                 L"Artist - Title    [foobar2000 v0.9.4]");
  SetWindowTextW(Window(L"MediaPlayerClassicW"), L"clip.avi - Media Player Classic");
  options_.playerType = tavion::kPlayerFoobar2000;
  EXPECT_EQ("\rArtist - Title", TrackInfo("wa_next"));
  options_.playerType = tavion::kPlayerMediaPlayerClassic;
  EXPECT_EQ("\rclip.avi", TrackInfo("wa_next"));
  options_.playerType = tavion::kPlayerWindowsMediaPlayer;
  EXPECT_EQ("", TrackInfo("wa_next"));
  options_.playerType = 9;
  EXPECT_EQ("", TrackInfo("wa_next"));
  EXPECT_EQ("Error: unknown player type", notified_.notifyText);
}

}  // namespace
}  // namespace players_test
