// Winamp and Light Alloy's Winamp window: what each "wa_" code sends to which window.

#include "wine/players/player_fixture.h"

#include "settings/settings.h"

namespace players_test {
namespace {

using tavion::PlayerControl;
using tavion::Settings;

class WinampTest : public PlayerTest {};

constexpr UINT kUser = WM_USER;

TEST_F(WinampTest, EachFixedCodeReachesItsWindowSentOrPosted) {
  for (const wchar_t* set : {L"winamp", L"winamp-modern"}) {
    StartDouble({set});
    const bool modern = std::wstring(set) == L"winamp-modern";
    const HWND main = Window(L"Winamp v1.x");
    const HWND equalizer =
        modern ? Window(L"BaseWindow_RootWnd", L"Player Window") : Window(L"Winamp EQ");
    const HWND playlist =
        modern ? Window(L"BaseWindow_RootWnd", L"Playlist Editor") : Window(L"Winamp PE");
    ASSERT_TRUE(main && equalizer && playlist);
    struct Case {
      const char* code;
      std::vector<Message> expected;
    };
    const Case cases[] = {
        {"wa_loop", {{main, WM_COMMAND, false, 40022, 0}}},
        {"wa_rand", {{main, WM_COMMAND, false, 40023, 0}}},
        {"wa_prev", {{main, WM_COMMAND, true, 40044, 0}}},
        {"wa_stop", {{main, WM_COMMAND, true, 40047, 0}}},
        {"wa_next", {{main, WM_COMMAND, true, 40048, 0}}},
        {"wa_rrew", {{main, WM_COMMAND, true, 40061, 0}}},
        {"wa_ffor", {{main, WM_COMMAND, false, 40060, 0}}},
        {"wa_wvup", {{main, WM_COMMAND, true, 40058, 0}}},
        {"wa_wvdw", {{main, WM_COMMAND, true, 40059, 0}}},
        {"wa_shw1", {{main, WM_COMMAND, false, 40258, 0}}},
        {"wa_shw3", {{main, WM_COMMAND, false, 40040, 0}}},
        {"wa_siz2", {{equalizer, WM_COMMAND, false, 40064, 0}}},
        {"wa_pnew", {{main, WM_COMMAND, true, 40187, 0}}},
        {"wa_jump", {{main, WM_COMMAND, true, 40194, 0}}},
        {"wa_delf", {{main, kUser, true, 1, 260}, {playlist, WM_COMMAND, true, 40223, 0}}},
        {"wa_song", {}},
    };
    for (const Case& c : cases) {
      ClearMessages();
      notified_.notifyText.clear();
      Run(tavion::kPlayerWinamp, c.code);
      ExpectMessages(c.expected, std::string(c.code) + (modern ? " modern" : " classic"));
      EXPECT_EQ("", notified_.notifyText) << c.code;
    }
    EXPECT_TRUE(keys_.empty());
    // Brought forward before the command.
    EXPECT_EQ(main, ForegroundSoon(main));
    ClearMessages();
    StopDoubles();
  }
}

TEST_F(WinampTest, ShortcutCodesGoThroughTheKeySender) {
  StartDouble({L"winamp"});
  const HWND main = Window(L"Winamp v1.x");
  const HWND playlist = Window(L"Winamp PE");
  for (const char* code : {"wa_shw2", "wa_siz1", "wa_siz3"}) Run(tavion::kPlayerWinamp, code);
  const std::vector<SentKeys> expected = {{1, 'G', main}, {2, 'W', main}, {2, 'W', playlist}};
  EXPECT_EQ(expected, keys_);
  ExpectMessages({}, "keys only");
}

TEST_F(WinampTest, SizeCodesReachOnlyThePlayersOwnWindows) {
  StartDouble({L"bridge"});  // a Winamp window without an equaliser or a playlist
  auto sizeCodesReachAnything = [this] {
    keys_.clear();
    for (const char* code : {"wa_siz2", "wa_siz3"}) Run(tavion::kPlayerWinampLightAlloy, code);
    // A command without a window would land in this thread's queue.
    MSG message;
    const bool posted = PeekMessageW(&message, nullptr, WM_COMMAND, WM_COMMAND, PM_REMOVE);
    return posted || !keys_.empty();
  };
  EXPECT_FALSE(sizeCodesReachAnything()) << "no such windows";

  // Windows of those classes in another program (this one) are not the player's.
  std::vector<HWND> foreign;
  for (const wchar_t* windowClass : {L"Winamp EQ", L"Winamp PE"}) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = windowClass;
    RegisterClassW(&wc);
    foreign.push_back(CreateWindowExW(0, windowClass, L"", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    ASSERT_NE(nullptr, foreign.back());
  }
  EXPECT_FALSE(sizeCodesReachAnything()) << "another program's windows";
  for (HWND window : foreign) DestroyWindow(window);
  ExpectMessages({}, "nothing for the player either");
}

TEST_F(WinampTest, PlayQueriesTheStateOnlyWithPlayPause) {
  StartDouble({L"winamp"});
  const HWND main = Window(L"Winamp v1.x");
  struct Case {
    bool playPause;
    int32_t state;
    std::vector<Message> expected;
  };
  const Case cases[] = {
      {true, 0, {{main, kUser, true, 0, 104}, {main, WM_COMMAND, true, 40045, 0}}},
      {true, 1, {{main, kUser, true, 0, 104}, {main, WM_COMMAND, true, 40046, 0}}},
      {true, 3, {{main, kUser, true, 0, 104}, {main, WM_COMMAND, true, 40046, 0}}},
      {false, 1, {{main, WM_COMMAND, true, 40045, 0}}},
  };
  for (const Case& c : cases) {
    ClearMessages();
    options_.playPause = c.playPause;
    block_->answers.winampState = c.state;
    Run(tavion::kPlayerWinamp, "wa_play");
    ExpectMessages(c.expected, "play/pause " + std::to_string(c.playPause) + " state " +
                                   std::to_string(c.state));
  }
  EXPECT_TRUE(launched_.empty());
}

TEST_F(WinampTest, LaunchClosesOrStartsAgain) {
  StartDouble({L"winamp"});
  const HWND main = Window(L"Winamp v1.x");
  options_.playerPath = "C:\\Winamp\\winamp.exe";

  options_.closeOnSecondLaunch = true;
  Run(tavion::kPlayerWinamp, "wa_wamp");
  ExpectMessages({{main, WM_CLOSE, false, 0, 0}}, "second launch closes");
  EXPECT_TRUE(launched_.empty());

  ClearMessages();
  options_.closeOnSecondLaunch = false;
  options_.autoPlay = true;
  Run(tavion::kPlayerWinamp, "wa_wamp");
  EXPECT_EQ(std::vector<std::string>{"C:\\Winamp\\winamp.exe"}, launched_);
  EXPECT_EQ(std::vector<std::string>{"wa_play"}, executed_);

  options_.autoPlay = false;
  Run(tavion::kPlayerWinamp, "wa_wamp");
  Run(tavion::kPlayerWinamp, "wa_focs");
  EXPECT_EQ(3u, launched_.size());
  EXPECT_EQ(1u, executed_.size());
  ExpectMessages({}, "launching sends nothing to the running player");
}

TEST_F(WinampTest, MediaLibraryByItsState) {
  StartDouble({L"winamp"});
  const HWND main = Window(L"Winamp v1.x");
  const HWND library = Window(L"Winamp Gen");

  ShowWindow(library, SW_HIDE);
  Run(tavion::kPlayerWinamp, "wa_libr");
  ExpectMessages({{main, WM_COMMAND, false, 40376, 0}}, "hidden library is shown from main");
  EXPECT_EQ(main, ForegroundSoon(main));

  ClearMessages();
  ShowWindow(library, SW_SHOWNOACTIVATE);
  options_.focusBeforeHide = false;
  Run(tavion::kPlayerWinamp, "wa_libr");
  ExpectMessages({{main, WM_COMMAND, false, 40380, 0}}, "visible library toggles");

  ClearMessages();
  options_.focusBeforeHide = true;
  Run(tavion::kPlayerWinamp, "wa_libr");
  ExpectMessages({}, "visible library is brought forward");
  EXPECT_EQ(library, ForegroundSoon(library));

  Run(tavion::kPlayerWinamp, "wa_libr");
  ExpectMessages({{main, WM_COMMAND, false, 40380, 0}}, "foreground library toggles");
}

TEST_F(WinampTest, ShowHideWithKeysOrRestore) {
  StartDouble({L"winamp"});
  const HWND main = Window(L"Winamp v1.x");

  options_.focusBeforeHide = false;
  Run(tavion::kPlayerWinamp, "wa_s/\\h");
  EXPECT_EQ((std::vector<SentKeys>{{1, 'M', main}}), keys_);
  EXPECT_EQ("Minimize Winamp", notified_.notifyText);

  keys_.clear();
  ShowWindow(main, SW_HIDE);
  Run(tavion::kPlayerWinamp, "wa_s/\\h");
  EXPECT_TRUE(keys_.empty());
  EXPECT_EQ(main, ForegroundSoon(main));
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_EQ("Restore Winamp", notified_.notifyText);

  // Focus first: a visible background player is brought forward rather than hidden.
  options_.focusBeforeHide = true;
  options_.extraText = false;
  notified_.notifyText.clear();
  const HWND other = OtherWindow();
  ASSERT_TRUE(MakeForeground(other));
  Run(tavion::kPlayerWinamp, "wa_s/\\h");
  EXPECT_TRUE(keys_.empty());
  EXPECT_EQ(main, ForegroundSoon(main));
  Run(tavion::kPlayerWinamp, "wa_s/\\h");
  EXPECT_EQ((std::vector<SentKeys>{{1, 'M', main}}), keys_);
  EXPECT_EQ("", notified_.notifyText);
  ExpectMessages({}, "show/hide sends no player message");
}

TEST_F(WinampTest, BridgeShowHideTogglesTheLightAlloyWindow) {
  StartDouble({L"bridge"});
  const HWND front = Window(L"LightAlloyFront");
  ASSERT_TRUE(IsWindowVisible(front));
  options_.focusBeforeHide = false;
  Run(tavion::kPlayerWinampLightAlloy, "wa_s/\\h");
  ExpectMessages({{front, WM_APP, true, 0, 514}}, "hide");
  EXPECT_FALSE(IsWindowVisible(front));
  ClearMessages();
  Run(tavion::kPlayerWinampLightAlloy, "wa_s/\\h");
  ExpectMessages({{front, WM_APP, true, 0, 514}}, "show");
  EXPECT_TRUE(IsWindowVisible(front));
  EXPECT_TRUE(keys_.empty());
}

TEST_F(WinampTest, UnknownCodeIsReported) {
  StartDouble({L"winamp"});
  Run(tavion::kPlayerWinamp, "wa_nope");
  EXPECT_EQ("Error: unknown player action - wa_nope", notified_.notifyText);
  ExpectMessages({}, "unknown code");
}

}  // namespace
}  // namespace players_test
