// Raw input records in both builds' layouts become one text per event.
#include "keys/raw_key_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tavion {
namespace {

// A record as GetRawInputData gives it in a build with `handleSize`-byte handles.
std::vector<uint8_t> Record(RawDeviceKind kind, uint64_t device, uint64_t wParam,
                            const std::vector<uint8_t>& data, size_t handleSize) {
  std::vector<uint8_t> bytes;
  const auto put = [&bytes](uint64_t value, size_t size) {
    for (size_t i = 0; i < size; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
  };
  put(static_cast<uint32_t>(kind), 4);
  put(8 + 2 * handleSize + data.size(), 4);
  put(device, handleSize);
  put(wParam, handleSize);
  bytes.insert(bytes.end(), data.begin(), data.end());
  return bytes;
}

// RAWKEYBOARD for 'A' down (make code 0x1E, WM_KEYDOWN).
const std::vector<uint8_t> kKeyA = {0x1E, 0, 0, 0, 0, 0, 0x41, 0, 0, 1, 0, 0, 0, 0, 0, 0};

// RAWMOUSE: button flags (left down = 1), and the relative movement.
std::vector<uint8_t> Mouse(uint16_t buttons, int32_t x, int32_t y) {
  std::vector<uint8_t> data(24, 0);
  data[4] = static_cast<uint8_t>(buttons);
  data[5] = static_cast<uint8_t>(buttons >> 8);
  for (size_t i = 0; i < 4; ++i) {
    data[12 + i] = static_cast<uint8_t>(static_cast<uint32_t>(x) >> (8 * i));
    data[16 + i] = static_cast<uint8_t>(static_cast<uint32_t>(y) >> (8 * i));
  }
  return data;
}

std::optional<std::string> Text(const std::vector<uint8_t>& record, size_t handleSize,
                                const RawInputOptions& options) {
  const std::optional<RawRecord> converted = ToRawRecord(record, handleSize);
  return converted ? RawKeyText(*converted, options) : std::nullopt;
}

constexpr RawInputOptions kAll = {.mice = true, .keyboards = true, .others = true};

TEST(RawKeyText, BothBuildsNameAnEventAlikeInThe32BitLayout) {
  const std::string key32 = *Text(Record(RawDeviceKind::kKeyboard, 0x1234, 0, kKeyA, 4), 4, kAll);
  EXPECT_EQ(
      "01000000200000003412000000000000"
      "1E000000000041000001000000000000",
      key32);
  // A 64-bit handle keeps its low half; the size field is the 32-bit record's.
  EXPECT_EQ(key32, Text(Record(RawDeviceKind::kKeyboard, 0xFFFF00001234ull, 0, kKeyA, 8), 8, kAll));
  // A mouse record is 48 bytes in the 64-bit layout and 40 in the other: kept by both.
  const auto click64 = Text(Record(RawDeviceKind::kMouse, 7, 0, Mouse(1, 0, 0), 8), 8, kAll);
  ASSERT_TRUE(click64.has_value());
  EXPECT_EQ(2 * kMaxRawRecord, click64->size());
  EXPECT_EQ(click64, Text(Record(RawDeviceKind::kMouse, 7, 0, Mouse(1, 0, 0), 4), 4, kAll));
}

TEST(RawKeyText, OptionsChooseTheEventsAndWhetherTheDeviceIsNamed) {
  const auto key = [](uint64_t device, uint64_t wParam, const RawInputOptions& options) {
    return Text(Record(RawDeviceKind::kKeyboard, device, wParam, kKeyA, 8), 8, options);
  };
  EXPECT_NE(key(1, 0, kAll), key(2, 0, kAll)) << "two keyboards";
  RawInputOptions cleared = kAll;
  cleared.clearKeyboardDevice = true;
  EXPECT_EQ(key(1, 0, cleared), key(2, 0, cleared));
  EXPECT_EQ(key(1, 0, kAll), key(1, 1, kAll)) << "in the background (RIM_INPUTSINK)";
  RawInputOptions noKeyboards = kAll;
  noKeyboards.keyboards = false;
  EXPECT_FALSE(key(1, 0, noKeyboards));

  const auto mouse = [](int32_t x, int32_t y, const RawInputOptions& options) {
    return Text(Record(RawDeviceKind::kMouse, 3, 0, Mouse(1, x, y), 8), 8, options);
  };
  EXPECT_FALSE(mouse(5, 0, kAll)) << "a movement";
  EXPECT_FALSE(mouse(0, -2, kAll)) << "a movement";
  RawInputOptions noMice = kAll;
  noMice.mice = false;
  EXPECT_FALSE(mouse(0, 0, noMice));
}

TEST(RawKeyText, RecordsTooLongOrCutShortNameNothing) {
  const std::vector<uint8_t> report(8 + 16, 0x5A);  // RAWHID: size, count, 16 bytes
  EXPECT_TRUE(Text(Record(RawDeviceKind::kOther, 1, 0, report, 8), 8, kAll));
  const std::vector<uint8_t> longer(8 + 17, 0x5A);
  EXPECT_FALSE(Text(Record(RawDeviceKind::kOther, 1, 0, longer, 8), 8, kAll));
  std::vector<uint8_t> cut = Record(RawDeviceKind::kKeyboard, 1, 0, kKeyA, 8);
  cut.resize(cut.size() - 1);
  EXPECT_FALSE(Text(cut, 8, kAll)) << "the key's data cut short";
  EXPECT_FALSE(ToRawRecord(std::vector<uint8_t>(23, 0), 8)) << "not even a header";
  EXPECT_FALSE(ToRawRecord(Record(RawDeviceKind::kKeyboard, 1, 0, kKeyA, 4), 2));
  EXPECT_FALSE(Text(Record(static_cast<RawDeviceKind>(3), 1, 0, kKeyA, 8), 8, kAll));
}

}  // namespace
}  // namespace tavion
