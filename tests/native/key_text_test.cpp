#include "keys/key_text.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "keys/key_names.h"

namespace tavion {
namespace {

// A keyboard layout that knows a few keys, and remembers what it was asked.
class FakeSystemKeyNames final : public SystemKeyNames {
 public:
  std::map<uint32_t, uint32_t> scanCodes;  // key code -> scan code
  std::map<uint32_t, std::string> names;   // lParam -> name
  mutable std::vector<uint32_t> askedLParams;
  mutable std::vector<uint32_t> askedKeyCodes;

  uint32_t ScanCodeOf(uint32_t keyCode) const override {
    askedKeyCodes.push_back(keyCode);
    const auto it = scanCodes.find(keyCode);
    return it == scanCodes.end() ? 0 : it->second;
  }
  std::string KeyName(uint32_t lParam) const override {
    askedLParams.push_back(lParam);
    const auto it = names.find(lParam);
    return it == names.end() ? std::string() : it->second;
  }
};

class KeyTextTest : public testing::Test {
 protected:
  KeyTextTest() {
    system_.scanCodes = {{65, 30}, {112, 59}, {173, 0x20}};
    system_.names = {
        {30u << 16 | 1, "A"},
        {59u << 16 | 1, "F1"},
        {0x20u << 16 | 1u << 24 | 1, "Mute key"},
        {0x47u << 16 | 1u << 24 | 1, "Home"},
    };
    names_.LoadDefaultKeyNames();
    names_.AddKey("Odd key", PackHotKey(255, 86, 0, 0), "");
    names_.AddKey("Pad", 0, "HID\\VID_0000&PID_00000001");
    context_ = {&system_, &names_};
  }

  std::string Text(uint32_t key, uint32_t scan, uint32_t flags, bool convert, bool userNames) {
    return KeyToText(key, scan, flags, convert, userNames, context_);
  }

  FakeSystemKeyNames system_;
  TKeyNames names_;
  KeyTextContext context_;
};

TEST_F(KeyTextTest, OutOfRangeCodesAreReportedBeforeAnythingElse) {
  EXPECT_EQ("VkCode>255", Text(300, 999, 999, true, true));
  EXPECT_EQ("Scan>255", Text(65, 256, 999, true, true));
  EXPECT_EQ("Flag>255", Text(65, 30, 256, true, true));
  EXPECT_EQ("Flag>255", Text(0, 0, 256, true, true));
  EXPECT_TRUE(system_.askedLParams.empty());
}

TEST_F(KeyTextTest, NoKeyReadsNone) {
  EXPECT_EQ("None", Text(0, 0, 0, true, true));
  EXPECT_TRUE(system_.askedLParams.empty());
}

TEST_F(KeyTextTest, UserNamesComeFirstWhenEnabled) {
  EXPECT_EQ("Volume Mute", Text(173, 0x20, 1, true, true));
  EXPECT_EQ("Volume Mute", Text(173, 0x77, 0, false, true)) << "any scan code of key 173";
  EXPECT_EQ("Odd key", Text(255, 86, 0, true, true));
  EXPECT_EQ("Mute key", Text(173, 0x20, 1, true, false));
  EXPECT_EQ("255x86x0", Text(255, 86, 0, true, false));
}

TEST_F(KeyTextTest, KeyCodeZeroIsNeverLookedUpByName) {
  names_.AddKey("Zero", PackHotKey(0, 5, 0, 0), "");
  EXPECT_EQ("0x5x0", Text(0, 5, 0, true, true));
}

TEST_F(KeyTextTest, ScanOnlyKeysShowTheirCodesWithoutAskingTheSystem) {
  EXPECT_EQ("255x86x0", Text(255, 86, 0, true, false));
  EXPECT_EQ("255x87x1", Text(255, 87, 1, true, true));
  EXPECT_TRUE(system_.askedLParams.empty());
}

TEST_F(KeyTextTest, SystemNameGetsScanAndFlagsInTheKeyMessageLayout) {
  EXPECT_EQ("Home", Text(36, 0x47, 1, true, false));
  ASSERT_EQ(1u, system_.askedLParams.size());
  EXPECT_EQ(0x01470001u, system_.askedLParams[0]);
  EXPECT_TRUE(system_.askedKeyCodes.empty()) << "a given scan code is not mapped";
}

TEST_F(KeyTextTest, MissingScanCodeIsMappedFromTheKeyCode) {
  EXPECT_EQ("F1", Text(112, 0, 0, true, false));
  EXPECT_EQ(std::vector<uint32_t>{112}, system_.askedKeyCodes);
  EXPECT_EQ(std::vector<uint32_t>{59u << 16 | 1}, system_.askedLParams);
}

TEST_F(KeyTextTest, WithoutASystemNameTheKeyCodeIsTheCharacter) {
  EXPECT_EQ("A", Text(65, 30, 0, false, false)) << "conversion off";
  EXPECT_EQ("B", Text(66, 48, 0, true, false)) << "the layout has no name";
  EXPECT_EQ("\xC3\xA9", Text(0xE9, 0, 0, true, false)) << "Latin-1 code as UTF-8";
  EXPECT_EQ("\x07", Text(7, 0, 0, true, false));
  EXPECT_EQ("0x5x1", Text(0, 5, 1, true, false));
  const KeyTextContext noSystem{nullptr, &names_};
  EXPECT_EQ("F", KeyToText(70, 33, 0, true, true, noSystem));
}

TEST_F(KeyTextTest, HotKeyValueTextTakesNamesBeforeConversionInItsArguments) {
  const uint32_t ctrlAltMute = PackHotKey(173, 0x20, 1, kModCtrl | kModAlt);
  EXPECT_EQ("Ctrl + Alt + Volume Mute",
            HotKeyValueToText(ctrlAltMute, /*useUserNames=*/true, /*useConversion=*/false,
                              /*withModifiers=*/true, context_));
  EXPECT_EQ("Ctrl + Alt + Mute key", HotKeyValueToText(ctrlAltMute, false, true, true, context_));
  EXPECT_EQ("Mute key", HotKeyValueToText(ctrlAltMute, false, true, false, context_));
  EXPECT_EQ("Win + None",
            HotKeyValueToText(PackHotKey(0, 0, 0, kModWin), true, true, true, context_));
}

TEST_F(KeyTextTest, HidTextShortensRunsOfZeros) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"A00000000B", "A00B"}, {"0000", "0"},          {"00000", "00"}, {"000", "000"},
      {"000000", "000"},      {"x0000y0000", "x0y0"}, {"", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.expected, HidKeyToText(c.text, false, context_)) << c.text;
}

