#pragma once
// Texts shown to the user: the English default compiled in at each call, or the current
// language's text. Portable; reading language files is the job of a LanguageSource.

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tavion {

// Where translated texts come from.
class LanguageSource {
 public:
  virtual ~LanguageSource() = default;
  // The text of `key` in `section`, or nullopt when the source has none. Section and key names
  // compare without regard to case. Called from any thread.
  virtual std::optional<std::string> Find(std::string_view section, std::string_view key) const = 0;
};

// Makes `source` the one every lookup reads from now on; nullptr leaves only the English defaults.
// Lookups already running finish with the source they started with.
void SetLanguageSource(std::shared_ptr<const LanguageSource> source);

// The current source's text for section/key as the file holds it; nullopt when it has none.
std::optional<std::string> FindLangText(std::string_view section, std::string_view key);

// The current source's text for section/key, else `def`; then every "#13" becomes a carriage
// return and every "#9" a tab.
std::string GetLangStr(std::string_view key, std::string_view def,
                       std::string_view section = "Strings");

// `pattern` (a language text) with each "%s" or "%d" replaced in turn by the next of `args`; a
// mark without an argument and every other character stay as they are. Texts from language files
// are never handed to a printf-style function.
std::string FormatLangText(std::string_view pattern, std::initializer_list<std::string_view> args);

}  // namespace tavion
