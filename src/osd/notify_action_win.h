#pragma once
// NotifyAction on the system: lock-key state and names, the master volume, the media player's
// track, the foreground window's opacity, the execution sound and the message box. The display
// itself and the action list come from the caller.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "osd/notify_action.h"

namespace tavion {

class TAction;

struct NotifyServices {
  // Shows a text on the display (required): text (lines separated by CR LF), check Desk_Enbl,
  // action index or -1, kind.
  std::function<void(const std::string& text, bool checkEnabled, int iconIndex, uint8_t kind)>
      showOsd;
  // The action at a tree index, or null; null function: no actions.
  std::function<const TAction*(int index)> actionAt;
  // The tray's "Disable %s" is ticked; null: never.
  std::function<bool()> hotKeysDisabled;
  // The main window is being destroyed; null: only the application's end counts.
  std::function<bool()> terminating;
  // "Play sound on action execute" (Opt_SoundExec); null: off.
  std::function<bool()> executionSound;
  // PlayerTrackInfo with the media player's services; null: no track lines.
  std::function<std::string(std::string_view code)> playerTrackText;
};

// NotifySystem answered by the system and `services` (kept by reference: it must outlive this).
class Win32NotifySystem final : public NotifySystem {
 public:
  explicit Win32NotifySystem(const NotifyServices& services) : services_(services) {}

  bool Terminating() override;
  bool HotKeysDisabled() override;
  std::optional<NotifiedAction> ActionAt(int index) override;
  MasterVolume ReadVolume() override;
  bool WaveDevicePresent() override;
  bool LockKeyToggled(uint32_t keyCode) override;
  std::string KeyName(uint32_t keyCode, uint32_t flags) override;
  std::string PlayerTrackText(std::string_view code) override;
  std::optional<int> ForegroundAlpha() override;
  void PlayExecutionSound() override;
  void WaitBriefly() override;
  void ShowInformation(const std::string& text) override;
  void ShowOSD(const std::string& text, bool checkEnabled, int iconIndex, uint8_t kind) override;

 private:
  const NotifyServices& services_;
  bool ending_ = false;  // the wait saw the application end
};

// The main window's WM_TV_NOTIFY: wParam a NotifyNotice (kNotifyLockState: a lock key, whose
// code is in lParam), lParam the action index (-1 none). A null notice is ignored. Runs on the
// user-interface thread.
void NotifyAction(WPARAM wParam, LPARAM lParam, const NotifyServices& services);

// The opacity of `window` as the program set it, else as the system reports it; nullopt for
// no window.
std::optional<int> WindowOpacity(HWND window);

}  // namespace tavion

// Exported by Tavion.exe for plug-ins: stores `text` (ANSI, as the plug-in text interface is) as
// the line added to the next action notification; a null text clears it.
extern "C" void WINAPI PlugShowOSD(const char* text);
