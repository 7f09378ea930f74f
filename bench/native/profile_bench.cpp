// Load and save of a 1,000-action profile through the property walker, in memory.
#include <benchmark/benchmark.h>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "actions/actions_registry.h"
#include "profile_fixture.h"
#include "settings/registry.h"

namespace tavion {
namespace {

constexpr std::string_view kProfile = "Software\\Quillon\\Tavion\\Keys\\Default";

void BM_SaveAndLoadProfile(benchmark::State& state) {
  MemoryRegistry catalogueStore;
  SavedProfile profile(catalogueStore, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    MemoryRegistry store;
    profile.list.Modified = true;
    SaveActions(profile.list, profile.tree, store, kCurrentProfileMark, profile.options);
    TActionsList loaded;
    ActionTree loadedTree;
    LoadActions(loaded, loadedTree, store, kProfile);
    benchmark::DoNotOptimize(loaded.Count());
  }
}
BENCHMARK(BM_SaveAndLoadProfile)->Arg(1000)->Unit(benchmark::kMillisecond);

// What a save costs the user-interface thread: the snapshot the profile saver writes.
void BM_ProfileSnapshot(benchmark::State& state) {
  MemoryRegistry catalogueStore;
  SavedProfile profile(catalogueStore, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        TakeProfileSnapshot(profile.tree, kCurrentProfileMark, profile.options));
  }
}
BENCHMARK(BM_ProfileSnapshot)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavion
