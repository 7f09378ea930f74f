#include "ui/key_names_page.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "keys/key_names.h"

namespace tavion {
namespace {

TEST(KeyNameDialogChecks, RefuseInOrderAndPointAtTheField) {
  TKeyNames table;
  table.AddKey("Mute", PackHotKey(173, 0, 0, 0), "");
  table.AddKey("Pad", 0, "HID#1");
  table.AddKey("Odd", PackHotKey(255, 86, 0, 0), "");
  const int mute = table.IndexOfName("Mute");
  const auto key = [](uint8_t code, uint8_t scan, uint8_t extended) {
    return PackHotKey(code, scan, extended, 0);
  };
  const auto typed = [](std::string name, uint32_t hotKey = 0, std::string hid = {}) {
    KeyNameDialogData data;
    data.name = std::move(name);
    data.key = hotKey;
    data.hidText = std::move(hid);
    return data;
  };
  const std::string nameTaken = "Key name mute already exists, input another name",
                    keyTaken = "Key with code such already exists, input another key";
  // What; the name, key and HID text typed; the entry edited; the refusal (none: empty), its field.
  const std::tuple<const char*, KeyNameDialogData, int, std::string, std::string> cases[] = {
      {"no name before no key", typed(""), -1, "Input key name", kKeyNameEdit},
      {"no key", typed("X"), -1, "Key incorrect, repeat input.", kKeyNameKeyEdit},
      {"name taken, any key", typed("mute", key(1, 0, 0)), -1, nameTaken, kKeyNameEdit},
      {"key used, any scan", typed("X", key(173, 5, 1)), -1, keyTaken, kKeyNameKeyEdit},
      {"an HID text taken", typed("X", 0, "HID#1"), -1, keyTaken, kKeyNameKeyEdit},
      {"a second HID key", typed("X", 0, "HID#2"), -1, "", ""},
      {"key 255, another scan code", typed("X", key(255, 87, 0)), -1, "", ""},
      {"an edited entry keeps its name", typed("MUTE", key(173, 0, 0)), mute, "", ""},
  };
  for (const auto& [what, data, editedIndex, message, control] : cases) {
    const auto failure = CheckKeyName(data, table, editedIndex);
    EXPECT_EQ(message, failure ? failure->message : "") << what;
    EXPECT_EQ(control, failure ? failure->control : "") << what;
  }
}

}  // namespace
}  // namespace tavion
