#include "ui/keyboard_layouts_win.h"

#include <windows.h>

#include <algorithm>

namespace tavion {

std::vector<KeyboardLayoutEntry> InstalledKeyboardLayouts(std::size_t limit) {
  const int count = GetKeyboardLayoutList(0, nullptr);
  if (count <= 0) return {};
  std::vector<HKL> layouts(static_cast<std::size_t>(count));
  const int got = GetKeyboardLayoutList(count, layouts.data());
  layouts.resize(static_cast<std::size_t>(std::clamp(got, 0, count)));
  if (layouts.size() > limit) layouts.resize(limit);

  std::vector<KeyboardLayoutEntry> entries;
  entries.reserve(layouts.size());
  for (HKL layout : layouts) {
    const auto value = reinterpret_cast<uintptr_t>(layout);
    const LANGID language = LOWORD(value);
    wchar_t name[128] = {};
    if (GetLocaleInfoW(MAKELCID(language, SORT_DEFAULT), LOCALE_SLANGUAGE, name, 128) == 0)
      wsprintfW(name, L"%04X", language);
    entries.push_back({static_cast<uint32_t>(value), name});
  }
  return entries;
}

}  // namespace tavion
