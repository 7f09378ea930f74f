#include "actions/masks.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace tavion {
namespace {

TEST(Masks, WildcardsCaseCharactersAndStrayBytes) {
  const std::tuple<std::string, std::string, bool> cases[] = {
      {"a%*%b%?%c", "AxxbYc", true},
      {"*?%", "*?%", true},  // bare signs are plain characters
      {"*?%", "a?%", false},
      {"ab%*%ba", "aba", false},  // the first and the last part may not overlap
      {"a%*%bb%*%a", "abba", true},
      {"a%*%bb%*%a", "aba", false},                     // no room left for a middle part
      {"caf\xC3\xA9%*%", "CAF\xC3\x89 au lait", true},  // é / É
      {"\xCE\xA3", "\xCF\x82", true},                   // Σ / final ς
      {"\xC3\x9F", "SS", false},                        // ß is not two letters
      {"a%?%z", "a\xC3\xA9z", true},
      {"%?%", "\xF0\x9F\x8E\xB9", true},  // outside the BMP, 4 bytes
      {"%?%%?%", "\xC3\xA9", false},
      {"%?%", "\xC3", true},                // a truncated sequence
      {"%?%%?%", "\xC0\xAF", true},         // an overlong form: two stray bytes
      {"%?%%?%%?%", "\xE0\x80\xAF", true},  // an overlong three-byte form
      {"%?%z", "\xC3z", true},              // a lead byte without its continuation
      {"\xFF%*%", "\xFExyz", false},
  };
  for (const auto& [mask, text, expected] : cases)
    EXPECT_EQ(expected, MatchesMask(text, mask)) << "'" << mask << "' '" << text << "'";
}

// A mask of `groups` "%*%" groups, each after the text `before`.
std::string MaskWithGroups(int groups, const std::string& before) {
  std::string mask;
  for (int i = 0; i < groups; ++i) mask += before + "%*%";
  return mask;
}

TEST(Masks, ThirtyGroupsAreUsableAndThirtyOneAreNotAtAPositionInCharacters) {
  EXPECT_TRUE(MatchesMask(std::string(30, 'x'), MaskWithGroups(30, "x")));
  EXPECT_TRUE(TMask::Create(MaskWithGroups(100, "")).has_value()) << "a run counts once";

  EXPECT_FALSE(MatchesMask(std::string(31, 'x'), MaskWithGroups(31, "x")));
  // "x%*%" takes four characters: group 31 begins at character 30 * 4 + 2; "я" is two bytes.
  for (const char* before : {"x", "\xD1\x8F"}) {
    const std::string thirtyOne = MaskWithGroups(31, before);
    std::string error;
    EXPECT_FALSE(TMask::Create(thirtyOne, &error).has_value());
    EXPECT_EQ("'" + thirtyOne + "' is an invalid mask at (122)", error);
  }
}

TEST(Masks, HostileMasksFinish) {
  // A matcher that backtracks per group would not finish these within any test run.
  const std::string manyAs(5000, 'a');
  EXPECT_FALSE(MatchesMask(manyAs, MaskWithGroups(30, "a") + "b"));
  EXPECT_FALSE(MatchesMask(manyAs, "%*%" + std::string(1000, 'a') + "b%*%"));
}

TEST(UpperCase, TextKeepsBytesThatAreNotUtf8AndTheInstalledFunctionReplacesTheMapping) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\xFF\xC3\xA9", "A\xFF\xC3\x89"},
      {"\xC0\xAF", "\xC0\xAF"},                  // overlong
      {"\xED\xA0\x80", "\xED\xA0\x80"},          // a surrogate
      {"\xF4\x90\x80\x80", "\xF4\x90\x80\x80"},  // above U+10FFFF
      {"\xF0\x9D\x84\x9E", "\xF0\x9D\x84\x9E"},  // musical symbol, 4 bytes
      {std::string("a\0b", 3), std::string("A\0B", 3)},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(expected, UpperCaseText(text)) << text;
  // Masks and texts use the installed function.
  struct Restore {
    ~Restore() { SetUpperCaseFunction(nullptr); }
  } restore;
  SetUpperCaseFunction([](std::u32string&) {});
  EXPECT_EQ(std::make_pair(false, std::string("abc")),
            std::make_pair(MatchesMask("notepad", "Notepad"), UpperCaseText("abc")));
}

}  // namespace
}  // namespace tavion
