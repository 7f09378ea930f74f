#include "ui/macros_page_win.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/utf_win.h"
#include "exec/main_messages.h"
#include "forms/form_win.h"
#include "forms/message_box_win.h"
#include "lang/lang.h"
#include "lang/lang_win.h"
#include "macros/macro_format.h"
#include "settings/registry.h"
#include "ui/key_names_page.h"
#include "ui/list_page_win.h"
#include "ui/macros_page.h"
#include "ui/main_pages_win.h"
#include "ui/ok_frame_win.h"
#include "ui/text_query_win.h"
#include "ui/form_tables_win.h"

namespace tavion {
namespace {

// Sizes at 96 dots per inch.
constexpr int kMargin = 8;
constexpr int kButtonHeight = 26;
constexpr int kGap = 6;

constexpr char kSection[] = "TabMacros";
constexpr char kList[] = "l_macros";
constexpr char kRecord[] = "b_m_rect";
constexpr char kAddAction[] = "b_m_act";
constexpr char kEdit[] = "b_m_edit";
constexpr char kDelete[] = "b_m_del";
constexpr char kHelp[] = "b_help";
// The buttons' column, top to bottom.
const char* const kButtons[] = {kRecord, kAddAction, kEdit, kDelete, kHelp};

std::string RecordCaption(bool recording) {
  return recording ? GetLangStr("ButtonStopRecord", "Stop", kSection)
                   : GetLangStr("ButtonRecord", "Record", kSection);
}

class MacrosPage final : public Page {
 public:
  bool Create(HWND parent, const PageServices& services) override;
  HWND Handle() const override { return hwnd_; }
  std::wstring Title() const override { return GetLangStrW("PageMacros", "Macros"); }
  void Shown() override { Refill(SelectedName()); }
  void Layout(int dpi) override;
  bool CommandEnabled(ListCommand command, HWND focus) const override;
  void RunCommand(ListCommand command, HWND focus) override;
  std::vector<ListMenuEntry> ContextMenu(HWND focus) const override;
  void OnWindowStatus(unsigned status) override {
    if (status == kStatusStopRecording && recording_) StopRecording();
  }
  void ApplyLanguage() override {
    form_.ApplyLanguage();
    form_.SetCaption(form_.Find(kRecord).value_or(SIZE_MAX), RecordCaption(recording_ != nullptr));
    Layout(WindowDpi(hwnd_));
  }
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  HWND List() const { return form_.Handle(kList); }
  int Selected() const { return SelectedListRow(List()); }
  std::string SelectedName() const {
    const int row = Selected();
    return row >= 0 && row < static_cast<int>(names_.size()) ? names_[row] : std::string();
  }
  // Reads the macros again and selects `name` (else the first row).
  void Refill(const std::string& name);
  void SelectRow(int row);
  // Enables the buttons for the selection and the recording state.
  void UpdateButtons();
  void StartRecording();
  // Ends the recording: names and stores it, or discards it after Cancel.
  void StopRecording();
  void AddAction();
  void Edit();
  void Delete();

  HWND hwnd_ = nullptr;
  PageServices services_;
  Win32Form form_;
  std::vector<std::string> names_;  // the rows' macros
  // The macro being recorded (item 0 the layout, item 1 the settings, then the events); the key
  // handler appends to it until recording stops.
  std::unique_ptr<std::vector<std::string>> recording_;
};

bool MacrosPage::Create(HWND parent, const PageServices& services) {
  services_ = services;
  hwnd_ = CreatePageWindow(parent, services.instance, &ListPageProcedure<MacrosPage>, this);
  if (!hwnd_) return false;
  form_.SetLanguage(MacrosPageLanguage());
  if (!form_.Create(hwnd_, MacrosPageControls())) return false;
  SetWindowLongPtrW(List(), GWL_STYLE,
                    GetWindowLongPtrW(List(), GWL_STYLE) | LVS_SINGLESEL | LVS_SHOWSELALWAYS);
  SendMessageW(List(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  UpdateButtons();
  return true;
}

std::optional<LRESULT> MacrosPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      if (HIWORD(wParam) != BN_CLICKED) return std::nullopt;
      const std::optional<size_t> index = form_.IndexOfId(LOWORD(wParam));
      if (!index) return std::nullopt;
      const std::string& name = form_.Name(*index);
      if (name == kRecord) RunCommand(ListCommand::kAdd, List());
      if (name == kAddAction) AddAction();
      if (name == kEdit) Edit();
      if (name == kDelete) Delete();
      if (name == kHelp && services_.showHelp) services_.showHelp("macros.htm");
      return 0;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom != List()) return std::nullopt;
      if (header->code == LVN_ITEMCHANGED) UpdateButtons();
      if ((header->code == NM_DBLCLK || header->code == NM_RETURN) && Selected() >= 0) Edit();
      return 0;
    }
    case WM_CONTEXTMENU:
      if (!OnListContextMenu(*this, List(), wParam, lParam)) return std::nullopt;
      return 0;
    case WM_DESTROY:
      // The program ends while recording: the key handler lets go of the list it fills.
      if (recording_ && services_.recordMacro) services_.recordMacro(nullptr);
      recording_.reset();
      return std::nullopt;
  }
  return std::nullopt;
}

