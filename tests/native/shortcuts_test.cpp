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

TEST(ShortcutItems, TheGroupLinksTheHelpAndTheUninstallerOnlyWhenTheyExist) {
  const ShortcutTargets all{"C:\\T\\Tavion.exe", "C:\\T\\Tavion.chm", "C:\\T\\Uninstall.exe"};
  EXPECT_EQ(
      (Texts{"folder %menu_prog%\\Tavion", "%menu_prog%\\Tavion\\Tavion.lnk > C:\\T\\Tavion.exe",
             "%menu_prog%\\Tavion\\Tavion help.lnk > C:\\T\\Tavion.chm",
             "%menu_prog%\\Tavion\\Uninstall Tavion.lnk > C:\\T\\Uninstall.exe"}),
      Describe(ShortcutItemsOf(kShortcutGroup, all)));
  ShortcutTargets programOnly = all;
  programOnly.helpFile.clear();
  programOnly.uninstaller.clear();
  EXPECT_EQ(
      (Texts{"folder %menu_prog%\\Tavion", "%menu_prog%\\Tavion\\Tavion.lnk > C:\\T\\Tavion.exe"}),
      Describe(ShortcutItemsOf(kShortcutGroup, programOnly)));
}

TEST(ShortcutItems, EveryOtherKindIsOneLinkToTheProgramWhereItsBoxLooks) {
  const ShortcutTargets targets{"C:\\T\\Tavion.exe", "C:\\T\\Tavion.chm", ""};
  const struct {
    int kind;
    std::string file;
  } cases[] = {
      {kShortcutProgramsMenu, "%menu_prog%\\Tavion.lnk"},
      {kShortcutDesktop, "%desktop%\\Tavion.lnk"},
      {kShortcutQuickLaunch, "%appdata%\\Microsoft\\Internet Explorer\\Quick Launch\\Tavion.lnk"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Texts{c.file + " > C:\\T\\Tavion.exe"}, Describe(ShortcutItemsOf(c.kind, targets)));
    EXPECT_EQ(c.file, ShortcutMarker(c.kind));
  }
  EXPECT_EQ("%menu_prog%\\Tavion", ShortcutMarker(kShortcutGroup));
  EXPECT_EQ(Texts{}, Describe(ShortcutItemsOf(5, targets)));
}

TEST(ShortcutBoxes, OnlyTheFourShortcutBoxesNameAKind) {
  const struct {
    const char* name;
    int kind;
  } cases[] = {{"cb_sc1", 1}, {"cb_sc4", 4},  {"cb_sc0", 0},
               {"cb_sc5", 0}, {"cb_sc12", 0}, {"cb_load", 0}};
  for (const auto& c : cases) EXPECT_EQ(c.kind, ShortcutKindOfControl(c.name)) << c.name;
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
