#include "ui/key_names_page_win.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/utf_win.h"
#include "forms/form_win.h"
#include "forms/message_box_win.h"
#include "keys/key_names.h"
#include "lang/lang.h"
#include "lang/lang_win.h"
#include "settings/registry.h"
#include "ui/key_name_dialog_win.h"
#include "ui/key_names_page.h"
#include "ui/list_page_win.h"
#include "ui/main_pages_win.h"
#include "ui/ok_frame_win.h"
#include "ui/form_tables_win.h"

namespace tavion {
namespace {

const char* const kButtons[] = {"b_add", "b_edit", "b_delete", "b_default"};
constexpr char kHelp[] = "b_help";

class KeyNamesPage final : public Page {
 public:
  bool Create(HWND parent, const PageServices& services) override;
  HWND Handle() const override { return hwnd_; }
  std::wstring Title() const override { return GetLangStrW("PageKeyNames", "Names of keys"); }
  void Shown() override { Refill(/*reload=*/true, 0); }
  void ApplyLanguage() override {
    form_.ApplyLanguage();
    Refill(/*reload=*/false, std::max(0, Selected()));
    Layout(WindowDpi(hwnd_));
  }
  void Layout(int dpi) override;
  bool CommandEnabled(ListCommand command, HWND focus) const override;
  void RunCommand(ListCommand command, HWND focus) override;
  std::vector<ListMenuEntry> ContextMenu(HWND focus) const override;
  // The page window's messages (ListPageProcedure).
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  HWND List() const { return form_.Handle("l_keys"); }
  int Selected() const { return SelectedListRow(List()); }
  void Select(int row) { SelectListRow(List(), row); }
  void Refill(bool reload, int row);
  void Save();
  void AddOrEdit(bool editing);
  void Delete();
  void Defaults();

  HWND hwnd_ = nullptr;
  PageServices services_;
  Win32Form form_;
};

bool KeyNamesPage::Create(HWND parent, const PageServices& services) {
  services_ = services;
  hwnd_ = CreatePageWindow(parent, services.instance, &ListPageProcedure<KeyNamesPage>, this);
  if (!hwnd_) return false;
  form_.SetLanguage({"KeyNames"});
  if (!form_.Create(hwnd_, KeyNamesPageControls())) return false;
  SetWindowLongPtrW(List(), GWL_STYLE, GetWindowLongPtrW(List(), GWL_STYLE) | LVS_SINGLESEL);
  SendMessageW(List(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  form_.SetEnabled(*form_.Find(kHelp), static_cast<bool>(services_.showHelp));
  return true;
}

std::optional<LRESULT> KeyNamesPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      if (HIWORD(wParam) != BN_CLICKED) return std::nullopt;
      const std::optional<size_t> index = form_.IndexOfId(LOWORD(wParam));
      if (!index) return std::nullopt;
      const std::string& name = form_.Name(*index);
      const ListCommand commands[] = {ListCommand::kAdd, ListCommand::kEdit, ListCommand::kDelete,
                                      ListCommand::kDefault};
      for (size_t i = 0; i < std::size(kButtons); ++i)
        if (name == kButtons[i]) RunCommand(commands[i], List());
      if (name == kHelp && services_.showHelp) services_.showHelp("ex_keys.htm");
      return 0;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom == List() && header->code == NM_DBLCLK) {
        RunCommand(ListCommand::kEdit, List());
        return 0;
      }
      return std::nullopt;
    }
    case WM_CONTEXTMENU:
      if (!OnListContextMenu(*this, List(), wParam, lParam)) return std::nullopt;
      return 0;
  }
  return std::nullopt;
}

void KeyNamesPage::Layout(int dpi) {
  HWND buttons[std::size(kButtons) + 1];
  for (size_t i = 0; i < std::size(kButtons); ++i) buttons[i] = form_.Handle(kButtons[i]);
  buttons[std::size(kButtons)] = form_.Handle(kHelp);
  LayOutListPage(hwnd_, form_.Handle("l_total"), List(), buttons, dpi);
}

void KeyNamesPage::Refill(bool reload, int row) {
  if (reload && services_.user) {
    ChangeKeyNamesTable(
        [this](TKeyNames& names) { names.LoadKeyNames(*services_.user, kKeyNamesRegistryPath); });
  }
  const std::shared_ptr<const TKeyNames> names = KeyNamesTable();
  SendMessageW(List(), WM_SETREDRAW, FALSE, 0);
  SendMessageW(List(), LVM_DELETEALLITEMS, 0, 0);
  for (int i = 0; i < names->Count(); ++i) {
    const KeyNameRow entry = KeyNameRowAt(*names, i);
    const std::string texts[] = {entry.name, entry.symbol, entry.keyCode};
    InsertListRow(List(), i, texts);
  }
  SendMessageW(List(), WM_SETREDRAW, TRUE, 0);
  SetWindowTextW(form_.Handle("l_total"), Utf8ToWide(KeyNamesCountText(names->Count())).c_str());
  Select(std::min(row, names->Count() - 1));
}

