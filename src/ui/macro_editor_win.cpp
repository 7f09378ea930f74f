#include "ui/macro_editor_win.h"

#include <commctrl.h>

#include <algorithm>
#include <span>
#include <vector>

#include "base/utf_win.h"
#include "lang/lang.h"
#include "macros/macro_format.h"
#include "settings/registry.h"
#include "ui/actions_page.h"
#include "ui/actions_page_win.h"
#include "ui/control_pane_win.h"
#include "ui/macro_editor.h"
#include "ui/main_options.h"
#include "ui/ok_frame_win.h"
#include "ui/form_tables_win.h"

namespace tavion {
namespace {

constexpr char kSection[] = "Fr6";
constexpr char kHelpTopic[] = "macros.htm#delay";
// The row image of an event, where the action images go that far.
constexpr int kEventImage = 21;

// Sizes at 96 dots per inch.
constexpr int kMargin = 8;
constexpr int kMinWidth = 420;

enum : int {
  kIdTabs = 100,
  kIdMainPane,
  kIdExtraPane,
  kIdMainForm = 200,
  kIdExtraForm = 300,
  kIdHelp = 400,
};

// A control, captioned in English: the form translates it in the editor's section.
ControlDecl Control(ControlKind kind, std::string name, std::string_view english) {
  ControlDecl decl = PlacedControl(name, kind, std::string(english));
  decl.place = {};  // it flows with the page's rows
  return decl;
}

std::vector<ControlDecl> MainControls() {
  ControlDecl sleep = Control(ControlKind::kComboBox, "cb_sleep", "Delay on macros play");
  const char* const items[] = {"No delay (very fast playback)", "Minimal (10 ms)", "Normal (20 ms)",
                               "Same as on record"};
  for (size_t i = 0; i < std::size(items); ++i) sleep.items.push_back(items[i]);
  sleep.itemIndex = 1;
  return {
      Control(ControlKind::kEdit, "e_name", "Macros name"),
      sleep,
      Control(ControlKind::kCheckBox, "cb_beep", "Sound message in the end of playback"),
      Control(ControlKind::kCheckBox, "cb_block", "Block keyboard on macrso playback"),
      Control(ControlKind::kCheckBox, "cb_stop", "Stop macros playback on any key press"),
      Control(ControlKind::kCheckBox, "cb_l", "Don't switch to start language, after playback")};
}

std::vector<ControlDecl> ExtraControls() {
  ControlDecl list = Control(ControlKind::kListView, "l_macr", "");
  list.columns = {{GetLangStr("Col0", "Key", kSection), 170},
                  {GetLangStr("Col1", "Action", kSection), 90}};
  // Measured with the widest text it shows; it starts empty.
  ControlDecl codes = Beside(Control(ControlKind::kLabel, "l_k", ""));
  codes.caption = "255x255x3";
  return {Control(ControlKind::kEdit, "e_macr", "Keys list"),
          list,
          Control(ControlKind::kButton, "b_up", "Up"),
          Beside(Control(ControlKind::kButton, "b_down", "Down")),
          Beside(Control(ControlKind::kButton, "b_del", "Delete")),
          Beside(Control(ControlKind::kButton, "b_chk", "Check")),
          codes};
}

class MacroEditor final : public ModalDialog {
 public:
  MacroEditor(const MacroEditorContext& context, std::string name)
      : context_(context), name_(std::move(name)), instance_(context.instance) {}
  ~MacroEditor() override;

  std::optional<std::string> result;

 private:
  bool Init() override;
  bool Accept() override;
  std::optional<INT_PTR> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  bool CreatePages();
  void Load();
  void FillRows();
  void SetRow(int row, bool insert);
  void ShowSummary();
  void ShowPage(int page);
  void NextPage(int step);
  void LayOut();
  void OnControl(const Win32Form& form, size_t index, WORD code);

  // The list's selection and what follows from it.
  HWND List() const { return extra_.Handle("l_macr"); }
  int RowCount() const { return static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0)); }
  std::vector<int> SelectedRows() const;
  void Select(int row);
  void UpdateButtons();
  void UpdateStop();
  void Move(int step);
  void DeleteSelected();
  void Check();
  // Switches to `page`, puts the focus on `control` and keeps the dialog open.
  bool Refuse(int page, HWND control);

