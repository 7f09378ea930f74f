#include "keys/hotkey.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "keys/hook_messages.h"
#include "keys/key_names.h"
#include "keys/key_text.h"
#include "keys/pressed_keys.h"
#include "keys/tracked_key_state.h"
#include "native/support/fake_language.h"
#include "native/support/fakes.h"
#include "doubles/failing_registry.h"
#include "registry_dump.h"
#include "settings/registry.h"
#include "settings/staged_key.h"

namespace tavion {
namespace {

TEST(PackedKey, BytesAreNumberedFromTheLeastSignificantAndOthersAreHarmless) {
  const uint32_t value = PackHotKey(/*keyCode=*/65, /*scanCode=*/30, /*flags=*/1, /*modifiers=*/3);
  EXPECT_EQ(0x011E4103u, value);
  // A loop, so that the compiler does not fold the calls away.
  std::vector<int> bytes;
  for (int n = 0; n <= 5; ++n) bytes.push_back(HotKeyByte(value, n));
  EXPECT_EQ((std::vector<int>{0, 3, 65, 30, 1, 0}), bytes);
  EXPECT_EQ(0x011E41FFu, SetHotKeyByte(value, 1, 0xFF));
  EXPECT_EQ(0x071E4103u, SetHotKeyByte(value, 4, 0x07));
  EXPECT_EQ(value, SetHotKeyByte(SetHotKeyByte(value, 0, 0x55), 5, 0x55));
}

KeyEventRecord Event(uint32_t key, uint32_t scan, uint32_t flags) {
  return {key, scan, flags, 0, 0};
}

TEST(MatchHotKey, KeyEventsAgainstOrdinaryRecords) {
  const uint8_t ctrl = kModCtrl;
  // What, hot key, event, modifiers held, full comparison; whether it matches.
  const std::tuple<const char*, uint32_t, KeyEventRecord, uint8_t, bool, bool> cases[] = {
      {"other scan, switch off", PackHotKey(65, 30, 0, ctrl), Event(65, 31, 0), ctrl, false, true},
      {"other scan, switch on", PackHotKey(65, 30, 0, ctrl), Event(65, 31, 0), ctrl, true, false},
      {"wildcard, extended", PackHotKey(65, 0, 1, ctrl), Event(65, 30, 0), ctrl, true, true},
      {"no wildcard, flags 2", PackHotKey(65, 0, 2, ctrl), Event(65, 30, 0), ctrl, true, false},
      {"extra modifier", PackHotKey(65, 0, 0, ctrl), Event(65, 30, 0), ctrl | kModShift, 0, false},
      // Key 255 tells keys apart by scan code only: always compared in full.
      {"255 other scan", PackHotKey(255, 86, 0, 0), Event(255, 87, 0), 0, false, false},
      {"255 scan above a byte", PackHotKey(255, 30, 0, 0), Event(255, 0x11E, 0), 0, false, false},
  };
  for (const auto& [what, hkey, event, modifiers, full, expected] : cases)
    EXPECT_EQ(expected, MatchHotKey(&event, modifiers, TActionHKey(hkey), "", full)) << what;
}

TEST(SameHotKey, ComparesLikeMatchButTheWildcardNeedsFlagsZeroOnEitherSide) {
  // What, two hot keys, full comparison; whether they are the same.
  const std::tuple<const char*, uint32_t, uint32_t, bool, bool> cases[] = {
      {"other modifiers", PackHotKey(65, 0, 0, 1), PackHotKey(65, 0, 0, 2), false, false},
      {"other key code", PackHotKey(65, 0, 0, 0), PackHotKey(66, 0, 0, 0), false, false},
      {"255 equal", PackHotKey(255, 86, 1, 0), PackHotKey(255, 86, 1, 0), false, true},
      {"255 other scan", PackHotKey(255, 86, 1, 0), PackHotKey(255, 87, 1, 0), false, false},
      {"255 wildcard on a", PackHotKey(255, 0, 0, 0), PackHotKey(255, 87, 1, 0), false, true},
      {"255 wildcard on b", PackHotKey(255, 87, 1, 0), PackHotKey(255, 0, 0, 0), false, true},
      {"flags 1 is no wildcard", PackHotKey(65, 0, 1, 4), PackHotKey(65, 87, 1, 4), true, false},
  };
  for (const auto& [what, a, b, full, expected] : cases)
    EXPECT_EQ(expected, SameHotKey(a, b, full)) << what;
}

TEST(MouseToKeyEvent, ButtonsAndWheelStepsBecomeKeysAndEverythingElseNothing) {
  // Message, mouse data, the key message and pseudo key it becomes (0: none). 0x200 is a move;
  // the X button's number is in the high word, the wheel's step a signed high word.
  const uint32_t cases[][4] = {{kWmLButtonDown, 0, kWmKeyDown, 1},
                               {kWmRButtonUp, 0, kWmKeyUp, 2},
                               {kWmMButtonDown, 0, kWmKeyDown, 4},
                               {kWmXButtonDown, 1u << 16, kWmKeyDown, 5},
                               {kWmXButtonUp, 2u << 16 | 7, kWmKeyUp, 6},
                               {kWmMouseWheel, 120u << 16, kWmKeyDown, 136},
                               {kWmMouseWheel, 0x8000u << 16, kWmKeyDown, 137},
                               {0x200, 0, 0, 0},
                               {kWmXButtonDown, 3u << 16, 0, 0},
                               {kWmXButtonUp, 1, 0, 0},
                               {kWmMouseWheel, 120, 0, 0}};
  for (const auto& [message, data, keyMessage, keyCode] : cases) {
    const std::optional<KeyMessage> key = MouseToKeyEvent(message, {0, 0, data, 0, 0, 42});
    const KeyEventRecord r = key ? key->record : KeyEventRecord{0, 66, 33, 0, 0};
    EXPECT_EQ(
        (std::vector<uint32_t>{keyMessage, keyCode, 66, 33, 0}),
        (std::vector<uint32_t>{key ? key->message : 0, r.vkCode, r.scanCode, r.flags, r.extraInfo}))
        << message << " data " << data;
  }
}

TEST(UpOnlyToKeyDown, ListedKeyUpsBecomeKeyDownsWithoutTheReleasedBit) {
  const std::vector<std::string> list = {"200x1x0", "178x36x1"};
  // What, the message of key 178 with scan code 36 (a key-up has flags 0x81, a key-down 0x01),
  // the option, the list; the message it becomes. A converted key loses its released bit.
  const std::tuple<const char*, uint32_t, bool, std::vector<std::string>, uint32_t> cases[] = {
      {"listed as pressed", kWmKeyUp, true, list, kWmKeyDown},
      {"system key", kWmSysKeyUp, true, list, kWmSysKeyDown},
      {"listed as delivered", kWmKeyUp, true, {"178x36x129"}, kWmKeyDown},
      {"option off", kWmKeyUp, false, list, kWmKeyUp},
      {"empty list", kWmKeyUp, true, {}, kWmKeyUp},
      {"key-down", kWmKeyDown, true, list, kWmKeyDown},
      {"other scan code", kWmKeyUp, true, {"178x37x1"}, kWmKeyUp},
      {"entry only a prefix", kWmKeyUp, true, {"178x36"}, kWmKeyUp},
  };
  for (const auto& [what, original, enabled, entries, expected] : cases) {
    uint32_t message = original;
    const bool up = message == kWmKeyUp || message == kWmSysKeyUp;
    KeyEventRecord record = Event(178, 36, up ? 0x81 : 0x01);
    const bool converted = original != expected;
    EXPECT_EQ(
        std::make_tuple(converted, expected, converted || !up ? 0x01u : 0x81u),
        std::make_tuple(UpOnlyToKeyDown(message, record, enabled, entries), message, record.flags))
        << what;
  }
}

TEST(SidedModifierKey, GenericModifiersBecomeTheirSideAndOtherKeysStay) {
  const struct {
    uint32_t keyCode, scanCode, flags, expected;
  } cases[] = {
      {16, 0x2A, 0, 160}, {16, 0x136, 0, 161},   {17, 0x1D, 0x80, 162},
      {17, 0x1D, 1, 163}, {18, 0x38, 0x21, 165}, {65, 0x1E, 1, 65},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, SidedModifierKey(c.keyCode, c.scanCode, c.flags))
        << c.keyCode << " " << c.scanCode << " " << c.flags;
}

using test::FakeKeyState;

TEST(ModifierState, EitherSideGivesTheBitTheSidesAreApartAndOnlyTheSynchronousStateCounts) {
  // Key, the mask it gives, which side is down. Key 0 holds nothing; the generic codes 16, 17 and
  // 18 do not count.
  const std::tuple<uint8_t, int, char> cases[] = {
      {0, 0, '-'},          {164, kModAlt, 'L'},   {165, kModAlt, 'R'},   {162, kModCtrl, 'L'},
      {163, kModCtrl, 'R'}, {160, kModShift, 'L'}, {161, kModShift, 'R'}, {91, kModWin, 'L'},
      {92, kModWin, 'R'},   {16, 0, '-'},          {17, 0, '-'},          {18, 0, '-'}};
  for (const auto& [key, mask, side] : cases) {
    FakeKeyState sync;
    sync.sync.set(key);
    EXPECT_EQ(std::make_tuple(mask, side != 'L', side != 'R'),
              std::make_tuple(int{GetModifierState(sync)}, NoLeftModifiersPressed(sync),
                              NoRightModifiersPressed(sync)))
        << int{key};
  }
  FakeKeyState async;
  async.async.set(255).set(0).set(17).set(160).set(163);
  EXPECT_EQ(std::make_tuple(0, true, true),
            std::make_tuple(int{GetModifierState(async)}, NoLeftModifiersPressed(async),
                            NoRightModifiersPressed(async)));
  EXPECT_EQ("[ 0 17 160 163 255]", PressedKeysText(async));
}

TEST(TrackedKeyState, FollowsTheEventsItSeesWithAGenericKeyForEitherSideUntilSeeded) {
  FakeKeyState physical;
  physical.async.set(92).set(65);
  TrackedKeyState keys(physical);
  keys.Observe(kWmKeyDown, 162, false);
  keys.Observe(kWmSysKeyDown, 164, false);
  keys.Observe(kWmLButtonDown, 160, false);  // not a key message
  keys.Observe(kWmKeyDown, 300, false);
  keys.Observe(kWmKeyDown, 161, true);
  EXPECT_EQ(kModCtrl | kModAlt | kModShift, GetModifierState(keys));
  EXPECT_TRUE(keys.IsDown(16, false)) << "the right one";
  for (const auto& [message, key] : {std::pair{kWmSysKeyUp, 164}, {kWmKeyUp, 162}, {kWmKeyUp, 161}})
    keys.Observe(message, key, false);
  EXPECT_EQ(0, GetModifierState(keys));
  keys.Observe(kWmKeyDown, 17, false);  // a generic event counts as the left key
  EXPECT_EQ((std::vector<bool>{true, true, false, false}),
            (std::vector<bool>{keys.IsDown(162, false), keys.IsDown(17, false),
                               keys.IsDown(163, false), keys.IsDown(18, false)}));
  keys.Seed();  // modifiers already down only; everything seen before is forgotten
  EXPECT_EQ((std::vector<bool>{true, false, false, true}),
            (std::vector<bool>{keys.IsDown(92, false), keys.IsDown(65, false),
                               keys.IsDown(162, false), keys.IsDown(65, true)}));
}

// ---- Key names and key texts ------------------------------------------------------------

constexpr std::string_view kPath = kKeyNamesRegistryPath;

std::vector<std::string> Names(const TKeyNames& table) {
  std::vector<std::string> names;
  for (int i = 0; i < table.Count(); ++i) names.push_back(table.NameAt(i));
  return names;
}

TEST(KeyNamesLines, AreSavedSortedAsNameEqualsSignedDecimalWithOptionalHidText) {
  TKeyNames table;
  table.AddKey("Plain", PackHotKey(65, 30, 0, 0), "");
  table.AddKey("Released", PackHotKey(255, 86, 0x81, 0), "");
  table.AddKey("Pad", PackHotKey(0, 0, 0, 0), "HID#5");
  table.AddKey("nothing", PackHotKey(66, 0, 0, 0), "None");
  MemoryRegistry registry;
  registry.WriteString(std::string(kPath) + "\\IgnoreList", "Items", "a,b");
  ASSERT_TRUE(table.SaveKeyNames(registry, kPath));
  EXPECT_EQ((std::vector<std::string>{"000='nothing=16896'", "001='Pad=0\x01HID#5'",
                                      "002='Plain=1982720'", "003='Released=-2125005056'"}),
            DumpValues(registry, kPath));
  EXPECT_EQ((std::vector<std::string>{"Items='a,b'"}),
            DumpValues(registry, std::string(kPath) + "\\IgnoreList"))
      << "the ignore list stays";
  EXPECT_FALSE(table.SaveKeyNames(registry, ""));
}

TEST(KeyNamesLines, PartsAreReadBackFromTheLineAndOddNumbersAreNoKey) {
  // Line; then its name, key value and HID text as read back.
  const std::tuple<std::string, std::string, uint32_t, std::string> cases[] = {
      {"Pad=0\x01HID\\VID_1", "Pad", 0, "HID\\VID_1"},
      {"Negative=-2125005056", "Negative", 0x8156FF00, ""},
      {"Unsigned=4294967295", "Unsigned", 0xFFFFFFFF, ""},
      {"Plus=+8", "Plus", 8, ""},
      {"EmptyHid=7\x01", "EmptyHid", 7, ""},
      {"Word=abc", "Word", 0, ""},
      {"Spaced= 12", "Spaced", 0, ""},
      {"Huge=99999999999", "Huge", 0, ""},
      {"Two=5=6", "Two", 0, ""},
      {"NoEquals", "", 0, ""},
  };
  MemoryRegistry registry;
  for (const auto& [line, name, value, hid] : cases) registry.WriteString(kPath, name + "x", line);
  registry.WriteInteger(kPath, "Number", 12);  // not a line: skipped
  TKeyNames table;
  table.LoadKeyNames(registry, kPath);
  ASSERT_EQ(static_cast<int>(std::size(cases)), table.Count());
  for (int i = 0; i < table.Count(); ++i) {
    const auto& [line, name, value, hid] = cases[i];
    EXPECT_EQ(std::tie(name, value, hid),
              std::make_tuple(table.NameAt(i), table.KeyAt(i).HKey(), table.HidTextAt(i)))
        << line;
  }
  // Outside the table: no name, no key, nothing to change.
  for (int index : {-1, table.Count()}) {
    EXPECT_EQ("0", table.NameAt(index) + table.HidTextAt(index) +
                       std::to_string(table.KeyValueAt(index)));
    EXPECT_FALSE(table.Delete(index) || table.PutKey(index, "X", 1, ""));
  }
}

// A save that stops at any step leaves the old or the new table whole, with the ignore list, for
// the next load; the next save starts from it.
TEST(KeyNamesRegistry, AnInterruptedSaveLeavesTheOldOrTheNewTableWholeWithTheIgnoreList) {
  const std::string ignoreList = std::string(kPath) + "\\IgnoreList";
  TKeyNames before, after;
  before.LoadDefaultKeyNames();
  before.Delete(1);  // unlike the defaults, which a lost table would bring back
  after = before;
  after.Delete(0);
  after.AddKey("Added", PackHotKey(200, 0, 0, 0), "HID#1");
  std::size_t steps = 0;
  for (std::size_t n = 0; n <= steps; ++n) {
    SCOPED_TRACE("interrupted at " + std::to_string(n));
    FailingRegistry registry;
    ASSERT_TRUE(before.SaveKeyNames(registry, kPath));
    registry.WriteString(ignoreList, "Items", "K1,K2");
    registry.FailFrom(n == 0 ? FailingRegistry::kNever : n);
    const bool saved = after.SaveKeyNames(registry, kPath);
    if (n == 0) {
      ASSERT_TRUE(saved);
      steps = registry.MutatingCalls();
    }
    registry.FailFrom(FailingRegistry::kNever);
    TKeyNames loaded;
    loaded.LoadKeyNames(registry, kPath);
    EXPECT_TRUE(Names(loaded) == Names(after) || (!saved && Names(loaded) == Names(before)));
    RecoverStagedKey(registry, kPath);
    EXPECT_EQ(std::vector<std::string>{"Items='K1,K2'"}, DumpValues(registry, ignoreList));
    TKeyNames recovered;
    recovered.LoadKeyNames(registry, kPath);
    EXPECT_EQ(Names(loaded), Names(recovered));
  }
  EXPECT_GT(steps, 3u);
}

class KeyTextTest : public testing::Test {
 protected:
  KeyTextTest() {
    names_.LoadDefaultKeyNames();
    names_.AddKey("Odd key", PackHotKey(255, 86, 0, 0), "");
    names_.AddKey("Zero", PackHotKey(0, 5, 0, 0), "");
    names_.AddKey("Pad", 0, "HID\\VID_0000&PID_00000001");
  }

