#include "doubles/failing_registry.h"

#include <gtest/gtest.h>

#include <functional>

#include "registry_store_contract.h"

namespace tavion {
namespace {

// The inner store is a base so that it is built before the double that refers to it.
struct InnerMemory {
  MemoryRegistry inner;
};

class OwningFailingRegistry : private InnerMemory, public FailingRegistry {
 public:
  OwningFailingRegistry() : FailingRegistry(inner) {}
};

// With no limit the double is a faithful store.
struct FailingRegistryFactory {
  static std::unique_ptr<RegistryStore> Make() { return std::make_unique<OwningFailingRegistry>(); }
};

INSTANTIATE_TYPED_TEST_SUITE_P(FailingNever, RegistryStoreContract, FailingRegistryFactory);

struct Step {
  const char* what;
  std::function<bool(RegistryStore&)> run;
  // Holds in the inner store exactly when the step was carried out.
  std::function<bool(const RegistryStore&)> done;
};

const std::vector<Step>& Steps() {
  static const std::vector<Step> steps = {
      {"create", [](RegistryStore& r) { return r.CreateKey("A\\B"); },
       [](const RegistryStore& r) { return r.KeyExists("A\\B"); }},
      {"string", [](RegistryStore& r) { return r.WriteString("A", "s", "x"); },
       [](const RegistryStore& r) { return r.ValueExists("A", "s"); }},
      {"integer", [](RegistryStore& r) { return r.WriteInteger("A", "i", 1); },
       [](const RegistryStore& r) { return r.ValueExists("A", "i"); }},
      {"binary", [](RegistryStore& r) { return r.WriteBinary("A", "b", std::vector<uint8_t>{1}); },
       [](const RegistryStore& r) { return r.ValueExists("A", "b"); }},
      {"delete value", [](RegistryStore& r) { return r.DeleteValue("Old", "gone"); },
       [](const RegistryStore& r) { return !r.ValueExists("Old", "gone"); }},
      {"rename", [](RegistryStore& r) { return r.RenameKey("Old", "Renamed"); },
       [](const RegistryStore& r) { return r.KeyExists("Renamed"); }},
      {"delete key", [](RegistryStore& r) { return r.DeleteKey("Doomed"); },
       [](const RegistryStore& r) { return !r.KeyExists("Doomed"); }},
  };
  return steps;
}

void Prepare(MemoryRegistry& inner) {
  inner.WriteString("Old", "gone", "1");
  inner.CreateKey("Doomed");
}

TEST(FailingRegistry, EveryMutatingCallFromTheNthOnFailsAndChangesNothing) {
  const std::size_t count = Steps().size();
  for (std::size_t failFrom = 1; failFrom <= count + 1; ++failFrom) {
    SCOPED_TRACE("fail from step " + std::to_string(failFrom));
    MemoryRegistry inner;
    Prepare(inner);
    FailingRegistry store(inner, failFrom);
    for (std::size_t i = 0; i < count; ++i) {
      const Step& step = Steps()[i];
      const bool allowed = i + 1 < failFrom;
      EXPECT_EQ(allowed, step.run(store)) << step.what;
      EXPECT_EQ(allowed, step.done(inner)) << step.what;
    }
    EXPECT_EQ(count, store.MutatingCalls());
    EXPECT_EQ(failFrom <= count, store.Failed());
  }
}

TEST(FailingRegistry, ReadsPassAfterTheFailure) {
  MemoryRegistry inner;
  inner.WriteString("K", "s", "text");
  inner.WriteInteger("K", "i", 5);
  inner.WriteBinary("K", "b", std::vector<uint8_t>{1, 2});
  FailingRegistry store(inner, 1);
  EXPECT_FALSE(store.WriteString("K", "s", "other"));
  EXPECT_TRUE(store.Failed());
  EXPECT_EQ("text", store.ReadString("K", "s"));
  EXPECT_EQ(std::nullopt, store.ReadString("K", "s", 3)) << "the bound reaches the inner store";
  EXPECT_EQ(5u, store.ReadInteger("K", "i"));
  EXPECT_EQ((std::vector<uint8_t>{1, 2}), store.ReadBinary("K", "b"));
  EXPECT_EQ(std::nullopt, store.ReadBinary("K", "b", 1));
  EXPECT_EQ(RegistryValueType::kInteger, store.TypeOf("K", "i"));
  EXPECT_EQ((std::vector<std::string>{"s", "i", "b"}), store.ValueNames("K"));
  EXPECT_EQ(1u, store.MutatingCalls()) << "reads are not counted";
}

TEST(FailingRegistry, TheLimitCanBeMovedLater) {
  MemoryRegistry inner;
  FailingRegistry store(inner);
  EXPECT_TRUE(store.CreateKey("A"));
  store.FailFrom(2);
  EXPECT_FALSE(store.CreateKey("B"));
  store.FailFrom(FailingRegistry::kNever);
  EXPECT_TRUE(store.CreateKey("C"));
  EXPECT_TRUE(store.Failed()) << "a failure is remembered";
  EXPECT_EQ((std::vector<std::string>{"A", "C"}), inner.SubKeyNames(""));
  EXPECT_EQ(3u, store.MutatingCalls());
}

}  // namespace
}  // namespace tavion
