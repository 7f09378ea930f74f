#pragma once
// A language file (".lng"): initialisation-file text of sections and key=value lines, read from
// its bytes. Portable; the Win32 side reads the file and supplies the ANSI code page.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "lang/lang.h"

namespace tavion {

// The longest value a language file gives, in UTF-16 units; longer values are cut.
inline constexpr std::size_t kLangValueUnits = 2047;

// Converts text in the system's ANSI code page into UTF-8.
using AnsiDecoder = std::function<std::string(std::string_view ansi)>;

class LanguageFile final : public LanguageSource {
 public:
  // Reads `bytes`: UTF-16LE after its byte-order mark, UTF-8 after its mark, else ANSI through
  // `ansi` (as UTF-8 when it is null). Never fails: a line that is not a section or a key=value
  // is skipped, a NUL is dropped, an odd last byte of UTF-16 is dropped, a section name without
  // its "]" runs to the end of its line. Of a key given twice in a section, the first counts, as
  // with the system's own reader.
  LanguageFile(std::span<const uint8_t> bytes, const AnsiDecoder& ansi);

  std::optional<std::string> Find(std::string_view section, std::string_view key) const override;
  // The number of distinct section/key pairs read.
  std::size_t Size() const { return values_.size(); }
  // Every section/key pair read, as "section\nkey" in lower case, in no particular order.
  std::vector<std::string> Keys() const;

 private:
  // Keys are "section\nkey" in lower case.
  std::unordered_map<std::string, std::string> values_;
};

}  // namespace tavion