  test::FakeSystemKeyNames system_;
  TKeyNames names_;
  KeyTextContext context_{&system_, &names_};
};

TEST_F(KeyTextTest, KeyTextTakesTheUserNameThenTheSystemNameThenTheCharacter) {
  // Key code, scan code, flags, whether to convert, whether to use the user's names; the text.
  const std::tuple<uint32_t, uint32_t, uint32_t, bool, bool, std::string> cases[] = {
      {300, 999, 999, true, true, "VkCode>255"},
      {65, 256, 999, true, true, "Scan>255"},
      {0, 0, 256, true, true, "Flag>255"},
      {0, 0, 0, true, true, "None"},
      {0, 0, 1, true, false, "0x0x1"},
      {173, 0x77, 0, false, true, "Volume Mute"},  // any scan code of the key
      {175, 0, 0, true, true, "Volume Up"},
      {255, 86, 0, true, true, "Odd key"},
      {255, 86, 0, true, false, "255x86x0"},  // scan code only: no character
      {173, 0x20, 1, true, false, "288"},
      {112, 0, 0, true, false, "59"},  // scan code mapped from the key code
      {65, 30, 0, false, false, "A"},
      {0xE9, 0, 0, true, false, "\xC3\xA9"},  // no name in the layout: Latin-1 code as UTF-8
      {0, 5, 0, false, true, "0x5x0"},        // key code 0 is never looked up by name
  };
  for (const auto& [key, scan, flags, convert, userNames, expected] : cases)
    EXPECT_EQ(expected, KeyToText(key, scan, flags, convert, userNames, context_)) << key;
  SetLanguageSource(
      std::make_shared<FakeLanguage>(FakeLanguage::Texts{{{"Strings", "StrNone"}, "Нет"}}));
  EXPECT_EQ("Нет", KeyToText(0, 0, 0, true, true, context_));
  SetLanguageSource(nullptr);
  EXPECT_EQ("F", KeyToText(70, 33, 0, true, true, KeyTextContext{nullptr, &names_}));
  struct Restore {
    ~Restore() { SetDefaultSystemKeyNames(nullptr); }
  } restore;
  SetDefaultSystemKeyNames(&system_);
  EXPECT_EQ("59", KeyToText(112, 0, 0, true, false)) << "the installed names by default";
}

}  // namespace
}  // namespace tavion
