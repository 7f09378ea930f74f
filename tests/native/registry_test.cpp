#include "settings/registry.h"

#include <gtest/gtest.h>

#include "registry_store_contract.h"

namespace tavion {
namespace {

struct MemoryRegistryFactory {
  static std::unique_ptr<RegistryStore> Make() { return std::make_unique<MemoryRegistry>(); }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, RegistryStoreContract, MemoryRegistryFactory);

TEST(MemoryRegistry, ForeignValuesAreListedButNotRead) {
  MemoryRegistry registry;
  const std::vector<uint8_t> bytes = {'a', 0, 0, 0};
  ASSERT_TRUE(registry.WriteOther("K", "expand", bytes));
  EXPECT_EQ(RegistryValueType::kOther, registry.TypeOf("K", "EXPAND"));
  EXPECT_TRUE(registry.ValueExists("K", "expand"));
  EXPECT_EQ(std::vector<std::string>{"expand"}, registry.ValueNames("K"));
  EXPECT_EQ(std::nullopt, registry.ReadString("K", "expand"));
  EXPECT_EQ(std::nullopt, registry.ReadInteger("K", "expand"));
  EXPECT_EQ(std::nullopt, registry.ReadBinary("K", "expand"));
  ASSERT_TRUE(registry.WriteBinary("K", "expand", bytes));
  EXPECT_EQ(bytes, registry.ReadBinary("K", "expand"));
}

TEST(MemoryRegistry, RenamedKeysKeepTheirValueOrder) {
  MemoryRegistry registry;
  for (const char* name : {"zeta", "Alpha", "mid"}) registry.WriteInteger("A\\Old", name, 1);
  ASSERT_TRUE(registry.RenameKey("A\\Old", "New"));
  EXPECT_EQ((std::vector<std::string>{"zeta", "Alpha", "mid"}), registry.ValueNames("A\\New"));
}

TEST(MemoryRegistry, ValuesEnumerateInCreationOrderAsOnWindows) {
  MemoryRegistry registry;
  for (const char* name : {"zeta", "Alpha", "002", "001", "mid"})
    registry.WriteInteger("K", name, 1);
  EXPECT_EQ((std::vector<std::string>{"zeta", "Alpha", "002", "001", "mid"}),
            registry.ValueNames("K"));
  registry.WriteString("K", "ALPHA", "replaced in place");
  registry.DeleteValue("K", "002");
  registry.WriteInteger("K", "002", 2);
  EXPECT_EQ((std::vector<std::string>{"zeta", "Alpha", "001", "mid", "002"}),
            registry.ValueNames("K"));
}

TEST(MemoryRegistry, SubKeysSortByUpperCaseAsOnWindows) {
  MemoryRegistry registry;
  for (const char* name : {"_under", "Zed", "alpha", "[x"})
    registry.CreateKey(std::string("K\\") + name);
  EXPECT_EQ((std::vector<std::string>{"alpha", "Zed", "[x", "_under"}), registry.SubKeyNames("K"));
}

TEST(RegistryPath, SplitsOnBackslashesAndDropsEmptyParts) {
  using Parts = std::vector<std::string_view>;
  EXPECT_EQ((Parts{"Software", "Quillon"}), SplitRegistryPath("Software\\Quillon"));
  EXPECT_EQ((Parts{"a", "b"}), SplitRegistryPath("\\\\a\\\\b\\"));
  EXPECT_EQ(Parts{}, SplitRegistryPath(""));
  EXPECT_EQ(Parts{}, SplitRegistryPath("\\\\"));
  EXPECT_EQ((Parts{"a/b"}), SplitRegistryPath("a/b"));
}

TEST(RegistryPath, JoinsWithSingleBackslashes) {
  EXPECT_EQ("Software\\Quillon\\Tavion", JoinRegistryPath("\\Software\\\\Quillon\\", "Tavion\\"));
  EXPECT_EQ("Keys", JoinRegistryPath("", "\\Keys"));
  EXPECT_EQ("Keys", JoinRegistryPath("Keys"));
  EXPECT_EQ("", JoinRegistryPath("\\", ""));
}

}  // namespace
}  // namespace tavion
