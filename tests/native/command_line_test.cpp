#include "pipeline/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavion {
namespace {

CommandLine Parse(std::vector<std::string> arguments) {
  return ParseCommandLine(arguments);
}

TEST(CommandLineTest, NoArgumentsGiveANormalStart) {
  const CommandLine line = Parse({});
  EXPECT_FALSE(line.autorun);
  EXPECT_FALSE(line.help.has_value());
  EXPECT_TRUE(line.shortcutSets.empty());
  EXPECT_FALSE(line.preKill);
  EXPECT_FALSE(line.backup);
  EXPECT_FALSE(line.restart);
}

TEST(CommandLineTest, SwitchesCompareWithoutRegardToCase) {
  const CommandLine line = Parse({"/A", "/PRE_KILL", "/Sr", "/LR", "/LINK_REMOTE"});
  EXPECT_TRUE(line.autorun);
  EXPECT_TRUE(line.preKill);
  EXPECT_TRUE(line.backup);
  EXPECT_TRUE(line.restart);
  EXPECT_TRUE(line.removeShortcuts);
}

TEST(CommandLineTest, SwitchesMustMatchWhole) {
  const CommandLine line = Parse({"/ab", "a", "/link", "/link4", "-a"});
  EXPECT_FALSE(line.autorun);
  EXPECT_TRUE(line.shortcutSets.empty());
}

TEST(CommandLineTest, HelpPrefixIsCaseSensitiveAndTheFirstOneCounts) {
  EXPECT_EQ(std::optional<std::string>("keys.htm"),
            Parse({"/HELP=other.htm", "/help=keys.htm", "/help=second.htm"}).help);
  EXPECT_FALSE(Parse({"/HELP=keys.htm"}).help.has_value());
  EXPECT_EQ(std::optional<std::string>(""), Parse({"/help="}).help);
}

TEST(CommandLineTest, LinkSwitchesAreTakenInTheirFixedOrder) {
  EXPECT_EQ((std::vector<int>{1, 3, kShortcutSetAll}),
            Parse({"/linkx", "/link2", "/link0"}).shortcutSets);
  EXPECT_EQ((std::vector<int>{2, 4}), Parse({"/link3", "/LINK1", "/link3"}).shortcutSets);
}

TEST(CommandLineTest, RemoveAllAndStop) {
  const CommandLine line = Parse({"/linkX", "/link_remote", "/pre_kill"});
  EXPECT_EQ(std::vector<int>{kShortcutSetAll}, line.shortcutSets);
  EXPECT_TRUE(line.removeShortcuts);
  EXPECT_TRUE(line.preKill);
}

}  // namespace
}  // namespace tavion
