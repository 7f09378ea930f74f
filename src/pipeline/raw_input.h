#pragma once
// The decisions of the raw-input layer that need no system: which usages a device list is
// registered for, and where the text of one event goes. Portable.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "keys/raw_key_text.h"

namespace tavion {

// One device as RIDI_DEVICEINFO describes it; the usage is the device's own only for kOther.
struct RawDeviceUsage {
  RawDeviceKind kind = RawDeviceKind::kOther;
  uint16_t usagePage = 0;
  uint16_t usage = 0;
};

// The usage each device is registered for, in list order and one per device (two keyboards give
// two equal entries): mice as 1/2, keyboards as 1/6 only when `keyboards`, any other device with
// its own usage.
std::vector<RawDeviceUsage> RawRegistrationUsages(std::span<const RawDeviceUsage> devices,
                                                  bool keyboards);

enum class RawTextRoute {
  kDispatch,        // to the main window's key handler
  kCaptureControl,  // to the focused capture control
  kDrop,
};

// Where the text of an event of `kind` goes. `focusClass`: the window class of the window with
// the keyboard focus ("" for none); the capture control's is "TKeyEdit". `classUnderCursor`: the
// class of this program's window under the mouse cursor, nullopt when the cursor is over no
// window of the program. A click elsewhere in the program while a capture control has the focus
// is not captured.
RawTextRoute RouteRawText(std::wstring_view focusClass, RawDeviceKind kind,
                          std::optional<std::wstring_view> classUnderCursor);

}  // namespace tavion
