#pragma once
// The execution options of one action as the "Additional" tab shows them: a tree of check boxes,
// radio entries, groups and window entries built from a TActionExecOn, the toggling of its
// nodes, the editing of the window entries and the writing back. Portable; the tab's window
// (exec_options_tab_win.h) mirrors it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "actions/exec_on.h"

namespace tavion {

enum class OptionNodeKind : uint8_t { kGroup, kCheck, kRadio, kWindowEntry };

// The field of TActionExecOn a check box or radio entry sets; the window conditions hold the
// window entries.
enum class OptionField : uint8_t {
  kNone,
  kSeparateThread,  // the negation of Thrd
  kNoOsd,
  kNever,
  kModOnlyL,
  kModOnlyR,
  kExecOnRepeat,
  kLang,
  kIfWa,
  kIfWe,
  kIfWi,
  kIfNW,
  kRept,
  kMBox,
  kMSwa,
  kStFW,
  kStFD,
  kSetLangAfter,
  kBlock,
  kDontBlockHotKey,
};

// Whether `field` is a window condition, whose node holds window entries.
bool IsWindowCondition(OptionField field);

// A node of the tree. Its id is its position in ExecOptionsModel::Nodes() and never changes.
struct OptionNode {
  OptionNodeKind kind = OptionNodeKind::kGroup;
  std::optional<size_t> parent;  // none at the top level
  std::string key;               // the language key of its text; empty: `text` is final
  std::string section;           // the language file's section of `key`
  std::string text;              // the English text, or the final one
  OptionField field = OptionField::kNone;
  uint32_t value = 0;  // what a radio entry writes into its field
  bool checked = false;
  WindowEntry entry;  // a window entry's class and caption
  bool removed = false;
};

// A keyboard layout offered as a radio entry.
struct LayoutChoice {
  uint32_t handle = 0;
  std::string name;
};

// Which toolbar buttons act on the selected node.
struct OptionToolbar {
  bool add = false;
  bool edit = false;
  bool remove = false;
  friend bool operator==(const OptionToolbar&, const OptionToolbar&) = default;
};

// A window entry's text in the tree: class + " | " + caption.
std::string WindowEntryText(const WindowEntry& entry);

class ExecOptionsModel {
 public:
  // The tree of `options`, with one radio entry per layout of `layouts` (a layout with handle 0
  // would stand for "any" and is left out).
  ExecOptionsModel(const TActionExecOn& options, const std::vector<LayoutChoice>& layouts);

  // Every node ever made, in tree order for those made at the start; removed ones stay, marked.
  const std::vector<OptionNode>& Nodes() const { return nodes_; }

  // Toggles a check box, or selects a radio entry and clears the others of its group. Returns
  // whether anything changed (groups and window entries do not toggle).
  bool Toggle(size_t id);

  OptionToolbar Toolbar(std::optional<size_t> selected) const;
  // The window condition that owns `id` (the condition itself or one of its entries).
  std::optional<size_t> ConditionOf(size_t id) const;
  // Adds `entry` as the last entry of the condition that owns `at`; the new node's id, or nullopt
  // when `at` belongs to no condition.
  std::optional<size_t> AddEntry(size_t at, const WindowEntry& entry);
  // Both return false, and change nothing, when `id` is not a window entry still in the tree.
  bool EditEntry(size_t id, const WindowEntry& entry);
  bool RemoveEntry(size_t id);

  // Writes the switches and the conditions with their entries onto `options`. A radio group
  // with no entry selected (a stored layout or count the tree does not offer) leaves its field
  // as it is.
  void Store(TActionExecOn& options) const;

 private:
  size_t Add(OptionNode node);
  bool IsEntry(size_t id) const;

  std::vector<OptionNode> nodes_;
};

}  // namespace tavion
