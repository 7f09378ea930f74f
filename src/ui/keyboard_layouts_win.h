#pragma once
// The keyboard layouts installed for the user, as the editors offer them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tavion {

struct KeyboardLayoutEntry {
  uint32_t handle = 0;  // the layout's handle as stored (its low 32 bits)
  std::wstring name;    // the system's name of the layout's language
};

// The installed layouts in the system's order, at most `limit` of them.
std::vector<KeyboardLayoutEntry> InstalledKeyboardLayouts(std::size_t limit = 40);

}  // namespace tavion
