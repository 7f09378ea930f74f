#include "settings/form.h"

#include <algorithm>

#include "settings/section_view.h"

namespace tavion {
namespace {

// Section of list-view column widths.
constexpr std::string_view kVisualSection = "Visual";

char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool UpperStartsWith(std::string_view name, std::string_view prefix) {
  if (name.size() < prefix.size()) return false;
  return std::equal(prefix.begin(), prefix.end(), name.begin(),
                    [](char p, char n) { return p == AsciiUpper(n); });
}

struct Place {
  std::string section;
  std::string ident;
};

Place PlaceOf(std::string_view name, std::string_view helpKeyword, size_t prefixLength) {
  Place place;
  const size_t bar = helpKeyword.find('|');
  if (bar == std::string_view::npos) {
    place.section = helpKeyword;
    place.ident = helpKeyword;
  } else {
    place.section = helpKeyword.substr(0, bar);
    place.ident = helpKeyword.substr(bar + 1);
  }
  if (place.ident.empty()) place.ident = name.substr(std::min(prefixLength, name.size()));
  return place;
}

bool SyncColumns(FormControls& form, size_t index, RegistryStore& store, SyncMode mode) {
  bool ok = true;
  const std::vector<int> widths = form.ColumnWidths(index);
  for (size_t column = 0; column < widths.size(); ++column) {
    const std::string ident = form.Name(index) + ".Col" + std::to_string(column);
    if (mode == SyncMode::kLoad) {
      form.SetColumnWidth(index, column, ReadInt(store, kVisualSection, ident, widths[column]));
    } else {
      ok &= WriteInt(store, kVisualSection, ident, widths[column]);
    }
  }
  return ok;
}

bool SyncChoice(FormControls& form, size_t index, RegistryStore& store, const Place& place,
                SyncMode mode) {
  if (mode == SyncMode::kSave) {
    return WriteInt(store, place.section, place.ident, form.ItemIndex(index));
  }
  form.SetItemIndex(index, ReadInt(store, place.section, place.ident, form.ItemIndex(index)));
  if (form.ItemIndex(index) < 0) form.SetItemIndex(index, 0);
  return true;
}

}  // namespace

bool IsWindowedKind(ControlKind kind) {
  return kind != ControlKind::kLabel;
}

std::optional<size_t> FormControls::Find(std::string_view name) const {
  for (size_t i = 0; i < ControlCount(); ++i) {
    if (Name(i) == name) return i;
  }
  return std::nullopt;
}

MemoryForm::MemoryForm(std::span<const ControlDecl> table) : DeclaredForm(table) {
  states_.reserve(decls_.size());
  for (const ControlDecl& decl : decls_) {
    State state{decl.checked, decl.text, -1, decl.expanded, {}};
    for (const ColumnDecl& column : decl.columns) state.widths.push_back(column.width);
    states_.push_back(std::move(state));
    SetItemIndex(states_.size() - 1, decl.itemIndex);
  }
}

bool MemoryForm::Checked(size_t index) const {
  return Is(index, ControlKind::kCheckBox) && states_[index].checked;
}

void MemoryForm::SetChecked(size_t index, bool checked) {
  if (Is(index, ControlKind::kCheckBox)) states_[index].checked = checked;
}

std::string MemoryForm::Text(size_t index) const {
  return IsText(index) ? states_[index].text : std::string();
}

void MemoryForm::SetText(size_t index, std::string_view text) {
  if (IsText(index)) states_[index].text = text;
}

int MemoryForm::ItemIndex(size_t index) const {
  return IsChoice(index) || IsNumber(index) ? states_[index].itemIndex : -1;
}

void MemoryForm::SetItemIndex(size_t index, int item) {
  if (IsNumber(index)) {
    states_[index].itemIndex = std::clamp(item, decls_[index].minValue, decls_[index].maxValue);
    return;
  }
  if (!IsChoice(index)) return;
  const bool inRange = item >= 0 && static_cast<size_t>(item) < decls_[index].items.size();
  states_[index].itemIndex = inRange ? item : -1;
}

bool MemoryForm::Expanded(size_t index) const {
  return Is(index, ControlKind::kInfoPanel) && states_[index].expanded;
}

void MemoryForm::SetExpanded(size_t index, bool expanded) {
  if (Is(index, ControlKind::kInfoPanel)) states_[index].expanded = expanded;
}

std::vector<int> MemoryForm::ColumnWidths(size_t index) const {
  return Is(index, ControlKind::kListView) ? states_[index].widths : std::vector<int>{};
}

void MemoryForm::SetColumnWidth(size_t index, size_t column, int width) {
  if (Is(index, ControlKind::kListView) && column < states_[index].widths.size())
    states_[index].widths[column] = width;
}

size_t CompositeForm::ControlCount() const {
  size_t count = 0;
  for (const FormControls* form : forms_)
    if (form) count += form->ControlCount();
  return count;
}

std::pair<FormControls*, size_t> CompositeForm::At(size_t index) const {
  for (FormControls* form : forms_) {
    if (!form) continue;
    if (index < form->ControlCount()) return {form, index};
    index -= form->ControlCount();
  }
  return {nullptr, 0};
}

const std::string& CompositeForm::Name(size_t index) const {
  return Call(&FormControls::Name, index);
}
ControlKind CompositeForm::Kind(size_t index) const {
  return Call(&FormControls::Kind, index);
}
const std::string& CompositeForm::HelpKeyword(size_t index) const {
  return Call(&FormControls::HelpKeyword, index);
}
bool CompositeForm::IsWindowed(size_t index) const {
  return Call(&FormControls::IsWindowed, index);
}
bool CompositeForm::Checked(size_t index) const {
  return Call(&FormControls::Checked, index);
}
std::string CompositeForm::Text(size_t index) const {
  return Call(&FormControls::Text, index);
}
int CompositeForm::ItemIndex(size_t index) const {
  return Call(&FormControls::ItemIndex, index);
}
bool CompositeForm::Expanded(size_t index) const {
  return Call(&FormControls::Expanded, index);
}
std::vector<int> CompositeForm::ColumnWidths(size_t index) const {
  return Call(&FormControls::ColumnWidths, index);
}
void CompositeForm::SetChecked(size_t index, bool checked) {
  Call(&FormControls::SetChecked, index, checked);
}
void CompositeForm::SetText(size_t index, std::string_view text) {
  Call(&FormControls::SetText, index, text);
}
void CompositeForm::SetItemIndex(size_t index, int item) {
  Call(&FormControls::SetItemIndex, index, item);
}
void CompositeForm::SetExpanded(size_t index, bool expanded) {
  Call(&FormControls::SetExpanded, index, expanded);
}
void CompositeForm::SetColumnWidth(size_t index, size_t column, int width) {
  Call(&FormControls::SetColumnWidth, index, column, width);
}

bool SyncOptionControls(FormControls& form, RegistryStore& store, std::string_view prefix,
                        SyncMode mode) {
  bool ok = true;
  for (size_t i = 0; i < form.ControlCount(); ++i) {
    const std::string& name = form.Name(i);
    const ControlKind kind = form.Kind(i);
    if (!UpperStartsWith(name, prefix) && kind != ControlKind::kListView) continue;
    if (!form.IsWindowed(i)) continue;
    const Place place = PlaceOf(name, form.HelpKeyword(i), prefix.size());
    const bool load = mode == SyncMode::kLoad;
    switch (kind) {
      case ControlKind::kCheckBox:
        if (load) {
          form.SetChecked(i, ReadBool(store, place.section, place.ident, form.Checked(i)));
        } else {
          ok &= WriteBool(store, place.section, place.ident, form.Checked(i));
        }
        break;
      case ControlKind::kEdit:
      case ControlKind::kMemo:
        if (load) {
          form.SetText(i, ReadStr(store, place.section, place.ident, form.Text(i)));
        } else {
          ok &= WriteStr(store, place.section, place.ident, form.Text(i));
        }
        break;
      case ControlKind::kInfoPanel:
        if (load) {
          form.SetExpanded(i, ReadBool(store, place.section, place.ident, form.Expanded(i)));
        } else {
          ok &= WriteBool(store, place.section, place.ident, form.Expanded(i));
        }
        break;
      case ControlKind::kRadioGroup:
      case ControlKind::kComboBox:
      case ControlKind::kSpinEdit:
      case ControlKind::kSlider:
        ok &= SyncChoice(form, i, store, place, mode);
        break;
      case ControlKind::kListView:
        ok &= SyncColumns(form, i, store, mode);
        break;
      case ControlKind::kButton:
      case ControlKind::kLabel:
      case ControlKind::kGroup:
        break;
    }
  }
  return ok;
}

}  // namespace tavion
