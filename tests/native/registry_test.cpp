#include "settings/registry.h"

#include <gtest/gtest.h>

#include "registry_store_contract.h"

namespace tavion {
namespace {

struct MemoryRegistryFactory {
  static std::unique_ptr<RegistryStore> Make() { return std::make_unique<MemoryRegistry>(); }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, RegistryStoreContract, MemoryRegistryFactory);

// The memory store behaves as Windows does where Wine differs, and keeps foreign types.
TEST(MemoryRegistry, EnumeratesAsWindowsAndListsForeignValuesWithoutReadingThem) {
  MemoryRegistry registry;
  for (const char* name : {"zeta", "Alpha", "002", "mid"}) registry.WriteInteger("K", name, 1);
  registry.WriteString("K", "ALPHA", "replaced in place");
  registry.DeleteValue("K", "002");
  registry.WriteInteger("K", "002", 2);
  ASSERT_TRUE(registry.RenameKey("K", "Renamed"));
  EXPECT_EQ((std::vector<std::string>{"zeta", "Alpha", "mid", "002"}),
            registry.ValueNames("Renamed"));
  for (const char* name : {"_under", "Zed", "alpha", "[x"})
    registry.CreateKey(std::string("Renamed\\") + name);
  EXPECT_EQ((std::vector<std::string>{"alpha", "Zed", "[x", "_under"}),
            registry.SubKeyNames("Renamed"));

  const std::vector<uint8_t> bytes = {'a', 0, 0, 0};
  ASSERT_TRUE(registry.WriteOther("K", "expand", bytes));
  EXPECT_EQ(RegistryValueType::kOther, registry.TypeOf("K", "EXPAND"));
  EXPECT_EQ(std::vector<std::string>{"expand"}, registry.ValueNames("K"));
  EXPECT_EQ(std::nullopt, registry.ReadString("K", "expand"));
  EXPECT_EQ(std::nullopt, registry.ReadInteger("K", "expand"));
  EXPECT_EQ(std::nullopt, registry.ReadBinary("K", "expand"));
}

TEST(RegistryPath, SplitsAndJoinsOnSingleBackslashes) {
  using Parts = std::vector<std::string_view>;
  EXPECT_EQ((Parts{"a", "b/c"}), SplitRegistryPath("\\\\a\\\\b/c\\"));
  EXPECT_EQ(Parts{}, SplitRegistryPath("\\\\"));
  EXPECT_EQ("Software\\Quillon\\Tavion", JoinRegistryPath("\\Software\\\\Quillon\\", "Tavion\\"));
  EXPECT_EQ("Keys", JoinRegistryPath("", "\\Keys"));
  EXPECT_EQ("", JoinRegistryPath("\\", ""));
}

}  // namespace
}  // namespace tavion
