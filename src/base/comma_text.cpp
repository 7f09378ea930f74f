#include "base/comma_text.h"

namespace tavion {
namespace {

constexpr char kQuote = '"';
constexpr char kDelimiter = ',';

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

bool NeedsQuotes(std::string_view item) {
  for (char c : item) {
    if (IsBlank(c) || c == kQuote || c == kDelimiter) return true;
  }
  return false;
}

void AppendQuoted(std::string& out, std::string_view item) {
  out += kQuote;
  for (char c : item) {
    if (c == kQuote) out += kQuote;
    out += c;
  }
  out += kQuote;
}

// Reads the quoted entry that starts at text[pos] (the opening quote); leaves `pos` after the
// closing quote, or at the end when the quote is never closed.
std::string ReadQuoted(std::string_view text, std::size_t& pos) {
  std::string item;
  ++pos;
  while (pos < text.size()) {
    const char c = text[pos++];
    if (c != kQuote) {
      item += c;
    } else if (pos < text.size() && text[pos] == kQuote) {
      item += kQuote;
      ++pos;
    } else {
      break;
    }
  }
  return item;
}

void SkipBlanks(std::string_view text, std::size_t& pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
}

}  // namespace

std::vector<std::string> CommaTextToList(std::string_view text) {
  std::vector<std::string> items;
  std::size_t pos = 0;
  SkipBlanks(text, pos);
  while (pos < text.size()) {
    if (text[pos] == kQuote) {
      items.push_back(ReadQuoted(text, pos));
    } else {
      const std::size_t start = pos;
      while (pos < text.size() && !IsBlank(text[pos]) && text[pos] != kDelimiter) ++pos;
      items.emplace_back(text.substr(start, pos - start));
    }
    SkipBlanks(text, pos);
    if (pos < text.size() && text[pos] == kDelimiter) {
      ++pos;
      // A comma that ends the text still closes an (empty) entry after it.
      if (pos == text.size()) items.emplace_back();
      SkipBlanks(text, pos);
    }
  }
  return items;
}

std::string ListToCommaText(std::span<const std::string> items) {
  // One empty entry written plainly would read back as no entries at all.
  if (items.size() == 1 && items.front().empty()) return std::string(2, kQuote);
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += kDelimiter;
    if (NeedsQuotes(items[i])) {
      AppendQuoted(text, items[i]);
    } else {
      text += items[i];
    }
  }
  return text;
}

bool CommaTextRoundTripHolds(std::string_view text) {
  const std::vector<std::string> items = CommaTextToList(text);
  return CommaTextToList(ListToCommaText(items)) == items;
}

}  // namespace tavion
