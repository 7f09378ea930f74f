#include "ui/macros_page.h"

#include <bitset>

#include "macros/macro_format.h"
#include "settings/registry.h"

namespace tavion {

std::vector<std::string> ListedMacroNames(const RegistryStore& settings) {
  std::vector<std::string> names;
  for (std::string& name : MacroNames(settings)) {
    if (!name.empty() && settings.TypeOf(kMacrosKey, name) == RegistryValueType::kString)
      names.push_back(std::move(name));
  }
  return names;
}

std::string ProposedMacroName(std::size_t count) {
  return "Macros" + std::to_string(count + 1);
}

void DropRecordingGestures(std::vector<std::string>& items,
                           const std::function<bool(uint8_t keyCode)>& held) {
  if (items.size() <= kMacroFirstEventItem) return;
  std::vector<std::optional<MacroEvent>> events;
  for (std::size_t i = kMacroFirstEventItem; i < items.size(); ++i)
    events.push_back(ParseMacroEventItem(items[i]));
  std::vector<bool> drop(events.size(), false);
  std::bitset<256> pressed;
  for (std::size_t i = 0; i < events.size(); ++i) {
    if (!events[i]) continue;
    if (events[i]->released && !pressed[events[i]->keyCode]) drop[i] = true;
    if (!events[i]->released) pressed.set(events[i]->keyCode);
  }
  // The keys down as of the message that stopped the recording: from the first of the last run of
  // presses of each, with what of that key came after it (its release may have reached the key
  // handler before the message was handled), as long as only such keys follow.
  std::bitset<256> closed;
  std::vector<std::size_t> trailing;
  for (std::size_t i = events.size(); i-- > 0;) {
    if (!events[i] || closed[events[i]->keyCode] || !held(events[i]->keyCode)) break;
    const uint8_t key = events[i]->keyCode;
    trailing.push_back(i);
    const bool repeated =
        i > 0 && events[i - 1] && !events[i - 1]->released && events[i - 1]->keyCode == key;
    if (!events[i]->released && !repeated) closed.set(key);
  }
  for (const std::size_t i : trailing) drop[i] = drop[i] || closed[events[i]->keyCode];
  std::size_t kept = kMacroFirstEventItem;
  for (std::size_t i = 0; i < events.size(); ++i)
    if (!drop[i]) {
      if (kept != kMacroFirstEventItem + i)
        items[kept] = std::move(items[kMacroFirstEventItem + i]);
      ++kept;
    }
  items.resize(kept);
}

std::optional<std::string> StoreRecordedMacro(const std::string& proposed,
                                              const MacroNameQuestions& questions) {
  std::string text = proposed;
  for (;;) {
    const std::optional<std::string> name = questions.askName(text);
    if (!name) return std::nullopt;
    if (name->empty()) continue;
    text = *name;
    if (questions.exists(*name) && !questions.confirmReplace(*name)) continue;
    if (questions.store(*name)) return name;
  }
}

}  // namespace tavion
