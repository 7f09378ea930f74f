#include "exec/media_player.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "exec/media_player_path.h"

namespace tavion {
namespace {

// The steps in short: "send 111 40044" (message in hex, wParam), "keys 2 87 @2" (Ctrl+W to the
// playlist), "front; ...".
std::string Text(const std::vector<PlayerStep>& steps) {
  static const char* const kKinds[] = {"send",    "post", "keys",   "front",  "restore", "launch",
                                       "started", "run",  "remove", "foobar", "note"};
  std::ostringstream out;
  for (const PlayerStep& s : steps) {
    out << (out.tellp() > 0 ? "; " : "") << kKinds[int(s.kind)];
    if (s.message) out << " " << std::hex << s.message << std::dec << " " << s.wParam;
    if (s.lParam) out << " " << s.lParam;
    if (s.windowAsWParam) out << " self";
    if (s.key) out << " " << int(s.modifiers) << " " << s.key;
    const std::string text =
        s.kind == PlayerStepKind::kNotify ? PlayerNoteText(s) : std::string(s.text);
    if (!text.empty()) out << " " << text;
    if (s.role != PlayerWindowRole::kMain) out << " @" << int(s.role);
  }
  return out.str();
}

// kBridge: the Light Alloy bridge without Light Alloy's own window; kNoPath: none, nor its file.
enum Facts { kUp, kNone, kNoPath, kBridge, kHidden, kInFront, kOwnsFg, kAlloy, kLibShown, kLibFg };

constexpr int kWinamp = kPlayerWinamp, kBS = kPlayerBSPlayer, kMPC = kPlayerMediaPlayerClassic,
              kFoobar = kPlayerFoobar2000;

// The player is never asked unless a test says what it answers.
PlayerFacts Make(Facts f) {
  PlayerFacts facts;
  facts.mainFound = f != kNone && f != kNoPath;
  facts.targetFound = facts.mainFound && f != kBridge;
  facts.targetVisible = facts.mainFound && f != kHidden;
  facts.targetForeground = f == kInFront;
  facts.targetOwnsForeground = f == kInFront || f == kOwnsFg;
  facts.targetIsLightAlloy = f == kAlloy;
  facts.libraryVisible = f == kLibShown || f == kLibFg;
  facts.libraryForeground = f == kLibFg;
  facts.playerPathExists = f != kNoPath;
  facts.ask = [](uint32_t, uint32_t, uint32_t) -> std::optional<int32_t> {
    ADD_FAILURE() << "asked";
    return 0;
  };
  return facts;
}

TEST(PlayerStepsTest, WhatEachCodeDoesToWhichWindow) {
  // Player, code, its facts, "focus before hiding", the steps.
  const std::tuple<int, const char*, Facts, bool, const char*> cases[] = {
      {kWinamp, "wa_next", kUp, true, "send 111 40048"},
      {kWinamp, "wa_siz3", kUp, true, "keys 2 87 @2"},
      {kWinamp, "wa_jump", kUp, true, "front; send 111 40194"},
      {kWinamp, "wa_delf", kUp, true, "front; remove"},
      {kWinamp, "wa_wamp", kUp, true, "post 10 0"},  // a second start closes it
      {kWinamp, "wa_wamp", kNone, true, "launch; run wa_play"},
      {kBS, "wa_play", kNone, true, "launch; started 402 20 BSPlayer"},
      {kWinamp, "wa_next", kNone, true, "note Media Player not started"},
      {kWinamp, "wa_play", kNoPath, true, "note Incorrect path to Winamp"},
      {kWinamp, "wa_nope", kUp, true, "note Error: unknown player action - wa_nope"},
      {9, "wa_next", kUp, true, "note Error: unknown player type"},
      {kBS, "wa_song", kUp, true, ""},  // only the notification shows the track
      // Show and hide: with "focus first" a window not in front comes to the front.
      {kWinamp, "wa_s/\\h", kUp, true, "restore @4; front @4; note Restore Winamp"},
      {kWinamp, "wa_s/\\h", kUp, false, "keys 1 77 @4; note Minimize Winamp"},
      {kPlayerWinampLightAlloy, "wa_s/\\h", kAlloy, false,
       "send 8000 0 514 @4; note Minimize Winamp"},
      {kWinamp, "wa_libr", kLibFg, true, "post 111 40380"},
      {kWinamp, "wa_libr", kLibShown, true, "front @3"},
      {kWinamp, "wa_libr", kLibShown, false, "post 111 40380"},
      {kWinamp, "wa_libr", kUp, true, "front; post 111 40376"},
      {kBS, "wa_ffor", kUp, true, "post 402 79"},
      {kBS, "wa_s/\\h", kUp, true, "front"},
      {kBS, "wa_s/\\h", kInFront, true, "keys 0 72"},
      {kBS, "wa_focs", kHidden, true, "keys 0 72"},
      {kMPC, "wa_wvup", kUp, true, "send 319 0 655360 self"},
      {kMPC, "wa_shw3", kUp, true, "keys 2 55"},
      {kPlayerWindowsMediaPlayer, "wa_shw3", kUp, true, "post 111 18783"},
      {kFoobar, "wa_wvup", kUp, true, "note Error: unknown player action - wa_wvup"},
      {kFoobar, "wa_rand", kUp, true, "foobar"},
      {kFoobar, "wa_s/\\h", kInFront, true, "post 112 61472"},
      {kFoobar, "wa_s/\\h", kUp, true, "post 112 61728; front"},
      {kFoobar, "wa_focs", kUp, true, "send 112 61728; front"},
      {kFoobar, "wa_wamp", kInFront, true, "front"},
      {kFoobar, "wa_play", kNone, true, "launch"},
      {kBS, "wa_focs", kUp, true, "front"},
      {kPlayerWinampLightAlloy, "wa_s/\\h", kBridge, true, ""},
      {kPlayerWindowsMediaPlayer, "wa_next", kUp, true, "send 319 0 720896 self"},
  };
  for (const auto& [type, code, facts, focusFirst, expected] : cases) {
    MediaPlayerOptions options;
    options.focusBeforeHide = focusFirst;
    EXPECT_EQ(expected, Text(PlayerSteps(type, code, Make(facts), options)))
        << type << code << facts;
  }
}

TEST(PlayerStepsTest, PlayAsksThePlayerOnlyWithPlayPause) {
  // Player, "play/pause", its answer to the state question (nullopt: none), the steps.
  const std::tuple<int, bool, std::optional<int32_t>, const char*> cases[] = {
      {kWinamp, true, 3, "send 111 40046"}, {kWinamp, true, 0, "send 111 40045"},
      {kWinamp, true, std::nullopt, ""},    {kWinamp, false, 1, "send 111 40045"},
      {kBS, true, 2, "send 402 21"},        {kBS, true, 1, "send 402 20"},
      {kBS, true, std::nullopt, ""},        {kBS, false, 2, "send 402 22; send 402 20"},
  };
  for (const auto& [type, playPause, state, expected] : cases) {
    int asked = 0;
    PlayerFacts facts = Make(kUp);
    facts.ask = [&](uint32_t, uint32_t, uint32_t) { return ++asked, state; };
    MediaPlayerOptions options;
    options.playPause = playPause;
    EXPECT_EQ(expected, Text(PlayerSteps(type, "wa_play", facts, options))) << type;
    EXPECT_EQ(playPause ? 1 : 0, asked);
  }
  EXPECT_EQ("", PlayerNoteText(PlayerStep{.kind = PlayerStepKind::kLaunch}));
}

TEST(PlayerSearchTest, WindowsThatNameAPlayer) {
  EXPECT_TRUE(IsWinampMainWindow(kWinampClass, "1. Song - Winamp"));
  EXPECT_FALSE(IsWinampMainWindow(kWinampClass, kWinampBridgeCaption) ||
               IsWinampMainWindow("winamp v1.x", ""));
  EXPECT_EQ((std::vector<std::string>{kFoobar2000Class, kFoobar2000Class1, "MyFoo"}),
            MainWindowClasses(kPlayerFoobar2000, "MyFoo"));
  // The class of the foreground window's owner, of the foreground window, the player.
  const std::tuple<const char*, const char*, std::optional<int>> cases[] = {
      {kWinampClass, kBSPlayerClass, kPlayerWinamp},  // the owner is asked first
      {"", kLightAlloyClass, kPlayerWinampLightAlloy},
      {"", "MyFoo", kPlayerFoobar2000},
      {"", "", std::nullopt},
  };
  for (const auto& [owner, foreground, expected] : cases)
    EXPECT_EQ(expected, DetectPlayerType(owner, foreground, "MyFoo")) << foreground;
}

TEST(TrackInfoTextTest, LinesFromCaptionsAndAnswers) {
  const std::pair<std::string, std::string> cases[] = {
      {"\r1. Song - Artist", PlayerCaptionLine("1. Song - Artist - Winamp", " - Winamp")},
      {"\r[3/12]\r[01:23/04:05]\rkbit:192 ~KHz:44",
       WinampAnswerLines({2, 12, 83500, 245, 44, 192})},
      {" - yes", ShuffleRepeatText(true)},
      {"\rb.avi", BSPlayerLines("a/b.avi", 5, -1)},
      {"\rArtist - Title", Foobar2000Line("Artist - Title    [foobar2000 v0.9.4]")},
      {"\rA - B", MediaPlayerClassicLine("A - B - Media Player Classic")},
      {"\rMy Song=1(live)", FinishTrackText("\rMy%20Song%3D1%28live%29")},
      {"C:\\Program Files\\Winamp\\winamp.exe",
       WinampPathFromCommand("\"C:\\Program Files\\Winamp\\winamp.exe\" \"%1\"")},
  };
  for (const auto& [expected, actual] : cases) EXPECT_EQ(expected, actual);
  EXPECT_TRUE(IsShuffleOrRepeat("wa_loop") && ShowsTrackInfo("wa_ffor"));
  EXPECT_FALSE(IsShuffleOrRepeat("wa_play") || ShowsTrackInfo("wa_rand"));
}

}  // namespace
}  // namespace tavion
