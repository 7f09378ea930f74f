#pragma once
// The media-player tests' fixture: the double players in processes of their own, the shared
// block of what they received, and recording stand-ins for the key sender and the launchers.

#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "doubles/players/player_double.h"
#include "exec/dispatcher.h"
#include "exec/media_player_win.h"

namespace players_test {

using tavion::test::PlayerDoubleBlock;
using tavion::test::PlayerDoubleRecord;

// One message as a test expects it.
struct Message {
  HWND window;
  UINT message;
  bool sent;
  WPARAM wParam;
  LPARAM lParam;
};

// One call of the key sender.
struct SentKeys {
  uint8_t modifiers;
  uint16_t key;
  HWND target;
  bool operator==(const SentKeys&) const = default;
};

// A double player process with the given window sets; ended when this goes.
class PlayerDouble {
 public:
  PlayerDouble(PlayerDoubleBlock& block, std::initializer_list<const wchar_t*> sets);
  ~PlayerDouble();
  PlayerDouble(const PlayerDouble&) = delete;
  PlayerDouble& operator=(const PlayerDouble&) = delete;
  bool ready() const { return ready_; }

 private:
  PROCESS_INFORMATION process_{};
  bool ready_ = false;
};

class PlayerTest : public testing::Test {
 protected:
  PlayerTest();
  ~PlayerTest() override;

  // Starts a double with `sets`; fails the test when it does not come up.
  void StartDouble(std::initializer_list<const wchar_t*> sets);
  // Ends every double.
  void StopDoubles() { doubles_.clear(); }
  // A visible window of the test thread that can take the foreground from the players.
  HWND OtherWindow();
  // Forgets what the doubles received so far.
  void ClearMessages();
  // Runs `code` for `type` with options_ and the recording services.
  void Run(int type, const char* code);
  std::string TrackInfo(const char* code);
  tavion::MediaPlayerServices Services();

  // Waits until at least `expected.size()` messages arrived (and a little longer for stray
  // ones), then compares all of them.
  void ExpectMessages(const std::vector<Message>& expected, const std::string& context);
  std::vector<PlayerDoubleRecord> Messages() const;

  // This test program's path: a file that exists.
  static std::string SelfPath();
  static HWND Window(const wchar_t* windowClass, const wchar_t* caption = nullptr);
  // The foreground window once it is `expected` or a second has passed: a switch to another
  // process completes only when that process has handled its activation.
  static HWND ForegroundSoon(HWND expected);
  // Brings `window` to the foreground and waits until it is there.
  static bool MakeForeground(HWND window);

  PlayerDoubleBlock* block_ = nullptr;
  tavion::MediaPlayerOptions options_;
  std::vector<SentKeys> keys_;
  std::vector<std::string> launched_;
  std::vector<std::string> executed_;
  std::vector<std::string> shellCalls_;  // "file|verb|parameters|show"
  std::string foobarDir_;
  // Started by the recording launcher, for the tests where a launch must bring a player up.
  std::vector<const wchar_t*> launchStarts_;
  HWND owner_ = nullptr;
  HWND other_ = nullptr;
  // What the player reports to the notification, as a dispatch on this thread would collect it.
  tavion::ExecResult notified_;
  tavion::NotifyTextScope notifyScope_{notified_};

 private:
  HANDLE mapping_ = nullptr;
  HMODULE sidekit_ = nullptr;
  ForceForegroundWindowFn forceForeground_ = nullptr;  // the program's way to the foreground
  std::vector<std::unique_ptr<PlayerDouble>> doubles_;
};

}  // namespace players_test
