// Sidekit32's registry helpers against the Wine registry.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sidekit_test.h"

namespace sidekit_test {
namespace {

constexpr DWORD kClassesRoot = 0x80000000;
constexpr DWORD kCurrentUser = 0x80000001;
constexpr wchar_t kPath[] = L"Software\\Quillon\\SidekitTest";

void StoreRaw(const wchar_t* value, DWORD type, const void* data, DWORD bytes) {
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, kPath, value, type, data, bytes));
}

TEST(RegistryHelpers, ReadsTakeOnlyTheirOwnTypesAndATextOnlyWithRoomForItsEnd) {
  const DWORD number = 42;
  const uint64_t quad = 7;
  StoreRaw(L"Number", REG_DWORD, &number, sizeof number);
  StoreRaw(L"Quad", REG_QWORD, &quad, sizeof quad);
  StoreRaw(L"Text", REG_SZ, L"hello", 12);
  StoreRaw(L"Unterminated", REG_SZ, L"abc", 6);
  StoreRaw(L"OddSize", REG_SZ, L"abcd", 7);
  StoreRaw(L"Multi", REG_MULTI_SZ, L"a\0b\0", 10);
  StoreRaw(L"Huge", REG_SZ, std::wstring(40000, L'a').c_str(), 80000);
  EXPECT_EQ(42, Reg1ReadInt(kPath, L"Number", -5, kCurrentUser));
  for (const wchar_t* value : {L"Quad", L"Text", L"Missing"})
    EXPECT_EQ(-5, Reg1ReadInt(kPath, value, -5, kCurrentUser));
  EXPECT_EQ(-5, Reg1ReadInt(kPath, L"Number", -5, 0x80000006)) << "no predefined root";

  // A text with room for its end; without it, the size needed and nothing copied; texts the
  // library ends itself or drops half a character of; the default for another type, a text
  // beyond the bound or nothing.
  const struct {
    const wchar_t* value;
    DWORD bufferChars, result;
    std::wstring text;
  } reads[] = {
      {L"Text", 6, 5, L"hello"},        {L"Text", 5, 6, L""},        {L"Text", 1, 6, L""},
      {L"Unterminated", 64, 3, L"abc"}, {L"OddSize", 64, 3, L"abc"}, {L"Number", 64, 3, L"def"},
      {L"Multi", 64, 3, L"def"},        {L"Huge", 64, 3, L"def"},    {L"Missing", 64, 3, L"def"},
  };
  for (const auto& r : reads) {
    SCOPED_TRACE(testing::Message() << r.bufferChars << " characters");
    std::vector<wchar_t> buffer(r.bufferChars + 1, L'x');
    buffer.back() = 0;
    EXPECT_EQ(r.result,
              Reg1ReadStr(kPath, r.value, L"def", kCurrentUser, buffer.data(), r.bufferChars));
    EXPECT_EQ(r.text, buffer.data());
  }
  EXPECT_EQ(6u, Reg1ReadStr(kPath, L"Text", L"", kCurrentUser, nullptr, 0));
}

// The classes root takes a leading backslash, so a path of backslashes names the root itself.
// The root is pointed at a scratch key for the test: a fault then empties only that.
TEST(RegistryHelpers, DeleteKeyRemovesTheWholeTreeAndNeverEmptiesARoot) {
  for (const wchar_t* subKey : {L"Tree", L""}) {
    const std::wstring path = std::wstring(kPath) + (*subKey ? L"" : L"\\Tree");
    ASSERT_TRUE(Reg1WriteStr(L"Software\\Quillon\\SidekitTest\\Tree\\A", L"v", L"ü", kCurrentUser));
    ASSERT_TRUE(Reg1WriteStr(L"Software\\Quillon\\SidekitTest\\Sibling", L"v", L"x", kCurrentUser));
    EXPECT_TRUE(Reg1DeleteKey(path.c_str(), subKey, kCurrentUser));
    EXPECT_FALSE(Reg1KeyExists(L"Software\\Quillon\\SidekitTest\\Tree", kCurrentUser));
    EXPECT_TRUE(Reg1KeyExists(L"Software\\Quillon\\SidekitTest\\Sibling", kCurrentUser));
  }

  HKEY scratch = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quillon\\Classes", 0,
                                           nullptr, 0, KEY_ALL_ACCESS, nullptr, &scratch, nullptr));
  const wine_test::ScopeExit close([&] { RegCloseKey(scratch); });
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(scratch, L"Kept", L"v", REG_SZ, L"x", 4));
  ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CLASSES_ROOT, scratch));
  const wine_test::ScopeExit restore([] { RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr); });
  ASSERT_TRUE(Reg1KeyExists(L"Kept", kClassesRoot)) << "the library sees the scratch root";
  for (const wchar_t* path : {L"", L"\\", L"\\\\"})
    for (const wchar_t* subKey : {L"", L"\\"})
      EXPECT_FALSE(Reg1DeleteKey(path, subKey, kClassesRoot));
  EXPECT_FALSE(Reg1DeleteKey(nullptr, L"Kept", kClassesRoot));
  EXPECT_TRUE(Reg1KeyExists(L"Kept", kClassesRoot));
}

}  // namespace
}  // namespace sidekit_test
