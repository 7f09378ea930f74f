#include "ui/tray_menu.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string_view>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "osd/osd_icons.h"

namespace tavion {
namespace {

TrayActionEntry EntryOf(const ActionTree& tree, size_t index) {
  const ActionTree::Node* node = tree.NodeAt(index);
  TrayActionEntry entry;
  entry.text = node->text;
  entry.treeIndex = index;
  if (const TAction* action = ActionTree::ActionOfNode(node)) entry.code = action->Exec();
  for (const size_t child : tree.Children(index)) entry.children.push_back(EntryOf(tree, child));
  return entry;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::vector<TrayActionEntry> TrayActionEntries(const ActionTree& tree) {
  std::vector<TrayActionEntry> entries;
  for (size_t i = 0; i < tree.Count(); ++i)
    if (!tree.NodeAt(i)->parent) entries.push_back(EntryOf(tree, i));
  return entries;
}

std::vector<int> LanguageIconSets(std::span<const std::string> fileNames) {
  constexpr std::string_view kSuffix = "_1049.ico";
  std::vector<int> sets;
  for (const std::string& name : fileNames) {
    if (name.size() <= kSuffix.size() + 1 || (name[0] != 'l' && name[0] != 'L')) continue;
    const std::string_view tail = std::string_view(name).substr(name.size() - kSuffix.size());
    if (!EqualsIgnoringCase(tail, kSuffix)) continue;
    const char* first = name.data() + 1;
    const char* last = name.data() + name.size() - kSuffix.size();
    int set = 0;
    const auto [end, error] = std::from_chars(first, last, set);
    if (error == std::errc() && end == last && set > 0) sets.push_back(set);
  }
  std::sort(sets.begin(), sets.end());
  sets.erase(std::unique(sets.begin(), sets.end()), sets.end());
  return sets;
}

std::string TrayLanguageIconFile(uint8_t set, uint16_t languageId,
                                 const std::function<bool(const std::string& name)>& exists) {
  const std::string own = LanguageIconFile(set, languageId);
  if (own.empty()) return {};
  if (exists(own)) return own;
  const std::string fallback = "l" + std::to_string(set) + "_Default.ico";
  return exists(fallback) ? fallback : std::string();
}

}  // namespace tavion