  MacroEditorSettings Settings() const;
  std::span<const std::string> EventItems() const {
    return std::span(items_).subspan(kMacroFirstEventItem);
  }

  static LRESULT CALLBACK MessageFilter(int code, WPARAM wParam, LPARAM lParam);

  const MacroEditorContext& context_;
  const std::string name_;
  HINSTANCE instance_;
  std::vector<std::string> items_;  // item 0 layout, 1 settings, 2 ... events
  HWND tabs_ = nullptr;
  HWND panes_[2] = {};
  HWND help_ = nullptr;
  Win32Form main_;
  Win32Form extra_;
  HIMAGELIST images_ = nullptr;
  int eventImage_ = -1;
  int page_ = 0;
  HHOOK filter_ = nullptr;

  static thread_local MacroEditor* running_;
};

thread_local MacroEditor* MacroEditor::running_ = nullptr;

MacroEditor::~MacroEditor() {
  if (filter_) UnhookWindowsHookEx(filter_);
  if (running_ == this) running_ = nullptr;
  if (images_) ImageList_Destroy(images_);
}

bool MacroEditor::Init() {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  items_ = EditorItemsOf(ReadMacroItems(*context_.settings, name_));
  if (!instance_) instance_ = GetModuleHandleW(nullptr);
  // The pages are the tab control's children, so that it never draws over them.
  tabs_ = CreateWindowExW(WS_EX_CONTROLPARENT, WC_TABCONTROLW, L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN, 0, 0, 0, 0, dialog_,
                          reinterpret_cast<HMENU>(kIdTabs), instance_, nullptr);
  if (!tabs_ || !CreatePages()) return false;
  help_ = CreateWindowExW(0, L"BUTTON", Utf8ToWide(GetLangStr("ButtonHlp", "Help")).c_str(),
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, dialog_,
                          reinterpret_cast<HMENU>(kIdHelp), instance_, nullptr);
  if (!help_) return false;
  SendMessageW(help_, WM_SETFONT, reinterpret_cast<WPARAM>(main_.Font()), FALSE);
  EnableWindow(help_, static_cast<bool>(context_.showHelp));
  SendMessageW(tabs_, WM_SETFONT, reinterpret_cast<WPARAM>(main_.Font()), FALSE);
  const std::wstring captions[] = {Utf8ToWide(GetLangStr("ts_main", "Main options", kSection)),
                                   Utf8ToWide(GetLangStr("ts_extra", "Additional", kSection))};
  for (int i = 0; i < 2; ++i) {
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(captions[i].c_str());
    TabCtrl_InsertItem(tabs_, i, &item);
  }
  Load();
  LayOut();
  ShowPage(0);
  running_ = this;
  filter_ =
      SetWindowsHookExW(WH_MSGFILTER, &MacroEditor::MessageFilter, nullptr, GetCurrentThreadId());
  SetFocus(main_.Handle("e_name"));
  SendMessageW(main_.Handle("e_name"), EM_SETSEL, 0, -1);
  return true;
}

bool MacroEditor::CreatePages() {
  panes_[0] = CreateControlPane(tabs_, kIdMainPane, instance_);
  panes_[1] = CreateControlPane(tabs_, kIdExtraPane, instance_);
  if (!panes_[0] || !panes_[1]) return false;
  main_.SetLanguage(MacroEditorLanguage());
  extra_.SetLanguage(MacroEditorLanguage());
  if (!main_.Create(panes_[0], MainControls(), kIdMainForm)) return false;
  if (!extra_.Create(panes_[1], ExtraControls(), kIdExtraForm)) return false;
  SendMessageW(extra_.Handle("e_macr"), EM_SETREADONLY, TRUE, 0);
  SetWindowTextW(extra_.Handle("l_k"), L"");
  HWND list = List();
  SetWindowLongPtrW(list, GWL_STYLE, GetWindowLongPtrW(list, GWL_STYLE) | LVS_SHAREIMAGELISTS);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  images_ = CreateActionImages(context_.resourceFolder, WindowDpi(dialog_));
  if (images_) {
    eventImage_ =
        ImageList_GetImageCount(images_) > kEventImage ? kEventImage : CodeImage("mc_play");
    SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
  }
  return true;
}