void MacrosPage::Layout(int dpi) {
  const auto scale = [dpi](int v) { return MulDiv(v, dpi, 96); };
  RECT client;
  GetClientRect(hwnd_, &client);
  const int margin = scale(kMargin);
  // The column is as wide as its widest caption, the record button's other one included.
  HWND record = form_.Handle(kRecord);
  const std::wstring shown = Utf8ToWide(RecordCaption(recording_ != nullptr));
  const std::wstring other = Utf8ToWide(RecordCaption(recording_ == nullptr));
  int width = ButtonWidth(record, dpi) - TextWidth(ControlFont(record), shown) +
              TextWidth(ControlFont(record), other);
  for (const char* name : kButtons) width = std::max(width, ButtonWidth(form_.Handle(name), dpi));
  const int left = std::max(margin, static_cast<int>(client.right) - margin - width);
  int top = margin;
  for (const char* name : kButtons) {
    MoveWindow(form_.Handle(name), left, top, width, scale(kButtonHeight), TRUE);
    top += scale(kButtonHeight + kGap);
  }
  MoveWindow(List(), margin, margin, std::max(0, left - scale(kGap) - margin),
             std::max(0, static_cast<int>(client.bottom) - 2 * margin), TRUE);
  RECT list;
  GetClientRect(List(), &list);
  SendMessageW(
      List(), LVM_SETCOLUMNWIDTH, 0,
      MAKELPARAM(std::max(0, static_cast<int>(list.right) - GetSystemMetrics(SM_CXVSCROLL)), 0));
}

void MacrosPage::SelectRow(int row) {
  SelectListRow(List(), row);
  UpdateButtons();
}

