#include "pipeline/raw_input.h"

#include "keys/key_edit.h"

namespace tavion {
namespace {

// The usage page of generic desktop controls, and its mouse and keyboard usages.
constexpr uint16_t kGenericDesktop = 1, kMouseUsage = 2, kKeyboardUsage = 6;

}  // namespace

std::vector<RawDeviceUsage> RawRegistrationUsages(std::span<const RawDeviceUsage> devices,
                                                  bool keyboards) {
  std::vector<RawDeviceUsage> usages;
  usages.reserve(devices.size());
  for (const RawDeviceUsage& device : devices) {
    switch (device.kind) {
      case RawDeviceKind::kMouse:
        usages.push_back({device.kind, kGenericDesktop, kMouseUsage});
        break;
      case RawDeviceKind::kKeyboard:
        if (keyboards) usages.push_back({device.kind, kGenericDesktop, kKeyboardUsage});
        break;
      case RawDeviceKind::kOther:
        usages.push_back(device);
        break;
    }
  }
  return usages;
}

RawTextRoute RouteRawText(std::wstring_view focusClass, RawDeviceKind kind,
                          std::optional<std::wstring_view> classUnderCursor) {
  if (focusClass != kKeyEditClass) return RawTextRoute::kDispatch;
  if (kind == RawDeviceKind::kMouse && classUnderCursor && *classUnderCursor != kKeyEditClass)
    return RawTextRoute::kDrop;
  return RawTextRoute::kCaptureControl;
}

}  // namespace tavion
