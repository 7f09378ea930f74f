#include "settings/settings.h"

namespace tavion {

SettingsRecord& Settings() {
  static SettingsRecord settings;
  return settings;
}

TOptions& Options() {
  static TOptions options;
  return options;
}

void ResetSettings() {
  SettingsRecord& s = Settings();
  static_cast<PersistedSettings&>(s) = PersistedSettings{};
  s.ActionBusy = false;
  s.HiddenWindow = 0;
  s.LastHotKeyCode = 0;
  s.LastKeyText.clear();
  s.LastKeyTime = 0;
  s.LeftWinUsed = false;
  s.RightWinUsed = false;
  s.SendingKeys = false;
  s.MacroPlaying = false;
  s.MacroRecording = false;
  s.LastRecordTime = 0;
  s.ForcedExit = false;
  s.ExplicitExit = false;
  TOptions& o = Options();
  o.BuildNumber = 0;
  o.PendingLanguageSwitches = 0;
  o.PendingVolumeCommands = 0;
  o.Dispatching = false;
}

bool TakePending(std::atomic<int16_t>& counter) {
  int16_t pending = counter.load();
  while (pending >= 1) {
    if (counter.compare_exchange_weak(pending, static_cast<int16_t>(pending - 1))) return true;
  }
  return false;
}

}  // namespace tavion
