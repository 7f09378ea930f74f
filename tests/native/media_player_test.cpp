#include "exec/media_player.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>

#include "settings/form.h"
#include "ui/main_options.h"

namespace tavion {
namespace {

TEST(PlayerCommandTablesTest, NumbersAndDeliveryPerFamily) {
  struct Case {
    const char* family;
    std::span<const PlayerCommand> table;
    const char* code;
    PlayerDelivery delivery;
    uint32_t id;
    PlayerWindowRole role;
  };
  using D = PlayerDelivery;
  using R = PlayerWindowRole;
  const Case cases[] = {
      {"winamp", WinampCommands(), "wa_loop", D::kPost, 40022, R::kMain},
      {"winamp", WinampCommands(), "wa_rand", D::kPost, 40023, R::kMain},
      {"winamp", WinampCommands(), "wa_prev", D::kSend, 40044, R::kMain},
      {"winamp", WinampCommands(), "wa_stop", D::kSend, 40047, R::kMain},
      {"winamp", WinampCommands(), "wa_next", D::kSend, 40048, R::kMain},
      {"winamp", WinampCommands(), "wa_rrew", D::kSend, 40061, R::kMain},
      {"winamp", WinampCommands(), "wa_ffor", D::kPost, 40060, R::kMain},
      {"winamp", WinampCommands(), "wa_wvup", D::kSend, 40058, R::kMain},
      {"winamp", WinampCommands(), "wa_wvdw", D::kSend, 40059, R::kMain},
      {"winamp", WinampCommands(), "wa_shw1", D::kPost, 40258, R::kMain},
      {"winamp", WinampCommands(), "wa_shw3", D::kPost, 40040, R::kMain},
      {"winamp", WinampCommands(), "wa_siz2", D::kPost, 40064, R::kEqualizer},
      {"winamp", WinampCommands(), "wa_pnew", D::kForegroundThenSend, 40187, R::kMain},
      {"winamp", WinampCommands(), "wa_jump", D::kForegroundThenSend, 40194, R::kMain},
      {"bsplayer", BSPlayerCommands(), "wa_prev", D::kSend, 25, R::kMain},
      {"bsplayer", BSPlayerCommands(), "wa_stop", D::kSend, 22, R::kMain},
      {"bsplayer", BSPlayerCommands(), "wa_next", D::kSend, 28, R::kMain},
      {"bsplayer", BSPlayerCommands(), "wa_wvup", D::kSend, 1, R::kMain},
      {"bsplayer", BSPlayerCommands(), "wa_wvdw", D::kSend, 2, R::kMain},
      {"bsplayer", BSPlayerCommands(), "wa_rrew", D::kSend, 80, R::kMain},
      {"bsplayer", BSPlayerCommands(), "wa_ffor", D::kPost, 79, R::kMain},
      {"wmp", WindowsMediaPlayerCommands(), "wa_loop", D::kSend, 18843, R::kMain},
      {"wmp", WindowsMediaPlayerCommands(), "wa_rand", D::kSend, 18842, R::kMain},
      {"wmp", WindowsMediaPlayerCommands(), "wa_wvup", D::kSend, 18815, R::kMain},
      {"wmp", WindowsMediaPlayerCommands(), "wa_wvdw", D::kSend, 18816, R::kMain},
      {"wmp", WindowsMediaPlayerCommands(), "wa_shw3", D::kPost, 18783, R::kMain},
      {"appcommand", AppCommands(), "wa_prev", D::kSend, 12, R::kMain},
      {"appcommand", AppCommands(), "wa_stop", D::kSend, 13, R::kMain},
      {"appcommand", AppCommands(), "wa_next", D::kSend, 11, R::kMain},
      {"appcommand", AppCommands(), "wa_wvup", D::kSend, 10, R::kMain},
      {"appcommand", AppCommands(), "wa_wvdw", D::kSend, 9, R::kMain},
  };
  for (const Case& c : cases) {
    const PlayerCommand* command = FindPlayerCommand(c.table, c.code);
    ASSERT_NE(nullptr, command) << c.family << " " << c.code;
    EXPECT_EQ(c.delivery, command->delivery) << c.family << " " << c.code;
    EXPECT_EQ(c.id, command->id) << c.family << " " << c.code;
    EXPECT_EQ(c.role, command->role) << c.family << " " << c.code;
  }
}

TEST(PlayerCommandTablesTest, KeysOfTheShortcutCodes) {
  struct Case {
    std::span<const PlayerCommand> table;
    const char* code;
    uint8_t modifiers;
    char key;
    PlayerWindowRole role;
  };
  const Case cases[] = {
      {WinampCommands(), "wa_shw2", kKeyAlt, 'G', PlayerWindowRole::kMain},
      {WinampCommands(), "wa_siz1", kKeyCtrl, 'W', PlayerWindowRole::kMain},
      {WinampCommands(), "wa_siz3", kKeyCtrl, 'W', PlayerWindowRole::kPlaylist},
      {BSPlayerCommands(), "wa_shw1", 0, 'H', PlayerWindowRole::kMain},
      {BSPlayerCommands(), "wa_shw3", kKeyAlt, 'E', PlayerWindowRole::kMain},
  };
  for (const Case& c : cases) {
    const PlayerCommand* command = FindPlayerCommand(c.table, c.code);
    ASSERT_NE(nullptr, command) << c.code;
    EXPECT_EQ(PlayerDelivery::kKeys, command->delivery) << c.code;
    EXPECT_EQ(c.modifiers, command->modifiers) << c.code;
    EXPECT_EQ(static_cast<uint16_t>(c.key), command->key) << c.code;
    EXPECT_EQ(c.role, command->role) << c.code;
  }
}

TEST(PlayerCommandTablesTest, CodesWithADecisionOfTheirOwnAreNotInTheTables) {
  for (const char* code : {"wa_s/\\h", "wa_focs", "wa_play", "wa_wamp", "wa_song", "wa_libr",
                           "wa_delf", "wa_nope", ""}) {
    EXPECT_EQ(nullptr, FindPlayerCommand(WinampCommands(), code)) << code;
    EXPECT_EQ(nullptr, FindPlayerCommand(BSPlayerCommands(), code)) << code;
    EXPECT_EQ(nullptr, FindPlayerCommand(AppCommands(), code)) << code;
  }
  // Codes are compared exactly.
  EXPECT_EQ(nullptr, FindPlayerCommand(WinampCommands(), "WA_NEXT"));
}

TEST(PlayerCommandTablesTest, EveryCodeAppearsOncePerTable) {
  for (auto table :
       {WinampCommands(), BSPlayerCommands(), WindowsMediaPlayerCommands(), AppCommands()}) {
    std::set<std::string_view> seen;
    for (const PlayerCommand& command : table)
      EXPECT_TRUE(seen.insert(command.code).second) << command.code;
  }
}

TEST(AppCommandPlayerTest, OnlyTheThreeApplicationCommandTypes) {
  struct Case {
    int type;
    const char* windowClass;  // null: no entry
  };
  const Case cases[] = {
      {kPlayerMediaPlayerClassic, kMediaPlayerClassicClass},
      {kPlayerWindowsMediaPlayer, kWindowsMediaPlayerClass},
      {kPlayerFoobar2000, kFoobar2000Class1},
      {kPlayerWinamp, nullptr},
      {kPlayerWinampLightAlloy, nullptr},
      {kPlayerBSPlayer, nullptr},
      {6, nullptr},
      {-1, nullptr},
  };
  for (const Case& c : cases) {
    const AppCommandPlayer* player = FindAppCommandPlayer(c.type);
    if (!c.windowClass) {
      EXPECT_EQ(nullptr, player) << c.type;
      continue;
    }
    ASSERT_NE(nullptr, player) << c.type;
    EXPECT_TRUE(player->usesAppCommands);
    EXPECT_EQ(c.windowClass, player->windowClass);
  }
}

TEST(PlayerSearchTest, MainWindowClassesPerType) {
  using V = std::vector<std::string>;
  EXPECT_EQ(V{"BSPlayer"}, MainWindowClasses(kPlayerBSPlayer, "x"));
  EXPECT_EQ(V{"WMPlayerApp"}, MainWindowClasses(kPlayerWindowsMediaPlayer, "x"));
  EXPECT_EQ(V{"MediaPlayerClassicW"}, MainWindowClasses(kPlayerMediaPlayerClassic, ""));
  EXPECT_EQ((V{kFoobar2000Class, kFoobar2000Class1}), MainWindowClasses(kPlayerFoobar2000, ""));
  EXPECT_EQ((V{kFoobar2000Class, kFoobar2000Class1, "MyFoo"}),
            MainWindowClasses(kPlayerFoobar2000, "MyFoo"));
  EXPECT_TRUE(MainWindowClasses(kPlayerWinamp, "x").empty());
  EXPECT_TRUE(MainWindowClasses(kPlayerWinampLightAlloy, "x").empty());
  EXPECT_TRUE(MainWindowClasses(42, "x").empty());
}

TEST(PlayerSearchTest, DetectionByForegroundAndOwner) {
  struct Case {
    const char* owner;
    const char* foreground;
    std::optional<int> expected;
  };
  const Case cases[] = {
      {"Winamp v1.x", "BSPlayer", kPlayerWinamp},  // the owner is asked first
      {"BSPlayer", "Notepad", std::nullopt},       // only a Winamp owner counts
      {"", "Winamp v1.x", kPlayerWinamp},
      {"", "LightAlloyFront", kPlayerWinampLightAlloy},
      {"", "BSPlayer", kPlayerBSPlayer},
      {"", "MediaPlayerClassicW", kPlayerMediaPlayerClassic},
      {"", "WMPlayerApp", kPlayerWindowsMediaPlayer},
      {"", kFoobar2000Class, kPlayerFoobar2000},
      {"", kFoobar2000Class1, kPlayerFoobar2000},
      {"", "MyFoo", kPlayerFoobar2000},
      {"", "winamp v1.x", std::nullopt},  // class names as registered, exactly
      {"", "", std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.expected, DetectPlayerType(c.owner, c.foreground, "MyFoo"))
        << c.owner << "/" << c.foreground;
  EXPECT_EQ(std::nullopt, DetectPlayerType("", "", ""));
}

TEST(PlayerSearchTest, ProbeOrderOfRunningPlayers) {
  const std::vector<PlayerProbe> order = PlayerProbeOrder("MyFoo");
  const std::pair<std::string, int> expected[] = {
      {"LightAlloyFront", 1},     {"Winamp v1.x", 0}, {"BSPlayer", 2},
      {"MediaPlayerClassicW", 5}, {"WMPlayerApp", 3}, {kFoobar2000Class, 4},
      {kFoobar2000Class1, 4},     {"MyFoo", 4},
  };
  ASSERT_EQ(std::size(expected), order.size());
  for (size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(expected[i].first, order[i].windowClass) << i;
    EXPECT_EQ(expected[i].second, order[i].type) << i;
  }
  EXPECT_EQ(std::size(expected) - 1, PlayerProbeOrder("").size());
}

TEST(PlayerDecisionTest, ShowOrHide) {
  struct Case {
    bool focusFirst, visible, foreground, hide;
  };
  const Case cases[] = {
      {false, true, false, true},   {false, true, true, true},   {false, false, true, false},
      {false, false, false, false}, {true, true, false, false},  {true, true, true, true},
      {true, false, true, true},    {true, false, false, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.hide, ShouldHidePlayer(c.focusFirst, c.visible, c.foreground))
        << c.focusFirst << c.visible << c.foreground;
}

TEST(PlayerDecisionTest, MediaLibrary) {
  EXPECT_EQ(LibraryStep::kToggle, ChooseLibraryStep(true, true, true));
  EXPECT_EQ(LibraryStep::kToggle, ChooseLibraryStep(true, false, false));
  EXPECT_EQ(LibraryStep::kFocusLibrary, ChooseLibraryStep(false, true, true));
  EXPECT_EQ(LibraryStep::kToggle, ChooseLibraryStep(false, true, false));
  EXPECT_EQ(LibraryStep::kShowFromMain, ChooseLibraryStep(false, false, true));
  EXPECT_EQ(LibraryStep::kShowFromMain, ChooseLibraryStep(false, false, false));
}

TEST(PlayerDecisionTest, WinampPlayOrPause) {
  EXPECT_EQ(kWinampPlay, WinampPlayCommand(true, 0));
  EXPECT_EQ(kWinampPause, WinampPlayCommand(true, 1));
  EXPECT_EQ(kWinampPause, WinampPlayCommand(true, 3));
  EXPECT_EQ(kWinampPlay, WinampPlayCommand(false, 1));
}

TEST(MediaPlayerOptionsTest, ReadFromTheOptionControls) {
  MemoryForm form(MainOptionControls());
  const MediaPlayerOptions designed = MediaPlayerOptionsFromForm(form, "Foo");
  EXPECT_EQ("C:\\Program Files\\Winamp\\Winamp.exe", designed.playerPath);
  EXPECT_EQ(kPlayerWinamp, designed.playerType);
  EXPECT_EQ("Foo", designed.foobarClass);

  form.SetText(*form.Find("Opt_WAmp_Path"), "D:\\bs\\bsplayer.exe");
  form.SetItemIndex(*form.Find("Opt_PlayerType"), kPlayerBSPlayer);
  // Each check box alone turns on its own field and no other.
  const char* names[] = {"Opt_Secn_Exit", "Opt_Auto_Play",    "Opt_SetFoc_SH",
                         "Opt_Play_Paus", "Opt_AutodePlayer", "Opt_Desk_TextEx"};
  for (size_t on = 0; on < std::size(names); ++on) {
    for (size_t i = 0; i < std::size(names); ++i) form.SetChecked(*form.Find(names[i]), i == on);
    const MediaPlayerOptions o = MediaPlayerOptionsFromForm(form, "");
    const std::array<bool, 6> fields = {o.closeOnSecondLaunch, o.autoPlay,   o.focusBeforeHide,
                                        o.playPause,           o.autodetect, o.extraText};
    std::array<bool, 6> expected{};
    expected[on] = true;
    EXPECT_EQ(expected, fields) << names[on];
  }
  const MediaPlayerOptions changed = MediaPlayerOptionsFromForm(form, "");
  EXPECT_EQ("D:\\bs\\bsplayer.exe", changed.playerPath);
  EXPECT_EQ(kPlayerBSPlayer, changed.playerType);
}

TEST(TrackInfoTextTest, CaptionLines) {
  struct Case {
    const char* caption;
    const char* suffix;
    const char* expected;
  };
  const Case cases[] = {
      {"1. Song - Artist - Winamp", " - Winamp", "\r1. Song - Artist"},
      {"Winamp 5.5", " - Winamp", "\rWinamp 5.5"},
      // Without " - " nothing is removed, even a suffix-like tail.
      {"Song- Winamp", " - Winamp", "\rSong- Winamp"},
      {"A - Winamp - B - Winamp", " - Winamp", "\rA - B"},
      {"Film - Light Alloy", " - Light Alloy", "\rFilm"},
      {"", " - Winamp", "\r"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, PlayerCaptionLine(c.caption, c.suffix));
}

TEST(TrackInfoTextTest, WinampAnswerLines) {
  struct Case {
    WinampAnswers answers;
    const char* expected;
  };
  const Case cases[] = {
      {{2, 12, 83500, 245, 44, 192}, "\r[3/12]\r[01:23/04:05]\rkbit:192 ~KHz:44"},
      {{0, 0, 0, 0, 0, 0}, ""},
      // One of each pair is enough for its line.
      {{1, 0, 0, 0, 0, 0}, "\r[2/0]"},
      {{0, 1, 0, 0, 0, 0}, "\r[1/1]"},
      {{0, 0, 999, 0, 0, 0}, "\r[00:00/00:00]"},
      {{0, 0, 0, 1, 0, 0}, "\r[00:00/00:01]"},
      {{0, 0, 0, 0, 48, 0}, "\rkbit:0 ~KHz:48"},
      {{0, 0, 0, 0, 0, 128}, "\rkbit:128 ~KHz:0"},
      // Winamp answers -1 for an unknown length; position 0 and length -1 give no time line.
      {{0, 5, -1, -1, 0, 0}, "\r[1/5]"},
      {{0, 0, 6000000, 6000, 0, 0}, "\r[100:00/100:00]"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, WinampAnswerLines(c.answers));
}

TEST(TrackInfoTextTest, ShuffleAndRepeat) {
  EXPECT_EQ(" - yes", ShuffleRepeatText(true));
  EXPECT_EQ(" - no", ShuffleRepeatText(false));
  EXPECT_TRUE(IsShuffleOrRepeat("wa_rand"));
  EXPECT_TRUE(IsShuffleOrRepeat("wa_loop"));
  EXPECT_FALSE(IsShuffleOrRepeat("wa_play"));
  for (const char* code :
       {"wa_play", "wa_prev", "wa_next", "wa_stop", "wa_song", "wa_rrew", "wa_ffor"})
    EXPECT_TRUE(ShowsTrackInfo(code)) << code;
  for (const char* code : {"wa_rand", "wa_loop", "wa_wvup", "wa_s/\\h", "wa_wamp", ""})
    EXPECT_FALSE(ShowsTrackInfo(code)) << code;
}

TEST(TrackInfoTextTest, BSPlayerLines) {
  EXPECT_EQ("\rsong.mp3\r[01:05/10:00]", BSPlayerLines("C:\\Music\\song.mp3", 65000, 600000));
  EXPECT_EQ("\rsong.mp3\r[00:00/00:00]", BSPlayerLines("song.mp3", 0, 0));
  EXPECT_EQ("\rb.avi", BSPlayerLines("a/b.avi", -1, 600000));
  EXPECT_EQ("\rb.avi", BSPlayerLines("a/b.avi", 5, -1));
  EXPECT_EQ("\r", BSPlayerLines("C:\\Music\\", -1, -1));
}

TEST(TrackInfoTextTest, Foobar2000AndMediaPlayerClassic) {
  EXPECT_EQ("\rArtist - Title", Foobar2000Line("Artist - Title    [foobar2000 v0.9.4]"));
  EXPECT_EQ("\r", Foobar2000Line("ab[foobar2000]"));
  EXPECT_EQ("\rfoobar2000", Foobar2000Line("foobar2000"));
  EXPECT_EQ("\rclip.avi", MediaPlayerClassicLine("clip.avi - Media Player Classic"));
  EXPECT_EQ("\r", MediaPlayerClassicLine("Media Player Classic"));
  EXPECT_EQ("\rA - B", MediaPlayerClassicLine("A - B - Media Player Classic"));
}

TEST(TrackInfoTextTest, FinishDecodesEscapesAndDropsALoneReturn) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"\rMy%20Song%3D1%28live%29", "\rMy Song=1(live)"},
      {"%3d%3D%2A", "==%2A"},
      {"100%", "100%"},
      {"%2", "%2"},
      {"\r", ""},
      {"\r\r", "\r\r"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, FinishTrackText(c.text)) << c.text;
}

}  // namespace
}  // namespace tavion
