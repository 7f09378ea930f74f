#include "lang/lng_file.h"

#include "base/utf8.h"

namespace tavion {
namespace {

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string LookupKey(std::string_view section, std::string_view key) {
  return LowerAscii(section) + '\n' + LowerAscii(key);
}

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// `value` up to kLangValueUnits UTF-16 units, never cutting a character in two.
std::string_view CutValue(std::string_view value) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < value.size();) {
    const std::size_t start = i;
    const char32_t code = NextCodePoint(value, i).value_or(kReplacementCharacter);
    units += code < 0x10000 ? 1 : 2;
    if (units > kLangValueUnits) return value.substr(0, start);
  }
  return value;
}

// The file's text as UTF-8, without NULs.
std::string DecodeText(std::span<const uint8_t> bytes, const AnsiDecoder& ansi) {
  std::string text;
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    text = FromUtf16Le(bytes.subspan(2));
  } else if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    text.assign(reinterpret_cast<const char*>(bytes.data()) + 3, bytes.size() - 3);
  } else {
    const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    text = ansi ? ansi(raw) : std::string(raw);
  }
  std::erase(text, '\0');
  return text;
}

}  // namespace

LanguageFile::LanguageFile(std::span<const uint8_t> bytes, const AnsiDecoder& ansi) {
  const std::string text = DecodeText(bytes, ansi);
  std::optional<std::string> section;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view line = Trim(std::string_view(text).substr(start, end - start));
    start = end + 1;
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::string_view name = line.substr(1, line.find(']') - 1);
      section = std::string(Trim(name));
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!section || equals == std::string_view::npos) continue;
    const std::string_view key = Trim(line.substr(0, equals));
    if (key.empty()) continue;
    values_.try_emplace(LookupKey(*section, key), CutValue(Trim(line.substr(equals + 1))));
  }
}

std::optional<std::string> LanguageFile::Find(std::string_view section,
                                              std::string_view key) const {
  const auto found = values_.find(LookupKey(section, key));
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

std::vector<std::string> LanguageFile::Keys() const {
  std::vector<std::string> keys;
  keys.reserve(values_.size());
  for (const auto& entry : values_) keys.push_back(entry.first);
  return keys;
}

}  // namespace tavion
