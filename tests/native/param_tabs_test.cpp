#include "ui/param_tabs.h"

#include <gtest/gtest.h>

#include <set>

namespace tavion {
namespace {

TEST(ParseMessageNumber, ReadsUnsignedDecimalsOf32BitsOnly) {
  const std::pair<const char*, std::optional<uint32_t>> cases[] = {{"0", 0u},
                                                                   {" 273 ", 273u},
                                                                   {"4294967295", 4294967295u},
                                                                   {"4294967296", std::nullopt},
                                                                   {"-1", std::nullopt},
                                                                   {"+5", std::nullopt},
                                                                   {"", std::nullopt},
                                                                   {"  ", std::nullopt},
                                                                   {"12a", std::nullopt},
                                                                   {"0x10", std::nullopt},
                                                                   {"1 2", std::nullopt}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(expected, ParseMessageNumber(text)) << text;
  // What is shown of a stored field reads back as the same bits.
  for (int32_t stored : {0, 273, -1, INT32_MIN})
    EXPECT_EQ(static_cast<uint32_t>(stored), ParseMessageNumber(MessageNumberText(stored)));
}

TEST(ParamChecks, TypedTextNeedsTheTextOrAnExistingFile) {
  const std::set<std::string, std::less<>> files = {"C:\\a.txt"};
  const auto exists = [&](std::string_view name) { return files.contains(name); };
  const std::tuple<int, const char*, const char*, std::optional<ParamProblem>> cases[] = {
      {0, "", "C:\\a.txt", ParamProblem{"ErrorEmptyText", "", "m_text"}},
      {0, "hi", "", std::nullopt},
      {1, "", "C:\\a.txt", std::nullopt},
      {1, "hi", "C:\\b.txt", ParamProblem{"ErrorFileNotFound", "C:\\b.txt", "e_file"}},
  };
  for (const auto& [mode, text, file, expected] : cases)
    EXPECT_EQ(expected, CheckTypedText(mode, text, file, exists)) << mode << text << file;
  EXPECT_EQ("File not found - C:\\b.txt",
            ParamProblemText({"ErrorFileNotFound", "C:\\b.txt", "e_file"}));
}

TEST(ScrollControlsEnabled, ZoomDisablesBothAndPagesDisableTheSpeed) {
  const std::tuple<int, bool, ScrollEnabling> cases[] = {
      {0, false, {true, true}},  {1, true, {false, true}}, {2, false, {false, false}},
      {5, true, {false, false}}, {4, false, {true, true}}, {-1, true, {false, true}}};
  for (const auto& [mode, pages, expected] : cases)
    EXPECT_EQ(expected, ScrollControlsEnabled(mode, pages)) << mode << pages;
}

}  // namespace
}  // namespace tavion
