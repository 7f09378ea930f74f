// ExportRegKey against Wine's registry: the same bytes as WriteRegText of an in-memory tree, the
// "Reg save error" path, and the file imported back by the registry editor.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/handles_win.h"
#include "fixtures/regedit_import_win.h"
#include "settings/reg_export_win.h"
#include "settings/reg_file.h"
#include "settings/registry_win.h"

namespace tavion {
namespace {

constexpr const char* kTree = "Software\\Quillon\\Test\\Tree";
constexpr DWORD kRegeditTimeoutMs = 60000;

// Wine lists values sorted by name, the memory tree in creation order: every key gets its values
// in name order, so that both list them alike. Sub-key names include characters that Wine and
// Windows sort differently ("_" lies between upper and lower case letters).
void FillTree(RegistryStore& store, const std::string& top) {
  std::vector<uint8_t> bytes(60);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(255 - i);
  store.WriteString(top, "", "default value");
  store.WriteBinary(top, "a_binary", bytes);
  store.WriteInteger(top, "b_dword", 0xDEADBEEF);
  store.WriteString(top, "c_escapes", "x\"y\\z");
  store.WriteString(top, "d_unicode", "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC \xF0\x9F\x8E\xB9");
  store.WriteBinary(top, "e_empty", {});
  store.WriteString(top + "\\_under", "v", "1");
  store.WriteString(top + "\\alpha\\Deep\\Deeper", "v", "2");
  store.CreateKey(top + "\\Beta");
  store.WriteInteger(top + "\\beta-1", "zero", 0);
  store.WriteString(top + "\\Zed", "", "");
}

std::wstring TempFile(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH, folder);
  EXPECT_GT(length, 0u);
  return std::wstring(folder, length) + name;
}

std::string ReadFileBytes(const std::wstring& fileName) {
  std::ifstream file(std::filesystem::path(fileName), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct BoxCall {
  std::wstring text;
  std::wstring caption;
  UINT type;
};

// A message box that records instead of showing.
class RecordedBoxes {
 public:
  MessageBoxFunction Function() {
    return [this](HWND, const wchar_t* text, const wchar_t* caption, UINT type) {
      calls.push_back({text, caption, type});
      return IDOK;
    };
  }
  std::vector<BoxCall> calls;
};

class ExportRegKeyTest : public testing::Test {
 protected:
  void TearDown() override { DeleteFileW(file_.c_str()); }
  std::wstring file_ = TempFile(L"tavion_regfile_test.reg");
  RecordedBoxes boxes_;
};

TEST_F(ExportRegKeyTest, WritesWhatWriteRegTextMakesOfTheSameTree) {
  Win32Registry system(HKEY_CURRENT_USER);
  FillTree(system, kTree);
  MemoryRegistry memory;
  FillTree(memory, kTree);
  {
    // A value kind that no registry file of ours holds, on both sides.
    const UniqueHKey key = [] {
      UniqueHKey opened;
      RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Quillon\\Test\\Tree", 0, KEY_SET_VALUE,
                    opened.put());
      return opened;
    }();
    ASSERT_TRUE(key);
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.get(), L"f_expand", 0, REG_EXPAND_SZ,
                                            reinterpret_cast<const BYTE*>(L"%x%"), 8));
    memory.WriteOther(kTree, "f_expand", std::vector<uint8_t>{'%', 0, 'x', 0, '%', 0, 0, 0});
  }
  for (const bool recurse : {true, false}) {
    for (const bool deleteFirst : {true, false}) {
      SCOPED_TRACE(testing::Message() << "recurse " << recurse << ", delete first " << deleteFirst);
      ASSERT_TRUE(
          ExportRegKey(file_, HKEY_CURRENT_USER, kTree, recurse, deleteFirst, boxes_.Function()));
      const std::optional<std::string> expected =
          WriteRegText(memory, "HKEY_CURRENT_USER", kTree, recurse, deleteFirst);
      ASSERT_TRUE(expected);
      EXPECT_EQ(*expected, ReadFileBytes(file_));
    }
  }
  EXPECT_TRUE(boxes_.calls.empty());
}

TEST_F(ExportRegKeyTest, AKeyThatCannotBeOpenedLeavesAnEmptyFileAndSaysSo) {
  {
    std::ofstream old(std::filesystem::path(file_), std::ios::binary);
    old << "an older file";
  }
  EXPECT_FALSE(ExportRegKey(file_, HKEY_CURRENT_USER, "Software\\Quillon\\Test\\Missing",
                            /*recurse=*/true, /*deleteFirst=*/true, boxes_.Function()));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(file_.c_str())) << "the file exists";
  EXPECT_EQ("", ReadFileBytes(file_));
  ASSERT_EQ(1u, boxes_.calls.size());
  EXPECT_EQ(L"Can't open registry key", boxes_.calls[0].text);
  EXPECT_EQ(L"Reg save error", boxes_.calls[0].caption);
  EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), boxes_.calls[0].type & MB_ICONMASK);
}

TEST_F(ExportRegKeyTest, AFileThatCannotBeCreatedFailsQuietly) {
  Win32Registry system(HKEY_CURRENT_USER);
  FillTree(system, kTree);
  EXPECT_FALSE(ExportRegKey(TempFile(L"no such folder\\x.reg"), HKEY_CURRENT_USER, kTree, true,
                            true, boxes_.Function()));
  EXPECT_TRUE(boxes_.calls.empty());
}

TEST_F(ExportRegKeyTest, TheRegistryEditorImportsTheFileBackWhole) {
  Win32Registry system(HKEY_CURRENT_USER);
  FillTree(system, kTree);
  ASSERT_TRUE(ExportRegKey(file_, HKEY_CURRENT_USER, kTree, true, true, boxes_.Function()));
  const std::string exported = ReadFileBytes(file_);

  // The import must delete what is not in the file and restore what is.
  ASSERT_TRUE(system.DeleteKey(std::string(kTree) + "\\alpha"));
  ASSERT_TRUE(system.WriteString(kTree, "c_escapes", "changed"));
  ASSERT_TRUE(system.WriteString(std::string(kTree) + "\\Stale", "v", "stale"));
  ASSERT_TRUE(fixtures::ImportWithRegedit(file_, kRegeditTimeoutMs))
      << "regedit did not end in time";

  EXPECT_FALSE(system.KeyExists(std::string(kTree) + "\\Stale"));
  EXPECT_EQ("x\"y\\z", system.ReadString(kTree, "c_escapes"));
  ASSERT_TRUE(ExportRegKey(file_, HKEY_CURRENT_USER, kTree, true, true, boxes_.Function()));
  EXPECT_EQ(exported, ReadFileBytes(file_));
}

}  // namespace
}  // namespace tavion
