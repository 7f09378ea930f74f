#include "services/shortcuts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavion {
namespace {

using Ints = std::vector<int>;
using Texts = std::vector<std::string>;

TEST(ShortcutSet, OnlyTheSetOfZeroAloneStandsForAllFourKinds) {
  const struct {
    Ints set;
    Ints expected;
  } cases[] = {
      {{0}, {1, 2, 3, 4}},
      {{3}, {3}},
      {{0, 2}, {0, 2}},
      {{}, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, WidenShortcutSet(c.set));
}

// "file > target" for each link, the folder first when there is one.
Texts Describe(const ShortcutItems& items) {
  Texts lines;
  if (!items.folder.empty()) lines.push_back("folder " + items.folder);
  for (const ShortcutLink& link : items.links) lines.push_back(link.file + " > " + link.target);
  return lines;
}

TEST(ShortcutItems, TheGroupLinksWhatExistsAndEveryOtherKindIsOneLinkToTheProgram) {
  const ShortcutTargets all{"P", "H", "U"}, programOnly{"P", "", ""};
  const std::string group = "%menu_prog%\\Tavion";
  const struct {
    int kind;
    ShortcutTargets targets;
    Texts expected;
  } cases[] = {
      {1,
       all,
       {"folder " + group, group + "\\Tavion.lnk > P", group + "\\Tavion help.lnk > H",
        group + "\\Uninstall Tavion.lnk > U"}},
      {1, programOnly, {"folder " + group, group + "\\Tavion.lnk > P"}},
      {2, all, {"%menu_prog%\\Tavion.lnk > P"}},
      {3, all, {"%desktop%\\Tavion.lnk > P"}},
      {4, all, {"%appdata%\\Microsoft\\Internet Explorer\\Quick Launch\\Tavion.lnk > P"}},
      {5, all, {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, Describe(ShortcutItemsOf(c.kind, c.targets))) << c.kind;
}

TEST(Autorun, TheRunValueQuotesTheWholePathBeforeTheSwitch) {
  MemoryRegistry user;
  EXPECT_FALSE(AutorunRegistered(user));
  ASSERT_TRUE(SetAutorun(user, "C:\\Program Files\\Tavion\\Tavion.exe", true));
  EXPECT_EQ("\"C:\\Program Files\\Tavion\\Tavion.exe\" /a",
            user.ReadString(kAutorunKeyPath, "Tavion").value_or("missing"));
  EXPECT_TRUE(AutorunRegistered(user));
  ASSERT_TRUE(SetAutorun(user, "C:\\Program Files\\Tavion\\Tavion.exe", false));
  EXPECT_FALSE(user.ValueExists(kAutorunKeyPath, "Tavion"));
  EXPECT_FALSE(AutorunRegistered(user));
  // The value the test reads as its default counts as absent.
  user.WriteString(kAutorunKeyPath, "Tavion", "nil");
  EXPECT_FALSE(AutorunRegistered(user));
}

}  // namespace
}  // namespace tavion
