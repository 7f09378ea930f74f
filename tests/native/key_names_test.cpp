#include "keys/key_names.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "keys/key_text.h"
#include "native/support/fakes.h"
#include "registry_dump.h"
#include "settings/registry.h"

namespace tavion {
namespace {

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
  EXPECT_FALSE(registry.KeyExists(std::string(kPath) + "\\IgnoreList")) << "the key is replaced";
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

TEST(KeyNamesSorting, AddAndPutSortByNameIgnoringCaseAndLookupsFindTheFirstMatch) {
  TKeyNames table;
  // A name that is the start of another comes first, whatever follows it in the line; an equal
  // name goes last among its equals.
  EXPECT_EQ((std::vector<int>{0, 0, 2, 0, 0, 3}),
            (std::vector<int>{table.AddKey("delta", 1, ""),
                              table.AddKey("Bravo", PackHotKey(200, 40, 1, 0), ""),
                              table.AddKey("Echo", 3, ""), table.AddKey("alpha2", 4, ""),
                              table.AddKey("alpha", 6, ""), table.AddKey("BRAVO", 2, "")}));
  ASSERT_TRUE(table.PutKey(0, "zulu", 7, "HID#1"));
  EXPECT_EQ((std::vector<std::string>{"alpha2", "Bravo", "BRAVO", "delta", "Echo", "zulu"}),
            Names(table));
  // Hot keys compare as such: a stored scan code 0 is a wildcard unless fully compared, and the
  // modifiers count. HID texts compare exactly, names ignoring case; no entry stands for an empty
  // HID text.
  EXPECT_EQ((std::vector<int>{1, -1, -1, 5, -1, -1, 3, -1}),
            (std::vector<int>{table.IndexOfKey(PackHotKey(200, 41, 0, 0), false),
                              table.IndexOfKey(PackHotKey(200, 41, 0, 0), true),
                              table.IndexOfKey(PackHotKey(200, 40, 1, kModCtrl), false),
                              table.IndexOfHidText("HID#1"), table.IndexOfHidText("hid#1"),
                              table.IndexOfHidText(""), table.IndexOfName("DELTA"),
                              table.IndexOfName("delt")}));
}

TEST(KeyNamesRegistry, AMissingKeyGivesTheDefaultsAndADeletedDefaultStaysDeleted) {
  MemoryRegistry registry;
  TKeyNames table, reloaded;
  table.AddKey("Leftover", 1, "");
  table.LoadKeyNames(registry, kPath);
  EXPECT_EQ(-1, table.IndexOfName("Leftover"));
  ASSERT_TRUE(table.Delete(table.IndexOfName("Stop")));
  ASSERT_TRUE(table.SaveKeyNames(registry, kPath));
  reloaded.LoadKeyNames(registry, "");
  EXPECT_EQ(table.Count() + 1, reloaded.Count()) << "no path: the defaults";
  reloaded.LoadKeyNames(registry, kPath);
  EXPECT_EQ(Names(table), Names(reloaded));
  registry.DeleteKey(kPath);
  registry.CreateKey(kPath);
  reloaded.LoadKeyNames(registry, kPath);
  EXPECT_EQ(0, reloaded.Count()) << "an existing empty key is an empty table";
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
  EXPECT_EQ("F", KeyToText(70, 33, 0, true, true, KeyTextContext{nullptr, &names_}));
  struct Restore {
    ~Restore() { SetDefaultSystemKeyNames(nullptr); }
  } restore;
  SetDefaultSystemKeyNames(&system_);
  EXPECT_EQ("59", KeyToText(112, 0, 0, true, false)) << "the installed names by default";
}

TEST_F(KeyTextTest, HotKeyTextsPutModifiersBeforeTheKeyAndHidRecordsAlwaysHaveBoth) {
  const uint32_t ctrlAltMute = PackHotKey(173, 0x20, 1, kModCtrl | kModAlt);
  TActionHKey hid(PackHotKey(0, 0, 0, kModShift));
  hid.SetInputMode(TkeInputMode::keHid);
  hid.SetKeyPolyglot("HID\\VID_0000&PID_00000001");
  // Arguments: user names, conversion, modifiers.
  EXPECT_EQ(
      (std::vector<std::string>{"Ctrl + Alt + Volume Mute", "288", "Shift + Pad", "Shift + A"}),
      (std::vector<std::string>{HotKeyValueToText(ctrlAltMute, true, false, true, context_),
                                HotKeyValueToText(ctrlAltMute, false, true, false, context_),
                                HotKeyToText(hid, false, false, false, context_),
                                HotKeyToText(TActionHKey(PackHotKey(65, 30, 0, kModShift)), false,
                                             false, true, context_)}));
}

TEST_F(KeyTextTest, HidTextShortensRunsOfZerosUnlessItHasAName) {
  const std::pair<const char*, const char*> cases[] = {
      {"A00000000B", "A00B"},
      {"00000", "00"},
      {"000", "000"},
      {"", ""},
      {"HID\\VID_0000&PID_00000001", "HID\\VID_0&PID_00001"}};
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(expected, HidKeyToText(text, false, context_)) << text;
  EXPECT_EQ("Pad", HidKeyToText("HID\\VID_0000&PID_00000001", true, context_));
  EXPECT_EQ("", HidKeyToText("", true, context_)) << "no entry stands for an empty text";
  EXPECT_EQ("A0", HidKeyToText("A0000", true, KeyTextContext{}));
}

}  // namespace
}  // namespace tavion
