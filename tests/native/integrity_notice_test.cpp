#include "services/integrity_notice.h"

#include <gtest/gtest.h>

namespace tavion {
namespace {

constexpr uint32_t kLow = 0x1000, kMedium = 0x2000, kHigh = 0x3000, kSystem = 0x4000;

std::optional<std::string> Told(const std::string& name) {
  return "Hot keys do not work in " + name +
         " while it is the active window: it runs with higher rights than Tavion.\rRun Tavion as "
         "administrator to use hot keys there.";
}

TEST(IntegrityNotice, EachProgramAboveOurKnownLevelIsToldOnceWhateverTheCaseOfItsPath) {
  IntegrityNotice notice(kMedium);
  const struct {
    ForegroundProcess process;
    std::optional<std::string> expected;
  } changes[] = {
      {{"C:\\Tools\\Диспетчер.exe", kHigh}, Told("Диспетчер.exe")},
      {{"c:\\TOOLS\\ДИСПЕТЧЕР.EXE", kSystem}, std::nullopt},
      {{"C:\\Windows\\regedit.exe", kSystem}, Told("regedit.exe")},
      {{"C:\\Apps\\notepad.exe", kMedium}, std::nullopt},
      {{"C:\\Apps\\sandboxed.exe", kLow}, std::nullopt},
      {{"C:\\Apps\\unreadable.exe", std::nullopt}, std::nullopt},
      {{"", kHigh}, std::nullopt},
  };
  for (const auto& c : changes) EXPECT_EQ(c.expected, notice.Check(c.process)) << c.process.program;
  EXPECT_EQ(std::nullopt, IntegrityNotice(std::nullopt).Check({"C:\\Windows\\regedit.exe", kHigh}));
}

}  // namespace
}  // namespace tavion
