#include "base/handles_win.h"

#include <gtest/gtest.h>

#include <utility>

namespace tavion {
namespace {

HKEY OpenRawKey() {
  HKEY key = nullptr;
  EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quillon\\Test\\Handles",
                                           0, nullptr, 0, KEY_READ, nullptr, &key, nullptr));
  return key;
}

bool IsOpen(HKEY key) {
  return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

TEST(UniqueHKey, ClosesWhenItGoes) {
  HKEY raw = OpenRawKey();
  {
    UniqueHKey owner(raw);
    EXPECT_TRUE(owner);
    EXPECT_TRUE(IsOpen(owner.get()));
  }
  EXPECT_FALSE(IsOpen(raw));
}

TEST(UniqueHKey, MovingTransfersOwnershipAndClosesTheOverwrittenKey) {
  HKEY first = OpenRawKey();
  HKEY second = OpenRawKey();
  UniqueHKey a(first);
  UniqueHKey b(std::move(a));
  EXPECT_FALSE(a);
  EXPECT_EQ(first, b.get());
  EXPECT_TRUE(IsOpen(first));

  UniqueHKey c(second);
  c = std::move(b);
  EXPECT_FALSE(IsOpen(second));
  EXPECT_TRUE(IsOpen(first));
  EXPECT_EQ(first, c.get());

  c = std::move(c);
  EXPECT_TRUE(IsOpen(first)) << "self-move keeps the key";
}

TEST(UniqueHKey, ReleaseGivesUpAndResetAndPutClose) {
  HKEY raw = OpenRawKey();
  UniqueHKey owner(raw);
  EXPECT_EQ(raw, owner.release());
  EXPECT_FALSE(owner);
  EXPECT_TRUE(IsOpen(raw));

  owner.reset(raw);
  HKEY* slot = owner.put();
  EXPECT_FALSE(IsOpen(raw));
  EXPECT_EQ(nullptr, *slot);
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, slot));
  EXPECT_TRUE(IsOpen(owner.get()));
  owner.reset();
  EXPECT_FALSE(owner);
}

}  // namespace
}  // namespace tavion
