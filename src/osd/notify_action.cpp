#include "osd/notify_action.h"

#include <cctype>
#include <cmath>
#include <mutex>

#include "actions/action.h"
#include "actions/masks.h"
#include "exec/shell_events.h"
#include "lang/lang.h"
#include "settings/settings.h"

namespace tavion {
namespace {

constexpr uint32_t kVkNumLock = 0x90;
constexpr char kCr = '\r';

std::mutex pendingLock;
std::string pendingText;

void ClearPendingOsdText() {
  TakePendingOsdText();
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

uint8_t VolumeKind(const MasterVolume& volume) {
  return volume.muted ? kOsdKindMuted : kOsdKindVolume;
}

// The volume-plug-in actions' line and icon.
struct PluginExtra {
  std::string text;
  uint8_t kind = kOsdKindAction;
};

PluginExtra VolumePluginExtra(const NotifiedAction& action, NotifySystem& system) {
  if (!EqualsIgnoringCase(action.pluginFile, kVolumePluginFile)) return {};
  const std::string& id = action.pluginActionId;
  if (id == "103" || id == "104" || id == "105") {
    if (!system.WaveDevicePresent()) return {std::string(1, kCr) + kNoSoundCard, kOsdKindVolume};
    const MasterVolume volume = system.ReadVolume();
    return {kCr + VolumeText(volume), VolumeKind(volume)};
  }
  if (EqualsIgnoringCase(id, "lang")) return {{}, kOsdKindLanguage};
  return {};
}

// The lines DeskEx adds after the action's name; may set the pending line and the icon kind.
std::string ExtraText(std::string_view code, const std::optional<NotifiedAction>& action,
                      uint8_t& kind, NotifySystem& system) {
  if (code == "ke_keyz") return action ? kCr + action->replacementKeyText : std::string();
  if (code.starts_with("wa_")) return system.PlayerTrackText(code);
  if (code == "tv_e/\\d") {
    SetPendingOsdText(system.HotKeysDisabled() ? GetLangStr("NotifyDz", "Disable Tavion hot keys")
                                               : GetLangStr("NotifyEn", "Enable Tavion hot keys"));
    return {};
  }
  if (code == "srun") return action ? kCr + action->launchPath : std::string();
  if (code == "wm_alfa") {
    const std::optional<int> alpha = system.ForegroundAlpha();
    if (!alpha) return std::string(1, kCr) + kAlphaUnreadable;
    return kCr + std::to_string(AlphaPercent(*alpha)) + "%";
  }
  if (action) {
    PluginExtra extra = VolumePluginExtra(*action, system);
    if (extra.kind != kOsdKindAction) kind = extra.kind;
    return extra.text;
  }
  return {};
}

// The execution notification (steps after the volume and lock-key forms).
void NotifyExecution(std::string_view code, int index, const ExecResult& result,
                     NotifySystem& system) {
  const SettingsRecord& settings = Settings();
  std::optional<NotifiedAction> action;
  if (index > -1) action = system.ActionAt(index);
  if (action && action->neverShowOsd) return;

  if (!settings.Desk_Enbl) {
    if (result.notifyError) system.ShowInformation(result.notifyText);
    return;
  }
  if (index == -1 || code == "tv_kill" || code == kLockStateCode) return;

  system.PlayExecutionSound();
  uint8_t kind = kOsdKindAction;
  std::string extra;
  if (settings.DeskEx) extra = ExtraText(code, action, kind, system);
  if (!action) return;

  std::string text = (result.notifyText.empty() ? action->name : result.notifyText) + extra;
  if (std::string pending = TakePendingOsdText(); !pending.empty()) text += kCr + pending;
  if (settings.KeyInfo) text += kCr + action->hotKeyText;
  system.ShowOSD(OsdLines(text), /*checkEnabled=*/false, index, kind);
}

}  // namespace

NotifiedAction DescribeAction(const TAction& action, const KeyTextContext& keys) {
  NotifiedAction described;
  described.name = action.Name();
  described.code = action.Exec();
  described.hotKeyText = HotKeyToText(action.Key0(), /*useUserNames=*/true,
                                      /*useConversion=*/true, /*withModifiers=*/true, keys);
  if (const auto* rkey = action.ParamsAs<TActionParamsRKey>()) {
    described.replacementKeyText =
        HotKeyToText(rkey->Key, /*useUserNames=*/true,
                     /*useConversion=*/true, /*withModifiers=*/true, keys);
  }
  if (const auto* launch = action.ParamsAs<TActionParamsSExec>())
    described.launchPath = launch->Path;
  if (const auto* plug = action.ParamsAs<TActionParamsPlug>()) {
    described.pluginFile = plug->LibraryFile;
    described.pluginActionId = plug->ActionId;
  }
  described.neverShowOsd = action.ActionExecOn().nOSD;
  return described;
}

void NotifyAction(std::string_view code, int index, NotifySystem& system,
                  const ExecResult& result) {
  const bool execution = code != kMixerNotifyCode && code != kLockStateCode;
  // The execution is over once its notification arrives. Showing it may wait for the display in
  // a message loop, where another execution's message box stays open as long as the user likes;
  // the next hot key must not wait for that box.
  if (execution) Settings().ActionBusy = false;
  if (system.Terminating()) return;
  const SettingsRecord& settings = Settings();
  if (settings.Desk_Enbl && !system.HotKeysDisabled()) {
    if (code == kMixerNotifyCode && settings.DeskEx) {
      system.WaitBriefly();
      const MasterVolume volume = system.ReadVolume();
      ClearPendingOsdText();
      system.ShowOSD(VolumeText(volume), /*checkEnabled=*/true, /*iconIndex=*/-1,
                     VolumeKind(volume));
      return;
    }
    if (code == kLockStateCode && index >= 1 && index <= 255) {
      const auto key = static_cast<uint32_t>(index);
      // The toggle is read once the foreground program has taken in the press.
      system.WaitBriefly();
      const std::string text = LockStateText(key, system.LockKeyToggled(key), system);
      ClearPendingOsdText();
      system.ShowOSD(OsdLines(text), /*checkEnabled=*/true, /*iconIndex=*/-1, kOsdKindAction);
      return;
    }
  }
  if (execution) NotifyExecution(code, index, result, system);
}

void SetPendingOsdText(std::string_view text) {
  const std::lock_guard hold(pendingLock);
  pendingText = text;
}

std::string TakePendingOsdText() {
  const std::lock_guard hold(pendingLock);
  std::string taken;
  taken.swap(pendingText);
  return taken;
}

int AlphaPercent(int alpha) {
  // lrint rounds in the default mode, to nearest with halves to even.
  return static_cast<int>(std::lrint(static_cast<double>(alpha) / 2.55));
}

std::string VolumeText(const MasterVolume& volume) {
  return GetLangStr("NotifySn", "Volume") + " - " + std::to_string(volume.percent) + "%";
}

std::string LockStateText(uint32_t keyCode, bool toggled, NotifySystem& system) {
  const std::string state = toggled ? GetLangStr("NotifyYes", "yes") : GetLangStr("NotifyNo", "no");
  const uint32_t flags = keyCode == kVkNumLock ? 1 : 0;
  return system.KeyName(keyCode, flags) + " " + GetLangStr("NotifyOn", "on") + ":" + kCr +
         UpperCaseText(state);
}

std::string OsdLines(std::string_view text) {
  constexpr std::string_view kMark = "#13";
  std::string lines;
  lines.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i, kMark.size()) == kMark) {
      lines += "\r\n";
      i += kMark.size() - 1;
    } else if (text[i] == '\r' || text[i] == '\n') {
      lines += "\r\n";
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      lines += text[i];
    }
  }
  return lines;
}

}  // namespace tavion
