#include "syskeys/scancode_map.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "doubles/failing_registry.h"
#include "registry_dump.h"

namespace tavion {
namespace {

using Bytes = std::vector<uint8_t>;
using Rows = std::vector<KeyReplacement>;
using Lines = std::vector<std::string>;

const KeyReplacement kCapsToCtrl{.fromScan = 0x3A, .toScan = 0x1D};
const KeyReplacement kRightAltToNothing{.fromScan = 0x38, .fromExtended = true};
const Bytes kCapsToCtrlBytes = {0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0x1D, 0, 0x3A, 0, 0, 0, 0, 0};
const std::string kCapsToCtrlHex =
    "Scancode Map=hex:00,00,00,00,00,00,00,00,02,00,00,00,1d,00,3a,00,00,00,00,00";

TEST(ScancodeMapBytes, HoldTheRowsWithCountAndTerminatorAndReadBackByLength) {
  EXPECT_EQ(kCapsToCtrlBytes, BuildScancodeMap(Rows{kCapsToCtrl}));
  const Bytes rightAlt = BuildScancodeMap(Rows{kRightAltToNothing}).value();
  EXPECT_EQ((Bytes{0, 0, 0x38, 0xE0}), Bytes(rightAlt.begin() + 12, rightAlt.begin() + 16));
  const Rows most(kMaxKeyReplacements, KeyReplacement{1, 2, false, true});
  const Bytes full = BuildScancodeMap(most).value();
  EXPECT_EQ(std::tuple(16 + 4 * kMaxKeyReplacements, uint8_t{255}, most),
            std::tuple(full.size(), full[8], ParseScancodeMap(full)));
  EXPECT_EQ(std::nullopt, BuildScancodeMap(Rows(kMaxKeyReplacements + 1)));
  EXPECT_EQ(std::nullopt, BuildScancodeMap(Rows{})) << "an empty map is no value";

  Bytes wrongCount = BuildScancodeMap(Rows{kCapsToCtrl, kRightAltToNothing}).value();
  wrongCount[8] = 9;
  const Bytes noTerminator(kCapsToCtrlBytes.begin(), kCapsToCtrlBytes.end() - 4);
  // What; the bytes; the rows read.
  const std::tuple<const char*, Bytes, Rows> cases[] = {
      {"a count field of another tool", wrongCount, {kCapsToCtrl, kRightAltToNothing}},
      {"shorter than a header", Bytes(7, 0), {}},
      {"an entry without terminator", noTerminator, {}},
      {"one byte of a terminator",
       Bytes(kCapsToCtrlBytes.begin(), kCapsToCtrlBytes.end() - 3),
       {kCapsToCtrl}},
  };
  for (const auto& [what, bytes, rows] : cases) EXPECT_EQ(rows, ParseScancodeMap(bytes)) << what;
}

TEST(ScancodeMapStore, ReplacesInOneWriteDeletesOnlyWhenEmptyAndKeepsTheMapWhenRefused) {
  FailingRegistry store;
  ASSERT_EQ(MapWrite::kDone, WriteScancodeMap(store, kScancodeMapValue, Rows{kRightAltToNothing}));
  store.FailFrom(FailingRegistry::kNever);
  EXPECT_EQ(MapWrite::kDone, WriteScancodeMap(store, kScancodeMapValue, Rows{kCapsToCtrl}));
  EXPECT_EQ((std::tuple(size_t{1}, Lines{kCapsToCtrlHex})),
            std::tuple(store.MutatingCalls(), DumpValues(store, "")))
      << "the value is replaced by one write, never deleted first";

  EXPECT_EQ(MapWrite::kTooMany,
            SetRemapMode(store, /*on=*/false, Rows(kMaxKeyReplacements + 1, kCapsToCtrl)));
  store.FailFrom(1);
  EXPECT_EQ(MapWrite::kRefused, WriteScancodeMap(store, kScancodeMapValue, Rows{}));
  EXPECT_EQ(MapWrite::kRefused, SetRemapMode(store, /*on=*/false, Rows{kCapsToCtrl}));
  EXPECT_EQ(Lines{kCapsToCtrlHex}, DumpValues(store, "")) << "refusals leave the map";

  store.FailFrom(FailingRegistry::kNever);
  EXPECT_EQ(MapWrite::kDone, WriteScancodeMap(store, kScancodeMapValue, Rows{}));
  EXPECT_EQ(Lines{}, DumpValues(store, "")) << "the last row gone, the value goes";
}

TEST(ScancodeMapStore, TheActiveMapCountsAndTheSwitchedOffOneOnlyWithoutIt) {
  const Bytes offMap = BuildScancodeMap(Rows{kRightAltToNothing}).value();
  // What; the active value, the switched-off one (none: missing); the rows, on, stored.
  const std::tuple<const char*, std::optional<Bytes>, std::optional<Bytes>, Rows, bool, bool>
      cases[] = {
          {"nothing stored", {}, {}, {}, true, false},
          {"switched off", {}, offMap, {kRightAltToNothing}, false, true},
          {"both", kCapsToCtrlBytes, offMap, {kCapsToCtrl}, true, true},
      };
  for (const auto& [what, active, off, rows, on, stored] : cases) {
    MemoryRegistry store;
    if (active) store.WriteBinary("", kScancodeMapValue, *active);
    if (off) store.WriteBinary("", kScancodeMapOffValue, *off);
    const RemapState state = ReadRemapState(store);
    EXPECT_EQ(std::tuple(rows, on, stored), std::tuple(state.rows, state.on, state.stored)) << what;
  }
  MemoryRegistry other;
  ASSERT_TRUE(other.WriteString("", kScancodeMapValue, "not binary"));
  EXPECT_EQ(Rows{}, ReadRemapState(other).rows);
}

}  // namespace
}  // namespace tavion
