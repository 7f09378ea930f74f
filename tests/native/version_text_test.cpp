#include "base/version_text.h"

#include <gtest/gtest.h>

namespace tavion {
namespace {

TEST(VersionText, FullTextJoinsFourNumbers) {
  EXPECT_EQ("1.0.0.1", FullVersionText(1, 0, 0, 1));
  EXPECT_EQ("4294967295.0.12.7", FullVersionText(4294967295u, 0, 12, 7));
}

TEST(VersionText, CutDropsTrailingZeroPartsButKeepsTwo) {
  struct Case {
    const char* input;
    const char* expected;
  };
  const Case cases[] = {
      {"2.5.0.0", "2.5"},
      {"2.5.1.0", "2.5.1"},
      {"2.5.0.3", "2.5.0.3"},
      {"3.0.0.0", "3.0"},
      {"0.0.0.0", "0.0"},
      {"2.50.0.0", "2.50"},
      {"2.5.10", "2.5.10"},
      {"1.0", "1.0"},
      {"7", "7"},
      {"", ""},
      {"2.5.0.00", "2.5.0.00"},
      {"2.10.0", "2.10"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, CutVersionText(c.input)) << c.input;
}

}  // namespace
}  // namespace tavion
