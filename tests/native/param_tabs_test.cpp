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

TEST(CheckMessageFields, NeedsAWindowForCustomThenThreeNumbersInOrder) {
  const MessageFields good{0, "Notepad", "", "273", "0", "4294967295"};
  struct Case {
    MessageFields fields;
    std::optional<ParamProblem> expected;
  };
  MessageFields noWindow = good;
  noWindow.windowClass.clear();
  MessageFields active = noWindow;
  active.mode = 1;
  MessageFields captionOnly = noWindow;
  captionOnly.caption = "Untitled";
  MessageFields badAll = good;
  badAll.message = "-1", badAll.wParam = "x", badAll.lParam = "";
  MessageFields badW = good;
  badW.wParam = "x", badW.lParam = "99999999999";
  MessageFields badL = good;
  badL.lParam = "99999999999";
  const Case cases[] = {
      {good, std::nullopt},
      {noWindow, ParamProblem{"ErrorMesN", "", "b_browse"}},
      {active, std::nullopt},
      {captionOnly, std::nullopt},
      {badAll, ParamProblem{"ErrorMes1", "", "e_msg"}},
      {badW, ParamProblem{"ErrorMes2", "", "e_wparam"}},
      {badL, ParamProblem{"ErrorMes3", "", "e_lparam"}},
  };
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(cases[i].expected, CheckMessageFields(cases[i].fields)) << "case " << i;
}

TEST(TakeMenuCapture, FillsTheMessageOrItsParametersFromTheLow32Bits) {
  MessageFields fields{0, "", "", "1", "2", "3"};
  EXPECT_TRUE(TakeMenuCapture(0x465, 0x1'0000'0111, 7, fields));
  EXPECT_EQ((std::vector<std::string>{"273", "2", "3"}),
            (std::vector{fields.message, fields.wParam, fields.lParam}));
  EXPECT_TRUE(TakeMenuCapture(0x466, 40001, 0xFFFF'FFFF'8000'0000, fields));
  EXPECT_EQ((std::vector<std::string>{"273", "40001", "2147483648"}),
            (std::vector{fields.message, fields.wParam, fields.lParam}));
  EXPECT_FALSE(TakeMenuCapture(0x467, 5, 5, fields));
  EXPECT_EQ("273", fields.message);
}

TEST(ParamChecks, LaunchMacroAndTypedTextEachNeedTheirInput) {
  const std::set<std::string, std::less<>> files = {"C:\\a.txt"};
  const auto exists = [&](std::string_view name) { return files.contains(name); };
  EXPECT_EQ(ParamProblem({"ErrorNoParam", "", "e_path"}), CheckLaunchPath(""));
  EXPECT_EQ(std::nullopt, CheckLaunchPath("notepad"));
  EXPECT_EQ(ParamProblem({"ErrorMacrosSel", "", "cb_macros"}), CheckMacroName(""));
  EXPECT_EQ(std::nullopt, CheckMacroName("m1"));
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
