#include "base/version_text.h"

#include <algorithm>
#include <cstdio>

namespace tavion {

std::string FullVersionText(uint32_t major, uint32_t minor, uint32_t release, uint32_t build) {
  char text[48];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", major, minor, release, build);
  return text;
}

std::string CutVersionText(std::string_view version) {
  std::string result(version);
  // Each pass removes one trailing ".0"; the dot count keeps "major.minor" at least.
  while (result.size() >= 2 && result.ends_with(".0") &&
         std::count(result.begin(), result.end(), '.') > 1) {
    result.resize(result.size() - 2);
  }
  return result;
}

}  // namespace tavion
