// The media-player control as the dispatcher runs it: every "wa_" code goes to the selected
// player, and "Begin play on start" runs "wa_play" through ExecuteAction again.

#include "wine/players/player_fixture.h"

#include <memory>

#include "exec/dispatcher.h"
#include "exec/exec_host_win.h"
#include "settings/settings.h"

namespace players_test {
namespace {

class PlayerDispatchTest : public PlayerTest {
 protected:
  PlayerDispatchTest() {
    tavion::ClearExecutors();
    host_ = std::make_unique<tavion::WinExecHost>(owner_, tavion::MainWindowServices{});
    tavion::SetExecHost(host_.get());
  }
  ~PlayerDispatchTest() override {
    tavion::SetExecHost(nullptr);
    tavion::ClearExecutors();
  }
  std::unique_ptr<tavion::WinExecHost> host_;
};

TEST_F(PlayerDispatchTest, CodesGoToTheSelectedPlayerType) {
  StartDouble({L"bsplayer", L"winamp"});
  tavion::RegisterMediaPlayerExecutors(Services());
  options_.playerType = tavion::kPlayerBSPlayer;
  tavion::ExecuteAction("wa_next", -1, false);
  ExpectMessages({{Window(L"BSPlayer"), WM_USER + 2, true, 28, 0}}, "BSPlayer selected");

  ClearMessages();
  options_.playerType = tavion::kPlayerWinamp;
  tavion::ExecuteAction("wa_next", -1, false);
  ExpectMessages({{Window(L"Winamp v1.x"), WM_COMMAND, true, 40048, 0}}, "Winamp selected");
}

TEST_F(PlayerDispatchTest, LaunchWithAutoPlayRunsPlayThroughTheDispatcher) {
  StartDouble({L"winamp"});
  const HWND main = Window(L"Winamp v1.x");
  tavion::MediaPlayerServices services = Services();
  services.executeAction = nullptr;  // the program's own ExecuteAction
  tavion::RegisterMediaPlayerExecutors(services);
  options_.playerPath = "C:\\Winamp\\winamp.exe";
  options_.closeOnSecondLaunch = false;
  options_.autoPlay = true;
  options_.playPause = false;
  tavion::ExecuteAction("wa_wamp", -1, false);
  EXPECT_EQ(std::vector<std::string>{"C:\\Winamp\\winamp.exe"}, launched_);
  ExpectMessages({{main, WM_COMMAND, true, 40045, 0}}, "play after the launch");
}

}  // namespace
}  // namespace players_test
