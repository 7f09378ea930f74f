#include "lang/lang.h"

#include <mutex>
#include <utility>

namespace tavion {
namespace {

struct ProcessSource {
  std::mutex mutex;
  std::shared_ptr<const LanguageSource> source;
};

// Made on first use, whatever order static objects are made in, and never destroyed: worker
// threads that are not joined may still look texts up while the process ends.
ProcessSource& Process() {
  static ProcessSource& process = *new ProcessSource;
  return process;
}

std::shared_ptr<const LanguageSource> CurrentSource() {
  ProcessSource& process = Process();
  const std::lock_guard lock(process.mutex);
  return process.source;
}

// "#13" -> CR and "#9" -> TAB in one pass; neither replacement can form a new code.
std::string ReplaceControlCodes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const std::string_view rest = text.substr(pos);
    if (rest.starts_with("#13")) {
      out += '\r';
      pos += 3;
    } else if (rest.starts_with("#9")) {
      out += '\t';
      pos += 2;
    } else {
      out += text[pos++];
    }
  }
  return out;
}

}  // namespace

void SetLanguageSource(std::shared_ptr<const LanguageSource> source) {
  ProcessSource& process = Process();
  const std::lock_guard lock(process.mutex);
  process.source = std::move(source);
}

std::optional<std::string> FindLangText(std::string_view section, std::string_view key) {
  // The source is used outside the lock, so that a slow lookup never holds up a language change.
  const std::shared_ptr<const LanguageSource> source = CurrentSource();
  if (source == nullptr) return std::nullopt;
  return source->Find(section, key);
}

std::string GetLangStr(std::string_view key, std::string_view def, std::string_view section) {
  if (std::optional<std::string> text = FindLangText(section, key))
    return ReplaceControlCodes(*text);
  return ReplaceControlCodes(def);
}

std::string FormatLangText(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string out;
  auto next = args.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() &&
        (pattern[i + 1] == 's' || pattern[i + 1] == 'd') && next != args.end()) {
      out += *next++;
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

}  // namespace tavion
