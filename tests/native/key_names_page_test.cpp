#include "ui/key_names_page.h"

#include <gtest/gtest.h>

#include <string>

#include "keys/key_names.h"

namespace tavion {
namespace {

TEST(KeyNameDialogChecks, RefuseInOrderAndPointAtTheField) {
  TKeyNames table;
  table.AddKey("Mute", PackHotKey(173, 0, 0, 0), "");
  table.AddKey("Pad", 0, "HID#1");
  table.AddKey("Odd", PackHotKey(255, 86, 0, 0), "");
  const int mute = table.IndexOfName("Mute");
  struct Case {
    const char* what;
    KeyNameDialogData data;
    int editedIndex;
    std::string message;  // empty: accepted
    std::string control;
  };
  const Case cases[] = {
      {"no name before no key",
       {.name = "", .key = 0, .hidText = ""},
       -1,
       "Input key name",
       kKeyNameEdit},
      {"no key",
       {.name = "X", .key = 0, .hidText = ""},
       -1,
       "Key incorrect, repeat input.",
       kKeyNameKeyEdit},
      {"a name taken, whatever the key",
       {.name = "mute", .key = PackHotKey(1, 0, 0, 0), .hidText = ""},
       -1,
       "Key name mute already exists, input another name",
       kKeyNameEdit},
      {"a key taken, scan code aside",
       {.name = "X", .key = PackHotKey(173, 5, 1, 0), .hidText = ""},
       -1,
       "Key with code such already exists, input another key",
       kKeyNameKeyEdit},
      {"an HID text taken",
       {.name = "X", .key = 0, .hidText = "HID#1"},
       -1,
       "Key with code such already exists, input another key",
       kKeyNameKeyEdit},
      {"a second HID key", {.name = "X", .key = 0, .hidText = "HID#2"}, -1, "", ""},
      {"key 255 with another scan code",
       {.name = "X", .key = PackHotKey(255, 87, 0, 0), .hidText = ""},
       -1,
       "",
       ""},
      {"an edited entry keeps its name and key",
       {.name = "MUTE", .key = PackHotKey(173, 0, 0, 0), .hidText = ""},
       mute,
       "",
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto failure = CheckKeyName(c.data, table, c.editedIndex);
    EXPECT_EQ(c.message, failure ? failure->message : "");
    EXPECT_EQ(c.control, failure ? failure->control : "");
  }
}

TEST(KeyNameRows, ShowTheCharacterAndTheCodeOrTheirHidAndScanCodeForms) {
  TKeyNames table;
  table.AddKey("a", PackHotKey(65, 30, 0, 0), "");
  table.AddKey("b", 0, "HID#1");
  table.AddKey("c", PackHotKey(255, 86, 1, 0), "");
  table.AddKey("d", PackHotKey(173, 0, 0, 0), "");
  const auto row = [&](int i) {
    const KeyNameRow r = KeyNameRowAt(table, i);
    return r.name + "|" + r.symbol + "|" + r.keyCode;
  };
  EXPECT_EQ("a|A|65", row(0));
  EXPECT_EQ("b|hid key|0", row(1));
  EXPECT_EQ("c|\xC3\xBF|255x86x1", row(2));
  EXPECT_EQ("d|\xC2\xAD|173", row(3));
  EXPECT_EQ((std::vector<int>{1, 2, 1, -1}),
            (std::vector<int>{RowAfterDeletion(1, 3), RowAfterDeletion(3, 3),
                              RowAfterDeletion(1, 2), RowAfterDeletion(0, 0)}));
}

}  // namespace
}  // namespace tavion
