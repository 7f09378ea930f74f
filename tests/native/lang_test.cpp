#include "lang/lang.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fake_language.h"

namespace tavion {
namespace {

class LangTest : public testing::Test {
 protected:
  void SetUp() override { SetLanguageSource(nullptr); }
  void TearDown() override { SetLanguageSource(nullptr); }
};

TEST_F(LangTest, WithoutALanguageTheDefaultIsShown) {
  EXPECT_EQ("Media Player not started", GetLangStr("ErrorWinAmp", "Media Player not started"));
  EXPECT_EQ("Folder", GetLangStr("nil", "Folder", "Actions"));
  EXPECT_EQ("", GetLangStr("Missing", ""));
}

TEST_F(LangTest, LineBreakAndTabCodesAreReplacedEverywhere) {
  struct Case {
    std::string text, expected;
  };
  const Case cases[] = {
      {"a#13b", "a\rb"},
      {"#13#13", "\r\r"},
      {"x#9#9y", "x\t\ty"},
      {"#139", "\r9"},
      {"#91", "\t1"},
      {"##13", "#\r"},
      {"#1#3", "#1#3"},
      {"# 13", "# 13"},
      {"#", "#"},
      {"50#", "50#"},
      {"action:#9#9%s#13hot key:#9#9%s", "action:\t\t%s\rhot key:\t\t%s"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, GetLangStr("Key", c.text)) << c.text;

  SetLanguageSource(
      std::make_shared<FakeLanguage>(FakeLanguage::Texts{{{"Strings", "Two"}, "1#132#93"}}));
  EXPECT_EQ("1\r2\t3", GetLangStr("Two", "unused"));
}

TEST_F(LangTest, TheLanguageTextWinsOverTheDefault) {
  auto language = std::make_shared<FakeLanguage>(FakeLanguage::Texts{
      {{"Strings", "ButtonYes"}, "Ja"},
      {{"Actions", "wa_play"}, "Abspielen"},
      {{"Strings", "Blank"}, ""},
  });
  SetLanguageSource(language);
  EXPECT_EQ("Ja", GetLangStr("ButtonYes", "Yes"));
  EXPECT_EQ("Abspielen", GetLangStr("wa_play", "Start playback", "Actions"));
  EXPECT_EQ("Start playback", GetLangStr("wa_play", "Start playback"));  // other section
  EXPECT_EQ("No", GetLangStr("ButtonNo", "No"));
  EXPECT_EQ("", GetLangStr("Blank", "not blank"));  // an empty text is a text
  EXPECT_EQ((std::vector<std::string>{"Strings/ButtonYes", "Actions/wa_play", "Strings/wa_play",
                                      "Strings/ButtonNo", "Strings/Blank"}),
            language->asked);
}

TEST_F(LangTest, ReplacingTheSourceChangesLaterLookups) {
  SetLanguageSource(
      std::make_shared<FakeLanguage>(FakeLanguage::Texts{{{"Strings", "Tip"}, "Astuce"}}));
  EXPECT_EQ("Astuce", GetLangStr("Tip", "Tip"));
  SetLanguageSource(
      std::make_shared<FakeLanguage>(FakeLanguage::Texts{{{"Strings", "Tip"}, "Consejo"}}));
  EXPECT_EQ("Consejo", GetLangStr("Tip", "Tip"));
  SetLanguageSource(nullptr);
  EXPECT_EQ("Tip", GetLangStr("Tip", "Tip"));
}

TEST(FormatLangTextTest, FillsMarksInTurnAndLeavesTheRestAlone) {
  struct Case {
    const char* pattern;
    std::initializer_list<std::string_view> args;
    const char* expected;
  };
  const Case cases[] = {
      {"Launch action - %s?", {"Notepad"}, "Launch action - Notepad?"},
      {"kernel - %s found, running %s.", {"4A.0", "4B.0"}, "kernel - 4A.0 found, running 4B.0."},
      {"Total sum of keys - %d", {"12"}, "Total sum of keys - 12"},
      {"%s and %s", {"one"}, "one and %s"},
      {"100% sure %x %n", {"unused"}, "100% sure %x %n"},
      {"ends with %", {"x"}, "ends with %"},
      {"%s", {"%s%d"}, "%s%d"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, FormatLangText(c.pattern, c.args)) << c.pattern;
}

}  // namespace
}  // namespace tavion
