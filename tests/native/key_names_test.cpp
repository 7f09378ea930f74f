#include "keys/key_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/registry.h"

namespace tavion {
namespace {

constexpr std::string_view kPath = kKeyNamesRegistryPath;

std::vector<std::string> Names(const TKeyNames& table) {
  std::vector<std::string> names;
  for (int i = 0; i < table.Count(); ++i) names.push_back(table.NameAt(i));
  return names;
}

// Every value of the key as "name: text", in enumeration order.
std::vector<std::string> Dump(const RegistryStore& registry, std::string_view path) {
  std::vector<std::string> lines;
  for (const std::string& name : registry.ValueNames(path))
    lines.push_back(name + ": " + registry.ReadString(path, name).value_or("<not a string>"));
  return lines;
}

TEST(KeyNamesDefaults, TwentySixMediaBrowserAndMouseKeysInTableOrder) {
  TKeyNames table;
  table.LoadDefaultKeyNames();
  ASSERT_EQ(26, table.Count());
  EXPECT_EQ("Browser Back", table.NameAt(0));
  EXPECT_EQ(PackHotKey(166, 0, 0, 0), table.KeyValueAt(0));
  EXPECT_EQ("Launch App2", table.NameAt(17));
  EXPECT_EQ(PackHotKey(183, 0, 0, 0), table.KeyValueAt(17));
  const std::vector<std::string> names = Names(table);
  const std::vector<std::string> mouse(names.begin() + 18, names.end());
  EXPECT_EQ((std::vector<std::string>{"Mouse Left", "Mouse Right", "Mouse Middle", "Mouse DblClick",
                                      "Mouse XButton1", "Mouse XButton2", "Mouse WheelUp",
                                      "Mouse WheelDown"}),
            mouse);
  std::vector<int> mouseCodes;
  for (int i = 18; i < 26; ++i) mouseCodes.push_back(HotKeyByte(table.KeyValueAt(i), 2));
  EXPECT_EQ((std::vector<int>{1, 2, 4, 14, 5, 6, 136, 137}), mouseCodes);
  for (int i = 0; i < table.Count(); ++i) {
    EXPECT_EQ(0u, table.KeyValueAt(i) & 0xFFFF00FF) << table.NameAt(i);
    EXPECT_EQ("", table.HidTextAt(i));
  }
}

TEST(KeyNamesLines, AreSavedAsNameEqualsSignedDecimalWithOptionalHidText) {
  TKeyNames table;
  table.AddKey("Plain", PackHotKey(65, 30, 0, 0), "");
  table.AddKey("Released", PackHotKey(255, 86, 0x81, 0), "");
  table.AddKey("Pad", PackHotKey(0, 0, 0, 0), "HID#5");
  table.AddKey("Nothing", PackHotKey(66, 0, 0, 0), "None");
  MemoryRegistry registry;
  ASSERT_TRUE(table.SaveKeyNames(registry, kPath));
  EXPECT_EQ((std::vector<std::string>{
                "000: Nothing=16896",
                "001: Pad=0\x01HID#5",
                "002: Plain=1982720",
                "003: Released=-2125005056",
            }),
            Dump(registry, kPath));
}

TEST(KeyNamesLines, PartsAreReadBackFromTheLine) {
  MemoryRegistry registry;
  const std::vector<std::pair<const char*, const char*>> lines = {
      {"000", "Mute=44288"},
      {"001", "Pad=0\x01HID\\VID_1"},
      {"002", "Negative=-2125005056"},
      {"003", "Unsigned=4294967295"},
      {"004", "Word=abc"},
      {"005", "Spaced= 12"},
      {"006", "Huge=99999999999"},
      {"007", "NoEquals"},
      {"008", "Two=5=6"},
      {"009", "EmptyHid=7\x01"},
      {"010", "Plus=+8"},
  };
  for (const auto& [name, line] : lines) registry.WriteString(kPath, name, line);
  TKeyNames table;
  table.LoadKeyNames(registry, kPath);
  ASSERT_EQ(11, table.Count());
  struct Expected {
    const char* name;
    uint32_t value;
    const char* hid;
  };
  const Expected expected[] = {
      {"Mute", 44288, ""},
      {"Pad", 0, "HID\\VID_1"},
      {"Negative", 0x8156FF00, ""},
      {"Unsigned", 0xFFFFFFFF, ""},
      {"Word", 0, ""},
      {"Spaced", 0, ""},
      {"Huge", 0, ""},
      {"", 0, ""},
      {"Two", 0, ""},
      {"EmptyHid", 7, ""},
      {"Plus", 8, ""},
  };
  for (int i = 0; i < table.Count(); ++i) {
    EXPECT_EQ(expected[i].name, table.NameAt(i)) << i;
    EXPECT_EQ(expected[i].value, table.KeyValueAt(i)) << i;
    EXPECT_EQ(expected[i].hid, table.HidTextAt(i)) << i;
  }
  EXPECT_EQ(table.KeyValueAt(0), table.KeyAt(0).HKey());
  EXPECT_EQ(TkeInputMode::keNormal, table.KeyAt(1).InputMode());
}

TEST(KeyNamesAccess, IndexesOutsideTheListAreHarmless) {
  TKeyNames table;
  table.LoadDefaultKeyNames();
  for (int index : {-1, 26, 1000}) {
    EXPECT_EQ("", table.NameAt(index));
    EXPECT_EQ(0u, table.KeyValueAt(index));
    EXPECT_EQ("", table.HidTextAt(index));
    EXPECT_FALSE(table.Delete(index));
    EXPECT_FALSE(table.PutKey(index, "X", 1, ""));
  }
  EXPECT_EQ(26, table.Count());
}

TEST(KeyNamesSorting, AddAndPutSortByNameIgnoringCase) {
  TKeyNames table;
  EXPECT_EQ(0, table.AddKey("delta", 1, ""));
  EXPECT_EQ(0, table.AddKey("Bravo", 2, ""));
  EXPECT_EQ(2, table.AddKey("Echo", 3, ""));
  EXPECT_EQ(0, table.AddKey("alpha", 4, ""));
  EXPECT_EQ(2, table.AddKey("Charlie", 5, ""));
  EXPECT_EQ((std::vector<std::string>{"alpha", "Bravo", "Charlie", "delta", "Echo"}), Names(table));

  // A name that is the start of another comes first, whatever follows it in the line.
  EXPECT_EQ(1, table.AddKey("alpha2", 6, ""));
  EXPECT_EQ(0, table.IndexOfName("alpha"));

  ASSERT_TRUE(table.PutKey(0, "zulu", 7, "HID#1"));
  EXPECT_EQ((std::vector<std::string>{"alpha2", "Bravo", "Charlie", "delta", "Echo", "zulu"}),
            Names(table));
  EXPECT_EQ(7u, table.KeyValueAt(5));
  EXPECT_EQ("HID#1", table.HidTextAt(5));
}

TEST(KeyNamesSorting, AddReturnsTheIndexOfTheNewEntryAmongEqualLines) {
  TKeyNames table;
  table.AddKey("Same", 1, "");
  table.AddKey("Other", 2, "");
  EXPECT_EQ("same", table.NameAt(table.AddKey("same", 1, "")));
  EXPECT_EQ("SAME", table.NameAt(table.AddKey("SAME", 1, "")));
  EXPECT_EQ(4, table.Count());
}

TEST(KeyNamesLookup, KeysCompareAsHotKeys) {
  TKeyNames table;
  table.LoadDefaultKeyNames();
  table.AddKey("Exact", PackHotKey(200, 40, 1, 0), "");
  const int mute = table.IndexOfName("Volume Mute");
  EXPECT_EQ(mute, table.IndexOfKey(PackHotKey(173, 0x20, 1, 0), false));
  EXPECT_EQ(mute, table.IndexOfKey(PackHotKey(173, 0x20, 1, 0), true)) << "stored wildcard";
  EXPECT_EQ(-1, table.IndexOfKey(PackHotKey(173, 0, 0, kModCtrl), false)) << "modifiers count";
  const int exact = table.IndexOfName("exact");
  EXPECT_EQ(exact, table.IndexOfKey(PackHotKey(200, 41, 0, 0), false));
  EXPECT_EQ(-1, table.IndexOfKey(PackHotKey(200, 41, 0, 0), true));
  EXPECT_EQ(-1, table.IndexOfKey(PackHotKey(90, 0, 0, 0), false));
}

TEST(KeyNamesLookup, HidTextIsExactAndNamesIgnoreCase) {
  TKeyNames table;
  table.AddKey("First", 1, "");
  table.AddKey("Pad", 0, "HID#Ab");
  EXPECT_EQ(1, table.IndexOfHidText("HID#Ab"));
  EXPECT_EQ(-1, table.IndexOfHidText("HID#AB"));
  EXPECT_EQ(-1, table.IndexOfHidText("HID#A"));
  EXPECT_EQ(-1, table.IndexOfHidText("")) << "an entry without HID text is no match for empty";
  EXPECT_EQ(1, table.IndexOfName("PAD"));
  EXPECT_EQ(-1, table.IndexOfName("Pa"));
}

TEST(KeyNamesRegistry, MissingKeyOrPathGivesTheDefaults) {
  MemoryRegistry registry;
  TKeyNames table;
  table.AddKey("Leftover", 1, "");
  table.LoadKeyNames(registry, kPath);
  EXPECT_EQ(26, table.Count());
  EXPECT_EQ(-1, table.IndexOfName("Leftover"));

  registry.CreateKey(kPath);
  table.LoadKeyNames(registry, "");
  EXPECT_EQ(26, table.Count());

  table.LoadKeyNames(registry, kPath);
  EXPECT_EQ(0, table.Count()) << "an existing empty key is an empty table";
}

TEST(KeyNamesRegistry, LoadKeepsTheRegistryOrderAndSkipsOtherTypes) {
  MemoryRegistry registry;
  registry.WriteString(kPath, "005", "Zed=1");
  registry.WriteInteger(kPath, "006", 12);
  registry.WriteString(kPath, "001", "Able=2");
  TKeyNames table;
  table.LoadKeyNames(registry, kPath);
  EXPECT_EQ((std::vector<std::string>{"Zed", "Able"}), Names(table));
}

TEST(KeyNamesRegistry, SaveReplacesTheWholeKeyAndReloadsEqual) {
  MemoryRegistry registry;
  registry.WriteString(std::string(kPath) + "\\IgnoreList", "Items", "a,b");
  registry.WriteString(kPath, "099", "Stale=1");
  TKeyNames table;
  table.LoadDefaultKeyNames();
  table.AddKey("Pad", PackHotKey(0, 0, 0, kModAlt), "HID#7");
  ASSERT_TRUE(table.SaveKeyNames(registry, kPath));
  EXPECT_FALSE(registry.KeyExists(std::string(kPath) + "\\IgnoreList"));
  const std::vector<std::string> saved = Dump(registry, kPath);
  ASSERT_EQ(27u, saved.size());
  EXPECT_EQ("026: Volume Up=44800", saved.back());

  TKeyNames reloaded;
  reloaded.LoadKeyNames(registry, kPath);
  MemoryRegistry second;
  ASSERT_TRUE(reloaded.SaveKeyNames(second, kPath));
  EXPECT_EQ(saved, Dump(second, kPath));
  EXPECT_EQ("HID#7", reloaded.HidTextAt(reloaded.IndexOfName("Pad")));
}

TEST(KeyNamesRegistry, DeletedDefaultStaysDeleted) {
  MemoryRegistry registry;
  TKeyNames table;
  table.LoadKeyNames(registry, kPath);
  ASSERT_TRUE(table.Delete(table.IndexOfName("Stop")));
  ASSERT_TRUE(table.SaveKeyNames(registry, kPath));

  TKeyNames reloaded;
  reloaded.LoadKeyNames(registry, kPath);
  EXPECT_EQ(25, reloaded.Count());
  EXPECT_EQ(-1, reloaded.IndexOfName("Stop"));
  EXPECT_EQ(-1, reloaded.IndexOfKey(PackHotKey(178, 0, 0, 0)));
  EXPECT_FALSE(registry.ValueExists(kPath, "025"));
}

TEST(KeyNamesRegistry, SaveWithoutPathWritesNothing) {
  MemoryRegistry registry;
  registry.WriteString("", "keep", "me");
  TKeyNames table;
  table.LoadDefaultKeyNames();
  EXPECT_FALSE(table.SaveKeyNames(registry, ""));
  EXPECT_EQ((std::vector<std::string>{"keep: me"}), Dump(registry, ""));
}

}  // namespace
}  // namespace tavion
