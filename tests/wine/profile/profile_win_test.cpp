#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "actions/actions_registry.h"
#include "base/handles_win.h"
#include "actions/catalogue.h"
#include "fixtures/golden_profile.h"
#include "fixtures/regedit_import_win.h"
#include "settings/reg_export_win.h"
#include "settings/reg_file.h"
#include "settings/registry_win.h"

namespace tavion {
namespace {

using fixtures::kGoldenProfilePath;

// The golden text with the value lines of every key sorted by name, ignoring case: the order in
// which Wine's registry enumerates values (Windows keeps creation order).
std::string WithValuesSortedByName(const std::string& text) {
  std::istringstream lines(text);
  std::string result, line;
  std::vector<std::string> values;
  const auto flush = [&] {
    std::stable_sort(values.begin(), values.end(), [](const std::string& a, const std::string& b) {
      const std::string nameA = a.substr(0, a.find('=')), nameB = b.substr(0, b.find('='));
      return RegistryNameLess(nameA, nameB);
    });
    for (const std::string& value : values) result += value + "\n";
    values.clear();
  };
  while (std::getline(lines, line)) {
    if (line.starts_with("\"")) {
      values.push_back(line);
    } else {
      flush();
      result += line + "\n";
    }
  }
  flush();
  return result;
}

std::string ReadFileBytes(const std::wstring& file) {
  const UniqueFileHandle handle(
      CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  std::string bytes;
  char chunk[4096];
  DWORD read = 0;
  while (handle && ReadFile(handle.get(), chunk, sizeof chunk, &read, nullptr) && read > 0) {
    bytes.append(chunk, read);
  }
  return bytes;
}

struct Snapshot {
  std::string name, code, parameters;
  int depth;
  uint32_t hotKey;
  friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

// What a user would see of each action, with the parameters as their registry text.
std::vector<Snapshot> SnapshotOf(const ActionTree& tree) {
  std::vector<Snapshot> result;
  for (std::size_t i = 0; i < tree.Count(); ++i) {
    TAction* action = tree.ActionByIndex(i);
    MemoryRegistry params;
    if (action->ActionParams()) WriteObject(*action->ActionParams(), params, "", "p", false);
    result.push_back({action->Name(), action->Exec(),
                      WriteRegText(params, "", "p", true, false).value_or(""),
                      tree.NodeAt(i)->depth, action->Key0().HKey()});
  }
  return result;
}

class ProfileOnTheRegistry : public testing::Test {
 protected:
  void SetUp() override {
    BuildCatalogue(system_);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    file_ = std::wstring(temp) + L"tavion-profile-test.reg";
    DeleteFileW(file_.c_str());
    fixtures::FillGoldenProfile(list_, tree_);
    SaveActionsOptions options;
    options.currentProfile = "Default";
    ASSERT_TRUE(SaveActions(list_, tree_, system_, kCurrentProfileMark, options));
  }
  void TearDown() override { DeleteFileW(file_.c_str()); }

  Win32Registry system_{HKEY_CURRENT_USER};
  TActionsList list_;
  ActionTree tree_;
  std::wstring file_;
};

TEST_F(ProfileOnTheRegistry, ExportsTheGoldenFile) {
  const std::string golden = fixtures::GoldenProfileRegText();
  const std::string exported =
      WriteRegText(system_, "HKEY_CURRENT_USER", kGoldenProfilePath, true, false).value_or("");
  EXPECT_TRUE(exported == fixtures::AsRegFileBytes(golden) ||
              exported == fixtures::AsRegFileBytes(WithValuesSortedByName(golden)))
      << "the registry's export differs from the golden file in more than the value order";

  ASSERT_TRUE(ExportRegKey(file_, HKEY_CURRENT_USER, kGoldenProfilePath, true, false));
  EXPECT_EQ(exported, ReadFileBytes(file_));
}

TEST_F(ProfileOnTheRegistry, TheRegistryEditorImportsItBackForLoadActions) {
  ASSERT_TRUE(ExportRegKey(file_, HKEY_CURRENT_USER, kGoldenProfilePath, true, false));
  ASSERT_TRUE(system_.DeleteKey("Software\\Quillon"));
  ASSERT_FALSE(system_.KeyExists(kGoldenProfilePath));

  ASSERT_TRUE(fixtures::ImportWithRegedit(file_)) << "regedit did not run to its end";
  TActionsList loaded;
  ActionTree loadedTree;
  LoadActions(loaded, loadedTree, system_, kGoldenProfilePath);
  EXPECT_EQ(SnapshotOf(tree_), SnapshotOf(loadedTree));
  ASSERT_EQ(5u, loadedTree.Count());
  EXPECT_TRUE(loadedTree.ActionByIndex(4)->ActionExecOn().Nevr);
  EXPECT_EQ(2u, loadedTree.ActionByIndex(3)->ActionExecOn().IfWa.WindowCount());
}

TEST_F(ProfileOnTheRegistry, SavingAgainReplacesTheProfileBesideOtherProfiles) {
  // Profiles whose names sort around the saved one and around its transient keys.
  ASSERT_TRUE(system_.CreateKey("Software\\Quillon\\Tavion\\Keys\\Apps"));
  ASSERT_TRUE(system_.CreateKey("Software\\Quillon\\Tavion\\Keys\\~zz"));
  SaveActionsOptions options;
  options.currentProfile = "Default";
  for (int round = 0; round < 3; ++round) {
    list_.Modified = true;
    ASSERT_TRUE(SaveActions(list_, tree_, system_, kCurrentProfileMark, options)) << round;
  }
  EXPECT_EQ((std::vector<std::string>{"Apps", "Default", "~zz"}),
            system_.SubKeyNames("Software\\Quillon\\Tavion\\Keys"));
  TActionsList loaded;
  ActionTree loadedTree;
  LoadActions(loaded, loadedTree, system_, kGoldenProfilePath);
  EXPECT_EQ(SnapshotOf(tree_), SnapshotOf(loadedTree));
}

}  // namespace
}  // namespace tavion
