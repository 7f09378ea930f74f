// The Reg1* registry helpers against the Wine registry: types, sizes, buffers, roots, deletion.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sidekit_api.h"

namespace {

using sidekit_test::Reg1DeleteKey;
using sidekit_test::Reg1DeleteValue;
using sidekit_test::Reg1KeyExists;
using sidekit_test::Reg1ReadInt;
using sidekit_test::Reg1ReadStr;
using sidekit_test::Reg1ValueExists;
using sidekit_test::Reg1WriteStr;

constexpr DWORD kCurrentUser = 0x80000001;
constexpr DWORD kLocalMachine = 0x80000002;
constexpr wchar_t kPath[] = L"Software\\Quillon\\SidekitTest";

// Stores raw bytes of any type, as another program (or a damaged profile) might have.
void StoreRaw(const wchar_t* value, DWORD type, const void* data, DWORD bytes) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kPath, 0, nullptr, 0, KEY_SET_VALUE,
                                           nullptr, &key, nullptr));
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetValueExW(key, value, 0, type, static_cast<const BYTE*>(data), bytes));
  RegCloseKey(key);
}

// `extraBytes` beyond the characters: 2 stores the terminator, 0 none, -1 half a character less.
void StoreText(const wchar_t* value, DWORD type, const std::wstring& text, int extraBytes = 2) {
  StoreRaw(value, type, text.c_str(),
           static_cast<DWORD>(static_cast<int>(text.size() * sizeof(wchar_t)) + extraBytes));
}

std::wstring ReadStr(const wchar_t* path, const wchar_t* value, const wchar_t* def,
                     DWORD root = kCurrentUser) {
  wchar_t buffer[64] = {L'x'};
  const DWORD length = Reg1ReadStr(path, value, def, root, buffer, 64);
  EXPECT_LT(length, 64u);
  return std::wstring(buffer, length < 64 ? length : 0);
}

class RegistryHelpersTest : public testing::Test {
 protected:
  void SetUp() override {
    const DWORD number = 42;
    StoreRaw(L"Number", REG_DWORD, &number, sizeof number);
    StoreText(L"Text", REG_SZ, L"hello");
  }
};

