#include "exec/shell_events_win.h"

#include <mmsystem.h>

#include "exec/dispatcher.h"
#include "exec/shell_events.h"
#include "exec/main_messages.h"

namespace tavion {

LRESULT HandleShellEvent(HWND mainWindow, WPARAM wParam, LPARAM lParam, bool terminating,
                         bool hotKeysDisabled,
                         const std::function<void(uint16_t language)>& refreshLanguageIcon) {
  const ShellEventState state{.terminating = terminating,
                              .hotKeysDisabled = hotKeysDisabled,
                              .waveOutDevices = [] { return waveOutGetNumDevs(); }};
  const ShellEventDecision decision = DecideShellEvent(wParam, lParam, state);
  switch (decision.answer) {
    case ShellEventAnswer::kRefreshLanguageIcon:
      if (refreshLanguageIcon) refreshLanguageIcon(decision.layout);
      break;
    case ShellEventAnswer::kShowVolume: {
      // Static: the posted message outlives this call.
      static const NotifyNotice volume{kMixerNotifyCode, {}};
      PostMessageW(mainWindow, WM_TV_NOTIFY, reinterpret_cast<WPARAM>(&volume),
                   static_cast<LPARAM>(-1));
      break;
    }
    case ShellEventAnswer::kNothing:
      break;
  }
  return 0;
}

}  // namespace tavion
