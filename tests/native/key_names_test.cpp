#include "keys/key_names.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

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
  const struct {
    const char* line;
    const char* name;
    uint32_t value;
    const char* hid;
  } cases[] = {
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
  for (const auto& c : cases) registry.WriteString(kPath, c.name + std::string("x"), c.line);
  registry.WriteInteger(kPath, "Number", 12);  // not a line: skipped
  TKeyNames table;
  table.LoadKeyNames(registry, kPath);
  ASSERT_EQ(static_cast<int>(std::size(cases)), table.Count());
  for (int i = 0; i < table.Count(); ++i) {
    EXPECT_EQ(std::make_tuple(cases[i].name, cases[i].value, cases[i].hid),
              std::make_tuple(table.NameAt(i), table.KeyValueAt(i), table.HidTextAt(i)))
        << cases[i].line;
  }
  EXPECT_EQ(0x8156FF00u, table.KeyAt(1).HKey());
  for (int index : {-1, table.Count()}) {
    EXPECT_EQ("0", table.NameAt(index) + table.HidTextAt(index) +
                       std::to_string(table.KeyValueAt(index)));
    EXPECT_FALSE(table.Delete(index) || table.PutKey(index, "X", 1, ""));
  }
}

TEST(KeyNamesSorting, AddAndPutSortByNameIgnoringCaseAndLookupsFindTheFirstMatch) {
  TKeyNames table;
  EXPECT_EQ(0, table.AddKey("delta", 1, ""));
  EXPECT_EQ(0, table.AddKey("Bravo", PackHotKey(200, 40, 1, 0), ""));
  EXPECT_EQ(2, table.AddKey("Echo", 3, ""));
  EXPECT_EQ(0, table.AddKey("alpha2", 4, ""));
  // A name that is the start of another comes first, whatever follows it in the line.
  EXPECT_EQ(0, table.AddKey("alpha", 6, ""));
  EXPECT_EQ("BRAVO", table.NameAt(table.AddKey("BRAVO", 2, ""))) << "last among equal lines";
  ASSERT_TRUE(table.PutKey(0, "zulu", 7, "HID#1"));
  EXPECT_EQ((std::vector<std::string>{"alpha2", "Bravo", "BRAVO", "delta", "Echo", "zulu"}),
            Names(table));
  EXPECT_EQ(7u, table.KeyValueAt(5));
  // Hot keys compare as such: a stored scan code 0 is a wildcard unless fully compared.
  EXPECT_EQ(1, table.IndexOfKey(PackHotKey(200, 41, 0, 0), false));
  EXPECT_EQ(-1, table.IndexOfKey(PackHotKey(200, 41, 0, 0), true));
  EXPECT_EQ(-1, table.IndexOfKey(PackHotKey(200, 40, 1, kModCtrl), false)) << "modifiers count";
  // HID texts compare exactly, names ignoring case; no entry stands for an empty HID text.
  EXPECT_EQ(5, table.IndexOfHidText("HID#1"));
  EXPECT_EQ(-1, table.IndexOfHidText("hid#1"));
  EXPECT_EQ(-1, table.IndexOfHidText(""));
  EXPECT_EQ(3, table.IndexOfName("DELTA"));
  EXPECT_EQ(-1, table.IndexOfName("delt"));
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

}  // namespace
}  // namespace tavion
