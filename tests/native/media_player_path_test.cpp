#include "exec/media_player_path.h"

#include <gtest/gtest.h>

namespace tavion {
namespace {

TEST(WinampPathFromCommandTest, DropsTheArgumentAndTheQuotes) {
  struct Case {
    const char* command;
    const char* expected;
  };
  const Case cases[] = {
      {"\"C:\\Program Files\\Winamp\\winamp.exe\" \"%1\"", "C:\\Program Files\\Winamp\\winamp.exe"},
      {"\"C:\\Winamp\\winamp.exe\"", "C:\\Winamp\\winamp.exe"},
      {"C:\\Winamp\\winamp.exe", "C:\\Winamp\\winamp.exe"},
      // Only the exact argument part goes; another argument keeps its text, without quotes.
      {"\"C:\\W\\winamp.exe\" /ADD \"%1\"", "C:\\W\\winamp.exe /ADD %1"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, WinampPathFromCommand(c.command)) << c.command;
}

}  // namespace
}  // namespace tavion
