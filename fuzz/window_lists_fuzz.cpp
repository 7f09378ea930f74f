// Window lists as users and stored settings give them: comma text must read and write back to the
// same list, and masks must either build (and agree with the one-call matcher) or say why not.
// Input: the mask, a line break, the text to match; the whole input is also read as comma text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "actions/masks.h"
#include "base/comma_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (!tavion::CommaTextRoundTripHolds(input)) std::abort();

  const size_t split = input.find('\n');
  const std::string_view mask = input.substr(0, split);
  const std::string_view text =
      split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
  std::string error;
  if (const auto built = tavion::TMask::Create(mask, &error)) {
    if (built->Matches(text) != tavion::MatchesMask(text, mask)) std::abort();
  } else if (error.empty()) {
    std::abort();  // a refused mask always comes with its message
  }
  (void)tavion::UpperCaseText(input);
  return 0;
}
