#include "settings/registry.h"

#include <gtest/gtest.h>

#include "registry_store_contract.h"

namespace tavion {
namespace {

struct MemoryRegistryFactory {
  static std::unique_ptr<RegistryStore> Make() { return std::make_unique<MemoryRegistry>(); }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, RegistryStoreContract, MemoryRegistryFactory);

TEST(MemoryRegistry, KeepsTheTypeOfEachValue) {
  MemoryRegistry registry;
  registry.WriteString("K", "s", "1");
  registry.WriteInteger("K", "i", 1);
  registry.WriteBinary("K", "b", std::vector<uint8_t>{1});
  EXPECT_EQ(MemoryRegistry::ValueType::kString, registry.TypeOf("k", "S"));
  EXPECT_EQ(MemoryRegistry::ValueType::kInteger, registry.TypeOf("K", "i"));
  EXPECT_EQ(MemoryRegistry::ValueType::kBinary, registry.TypeOf("K", "b"));
  EXPECT_EQ(std::nullopt, registry.TypeOf("K", "x"));
  EXPECT_EQ(std::nullopt, registry.TypeOf("X", "s"));
  registry.WriteInteger("K", "s", 2);
  EXPECT_EQ(MemoryRegistry::ValueType::kInteger, registry.TypeOf("K", "s"));
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

}  // namespace
}  // namespace tavion
