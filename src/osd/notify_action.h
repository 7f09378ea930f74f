#pragma once
// The text of each notification: what the on-screen display shows after an action ran, when a
// lock key changed and when the volume changed. Portable; notify_action_win.h asks the system.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "exec/dispatcher.h"
#include "exec/volume.h"
#include "keys/key_text.h"

namespace tavion {

class TAction;

// The code of a lock-key notification (WM_TV_NOTIFY wParam 20, the key code in lParam).
inline constexpr char kLockStateCode[] = "__lockState__";

// The special icons of a notification (ShowOSD's Kind).
inline constexpr uint8_t kOsdKindAction = 0;    // the action's own icon
inline constexpr uint8_t kOsdKindLanguage = 1;  // the foreground window's input language
inline constexpr uint8_t kOsdKindVolume = 2;
inline constexpr uint8_t kOsdKindMuted = 3;

// The lines that are not translated.
inline constexpr char kAlphaUnreadable[] = "Error: can't set window transparency";
inline constexpr char kNoSoundCard[] = "Error: can't find sound card!";
// The plug-in whose volume and language actions get their own lines and icons.
inline constexpr char kVolumePluginFile[] = "Corvex.dll";

// What a notification needs of one action.
struct NotifiedAction {
  std::string name;
  std::string code;
  std::string hotKeyText;          // its hot key with modifiers and the user's key names
  std::string replacementKeyText;  // "ke_keyz": the key sent instead
  std::string launchPath;          // "srun": the path as the user typed it
  std::string pluginFile;          // a plug-in action's library file name
  std::string pluginActionId;      // a plug-in action's own name
  bool neverShowOsd = false;       // "Never show OSD for this action"
  friend bool operator==(const NotifiedAction&, const NotifiedAction&) = default;
};

// The notification's view of `action`; key texts come from `keys`.
NotifiedAction DescribeAction(const TAction& action,
                              const KeyTextContext& keys = DefaultKeyTextContext());

// What NotifyAction asks of the program and the system. Called on the user-interface thread.
class NotifySystem {
 public:
  virtual ~NotifySystem() = default;
  // The main window is being destroyed or the application is ending.
  virtual bool Terminating() = 0;
  // The tray's "Disable %s" is ticked.
  virtual bool HotKeysDisabled() = 0;
  // The action at tree index `index`; nullopt when there is none.
  virtual std::optional<NotifiedAction> ActionAt(int index) = 0;
  virtual MasterVolume ReadVolume() = 0;
  virtual bool WaveDevicePresent() = 0;
  // Whether the lock key `keyCode` is toggled on now.
  virtual bool LockKeyToggled(uint32_t keyCode) = 0;
  // The system's name of `keyCode` as a key message describes it (scan code and flags).
  virtual std::string KeyName(uint32_t keyCode, uint32_t flags) = 0;
  // The media player's lines after the player action `code`; empty for none.
  virtual std::string PlayerTrackText(std::string_view code) = 0;
  // The foreground window's opacity (0 to 255); nullopt when there is no window to read.
  virtual std::optional<int> ForegroundAlpha() = 0;
  // Plays "run.wav" when "Play sound on action execute" is on.
  virtual void PlayExecutionSound() = 0;
  // 100 ms while processing messages: the volume settles, a lock key reaches the foreground
  // program.
  virtual void WaitBriefly() = 0;
  // An information box with an OK button.
  virtual void ShowInformation(const std::string& text) = 0;
  // Shows `text` (lines separated by CR LF) on the display.
  virtual void ShowOSD(const std::string& text, bool checkEnabled, int iconIndex, uint8_t kind) = 0;
};

// Builds the notification of `code` run as action `index` (-1 none) with the execution's
// `result`, or of a lock key (code kLockStateCode, `index` the key code), or of the volume
// ("mixer", -1), and shows it. Reads Desk_Enbl, DeskEx and KeyInfo from Settings(). An
// execution's notification first ends the hot key's request: it clears ActionBusy.
void NotifyAction(std::string_view code, int index, NotifySystem& system,
                  const ExecResult& result = {});

// The extra line a plug-in or the hot-key switch adds to the next action notification. Safe
// from any thread: plug-ins set it while their action runs on a worker thread.
void SetPendingOsdText(std::string_view text);
// The pending line, leaving none.
std::string TakePendingOsdText();

// `alpha` (0 to 255) in percent, rounded to the nearest integer, halves to even.
int AlphaPercent(int alpha);

// The volume line: "Volume - 40%".
std::string VolumeText(const MasterVolume& volume);

// The name and state line of lock key `keyCode`: "Caps Lock on:" CR "YES". Num Lock is named
// by its extended form, which the layout tells apart from Pause.
std::string LockStateText(uint32_t keyCode, bool toggled, NotifySystem& system);

// `text` as the display's lines: each "#13", and each CR or LF that does not already pair
// into CR LF, becomes CR LF.
std::string OsdLines(std::string_view text);

}  // namespace tavion
