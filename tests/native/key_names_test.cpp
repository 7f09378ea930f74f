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

}  // namespace
}  // namespace tavion
