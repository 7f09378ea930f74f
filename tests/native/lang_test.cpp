#include "lang/lang.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace tavion {
namespace {

TEST(FormatLangText, FillsMarksInTurnAndLeavesTheRestAlone) {
  const struct {
    const char* pattern;
    std::initializer_list<std::string_view> args;
    const char* expected;
  } cases[] = {
      {"kernel - %s found, running %d.", {"4A.0", "4B"}, "kernel - 4A.0 found, running 4B."},
      {"%s and %s", {"one"}, "one and %s"},
      {"100% sure %x", {"unused"}, "100% sure %x"},
      {"ends with %", {"x"}, "ends with %"},
      {"%s", {"%s%d"}, "%s%d"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, FormatLangText(c.pattern, c.args)) << c.pattern;
}

}  // namespace
}  // namespace tavion
