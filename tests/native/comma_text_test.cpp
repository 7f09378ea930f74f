#include "base/comma_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tavion {
namespace {

using List = std::vector<std::string>;

TEST(CommaTextReading, SplitsOnCommasAndBlanksAndUnquotes) {
  struct Case {
    std::string text;
    List expected;
  };
  const Case cases[] = {
      {"", {}},
      {" \t ", {}},
      {"Notepad", {"Notepad"}},
      {"nil,Notepad,#32770", {"nil", "Notepad", "#32770"}},
      {"a b", {"a", "b"}},
      {"  a ,  b\t", {"a", "b"}},
      {"a,,b", {"a", "", "b"}},
      {",a", {"", "a"}},
      {"a,", {"a", ""}},
      {",", {"", ""}},
      {"a, ", {"a"}},
      {"\"\"", {""}},
      {"\"\",\"\"", {"", ""}},
      {"\"Untitled - Notepad\",Calc", {"Untitled - Notepad", "Calc"}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"\"a,b\"", {"a,b"}},
      {"\"open to the end", {"open to the end"}},
      {"\"a\"b", {"a", "b"}},
      {"x\"y", {"x\"y"}},
      {"\"x\" , \"y\"", {"x", "y"}},
      {"\xD0\x91\xD0\xBB\xD0\xBE\xD0\xBA,\"\xD0\x91 \xD0\xB1\"",
       {"\xD0\x91\xD0\xBB\xD0\xBE\xD0\xBA", "\xD0\x91 \xD0\xB1"}},
      {std::string("a\0b", 3), {"a", "b"}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, CommaTextToList(c.text)) << c.text;
}

TEST(CommaTextWriting, QuotesOnlyEntriesThatNeedIt) {
  struct Case {
    List items;
    std::string expected;
  };
  const Case cases[] = {
      {{}, ""},
      {{""}, "\"\""},
      {{"Notepad"}, "Notepad"},
      {{"nil", "Notepad"}, "nil,Notepad"},
      {{"Untitled - Notepad"}, "\"Untitled - Notepad\""},
      {{"a,b"}, "\"a,b\""},
      {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
      {{"tab\there"}, "\"tab\there\""},
      {{"", ""}, ","},
      {{"a", ""}, "a,"},
      {{"", "a"}, ",a"},
      {{"*?%"}, "*?%"},
      {{"\xD0\x91\xD0\xBB"}, "\xD0\x91\xD0\xBB"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, ListToCommaText(c.items)) << c.expected;
}

TEST(CommaTextRoundTrip, AwkwardListsComeBackExactly) {
  const List lists[] = {
      {},
      {""},
      {"", ""},
      {"", "", ""},
      {" "},
      {"\"", "\"\""},
      {",", ",,"},
      {" lead", "trail ", " both "},
      {"\"quoted\""},
      {"a\"", "\"b"},
      {std::string("nul\0inside", 10)},
      {"\x01", "\x1F", "\x7F", "\xFF\xFE"},
      {"nil", "Untitled - Notepad", "", "a,b \"c\""},
  };
  for (const List& list : lists) {
    const std::string text = ListToCommaText(list);
    EXPECT_EQ(list, CommaTextToList(text)) << text;
  }
}

// Lists of entries drawn from the characters that matter to the format, and some that do not.
TEST(CommaTextRoundTrip, RandomListsComeBackExactly) {
  const std::string alphabet = std::string("a,\" \t\x01\xC3\xA9", 9) + std::string(1, '\0');
  std::mt19937 random(1234);
  for (int round = 0; round < 5000; ++round) {
    List list(random() % 5);
    for (std::string& item : list) {
      const std::size_t length = random() % 6;
      for (std::size_t i = 0; i < length; ++i) item += alphabet[random() % alphabet.size()];
    }
    const std::string text = ListToCommaText(list);
    ASSERT_EQ(list, CommaTextToList(text)) << text;
  }
}

// Whatever a text reads as is written so that it reads the same again, for any bytes.
TEST(CommaTextRoundTrip, AnyBytesReadAndWriteConsistently) {
  EXPECT_TRUE(CommaTextRoundTripHolds(""));
  EXPECT_TRUE(CommaTextRoundTripHolds("a, ,\"b"));
  std::mt19937 random(99);
  for (int round = 0; round < 5000; ++round) {
    std::string text(random() % 24, '\0');
    for (char& c : text) {
      // Bias towards the bytes that mean something to the reader.
      const unsigned pick = random() % 8;
      c = pick == 0 ? ',' : pick == 1 ? '"' : pick == 2 ? ' ' : static_cast<char>(random());
    }
    ASSERT_TRUE(CommaTextRoundTripHolds(text)) << text;
  }
}

}  // namespace
}  // namespace tavion
