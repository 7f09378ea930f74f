#include "update/update_check.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tavion {
namespace {

TEST(UpdateReply, VersionIsTheFirstVerLineAfterTagsAndXsAreReplaced) {
  const std::pair<const char*, const char*> cases[] = {
      {"ver=2.5<br/>", "2.5"},
      {"VER=2.5<BR/>", "2.5"},
      {"name=Tavion<br/>ver=3.1<Br/>size=1200", "3.1"},
      {"ver=2.6 X <br/>", "2.6"},
      {"version=2.5\r\nver=2.7\nver=2.8", "2.7"},
      {"<br/>ver=3.0\r", "3.0"},
      {"", ""},
      {"ver2.5<br/>", ""},
      {"<html>Not found</html>", ""},
  };
  for (const auto& [reply, version] : cases) EXPECT_EQ(version, UpdateReplyVersion(reply)) << reply;
}

TEST(UpdateVersions, DottedPartsCompareAsNumbersBothWays) {
  const std::tuple<const char*, const char*, int> cases[] = {
      {"1.10", "1.9", 1},   {"10.0", "9.9", 1},
      {"2.5", "2.5.0", 0},  {"2.5", "2.5.1", -1},
      {"1.02", "1.2", 0},   {"2.5b", "2.5", 1},
      {"2.5a", "2.5b", -1}, {"123456789012345678901.0", "99.0", 1},
  };
  for (const auto& [a, b, order] : cases) {
    EXPECT_EQ(order, CompareVersions(a, b)) << a << " vs " << b;
    EXPECT_EQ(-order, CompareVersions(b, a)) << b << " vs " << a;
  }
}

TEST(UpdateSchedule, ARestoreChecksOnceWhenTheDateIsLessThanADayAhead) {
  constexpr double kNow = 46000.5;
  const std::tuple<bool, bool, double, bool> cases[] = {
      {true, false, kNow + 0.99, true}, {true, false, kNow + 1.0, false},
      {true, false, kNow - 400, true},  {false, false, kNow, false},
      {true, true, kNow, false},
  };
  for (const auto& [enabled, ran, last, due] : cases)
    EXPECT_EQ(due, UpdateCheckDue(enabled, ran, last, kNow)) << enabled << ran << last - kNow;
}

TEST(UpdateSchedule, OnlyAnAnswerMovesTheDateAndOnlyANewerOneIsNews) {
  const std::tuple<const char*, bool, std::optional<std::string>> cases[] = {
      {"", false, std::nullopt},
      {"1.9", true, std::nullopt},
      {"1.8", true, std::nullopt},
      {"1.10", true, "1.10"},
  };
  for (const auto& [found, advance, news] : cases) {
    const BackgroundUpdate result = BackgroundUpdateResult(found, "1.9");
    EXPECT_EQ((std::pair{advance, news}), (std::pair{result.advance, result.newVersion})) << found;
  }
}

TEST(UpdateVerdicts, EachOutcomeHasItsDialogAndComparesBothVersions) {
  const std::string versions = "\r\n\r\nyour version - 1.9, version on website - ";
  const std::tuple<const char*, UpdateVerdict, std::string> cases[] = {
      {"", UpdateVerdict::kError,
       "Error: can't connect to server. Check you internet connection or try later."},
      {"1.9.0", UpdateVerdict::kLatest, "Your version is last." + versions + "1.9.0"},
      {"1.10", UpdateVerdict::kNewer,
       "New version available for downloading, do you wish to visit program homepage?" + versions +
           "1.10"},
      {"1.8", UpdateVerdict::kOlder,
       "Hey! Your version if newer, how can it happens? :)" + versions + "1.8"},
  };
  for (const auto& [found, verdict, text] : cases) {
    EXPECT_EQ(verdict, InteractiveUpdateVerdict(found, "1.9")) << found;
    EXPECT_EQ(text, UpdateVerdictText(verdict, found, "1.9"));
  }
}

}  // namespace
}  // namespace tavion