void MacroEditor::Load() {
  const MacroEditorSettings settings = EditorSettingsOf(items_[kMacroSettingsItem]);
  main_.SetText(*main_.Find("e_name"), name_);
  main_.SetItemIndex(*main_.Find("cb_sleep"), settings.sleepIndex);
  main_.SetChecked(*main_.Find("cb_beep"), settings.beep);
  main_.SetChecked(*main_.Find("cb_block"), settings.block);
  main_.SetChecked(*main_.Find("cb_stop"), settings.stop);
  main_.SetChecked(*main_.Find("cb_l"), settings.keepLanguage);
  UpdateStop();
  FillRows();
  ShowSummary();
  UpdateButtons();
}

void MacroEditor::FillRows() {
  SendMessageW(List(), WM_SETREDRAW, FALSE, 0);
  SendMessageW(List(), LVM_DELETEALLITEMS, 0, 0);
  for (int row = 0; row < static_cast<int>(EventItems().size()); ++row) SetRow(row, true);
  SendMessageW(List(), WM_SETREDRAW, TRUE, 0);
}

void MacroEditor::SetRow(int row, bool insert) {
  const MacroEventRow texts = EventRowOf(EventItems()[static_cast<size_t>(row)]);
  std::wstring key = Utf8ToWide(texts.key), action = Utf8ToWide(texts.action);
  LVITEMW item = {};
  item.mask = LVIF_TEXT | (eventImage_ >= 0 ? LVIF_IMAGE : 0u);
  item.iItem = row;
  item.iImage = eventImage_;
  item.pszText = key.data();
  SendMessageW(List(), insert ? LVM_INSERTITEMW : LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  item.mask = LVIF_TEXT;
  item.iSubItem = 1;
  item.pszText = action.data();
  SendMessageW(List(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void MacroEditor::ShowSummary() {
  const std::string summary = MacroSummary(EventItems(), [](const MacroEvent& event) {
    return KeyToText(event.keyCode, event.scanCode, event.extended ? 1 : 0,
                     /*useConversion=*/true, /*useUserNames=*/true);
  });
  extra_.SetText(*extra_.Find("e_macr"), summary);
}

void MacroEditor::ShowPage(int page) {
  page_ = page;
  TabCtrl_SetCurSel(tabs_, page);
  ShowWindow(panes_[0], page == 0 ? SW_SHOW : SW_HIDE);
  ShowWindow(panes_[1], page == 1 ? SW_SHOW : SW_HIDE);
}

void MacroEditor::NextPage(int step) {
  ShowPage((page_ + step + 2) % 2);
  SetFocus(tabs_);
}

void MacroEditor::LayOut() {
  const int dpi = WindowDpi(dialog_);
  const auto scale = [dpi](int v) { return MulDiv(v, dpi, 96); };
  const int helpWidth = ButtonWidth(help_, dpi);
  int width = std::max(scale(kMinWidth), ok_.Width(dpi) + helpWidth + scale(kMargin));
  int height = 0;
  for (Win32Form* form : {&main_, &extra_}) {
    // Laid out across no width, a form takes the least width its rows need.
    form->Layout(0, dpi);
    width = std::max(width, form->ContentWidth());
    height = std::max(height, form->ContentHeight());
  }
  // The tab control around a display area of width x height.
  RECT display = {scale(kMargin), scale(kMargin), scale(kMargin) + width, scale(kMargin) + height};
  RECT outer = display;
  TabCtrl_AdjustRect(tabs_, TRUE, &outer);
  OffsetRect(&outer, scale(kMargin) - outer.left, scale(kMargin) - outer.top);
  SetClientSize(outer.right + scale(kMargin), outer.bottom + ok_.Height(dpi));
  MoveWindow(tabs_, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
             TRUE);
  // The tab's height may differ once it has its size: the display area is asked again.
  GetClientRect(tabs_, &display);
  TabCtrl_AdjustRect(tabs_, FALSE, &display);
  for (int i = 0; i < 2; ++i) {
    MoveWindow(panes_[i], display.left, display.top, display.right - display.left,
               display.bottom - display.top, TRUE);
  }
  main_.Layout(display.right - display.left, dpi);
  extra_.Layout(display.right - display.left, dpi);
  // The list's last column takes the room the first leaves.
  RECT list = {};
  GetClientRect(List(), &list);
  const auto first = static_cast<int>(SendMessageW(List(), LVM_GETCOLUMNWIDTH, 0, 0));
  const int rest = list.right - first - GetSystemMetrics(SM_CXVSCROLL);
  if (rest > scale(60)) SendMessageW(List(), LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(rest, 0));
  RECT client = {};
  GetClientRect(dialog_, &client);
  const int top = ok_.Layout(client, dpi) + scale(kMargin);
  MoveWindow(help_, scale(kMargin), top, helpWidth, client.bottom - scale(kMargin) - top, TRUE);
}

std::vector<int> MacroEditor::SelectedRows() const {
  std::vector<int> rows;
  for (int row = -1;;) {
    row = static_cast<int>(
        SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED));
    if (row < 0) break;
    rows.push_back(row);
  }
  return rows;
}

void MacroEditor::Select(int row) {
  LVITEMW state = {};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  if (row >= 0) {
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&state));
    SendMessageW(List(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  }
  UpdateButtons();
}

void MacroEditor::UpdateButtons() {
  const std::vector<int> rows = SelectedRows();
  const int first = rows.empty() ? -1 : rows.front();
  const EventButtons buttons = EventButtonsFor(static_cast<int>(rows.size()), first, RowCount());
  extra_.SetEnabled(*extra_.Find("b_up"), buttons.up);
  extra_.SetEnabled(*extra_.Find("b_down"), buttons.down);
  extra_.SetEnabled(*extra_.Find("b_del"), buttons.remove);
  // While rows are deleted the list may still hold rows whose events are gone.
  const bool shown = first >= 0 && static_cast<size_t>(first) < EventItems().size();
  const std::string codes =
      shown ? EventCodesText(EventItems()[static_cast<size_t>(first)]) : std::string();
  SetWindowTextW(extra_.Handle("l_k"), Utf8ToWide(codes).c_str());
}

void MacroEditor::UpdateStop() {
  main_.SetEnabled(*main_.Find("cb_stop"),
                   StopOnKeyEnabled(main_.Checked(*main_.Find("cb_block")),
                                    main_.ItemIndex(*main_.Find("cb_sleep"))));
}

void MacroEditor::Move(int step) {
  const std::vector<int> rows = SelectedRows();
  if (rows.size() != 1 || !MoveEventRow(items_, rows.front(), step)) {
    MessageBeep(0);
    return;
  }
  SetRow(rows.front(), false);
  SetRow(rows.front() + step, false);
  Select(rows.front() + step);
  ShowSummary();
  SetFocus(List());
}

void MacroEditor::DeleteSelected() {
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) return;
  DeleteEventRows(items_, rows);
  for (auto row = rows.rbegin(); row != rows.rend(); ++row)
    SendMessageW(List(), LVM_DELETEITEM, static_cast<WPARAM>(*row), 0);
  ShowSummary();
  Select(std::min(rows.front(), RowCount() - 1));
  SetFocus(List());
}

void MacroEditor::Check() {
  const StuckKeysReport report = StuckKeysMessage(StuckKeyNames(EventItems()));
  ShowBox(report.text, report.warning ? MessageDialogType::Warning : MessageDialogType::Information,
          MessageButtons::Ok);
}

MacroEditorSettings MacroEditor::Settings() const {
  return {main_.ItemIndex(*main_.Find("cb_sleep")), main_.Checked(*main_.Find("cb_beep")),
          main_.Checked(*main_.Find("cb_block")), main_.Checked(*main_.Find("cb_stop")),
          main_.Checked(*main_.Find("cb_l"))};
}

bool MacroEditor::Refuse(int page, HWND control) {
  ShowPage(page);
  SetFocus(control);
  return false;
}

bool MacroEditor::Accept() {
  items_[kMacroSettingsItem] = SettingsTextOf(Settings(), items_[kMacroSettingsItem]);
  const std::string name = main_.Text(*main_.Find("e_name"));
  HWND nameEdit = main_.Handle("e_name");
  RegistryStore& store = *context_.settings;
  switch (DecideMacroSave(name_, name, store.ValueExists(kMacrosKey, name))) {
    case MacroSaveStep::kRefuseEmptyName:
      ShowBox(GetLangStr("ErrorName", "Input macros name", kSection), MessageDialogType::Error,
              MessageButtons::Ok);
      return Refuse(0, nameEdit);
    case MacroSaveStep::kAskReplace:
      if (ShowBox(FormatLangText(GetLangStr("Replace", "Replace macros '%s'?", kSection), {name}),
                  MessageDialogType::Confirmation, MessageButtons::YesNo) != IDYES)
        return Refuse(0, nameEdit);
      break;
    case MacroSaveStep::kSave:
      break;
  }
  if (!StoreEditedMacro(store, name_, name, items_)) {
    ShowBox(
        FormatLangText(GetLangStr("ErrorSave", "Error: can't save macros - %s", kSection), {name}),
        MessageDialogType::Error, MessageButtons::Ok);
    return Refuse(0, nameEdit);
  }
  result = name;
  return true;
}

void MacroEditor::OnControl(const Win32Form& form, size_t index, WORD code) {
  const std::string& name = form.Name(index);
  if ((name == "cb_sleep" && code == CBN_SELCHANGE) || (name == "cb_block" && code == BN_CLICKED))
    UpdateStop();
  if (code != BN_CLICKED) return;
  if (name == "b_up") Move(-1);
  if (name == "b_down") Move(1);
  if (name == "b_del") DeleteSelected();
  if (name == "b_chk") Check();
}

std::optional<INT_PTR> MacroEditor::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    const int id = LOWORD(wParam);
    if (id == kIdHelp && HIWORD(wParam) == BN_CLICKED) {
      if (context_.showHelp) context_.showHelp(kHelpTopic);
      return 0;
    }
    for (const Win32Form* form : {&main_, &extra_}) {
      if (const auto index = form->IndexOfId(id)) {
        OnControl(*form, *index, HIWORD(wParam));
        return 0;
      }
    }
    return std::nullopt;
  }
  if (message != WM_NOTIFY) return std::nullopt;
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header->hwndFrom == tabs_ && header->code == TCN_SELCHANGE) {
    ShowPage(TabCtrl_GetCurSel(tabs_) == 1 ? 1 : 0);
    return 0;
  }
  if (header->hwndFrom != List()) return std::nullopt;
  if (header->code == LVN_ITEMCHANGED) {
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
    if ((change->uChanged & LVIF_STATE) &&
        ((change->uNewState ^ change->uOldState) & LVIS_SELECTED))
      UpdateButtons();
    return 0;
  }
  if (header->code == LVN_KEYDOWN) {
    const auto* key = reinterpret_cast<const NMLVKEYDOWN*>(lParam);
    const bool modifier =
        GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
    if (key->wVKey == VK_DELETE && !modifier) DeleteSelected();
    return 0;
  }
  return std::nullopt;
}

