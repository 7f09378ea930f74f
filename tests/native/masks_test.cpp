#include "actions/masks.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tavion {
namespace {

struct MatchCase {
  std::string mask;
  std::string text;
  bool expected;
};

void ExpectMatches(const std::vector<MatchCase>& cases) {
  for (const MatchCase& c : cases)
    EXPECT_EQ(c.expected, MatchesMask(c.text, c.mask))
        << "mask '" << c.mask << "' text '" << c.text << "'";
}

TEST(MaskWildcards, PercentFormsAreWildcardsAndPlainStarsAreLiteral) {
  ExpectMatches({
      {"%*%Notepad", "Untitled - Notepad", true},
      {"%*%Notepad", "notepad", true},
      {"%*%Notepad", "Notepad2", false},
      {"a*b", "a*b", true},
      {"a*b", "ab", false},
      {"a*b", "axb", false},
      {"a?b", "a?b", true},
      {"a?b", "axb", false},
      {"a%?%b", "axb", true},
      {"a%?%b", "ab", false},
      {"a%?%b", "axxb", false},
      {"50%", "50%", true},
      {"50%", "500", false},
      {"%*", "%*", true},
      {"%*%*%", "ab*%", true},  // the first "%*%" is the wildcard, "*%" is literal
      {"%*%*%", "ab", false},
      {"%?%?%", "x?%", true},
      {"%%*%%", "%abc%", true},
  });
}

TEST(MaskWildcards, EmptyMasksAndTexts) {
  ExpectMatches({
      {"", "", true},
      {"", "x", false},
      {"%*%", "", true},
      {"%*%", "anything at all", true},
      {"%*%%*%%*%", "", true},
      {"%?%", "", false},
      {"x", "", false},
  });
}

TEST(MaskWildcards, TheWholeTextMustMatch) {
  ExpectMatches({
      {"Calc", "Calculator", false},
      {"lator", "Calculator", false},
      {"%*%a%*%b%*%", "xaxbx", true},
      {"%*%a%*%b%*%", "ba", false},
      {"ab%*%ba", "aba", false},  // the two ends may not share a character
      {"ab%*%ba", "abba", true},
      {"%*%aa", "aaa", true},
      {"a%*%b%*%c", "abc", true},
      {"a%*%b%*%c", "acb", false},
      {"%*%ab%*%ab", "xabyab", true},
      {"%?%%*%%?%", "x", false},
      {"%?%%*%%?%", "xy", true},
  });
}

TEST(MaskCase, LettersCompareInUpperCase) {
  ExpectMatches({
      {"Calculator", "CALCULATOR", true},
      {"calculator", "Calculator", true},
      {"caf\xC3\xA9%*%", "CAF\xC3\x89 au lait", true},  // é / É
      {"%*%\xD0\xB1\xD0\xBB\xD0\xBE\xD0\xBA", "X \xD0\x91\xD0\x9B\xD0\x9E\xD0\x9A",
       true},                          // блок / БЛОК
      {"\xCE\xA3", "\xCF\x82", true},  // Σ / final ς
      {"\xC3\x9F", "SS", false},       // ß is not two letters
  });
}

TEST(MaskCharacters, OneCharacterIsOneCodePointOrOneStrayByte) {
  ExpectMatches({
      {"a%?%b", std::string("a\xC3\xA9") + "b", true},
      {"%?%", "\xE2\x82\xAC", true},      // euro sign, 3 bytes
      {"%?%", "\xF0\x9F\x8E\xB9", true},  // outside the BMP, 4 bytes
      {"%?%%?%", "\xC3\xA9", false},
      {"%?%", "\xFF", true},
      {"%?%", "\xC3", true},         // a truncated sequence
      {"%?%%?%", "\xC0\xAF", true},  // an overlong form: two stray bytes
      {"\xFF%*%", std::string("\xFF") + "abc", true},
      {"\xFF%*%", std::string("\xFE") + "abc", false},
  });
}

// A mask of `groups` "%*%" groups, each after the text `before`.
std::string MaskWithGroups(int groups, const std::string& before) {
  std::string mask;
  for (int i = 0; i < groups; ++i) mask += before + "%*%";
  return mask;
}

TEST(MaskLimits, ThirtyGroupsAreUsableAndThirtyOneAreNot) {
  const std::string thirty = MaskWithGroups(30, "x");
  ASSERT_TRUE(TMask::Create(thirty).has_value());
  EXPECT_TRUE(MatchesMask(std::string(30, 'x'), thirty));

  const std::string thirtyOne = MaskWithGroups(31, "x");
  std::string error;
  EXPECT_FALSE(TMask::Create(thirtyOne, &error).has_value());
  // "x%*%" takes four characters: group 31 begins at character 30 * 4 + 2.
  EXPECT_EQ("'" + thirtyOne + "' is an invalid mask at (122)", error);
  EXPECT_FALSE(MatchesMask(std::string(31, 'x'), thirtyOne));
}

TEST(MaskLimits, PositionCountsCharactersAndRunsCountOnce) {
  const std::string cyrillic = MaskWithGroups(31, "\xD1\x8F");  // я, two bytes
  std::string error;
  EXPECT_FALSE(TMask::Create(cyrillic, &error).has_value());
  EXPECT_EQ("'" + cyrillic + "' is an invalid mask at (122)", error);

  EXPECT_TRUE(TMask::Create(MaskWithGroups(100, "")).has_value());
  EXPECT_TRUE(MatchesMask("anything", MaskWithGroups(100, "")));
}

TEST(MaskLimits, HostileMasksFinish) {
  // Each case would take longer than any test run with a matcher that backtracks per group.
  const std::string manyAs(5000, 'a');
  EXPECT_FALSE(MatchesMask(manyAs, MaskWithGroups(30, "a") + "b"));
  EXPECT_TRUE(MatchesMask(manyAs + "b", MaskWithGroups(30, "a") + "b"));
  std::string ones;
  for (int i = 0; i < 3000; ++i) ones += "%?%";
  EXPECT_FALSE(MatchesMask(std::string(2999, 'a'), ones));
  EXPECT_TRUE(MatchesMask(std::string(3000, 'a'), ones));
  EXPECT_FALSE(MatchesMask(manyAs, "%*%" + std::string(1000, 'a') + "b%*%"));
}

// An independent matcher: tokens, then plain recursion. Fine for short inputs only.
enum class Token { kAny, kOne, kA, kB, kStar, kQuestion, kPercent };

std::vector<Token> Tokens(const std::string& mask) {
  std::vector<Token> tokens;
  for (std::size_t i = 0; i < mask.size();) {
    if (mask.compare(i, 3, "%*%") == 0) {
      tokens.push_back(Token::kAny), i += 3;
    } else if (mask.compare(i, 3, "%?%") == 0) {
      tokens.push_back(Token::kOne), i += 3;
    } else {
      const char c = mask[i++];
      tokens.push_back(c == 'a' || c == 'A'   ? Token::kA
                       : c == 'b' || c == 'B' ? Token::kB
                       : c == '*'             ? Token::kStar
                       : c == '?'             ? Token::kQuestion
                                              : Token::kPercent);
    }
  }
  return tokens;
}

bool ReferenceMatch(const std::vector<Token>& mask, std::size_t m, const std::vector<Token>& text,
                    std::size_t t) {
  if (m == mask.size()) return t == text.size();
  if (mask[m] == Token::kAny)
    return ReferenceMatch(mask, m + 1, text, t) ||
           (t < text.size() && ReferenceMatch(mask, m, text, t + 1));
  if (t == text.size()) return false;
  return (mask[m] == Token::kOne || mask[m] == text[t]) && ReferenceMatch(mask, m + 1, text, t + 1);
}

TEST(MaskWildcards, AgreeWithAPlainRecursiveMatcherOnShortInputs) {
  const std::vector<std::string> maskPieces = {"a", "B", "%*%", "%?%", "*", "?", "%"};
  const std::string textLetters = "aAbB*?%";
  std::mt19937 random(7);
  for (int round = 0; round < 20000; ++round) {
    std::string mask, text;
    for (int i = random() % 7; i > 0; --i) mask += maskPieces[random() % maskPieces.size()];
    for (int i = random() % 8; i > 0; --i) text += textLetters[random() % textLetters.size()];
    std::vector<Token> textTokens;
    for (char c : text) textTokens.push_back(Tokens(std::string(1, c)).front());
    const bool expected = ReferenceMatch(Tokens(mask), 0, textTokens, 0);
    ASSERT_EQ(expected, MatchesMask(text, mask)) << "mask '" << mask << "' text '" << text << "'";
  }
}

TEST(MaskRobustness, AnyBytesGiveAnAnswer) {
  std::mt19937 random(11);
  const char markers[] = {'%', '*', '?', '\0', '\xC3', '\xFF', 'a'};
  for (int round = 0; round < 20000; ++round) {
    std::string mask(random() % 40, '\0'), text(random() % 40, '\0');
    for (char& c : mask) c = random() % 2 ? markers[random() % sizeof markers] : char(random());
    for (char& c : text) c = random() % 2 ? markers[random() % sizeof markers] : char(random());
    std::string error;
    const std::optional<TMask> compiled = TMask::Create(mask, &error);
    // Fewer than 31 "%*%" anywhere in the mask cannot make 31 groups.
    ASSERT_TRUE(compiled.has_value()) << error;
    if (MatchesMask(text, mask)) {
      // A match survives the text being upper-cased first.
      EXPECT_TRUE(MatchesMask(UpperCaseText(text), mask));
    }
  }
}

TEST(UpperCase, PortableMappingCoversTheCommonScripts) {
  struct Case {
    char32_t lower, upper;
  };
  const Case cases[] = {
      {U'a', U'A'},           {U'z', U'Z'},           {U'{', U'{'},
      {U'`', U'`'},           {U'\u00E9', U'\u00C9'}, {U'\u00FE', U'\u00DE'},
      {U'\u00F7', U'\u00F7'}, {U'\u00DF', U'\u00DF'}, {U'\u00FF', U'\u0178'},
      {U'\u00B5', U'\u039C'}, {U'\u0105', U'\u0104'}, {U'\u0104', U'\u0104'},
      {U'\u0131', U'\u0131'}, {U'\u013A', U'\u0139'}, {U'\u0139', U'\u0139'},
      {U'\u0148', U'\u0147'}, {U'\u014B', U'\u014A'}, {U'\u017E', U'\u017D'},
      {U'\u017D', U'\u017D'}, {U'\u03B1', U'\u0391'}, {U'\u03C2', U'\u03A3'},
      {U'\u03C3', U'\u03A3'}, {U'\u03AC', U'\u0386'}, {U'\u03AF', U'\u038A'},
      {U'\u03CC', U'\u038C'}, {U'\u03CE', U'\u038F'}, {U'\u0430', U'\u0410'},
      {U'\u044F', U'\u042F'}, {U'\u0451', U'\u0401'}, {U'\u045F', U'\u040F'},
      {U'\u0491', U'\u0490'}, {U'\u04D1', U'\u04D0'}, {U'\u0410', U'\u0410'},
      {U'\u4E2D', U'\u4E2D'}, {0x110041, 0x110041},
  };
  for (const Case& c : cases) {
    std::u32string text(1, c.lower);
    PortableUpperCase(text);
    EXPECT_EQ(std::u32string(1, c.upper), text) << std::hex << uint32_t(c.lower);
  }
}

TEST(UpperCase, TextKeepsBytesThatAreNotUtf8) {
  struct Case {
    std::string text, expected;
  };
  const Case cases[] = {
      {"abc", "ABC"},
      {"a\xFF\xC3\xA9", "A\xFF\xC3\x89"},
      {"\xC3", "\xC3"},
      {"\xC0\xAF", "\xC0\xAF"},                  // overlong
      {"\xED\xA0\x80", "\xED\xA0\x80"},          // a surrogate
      {"\xF4\x90\x80\x80", "\xF4\x90\x80\x80"},  // above U+10FFFF
      {"\xF0\x9D\x84\x9E", "\xF0\x9D\x84\x9E"},  // musical symbol, 4 bytes
      {std::string("a\0b", 3), std::string("A\0B", 3)},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, UpperCaseText(c.text)) << c.text;
}

void KeepCase(std::u32string&) {}

class UpperCaseFunctionTest : public testing::Test {
 protected:
  void TearDown() override { SetUpperCaseFunction(nullptr); }
};

TEST_F(UpperCaseFunctionTest, MasksUseTheInstalledFunction) {
  EXPECT_EQ(&PortableUpperCase, CurrentUpperCaseFunction());
  SetUpperCaseFunction(&KeepCase);
  EXPECT_EQ(&KeepCase, CurrentUpperCaseFunction());
  EXPECT_FALSE(MatchesMask("notepad", "Notepad"));
  EXPECT_TRUE(MatchesMask("Notepad", "Notepad"));
  EXPECT_EQ("abc", UpperCaseText("abc"));
  SetUpperCaseFunction(nullptr);
  EXPECT_EQ(&PortableUpperCase, CurrentUpperCaseFunction());
  EXPECT_TRUE(MatchesMask("notepad", "Notepad"));
}

}  // namespace
}  // namespace tavion
