#include "macros/key_delays.h"

namespace tavion {

std::optional<uint32_t> MacroEventDelay(int32_t settingMs, uint32_t recordedMs) {
  if (settingMs == 0) return std::nullopt;
  return settingMs < 0 ? recordedMs : static_cast<uint32_t>(settingMs);
}

}  // namespace tavion
