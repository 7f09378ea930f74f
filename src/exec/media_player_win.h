#pragma once
// The media-player control on the system: finding the player's windows, sending each "wa_" code
// as the player understands it, and the track information of the notification.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "exec/media_player.h"
#include "macros/key_sender.h"
#include "sidekit.h"

namespace tavion {

// What the control takes from the program. Null members use the system's own way.
struct MediaPlayerServices {
  // The media-player page's options, read at each action (required).
  std::function<MediaPlayerOptions()> options;
  // The key sender (required for the codes that send keys).
  KeySender sendKeys;
  // Starts a program as WinExec does: `path` with SW_SHOWNORMAL, returning once it waits for
  // input. Returns false when it did not start.
  std::function<bool(const std::string& path)> launch;
  // ShellExecute of `file` with `verb` and `parameters`, no working folder, `show`.
  std::function<bool(const std::string& file, const std::string& verb,
                     const std::string& parameters, int show)>
      shellExecute;
  // Runs an action code without an action object (ExecuteAction(code, -1, true)).
  std::function<void(const std::string& code)> executeAction;
  // The InstallDir value of HKCU\SOFTWARE\foobar2000, empty when missing.
  std::function<std::string()> foobarInstallDir;
  // Sidekit32's ForceForegroundWindow, which also works when the program is in the background;
  // SetForegroundWindow without it.
  ForceForegroundWindowFn forceForeground = nullptr;
  // The window whose handle BSPlayer gets with the file-name request (the main window).
  HWND ownerWindow = nullptr;
};

// The windows of a player; null when absent.
struct PlayerWindows {
  HWND main = nullptr;
  HWND equalizer = nullptr;
  HWND playlist = nullptr;
  HWND library = nullptr;
};

// The windows of the player of `type`. With `autodetect` and options.autodetect, the foreground
// window or the running players may change `type`.
PlayerWindows FindPlayer(int& type, bool autodetect, const MediaPlayerOptions& options);

// Executes one "wa_" code for the player of `type`; its texts go to SetNotifyText.
void PlayerControl(int type, std::string_view code, const MediaPlayerServices& services);

// The extra notification lines after the player action `code`, for the selected player type;
// empty for a code that shows no track.
std::string PlayerTrackInfo(std::string_view code, const MediaPlayerServices& services);

// Makes PlayerControl with the selected player type the executor of every "wa_" code.
void RegisterMediaPlayerExecutors(MediaPlayerServices services);

}  // namespace tavion
