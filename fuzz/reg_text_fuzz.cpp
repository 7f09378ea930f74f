// ParseRegText on any bytes: a result with a message, never a crash. A tree it accepts is written
// by WriteRegText into a file that parses back to the same file again, unless a value name holds
// what the file writes unescaped (quotes, backslashes, line ends).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "settings/reg_file.h"

namespace {

using tavion::MemoryRegistry;

bool NamesSurviveTheFile(const MemoryRegistry& tree) {
  std::vector<std::string> pending = tree.SubKeyNames("");
  while (!pending.empty()) {
    const std::string key = std::move(pending.back());
    pending.pop_back();
    for (const std::string& name : tree.ValueNames(key))
      if (name.find_first_of("\"\\\r\n") != std::string::npos) return false;
    for (const std::string& sub : tree.SubKeyNames(key)) pending.push_back(key + "\\" + sub);
  }
  return true;
}

std::span<const uint8_t> AsBytes(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryRegistry parsed;
  std::string error;
  if (!tavion::ParseRegText({data, size}, parsed, &error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  if (!NamesSurviveTheFile(parsed)) return 0;
  for (const std::string& root : parsed.SubKeyNames("")) {
    const std::optional<std::string> first = tavion::WriteRegText(parsed, "", root, true, true);
    if (!first) std::abort();
    MemoryRegistry again;
    if (!tavion::ParseRegText(AsBytes(*first), again, &error)) std::abort();
    if (tavion::WriteRegText(again, "", root, true, true) != first) std::abort();
  }
  return 0;
}