TEST_F(RegistryHelpersTest, ReadIntTakesOnlyFourByteDwords) {
  const DWORD allBits = 0xFFFFFFFF;
  const uint64_t quad = 7;
  const BYTE fourBytes[4] = {1, 0, 0, 0};
  const BYTE twoBytes[2] = {1, 0};
  StoreRaw(L"AllBits", REG_DWORD, &allBits, sizeof allBits);
  StoreRaw(L"Quad", REG_QWORD, &quad, sizeof quad);
  StoreRaw(L"Binary", REG_BINARY, fourBytes, sizeof fourBytes);
  StoreRaw(L"ShortDword", REG_DWORD, twoBytes, sizeof twoBytes);
  StoreText(L"DigitText", REG_SZ, L"42");

  const struct {
    const wchar_t* path;
    const wchar_t* value;
    int expected;
  } cases[] = {
      {kPath, L"Number", 42},     {kPath, L"AllBits", -1},
      {kPath, L"Quad", -5},       {kPath, L"Binary", -5},
      {kPath, L"ShortDword", -5}, {kPath, L"DigitText", -5},
      {kPath, L"Missing", -5},    {L"Software\\Quillon\\NoSuchKey", L"Number", -5},
      {nullptr, L"Number", -5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(c.expected, Reg1ReadInt(c.path, c.value, -5, kCurrentUser));
  }
}

TEST_F(RegistryHelpersTest, ReadStrTakesStringsAsStoredAndDefaultsOtherwise) {
  StoreText(L"Expandable", REG_EXPAND_SZ, L"%windir%\\x");
  StoreText(L"Unterminated", REG_SZ, L"abc", /*extraBytes=*/0);
  StoreText(L"OddSize", REG_SZ, L"abcd", /*extraBytes=*/-1);
  StoreRaw(L"EmbeddedNul", REG_SZ, L"ab\0cd", 12);
  StoreText(L"Multi", REG_MULTI_SZ, std::wstring(L"a\0b\0", 4));
  StoreText(L"Empty", REG_SZ, L"");

  const struct {
    const wchar_t* value;
    const wchar_t* def;
    const wchar_t* expected;
  } cases[] = {
      {L"Text", L"def", L"hello"},
      {L"Expandable", L"def", L"%windir%\\x"},  // not expanded
      {L"Unterminated", L"def", L"abc"},
      {L"OddSize", L"def", L"abc"},  // half a character is dropped
      {L"EmbeddedNul", L"def", L"ab"},
      {L"Empty", L"def", L""},
      {L"Number", L"def", L"def"},
      {L"Multi", L"def", L"def"},
      {L"Missing", L"def", L"def"},
      {L"Missing", nullptr, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(std::wstring(c.expected), ReadStr(kPath, c.value, c.def));
  }
}

TEST_F(RegistryHelpersTest, ReadStrRefusesAnOverlongValue) {
  StoreText(L"Huge", REG_SZ, std::wstring(40000, L'a'));
  EXPECT_EQ(L"def", ReadStr(kPath, L"Huge", L"def"));
}

TEST_F(RegistryHelpersTest, ReadStrReportsTheSizeNeededWhenTheBufferIsTooSmall) {
  const struct {
    const char* name;
    DWORD bufferChars;
    DWORD expectedResult;
    const wchar_t* expectedText;
  } cases[] = {
      {"exact fit", 6, 5, L"hello"},
      {"no room for the terminator", 5, 6, L""},
      {"one character", 1, 6, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<wchar_t> buffer(c.bufferChars, L'x');
    EXPECT_EQ(c.expectedResult,
              Reg1ReadStr(kPath, L"Text", L"", kCurrentUser, buffer.data(), c.bufferChars));
    EXPECT_EQ(std::wstring(c.expectedText), std::wstring(buffer.data()));
  }
  EXPECT_EQ(6u, Reg1ReadStr(kPath, L"Text", L"", kCurrentUser, nullptr, 0));
  EXPECT_EQ(6u, Reg1ReadStr(kPath, L"Text", L"", kCurrentUser, nullptr, 100));
}

TEST_F(RegistryHelpersTest, RootsArePredefinedKeysOnly) {
  EXPECT_TRUE(Reg1KeyExists(L"Software", kLocalMachine));
  EXPECT_TRUE(Reg1KeyExists(kPath, kCurrentUser));
  EXPECT_TRUE(Reg1KeyExists(L"CLSID", 0x80000000));  // classes root
  for (const DWORD badRoot : {0u, 1u, 0x7FFFFFFFu, 0x80000006u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(badRoot);
    EXPECT_FALSE(Reg1KeyExists(L"Software", badRoot));
    EXPECT_FALSE(Reg1ValueExists(kPath, L"Number", badRoot));
    EXPECT_EQ(-5, Reg1ReadInt(kPath, L"Number", -5, badRoot));
    EXPECT_EQ(L"def", ReadStr(kPath, L"Text", L"def", badRoot));
    EXPECT_FALSE(Reg1WriteStr(kPath, L"Text", L"x", badRoot));
    EXPECT_FALSE(Reg1DeleteValue(kPath, L"Text", badRoot));
    EXPECT_FALSE(Reg1DeleteKey(kPath, L"", badRoot));
  }
  EXPECT_EQ(L"hello", ReadStr(kPath, L"Text", L"def"));
}

TEST_F(RegistryHelpersTest, ExistenceTests) {
  EXPECT_TRUE(Reg1ValueExists(kPath, L"Number", kCurrentUser));
  EXPECT_FALSE(Reg1ValueExists(kPath, L"Missing", kCurrentUser));
  EXPECT_FALSE(Reg1ValueExists(L"Software\\Quillon\\NoSuchKey", L"Number", kCurrentUser));
  EXPECT_FALSE(Reg1KeyExists(L"Software\\Quillon\\NoSuchKey", kCurrentUser));
  EXPECT_FALSE(Reg1KeyExists(nullptr, kCurrentUser));
  EXPECT_FALSE(Reg1ValueExists(nullptr, L"Number", kCurrentUser));
  // A null value name is the key's default value, which is not set here.
  EXPECT_FALSE(Reg1ValueExists(kPath, nullptr, kCurrentUser));
}

TEST_F(RegistryHelpersTest, WriteStrCreatesTheKeyAndStoresRegSz) {
  const std::wstring path = L"Software\\Quillon\\SidekitTest\\New\\Deeper";
  ASSERT_TRUE(Reg1WriteStr(path.c_str(), L"Name", L"value with ünïcode", kCurrentUser));
  wchar_t data[64] = {};
  DWORD bytes = sizeof data;
  DWORD type = 0;
  ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, path.c_str(), L"Name", RRF_RT_ANY, &type,
                                        data, &bytes));
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  EXPECT_EQ(std::wstring(L"value with ünïcode"), data);

  EXPECT_FALSE(Reg1WriteStr(path.c_str(), L"Name", nullptr, kCurrentUser));
  EXPECT_FALSE(Reg1WriteStr(nullptr, L"Name", L"x", kCurrentUser));
  EXPECT_EQ(L"value with ünïcode", ReadStr(path.c_str(), L"Name", L""));
}

TEST_F(RegistryHelpersTest, DeleteValueSucceedsWhenTheValueIsGone) {
  EXPECT_TRUE(Reg1DeleteValue(kPath, L"Text", kCurrentUser));
  EXPECT_FALSE(Reg1ValueExists(kPath, L"Text", kCurrentUser));
  EXPECT_TRUE(Reg1ValueExists(kPath, L"Number", kCurrentUser));
  EXPECT_TRUE(Reg1DeleteValue(kPath, L"Text", kCurrentUser));
  EXPECT_TRUE(Reg1DeleteValue(L"Software\\Quillon\\NoSuchKey", L"Text", kCurrentUser));
  EXPECT_FALSE(Reg1DeleteValue(nullptr, L"Text", kCurrentUser));
}

TEST_F(RegistryHelpersTest, DeleteKeyRemovesTheWholeTreeAndNothingElse) {
  const wchar_t* const keys[] = {L"Software\\Quillon\\SidekitTest\\Tree\\A\\B",
                                 L"Software\\Quillon\\SidekitTest\\Tree\\C",
                                 L"Software\\Quillon\\SidekitTest\\Sibling"};
  const struct {
    const char* name;
    const wchar_t* path;
    const wchar_t* subKey;
  } cases[] = {
      {"sub-key named", kPath, L"Tree"},
      {"path with a trailing backslash", L"Software\\Quillon\\SidekitTest\\", L"Tree"},
      {"empty sub-key: the path itself", L"Software\\Quillon\\SidekitTest\\Tree", L""},
      {"null sub-key: the path itself", L"Software\\Quillon\\SidekitTest\\Tree", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const wchar_t* key : keys) ASSERT_TRUE(Reg1WriteStr(key, L"v", L"x", kCurrentUser));
    EXPECT_TRUE(Reg1DeleteKey(c.path, c.subKey, kCurrentUser));
    EXPECT_FALSE(Reg1KeyExists(L"Software\\Quillon\\SidekitTest\\Tree", kCurrentUser));
    EXPECT_TRUE(Reg1KeyExists(L"Software\\Quillon\\SidekitTest\\Sibling", kCurrentUser));
    EXPECT_TRUE(Reg1ValueExists(kPath, L"Number", kCurrentUser));
  }
  EXPECT_TRUE(Reg1DeleteKey(kPath, L"NoSuchKey", kCurrentUser));
}

TEST_F(RegistryHelpersTest, DeleteKeyNeverEmptiesAWholeRoot) {
  for (const wchar_t* path : {L"", L"\\"}) {
    EXPECT_FALSE(Reg1DeleteKey(path, L"", kCurrentUser));
    EXPECT_FALSE(Reg1DeleteKey(path, nullptr, kCurrentUser));
  }
  EXPECT_FALSE(Reg1DeleteKey(nullptr, L"SidekitTest", kCurrentUser));
  EXPECT_TRUE(Reg1KeyExists(kPath, kCurrentUser));
  EXPECT_TRUE(Reg1KeyExists(L"Software", kCurrentUser));
}

}  // namespace