void MacrosPage::Refill(const std::string& name) {
  names_ = services_.settings ? ListedMacroNames(*services_.settings) : std::vector<std::string>();
  SendMessageW(List(), WM_SETREDRAW, FALSE, 0);
  SendMessageW(List(), LVM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < names_.size(); ++i) {
    std::wstring text = Utf8ToWide(names_[i]);
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = text.data();
    SendMessageW(List(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  SendMessageW(List(), WM_SETREDRAW, TRUE, 0);
  const auto found = std::find_if(names_.begin(), names_.end(),
                                  [&](const std::string& n) { return RegistryNameEqual(n, name); });
  SelectRow(found != names_.end() ? static_cast<int>(found - names_.begin())
                                  : (names_.empty() ? -1 : 0));
}

void MacrosPage::UpdateButtons() {
  const bool chosen = !recording_ && Selected() >= 0;
  form_.SetEnabled(*form_.Find(kAddAction), chosen && services_.addMacroAction);
  form_.SetEnabled(*form_.Find(kEdit), chosen && services_.editMacro);
  form_.SetEnabled(*form_.Find(kDelete), chosen);
  form_.SetEnabled(*form_.Find(kHelp), static_cast<bool>(services_.showHelp));
  // A button that lost its use keeps no keyboard focus: the list takes it.
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd_, focus) && !IsWindowEnabled(focus)) SetFocus(List());
}

void MacrosPage::StartRecording() {
  if (!services_.recordMacro) return;
  recording_ = std::make_unique<std::vector<std::string>>(
      std::vector<std::string>{std::string(), NewRecordingSettingsText()});
  services_.recordMacro(recording_.get());
  form_.SetCaption(*form_.Find(kRecord), RecordCaption(true));
  UpdateButtons();
}

void MacrosPage::StopRecording() {
  // The key handler lets go of the list before anything else runs, the name dialog included.
  services_.recordMacro(nullptr);
  const std::unique_ptr<std::vector<std::string>> items = std::move(recording_);
  form_.SetCaption(*form_.Find(kRecord), RecordCaption(false));
  UpdateButtons();
  if (!services_.settings) return;
  // The state of the keys as of the message being handled: a key that stopped the recording is
  // still down.
  DropRecordingGestures(*items, [](uint8_t key) { return GetKeyState(key) < 0; });
  RegistryStore& settings = *services_.settings;
  MacroNameQuestions questions;
  questions.askName = [this](const std::string& text) {
    return AskText(services_.window, "Tavion",
                   GetLangStr("InputMacrosName", "Input name for new macros", kSection), text);
  };
  questions.exists = [&](const std::string& name) {
    return settings.ValueExists(kMacrosKey, name);
  };
  questions.confirmReplace = [](const std::string&) {
    return ShowMessageBox(
               GetLangStr("Exists", "Macros with such name allready exists, rewrite it?", kSection),
               MessageDialogType::Confirmation, MessageButtons::YesNo) == IDYES;
  };
  questions.store = [&](const std::string& name) {
    if (WriteMacroItems(settings, name, *items)) return true;
    ShowMessageBox(
        FormatLangText(GetLangStr("ErrorSaveMacros", "Error: can't save the macros - %s"), {name}),
        MessageDialogType::Error, MessageButtons::Ok);
    return false;
  };
  const std::optional<std::string> name =
      StoreRecordedMacro(ProposedMacroName(names_.size()), questions);
  if (!name) return;
  Refill(*name);
  SetFocus(List());
  Edit();
}

void MacrosPage::AddAction() {
  const std::string name = SelectedName();
  if (name.empty() || recording_ || !services_.addMacroAction) return;
  if (services_.addMacroAction(name) && services_.actionsChanged) services_.actionsChanged();
}

void MacrosPage::Edit() {
  const std::string name = SelectedName();
  if (name.empty() || recording_) {
    MessageBeep(MB_OK);
    return;
  }
  if (!services_.editMacro) return;
  if (const std::optional<std::string> stored = services_.editMacro(name)) Refill(*stored);
}

void MacrosPage::Delete() {
  const int row = Selected();
  const std::string name = SelectedName();
  if (name.empty() || recording_) return;
  const std::string question = FormatLangText(
      GetLangStr("QuestDeleteAction", "Are you sure you want to delete '%s?'"), {name});
  if (ShowMessageBox(question, MessageDialogType::Confirmation, MessageButtons::YesNo) != IDYES)
    return;
  if (services_.settings) services_.settings->DeleteValue(kMacrosKey, name);
  Refill({});
  SelectRow(RowAfterDeletion(row, static_cast<int>(names_.size())));
}

bool MacrosPage::CommandEnabled(ListCommand command, HWND focus) const {
  if (focus != List()) return false;
  switch (command) {
    case ListCommand::kAdd:  // Record, or Stop while recording
      return static_cast<bool>(services_.recordMacro);
    case ListCommand::kEdit:  // without a selected row it beeps
      return !recording_ && services_.editMacro;
    case ListCommand::kDelete:
      return !recording_ && Selected() >= 0;
    case ListCommand::kRefresh:
      return true;
    default:
      return false;
  }
}

void MacrosPage::RunCommand(ListCommand command, HWND /*focus*/) {
  switch (command) {
    case ListCommand::kAdd:
      if (recording_)
        StopRecording();
      else
        StartRecording();
      break;
    case ListCommand::kEdit:
      Edit();
      break;
    case ListCommand::kDelete:
      Delete();
      break;
    case ListCommand::kRefresh:
      Refill(SelectedName());
      break;
    default:
      break;
  }
}

std::vector<ListMenuEntry> MacrosPage::ContextMenu(HWND focus) const {
  const auto entry = [&](ListCommand command, const std::string& text, const wchar_t* shortcut) {
    return ListMenuEntry{command, Utf8ToWide(text) + L"\t" + shortcut,
                         CommandEnabled(command, focus), false};
  };
  return {entry(ListCommand::kAdd, RecordCaption(recording_ != nullptr), L"Ins"),
          entry(ListCommand::kEdit, GetLangStr(kEdit, "Edit", kSection), L"F2"),
          entry(ListCommand::kDelete, GetLangStr(kDelete, "Delete", kSection), L"Del"),
          ListMenuEntry{ListCommand::kAdd, {}, true, /*separator=*/true},
          entry(ListCommand::kRefresh, GetLangStr("MenuRefresh", "Refresh", kSection), L"F5")};
}

}  // namespace

std::unique_ptr<Page> CreateMacrosPage() {
  return std::make_unique<MacrosPage>();
}

std::vector<ControlDecl> MacrosPageControls() {
  const auto button = [](const char* name, const char* caption) {
    return PlacedControl(name, ControlKind::kButton, caption);
  };
  std::vector<ControlDecl> table = {
      PlacedControl(kList, ControlKind::kListView),
      PlacedControl(kRecord, ControlKind::kButton, RecordCaption(false)),
      button(kAddAction, "Add action for macros"),
      button(kEdit, "Edit"),
      button(kDelete, "Delete"),
      button(kHelp, "Help")};
  table[0].columns.push_back({"Name", 200});
  return table;
}

FormLanguage MacrosPageLanguage() {
  return {kSection};
}

}  // namespace tavion
