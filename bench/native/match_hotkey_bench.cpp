// Cost of one MatchHotKey call: the key handler makes one per candidate action and key event.
#include <benchmark/benchmark.h>

#include <array>

#include "keys/hotkey.h"

namespace tavion {
namespace {

using Events = std::array<KeyEventRecord, 4>;

// MatchHotKey of `hkey` over a few events that all give `expected`, so that neither the record
// nor the event is a constant the compiler could fold. Argument: full key comparison off or on.
void BM_MatchHotKey(benchmark::State& state, uint32_t hkey, Events events, uint8_t modifiers,
                    bool expected) {
  const TActionHKey record(hkey);
  const bool full = state.range(0) != 0;
  std::size_t i = 0;
  for (auto _ : state) {
    const bool matched = MatchHotKey(&events[i++ & 3], modifiers, record, {}, full);
    if (matched != expected) state.SkipWithError("unexpected result");
    benchmark::DoNotOptimize(matched);
  }
}

BENCHMARK_CAPTURE(BM_MatchHotKey, match_ctrl_a, PackHotKey(65, 0, 0, kModCtrl),
                  Events{{{65, 30, 0}, {65, 30, 1}, {65, 31, 0}, {65, 30, 0}}}, kModCtrl, true)
    ->Arg(0)
    ->Arg(1);
BENCHMARK_CAPTURE(BM_MatchHotKey, match_scan_only_key, PackHotKey(255, 86, 0, kModAlt),
                  Events{{{255, 86, 0}, {255, 86, 0}, {255, 86, 0}, {255, 86, 0}}}, kModAlt, true)
    ->Arg(0)
    ->Arg(1);
BENCHMARK_CAPTURE(BM_MatchHotKey, miss_other_key, PackHotKey(65, 0, 0, kModCtrl),
                  Events{{{66, 48, 0}, {67, 46, 0}, {68, 32, 0}, {69, 18, 0}}}, kModCtrl, false)
    ->Arg(0)
    ->Arg(1);
BENCHMARK_CAPTURE(BM_MatchHotKey, miss_other_modifiers, PackHotKey(65, 0, 0, kModCtrl),
                  Events{{{65, 30, 0}, {65, 30, 0}, {65, 30, 0}, {65, 30, 0}}},
                  kModCtrl | kModShift, false)
    ->Arg(0)
    ->Arg(1);
BENCHMARK_CAPTURE(BM_MatchHotKey, miss_scan_differs, PackHotKey(255, 86, 0, 0),
                  Events{{{255, 87, 0}, {255, 86, 1}, {255, 12, 0}, {255, 99, 1}}}, 0, false)
    ->Arg(0)
    ->Arg(1);

}  // namespace
}  // namespace tavion
