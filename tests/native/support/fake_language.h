#pragma once
// A language with a few texts for tests.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "lang/lang.h"

namespace tavion {

class FakeLanguage : public LanguageSource {
 public:
  // Texts by (section, key); names compare exactly.
  using Texts = std::map<std::pair<std::string, std::string>, std::string>;

  explicit FakeLanguage(Texts texts) : texts_(std::move(texts)) {}

  std::optional<std::string> Find(std::string_view section, std::string_view key) const override {
    const auto found = texts_.find({std::string(section), std::string(key)});
    return found == texts_.end() ? std::nullopt : std::optional(found->second);
  }

 private:
  Texts texts_;
};

}  // namespace tavion