void KeyNamesPage::Save() {
  // A failed write leaves the old table whole in the registry; the list shows the new one until
  // the page is refilled.
  if (services_.user) KeyNamesTable()->SaveKeyNames(*services_.user, kKeyNamesRegistryPath);
}

void KeyNamesPage::AddOrEdit(bool editing) {
  const int row = Selected();
  if (editing && row < 0) {
    MessageBeep(MB_OK);
    return;
  }
  const std::shared_ptr<const TKeyNames> names = KeyNamesTable();
  KeyNameDialogData data;
  data.editing = editing;
  data.rawInputReady = services_.rawInputReady && services_.rawInputReady();
  if (services_.upOnlyKeys) data.upOnlyKeys = services_.upOnlyKeys();
  if (editing) {
    data.name = names->NameAt(row);
    data.key = names->KeyValueAt(row);
    data.hidText = names->HidTextAt(row);
  }
  if (!ShowKeyNameDialog(services_.window, services_.captureHooks, *names, editing ? row : -1,
                         data))
    return;
  ChangeKeyNamesTable([&](TKeyNames& table) {
    if (editing) {
      table.PutKey(row, data.name, data.key, data.hidText);
    } else {
      table.AddKey(data.name, data.key, data.hidText);
    }
  });
  Save();
  Refill(/*reload=*/false, KeyNamesTable()->IndexOfName(data.name));
}

void KeyNamesPage::Delete() {
  const int row = Selected();
  if (row < 0) return;
  const std::string question =
      FormatLangText(GetLangStr("QuestDeleteAction", "Are you sure you want to delete '%s?'"),
                     {KeyNamesTable()->NameAt(row)});
  if (ShowMessageBox(question, MessageDialogType::Confirmation, MessageButtons::YesNo) != IDYES)
    return;
  ChangeKeyNamesTable([row](TKeyNames& table) { table.Delete(row); });
  Save();
  Refill(/*reload=*/false, RowAfterDeletion(row, KeyNamesTable()->Count()));
}

void KeyNamesPage::Defaults() {
  const std::string question =
      GetLangStr("QuestDefault", "Warning! All current settings will be deleted, continue?");
  if (ShowMessageBox(question, MessageDialogType::Confirmation, MessageButtons::YesNo) != IDYES)
    return;
  if (services_.user) DeleteKeyNames(*services_.user, kKeyNamesRegistryPath);
  Refill(/*reload=*/true, 0);
}

bool KeyNamesPage::CommandEnabled(ListCommand command, HWND focus) const {
  if (focus != List()) return false;
  switch (command) {
    case ListCommand::kAdd:
    case ListCommand::kDefault:
    case ListCommand::kEdit:  // without a selected row it beeps
      return true;
    case ListCommand::kDelete:
      return Selected() >= 0;
    default:
      return false;
  }
}

void KeyNamesPage::RunCommand(ListCommand command, HWND /*focus*/) {
  switch (command) {
    case ListCommand::kAdd:
      AddOrEdit(false);
      break;
    case ListCommand::kEdit:
      AddOrEdit(true);
      break;
    case ListCommand::kDelete:
      Delete();
      break;
    case ListCommand::kDefault:
      Defaults();
      break;
    default:
      break;
  }
}

std::vector<ListMenuEntry> KeyNamesPage::ContextMenu(HWND focus) const {
  const auto entry = [&](ListCommand command, const char* key, const char* text,
                         const wchar_t* shortcut) {
    std::wstring caption = Utf8ToWide(GetLangStr(key, text, "KeyNames"));
    if (shortcut) caption += std::wstring(L"\t") + shortcut;
    return ListMenuEntry{command, caption, CommandEnabled(command, focus), false};
  };
  return {entry(ListCommand::kAdd, "b_add", "Add", L"Ins"),
          entry(ListCommand::kEdit, "b_edit", "Edit", L"F2"),
          entry(ListCommand::kDelete, "b_delete", "Delete", L"Del"),
          ListMenuEntry{ListCommand::kAdd, {}, true, /*separator=*/true},
          entry(ListCommand::kDefault, "b_default", "Defaults", nullptr)};
}

}  // namespace

std::unique_ptr<Page> CreateKeyNamesPage() {
  return std::make_unique<KeyNamesPage>();
}

std::vector<ControlDecl> KeyNamesPageControls() {
  const auto button = [](const char* name, const char* caption) {
    return PlacedControl(name, ControlKind::kButton, caption);
  };
  std::vector<ControlDecl> table = {PlacedControl("l_total", ControlKind::kLabel),
                                    PlacedControl("l_keys", ControlKind::kListView),
                                    button("b_add", "Add"),
                                    button("b_edit", "Edit"),
                                    button("b_delete", "Delete"),
                                    button("b_default", "Defaults"),
                                    button(kHelp, "Help")};
  const std::pair<const char*, int> columns[] = {{"Name", 180}, {"Symbol", 70}, {"Key code", 110}};
  for (size_t i = 0; i < std::size(columns); ++i) {
    table[1].columns.push_back({columns[i].first, columns[i].second});
  }
  return table;
}

}  // namespace tavion
