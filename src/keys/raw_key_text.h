#pragma once
// The text that names a raw input event (a key of one keyboard, a button of one mouse, a report
// of another HID device): the RAWINPUT record in the 32-bit layout, as upper-case hexadecimal.
// Texts are stored in profiles, so both builds make the same text of the same event. Portable.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tavion {

// RAWINPUTHEADER::dwType.
enum class RawDeviceKind : uint32_t { kMouse = 0, kKeyboard = 1, kOther = 2 };

// The longest record that names an event: a mouse record in the 32-bit layout.
inline constexpr std::size_t kMaxRawRecord = 40;

// A record in the 32-bit layout: header of 16 bytes (type, size, device handle, wParam, each 32
// bits), then the device's data as the system gives it.
struct RawRecord {
  RawDeviceKind kind = RawDeviceKind::kOther;
  std::vector<uint8_t> bytes;
};

// `record` as GetRawInputData returned it in a build whose handles are `handleSize` bytes (4 or
// 8), in the 32-bit layout: the handle and wParam cut to their low 32 bits, the size field the
// new size. Nullopt for a record shorter than its header, an unknown handle size, or a record
// longer than kMaxRawRecord in the 32-bit layout.
std::optional<RawRecord> ToRawRecord(std::span<const uint8_t> record, std::size_t handleSize);

// Which events count, and which devices are named by kind only.
struct RawInputOptions {
  bool mice = false;       // "Forcibly hook HID mouses"
  bool keyboards = false;  // "Forcibly hook HID keyboards"
  bool others = true;      // "Hook additional HID devices"
  bool clearMouseDevice = false;
  bool clearKeyboardDevice = false;
  bool clearOtherDevice = false;
};

// The text of `record`: nullopt for a mouse movement, a kind the options leave out, or a record
// too short for its kind's data. A cleared device handle makes the text match that kind of
// event from every device; wParam RIM_INPUTSINK is written as RIM_INPUT, so the text does not
// depend on which window is in front.
std::optional<std::string> RawKeyText(RawRecord record, const RawInputOptions& options);

}  // namespace tavion
