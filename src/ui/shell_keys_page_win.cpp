#include "ui/shell_keys_page_win.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "exec/launch.h"
#include "exec/launch_system_win.h"
#include "forms/form_win.h"
#include "forms/message_box_win.h"
#include "lang/lang.h"
#include "lang/lang_win.h"
#include "syskeys/shell_keys.h"
#include "syskeys/shell_keys_win.h"
#include "ui/actions_page_win.h"
#include "ui/key_names_page.h"
#include "ui/list_page_win.h"
#include "ui/main_pages_win.h"
#include "ui/ok_frame_win.h"
#include "ui/shell_key_dialog_win.h"
#include "ui/form_tables_win.h"

namespace tavion {
namespace {

// The designed width of the Key and Action columns, at 96 dots per inch.
constexpr int kColumnWidth = 110;
// Every row shows this picture of the action images.
constexpr int kRowImage = 2;

constexpr char kList[] = "l_e", kCount[] = "l_e_count", kHelp[] = "b_e_hlp";
// The list's commands and their buttons, left to right; the Help button follows them.
struct CommandButton {
  ListCommand command;
  const char* name;
  const char* english;
  const wchar_t* shortcut;  // shown in the context menu
};
constexpr CommandButton kCommands[] = {{ListCommand::kAdd, "b_e_add", "Add", L"Ins"},
                                       {ListCommand::kEdit, "b_e_edt", "Edit", L"F2"},
                                       {ListCommand::kDelete, "b_e_del", "Delete", L"Del"}};

// The folder of the running program: what "%exe%" stands for.
std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length < MAX_PATH ? length : 0);
  const size_t slash = folder.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : folder.substr(0, slash);
}

class ShellKeysPage final : public Page {
 public:
  explicit ShellKeysPage(std::unique_ptr<RegistryStore> appKey)
      : appKey_(std::move(appKey)), folders_(ProgramFolder()) {}
  ~ShellKeysPage() override {
    if (images_) ImageList_Destroy(images_);
  }

  bool Create(HWND parent, const PageServices& services) override;
  HWND Handle() const override { return hwnd_; }
  std::wstring Title() const override { return GetLangStrW("PageShellKeys", "Shell keys"); }
  void Shown() override { LoadShellKeys(SelectedName()); }
  void Layout(int dpi) override;
  void ApplyLanguage() override {
    form_.ApplyLanguage();
    UpdateShellKeyCount();
    Layout(WindowDpi(hwnd_));
  }
  bool CommandEnabled(ListCommand command, HWND focus) const override;
  void RunCommand(ListCommand command, HWND focus) override;
  std::vector<ListMenuEntry> ContextMenu(HWND focus) const override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  HWND List() const { return form_.Handle(kList); }
  int Selected() const { return SelectedListRow(List()); }
  std::string SelectedName() const {
    const int row = Selected();
    return row >= 0 && row < static_cast<int>(rows_.size()) ? rows_[row].name : std::string();
  }
  // Whether the button of `command` is there and enabled.
  bool Offered(ListCommand command) const;
  // Reads the keys as stored and selects the row named `name` (none when it is empty or gone).
  void LoadShellKeys(const std::string& name);
  void SelectRow(int row);
  void UpdateShellKeyCount();
  // Edit and Delete follow the selection.
  void UpdateButtons();
  void AddOrEdit(bool editing);
  void Delete();
  // Tells the user that `outcome` for the key `name` failed.
  void ShowFailure(ShellKeyOutcome outcome, std::string_view name);

  std::unique_ptr<RegistryStore> appKey_;
  Win32LaunchSystem folders_;
  HWND hwnd_ = nullptr;
  PageServices services_;
  Win32Form form_;
  HIMAGELIST images_ = nullptr;
  int dpi_ = 0;                    // of the pictures and the column widths
  std::vector<ShellKeyRow> rows_;  // one per list row, in its order
};

