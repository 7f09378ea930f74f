#pragma once
// A language with a few texts for tests, recording every question it is asked.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lang/lang.h"

namespace tavion {

class FakeLanguage : public LanguageSource {
 public:
  // Texts by (section, key); names compare exactly.
  using Texts = std::map<std::pair<std::string, std::string>, std::string>;

  explicit FakeLanguage(Texts texts) : texts_(std::move(texts)) {}

  std::optional<std::string> Find(std::string_view section, std::string_view key) const override {
    asked.emplace_back(std::string(section) + "/" + std::string(key));
    const auto found = texts_.find({std::string(section), std::string(key)});
    if (found == texts_.end()) return std::nullopt;
    return found->second;
  }

  mutable std::vector<std::string> asked;

 private:
  Texts texts_;
};

}  // namespace tavion
