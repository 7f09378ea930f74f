#pragma once
// Which waits the key sender makes between which events. Portable; the sender waits.
#include <cstdint>
#include <optional>

namespace tavion {

// After keys sent to a raised window, before the former foreground window comes back: injected
// keys reach the focused window only once the low-level hooks have seen them.
inline constexpr uint32_t kRestoreSettleMs = 100;
// After a macro's last event, before its language is put back.
inline constexpr uint32_t kMacroEndSettleMs = 200;

// The wait before a macro event: none (nullopt, and no chance to stop there) when the macro's
// delay setting is 0, the event's recorded delay when the setting is negative, else the setting.
std::optional<uint32_t> MacroEventDelay(int32_t settingMs, uint32_t recordedMs);

}  // namespace tavion
