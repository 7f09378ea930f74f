#include "pipeline/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/version_text.h"

namespace tavion {
namespace {

TEST(CommandLineTest, WholeSwitchesWithoutRegardToCaseButTheHelpPrefixExactly) {
  const CommandLine none = ParseCommandLine(std::vector<std::string>{"/ab", "a", "/link", "-a"});
  EXPECT_FALSE(none.autorun || none.preKill || none.backup || none.restart || none.removeShortcuts);
  EXPECT_FALSE(none.help.has_value());
  EXPECT_TRUE(none.shortcutSets.empty());

  const CommandLine all = ParseCommandLine(
      std::vector<std::string>{"/A", "/PRE_KILL", "/Sr", "/LR", "/LINK_REMOTE", "/HELP=other.htm",
                               "/help=keys.htm", "/help=second.htm"});
  EXPECT_TRUE(all.autorun && all.preKill && all.backup && all.restart && all.removeShortcuts);
  EXPECT_EQ("keys.htm", all.help.value_or("none"));
}

TEST(CommandLineTest, LinkSwitchesAreTakenInTheirFixedOrder) {
  EXPECT_EQ((std::vector<int>{1, 3, kShortcutSetAll}),
            ParseCommandLine(std::vector<std::string>{"/linkx", "/link2", "/link0"}).shortcutSets);
  EXPECT_EQ((std::vector<int>{2, 4}),
            ParseCommandLine(std::vector<std::string>{"/link3", "/LINK1", "/link4"}).shortcutSets);
}

TEST(VersionText, FullJoinsFourNumbersCutDropsTrailingZeroPartsButKeepsTwo) {
  EXPECT_EQ("4294967295.0.12.7", FullVersionText(4294967295u, 0, 12, 7));
  const std::pair<const char*, const char*> cases[] = {
      {"2.5.1.0", "2.5.1"}, {"2.5.0.3", "2.5.0.3"}, {"3.0.0.0", "3.0"},       {"2.50.0.0", "2.50"},
      {"2.10.0", "2.10"},   {"1.0", "1.0"},         {"2.5.0.00", "2.5.0.00"}, {"", ""},
  };
  for (const auto& [input, expected] : cases) EXPECT_EQ(expected, CutVersionText(input)) << input;
}

}  // namespace
}  // namespace tavion
