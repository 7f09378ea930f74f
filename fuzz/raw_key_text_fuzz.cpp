// Raw input records as the system or a damaged buffer gives them: every record converts without
// a crash, in either layout, to a text of two upper-case digits per byte of at most 40 bytes.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "keys/raw_key_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const tavion::RawInputOptions options{.mice = (data[0] & 1) != 0,
                                        .keyboards = (data[0] & 2) != 0,
                                        .others = (data[0] & 4) != 0,
                                        .clearMouseDevice = (data[0] & 8) != 0,
                                        .clearKeyboardDevice = (data[0] & 16) != 0,
                                        .clearOtherDevice = (data[0] & 32) != 0};
  const std::span<const uint8_t> record(data + 1, size - 1);
  for (const size_t handleSize : {size_t{4}, size_t{8}}) {
    const auto converted = tavion::ToRawRecord(record, handleSize);
    if (!converted) continue;
    if (converted->bytes.size() > tavion::kMaxRawRecord) std::abort();
    const auto text = tavion::RawKeyText(*converted, options);
    if (!text) continue;
    if (text->size() != 2 * converted->bytes.size()) std::abort();
    for (const char c : *text)
      if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) std::abort();
  }
  return 0;
}
