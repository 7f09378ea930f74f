#include "settings/registry.h"

#include "registry_store_contract.h"

namespace tavion {
namespace {

struct MemoryRegistryFactory {
  static std::unique_ptr<RegistryStore> Make() { return std::make_unique<MemoryRegistry>(); }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, RegistryStoreContract, MemoryRegistryFactory);

}  // namespace
}  // namespace tavion
