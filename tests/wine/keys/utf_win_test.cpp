#include "base/utf_win.h"

#include <gtest/gtest.h>

namespace tavion {
namespace {

TEST(Utf, RoundTripsEveryPlane) {
  struct Case {
    std::string utf8;
    std::wstring wide;
  };
  const Case cases[] = {
      {"", L""},
      {"plain", L"plain"},
      {"\xC3\xA9", L"\u00E9"},
      {"\xE2\x82\xAC", L"\u20AC"},
      {"\xF0\x9F\x8E\xB9", L"\U0001F3B9"},  // a surrogate pair in UTF-16
      {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.wide, Utf8ToWide(c.utf8)) << c.utf8;
    EXPECT_EQ(c.utf8, WideToUtf8(c.wide)) << c.utf8;
  }
}

TEST(Utf, InvalidInputBecomesReplacementCharacters) {
  const std::wstring fromBadByte = Utf8ToWide(
      "a\xFF"
      "b");
  EXPECT_EQ(std::wstring(L"a\uFFFDb"), fromBadByte);
  const std::wstring fromTruncated = Utf8ToWide("a\xE2\x82");
  ASSERT_FALSE(fromTruncated.empty());
  EXPECT_EQ(L'a', fromTruncated.front());
  EXPECT_EQ(L'\uFFFD', fromTruncated.back());

  const wchar_t loneSurrogate[] = {L'x', 0xD800, L'y'};
  EXPECT_EQ("x\xEF\xBF\xBDy", WideToUtf8(std::wstring_view(loneSurrogate, 3)));
}

}  // namespace
}  // namespace tavion
