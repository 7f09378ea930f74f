#include "services/integrity_notice_win.h"

#include <gtest/gtest.h>

#include "base/fold_case.h"
#include "base/utf_win.h"

namespace tavion {
namespace {

// Wine 8 gives every process of the prefix the level 0x3000 (high).
TEST(DescribeProcess, ReadsOurOwnProcessAndNothingOfOneThatCannotBeOpened) {
  wchar_t module[MAX_PATH] = {};
  ASSERT_NE(0u, GetModuleFileNameW(nullptr, module, MAX_PATH));
  const ForegroundProcess own = DescribeProcess(GetCurrentProcessId());
  ASSERT_TRUE(own.integrity.has_value());
  EXPECT_EQ(OwnIntegrityLevel(), own.integrity);
  EXPECT_EQ(FoldCase(WideToUtf8(module)), FoldCase(own.program));

  const ForegroundProcess unknown = DescribeProcess(0xFFFFFFFC);
  EXPECT_EQ(std::nullopt, unknown.integrity);
  EXPECT_EQ("", unknown.program);
}

}  // namespace
}  // namespace tavion
