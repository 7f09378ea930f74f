// Opening help topics: the error for a missing file, and one help window of the program at a
// time, also when the earlier one is a viewer's in another process.
#include <windows.h>

#include <gtest/gtest.h>

#include <future>
#include <optional>
#include <string>

#include "wine/support/test_support.h"
#include "ui/help_win.h"

namespace tavion {
namespace {

constexpr wchar_t kHelpClass[] = L"HH Parent";

std::wstring BuiltHelpFile() {
  return wine_test::ProgramFolder() + L"\\Tavion.chm";
}

// The help windows captioned "Tavion" of every process.
size_t HelpWindowCount() {
  return wine_test::TopLevelWindows(kHelpClass, 0, L"Tavion").size();
}

class OpenHelpTest : public ::testing::Test {
 protected:
  void TearDown() override {
    CloseProgramHelp();
    for (HWND window : wine_test::TopLevelWindows(kHelpClass, 0, L"Tavion"))
      PostMessageW(window, WM_CLOSE, 0, 0);
    wine_test::PumpUntil([] { return HelpWindowCount() == 0; });
  }
};

TEST_F(OpenHelpTest, AMissingFileIsReportedInEitherModeAndNothingOpens) {
  for (int mode : {kHelpInProgram, kHelpViewer}) {
    auto answer = std::async(std::launch::async, [] { return wine_test::AnswerBox(IDOK); });
    OpenHelp(wine_test::ProgramFolder() + L"\\missing\\Tavion.chm", "about.htm", mode);
    EXPECT_EQ(std::optional<std::wstring>(L"Can't find help file"), answer.get()) << mode;
  }
  EXPECT_FALSE(wine_test::PumpUntil([] { return HelpWindowCount() > 0; }, 1500));
}

TEST_F(OpenHelpTest, TheProgramsTopicClosesTheViewersWindowFirst) {
  OpenHelp(BuiltHelpFile(), "macros.htm#delay", kHelpViewer);
  HWND viewer = wine_test::WaitForWindow(kHelpClass, 0, L"Tavion");
  ASSERT_NE(nullptr, viewer) << "hh.exe shows the topic";
  DWORD viewerProcess = 0;
  GetWindowThreadProcessId(viewer, &viewerProcess);
  EXPECT_NE(GetCurrentProcessId(), viewerProcess);

  OpenHelp(BuiltHelpFile(), "about.htm", kHelpInProgram);
  EXPECT_TRUE(wine_test::PumpUntil([&] { return !IsWindow(viewer); })) << "the viewer closes";
  EXPECT_EQ(1u, wine_test::TopLevelWindows(kHelpClass, GetCurrentProcessId(), L"Tavion").size());
  EXPECT_EQ(1u, HelpWindowCount());
}

}  // namespace
}  // namespace tavion
