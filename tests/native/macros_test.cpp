#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "keys/hotkey.h"
#include "macros/key_delays.h"
#include "macros/macro_format.h"
#include "macros/send_plan.h"
#include "native/support/fakes.h"
#include "settings/registry.h"

namespace tavion {
namespace {

using Items = std::vector<std::string>;

// A tagged settings text from (tag, value) pairs.
std::string Tags(std::initializer_list<std::pair<char, std::string>> fields) {
  std::string text;
  for (const auto& [tag, value] : fields) text += std::string{'\x01', tag} + value;
  return text;
}

TEST(PlaybackSettingsTags, EachTagSetsItsFieldAndOddOrMissingOnesTakeTheDefaults) {
  const PlaybackSettings defaults;
  const std::pair<std::string, PlaybackSettings> cases[] = {
      {"", defaults},
      {"no tags at all", defaults},
      {Tags({{'1', "fast"}, {'2', ""}, {'3', "maybe"}}), defaults},
      {Tags({{'1', "10ms"}}), defaults},
      {Tags({{'1', ""}}) + "\x01", defaults},
      {Tags({{'1', "0"}, {'2', "False"}, {'3', "True"}, {'4', "FALSE"}, {'5', "true"}}),
       {0, false, true, false, true}},
      {Tags({{'1', "1001"}}), {kMaxMacroDelayMs, true, false, true, false}},
      {Tags({{'1', "-60000"}}), defaults},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(expected, ParsePlaybackSettings(text)) << text;
    EXPECT_EQ(expected, ParsePlaybackSettings(PlaybackSettingsText(expected)));
  }
  EXPECT_EQ(Tags({{'1', "20"}, {'2', "False"}, {'3', "False"}, {'4', "True"}}),
            NewRecordingSettingsText());
  // The wait before each event: the fixed delay, the event's own (-1), or none at all (0).
  EXPECT_EQ((std::vector<std::optional<uint32_t>>{std::nullopt, 30, 5}),
            (std::vector{MacroEventDelay(0, 30), MacroEventDelay(-1, 30), MacroEventDelay(5, 30)}));
  EXPECT_EQ(Tags({{'1', "-1"}, {'2', "False"}}),
            WithTaggedField(Tags({{'1', "20"}, {'2', "False"}}), '1', "-1"));
  EXPECT_EQ(std::nullopt, TaggedField(Tags({{'1', "20"}}), '3'));
}

TEST(MacroEvents, AreBytesOfASignedDecimalAndARecordedKeyKeepsExtendedReleasedAndTheDelay) {
  const std::pair<MacroEvent, int32_t> cases[] = {
      {{65, 30, false, true, 16}, 65 | 30 << 8 | 2 << 16 | 16 << 24},
      {{46, 83, true, false, 0}, 46 | 83 << 8 | 1 << 16},
      {{255, 255, true, true, 255}, static_cast<int32_t>(0xFF03FFFFu)},
  };
  for (const auto& [event, packed] : cases) {
    EXPECT_EQ(packed, PackMacroEvent(event));
    EXPECT_EQ(event, UnpackMacroEvent(static_cast<uint32_t>(packed)));
    EXPECT_EQ(std::to_string(packed), MacroEventItem(event));
    EXPECT_EQ(event, ParseMacroEventItem(std::to_string(static_cast<uint32_t>(packed))));
  }
  for (const char* bad : {"", "12a", " 12", "+-1", "4294967296", "-2147483649"})
    EXPECT_EQ(std::nullopt, ParseMacroEventItem(bad)) << bad;
  EXPECT_EQ(static_cast<int32_t>(0xF0020409u), ParseMacroNumber("-268303351"));
  EXPECT_EQ(static_cast<int32_t>(0xF0020409u), ParseMacroNumber("4026663945"));
  // Hook flags: 0x01 extended, 0x10 injected, 0x20 Alt down, 0x80 released.
  EXPECT_EQ((MacroEvent{46, 83, true, true, 44}), MacroEventFromKey(46, 83, 0xB1, 300));
  EXPECT_EQ((MacroEvent{65, 30, false, false, 0}), MacroEventFromKey(65, 30, 0x60, 256));
}

std::string Down(uint8_t key, uint8_t scan, bool extended = false) {
  return MacroEventItem({key, scan, extended, false, 10});
}
std::string Up(uint8_t key, uint8_t scan) {
  return MacroEventItem({key, scan, false, true, 10});
}

TEST(StuckKeyNames, KeysPressedAndNeverReleasedLaterInTheOrderOfTheirFirstPress) {
  // What; the event items; the names of the keys left down.
  const std::tuple<const char*, Items, Items> cases[] = {
      {"all released", {Down(65, 30), Down(65, 30), Up(65, 30)}, {}},
      {"shift left down", {Down(160, 42), Down(65, 30), Up(65, 30)}, {"42"}},
      {"extended", {Down(163, 29, true)}, {"285"}},
      {"release before press", {Up(17, 29), Down(17, 29)}, {"29"}},
      {"released by another scan code", {Down(65, 30), Up(65, 31)}, {"30"}},
      // A second press is no release: the first press keeps its place.
      {"first press order", {Down(66, 48), Down(65, 30), Down(66, 48)}, {"48", "30"}},
      {"stops at a bad item", {Down(65, 30), "oops", Up(65, 30)}, {"30"}},
  };
  const test::FakeSystemKeyNames layout;
  for (const auto& [what, events, stuck] : cases)
    EXPECT_EQ(stuck, StuckKeyNames(events, KeyTextContext{&layout, nullptr})) << what;
}

TEST(TypingText, EveryLineEndsWithCarriageReturnAndLineFeedAndOnlyARealMarkIsDropped) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"\n", "\r\n"},
      {"ab\r", "ab\r\n"},
      {"ab\r\n", "ab\r\n"},
      {"a\nb\rc\r\n\r\nd\n\re", "a\r\nb\r\nc\r\n\r\nd\r\n\r\ne\r\n"},
      {"on %DateTime%.%datetime", "on 2026-12-06 10:00.%datetime\r\n"},
  };
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(expected, TypingText(text, "2026-12-06 10:00")) << text;
  EXPECT_EQ("Hello", WithoutUtf8ByteOrderMark("\xEF\xBB\xBFHello"));
  EXPECT_EQ("\xEF\xBB", WithoutUtf8ByteOrderMark("\xEF\xBB"));
}

