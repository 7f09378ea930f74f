// The Win32 registry store against Wine's registry: the shared contract, values other programs
// leave, the rename by copying, kept keys, registry files with the registry editor, and a profile
// saved and loaded on the real registry.
#include "settings/registry_win.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "actions/actions_registry.h"
#include "actions/catalogue.h"
#include "fixtures/golden_profile.h"
#include "fixtures/regedit_import_win.h"
#include "native/registry_dump.h"
#include "native/registry_store_contract.h"
#include "settings/reg_export_win.h"
#include "settings/reg_file.h"
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

void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, kWideRoot, name, type, data, size));
}

TEST(Win32Registry, WritesTheSystemTypesAndReadsForeignValuesSafely) {
  Win32Registry store(HKEY_CURRENT_USER, kRoot);
  ASSERT_TRUE(store.WriteString("", "s", "\xC3\xA9t\xC3\xA9"));
  ASSERT_TRUE(store.WriteInteger("", "i", 0x01020304));
  DWORD type = 0, size = 0;
  ASSERT_EQ(ERROR_SUCCESS,
            RegGetValueW(HKEY_CURRENT_USER, kWideRoot, L"s", RRF_RT_ANY, &type, nullptr, &size));
  EXPECT_EQ(DWORD{REG_SZ}, type);
  EXPECT_EQ(4 * sizeof(wchar_t), size) << "three characters and the terminator";
  ASSERT_EQ(ERROR_SUCCESS,
            RegGetValueW(HKEY_CURRENT_USER, kWideRoot, L"i", RRF_RT_ANY, &type, nullptr, &size));
  EXPECT_EQ(DWORD{REG_DWORD}, type);

  const wchar_t unterminated[] = {L'a', L'b', L'c'};
  const uint64_t qword = 5;
  SetRaw(L"unterminated", REG_SZ, unterminated, sizeof unterminated);
  SetRaw(L"odd", REG_SZ, "a\0b", 3);
  SetRaw(L"expand", REG_EXPAND_SZ, L"%x%", 8);
  SetRaw(L"qword", REG_QWORD, &qword, sizeof qword);
  SetRaw(L"short", REG_DWORD, &qword, 2);
  SetRaw(L"multi", REG_MULTI_SZ, L"a\0b\0", 10);
  EXPECT_EQ("abc", store.ReadString("", "unterminated"));
  EXPECT_EQ("a", store.ReadString("", "odd")) << "an odd byte is dropped";
  EXPECT_EQ("%x%", store.ReadString("", "expand")) << "read, not expanded";
  for (const char* name : {"qword", "short"}) EXPECT_EQ(std::nullopt, store.ReadInteger("", name));
  EXPECT_EQ(std::nullopt, store.ReadString("", "multi"));
  for (const char* name : {"expand", "qword", "short", "multi"}) {
    EXPECT_EQ(RegistryValueType::kOther, store.TypeOf("", name)) << name;
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
  EXPECT_FALSE(store.KeyExists("Old"));
  EXPECT_EQ("top", store.ReadString("New", "s"));
  EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), store.ReadBinary("New\\Sub", "b"));
}

// Keys the store keeps open while another program, or another store, changes the tree.
TEST(Win32Registry, KeptKeysFollowChangesMadeElsewhere) {
  Win32Registry store(HKEY_CURRENT_USER, kRoot);
  ASSERT_TRUE(store.WriteString("K\\Sub", "v", "1"));
  ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_CURRENT_USER, kWideRoot));
  EXPECT_FALSE(store.KeyExists("K\\Sub"));
  ASSERT_TRUE(store.WriteString("K\\Sub", "v", "2"));
  EXPECT_EQ("2", Win32Registry(HKEY_CURRENT_USER, kRoot).ReadString("K\\Sub", "v"))
      << "written into the new key, not the deleted one";

  Win32Registry renamer(HKEY_CURRENT_USER, kRoot);
  ASSERT_TRUE(store.WriteString("Profile\\Old", "v", "1"));
  ASSERT_TRUE(renamer.RenameKey("Profile\\Old", "New"));
  ASSERT_TRUE(store.WriteString("Profile\\Old", "v", "2"));
  EXPECT_EQ("1", renamer.ReadString("Profile\\New", "v"));
  EXPECT_EQ("2", renamer.ReadString("Profile\\Old", "v"));
  ASSERT_TRUE(renamer.RenameKey("Profile\\Old", "Newer"));
  ASSERT_TRUE(renamer.WriteString("Profile\\Old", "v", "3"));
  EXPECT_EQ("2", store.ReadString("Profile\\Newer", "v"));
}