bool ShellKeysPage::Create(HWND parent, const PageServices& services) {
  services_ = services;
  hwnd_ = CreatePageWindow(parent, services.instance, &ListPageProcedure<ShellKeysPage>, this);
  if (!hwnd_) return false;
  form_.SetLanguage({"Fr1"});
  if (!form_.Create(hwnd_, ShellKeysPageControls())) return false;
  SetWindowLongPtrW(List(), GWL_STYLE,
                    GetWindowLongPtrW(List(), GWL_STYLE) | LVS_SINGLESEL | LVS_SHOWSELALWAYS);
  SendMessageW(List(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  UpdateShellKeyCount();
  UpdateButtons();
  return true;
}

std::optional<LRESULT> ShellKeysPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const std::optional<size_t> index = form_.IndexOfId(LOWORD(wParam));
      if (HIWORD(wParam) != BN_CLICKED || !index) return std::nullopt;
      const std::string& name = form_.Name(*index);
      for (const CommandButton& button : kCommands)
        if (name == button.name) RunCommand(button.command, List());
      if (name == kHelp && services_.showHelp) services_.showHelp("shellkeys.htm");
      return 0;
    }
    case WM_NOTIFY:
    case WM_CONTEXTMENU:
      return OnListMessage(*this, List(), message, wParam, lParam, [this] { UpdateButtons(); });
  }
  return std::nullopt;
}

void ShellKeysPage::Layout(int dpi) {
  if (dpi != dpi_) {
    // The controls take the font of the DPI; their places follow below.
    RECT client;
    GetClientRect(hwnd_, &client);
    form_.Layout(client.right, dpi);
    // The pictures are made for the DPI; the list lets go of the old ones when it takes these.
    HIMAGELIST images = CreateActionImages(services_.resourceFolder, dpi);
    SendMessageW(List(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    if (images_) ImageList_Destroy(images_);
    images_ = images;
    for (int column = 0; column < 2; ++column)
      SendMessageW(List(), LVM_SETCOLUMNWIDTH, column,
                   MAKELPARAM(MulDiv(kColumnWidth, dpi, 96), 0));
    dpi_ = dpi;
  }
  std::vector<HWND> buttons;
  for (const CommandButton& button : kCommands) buttons.push_back(form_.Handle(button.name));
  buttons.push_back(form_.Handle(kHelp));
  LayOutListPage(hwnd_, form_.Handle(kCount), List(), buttons, dpi);
}

bool ShellKeysPage::Offered(ListCommand command) const {
  for (const CommandButton& button : kCommands)
    if (button.command == command) return IsWindowEnabled(form_.Handle(button.name)) != FALSE;
  return false;
}

void ShellKeysPage::LoadShellKeys(const std::string& name) {
  rows_ = ReadShellKeys(*appKey_);
  SendMessageW(List(), WM_SETREDRAW, FALSE, 0);
  SendMessageW(List(), LVM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < rows_.size(); ++i) {
    const std::string texts[] = {rows_[i].name, rows_[i].action, rows_[i].parameter};
    InsertListRow(List(), static_cast<int>(i), texts, kRowImage);
  }
  SendMessageW(List(), WM_SETREDRAW, TRUE, 0);
  SelectRow(name.empty() ? -1 : ShellKeyRowNamed(rows_, name));
  UpdateShellKeyCount();
}

void ShellKeysPage::SelectRow(int row) {
  SelectListRow(List(), row);
  UpdateButtons();
}

void ShellKeysPage::UpdateShellKeyCount() {
  form_.SetCaption(*form_.Find(kCount), ShellKeyCountText(static_cast<int>(rows_.size())));
}

void ShellKeysPage::UpdateButtons() {
  const bool chosen = Selected() >= 0;
  for (const CommandButton& button : kCommands)
    form_.SetEnabled(*form_.Find(button.name), button.command == ListCommand::kAdd || chosen);
  form_.SetEnabled(*form_.Find(kHelp), static_cast<bool>(services_.showHelp));
  // A button that lost its use keeps no keyboard focus: the list takes it.
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd_, focus) && !IsWindowEnabled(focus)) SetFocus(List());
}

