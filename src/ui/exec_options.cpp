#include "ui/exec_options.h"

#include <utility>

namespace tavion {
namespace {

struct BoolField {
  OptionField field;
  bool TActionExecOn::*member;
};

// The check boxes that are plain switches; the separate-thread box is the negation of Thrd.
constexpr BoolField kSwitches[] = {
    {OptionField::kNoOsd, &TActionExecOn::nOSD},
    {OptionField::kNever, &TActionExecOn::Nevr},
    {OptionField::kModOnlyL, &TActionExecOn::ModOnlyL},
    {OptionField::kModOnlyR, &TActionExecOn::ModOnlyR},
    {OptionField::kExecOnRepeat, &TActionExecOn::ExecOnRepeat},
    {OptionField::kMBox, &TActionExecOn::MBox},
    {OptionField::kMSwa, &TActionExecOn::MSwa},
    {OptionField::kStFD, &TActionExecOn::StFD},
    {OptionField::kBlock, &TActionExecOn::Blck},
    {OptionField::kDontBlockHotKey, &TActionExecOn::DontBlockHotKey},
};

struct ConditionField {
  OptionField field;
  TActionExecOnWItem TActionExecOn::*member;
};

constexpr ConditionField kConditions[] = {
    {OptionField::kIfWa, &TActionExecOn::IfWa}, {OptionField::kIfWe, &TActionExecOn::IfWe},
    {OptionField::kIfWi, &TActionExecOn::IfWi}, {OptionField::kIfNW, &TActionExecOn::IfNW},
    {OptionField::kStFW, &TActionExecOn::StFW},
};

// The tree as shown: each row's parent is the last row before it one level up. A radio entry
// with value 0 of a language field is followed by one entry per installed layout.
struct Row {
  OptionNodeKind kind;
  int level;
  const char* key;
  const char* text;
  OptionField field = OptionField::kNone;
  uint32_t value = 0;
  const char* section = "Fr2";
};

using K = OptionNodeKind;
using F = OptionField;
constexpr Row kTree[] = {
    {K::kCheck, 0, "Thread", "Start action in a separate thread", F::kSeparateThread},
    {K::kCheck, 0, "NoOSD", "Never show OSD for this action", F::kNoOsd},
    {K::kGroup, 0, "EO_H1", "Launch action"},
    {K::kCheck, 1, "EO_NV", "Never launch action", F::kNever},
    {K::kCheck, 1, "ModOnlyL", "Launch only with LEFT modifiers", F::kModOnlyL},
    {K::kCheck, 1, "ModOnlyR", "Launch only with RIGHT modifiers", F::kModOnlyR},
    {K::kCheck, 1, "ExecOnRepeat", "Execute only on second hotkey press", F::kExecOnRepeat},
    {K::kGroup, 0, "EO_H3", "Only if language active"},
    {K::kRadio, 1, "EO_AnyLang", "Any language", F::kLang, 0},
    {K::kGroup, 0, "EO_H2", "Windows"},
    {K::kCheck, 1, "EO_WA", "Only if one of windows active", F::kIfWa},
    {K::kCheck, 1, "EO_WE", "Only if one of windows exists", F::kIfWe},
    {K::kCheck, 1, "EO_WI", "Only if all windows NOT active", F::kIfWi},
    {K::kCheck, 1, "EO_NW", "Only if all windows NOT exists", F::kIfNW},
    {K::kGroup, 0, "EO_CC", "Launch action several times"},
    {K::kRadio, 1, "", "1", F::kRept, 0},
    {K::kRadio, 1, "", "2", F::kRept, 1},
    {K::kRadio, 1, "", "3", F::kRept, 2},
    {K::kRadio, 1, "", "4", F::kRept, 3},
    {K::kGroup, 0, "EO_H0", "Do before action launch"},
    {K::kCheck, 1, "EO_MB", "Ask before launch", F::kMBox},
    {K::kCheck, 1, "EO_MA", "Activate window under mice cursor", F::kMSwa},
    {K::kCheck, 1, "EO_FS", "Set window focus before start", F::kStFW},
    {K::kCheck, 1, "EO_FD", "Set desktop focus and start", F::kStFD},
    {K::kGroup, 0, "EO_AL", "Do after action launch"},
    {K::kGroup, 1, "EO_SL", "Set language"},
    {K::kRadio, 2, "ButtonNo", "No", F::kSetLangAfter, 0, "Strings"},
    {K::kGroup, 0, "hk_options", "HotKey options"},
    {K::kCheck, 1, "Block", "Block hotkey even if action will not be started", F::kBlock},
    {K::kCheck, 1, "DontBlockHotKey", "Don't block hotkey after action start", F::kDontBlockHotKey},
};

// The value of a radio group's field; a negative count matches no entry.
uint32_t RadioValue(const TActionExecOn& options, OptionField field) {
  if (field == F::kLang) return options.Lang;
  if (field == F::kSetLangAfter) return options.SetLangAfter;
  return static_cast<uint32_t>(static_cast<int32_t>(options.Rept));
}

bool CheckValue(const TActionExecOn& options, OptionField field) {
  if (field == F::kSeparateThread) return !options.Thrd;
  for (const BoolField& s : kSwitches)
    if (s.field == field) return options.*s.member;
  for (const ConditionField& c : kConditions)
    if (c.field == field) return (options.*c.member).Enbl;
  return false;
}

const TActionExecOnWItem* ConditionIn(const TActionExecOn& options, OptionField field) {
  for (const ConditionField& c : kConditions)
    if (c.field == field) return &(options.*c.member);
  return nullptr;
}

}  // namespace

bool IsWindowCondition(OptionField field) {
  for (const ConditionField& c : kConditions)
    if (c.field == field) return true;
  return false;
}

std::string WindowEntryText(const WindowEntry& entry) {
  return entry.windowClass + " | " + entry.caption;
}

ExecOptionsModel::ExecOptionsModel(const TActionExecOn& options,
                                   const std::vector<LayoutChoice>& layouts) {
  std::vector<size_t> levels;  // the last node of each level so far
  for (const Row& row : kTree) {
    OptionNode node;
    node.kind = row.kind;
    if (row.level > 0) node.parent = levels[static_cast<size_t>(row.level - 1)];
    node.key = row.key;
    node.section = row.section;
    node.text = row.text;
    node.field = row.field;
    node.value = row.value;
    const uint32_t current = RadioValue(options, row.field);
    node.checked = row.kind == K::kRadio ? row.value == current : CheckValue(options, row.field);
    const size_t id = Add(node);
    levels.resize(static_cast<size_t>(row.level));
    levels.push_back(id);
    if (const TActionExecOnWItem* condition = ConditionIn(options, row.field)) {
      for (size_t i = 0; i < condition->WindowCount(); ++i) AddEntry(id, *condition->GetWindow(i));
    }
    if (row.kind != K::kRadio || row.field == F::kRept) continue;
    for (const LayoutChoice& layout : layouts) {
      // A layout with handle 0 would stand for "any"; it has its own entry already.
      if (layout.handle == 0) continue;
      OptionNode choice;
      choice.kind = K::kRadio;
      choice.parent = node.parent;
      choice.text = layout.name;
      choice.field = row.field;
      choice.value = layout.handle;
      choice.checked = layout.handle == current;
      Add(std::move(choice));
    }
  }
}

size_t ExecOptionsModel::Add(OptionNode node) {
  nodes_.push_back(std::move(node));
  return nodes_.size() - 1;
}

bool ExecOptionsModel::IsEntry(size_t id) const {
  return id < nodes_.size() && nodes_[id].kind == OptionNodeKind::kWindowEntry &&
         !nodes_[id].removed;
}

bool ExecOptionsModel::Toggle(size_t id) {
  if (id >= nodes_.size() || nodes_[id].removed) return false;
  OptionNode& node = nodes_[id];
  if (node.kind == OptionNodeKind::kCheck) {
    node.checked = !node.checked;
    return true;
  }
  if (node.kind != OptionNodeKind::kRadio || node.checked) return false;
  for (OptionNode& other : nodes_)
    if (other.kind == OptionNodeKind::kRadio && other.parent == node.parent) other.checked = false;
  node.checked = true;
  return true;
}

std::optional<size_t> ExecOptionsModel::ConditionOf(size_t id) const {
  if (id >= nodes_.size() || nodes_[id].removed) return std::nullopt;
  if (nodes_[id].kind == OptionNodeKind::kWindowEntry) id = *nodes_[id].parent;
  if (!IsWindowCondition(nodes_[id].field)) return std::nullopt;
  return id;
}

OptionToolbar ExecOptionsModel::Toolbar(std::optional<size_t> selected) const {
  if (!selected) return {};
  const bool entry = IsEntry(*selected);
  return {ConditionOf(*selected).has_value(), entry, entry};
}

std::optional<size_t> ExecOptionsModel::AddEntry(size_t at, const WindowEntry& entry) {
  const std::optional<size_t> condition = ConditionOf(at);
  if (!condition) return std::nullopt;
  OptionNode node;
  node.kind = OptionNodeKind::kWindowEntry;
  node.parent = *condition;
  node.text = WindowEntryText(entry);
  node.entry = entry;
  return Add(std::move(node));
}

bool ExecOptionsModel::EditEntry(size_t id, const WindowEntry& entry) {
  if (!IsEntry(id)) return false;
  nodes_[id].entry = entry;
  nodes_[id].text = WindowEntryText(entry);
  return true;
}

bool ExecOptionsModel::RemoveEntry(size_t id) {
  if (!IsEntry(id)) return false;
  nodes_[id].removed = true;
  return true;
}

void ExecOptionsModel::Store(TActionExecOn& options) const {
  for (const ConditionField& c : kConditions) {
    TActionExecOnWItem& condition = options.*c.member;
    condition.SetWCls("");
    condition.SetWCap("");
  }
  for (const OptionNode& node : nodes_) {
    if (node.removed) continue;
    if (node.kind == OptionNodeKind::kWindowEntry) {
      const OptionField field = nodes_[*node.parent].field;
      for (const ConditionField& c : kConditions)
        if (c.field == field)
          (options.*c.member).AddWindow(node.entry.windowClass, node.entry.caption);
      continue;
    }
    if (node.kind == OptionNodeKind::kRadio) {
      if (!node.checked) continue;
      if (node.field == OptionField::kLang) options.Lang = node.value;
      if (node.field == OptionField::kSetLangAfter) options.SetLangAfter = node.value;
      if (node.field == OptionField::kRept) options.Rept = static_cast<int16_t>(node.value);
      continue;
    }
    if (node.field == OptionField::kSeparateThread) options.Thrd = !node.checked;
    for (const BoolField& s : kSwitches)
      if (s.field == node.field) options.*s.member = node.checked;
    for (const ConditionField& c : kConditions)
      if (c.field == node.field) (options.*c.member).Enbl = node.checked;
  }
}

}  // namespace tavion
