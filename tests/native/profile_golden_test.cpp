// The registry form of a profile, byte for byte, through the walker and the registry file writer.
#include <gtest/gtest.h>

#include <string>

#include "actions/actions_registry.h"
#include "actions/catalogue.h"
#include "fixtures/golden_profile.h"
#include "settings/reg_file.h"
#include "settings/registry.h"

namespace tavion {
namespace {

using fixtures::kGoldenProfilePath;

SaveActionsOptions CurrentIsDefault() {
  SaveActionsOptions options;
  options.currentProfile = "Default";
  return options;
}

// Saves the golden profile into `store` as the current profile.
void SaveGolden(RegistryStore& store) {
  TActionsList list;
  ActionTree tree;
  fixtures::FillGoldenProfile(list, tree);
  ASSERT_TRUE(SaveActions(list, tree, store, kCurrentProfileMark, CurrentIsDefault()));
}

std::string Export(const RegistryStore& store) {
  return WriteRegText(store, "HKEY_CURRENT_USER", kGoldenProfilePath, /*recurse=*/true,
                      /*deleteFirst=*/false)
      .value_or("<no key>");
}

TEST(ProfileGolden, SavedProfileExportsExactlyTheExpectedFile) {
  MemoryRegistry store;
  SaveGolden(store);
  EXPECT_EQ(fixtures::AsRegFileBytes(fixtures::GoldenProfileRegText()), Export(store));
}

TEST(ProfileGolden, LoadingAndSavingAgainChangesNothing) {
  MemoryRegistry first;
  BuildCatalogue(first);
  SaveGolden(first);

  TActionsList loaded;
  ActionTree loadedTree;
  LoadActions(loaded, loadedTree, first, kGoldenProfilePath);
  ASSERT_EQ(5u, loadedTree.Count());
  const auto* sexec = loadedTree.ActionByIndex(1)->ParamsAs<TActionParamsSExec>();
  ASSERT_NE(nullptr, sexec);
  EXPECT_EQ("first line\r\nsecond line", sexec->Parm);

  MemoryRegistry second;
  loaded.Modified = true;
  ASSERT_TRUE(SaveActions(loaded, loadedTree, second, kCurrentProfileMark, CurrentIsDefault()));
  EXPECT_EQ(Export(first), Export(second));
}

TEST(ProfileGolden, TheExportedFileImportsBackIntoTheSameProfile) {
  MemoryRegistry store;
  BuildCatalogue(store);
  SaveGolden(store);
  const std::string file = Export(store);

  MemoryRegistry imported;
  std::string error;
  ASSERT_TRUE(
      ParseRegText({reinterpret_cast<const uint8_t*>(file.data()), file.size()}, imported, &error))
      << error;
  TActionsList loaded;
  ActionTree loadedTree;
  LoadActions(loaded, loadedTree, imported,
              "HKEY_CURRENT_USER\\" + std::string(kGoldenProfilePath));
  MemoryRegistry resaved;
  loaded.Modified = true;
  ASSERT_TRUE(SaveActions(loaded, loadedTree, resaved, kCurrentProfileMark, CurrentIsDefault()));
  EXPECT_EQ(file, Export(resaved));
}

}  // namespace
}  // namespace tavion