void ShellKeysPage::AddOrEdit(bool editing) {
  const int row = editing ? Selected() : -1;
  ShellKeyDialogData data = editing ? EditShellKeyData(rows_[row]) : ShellKeyDialogData{};
  if (!ShowShellKeyDialog(services_.window, rows_, row, data)) return;
  const ShellKeyChange change = PlanShellKeyChange(
      rows_, row, data, [this](std::string_view text) { return ExpandVariables(text, folders_); });
  const ShellKeyOutcome outcome = ApplyShellKeyChange(*appKey_, change);
  // The list shows what is really stored, whatever came of the change.
  LoadShellKeys(change.name);
  if (outcome != ShellKeyOutcome::kDone) ShowFailure(outcome, change.name);
}

void ShellKeysPage::Delete() {
  const int row = Selected();
  const std::string name = rows_[row].name;
  const std::string question = FormatLangText(
      GetLangStr("QuestDeleteAction", "Are you sure you want to delete '%s?'"), {name});
  if (ShowMessageBox(question, MessageDialogType::Confirmation, MessageButtons::YesNoCancel) !=
      IDYES)
    return;
  if (!appKey_->DeleteKey(rows_[row].subKey)) {
    LoadShellKeys(name);
    ShowFailure(ShellKeyOutcome::kDeleteFailed, name);
    return;
  }
  LoadShellKeys({});
  SelectRow(RowAfterDeletion(row, static_cast<int>(rows_.size())));
}

void ShellKeysPage::ShowFailure(ShellKeyOutcome outcome, std::string_view name) {
  ShowMessageBox(ShellKeyFailureText(outcome, name), MessageDialogType::Error, MessageButtons::Ok);
}

bool ShellKeysPage::CommandEnabled(ListCommand command, HWND focus) const {
  return focus == List() && Offered(command);
}

void ShellKeysPage::RunCommand(ListCommand command, HWND /*focus*/) {
  // Edit and Delete act on the selected row; their buttons are enabled only with one.
  if (!Offered(command)) return;
  if (command == ListCommand::kDelete) {
    Delete();
  } else {
    AddOrEdit(command == ListCommand::kEdit);
  }
}

std::vector<ListMenuEntry> ShellKeysPage::ContextMenu(HWND focus) const {
  std::vector<ListMenuEntry> entries;
  for (const CommandButton& button : kCommands) {
    // The buttons' captions, as translated.
    std::wstring caption(256, L'\0');
    caption.resize(static_cast<size_t>(GetWindowTextW(form_.Handle(button.name), caption.data(),
                                                      static_cast<int>(caption.size()))));
    entries.push_back(ListMenuEntry{button.command, caption + L"\t" + button.shortcut,
                                    CommandEnabled(button.command, focus), false});
  }
  return entries;
}

}  // namespace

std::unique_ptr<Page> CreateShellKeysPage() {
  return CreateShellKeysPage(OpenShellKeyStore());
}

std::unique_ptr<Page> CreateShellKeysPage(std::unique_ptr<RegistryStore> appKey) {
  return std::make_unique<ShellKeysPage>(std::move(appKey));
}

std::vector<ControlDecl> ShellKeysPageControls() {
  std::vector<ControlDecl> table = {PlacedControl(kCount, ControlKind::kLabel),
                                    PlacedControl(kList, ControlKind::kListView)};
  table[1].columns = {{"Key", kColumnWidth}, {"Action", kColumnWidth}, {"Parameters", 200}};
  for (const CommandButton& button : kCommands)
    table.push_back(PlacedControl(button.name, ControlKind::kButton, button.english));
  table.push_back(PlacedControl(kHelp, ControlKind::kButton, "Help"));
  return table;
}

}  // namespace tavion
