// Cost of mask matching: a window condition matches one mask per window, for each candidate
// action of a key event; hostile masks must stay bounded.
#include <benchmark/benchmark.h>

#include <string>

#include "actions/masks.h"

namespace tavion {
namespace {

void BM_MatchesMask(benchmark::State& state, std::string text, std::string mask, bool expected) {
  for (auto _ : state) {
    const bool matched = MatchesMask(text, mask);
    if (matched != expected) state.SkipWithError("unexpected result");
    benchmark::DoNotOptimize(matched);
  }
}

void BM_PreparedMask(benchmark::State& state, std::string text, std::string mask, bool expected) {
  const std::optional<TMask> prepared = TMask::Create(mask);
  for (auto _ : state) {
    const bool matched = prepared->Matches(text);
    if (matched != expected) state.SkipWithError("unexpected result");
    benchmark::DoNotOptimize(matched);
  }
}

std::string Groups(int count, const std::string& before) {
  std::string mask;
  for (int i = 0; i < count; ++i) mask += before + "%*%";
  return mask;
}

BENCHMARK_CAPTURE(BM_MatchesMask, caption_suffix, "Untitled - Notepad", "%*%notepad", true);
BENCHMARK_CAPTURE(BM_MatchesMask, caption_miss, "Untitled - Notepad2", "%*%notepad", false);
BENCHMARK_CAPTURE(BM_MatchesMask, cyrillic_caption,
                  "\xD0\x91\xD0\xB5\xD0\xB7 \xD0\xB8\xD0\xBC\xD0\xB5\xD0\xBD\xD0\xB8 - "
                  "\xD0\x91\xD0\xBB\xD0\xBE\xD0\xBA\xD0\xBD\xD0\xBE\xD1\x82",
                  "%*%\xD0\xB1\xD0\xBB\xD0\xBE\xD0\xBA\xD0\xBD\xD0\xBE\xD1\x82", true);
BENCHMARK_CAPTURE(BM_PreparedMask, caption_suffix, "Untitled - Notepad", "%*%notepad", true);
// 255 characters: the longest caption a window condition reads.
BENCHMARK_CAPTURE(BM_MatchesMask, hostile_30_groups_255, std::string(255, 'a'),
                  Groups(30, "a") + "b", false);
BENCHMARK_CAPTURE(BM_MatchesMask, hostile_middle_255, std::string(255, 'a'),
                  "%*%" + std::string(100, 'a') + "b%*%", false);
BENCHMARK_CAPTURE(BM_MatchesMask, hostile_middle_4096, std::string(4096, 'a'),
                  "%*%" + std::string(1000, 'a') + "b%*%", false);

}  // namespace
}  // namespace tavion
