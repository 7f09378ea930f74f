#include <cctype>
#include <functional>
#include <memory>
#include <optional>
#include <set>

#include "actions/catalogue.h"
#include "lang/lang.h"
#include "ui/exec_options.h"
#include "ui/navigation.h"
#include "ui/param_tabs.h"
#include "wine/lang/lang_keys.h"

namespace tavion {
namespace {

// Records the keys asked; answers only `target` with a mark.
class Recorder final : public LanguageSource {
 public:
  explicit Recorder(std::string target = {}) : target_(std::move(target)) {}
  std::optional<std::string> Find(std::string_view section, std::string_view key) const override {
    const std::string id = KeyId(section, key);
    if (seen_.insert(id).second) asked.emplace_back(section, key);
    if (id == target_) return std::string("\x01");
    return std::nullopt;
  }
  mutable std::vector<std::pair<std::string, std::string>> asked;

 private:
  std::string target_;
  mutable std::set<std::string> seen_;
};

bool IsWords(const std::string& text) {
  const auto letter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
  for (size_t i = 1; i < text.size(); ++i)
    if (letter(text[i - 1]) && letter(text[i])) return true;
  return false;
}

}  // namespace

void AddLookedUp(LanguageKeys& keys, std::string_view from,
                 const std::function<std::vector<std::string>()>& texts) {
  auto recorder = std::make_shared<Recorder>();
  SetLanguageSource(recorder);
  const std::vector<std::string> english = texts();
  std::set<size_t> given;  // places an earlier key gives
  for (const auto& [section, key] : recorder->asked) {
    SetLanguageSource(std::make_shared<Recorder>(KeyId(section, key)));
    const std::vector<std::string> marked = texts();
    std::string text;
    bool first = true;
    for (size_t i = 0; i < marked.size() && i < english.size(); ++i)
      if (marked[i].find('\x01') != std::string::npos) {
        text = english[i];
        first = given.insert(i).second;
        break;
      }
    keys.Add(section, key, text, from, /*text=*/first && IsWords(text));
  }
  SetLanguageSource(nullptr);
}

void AddProgramLists(LanguageKeys& keys) {
  AddLookedUp(keys, "src/actions/catalogue.cpp", [] {
    const ActionCatalogue catalogue = ActionCatalogue::WithBuiltIns();
    std::vector<std::string> texts;
    for (int i = 0; i < catalogue.Count(); ++i) texts.push_back(catalogue.Entry(i).displayName);
    for (const CatalogueGroup& group : catalogue.Groups()) texts.push_back(group.caption);
    return texts;
  });
  for (const NavigationPanel& panel : NavigationPanels())
    keys.Add("Strings", panel.textKey, panel.text, "src/ui/navigation.cpp");
  for (const NavigationEntry& entry : NavigationEntries())
    if (!entry.page)
      keys.Add(entry.textSection, entry.textKey, entry.text, "src/ui/navigation.cpp");
  for (const OptionNode& node : ExecOptionsModel(TActionExecOn{}, {}).Nodes())
    if (!node.key.empty()) keys.Add(node.section, node.key, node.text, "src/ui/exec_options.cpp");
  for (const ParamMessage& message : ParamMessages())
    keys.Add("Strings", message.key, message.text, "src/ui/param_tabs.cpp");
}

}  // namespace tavion
