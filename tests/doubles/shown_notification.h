#pragma once
// One call of ShowOSD as a test records it.
#include <cstdint>
#include <ostream>
#include <string>

namespace tavion {

struct Shown {
  std::string text;
  bool checkEnabled = false;
  int iconIndex = 0;
  uint8_t kind = 0;
  friend bool operator==(const Shown&, const Shown&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Shown& shown) {
    return out << '"' << shown.text << "\" " << shown.checkEnabled << " " << shown.iconIndex << " "
               << int(shown.kind);
  }
};

}  // namespace tavion
