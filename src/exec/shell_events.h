#pragma once
// What the main window does with a shell event of the hook library (message 0x46A): a keyboard
// language change refreshes the tray's language icon, a volume key shows the volume, unless the
// program caused the event itself (the pending counters of TOptions). Portable.

#include <cstdint>
#include <functional>

namespace tavion {

// Application commands of the volume keys.
inline constexpr uint32_t kAppCommandVolumeMute = 8;
inline constexpr uint32_t kAppCommandVolumeDown = 9;
inline constexpr uint32_t kAppCommandVolumeUp = 10;

// The code text of the volume notification (WM_TV_NOTIFY with action index -1).
inline constexpr char kMixerNotifyCode[] = "mixer";

struct ShellEventState {
  bool terminating = false;
  bool hotKeysDisabled = false;  // OPT_DIS_TV
  // The number of wave-output devices, asked only when a volume notification is due; null: none.
  std::function<uint32_t()> waveOutDevices;
};

enum class ShellEventAnswer {
  kNothing,
  kRefreshLanguageIcon,  // with `layout`
  kShowVolume,           // post WM_TV_NOTIFY("mixer", -1)
};

struct ShellEventDecision {
  ShellEventAnswer answer = ShellEventAnswer::kNothing;
  uint16_t layout = 0;  // the language identifier of a language event
  friend bool operator==(const ShellEventDecision&, const ShellEventDecision&) = default;
};

// The answer to shell event `wParam` (low word: the event code) with `lParam` (low word: the
// language of event 8; high word: the application command of event 12, device bits ignored).
// Takes one pending language switch or volume command of TOptions when the event is the
// program's own. Every event is ignored while terminating or while hot keys are disabled.
ShellEventDecision DecideShellEvent(uintptr_t wParam, intptr_t lParam,
                                    const ShellEventState& state);

}  // namespace tavion