LRESULT CALLBACK MacroEditor::MessageFilter(int code, WPARAM wParam, LPARAM lParam) {
  auto* msg = reinterpret_cast<MSG*>(lParam);
  MacroEditor* editor = running_;
  if (code >= 0 && editor && msg && msg->message == WM_KEYDOWN && msg->wParam == VK_TAB &&
      (msg->hwnd == editor->dialog_ || IsChild(editor->dialog_, msg->hwnd))) {
    if (GetKeyState(VK_CONTROL) < 0) {
      editor->NextPage(GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
      return 1;
    }
    // The tab strip holds its pages: Tab goes on into the page that shows.
    if (msg->hwnd == editor->tabs_ && GetKeyState(VK_SHIFT) >= 0) {
      if (HWND first = FirstTabStop(editor->panes_[editor->page_])) {
        SetFocus(first);
        return 1;
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

std::optional<std::string> ShowMacroEditor(const MacroEditorContext& context,
                                           const std::string& name) {
  if (!context.settings) return std::nullopt;
  MacroEditor editor(context, name);
  if (!editor.Run(context.owner, Utf8ToWide(GetLangStr("Caption", "Change macros", kSection))))
    return std::nullopt;
  return editor.result;
}

std::vector<ControlDecl> MacroEditorMainControls() {
  return MainControls();
}

std::vector<ControlDecl> MacroEditorExtraControls() {
  return ExtraControls();
}

FormLanguage MacroEditorLanguage() {
  return {kSection};
}

}  // namespace tavion
