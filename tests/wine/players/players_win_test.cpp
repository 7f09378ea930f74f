// Each player adapter as the dispatcher runs it, against windows of this thread that bear the
// players' classes and answer their state queries: the command reaches the player's window, sent
// (there when the call returns) or posted (there once this thread's queue is handled).

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "exec/dispatcher.h"
#include "exec/exec_host_win.h"
#include "exec/media_player_win.h"
#include "settings/settings.h"
#include "wine/support/test_support.h"

namespace {

using wine_test::TestWindow;

// Message, wParam and lParam of what a player window got.
using Received = std::vector<std::tuple<UINT, WPARAM, LPARAM>>;

Received Of(const TestWindow& player, size_t from = 0) {
  Received received;
  for (size_t i = from; i < player.messages.size(); ++i) {
    const wine_test::Message& m = player.messages[i];
    received.emplace_back(m.message, m.wParam, m.lParam);
  }
  return received;
}

wine_test::WindowDesign Player(const wchar_t* windowClass, const wchar_t* caption) {
  return {.className = windowClass, .caption = caption, .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE};
}

class PlayersTest : public testing::Test {
 protected:
  PlayersTest() {
    tavion::ResetSettings();
    tavion::ClearExecutors();
    host_ = std::make_unique<tavion::WinExecHost>(owner_.hwnd(), tavion::MainWindowServices{});
    tavion::SetExecHost(host_.get());
    tavion::MediaPlayerServices services;
    services.options = [this] { return options_; };
    services.ownerWindow = owner_.hwnd();
    tavion::RegisterMediaPlayerExecutors(std::move(services));
    options_.autodetect = false;
  }
  ~PlayersTest() override {
    tavion::SetExecHost(nullptr);
    tavion::ClearExecutors();
  }

  // Runs `code`: what `player` got by the time the call returned, then what came after it.
  std::pair<Received, Received> Run(TestWindow& player, const char* code) {
    player.messages.clear();
    tavion::ExecuteAction(code, -1, false);
    const Received sent = Of(player);
    EXPECT_TRUE(wine_test::PumpThroughSentinel());
    return {sent, Of(player, sent.size())};
  }

  TestWindow owner_;
  std::unique_ptr<tavion::WinExecHost> host_;
  tavion::MediaPlayerOptions options_;
};

TEST_F(PlayersTest, WinampTakesSentAndPostedCommandsButNeverTheLightAlloyBridge) {
  options_.playerType = tavion::kPlayerWinamp;
  TestWindow winamp(Player(L"Winamp v1.x", L"Winamp"));
  // Light Alloy's bridge has Winamp's class too; it is found first, above Winamp.
  TestWindow bridge(Player(L"Winamp v1.x", L"WA2LA bridge"));
  ASSERT_TRUE(
      SetWindowPos(bridge.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE));
  EXPECT_EQ(std::pair(Received{{WM_COMMAND, 40048, 0}}, Received{}), Run(winamp, "wa_next"));
  EXPECT_EQ(std::pair(Received{}, Received{{WM_COMMAND, 40060, 0}}), Run(winamp, "wa_ffor"));
  EXPECT_FALSE(bridge.Got(WM_COMMAND));
}

TEST_F(PlayersTest, BSPlayerPausesWhatPlaysAndPlaysWhatDoesNot) {
  options_.playerType = tavion::kPlayerBSPlayer;
  options_.playPause = true;
  TestWindow player(Player(L"BSPlayer", L"BSPlayer"));
  LRESULT state = 0;
  player.answer = [&state](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (message == WM_USER + 2 && wParam == 0x10102) return state;
    return std::nullopt;
  };
  for (const auto& [playing, command] : {std::pair{2, 21}, std::pair{0, 20}}) {
    state = playing;
    const Received expected = {{WM_USER + 2, 0x10102, 104}, {WM_USER + 2, command, 0}};
    EXPECT_EQ(std::pair(expected, Received{}), Run(player, "wa_play")) << "state " << playing;
  }
}

TEST_F(PlayersTest, WindowsMediaPlayerTakesApplicationCommands) {
  options_.playerType = tavion::kPlayerWindowsMediaPlayer;
  TestWindow player(Player(L"WMPlayerApp", L"Windows Media Player"));
  const Received expected = {{WM_APPCOMMAND, reinterpret_cast<WPARAM>(player.hwnd()),
                              MAKELPARAM(0, APPCOMMAND_MEDIA_NEXTTRACK)}};
  EXPECT_EQ(std::pair(expected, Received{}), Run(player, "wa_next"));
}

}  // namespace
