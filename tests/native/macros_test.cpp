#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "macros/macro_format.h"
#include "macros/send_plan.h"
#include "settings/registry.h"
#include "tavion_plugin.h"

namespace tavion {
namespace {

using Items = std::vector<std::string>;

// A tagged settings text from (tag, value) pairs.
std::string Tags(std::initializer_list<std::pair<char, std::string>> fields) {
  std::string text;
  for (const auto& [tag, value] : fields) text += std::string{'\x01', tag} + value;
  return text;
}

TEST(MacroItems, ReadTheStoredCommaText) {
  struct Case {
    std::string text;
    Items expected;
  };
  const Case cases[] = {
      {"", {}},
      {"\"\"", {""}},
      {"67699721,\"\x01"
       "120\",30,-1073741794",
       {"67699721",
        "\x01"
        "120",
        "30", "-1073741794"}},
      {",\"\x01"
       "1-1\"",
       {"",
        "\x01"
        "1-1"}},
      {"1,2,", {"1", "2", ""}},
      {"\"say \"\"hi\"\"\",b", {"say \"hi\"", "b"}},
      {" 1 ,\t2 ", {"1", "2"}},
      {"a,,b", {"a", "", "b"}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, MacroItemsFromText(c.text)) << c.text;
}

TEST(MacroItems, WrittenItemsReadBackExactly) {
  const Items cases[] = {
      {""},
      {"", NewRecordingSettingsText(), "16", "-2147483648"},
      {"67699721", "a \"quoted\", comma", ""},
      {"", ""},
  };
  for (const Items& items : cases) {
    const std::string text = MacroItemsToText(items);
    EXPECT_EQ(items, MacroItemsFromText(text)) << text;
  }
  EXPECT_EQ("\"\"", MacroItemsToText(Items{""}));
}

TEST(PlaybackSettingsTags, MissingEmptyAndOddFieldsTakeTheDefaults) {
  struct Case {
    std::string text;
    PlaybackSettings expected;
  };
  const PlaybackSettings defaults;
  const Case cases[] = {
      {"", defaults},
      {Tags({{'1', ""}, {'2', ""}}), defaults},
      {Tags({{'1', "20"}}), {20, true, false, true, false}},
      {Tags({{'1', "0"}, {'2', "False"}, {'3', "True"}, {'4', "False"}, {'5', "True"}}),
       {0, false, true, false, true}},
      {Tags({{'1', "fast"}}), defaults},
      {Tags({{'1', "10ms"}}), defaults},
      {Tags({{'4', "FALSE"}, {'2', "true"}}), {-1, true, false, false, false}},
      {Tags({{'3', "maybe"}}), defaults},
      {Tags({{'5', "True"}, {'1', "10"}}), {10, true, false, true, true}},
      {"no tags at all", defaults},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, ParsePlaybackSettings(c.text)) << c.text;
}

TEST(PlaybackSettingsTags, AFixedDelayIsBounded) {
  EXPECT_EQ(kMaxMacroDelayMs, ParsePlaybackSettings(Tags({{'1', "99999999"}})).delayMs);
  EXPECT_EQ(kMaxMacroDelayMs, ParsePlaybackSettings(Tags({{'1', "1001"}})).delayMs);
  EXPECT_EQ(1000, ParsePlaybackSettings(Tags({{'1', "1000"}})).delayMs);
  EXPECT_EQ(-1, ParsePlaybackSettings(Tags({{'1', "-60000"}})).delayMs);
}

TEST(PlaybackSettingsTags, TextOfSettingsReadsBack) {
  const PlaybackSettings cases[] = {
      {}, {0, false, true, false, true}, {20, true, false, true, false}};
  for (const PlaybackSettings& settings : cases)
    EXPECT_EQ(settings, ParsePlaybackSettings(PlaybackSettingsText(settings)));
}

TEST(PlaybackSettingsTags, NewRecordingHasFourFieldsInOrder) {
  EXPECT_EQ(Tags({{'1', "20"}, {'2', "False"}, {'3', "False"}, {'4', "True"}}),
            NewRecordingSettingsText());
}

TEST(PlaybackSettingsTags, SettingAFieldReplacesOnlyThatOne) {
  const std::string text = Tags({{'1', "20"}, {'2', "False"}});
  EXPECT_EQ(Tags({{'1', "-1"}, {'2', "False"}}), WithTaggedField(text, '1', "-1"));
  EXPECT_EQ(Tags({{'1', "20"}, {'2', "True"}}), WithTaggedField(text, '2', "True"));
  EXPECT_EQ(Tags({{'1', "20"}, {'2', "False"}, {'5', "True"}}), WithTaggedField(text, '5', "True"));
  EXPECT_EQ(std::nullopt, TaggedField(text, '3'));
  EXPECT_EQ("False", TaggedField(text, '2'));
}

TEST(MacroEventPacking, BytesArePlacedAndReadBack) {
  struct Case {
    MacroEvent event;
    int32_t packed;
  };
  const Case cases[] = {
      {{65, 30, false, false, 0}, 65 | 30 << 8},
      {{65, 30, false, true, 16}, 65 | 30 << 8 | 2 << 16 | 16 << 24},
      {{46, 83, true, false, 0}, 46 | 83 << 8 | 1 << 16},
      {{255, 255, true, true, 255}, static_cast<int32_t>(0xFF03FFFFu)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.packed, PackMacroEvent(c.event));
    EXPECT_EQ(c.event, UnpackMacroEvent(static_cast<uint32_t>(c.packed)));
    EXPECT_EQ(c.event, ParseMacroEventItem(MacroEventItem(c.event)));
  }
}

TEST(MacroEventPacking, ItemsAreSignedDecimalAndUnsignedIsAccepted) {
  const MacroEvent late{160, 42, false, true, 200};  // top byte 200: negative as signed
  EXPECT_EQ(std::to_string(static_cast<int32_t>(0xC8022AA0u)), MacroEventItem(late));
  EXPECT_EQ(late, ParseMacroEventItem("3355585184"));
  for (const char* bad : {"", "x", "12a", " 12", "12 ", "+-1", "4294967296", "-2147483649"})
    EXPECT_EQ(std::nullopt, ParseMacroEventItem(bad)) << bad;
}

TEST(MacroEventPacking, LayoutNumbersKeepAllTheirBits) {
  EXPECT_EQ(0x04090409, ParseMacroNumber("67699721"));
  EXPECT_EQ(static_cast<int32_t>(0xF0020409u), ParseMacroNumber("-268303351"));
  EXPECT_EQ(static_cast<int32_t>(0xF0020409u), ParseMacroNumber("4026663945"));
  EXPECT_EQ(std::nullopt, ParseMacroNumber(""));
}

TEST(MacroEventPacking, RecordedKeyKeepsOnlyExtendedAndReleasedAndTheDelayModulo256) {
  // Hook flags: 0x01 extended, 0x10 injected, 0x20 Alt down, 0x80 released.
  EXPECT_EQ((MacroEvent{46, 83, true, true, 44}), MacroEventFromKey(46, 83, 0xB1, 300));
  EXPECT_EQ((MacroEvent{65, 30, false, false, 0}), MacroEventFromKey(65, 30, 0x20, 256));
}

std::string Down(uint8_t key, uint8_t scan) {
  return MacroEventItem({key, scan, false, false, 10});
}
std::string Up(uint8_t key, uint8_t scan) {
  return MacroEventItem({key, scan, false, true, 10});
}

TEST(CheckStuckKeys, ReportsKeysPressedAndNeverReleasedLater) {
  struct Case {
    const char* name;
    Items events;
    std::vector<uint8_t> stuckKeys;
  };
  const Case cases[] = {
      {"all released", {Down(65, 30), Up(65, 30)}, {}},
      {"shift left down", {Down(160, 42), Down(65, 30), Up(65, 30)}, {160}},
      {"release before press", {Up(17, 29), Down(17, 29)}, {17}},
      {"pressed twice, reported once", {Down(160, 42), Down(160, 42)}, {160}},
      {"released by another scan code", {Down(65, 30), Up(65, 31)}, {65}},
      {"first appearance order", {Down(66, 48), Down(65, 30), Down(66, 48), Up(66, 48)}, {65}},
      {"two stuck", {Down(162, 29), Down(164, 56), Down(65, 30), Up(65, 30)}, {162, 164}},
      {"repeat then release", {Down(65, 30), Down(65, 30), Up(65, 30)}, {}},
      {"stops at a bad item", {Down(65, 30), "oops", Up(65, 30)}, {65}},
      {"empty", {}, {}},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> keys;
    for (const MacroEvent& event : CheckStuckKeys(c.events)) {
      EXPECT_FALSE(event.released) << c.name;
      keys.push_back(event.keyCode);
    }
    EXPECT_EQ(c.stuckKeys, keys) << c.name;
  }
}

class LayoutNames final : public SystemKeyNames {
 public:
  uint32_t ScanCodeOf(uint32_t) const override { return 0; }
  std::string KeyName(uint32_t lParam) const override {
    switch ((lParam >> 16) & 0x1FF) {
      case 42:
        return "Shift";
      case 29 | 0x100:
        return "Right Ctrl";
      default:
        return {};
    }
  }
};

TEST(CheckStuckKeys, NamesComeFromTheLayoutWithTheExtendedFlag) {
  const LayoutNames layout;
  const Items events = {Down(160, 42), MacroEventItem({163, 29, true, false, 0}), Down(65, 30),
                        Up(65, 30)};
  EXPECT_EQ((std::vector<std::string>{"Shift", "Right Ctrl"}),
            StuckKeyNames(events, KeyTextContext{&layout, nullptr}));
}

TEST(MacroStore, ReadsWritesAndListsUnderTheMacrosKey) {
  MemoryRegistry store;
  const Items items = {"67699721", NewRecordingSettingsText(), Down(65, 30), Up(65, 30)};
  ASSERT_TRUE(WriteMacroItems(store, "Greeting", items));
  ASSERT_TRUE(store.WriteString(kMacrosKey, "Blank", ""));
  ASSERT_TRUE(store.WriteInteger(kMacrosKey, "Number", 5));

  EXPECT_EQ(items, ReadMacroItems(store, "greeting"));
  EXPECT_EQ(MacroItemsToText(items), store.ReadString("Macros", "Greeting"));
  EXPECT_EQ(Items{}, ReadMacroItems(store, "Blank"));
  EXPECT_EQ(Items{}, ReadMacroItems(store, "Number"));
  EXPECT_EQ(Items{}, ReadMacroItems(store, "Missing"));
  EXPECT_EQ((Items{"Greeting", "Blank", "Number"}), MacroNames(store));
}

TEST(MacroStore, ALongMacroReadsBackWhole) {
  MemoryRegistry store;
  Items items = {"-255851511", NewRecordingSettingsText()};
  for (int i = 0; i < 2500; ++i) {
    items.push_back(MacroEventItem({0xA0, 0x2A, false, false, 200}));
    items.push_back(MacroEventItem({0xA0, 0x2A, false, true, 200}));
  }
  ASSERT_TRUE(WriteMacroItems(store, "Long", items));
  EXPECT_EQ(items, ReadMacroItems(store, "Long"));
}

TEST(TypingTextOfLines, EveryLineEndsWithCarriageReturnAndLineFeed) {
  struct Case {
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"", ""},
      {"ab", "ab\r\n"},
      {"ab\r\n", "ab\r\n"},
      {"a\nb", "a\r\nb\r\n"},
      {"a\rb", "a\r\nb\r\n"},
      {"a\r\n\r\nb", "a\r\n\r\nb\r\n"},
      {"a\n\rb", "a\r\n\r\nb\r\n"},
      {"\n", "\r\n"},
      {"on %DateTime%.", "on 2026-12-06 10:00.\r\n"},
      {"%datetime%%datetime", "2026-12-06 10:00%datetime\r\n"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.expected, TypingText(c.text, "2026-12-06 10:00")) << c.text;
}

TEST(TypingTextOfLines, OnlyARealByteOrderMarkIsDropped) {
  struct Case {
    std::string bytes;
    std::string expected;
  };
  const Case cases[] = {
      {"\xEF\xBB\xBFHello", "Hello"},
      {"Hello", "Hello"},
      {"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
      {"\xEF\xBB\xBF", ""},
      {"\xEF\xBB", "\xEF\xBB"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, WithoutUtf8ByteOrderMark(c.bytes));
}

KeyInput CharDown(char16_t c) {
  return {0, static_cast<uint16_t>(c), kInputUnicode};
}
KeyInput CharUp(char16_t c) {
  return {0, static_cast<uint16_t>(c), kInputUnicode | kInputKeyUp};
}
KeyInput KeyDown(uint16_t key) {
  return {key, 0, 0};
}
KeyInput KeyUp(uint16_t key) {
  return {key, 0, kInputKeyUp};
}

TEST(TextKeys, CharactersAreUnicodeAndControlsAreKeys) {
  struct Case {
    std::u16string text;
    std::vector<KeyInput> expected;
  };
  const Case cases[] = {
      {u"", {}},
      {u"ab\r", {CharDown(u'a'), CharUp(u'a'), CharDown(u'b'), CharUp(u'b')}},
      {u"a\rb",
       {CharDown(u'a'), CharUp(u'a'), KeyDown(13), KeyUp(13), CharDown(u'b'), CharUp(u'b')}},
      {u"\t\u20AC", {KeyDown(9), KeyUp(9), CharDown(u'\u20AC'), CharUp(u'\u20AC')}},
      {u"\r\r", {KeyDown(13), KeyUp(13)}},
      {u" ", {CharDown(u' '), CharUp(u' ')}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, TextKeyEvents(c.text));
}

TEST(MouseKeys, PseudoKeysBecomeButtonsAndWheelSteps) {
  struct Case {
    uint16_t key;
    std::vector<MouseInput> expected;
  };
  const Case cases[] = {
      {1, {{0x2, 0}, {0x4, 0}}},
      {2, {{0x8, 0}, {0x10, 0}}},
      {4, {{0x20, 0}, {0x40, 0}}},
      {14, {{0x2, 0}, {0x4, 0}, {0x2, 0}, {0x4, 0}}},
      {136, {{0x800, 120}}},
      {137, {{0x800, -120}}},
      {5, {}},
      {6, {}},
      {65, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, MouseKeyEvents(c.key)) << c.key;
}

class FakeKeys final : public KeyState {
 public:
  explicit FakeKeys(std::vector<uint8_t> down) : down_(std::move(down)) {}
  bool IsDown(uint8_t keyCode, bool) const override {
    return std::find(down_.begin(), down_.end(), keyCode) != down_.end();
  }

 private:
  std::vector<uint8_t> down_;
};

TEST(ModifierPreparationEvents, NothingWhenNoModifierIsDownAndTheMaskIsEmpty) {
  const FakeKeys keys({65});
  const ModifierPreparation preparation(keys, 0);
  EXPECT_FALSE(preparation.Needed());
  EXPECT_TRUE(preparation.Prepare(keys).empty());
  EXPECT_TRUE(preparation.Undo(ModifierSet{}).empty());
}

TEST(ModifierPreparationEvents, HeldModifiersAreLiftedAndPressedAgain) {
  const FakeKeys keys({163, 160});  // right Ctrl and left Shift held by the user
  const ModifierPreparation preparation(keys, 0);
  ASSERT_TRUE(preparation.Needed());
  ModifierSet held{};
  held[kRightCtrl] = held[kLeftShift] = true;
  EXPECT_EQ(held, preparation.Held());

  const std::vector<KeyInput> prepare = {
      KeyDown(7), KeyUp(7), {163, 0, kInputKeyUp | kInputExtended}, KeyUp(160)};
  EXPECT_EQ(prepare, preparation.Prepare(keys));
  const std::vector<KeyInput> undo = {{163, 0, kInputExtended}, KeyDown(160), KeyDown(7), KeyUp(7)};
  EXPECT_EQ(undo, preparation.Undo(held));

  // Shift released by the user meanwhile is not pressed again.
  ModifierSet stillHeld = held;
  stillHeld[kLeftShift] = false;
  const std::vector<KeyInput> undoCtrl = {{163, 0, kInputExtended}, KeyDown(7), KeyUp(7)};
  EXPECT_EQ(undoCtrl, preparation.Undo(stillHeld));
}

TEST(ModifierPreparationEvents, MaskPressesLeftKeysWinExtended) {
  const FakeKeys keys({});
  const ModifierPreparation preparation(keys, 1 | 2 | 4 | 8);
  const std::vector<KeyInput> prepare = {KeyDown(7),   KeyUp(7),     KeyDown(164),
                                         KeyDown(162), KeyDown(160), {91, 0, kInputExtended}};
  EXPECT_EQ(prepare, preparation.Prepare(keys));
  const std::vector<KeyInput> undo = {KeyUp(164), KeyUp(162),
                                      KeyUp(160), {91, 0, kInputExtended | kInputKeyUp},
                                      KeyDown(7), KeyUp(7)};
  EXPECT_EQ(undo, preparation.Undo(ModifierSet{}));
}

TEST(PluginParameterBlock, FieldsSitWhereThePluginsExpectThem) {
  // The 24-byte layout of the 32-bit build is checked at compile time in that build; here the
  // pointer-sized build's natural alignment.
  struct Case {
    const char* field;
    std::size_t offset;
    std::size_t expected32;
    std::size_t expected64;
  };
  const Case cases[] = {
      {"modifiers", offsetof(TavionKeyPress, modifiers), 0, 0},
      {"keyCode", offsetof(TavionKeyPress, keyCode), 2, 2},
      {"scanCode", offsetof(TavionKeyPress, scanCode), 4, 4},
      {"keyFlags", offsetof(TavionKeyPress, keyFlags), 6, 6},
      {"window", offsetof(TavionKeyPress, window), 8, 8},
      {"restore", offsetof(TavionKeyPress, restore), 12, 16},
      {"delayMs", offsetof(TavionKeyPress, delayMs), 14, 18},
      {"text", offsetof(TavionKeyPress, text), 16, 24},
      {"wideText", offsetof(TavionKeyPress, wideText), 20, 32},
      {"size", sizeof(TavionKeyPress), 24, 40},
  };
  for (const Case& c : cases)
    EXPECT_EQ(sizeof(void*) == 4 ? c.expected32 : c.expected64, c.offset) << c.field;
  EXPECT_EQ(kSendPlayMacro, TAVION_SEND_PLAY_MACRO);
  EXPECT_EQ(kSendAnsiText, TAVION_SEND_ANSI_TEXT);
  EXPECT_EQ(kSendWideText, TAVION_SEND_WIDE_TEXT);
}

}  // namespace
}  // namespace tavion
