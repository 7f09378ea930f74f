#include "base/version_text.h"

#include <gtest/gtest.h>

namespace tavion {
namespace {

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
