// Load and save of a 1,000-action profile through the property walker, in memory.
#include <benchmark/benchmark.h>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "actions/actions_registry.h"
#include "actions/catalogue.h"
#include "profile_fixture.h"
#include "settings/registry.h"

namespace tavion {
namespace {

constexpr std::string_view kProfile = "Software\\Quillon\\Tavion\\Keys\\Default";

void BM_SaveAndLoadProfile(benchmark::State& state) {
  MemoryRegistry catalogueStore;
  BuildCatalogue(catalogueStore);
  TActionsList list;
  ActionTree tree;
  FillProfile(list, tree, static_cast<int>(state.range(0)));
  SaveActionsOptions options;
  options.currentProfile = "Default";
  for (auto _ : state) {
    MemoryRegistry store;
    list.Modified = true;
    SaveActions(list, tree, store, kCurrentProfileMark, options);
    TActionsList loaded;
    ActionTree loadedTree;
    LoadActions(loaded, loadedTree, store, kProfile);
    benchmark::DoNotOptimize(loaded.Count());
  }
}
BENCHMARK(BM_SaveAndLoadProfile)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavion
