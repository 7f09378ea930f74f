#include "actions/masks.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tavion {
namespace {

struct MatchCase {
  std::string mask, text;
  bool expected;
};

// The wildcard logic is the model test's below; these rows are the decisions it cannot show:
// letters beyond ASCII and bytes that are not UTF-8.
TEST(Masks, CaseCharactersAndStrayBytes) {
  const MatchCase cases[] = {
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
  for (const MatchCase& c : cases)
    EXPECT_EQ(c.expected, MatchesMask(c.text, c.mask)) << "'" << c.mask << "' '" << c.text << "'";
}

// A mask of `groups` "%*%" groups, each after the text `before`.
std::string MaskWithGroups(int groups, const std::string& before) {
  std::string mask;
  for (int i = 0; i < groups; ++i) mask += before + "%*%";
  return mask;
}

TEST(Masks, ThirtyGroupsAreUsableAndThirtyOneAreNotAtAPositionInCharacters) {
  const std::string thirty = MaskWithGroups(30, "x");
  EXPECT_TRUE(MatchesMask(std::string(30, 'x'), thirty));
  EXPECT_TRUE(TMask::Create(MaskWithGroups(100, "")).has_value()) << "a run counts once";

  const std::string thirtyOne = MaskWithGroups(31, "x");
  std::string error;
  EXPECT_FALSE(TMask::Create(thirtyOne, &error).has_value());
  // "x%*%" takes four characters: group 31 begins at character 30 * 4 + 2.
  EXPECT_EQ("'" + thirtyOne + "' is an invalid mask at (122)", error);
  EXPECT_FALSE(MatchesMask(std::string(31, 'x'), thirtyOne));
  const std::string cyrillic = MaskWithGroups(31, "\xD1\x8F");  // я, two bytes
  EXPECT_FALSE(TMask::Create(cyrillic, &error).has_value());
  EXPECT_EQ("'" + cyrillic + "' is an invalid mask at (122)", error);
}

TEST(Masks, HostileMasksFinish) {
  // A matcher that backtracks per group would not finish these within any test run.
  const std::string manyAs(5000, 'a');
  EXPECT_FALSE(MatchesMask(manyAs, MaskWithGroups(30, "a") + "b"));
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

TEST(Masks, AgreeWithAPlainRecursiveMatcherOnShortInputs) {
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

TEST(UpperCase, PortableMappingCoversTheCommonScripts) {
  // Lower case, upper case; a character that stays is its own upper case.
  const std::pair<char32_t, char32_t> cases[] = {
      {U'a', U'A'},           {U'z', U'Z'},           {U'{', U'{'},
      {U'\xE9', U'\xC9'},     {U'\xFE', U'\xDE'},     {U'\xF7', U'\xF7'},
      {U'\xDF', U'\xDF'},     {U'\xFF', U'\u0178'},   {U'\xB5', U'\u039C'},
      {U'\u0105', U'\u0104'}, {U'\u0104', U'\u0104'}, {U'\u0131', U'\u0131'},
      {U'\u0133', U'\u0132'}, {U'\u013A', U'\u0139'}, {U'\u0139', U'\u0139'},
      {U'\u014B', U'\u014A'}, {U'\u017E', U'\u017D'}, {U'\u03B1', U'\u0391'},
      {U'\u03C2', U'\u03A3'}, {U'\u03AC', U'\u0386'}, {U'\u03AF', U'\u038A'},
      {U'\u03CC', U'\u038C'}, {U'\u03CE', U'\u038F'}, {U'\u044F', U'\u042F'},
      {U'\u0451', U'\u0401'}, {U'\u0461', U'\u0460'}, {U'\u048B', U'\u048A'},
      {U'\u04D1', U'\u04D0'}, {U'\u4E2D', U'\u4E2D'}, {0x110041, 0x110041},
  };
  for (const auto& [lower, upper] : cases) {
    std::u32string text(1, lower);
    PortableUpperCase(text);
    EXPECT_EQ(std::u32string(1, upper), text) << std::hex << uint32_t(lower);
  }
}

TEST(UpperCase, TextKeepsBytesThatAreNotUtf8) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\xFF\xC3\xA9", "A\xFF\xC3\x89"},
      {"\xC0\xAF", "\xC0\xAF"},                  // overlong
      {"\xED\xA0\x80", "\xED\xA0\x80"},          // a surrogate
      {"\xF4\x90\x80\x80", "\xF4\x90\x80\x80"},  // above U+10FFFF
      {"\xF0\x9D\x84\x9E", "\xF0\x9D\x84\x9E"},  // musical symbol, 4 bytes
      {std::string("a\0b", 3), std::string("A\0B", 3)},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(expected, UpperCaseText(text)) << text;
}

void KeepCase(std::u32string&) {}

TEST(UpperCase, MasksUseTheInstalledFunction) {
  struct Restore {
    ~Restore() { SetUpperCaseFunction(nullptr); }
  } restore;
  SetUpperCaseFunction(&KeepCase);
  EXPECT_FALSE(MatchesMask("notepad", "Notepad"));
  EXPECT_EQ("abc", UpperCaseText("abc"));
  SetUpperCaseFunction(nullptr);
  EXPECT_TRUE(MatchesMask("notepad", "Notepad"));
}

}  // namespace
}  // namespace tavion
