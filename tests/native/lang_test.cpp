#include "lang/lang.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "native/support/fake_language.h"

namespace tavion {
namespace {

class LangTest : public testing::Test {
 protected:
  void SetUp() override { SetLanguageSource(nullptr); }
  void TearDown() override { SetLanguageSource(nullptr); }
};

TEST_F(LangTest, LineBreakAndTabCodesAreReplacedInOnePass) {
  const std::pair<const char*, const char*> cases[] = {
      {"a#13b", "a\rb"}, {"x#9#9y", "x\t\ty"}, {"#139", "\r9"},
      {"##13", "#\r"},   {"#1#3", "#1#3"},     {"50#", "50#"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(expected, GetLangStr("Key", text)) << text;
}

TEST_F(LangTest, TheLanguageTextOfTheSectionWinsOverTheDefault) {
  auto language = std::make_shared<FakeLanguage>(FakeLanguage::Texts{
      {{"Strings", "ButtonYes"}, "Ja#13"},
      {{"Actions", "wa_play"}, "Abspielen"},
      {{"Strings", "Blank"}, ""},
  });
  SetLanguageSource(language);
  EXPECT_EQ("Ja\r", GetLangStr("ButtonYes", "Yes"));
  EXPECT_EQ("Abspielen", GetLangStr("wa_play", "Start playback", "Actions"));
  EXPECT_EQ("No", GetLangStr("ButtonNo", "No"));
  EXPECT_EQ("", GetLangStr("Blank", "not blank"));  // an empty text is a text
  EXPECT_EQ((std::vector<std::string>{"Strings/ButtonYes", "Actions/wa_play", "Strings/ButtonNo",
                                      "Strings/Blank"}),
            language->asked);
  SetLanguageSource(nullptr);
  EXPECT_EQ("Yes", GetLangStr("ButtonYes", "Yes"));
}

TEST(FormatLangTextTest, FillsMarksInTurnAndLeavesTheRestAlone) {
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