KeyInput KeyDown(uint16_t key) {
  return {key, 0, 0};
}
KeyInput KeyUp(uint16_t key) {
  return {key, 0, kInputKeyUp};
}

TEST(SendPlan, HeldModifiersAreLiftedAndPressedAgainAndAMaskIsPressedAndReleased) {
  const test::FakeKeyState nothing({65});
  const ModifierPreparation none(nothing, 0);
  EXPECT_FALSE(none.Needed());
  EXPECT_TRUE(none.Prepare(nothing).empty() && none.Undo(ModifierSet{}).empty());

  const test::FakeKeyState keys({163, 160});  // right Ctrl and left Shift held by the user
  const ModifierPreparation preparation(keys, 0);
  ASSERT_TRUE(preparation.Needed());
  ModifierSet held{};
  held[kRightCtrl] = held[kLeftShift] = true;
  EXPECT_EQ(held, preparation.Held());
  EXPECT_EQ((std::vector<KeyInput>{
                KeyDown(7), KeyUp(7), {163, 0, kInputKeyUp | kInputExtended}, KeyUp(160)}),
            preparation.Prepare(keys));
  // Shift released by the user meanwhile is not pressed again.
  held[kLeftShift] = false;
  EXPECT_EQ((std::vector<KeyInput>{{163, 0, kInputExtended}, KeyDown(7), KeyUp(7)}),
            preparation.Undo(held));

  // A mask presses the left keys, Win extended, and releases them after.
  const ModifierPreparation masked(nothing, kModAlt | kModCtrl | kModShift | kModWin);
  const std::vector<KeyInput> presses = {KeyDown(7),   KeyUp(7),     KeyDown(164),
                                         KeyDown(162), KeyDown(160), {91, 0, kInputExtended}};
  const std::vector<KeyInput> releases = {KeyUp(164), KeyUp(162),
                                          KeyUp(160), {91, 0, kInputExtended | kInputKeyUp},
                                          KeyDown(7), KeyUp(7)};
  EXPECT_EQ(presses, masked.Prepare(nothing));
  EXPECT_EQ(releases, masked.Undo(ModifierSet{}));
}

}  // namespace
}  // namespace tavion
