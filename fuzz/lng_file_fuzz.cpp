// Language files as anyone may write them: whatever the bytes, reading never fails, every value
// stays within the bound, and a value read once is found again under its keys in upper case.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "lang/lng_file.h"

namespace {

std::size_t Utf16Units(const std::string& text) {
  std::size_t units = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++units;  // a lead byte
    if ((c & 0xF8) == 0xF0) ++units;  // four bytes: two UTF-16 units
  }
  return units;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  // The ANSI stand-in passes bytes through, as a single-byte code page would map them.
  const tavion::LanguageFile file(bytes, [](std::string_view ansi) { return std::string(ansi); });
  for (const char* key : {"a", "k", "Caption", "TrayIcon"}) {
    for (const char* section : {"s", "Fr1", "Strings"}) {
      const std::optional<std::string> value = file.Find(section, key);
      if (value && Utf16Units(*value) > tavion::kLangValueUnits) std::abort();
      std::string upper = section, upperKey = key;
      for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
      for (char& c : upperKey) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
      if (file.Find(upper, upperKey) != value) std::abort();
    }
  }
  return 0;
}
