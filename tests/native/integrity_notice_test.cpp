#include "services/integrity_notice.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tavion {
namespace {

constexpr uint32_t kLow = 0x1000, kMedium = 0x2000, kHigh = 0x3000, kSystem = 0x4000;

TEST(IntegrityNotice, EachProgramAboveOursIsToldOnceWhateverTheCaseOfItsPath) {
  IntegrityNotice notice(kMedium);
  const struct {
    ForegroundProcess process;
    std::optional<std::string> toldName;
  } changes[] = {
      {{"C:\\Windows\\regedit.exe", kHigh}, "regedit.exe"},
      {{"c:\\WINDOWS\\REGEDIT.EXE", kHigh}, std::nullopt},
      {{"C:\\Tools\\Диспетчер.exe", kSystem}, "Диспетчер.exe"},
      {{"c:\\tools\\ДИСПЕТЧЕР.EXE", kHigh}, std::nullopt},
      {{"C:\\Apps\\notepad.exe", kMedium}, std::nullopt},
      {{"C:\\Apps\\sandboxed.exe", kLow}, std::nullopt},
      {{"C:\\Apps\\unreadable.exe", std::nullopt}, std::nullopt},
      {{"", kHigh}, std::nullopt},
  };
  for (const auto& c : changes) {
    const std::optional<std::string> text = notice.Check(c.process);
    std::optional<std::string> expected;
    if (c.toldName)
      expected = "Hot keys do not work in " + *c.toldName +
                 " while it is the active window: it runs with higher rights than Tavion.\rRun "
                 "Tavion as administrator to use hot keys there.";
    EXPECT_EQ(expected, text) << c.process.program;
  }
}

TEST(IntegrityNotice, NothingIsToldWhileOurOwnLevelIsUnknown) {
  IntegrityNotice notice(std::nullopt);
  EXPECT_FALSE(notice.CanTell());
  EXPECT_EQ(std::nullopt, notice.Check({"C:\\Windows\\regedit.exe", kHigh}));
}

}  // namespace
}  // namespace tavion
