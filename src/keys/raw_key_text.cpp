#include "keys/raw_key_text.h"

#include <cstring>

namespace tavion {
namespace {

constexpr std::size_t kHeader = 16;  // in the 32-bit layout
constexpr std::size_t kMouseData = 24, kKeyboardData = 16, kOtherData = 8;

uint32_t Read32(std::span<const uint8_t> bytes, std::size_t at) {
  uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value |= static_cast<uint32_t>(bytes[at + i]) << (8 * i);
  return value;
}

void Write32(std::vector<uint8_t>& bytes, std::size_t at, uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

std::size_t DataSize(RawDeviceKind kind) {
  switch (kind) {
    case RawDeviceKind::kMouse:
      return kMouseData;
    case RawDeviceKind::kKeyboard:
      return kKeyboardData;
    case RawDeviceKind::kOther:
      break;
  }
  return kOtherData;
}

}  // namespace

std::optional<RawRecord> ToRawRecord(std::span<const uint8_t> record, std::size_t handleSize) {
  if (handleSize != 4 && handleSize != 8) return std::nullopt;
  const std::size_t header = 8 + 2 * handleSize;
  if (record.size() < header) return std::nullopt;
  const std::size_t size = kHeader + (record.size() - header);
  if (size > kMaxRawRecord) return std::nullopt;
  const uint32_t type = Read32(record, 0);
  if (type > static_cast<uint32_t>(RawDeviceKind::kOther)) return std::nullopt;
  RawRecord out{static_cast<RawDeviceKind>(type), std::vector<uint8_t>(size)};
  Write32(out.bytes, 0, type);
  Write32(out.bytes, 4, static_cast<uint32_t>(size));
  Write32(out.bytes, 8, Read32(record, 8));                // the handle's low half
  Write32(out.bytes, 12, Read32(record, 8 + handleSize));  // wParam's low half
  std::memcpy(out.bytes.data() + kHeader, record.data() + header, record.size() - header);
  return out;
}

std::optional<std::string> RawKeyText(RawRecord record, const RawInputOptions& options) {
  std::vector<uint8_t>& bytes = record.bytes;
  if (bytes.size() < kHeader + DataSize(record.kind)) return std::nullopt;
  bool clear = false;
  switch (record.kind) {
    case RawDeviceKind::kMouse:
      // Only buttons and the wheel name events: a movement changes lLastX or lLastY.
      if (Read32(bytes, kHeader + 12) != 0 || Read32(bytes, kHeader + 16) != 0) return std::nullopt;
      if (!options.mice) return std::nullopt;
      clear = options.clearMouseDevice;
      break;
    case RawDeviceKind::kKeyboard:
      if (!options.keyboards) return std::nullopt;
      clear = options.clearKeyboardDevice;
      break;
    case RawDeviceKind::kOther:
      if (!options.others) return std::nullopt;
      clear = options.clearOtherDevice;
      break;
  }
  if (clear) Write32(bytes, 8, 0);
  if (bytes[12] == 1) bytes[12] = 0;  // RIM_INPUTSINK as RIM_INPUT
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(2 * bytes.size());
  for (const uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

}  // namespace tavion
