// The Win32 registry store against Wine's registry: the shared contract, values other programs
// leave, the rename by copying, and registry files with the registry editor.
#include "settings/registry_win.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fixtures/regedit_import_win.h"
#include "native/registry_dump.h"
#include "native/registry_store_contract.h"
#include "settings/reg_export_win.h"
#include "settings/reg_file.h"
#include "base/utf_win.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

constexpr const char* kRoot = "Software\\Quillon\\Test\\Store";
constexpr const wchar_t* kWideRoot = L"Software\\Quillon\\Test\\Store";

struct Win32RegistryFactory {
  static std::unique_ptr<RegistryStore> Make() {
    return std::make_unique<Win32Registry>(HKEY_CURRENT_USER, kRoot);
  }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, RegistryStoreContract, Win32RegistryFactory);

TEST(Win32Registry, WritesTheSystemTypesAndReadsForeignValuesSafely) {
  Win32Registry store(HKEY_CURRENT_USER, kRoot);
  ASSERT_TRUE(store.WriteString("", "s", "\xC3\xA9t\xC3\xA9"));
  DWORD type = 0, size = 0;
  RegGetValueW(HKEY_CURRENT_USER, kWideRoot, L"s", RRF_RT_ANY, &type, nullptr, &size);
  EXPECT_EQ((std::pair<DWORD, DWORD>(REG_SZ, 8)), std::pair(type, size)) << "three characters, NUL";

  const struct {
    const wchar_t* name;
    DWORD type;
    std::string_view bytes;
    std::optional<std::string> text;
  } foreign[] = {
      {L"unterminated", REG_SZ, {"a\0b\0c\0", 6}, "abc"},
      {L"odd", REG_SZ, {"a\0b", 3}, "a"},                       // the odd byte is dropped
      {L"expand", REG_EXPAND_SZ, {"%\0x\0%\0\0\0", 8}, "%x%"},  // read, not expanded
      {L"qword", REG_QWORD, {"\5\0\0\0\0\0\0\0", 8}, std::nullopt},
      {L"short", REG_DWORD, {"\5\0", 2}, std::nullopt},
      {L"multi", REG_MULTI_SZ, {"a\0\0\0b\0\0\0\0\0", 10}, std::nullopt},
  };
  for (const auto& v : foreign) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(v.name)));
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, kWideRoot, v.name, v.type,
                                             v.bytes.data(), static_cast<DWORD>(v.bytes.size())));
    const std::string name(v.name, v.name + wcslen(v.name));
    EXPECT_EQ(v.text, store.ReadString("", name));
    EXPECT_EQ(std::nullopt, store.ReadInteger("", name));
    EXPECT_EQ(v.type == REG_SZ ? RegistryValueType::kString : RegistryValueType::kOther,
              store.TypeOf("", name));
  }
}

TEST(Win32Registry, RenameByCopyCopiesEverythingAndRefusesAnExistingTarget) {
  Win32Registry store(HKEY_CURRENT_USER, kRoot);
  ASSERT_TRUE(store.WriteString("Old", "s", "top"));
  ASSERT_TRUE(store.WriteBinary("Old\\Sub", "b", std::vector<uint8_t>{1, 2, 3}));
  ASSERT_TRUE(store.WriteString("Other", "v", "b"));
  UniqueHKey parent;
  ASSERT_EQ(ERROR_SUCCESS,
            RegOpenKeyExW(HKEY_CURRENT_USER, kWideRoot, 0, KEY_ALL_ACCESS, parent.put()));
  EXPECT_FALSE(RenameKeyByCopy(parent.get(), L"Old", L"other")) << "names ignore case";
  EXPECT_FALSE(RenameKeyByCopy(parent.get(), L"Missing", L"C"));
  EXPECT_EQ((std::vector<std::string>{"Old", "Other"}), store.SubKeyNames(""));
  EXPECT_EQ("b", store.ReadString("Other", "v"));

  ASSERT_TRUE(RenameKeyByCopy(parent.get(), L"Old", L"New"));
  EXPECT_FALSE(store.KeyExists("Old")) << "a kept key renamed elsewhere is gone";
  EXPECT_EQ("top", store.ReadString("New", "s"));
  EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), store.ReadBinary("New\\Sub", "b"));
}

std::string ReadFileBytes(const std::wstring& fileName) {
  std::ifstream file(std::filesystem::path(fileName), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// This 64-bit process reaches the 32-bit programs' side of HKEY_LOCAL_MACHINE\SOFTWARE only through
// the view, as the 32-bit build reaches the 64-bit side: every step of a store must carry it.
TEST(Win32Registry, EveryStepOfAStoreStaysInItsView) {
  const std::string name = "SOFTWARE\\" + WideToUtf8(wine_test::UniqueName(L"view"));
  const wine_test::ScopeExit remove([&] {
    for (const std::string& path : {name, "SOFTWARE\\WOW6432Node\\" + name.substr(9)})
      RegDeleteTreeW(HKEY_LOCAL_MACHINE, Utf8ToWide(path).c_str());
  });
  Win32Registry other(HKEY_LOCAL_MACHINE, name, RegistryView::k32Bit);
  const Win32Registry otherSeen(HKEY_LOCAL_MACHINE, "SOFTWARE\\WOW6432Node\\" + name.substr(9));
  Win32Registry own(HKEY_LOCAL_MACHINE, name, RegistryView::k64Bit);
  ASSERT_TRUE(other.WriteString("Sub\\Deep", "v", "x"));
  ASSERT_TRUE(other.WriteInteger("", "n", 5));
  ASSERT_TRUE(own.WriteString("Sub", "keep", "y"));
  EXPECT_EQ("x", otherSeen.ReadString("Sub\\Deep", "v"));
  EXPECT_EQ((std::vector<std::string>{"Sub"}), other.SubKeyNames(""));
  EXPECT_EQ(std::nullopt, own.ReadInteger("", "n"));
  EXPECT_TRUE(other.DeleteKey("Sub"));
  EXPECT_FALSE(otherSeen.KeyExists("Sub"));
  EXPECT_EQ("y", own.ReadString("Sub", "keep")) << "the same name on the other side stays";
  EXPECT_TRUE(other.DeleteKey(""));
  EXPECT_EQ((std::tuple(true, std::optional<uint32_t>())),
            std::tuple(otherSeen.KeyExists(""), otherSeen.ReadInteger("", "n")));

  const std::wstring file =
      wine_test::ProgramFolder() + L"\\" + wine_test::UniqueName(L"v") + L".reg";
  const wine_test::ScopeExit removeFile([&] { DeleteFileW(file.c_str()); });
  ASSERT_TRUE(
      ExportRegKey(file, HKEY_LOCAL_MACHINE, name, true, false, MessageBoxW, RegistryView::k32Bit));
  EXPECT_EQ(std::string::npos, ReadFileBytes(file).find("keep"));
}

// Wine lists values sorted by name, a memory tree in creation order: the values go in in name
// order. "_" sorts between upper and lower case letters.
void FillTree(RegistryStore& store) {
  const std::string top = kRoot;
  store.WriteString(top, "", "default value");
  store.WriteBinary(top, "a_binary", std::vector<uint8_t>(60, 0xA5));
  store.WriteInteger(top, "b_dword", 0xDEADBEEF);
  store.WriteString(top, "c_escapes", "x\"y\\z");
  store.WriteString(top, "d_unicode", "Gr\xC3\xBC\xC3\x9F\x65 \xF0\x9F\x8E\xB9");
  store.WriteString(top + "\\_under", "v", "1");
  store.WriteString(top + "\\alpha\\Deep", "v", "2");
  store.WriteInteger(top + "\\Beta", "zero", 0);
}

TEST(RegFile, ExportWritesWhatWriteRegTextMakesAndTheRegistryEditorImportsItBack) {
  const std::wstring file =
      wine_test::ProgramFolder() + L"\\" + wine_test::UniqueName(L"r") + L".reg";
  const wine_test::ScopeExit remove([&] { DeleteFileW(file.c_str()); });
  std::vector<std::wstring> boxes;
  const MessageBoxFunction box = [&](HWND, const wchar_t* text, const wchar_t* caption, UINT) {
    boxes.push_back(std::wstring(caption) + L": " + text);
    return IDOK;
  };
  Win32Registry system(HKEY_CURRENT_USER);
  MemoryRegistry memory;
  FillTree(system);
  FillTree(memory);
  for (const bool recurse : {false, true}) {  // the recursive file is imported below
    SCOPED_TRACE(recurse);
    ASSERT_TRUE(ExportRegKey(file, HKEY_CURRENT_USER, kRoot, recurse, true, box));
    EXPECT_EQ(WriteRegText(memory, "HKEY_CURRENT_USER", kRoot, recurse, true), ReadFileBytes(file));
  }
  const std::vector<std::string> exported = DumpTree(system, kRoot);
  // The import deletes what is not in the file and restores what is.
  ASSERT_TRUE(system.DeleteKey(std::string(kRoot) + "\\alpha"));
  ASSERT_TRUE(system.WriteString(kRoot, "c_escapes", "changed"));
  ASSERT_TRUE(system.WriteString(std::string(kRoot) + "\\Stale", "v", "stale"));
  ASSERT_TRUE(fixtures::ImportWithRegedit(file));
  EXPECT_EQ(exported, DumpTree(system, kRoot));
  EXPECT_TRUE(boxes.empty());

  // A key that cannot be opened leaves an empty file and says so.
  EXPECT_FALSE(
      ExportRegKey(file, HKEY_CURRENT_USER, "Software\\Quillon\\Missing", true, true, box));
  EXPECT_EQ("", ReadFileBytes(file));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(file.c_str()));
  EXPECT_EQ(std::vector<std::wstring>{L"Reg save error: Can't open registry key"}, boxes);
  EXPECT_FALSE(ExportRegKey(file + L"\\x.reg", HKEY_CURRENT_USER, kRoot, true, true, box));
}

}  // namespace
}  // namespace tavion
