#include "actions/profiles.h"

#include <gtest/gtest.h>

#include "settings/registry.h"

namespace tavion {
namespace {

using Names = std::vector<std::string>;

TEST(Profiles, NamesAreCheckedAndAskedForAgainAsTypedAndADeleteLeavesNoStagingKey) {
  // "Work", "Home" and what an interrupted save of "Home" left; "Later", current, is not saved.
  const std::string keys = "Keys";
  MemoryRegistry store;
  for (const char* key : {"Work\\000", "Home\\000", "~saving~Home", "~PREVIOUS~Home"})
    store.CreateKey(keys + "\\" + key);
  EXPECT_EQ((Names{"Default", "Home", "Work", "Later"}), ProfileChoices(store, keys, "Later"));
  using enum ProfileNameError;
  const std::tuple<std::string, bool, ProfileNameError> cases[] = {
      {"a\\b", false, kNotKeyName},
      {std::string(254, 'x') + "\xC3\xA9", false, kNone},  // 255 UTF-16 units in 256 bytes
      {std::string(254, 'x') + "\xF0\x9F\x98\x80", false, kNotKeyName},
      {"~Saving~Job", false, kReserved},
      {"work", false, kExists},
      {"LATER", true, kNone},
  };
  for (const auto& [name, renaming, expected] : cases)
    EXPECT_EQ(expected, CheckNewProfileName(store, keys, name, "Later", renaming)) << name;

  Names asked, told;
  const auto ask = [&](const std::string& text) {
    asked.push_back(text);
    return std::optional<std::string>(asked.size() == 1 ? "Work" : "Job");
  };
  const auto tell = [&](const std::string& text) { told.push_back(text); };
  EXPECT_EQ("Job", ChooseProfileName(store, keys, "Later", false, ask, tell));
  EXPECT_EQ((Names{"NewProfile", "Work"}), asked);
  EXPECT_EQ(Names{ProfileNameErrorText(kExists)}, told);

  EXPECT_TRUE(RemoveRenamedProfile(store, keys, "Work", "WORK") &&
              DeleteProfile(store, keys, "Home"));
  EXPECT_EQ(Names{"Work"}, store.SubKeyNames(keys));
}

}  // namespace
}  // namespace tavion
