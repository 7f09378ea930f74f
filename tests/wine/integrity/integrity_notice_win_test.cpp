#include "services/integrity_notice_win.h"

#include <gtest/gtest.h>

#include "base/fold_case.h"
#include "base/utf_win.h"

namespace tavion {
namespace {

TEST(DescribeProcess, OurOwnProcessHasOurLevelAndOurProgram) {
  wchar_t module[MAX_PATH] = {};
  ASSERT_NE(0u, GetModuleFileNameW(nullptr, module, MAX_PATH));
  const ForegroundProcess own = DescribeProcess(GetCurrentProcessId());
  ASSERT_TRUE(own.integrity.has_value());
  RecordProperty("integrity", static_cast<int>(*own.integrity));
  EXPECT_EQ(OwnIntegrityLevel(), own.integrity);
  EXPECT_EQ(FoldCase(WideToUtf8(module)), FoldCase(own.program));
}

TEST(DescribeProcess, AProcessThatCannotBeOpenedIsUnknown) {
  for (const DWORD processId : {DWORD{0}, DWORD{0xFFFFFFFC}}) {
    const ForegroundProcess unknown = DescribeProcess(processId);
    EXPECT_EQ(std::nullopt, unknown.integrity) << processId;
    EXPECT_EQ("", unknown.program) << processId;
  }
}

}  // namespace
}  // namespace tavion
