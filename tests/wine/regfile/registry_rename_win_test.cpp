// Win32Registry beyond the shared contract: value kinds of foreign values, the rename by copying,
// and keys it keeps open while the tree changes under it.
#include <gtest/gtest.h>

#include "settings/registry_win.h"

namespace tavion {
namespace {

constexpr const wchar_t* kWideRoot = L"Software\\Quillon\\Test\\Rename";
constexpr const char* kRoot = "Software\\Quillon\\Test\\Rename";

UniqueHKey CreateRaw(const wchar_t* path) {
  UniqueHKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                      nullptr) != ERROR_SUCCESS)
    key.release();
  return key;
}

void SetRaw(HKEY key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size));
}

TEST(Win32RegistryTypeOf, OnlyTheKindsWeWriteHaveTheirOwnType) {
  const UniqueHKey key = CreateRaw(kWideRoot);
  ASSERT_TRUE(key);
  const DWORD dword = 1;
  const uint64_t qword = 1;
  struct Case {
    const wchar_t* name;
    DWORD type;
    const void* data;
    DWORD size;
    RegistryValueType expected;
  };
  const Case cases[] = {
      {L"sz", REG_SZ, L"x", 4, RegistryValueType::kString},
      {L"dword", REG_DWORD, &dword, 4, RegistryValueType::kInteger},
      {L"binary", REG_BINARY, &dword, 3, RegistryValueType::kBinary},
      {L"expand", REG_EXPAND_SZ, L"%x%", 8, RegistryValueType::kOther},
      {L"multi", REG_MULTI_SZ, L"a\0", 6, RegistryValueType::kOther},
      {L"qword", REG_QWORD, &qword, 8, RegistryValueType::kOther},
      {L"short dword", REG_DWORD, &dword, 2, RegistryValueType::kOther},
      {L"big endian", REG_DWORD_BIG_ENDIAN, &dword, 4, RegistryValueType::kOther},
      {L"none", REG_NONE, nullptr, 0, RegistryValueType::kOther},
  };
  for (const Case& c : cases) SetRaw(key.get(), c.name, c.type, c.data, c.size);
  const Win32Registry store(HKEY_CURRENT_USER, kRoot);
  for (const Case& c : cases) {
    char name[32];
    WideCharToMultiByte(CP_UTF8, 0, c.name, -1, name, sizeof name, nullptr, nullptr);
    EXPECT_EQ(c.expected, store.TypeOf("", name)) << name;
  }
}

TEST(RenameKeyByCopy, CopiesEveryValueAndSubKeyThenRemovesTheSource) {
  const UniqueHKey parent = CreateRaw(kWideRoot);
  ASSERT_TRUE(parent);
  {
    const UniqueHKey old = CreateRaw(L"Software\\Quillon\\Test\\Rename\\Old\\Sub");
    ASSERT_TRUE(old);
    SetRaw(old.get(), L"expand", REG_EXPAND_SZ, L"%x%", 8);
  }
  Win32Registry store(HKEY_CURRENT_USER, kRoot);
  ASSERT_TRUE(store.WriteString("Old", "s", "top"));
  ASSERT_TRUE(store.WriteBinary("Old\\Sub", "b", std::vector<uint8_t>{1, 2, 3}));

  ASSERT_TRUE(RenameKeyByCopy(parent.get(), L"Old", L"New"));
  EXPECT_FALSE(store.KeyExists("Old"));
  EXPECT_EQ("top", store.ReadString("New", "s"));
  EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), store.ReadBinary("New\\Sub", "b"));
  EXPECT_EQ(RegistryValueType::kOther, store.TypeOf("New\\Sub", "expand"));
  EXPECT_EQ("%x%", store.ReadString("New\\Sub", "expand"));
}

