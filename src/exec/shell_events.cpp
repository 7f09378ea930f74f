#include "exec/shell_events.h"

#include "keys/hook_messages.h"
#include "settings/settings.h"

namespace tavion {
namespace {

// The device bits (FAPPCOMMAND_MASK) that share the command's word.
constexpr uint32_t kAppCommandDeviceBits = 0xF000;

bool IsVolumeCommand(uint32_t command) {
  return command == kAppCommandVolumeMute || command == kAppCommandVolumeDown ||
         command == kAppCommandVolumeUp;
}

}  // namespace

ShellEventDecision DecideShellEvent(uintptr_t wParam, intptr_t lParam,
                                    const ShellEventState& state) {
  if (state.terminating || state.hotKeysDisabled) return {};
  const auto event = static_cast<uint32_t>(wParam & 0xFFFF);
  const auto data = static_cast<uint32_t>(lParam);
  TOptions& options = Options();
  if (event == kShellLanguageChanged) {
    if (TakePending(options.PendingLanguageSwitches)) return {};
    return {ShellEventAnswer::kRefreshLanguageIcon, static_cast<uint16_t>(data & 0xFFFF)};
  }
  if (event == kShellAppCommand) {
    const uint32_t command = (data >> 16) & ~kAppCommandDeviceBits & 0xFFFF;
    if (!IsVolumeCommand(command)) return {};
    if (TakePending(options.PendingVolumeCommands)) return {};
    if (state.waveOutDevices && state.waveOutDevices() >= 1) {
      return {ShellEventAnswer::kShowVolume, 0};
    }
  }
  return {};
}

}  // namespace tavion
