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

}  // namespace tavion
