#include "settings/registry_win.h"

#include <gtest/gtest.h>

#include "native/registry_store_contract.h"

namespace tavion {
namespace {

constexpr const char* kTestRoot = "Software\\Quillon\\Test\\Store";

// Every test starts from an empty HKCU\Software\Quillon (wine_test_main.cpp).
struct Win32RegistryFactory {
  static std::unique_ptr<RegistryStore> Make() {
    return std::make_unique<Win32Registry>(HKEY_CURRENT_USER, kTestRoot);
  }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, RegistryStoreContract, Win32RegistryFactory);

// Writes a raw value below the test root, the way another program might have left it.
void WriteRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quillon\\Test\\Store", 0,
                                           nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size));
  RegCloseKey(key);
}

TEST(Win32Registry, WritesTheSystemTypes) {
  Win32Registry registry(HKEY_CURRENT_USER, kTestRoot);
  ASSERT_TRUE(registry.WriteString("", "s", "\xC3\xA9t\xC3\xA9"));
  ASSERT_TRUE(registry.WriteInteger("", "i", 0x01020304));
  ASSERT_TRUE(registry.WriteBinary("", "b", std::vector<uint8_t>{9, 8}));

  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Quillon\\Test\\Store", 0,
                                         KEY_QUERY_VALUE, &key));
  BYTE data[64];
  DWORD type = 0, size = sizeof data;
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"s", nullptr, &type, data, &size));
  EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
  EXPECT_EQ(4 * sizeof(wchar_t), size) << "three characters and the terminator";
  EXPECT_EQ(std::wstring(L"\u00E9t\u00E9"), reinterpret_cast<const wchar_t*>(data));
  size = sizeof data;
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"i", nullptr, &type, data, &size));
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
  EXPECT_EQ(4u, size);
  size = sizeof data;
  ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"b", nullptr, &type, data, &size));
  EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
  EXPECT_EQ(2u, size);
  RegCloseKey(key);
}

TEST(Win32Registry, ForeignValueShapesReadSafely) {
  const wchar_t unterminated[] = {L'a', L'b', L'c'};
  WriteRaw(L"unterminated", REG_SZ, unterminated, sizeof unterminated);
  WriteRaw(L"odd", REG_SZ, "a\0b", 3);
  const wchar_t expand[] = L"%windir%\\x";
  WriteRaw(L"expand", REG_EXPAND_SZ, expand, sizeof expand);
  const uint64_t wide = 5;
  WriteRaw(L"qword", REG_QWORD, &wide, sizeof wide);
  const BYTE shortDword[2] = {1, 2};
  WriteRaw(L"short", REG_DWORD, shortDword, sizeof shortDword);
  WriteRaw(L"multi", REG_MULTI_SZ, L"a\0b\0", 5 * sizeof(wchar_t));

  Win32Registry registry(HKEY_CURRENT_USER, kTestRoot);
  EXPECT_EQ("abc", registry.ReadString("", "unterminated"));
  EXPECT_EQ("a", registry.ReadString("", "odd")) << "an odd byte is dropped";
  EXPECT_EQ("%windir%\\x", registry.ReadString("", "expand")) << "read, not expanded";
  EXPECT_EQ(std::nullopt, registry.ReadInteger("", "qword"));
  EXPECT_EQ(std::nullopt, registry.ReadInteger("", "short"));
  EXPECT_EQ(std::nullopt, registry.ReadString("", "multi"));
  EXPECT_EQ(std::nullopt, registry.ReadBinary("", "multi"));
}

TEST(Win32Registry, BasePathsAndRootsCombine) {
  Win32Registry top(HKEY_CURRENT_USER, "");
  Win32Registry nested(HKEY_CURRENT_USER, "\\Software\\Quillon\\Test\\");
  ASSERT_TRUE(nested.WriteString("Store\\Deep", "v", "x"));
  EXPECT_EQ("x", top.ReadString("Software\\Quillon\\Test\\Store\\Deep", "v"));
  EXPECT_TRUE(top.KeyExists(""));
  EXPECT_TRUE(nested.DeleteKey("Store"));
  EXPECT_FALSE(top.KeyExists("Software\\Quillon\\Test\\Store"));
  EXPECT_TRUE(top.KeyExists("Software\\Quillon\\Test"));
}

TEST(Win32Registry, LongValueNamesEnumerate) {
  Win32Registry registry(HKEY_CURRENT_USER, kTestRoot);
  const std::string longName(300, 'n');
  ASSERT_TRUE(registry.WriteInteger("", longName, 1));
  EXPECT_EQ(std::vector<std::string>{longName}, registry.ValueNames(""));
}

}  // namespace
}  // namespace tavion
