#include "base/fold_case.h"

namespace tavion {

std::u32string FoldCase(std::string_view text) {
  std::u32string folded;
  folded.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    char32_t c = lead;
    std::size_t length = 1;
    if (lead >= 0xC0 && lead < 0xF8) {
      length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
      c = lead & (0x3F >> (length - 1));
      for (std::size_t k = 1; k < length; ++k) {
        const auto next = i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
        if ((next & 0xC0) != 0x80) {
          c = lead;
          length = 1;
          break;
        }
        c = (c << 6) | (next & 0x3F);
      }
    }
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ||
        (c >= 0x410 && c <= 0x42F)) {
      c += 0x20;
    } else if (c >= 0x400 && c <= 0x40F) {
      c += 0x50;
    }
    folded.push_back(c);
    i += length;
  }
  return folded;
}

}  // namespace tavion
