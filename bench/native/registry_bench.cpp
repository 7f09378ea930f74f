// Registry files of a profile-sized tree: per action one key with a few values and two sub-keys,
// ~9,000 keys for 3,000 actions (argument: actions). WriteRegText makes the settings backup;
// ParseRegText reads such a file without the registry editor.
#include <benchmark/benchmark.h>

#include <string>

#include "settings/reg_file.h"

namespace tavion {
namespace {

constexpr const char* kTop = "Software\\Quillon\\Tavion";

void FillProfile(MemoryRegistry& store, int actions) {
  for (int i = 0; i < actions; ++i) {
    const std::string action = std::string(kTop) + "\\Keys\\Default\\" + std::to_string(i);
    store.WriteString(action, "Name", "Action number " + std::to_string(i));
    store.WriteString(action, "Exec", "srun");
    store.WriteInteger(action, "Levl", static_cast<uint32_t>(i % 4));
    store.WriteInteger(action + "\\Key0", "HKey", 0x00410203u + static_cast<uint32_t>(i));
    store.WriteBinary(action + "\\Key0", "KeyPolyglot", std::vector<uint8_t>(40, 0x5A));
    store.WriteString(action + "\\ActionParams", "Path", "C:\\Program Files\\Example\\x.exe");
    store.WriteString(action + "\\ActionParams", "Param", "/quoted \"argument\"");
  }
}

void BM_WriteRegText(benchmark::State& state) {
  MemoryRegistry store;
  FillProfile(store, static_cast<int>(state.range(0)));
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::optional<std::string> file =
        WriteRegText(store, "HKEY_CURRENT_USER", kTop, true, true);
    if (!file) state.SkipWithError("no file");
    bytes = file ? file->size() : 0;
    benchmark::DoNotOptimize(file);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_WriteRegText)->Arg(300)->Arg(3000)->Unit(benchmark::kMillisecond);

void BM_ParseRegText(benchmark::State& state) {
  MemoryRegistry source;
  FillProfile(source, static_cast<int>(state.range(0)));
  const std::string file = WriteRegText(source, "HKEY_CURRENT_USER", kTop, true, true).value_or("");
  const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(file.data()), file.size());
  for (auto _ : state) {
    MemoryRegistry parsed;
    if (!ParseRegText(bytes, parsed)) state.SkipWithError("the file did not parse");
    benchmark::DoNotOptimize(parsed);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ParseRegText)->Arg(300)->Arg(3000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tavion
