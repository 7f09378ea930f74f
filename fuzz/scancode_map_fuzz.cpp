// "Scancode Map" values as other tools and damaged registries leave them: every value reads
// without a crash, and the rows it gives are written back as a value that reads as the same rows.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "syskeys/scancode_map.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<tavion::KeyReplacement> rows =
      tavion::ParseScancodeMap(std::span<const uint8_t>(data, size));
  if (size >= 17 && rows.size() != (size - 13) / 4) std::abort();  // read by length alone
  const auto bytes = tavion::BuildScancodeMap(rows);
  if (rows.empty() || rows.size() > tavion::kMaxKeyReplacements) {
    if (bytes) std::abort();
    return 0;
  }
  if (!bytes || bytes->size() != 16 + 4 * rows.size() || (*bytes)[8] != rows.size() + 1 ||
      tavion::ParseScancodeMap(*bytes) != rows)
    std::abort();
  return 0;
}
