#pragma once
// Version texts: "major.minor.release.build" and its shortened form.

#include <cstdint>
#include <string>
#include <string_view>

namespace tavion {

// "%d.%d.%d.%d" of the four numbers.
std::string FullVersionText(uint32_t major, uint32_t minor, uint32_t release, uint32_t build);

// Drops trailing ".0" parts of a dotted version text, keeping at least two parts:
// "2.5.0.0" -> "2.5", "2.5.1.0" -> "2.5.1", "3.0.0.0" -> "3.0", "2.5.0.3" unchanged.
// A text with fewer than three parts is returned unchanged.
std::string CutVersionText(std::string_view version);

}  // namespace tavion
