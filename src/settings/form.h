#pragma once
// Forms as tables of controls, and the routine that loads and saves option controls by their
// names. Portable: the Win32 runtime (form_win.h) and MemoryForm both implement FormControls.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/registry.h"

namespace tavion {

enum class ControlKind : uint8_t {
  kCheckBox,
  kEdit,        // one line
  kRadioGroup,  // a group box of radio buttons, one per item
  kComboBox,    // drop-down list of the items
  kInfoPanel,   // collapsible information panel
  kListView,    // report view with columns
  kButton,
  kLabel,  // the one kind without a window of its own
  kGroup,
  kSpinEdit,  // a number field with up-down arrows, within minValue..maxValue
  kSlider,    // a track bar over minValue..maxValue with its value shown beside it
  kMemo,      // a text of several lines: Enter starts a new line, Ctrl+A selects all
};

// How a label's text is drawn beyond the form's font.
enum class LabelLook : uint8_t {
  kPlain,
  kHeading,  // bold, blue (0xB87035 as 0x00BBGGRR)
  kQuiet,    // grey (0x808080)
  kWarning,  // red
};

// Whether controls of `kind` are windowed (have a window of their own).
bool IsWindowedKind(ControlKind kind);

struct ColumnDecl {
  std::string caption;
  int width = 0;  // designed width, in pixels at 96 dots per inch
};

// A fixed place for a control, in pixels at 96 dots per inch, for forms laid out by hand; a zero
// height means "no fixed place" (the control flows with the form's rows), a zero width "to the
// right edge of the form".
struct ControlPlace {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// One control of a form as designed.
struct ControlDecl {
  std::string name;  // e.g. "Opt_TrayIcon"
  ControlKind kind = ControlKind::kLabel;
  std::string caption;
  std::string hint;
  int tag = 0;
  std::string helpKeyword;          // "Section|Ident" makes the option stored there
  std::vector<std::string> items;   // combo box and radio group entries
  std::vector<ColumnDecl> columns;  // list views
  int minValue = 0;                 // spin edits and sliders
  int maxValue = 100;
  // Designed state.
  bool checked = false;
  std::string text;  // edits
  int itemIndex = -1;
  bool expanded = true;
  bool compact = false;                // a push button as narrow as its caption ("...", "?")
  bool valueItems = false;             // the entries are values (names, verbs): never translated
  LabelLook look = LabelLook::kPlain;  // labels, and the captions of edits and choices
  // Where it flows: inside the group box (kGroup, declared earlier) named `group`, in a row of
  // its own or, when `beside`, in the row of the control before it.
  std::string group;
  bool beside = false;
  ControlPlace place;
};

// The controls of one form, addressed by their position in creation order.
class FormControls {
 public:
  virtual ~FormControls() = default;

  virtual size_t ControlCount() const = 0;
  virtual const std::string& Name(size_t index) const = 0;
  virtual ControlKind Kind(size_t index) const = 0;
  virtual const std::string& HelpKeyword(size_t index) const = 0;
  virtual bool IsWindowed(size_t index) const = 0;

  // State accessors; each applies to the kinds named and does nothing (reads a neutral value)
  // on others.
  virtual bool Checked(size_t index) const = 0;  // check box
  virtual void SetChecked(size_t index, bool checked) = 0;
  virtual std::string Text(size_t index) const = 0;  // edit, memo
  virtual void SetText(size_t index, std::string_view text) = 0;
  // Combo box and radio group; -1 is "no selection". Setting an index outside the items
  // leaves no selection, as a combo box does. A spin edit's or slider's value (itemIndex in its
  // declaration) is read and set here too, clamped to its range.
  virtual int ItemIndex(size_t index) const = 0;
  virtual void SetItemIndex(size_t index, int item) = 0;
  virtual bool Expanded(size_t index) const = 0;  // information panel
  virtual void SetExpanded(size_t index, bool expanded) = 0;
  virtual std::vector<int> ColumnWidths(size_t index) const = 0;  // list view
  virtual void SetColumnWidth(size_t index, size_t column, int width) = 0;

  // The position of the control named `name` (exact case), or nullopt.
  std::optional<size_t> Find(std::string_view name) const;
};

// FormControls over its own copy of a table: the declared part of every control.
class DeclaredForm : public FormControls {
 public:
  size_t ControlCount() const override { return decls_.size(); }
  const std::string& Name(size_t index) const override { return decls_[index].name; }
  ControlKind Kind(size_t index) const override { return decls_[index].kind; }
  const std::string& HelpKeyword(size_t index) const override { return decls_[index].helpKeyword; }
  bool IsWindowed(size_t index) const override { return IsWindowedKind(Kind(index)); }

