// Times a profile save through ProfileSaver on the real registry (Wine's here): the time the
// calling thread is held by the request (the snapshot), the time until the profile is written
// (Flush), a request made while another save is being written, and SaveActions for comparison.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "actions/actions_registry.h"
#include "actions/persistent.h"
#include "actions/profile_saver.h"
#include "profile_fixture.h"
#include "settings/registry_win.h"

namespace {

constexpr char kBenchRoot[] = "Software\\Quillon\\TavionBench";
constexpr char kBenchKeys[] = "Software\\Quillon\\TavionBench\\Keys";
constexpr char kBenchProfile[] = "Software\\Quillon\\TavionBench\\Keys\\Default";

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int actions = argc > 1 ? std::max(1, _wtoi(argv[1])) : 1000;
  const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 5;

  tavion::Win32Registry registry(HKEY_CURRENT_USER);
  tavion::Win32Registry workerRegistry(HKEY_CURRENT_USER);
  tavion::SavedProfile profile(registry, actions, kBenchKeys);
  auto& [list, tree, options] = profile;

  std::vector<double> held, written, heldWhileWriting, direct, oneAction;
  tavion::ProfileSaver saver(workerRegistry, [] { std::fprintf(stderr, "save failed\n"); });
  const auto throughSaver = [&] {
    list.Modified = true;
    const auto t0 = Clock::now();
    tavion::SaveActionsLater(list, tree, saver, tavion::kCurrentProfileMark, options);
    const auto t1 = Clock::now();
    saver.Flush();
    held.push_back(Milliseconds(t0, t1));
    written.push_back(Milliseconds(t0, Clock::now()));
  };
  const auto atOnce = [&] {
    list.Modified = true;
    const auto t0 = Clock::now();
    tavion::SaveActions(list, tree, registry, tavion::kCurrentProfileMark, options);
    direct.push_back(Milliseconds(t0, Clock::now()));
  };
  // Taken in turns, so that both see the registry and the machine alike.
  for (int round = 0; round < rounds; ++round) {
    if (round % 2 == 0) {
      throughSaver();
      atOnce();
    } else {
      atOnce();
      throughSaver();
    }
    // What writing only the changed action in place would cost, without the staging.
    const auto t0 = Clock::now();
    tavion::WriteObject(*tree.ActionByIndex(1), registry, kBenchProfile, "001", /*load=*/false);
    oneAction.push_back(Milliseconds(t0, Clock::now()));
  }
  for (int round = 0; round < rounds; ++round) {
    list.Modified = true;
    tavion::SaveActionsLater(list, tree, saver, tavion::kCurrentProfileMark, options);
    // The user edits on while the worker writes: the registry server is busy with its calls.
    Sleep(100);
    list.Modified = true;
    const auto t0 = Clock::now();
    tavion::SaveActionsLater(list, tree, saver, tavion::kCurrentProfileMark, options);
    heldWhileWriting.push_back(Milliseconds(t0, Clock::now()));
    saver.Flush();
  }
  if (!saver.TakeFailures().empty()) return 1;
  tavion::TActionsList loaded;
  tavion::ActionTree loadedTree;
  tavion::LoadActions(loaded, loadedTree, registry, kBenchProfile);
  if (loadedTree.Count() != tree.Count()) {
    std::fprintf(stderr, "loaded %zu of %zu actions\n", loadedTree.Count(), tree.Count());
    return 1;
  }
  registry.DeleteKey(kBenchRoot);

  std::printf("Profile of %d actions saved on the registry, %d rounds (median)\n", actions, rounds);
  std::printf(
      "  through the saver: caller held %7.1f ms (%.1f ms while a save is written),"
      " written after %8.1f ms\n",
      Median(held), Median(heldWhileWriting), Median(written));
  std::printf("  SaveActions:       caller held %7.1f ms\n", Median(direct));
  std::printf("  one action's key written in place: %.1f ms\n", Median(oneAction));
  return 0;
}
