#include "lang/lang.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "native/support/fake_language.h"

namespace tavion {
namespace {

TEST(GetLangStr, TheSectionsTextWinsOverTheDefaultAndCodesBecomeBreaksInOnePass) {
  struct Restore {
    ~Restore() { SetLanguageSource(nullptr); }
  } restore;
  SetLanguageSource(
      std::make_shared<FakeLanguage>(FakeLanguage::Texts{{{"Strings", "Yes"}, "Ja#13"},
                                                         {{"Actions", "play"}, "Abspielen"},
                                                         {{"Strings", "Blank"}, ""}}));
  // Key, default text, section; the text.
  const std::array<const char*, 4> cases[] = {
      {"Yes", "Yes", "Strings", "Ja\r"},
      {"play", "Start playback", "Actions", "Abspielen"},
      {"play", "Start playback", "Strings", "Start playback"},
      {"Blank", "not blank", "Strings", ""},  // an empty text is a text
      {"No", "x#9#9y", "Strings", "x\t\ty"},
      {"No", "#139", "Strings", "\r9"},
      {"No", "##13#1#3 50#", "Strings", "#\r#1#3 50#"},
  };
  for (const auto& [key, def, section, expected] : cases)
    EXPECT_EQ(expected, GetLangStr(key, def, section)) << key;
  SetLanguageSource(nullptr);
  EXPECT_EQ("Yes", GetLangStr("Yes", "Yes"));
}

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
