#include "keys/hotkey.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavion {
namespace {

TEST(PackedKey, BytesAreNumberedFromTheLeastSignificant) {
  const uint32_t value = PackHotKey(/*keyCode=*/65, /*scanCode=*/30, /*flags=*/1, /*modifiers=*/3);
  EXPECT_EQ(0x011E4103u, value);
  EXPECT_EQ(3, HotKeyByte(value, 1));
  EXPECT_EQ(65, HotKeyByte(value, 2));
  EXPECT_EQ(30, HotKeyByte(value, 3));
  EXPECT_EQ(1, HotKeyByte(value, 4));
}

TEST(PackedKey, SetHotKeyByteReplacesOnlyThatByte) {
  const uint32_t value = 0xA1B2C3D4;
  EXPECT_EQ(0xA1B2C3FFu, SetHotKeyByte(value, 1, 0xFF));
  EXPECT_EQ(0xA1B200D4u, SetHotKeyByte(value, 2, 0x00));
  EXPECT_EQ(0xA142C3D4u, SetHotKeyByte(value, 3, 0x42));
  EXPECT_EQ(0x07B2C3D4u, SetHotKeyByte(value, 4, 0x07));
}

TEST(PackedKey, ByteNumbersOutsideOneToFourAreHarmless) {
  const uint32_t value = 0xA1B2C3D4;
  for (int n : {-1, 0, 5, 32, 1000}) {
    EXPECT_EQ(0, HotKeyByte(value, n)) << n;
    EXPECT_EQ(value, SetHotKeyByte(value, n, 0x55)) << n;
  }
}

TEST(KeySets, ModifierAndMouseKeysAreExactlyTheListedCodes) {
  std::vector<int> modifiers, mice;
  for (int key = 0; key <= 300; ++key) {
    if (IsModifierKey(key)) modifiers.push_back(key);
    if (IsMouseKey(key)) mice.push_back(key);
  }
  EXPECT_EQ((std::vector<int>{91, 92, 160, 161, 162, 163, 164, 165}), modifiers);
  EXPECT_EQ((std::vector<int>{1, 2, 4, 5, 6, 14, 136, 137}), mice);
}

TEST(ActionHKey, StartsAsAnOrdinaryKeyWithoutHidText) {
  const TActionHKey record(0x1234);
  EXPECT_EQ(TkeInputMode::keNormal, record.InputMode());
  EXPECT_EQ("", record.KeyPolyglot());
  EXPECT_EQ(0x1234u, record.HKey());
}

TEST(ActionHKey, KeyPolyglotKeepsAtMost255BytesAndWholeCharacters) {
  TActionHKey record;
  record.SetKeyPolyglot(std::string(300, 'x'));
  EXPECT_EQ(std::string(255, 'x'), record.KeyPolyglot());

  // A two-byte character that would straddle the limit is dropped whole.
  record.SetKeyPolyglot(std::string(254, 'a') + "\xC3\xA9" + "b");
  EXPECT_EQ(std::string(254, 'a'), record.KeyPolyglot());

  record.SetKeyPolyglot(std::string(253, 'a') + "\xC3\xA9" + "b");
  EXPECT_EQ(std::string(253, 'a') + "\xC3\xA9", record.KeyPolyglot());
}

KeyEventRecord Event(uint32_t key, uint32_t scan, uint32_t flags) {
  KeyEventRecord event;
  event.vkCode = key;
  event.scanCode = scan;
  event.flags = flags;
  return event;
}

TActionHKey Record(uint32_t value, TkeInputMode mode = TkeInputMode::keNormal,
                   std::string_view polyglot = {}) {
  TActionHKey record(value);
  record.SetInputMode(mode);
  record.SetKeyPolyglot(polyglot);
  return record;
}

struct MatchCase {
  const char* what;
  uint32_t hkey;
  KeyEventRecord event;
  uint8_t modifiers;
  bool full;
  bool expected;
};

TEST(MatchHotKey, KeyEventsAgainstOrdinaryRecords) {
  const uint8_t ctrl = kModCtrl;
  const MatchCase cases[] = {
      {"ctrl+A, no scan, switch off", PackHotKey(65, 0, 0, ctrl), Event(65, 30, 0), ctrl, false,
       true},
      {"ctrl+A, no scan, switch on", PackHotKey(65, 0, 0, ctrl), Event(65, 30, 0), ctrl, true,
       true},
      {"other scan, switch off", PackHotKey(65, 30, 0, ctrl), Event(65, 31, 0), ctrl, false, true},
      {"other scan, switch on", PackHotKey(65, 30, 0, ctrl), Event(65, 31, 0), ctrl, true, false},
      {"other flags, switch on", PackHotKey(65, 30, 0, ctrl), Event(65, 30, 1), ctrl, true, false},
      {"same scan and flags, switch on", PackHotKey(65, 30, 1, ctrl), Event(65, 30, 1), ctrl, true,
       true},
      {"wildcard with extended flag", PackHotKey(65, 0, 1, ctrl), Event(65, 30, 0), ctrl, true,
       true},
      {"no wildcard with flags 2", PackHotKey(65, 0, 2, ctrl), Event(65, 30, 0), ctrl, true, false},
      {"extra modifier held", PackHotKey(65, 0, 0, ctrl), Event(65, 30, 0), ctrl | kModShift, false,
       false},
      {"modifier missing", PackHotKey(65, 0, 0, ctrl), Event(65, 30, 0), 0, false, false},
      {"other key code", PackHotKey(65, 0, 0, ctrl), Event(66, 48, 0), ctrl, false, false},
      {"no modifiers", PackHotKey(112, 59, 0, 0), Event(112, 59, 0), 0, false, true},
      {"key 255 same scan", PackHotKey(255, 86, 0, 0), Event(255, 86, 0), 0, false, true},
      {"key 255 other scan, switch off", PackHotKey(255, 86, 0, 0), Event(255, 87, 0), 0, false,
       false},
      {"key 255 other flags", PackHotKey(255, 86, 0, 0), Event(255, 86, 1), 0, false, false},
      {"key 255 wildcard 0/1", PackHotKey(255, 0, 1, kModAlt), Event(255, 99, 0), kModAlt, false,
       true},
      {"key 255 wildcard 0/0", PackHotKey(255, 0, 0, 0), Event(255, 12, 1), 0, false, true},
      {"key 255 wildcard wrong mods", PackHotKey(255, 0, 1, kModAlt), Event(255, 99, 0), 0, false,
       false},
      {"event scan above a byte", PackHotKey(255, 30, 0, 0), Event(255, 0x11E, 0), 0, false, false},
  };
  for (const MatchCase& c : cases) {
    EXPECT_EQ(c.expected, MatchHotKey(&c.event, c.modifiers, Record(c.hkey), "", c.full)) << c.what;
  }
}

TEST(MatchHotKey, HidAndOrdinaryRecordsNeverCross) {
  const TActionHKey hid = Record(PackHotKey(65, 0, 0, kModCtrl), TkeInputMode::keHid, "HID#1");
  const KeyEventRecord event = Event(65, 30, 0);
  EXPECT_FALSE(MatchHotKey(&event, kModCtrl, hid, "HID#1", false));
  EXPECT_FALSE(MatchHotKey(&event, kModCtrl, hid, "HID#1", true));

  const TActionHKey normal =
      Record(PackHotKey(65, 0, 0, kModCtrl), TkeInputMode::keNormal, "HID#1");
  EXPECT_FALSE(MatchHotKey(nullptr, kModCtrl, normal, "HID#1", false));
}

TEST(MatchHotKey, HidKeysCompareTextExactlyAndModifiers) {
  const TActionHKey hid = Record(PackHotKey(0, 0, 0, kModShift), TkeInputMode::keHid, "Dev0000A");
  EXPECT_TRUE(MatchHotKey(nullptr, kModShift, hid, "Dev0000A", false));
  EXPECT_FALSE(MatchHotKey(nullptr, kModShift, hid, "dev0000a", false));
  EXPECT_FALSE(MatchHotKey(nullptr, kModShift, hid, "Dev0000", false));
  EXPECT_FALSE(MatchHotKey(nullptr, kModShift, hid, "Dev0000AB", false));
  EXPECT_FALSE(MatchHotKey(nullptr, 0, hid, "Dev0000A", false));
  EXPECT_FALSE(MatchHotKey(nullptr, kModShift | kModCtrl, hid, "Dev0000A", false));

  const TActionHKey empty = Record(0, TkeInputMode::keHid, "");
  EXPECT_FALSE(MatchHotKey(nullptr, 0, empty, "", false));
}

TEST(MatchHotKey, DefaultFollowsTheProcessWideSwitch) {
  const TActionHKey record = Record(PackHotKey(65, 30, 0, 0));
  const KeyEventRecord event = Event(65, 31, 0);
  ASSERT_FALSE(FullKeysComparison());
  EXPECT_TRUE(MatchHotKey(&event, 0, record, ""));
  SetFullKeysComparison(true);
  const bool matchedWithSwitchOn = MatchHotKey(&event, 0, record, "");
  const bool sameWithSwitchOn = SameHotKey(PackHotKey(65, 30, 0, 0), PackHotKey(65, 31, 0, 0));
  SetFullKeysComparison(false);
  EXPECT_FALSE(matchedWithSwitchOn);
  EXPECT_FALSE(sameWithSwitchOn);
}

TEST(SameHotKey, ComparesLikeMatchButWildcardNeedsFlagsZeroOnEitherSide) {
  struct Case {
    const char* what;
    uint32_t a, b;
    bool full;
    bool expected;
  };
  const Case cases[] = {
      {"same code, switch off", PackHotKey(173, 32, 1, 0), PackHotKey(173, 99, 0, 0), false, true},
      {"same code, switch on", PackHotKey(173, 32, 1, 0), PackHotKey(173, 99, 0, 0), true, false},
      {"other modifiers", PackHotKey(65, 0, 0, 1), PackHotKey(65, 0, 0, 2), false, false},
      {"other key code", PackHotKey(65, 0, 0, 0), PackHotKey(66, 0, 0, 0), false, false},
      {"255 equal", PackHotKey(255, 86, 1, 0), PackHotKey(255, 86, 1, 0), false, true},
      {"255 other scan", PackHotKey(255, 86, 1, 0), PackHotKey(255, 87, 1, 0), false, false},
      {"255 wildcard on a", PackHotKey(255, 0, 0, 0), PackHotKey(255, 87, 1, 0), false, true},
      {"255 wildcard on b", PackHotKey(255, 87, 1, 0), PackHotKey(255, 0, 0, 0), false, true},
      {"255 flags 1 is no wildcard", PackHotKey(255, 0, 1, 0), PackHotKey(255, 87, 1, 0), false,
       false},
      {"switch on, wildcard on b", PackHotKey(65, 30, 0, 4), PackHotKey(65, 0, 0, 4), true, true},
      {"switch on, no wildcard", PackHotKey(65, 30, 0, 4), PackHotKey(65, 0, 1, 4), true, false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, SameHotKey(c.a, c.b, c.full)) << c.what;
}

TEST(ModifiersToText, FixedOrderWinCtrlShiftAlt) {
  EXPECT_EQ("", ModifiersToText(0));
  EXPECT_EQ("Alt + ", ModifiersToText(kModAlt));
  EXPECT_EQ("Ctrl + Alt + ", ModifiersToText(kModCtrl | kModAlt));
  EXPECT_EQ("Win + Shift + ", ModifiersToText(kModWin | kModShift));
  EXPECT_EQ("Win + Ctrl + Shift + Alt + ", ModifiersToText(0x0F));
  EXPECT_EQ("Ctrl + ", ModifiersToText(0xF2)) << "bits above Win mean nothing";
}

TEST(KeyTripleText, JoinsDecimalsWithX) {
  EXPECT_EQ("255x86x0", KeyTripleText(255, 86, 0));
  EXPECT_EQ("0x0x0", KeyTripleText(0, 0, 0));
  EXPECT_EQ("4294967295x1x128", KeyTripleText(0xFFFFFFFF, 1, 128));
}

MouseEventRecord Mouse(uint32_t data) {
  MouseEventRecord event;
  event.x = 100;
  event.y = -5;
  event.mouseData = data;
  event.flags = 1;
  event.time = 1234;
  event.extraInfo = 42;
  return event;
}

TEST(MouseToKeyEvent, EveryButtonAndTheWheel) {
  struct Case {
    uint32_t message;
    uint32_t data;
    uint32_t expectedMessage;
    uint32_t expectedKey;
  };
  const Case cases[] = {
      {kWmLButtonDown, 0, kWmKeyDown, 1},
      {kWmLButtonUp, 0, kWmKeyUp, 1},
      {kWmRButtonDown, 0, kWmKeyDown, 2},
      {kWmRButtonUp, 0, kWmKeyUp, 2},
      {kWmMButtonDown, 0, kWmKeyDown, 4},
      {kWmMButtonUp, 0, kWmKeyUp, 4},
      {kWmXButtonDown, 1u << 16, kWmKeyDown, 5},
      {kWmXButtonUp, 1u << 16, kWmKeyUp, 5},
      {kWmXButtonDown, 2u << 16, kWmKeyDown, 6},
      {kWmXButtonUp, 2u << 16 | 7, kWmKeyUp, 6},
      {kWmMouseWheel, 120u << 16, kWmKeyDown, 136},
      {kWmMouseWheel, 0xFF88u << 16, kWmKeyDown, 137},  // -120
      {kWmMouseWheel, 0x7FFFu << 16, kWmKeyDown, 136},
      {kWmMouseWheel, 0x8000u << 16, kWmKeyDown, 137},
  };
  for (const Case& c : cases) {
    const std::optional<KeyMessage> key = MouseToKeyEvent(c.message, Mouse(c.data));
    ASSERT_TRUE(key.has_value()) << c.message << " data " << c.data;
    EXPECT_EQ(c.expectedMessage, key->message) << c.message;
    EXPECT_EQ(c.expectedKey, key->record.vkCode) << c.message;
    EXPECT_EQ(66u, key->record.scanCode);
    EXPECT_EQ(33u, key->record.flags);
    EXPECT_EQ(0u, key->record.time);
    EXPECT_EQ(0u, key->record.extraInfo);
  }
}

TEST(MouseToKeyEvent, MessagesWithoutAKeyAreNotConverted) {
  struct Case {
    uint32_t message;
    uint32_t data;
  };
  const Case cases[] = {
      {0x200, 0},  // move
      {515, 0},    // double click
      {kWmXButtonDown, 0},
      {kWmXButtonDown, 3u << 16},
      {kWmXButtonUp, 0xFFFFu << 16},
      {kWmXButtonDown, 1},  // number in the low word only
      {kWmMouseWheel, 0},
      {kWmMouseWheel, 120},  // delta in the low word only
      {0x20E, 120u << 16},   // horizontal wheel
  };
  for (const Case& c : cases)
    EXPECT_FALSE(MouseToKeyEvent(c.message, Mouse(c.data)).has_value())
        << c.message << " " << c.data;
}

struct UpOnlyResult {
  bool converted;
  uint32_t message;
  uint32_t flags;
};

UpOnlyResult ApplyUpOnly(uint32_t message, uint32_t key, uint32_t scan, uint32_t flags,
                         bool enabled, const std::vector<std::string>& list) {
  KeyEventRecord record = Event(key, scan, flags);
  const bool converted = UpOnlyToKeyDown(message, record, enabled, list);
  EXPECT_EQ(key, record.vkCode);
  EXPECT_EQ(scan, record.scanCode);
  return {converted, message, record.flags};
}

TEST(UpOnlyToKeyDown, ListedKeyUpsBecomeKeyDowns) {
  const std::vector<std::string> list = {"200x1x0", "178x36x1"};
  // Delivered with the released bit, listed without it.
  UpOnlyResult r = ApplyUpOnly(kWmKeyUp, 178, 36, 0x81, true, list);
  EXPECT_TRUE(r.converted);
  EXPECT_EQ(kWmKeyDown, r.message);
  EXPECT_EQ(0x01u, r.flags);

  r = ApplyUpOnly(kWmSysKeyUp, 178, 36, 0x81, true, list);
  EXPECT_TRUE(r.converted);
  EXPECT_EQ(kWmSysKeyDown, r.message);

  // Listed exactly as delivered.
  r = ApplyUpOnly(kWmKeyUp, 178, 36, 0x81, true, {"178x36x129"});
  EXPECT_TRUE(r.converted);
  EXPECT_EQ(kWmKeyDown, r.message);
  EXPECT_EQ(0x01u, r.flags);
}

TEST(UpOnlyToKeyDown, EverythingElsePassesUnchanged) {
  const std::vector<std::string> list = {"178x36x1"};
  struct Case {
    const char* what;
    uint32_t message, key, scan, flags;
    bool enabled;
    std::vector<std::string> list;
  };
  const Case cases[] = {
      {"option off", kWmKeyUp, 178, 36, 0x81, false, list},
      {"empty list", kWmKeyUp, 178, 36, 0x81, true, {}},
      {"key-down", kWmKeyDown, 178, 36, 0x01, true, list},
      {"system key-down", kWmSysKeyDown, 178, 36, 0x01, true, list},
      {"other scan code", kWmKeyUp, 178, 37, 0x81, true, list},
      {"other flags", kWmKeyUp, 178, 36, 0x80, true, list},
      {"other key", kWmKeyUp, 179, 36, 0x81, true, list},
      {"entry only a prefix", kWmKeyUp, 178, 36, 0x81, true, {"178x36"}},
  };
  for (const Case& c : cases) {
    const UpOnlyResult r = ApplyUpOnly(c.message, c.key, c.scan, c.flags, c.enabled, c.list);
    EXPECT_FALSE(r.converted) << c.what;
    EXPECT_EQ(c.message, r.message) << c.what;
    EXPECT_EQ(c.flags, r.flags) << c.what;
  }
}

}  // namespace
TEST(SidedModifierKey, GenericModifiersBecomeTheirSideAndOtherKeysStay) {
  struct Case {
    uint32_t keyCode, scanCode, flags, expected;
  };
  const Case cases[] = {
      {16, 0x2A, 0, 160},  {16, 0x36, 0, 161},    {17, 0x1D, 0, 162},
      {17, 0x1D, 1, 163},  {18, 0x38, 0x20, 164}, {18, 0x38, 0x21, 165},
      {162, 0x1D, 0, 162}, {65, 0x1E, 1, 65},     {16, 0x136, 0, 161},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.expected, SidedModifierKey(c.keyCode, c.scanCode, c.flags))
        << c.keyCode << " " << c.scanCode << " " << c.flags;
}

}  // namespace tavion