TEST(RenameKeyByCopy, RefusesAMissingSourceOrAnExistingTarget) {
  const UniqueHKey parent = CreateRaw(kWideRoot);
  ASSERT_TRUE(parent);
  Win32Registry store(HKEY_CURRENT_USER, kRoot);
  ASSERT_TRUE(store.WriteString("A", "v", "a"));
  ASSERT_TRUE(store.WriteString("B", "v", "b"));
  EXPECT_FALSE(RenameKeyByCopy(parent.get(), L"A", L"B"));
  EXPECT_FALSE(RenameKeyByCopy(parent.get(), L"A", L"a"));
  EXPECT_FALSE(RenameKeyByCopy(parent.get(), L"Missing", L"C"));
  EXPECT_EQ((std::vector<std::string>{"A", "B"}), store.SubKeyNames(""));
  EXPECT_EQ("a", store.ReadString("A", "v"));
  EXPECT_EQ("b", store.ReadString("B", "v"));
}

// Another program deletes a key this store keeps open: the next use finds it gone and opens the
// path afresh instead of writing into the deleted key.
TEST(Win32RegistryKeptKeys, AKeyDeletedByAnotherProgramIsOpenedAfresh) {
  Win32Registry store(HKEY_CURRENT_USER, kRoot);
  ASSERT_TRUE(store.WriteString("K\\Sub", "v", "1"));
  ASSERT_TRUE(store.CreateKey("K\\Sub"));
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_CURRENT_USER, kWideRoot));

  EXPECT_FALSE(store.KeyExists("K\\Sub"));
  EXPECT_EQ(std::nullopt, store.ReadString("K\\Sub", "v"));
  EXPECT_TRUE(store.SubKeyNames("K").empty());
  ASSERT_TRUE(store.WriteString("K\\Sub", "v", "2"));
  const Win32Registry fresh(HKEY_CURRENT_USER, kRoot);
  EXPECT_EQ("2", fresh.ReadString("K\\Sub", "v"));

  ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_CURRENT_USER, kWideRoot));
  EXPECT_TRUE(store.CreateKey("K\\Sub"));
  EXPECT_TRUE(fresh.KeyExists("K\\Sub"));
  EXPECT_TRUE(store.DeleteValue("K\\Sub", "v"));
}

// Two stores of one process: a rename through one must not leave the other writing into the
// renamed key under the old path.
TEST(Win32RegistryKeptKeys, ARenameThroughAnotherStoreIsSeen) {
  Win32Registry writer(HKEY_CURRENT_USER, kRoot);
  Win32Registry renamer(HKEY_CURRENT_USER, kRoot);
  ASSERT_TRUE(writer.WriteString("Profile\\Old", "v", "1"));
  ASSERT_TRUE(renamer.RenameKey("Profile\\Old", "New"));
  ASSERT_TRUE(writer.WriteString("Profile\\Old", "v", "2"));
  EXPECT_EQ("1", renamer.ReadString("Profile\\New", "v"));
  EXPECT_EQ("2", renamer.ReadString("Profile\\Old", "v"));
}

// More keys than the store keeps, visited in turn, so that kept keys are closed and reopened.
TEST(Win32RegistryKeptKeys, ManyKeysInTurnKeepEveryValue) {
  Win32Registry store(HKEY_CURRENT_USER, kRoot);
  for (int round = 0; round < 3; ++round) {
    for (int k = 0; k < 20; ++k)
      ASSERT_TRUE(store.WriteInteger("K" + std::to_string(k), "r" + std::to_string(round), k));
  }
  const Win32Registry fresh(HKEY_CURRENT_USER, kRoot);
  for (int k = 0; k < 20; ++k) {
    EXPECT_EQ((std::vector<std::string>{"r0", "r1", "r2"}),
              fresh.ValueNames("K" + std::to_string(k)));
    EXPECT_EQ(static_cast<uint32_t>(k), fresh.ReadInteger("K" + std::to_string(k), "r2"));
  }
}

}  // namespace
}  // namespace tavion