 protected:
  DeclaredForm() = default;
  explicit DeclaredForm(std::span<const ControlDecl> table) : decls_(table.begin(), table.end()) {}

  // Whether `index` names a control of `kind` (false for indexes beyond the form).
  bool Is(size_t index, ControlKind kind) const {
    return index < decls_.size() && decls_[index].kind == kind;
  }
  bool IsNumber(size_t index) const {
    return Is(index, ControlKind::kSpinEdit) || Is(index, ControlKind::kSlider);
  }
  bool IsText(size_t index) const {
    return Is(index, ControlKind::kEdit) || Is(index, ControlKind::kMemo);
  }

  std::vector<ControlDecl> decls_;
};

// A form without windows: the controls of a table in their designed state.
class MemoryForm final : public DeclaredForm {
 public:
  explicit MemoryForm(std::span<const ControlDecl> table);

  bool Checked(size_t index) const override;
  void SetChecked(size_t index, bool checked) override;
  std::string Text(size_t index) const override;
  void SetText(size_t index, std::string_view text) override;
  int ItemIndex(size_t index) const override;
  void SetItemIndex(size_t index, int item) override;
  bool Expanded(size_t index) const override;
  void SetExpanded(size_t index, bool expanded) override;
  std::vector<int> ColumnWidths(size_t index) const override;
  void SetColumnWidth(size_t index, size_t column, int width) override;

 private:
  struct State {
    bool checked;
    std::string text;
    int itemIndex;
    bool expanded;
    std::vector<int> widths;
  };
  bool IsChoice(size_t index) const {
    return Is(index, ControlKind::kComboBox) || Is(index, ControlKind::kRadioGroup);
  }

  std::vector<State> states_;  // one per declaration
};

// One FormControls over several forms, in their order: the option controls of every page of a
// window, loaded and saved together. The forms are not owned and must outlive the view; a null
// form counts as empty.
class CompositeForm final : public FormControls {
 public:
  explicit CompositeForm(std::vector<FormControls*> forms) : forms_(std::move(forms)) {}

  size_t ControlCount() const override;
  const std::string& Name(size_t index) const override;
  ControlKind Kind(size_t index) const override;
  const std::string& HelpKeyword(size_t index) const override;
  bool IsWindowed(size_t index) const override;
  bool Checked(size_t index) const override;
  void SetChecked(size_t index, bool checked) override;
  std::string Text(size_t index) const override;
  void SetText(size_t index, std::string_view text) override;
  int ItemIndex(size_t index) const override;
  void SetItemIndex(size_t index, int item) override;
  bool Expanded(size_t index) const override;
  void SetExpanded(size_t index, bool expanded) override;
  std::vector<int> ColumnWidths(size_t index) const override;
  void SetColumnWidth(size_t index, size_t column, int width) override;

 private:
  // The form holding control `index` of the whole, and its position there. Assumes `index` is
  // below ControlCount().
  std::pair<FormControls*, size_t> At(size_t index) const;
  // Calls `method` of the form holding control `index` for its position there.
  template <typename Method, typename... Args>
  decltype(auto) Call(Method method, size_t index, Args&&... args) const {
    const auto [form, local] = At(index);
    return (form->*method)(local, std::forward<Args>(args)...);
  }

  std::vector<FormControls*> forms_;
};

enum class SyncMode : uint8_t { kLoad = 0, kSave = 1 };

// Loads (or saves) every option control of `form` from (into) `store`, in creation order.
// A control takes part when its upper-cased name begins with `prefix` (which is therefore given
// in upper case, e.g. "OPT_") or when it is a list view, and only when it is windowed. Its
// section and ident come from the help keyword "Section|Ident" (a keyword without a bar is both);
// an empty ident is the name without its first prefix.size() characters. Check boxes and
// information panels are booleans, edits and memos strings, combo boxes, radio groups, spin
// edits and sliders integers (a negative index after loading becomes 0). A list view stores the
// width of column n under name + ".Col" + n in section "Visual", whatever its help keyword. Other
// kinds are skipped. Returns whether every write succeeded (always true when loading).
bool SyncOptionControls(FormControls& form, RegistryStore& store, std::string_view prefix,
                        SyncMode mode);

// Copies the check state of each named check box the form has into its field of `record`; a
// missing control leaves its field as it is.
template <class Record>
void ReadCheckBoxes(const FormControls& form, Record& record,
                    std::initializer_list<std::pair<const char*, bool Record::*>> boxes) {
  for (const auto& [name, field] : boxes)
    if (const auto at = form.Find(name)) record.*field = form.Checked(*at);
}

}  // namespace tavion
