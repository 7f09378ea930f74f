#include "base/comma_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tavion {
namespace {

using List = std::vector<std::string>;

// The readings that are decisions of the format rather than consequences of the round trip.
TEST(CommaText, ReadsBlanksCommasAndQuotesAsDecided) {
  const std::pair<std::string, List> cases[] = {
      {" \t ", {}},                                   // all blank: no entries
      {"  a ,  b\t", {"a", "b"}},                     // blanks around commas belong to none
      {"a b", {"a", "b"}},                            // a blank separates too
      {"a,,b", {"a", "", "b"}},                       // two commas: an empty entry
      {"a,", {"a", ""}},                              // a final comma: an empty entry
      {"a, ", {"a"}},                                 // ...but not before trailing blanks
      {"\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}},  // doubled quotes stand for one
      {"\"open to the end", {"open to the end"}},     // an unclosed quote runs to the end
      {"\"a\"b", {"a", "b"}},                         // text after a closing quote: a new entry
      {"x\"y", {"x\"y"}},                             // a quote inside a plain entry is kept
      {std::string("a\0b", 3), {"a", "b"}},           // NUL is a blank
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(expected, CommaTextToList(text)) << text;
}

// Lists drawn from the characters that matter to the format come back exactly, and any bytes
// read as a list that writes and reads again the same.
TEST(CommaText, RandomListsAndTextsRoundTrip) {
  const std::string alphabet = std::string("a,\" \t\x01\xC3\xA9", 9) + std::string(1, '\0');
  std::mt19937 random(1234);
  for (int round = 0; round < 5000; ++round) {
    List list(random() % 5);
    for (std::string& item : list)
      for (std::size_t i = random() % 6; i > 0; --i) item += alphabet[random() % alphabet.size()];
    ASSERT_EQ(list, CommaTextToList(ListToCommaText(list))) << ListToCommaText(list);

    std::string text(random() % 24, '\0');
    for (char& c : text)
      c = random() % 2 ? alphabet[random() % alphabet.size()] : static_cast<char>(random());
    ASSERT_TRUE(CommaTextRoundTripHolds(text)) << text;
  }
}

}  // namespace
}  // namespace tavion
