// Times SaveActions and LoadActions of a large profile on the real registry (Wine's here).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "actions/actions_registry.h"
#include "profile_fixture.h"
#include "settings/registry_win.h"

namespace {

constexpr char kBenchKeys[] = "Software\\Quillon\\TavionBench\\Keys";
constexpr char kBenchProfile[] = "Software\\Quillon\\TavionBench\\Keys\\Default";

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using Clock = std::chrono::steady_clock;
  const int actions = argc > 1 ? std::max(1, _wtoi(argv[1])) : 1000;
  const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 5;

  tavion::Win32Registry registry(HKEY_CURRENT_USER);
  tavion::SavedProfile profile(registry, actions, kBenchKeys);
  auto& [list, tree, options] = profile;

  std::vector<double> saves, loads;
  for (int round = 0; round < rounds; ++round) {
    list.Modified = true;
    const auto t0 = Clock::now();
    if (!tavion::SaveActions(list, tree, registry, tavion::kCurrentProfileMark, options)) {
      std::fprintf(stderr, "save failed\n");
      return 1;
    }
    const auto t1 = Clock::now();
    tavion::TActionsList loaded;
    tavion::ActionTree loadedTree;
    tavion::LoadActions(loaded, loadedTree, registry, kBenchProfile);
    const auto t2 = Clock::now();
    if (loadedTree.Count() != tree.Count()) {
      std::fprintf(stderr, "loaded %zu of %zu actions\n", loadedTree.Count(), tree.Count());
      return 1;
    }
    saves.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    loads.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
  }
  registry.DeleteKey("Software\\Quillon\\TavionBench");
  std::printf("Profile of %d actions on the registry, %d rounds (median)\n", actions, rounds);
  std::printf("  save %8.1f ms   load %8.1f ms   save + load %8.1f ms\n", Median(saves),
              Median(loads), Median(saves) + Median(loads));
  return 0;
}