std::string ReadFileBytes(const std::wstring& fileName) {
  std::ifstream file(std::filesystem::path(fileName), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class RegFileTest : public testing::Test {
 protected:
  void TearDown() override { DeleteFileW(file_.c_str()); }

  // Wine lists values sorted by name, a memory tree in creation order: the values go in in name
  // order. "_" sorts between upper and lower case letters.
  static void FillTree(RegistryStore& store) {
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
  MessageBoxFunction Boxes() {
    return [this](HWND, const wchar_t* text, const wchar_t* caption, UINT) {
      boxes_.push_back(std::wstring(caption) + L": " + text);
      return IDOK;
    };
  }

  Win32Registry system_{HKEY_CURRENT_USER};
  std::wstring file_ = wine_test::ProgramFolder() + L"\\" + wine_test::UniqueName(L"r") + L".reg";
  std::vector<std::wstring> boxes_;
};

TEST_F(RegFileTest, ExportWritesWhatWriteRegTextMakesAndTheRegistryEditorImportsItBack) {
  FillTree(system_);
  MemoryRegistry memory;
  FillTree(memory);
  for (const bool recurse : {false, true}) {  // the recursive file is imported below
    SCOPED_TRACE(recurse);
    ASSERT_TRUE(ExportRegKey(file_, HKEY_CURRENT_USER, kRoot, recurse, true, Boxes()));
    EXPECT_EQ(WriteRegText(memory, "HKEY_CURRENT_USER", kRoot, recurse, true),
              ReadFileBytes(file_));
  }
  const std::vector<std::string> exported = DumpTree(system_, kRoot);
  // The import deletes what is not in the file and restores what is.
  ASSERT_TRUE(system_.DeleteKey(std::string(kRoot) + "\\alpha"));
  ASSERT_TRUE(system_.WriteString(kRoot, "c_escapes", "changed"));
  ASSERT_TRUE(system_.WriteString(std::string(kRoot) + "\\Stale", "v", "stale"));
  ASSERT_TRUE(fixtures::ImportWithRegedit(file_));
  EXPECT_EQ(exported, DumpTree(system_, kRoot));
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(RegFileTest, AKeyThatCannotBeOpenedLeavesAnEmptyFileAndSaysSo) {
  std::ofstream(std::filesystem::path(file_), std::ios::binary) << "an older file";
  EXPECT_FALSE(
      ExportRegKey(file_, HKEY_CURRENT_USER, "Software\\Quillon\\Missing", true, true, Boxes()));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(file_.c_str()));
  EXPECT_EQ("", ReadFileBytes(file_));
  EXPECT_EQ(std::vector<std::wstring>{L"Reg save error: Can't open registry key"}, boxes_);
  EXPECT_FALSE(ExportRegKey(file_ + L"\\x.reg", HKEY_CURRENT_USER, kRoot, true, true, Boxes()));
}

TEST_F(RegFileTest, AProfileSavedAgainBesideOtherProfilesLoadsBackWhole) {
  BuildCatalogue(system_);
  TActionsList list;
  ActionTree tree;
  fixtures::FillGoldenProfile(list, tree);
  // Profiles whose names sort around the saved one and around its transient keys.
  ASSERT_TRUE(system_.CreateKey("Software\\Quillon\\Tavion\\Keys\\Apps"));
  ASSERT_TRUE(system_.CreateKey("Software\\Quillon\\Tavion\\Keys\\~zz"));
  SaveActionsOptions options;
  options.currentProfile = "Default";
  ASSERT_TRUE(SaveActions(list, tree, system_, kCurrentProfileMark, options));
  const std::vector<std::string> saved = DumpTree(system_, fixtures::kGoldenProfilePath);
  for (int round = 0; round < 2; ++round) {
    list.Modified = true;
    ASSERT_TRUE(SaveActions(list, tree, system_, kCurrentProfileMark, options)) << round;
  }
  EXPECT_EQ((std::vector<std::string>{"Apps", "Default", "~zz"}),
            system_.SubKeyNames("Software\\Quillon\\Tavion\\Keys"));
  EXPECT_EQ(saved, DumpTree(system_, fixtures::kGoldenProfilePath));
  TActionsList loaded;
  ActionTree loadedTree;
  LoadActions(loaded, loadedTree, system_, fixtures::kGoldenProfilePath);
  ASSERT_EQ(tree.Count(), loadedTree.Count());
  EXPECT_EQ(2u, loadedTree.ActionByIndex(3)->ActionExecOn().IfWa.WindowCount());
}

}  // namespace
}  // namespace tavion