TEST_F(KeyTextTest, HidTextTakesTheUserNameWhenEnabled) {
  EXPECT_EQ("Pad", HidKeyToText("HID\\VID_0000&PID_00000001", true, context_));
  EXPECT_EQ("HID\\VID_0&PID_00001", HidKeyToText("HID\\VID_0000&PID_00000001", false, context_));
  EXPECT_EQ("", HidKeyToText("", true, context_)) << "no entry stands for an empty text";
}

TEST_F(KeyTextTest, HotKeyTextOfAnHidRecordAlwaysHasModifiersAndNames) {
  TActionHKey hid(PackHotKey(0, 0, 0, kModShift));
  hid.SetInputMode(TkeInputMode::keHid);
  hid.SetKeyPolyglot("HID\\VID_0000&PID_00000001");
  EXPECT_EQ("Shift + Pad", HotKeyToText(hid, false, false, false, context_));

  const TActionHKey normal(PackHotKey(65, 30, 0, kModShift));
  EXPECT_EQ("A", HotKeyToText(normal, false, true, false, context_));
  EXPECT_EQ("Shift + A", HotKeyToText(normal, false, true, true, context_));
}

TEST(DefaultKeyTextContext, UsesTheProcessTableAndTheInstalledSystemNames) {
  FakeSystemKeyNames system;
  system.names = {{0x55u << 16 | 1, "Fancy"}};
  ChangeKeyNamesTable([](TKeyNames& names) {
    names.Clear();
    names.AddKey("Shared", PackHotKey(200, 0, 0, 0), "");
  });
  SetDefaultSystemKeyNames(&system);
  const std::string withSystem = KeyToText(90, 0x55, 0, true, true);
  const std::string withTable = KeyToText(200, 9, 0, true, true);
  SetDefaultSystemKeyNames(nullptr);

  // A text begun on a worker thread keeps the table it started with while the table is reloaded.
  const KeyTextContext begun = DefaultKeyTextContext();
  ChangeKeyNamesTable([](TKeyNames& names) { names.Clear(); });
  EXPECT_EQ("Shared", KeyToText(200, 0, 0, false, true, begun));
  EXPECT_EQ("\xC3\x88", KeyToText(200, 0, 0, false, true));

  EXPECT_EQ("Fancy", withSystem);
  EXPECT_EQ("Shared", withTable);
  EXPECT_EQ("Z", KeyToText(90, 0x55, 0, true, true));
}

}  // namespace
}  // namespace tavion
