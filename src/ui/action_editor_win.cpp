#include "ui/action_editor_win.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "actions/catalogue.h"
#include "base/utf_win.h"
#include "forms/message_box_win.h"
#include "keys/hook_messages.h"
#include "keys/key_text.h"
#include "lang/lang.h"
#include "ui/actions_page.h"
#include "ui/actions_page_win.h"
#include "ui/catalogue_chooser_win.h"
#include "ui/control_pane_win.h"
#include "ui/exec_options_tab_win.h"
#include "ui/hotkey_frame_win.h"
#include "ui/keyboard_layouts_win.h"
#include "ui/ok_frame_win.h"
#include "ui/param_tab_plugin_win.h"
#include "ui/param_tab_win.h"
#include "ui/wheel_scroll_win.h"
#include "ui/window_picker_win.h"
#include "ui/form_tables_win.h"

namespace tavion {
namespace {

// Sizes at 96 dots per inch.
constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kLabelHeight = 16;
constexpr int kFieldHeight = 24;
constexpr int kDropHeight = 320;  // the action type's list when it drops down
constexpr int kMinWidth = 400;
constexpr int kMinHeight = 240;

enum : int {
  kIdTabs = 100,
  kIdTypeList,
  kIdMainPane,
  kIdFramePane,
  kIdForm = 200,
  kIdFrame = 3000,
  kIdExecOptions = 3500,
  kIdParamTabs = 4000,  // 100 for each tab
};

// The pages of the tab control.
enum class EditorPage { kMain, kParams, kExec };

class ActionEditor final : public ModalDialog {
 public:
  ActionEditor(const ActionEditorContext& context, const ActionEditorRequest& request)
      : context_(context), request_(request), catalogue_(CurrentCatalogue()) {}
  ~ActionEditor() override;

  std::optional<std::size_t> result;

 private:
  bool Init() override;
  bool Accept() override;
  std::optional<INT_PTR> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  bool CreateMain();
  bool CreateTabs();
  void Load();
  void FillTypes();
  void ChooseCode(const std::string& code, bool byUser);
  void SetName(const std::string& name);
  std::string Name() const;
  ParamTab* TabOf(const std::string& code) const;
  ParamTab* VisibleTab() const { return TabOf(code_); }
  void RebuildTabs();
  void ShowPage(EditorPage page);
  void NextPage(int step);
  // The window of the page that shows.
  HWND PageWindow() const;
  void LayOut();
  int LayOutMain(int width, int dpi, bool place);
  void OpenChooser();
  void Tell(const std::string& message);
  TActionHKey EnteredKey();
  void WriteBack();

  static LRESULT CALLBACK MessageFilter(int code, WPARAM wParam, LPARAM lParam);

  const ActionEditorContext& context_;
  const ActionEditorRequest& request_;
  std::shared_ptr<const ActionCatalogue> catalogue_;
  const TAction* edited_ = nullptr;
  std::string code_;
  bool nameEdited_ = false;
  bool settingName_ = false;
  bool conflictAccepted_ = false;

  HWND tabs_ = nullptr;
  HWND mainPane_ = nullptr;
  HWND framePane_ = nullptr;
  HWND types_ = nullptr;  // ComboBoxEx: the action type
  Win32Form form_;
  HotKeyFrame frame_;
  std::vector<std::unique_ptr<ParamTab>> paramTabs_;
  PluginParamTab* pluginTab_ = nullptr;  // one of paramTabs_, while there are plug-ins
  ExecOptionsTab execTab_;
  std::vector<EditorPage> pages_;  // the tab control's items
  EditorPage page_ = EditorPage::kMain;
  HIMAGELIST images_ = nullptr;
  unsigned char menuHookScratch_[12] = {};
  bool menuHooked_ = false;
  HHOOK filter_ = nullptr;
  ParamTabContext tabContext_;
  ExecOptionsContext execContext_;

  static thread_local ActionEditor* running_;
};

thread_local ActionEditor* ActionEditor::running_ = nullptr;

ActionEditor::~ActionEditor() {
  if (filter_) UnhookWindowsHookEx(filter_);
  if (running_ == this) running_ = nullptr;
  if (menuHooked_) context_.captureHooks.remove(static_cast<int>(HookKind::kMenu));
  if (images_) ImageList_Destroy(images_);
}

bool ActionEditor::Init() {
  if (!request_.isNew) {
    edited_ = request_.selected ? context_.tree->ActionByIndex(*request_.selected) : nullptr;
    if (!edited_) return false;
  }
  INITCOMMONCONTROLSEX icc = {sizeof icc,
                              ICC_TAB_CLASSES | ICC_USEREX_CLASSES | ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  images_ = CreateActionImages(context_.resourceFolder, WindowDpi(dialog_), context_.plugins);
  // The pages are the tab control's children, so that it never draws over them; the dialog
  // manager's Tab walks into them.
  tabs_ = CreateWindowExW(WS_EX_CONTROLPARENT, WC_TABCONTROLW, L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN, 0, 0, 0, 0, dialog_,
                          reinterpret_cast<HMENU>(kIdTabs), context_.instance, nullptr);
  if (!tabs_ || !CreateMain() || !CreateTabs()) return false;
  SendMessageW(tabs_, WM_SETFONT, reinterpret_cast<WPARAM>(form_.Font()), FALSE);
  TabCtrl_SetImageList(tabs_, images_);
  Load();
  LayOut();
  // The capture control took its text while it had no width, scrolled out of sight: back to the
  // start, the caret after the text again.
  HWND keyEdit = frame_.Edit().Handle();
  const int length = GetWindowTextLengthW(keyEdit);
  SendMessageW(keyEdit, EM_SETSEL, 0, 0);
  SendMessageW(keyEdit, EM_SCROLLCARET, 0, 0);
  SendMessageW(keyEdit, EM_SETSEL, length, length);
  if (context_.captureHooks.install) {
    context_.captureHooks.install(menuHookScratch_, static_cast<int>(HookKind::kMenu), dialog_,
                                  kMsgMenuCommand);
    menuHooked_ = true;
  }
  running_ = this;
  filter_ =
      SetWindowsHookExW(WH_MSGFILTER, &ActionEditor::MessageFilter, nullptr, GetCurrentThreadId());
  SetFocus(types_);
  return true;
}

bool ActionEditor::CreateMain() {
  mainPane_ = CreateControlPane(tabs_, kIdMainPane, context_.instance);
  if (!mainPane_) return false;
  form_.SetLanguage({"Fr2"});
  if (!form_.Create(mainPane_, ActionEditorControls(), kIdForm)) return false;
  types_ = CreateWindowExW(
      0, WC_COMBOBOXEXW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0,
      0, 0, 0, mainPane_, reinterpret_cast<HMENU>(kIdTypeList), context_.instance, nullptr);
  if (!types_) return false;
  SendMessageW(types_, WM_SETFONT, reinterpret_cast<WPARAM>(form_.Font()), FALSE);
  SendMessageW(types_, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));
  // The list follows its label in the Tab order, before the plus button.
  SetWindowPos(types_, form_.Handle("l_type"), 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  FillTypes();

  framePane_ = CreateControlPane(mainPane_, kIdFramePane, context_.instance);
  if (!framePane_) return false;
  HotKeyFrameDesign design;
  design.hooks = context_.captureHooks;
  design.upOnly = context_.upOnlyKeys;
  design.rawInputReady = context_.rawInputReady;
  design.firstId = kIdFrame;
  return frame_.Create(framePane_, design);
}

bool ActionEditor::CreateTabs() {
  tabContext_.dialog = dialog_;
  tabContext_.instance = context_.instance;
  tabContext_.plugins = context_.plugins;
  tabContext_.captureHooks = context_.captureHooks;
  tabContext_.upOnlyKeys = context_.upOnlyKeys;
  tabContext_.rawInputReady = context_.rawInputReady;
  tabContext_.macroNames = context_.macroNames;
  tabContext_.pickWindow = [this](std::string& windowClass, std::string& caption) {
    return PickWindow(dialog_, windowClass, caption, /*maskMode=*/false, context_.showHelp);
  };
  tabContext_.blendMin = context_.blendMin;
  tabContext_.blendMax = context_.blendMax;
  tabContext_.showHelp = context_.showHelp;
  tabContext_.editMacro = context_.editMacro;
  tabContext_.replacementKeyChosen = [this](const std::string& keyText) {
    if (request_.isNew && !nameEdited_) SetName(NameAfterReplacementKey(Name(), keyText));
  };
  paramTabs_ = CreateParamTabs();
  if (context_.plugins) {
    auto pluginTab = std::make_unique<PluginParamTab>(*context_.plugins);
    pluginTab_ = pluginTab.get();
    paramTabs_.push_back(std::move(pluginTab));
  }
  int id = kIdParamTabs;
  for (auto& tab : paramTabs_) {
    if (!tab->Create(tabs_, tabContext_, id)) return false;
    id += 100;
  }
  execContext_.dialog = dialog_;
  execContext_.instance = context_.instance;
  execContext_.layouts = InstalledKeyboardLayouts();
  execContext_.showHelp = context_.showHelp;
  return execTab_.Create(tabs_, execContext_, kIdExecOptions);
}

void ActionEditor::FillTypes() {
  for (int i = 0; i < catalogue_->Count(); ++i) {
    const ActionCatalogueEntry entry = catalogue_->Entry(i);
    std::string text = entry.displayName;
    if (!entry.pluginName.empty()) text += " (" + entry.pluginName + ")";
    const std::wstring wide = Utf8ToWide(text);
    COMBOBOXEXITEMW item = {};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    item.iItem = i;
    item.pszText = const_cast<wchar_t*>(wide.c_str());
    item.iImage = item.iSelectedImage = entry.code.empty() ? 0 : CodeImage(entry.code);
    SendMessageW(types_, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
}

void ActionEditor::Load() {
  std::string code;
  TActionHKey key;
  TActionExecOn options;
  if (edited_) {
    code = edited_->Exec();
    SetName(context_.tree->NodeAt(*request_.selected)->text);
    nameEdited_ = true;
    key = edited_->Key0();
    options = edited_->ActionExecOn();
  } else {
    code = StartCode(request_.startMode, *catalogue_);
  }
  for (auto& tab : paramTabs_) {
    if (tab.get() == pluginTab_) {
      // The source of the working copy; the chosen code opens its panel.
      tab->Load(edited_ ? edited_->ActionParams() : nullptr);
    } else if (edited_ && tab->Code() == code) {
      tab->Load(edited_->ActionParams());
    } else if (tab->Code() == "mc_play" && request_.startMode == EditorStartMode::kMacro &&
               std::count(context_.macroNames.begin(), context_.macroNames.end(),
                          request_.macroName)) {
      TActionParamsMacr macro;
      macro.Name = request_.macroName;
      tab->Load(&macro);
    } else {
      tab->Load(nullptr);
    }
  }
  execTab_.Load(options);
  KeyEdit& edit = frame_.Edit();
  // An empty key keeps the control's "None".
  if (key.HKey() != 0) edit.SetHotKey(key.HKey());
  if (key.InputMode() == TkeInputMode::keHid) {
    frame_.SetInputMode(TkeInputMode::keHid);
    edit.SetHidKey(key.KeyPolyglot());
  }
  ChooseCode(code, /*byUser=*/!edited_);
}

void ActionEditor::SetName(const std::string& name) {
  settingName_ = true;
  form_.SetText(*form_.Find("e_name"), name);
  settingName_ = false;
}

std::string ActionEditor::Name() const {
  return form_.Text(*form_.Find("e_name"));
}

ParamTab* ActionEditor::TabOf(const std::string& code) const {
  for (const auto& tab : paramTabs_)
    if (tab->Code() == code) return tab.get();
  return nullptr;
}

void ActionEditor::ChooseCode(const std::string& code, bool byUser) {
  code_ = code;
  SendMessageW(types_, CB_SETCURSEL, std::max(0, catalogue_->IndexOf(code)), 0);
  if (byUser) {
    if (auto name = NameAfterCodeChange(Name(), nameEdited_, code, *catalogue_)) SetName(*name);
  }
  ShowWindow(framePane_, TakesHotKey(code) ? SW_SHOW : SW_HIDE);
  if (pluginTab_) pluginTab_->ShowFor(code);
  RebuildTabs();
}

void ActionEditor::RebuildTabs() {
  pages_.clear();
  TabCtrl_DeleteAllItems(tabs_);
  const auto add = [this](EditorPage page, const std::string& caption, int image) {
    const std::wstring text = Utf8ToWide(caption);
    TCITEMW item = {};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    item.iImage = image;
    TabCtrl_InsertItem(tabs_, static_cast<int>(pages_.size()), &item);
    pages_.push_back(page);
  };
  add(EditorPage::kMain, GetLangStr("ts_main", "Main options", "Fr2"), -1);
  if (VisibleTab())
    add(EditorPage::kParams, GetLangStr("TabA", "Action options", "Fr2"), CodeImage(code_));
  if (!code_.empty()) add(EditorPage::kExec, GetLangStr("ts_exec", "Additional", "Fr2"), -1);
  ShowPage(std::count(pages_.begin(), pages_.end(), page_) ? page_ : EditorPage::kMain);
}

void ActionEditor::ShowPage(EditorPage page) {
  page_ = page;
  const auto at = std::find(pages_.begin(), pages_.end(), page);
  TabCtrl_SetCurSel(tabs_, static_cast<int>(at - pages_.begin()));
  ParamTab* visible = VisibleTab();
  ShowWindow(mainPane_, page == EditorPage::kMain ? SW_SHOW : SW_HIDE);
  for (const auto& tab : paramTabs_)
    ShowWindow(tab->Handle(),
               page == EditorPage::kParams && tab.get() == visible ? SW_SHOW : SW_HIDE);
  ShowWindow(execTab_.Handle(), page == EditorPage::kExec ? SW_SHOW : SW_HIDE);
}

HWND ActionEditor::PageWindow() const {
  switch (page_) {
    case EditorPage::kParams:
      return VisibleTab() ? VisibleTab()->Handle() : mainPane_;
    case EditorPage::kExec:
      return execTab_.Handle();
    case EditorPage::kMain:
      break;
  }
  return mainPane_;
}

void ActionEditor::NextPage(int step) {
  const int count = static_cast<int>(pages_.size());
  const int current =
      static_cast<int>(std::find(pages_.begin(), pages_.end(), page_) - pages_.begin());
  ShowPage(pages_[static_cast<std::size_t>((current + step + count) % count)]);
  SetFocus(tabs_);
}

int ActionEditor::LayOutMain(int width, int dpi, bool place) {
  const auto scale = [dpi](int v) { return MulDiv(v, dpi, 96); };
  int top = scale(kMargin);
  const int left = scale(kMargin);
  const int inner = width - 2 * left;
  const auto move = [place](HWND hwnd, int x, int y, int w, int h) {
    if (place) MoveWindow(hwnd, x, y, w, h, TRUE);
  };
  move(form_.Handle("l_type"), left, top, inner, scale(kLabelHeight));
  top += scale(kLabelHeight);
  int plus = scale(kFieldHeight);
  move(types_, left, top, inner - plus - scale(kGap), scale(kDropHeight));
  // The list takes the height its font gives it; the square button matches it.
  RECT list = {};
  if (place && GetWindowRect(types_, &list) && list.bottom - list.top < scale(kDropHeight))
    plus = list.bottom - list.top;
  move(form_.Handle("b_plus"), left + inner - plus, top, plus, plus);
  top += scale(kFieldHeight + kMargin);
  move(form_.Handle("l_name"), left, top, inner, scale(kLabelHeight));
  top += scale(kLabelHeight);
  move(form_.Handle("e_name"), left, top, inner, scale(kFieldHeight - 2));
  top += scale(kFieldHeight + kMargin);
  const int frameHeight = frame_.Layout(0, 0, inner, dpi);
  move(framePane_, left, top, inner, frameHeight);
  return top + frameHeight + scale(kMargin);
}

void ActionEditor::LayOut() {
  const int dpi = WindowDpi(dialog_);
  const auto scale = [dpi](int v) { return MulDiv(v, dpi, 96); };
  int width =
      std::max({scale(kMinWidth), frame_.NeededWidth(dpi) + 2 * scale(kMargin), ok_.Width(dpi)});
  for (const char* name : {"l_type", "l_name"}) {
    wchar_t text[256] = {};
    GetWindowTextW(form_.Handle(name), text, 256);
    width = std::max(width, TextWidth(form_.Font(), text) + 2 * scale(kMargin));
  }
  int height = scale(kMinHeight);
  for (auto& tab : paramTabs_) {
    const SIZE needed = tab->NeededSize(dpi);
    width = std::max<int>(width, needed.cx);
    height = std::max<int>(height, needed.cy);
  }
  const SIZE exec = execTab_.NeededSize(dpi);
  width = std::max<int>(width, exec.cx);
  height = std::max({height, static_cast<int>(exec.cy), LayOutMain(width, dpi, false)});

  // The tab control around a display area of width x height.
  RECT display = {scale(kMargin), scale(kMargin), scale(kMargin) + width, scale(kMargin) + height};
  RECT outer = display;
  TabCtrl_AdjustRect(tabs_, TRUE, &outer);
  const int shiftX = scale(kMargin) - outer.left;
  const int shiftY = scale(kMargin) - outer.top;
  OffsetRect(&outer, shiftX, shiftY);
  OffsetRect(&display, shiftX, shiftY);
  SetClientSize(outer.right + scale(kMargin), outer.bottom + ok_.Height(dpi));
  MoveWindow(tabs_, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
             TRUE);
  // The tab's height may differ once it has its size: the display area is asked again.
  GetClientRect(tabs_, &display);
  TabCtrl_AdjustRect(tabs_, FALSE, &display);
  const int w = display.right - display.left;
  const int h = display.bottom - display.top;
  MoveWindow(mainPane_, display.left, display.top, w, h, TRUE);
  LayOutMain(w, dpi, true);
  for (auto& tab : paramTabs_) {
    MoveWindow(tab->Handle(), display.left, display.top, w, h, TRUE);
    tab->Layout(dpi);
  }
  MoveWindow(execTab_.Handle(), display.left, display.top, w, h, TRUE);
  execTab_.Layout(dpi);
  RECT client = {};
  GetClientRect(dialog_, &client);
  ok_.Layout(client, dpi);
}

void ActionEditor::OpenChooser() {
  RECT button = {};
  GetWindowRect(form_.Handle("b_plus"), &button);
  const auto chosen = ChooseCatalogueEntry(dialog_, POINT{button.right, button.top}, *catalogue_,
                                           images_, catalogue_->IndexOf(code_));
  if (chosen) ChooseCode(catalogue_->Entry(*chosen).code, /*byUser=*/true);
  SetFocus(types_);
}

void ActionEditor::Tell(const std::string& message) {
  ShowBox(message, MessageDialogType::Error, MessageButtons::Ok);
}

TActionHKey ActionEditor::EnteredKey() {
  const KeyEdit& edit = frame_.Edit();
  TActionHKey key(edit.HotKey());
  key.SetInputMode(edit.InputMode());
  if (edit.InputMode() == TkeInputMode::keHid) key.SetKeyPolyglot(edit.HidKey());
  return key;
}

bool ActionEditor::Accept() {
  EditorEntry entry{Name(), TakesHotKey(code_), EnteredKey()};
  EditorCheckContext checks;
  checks.severalActionsOnOneKey = context_.severalActionsOnOneKey;
  checks.keyText = [](const TActionHKey& key) {
    return HotKeyToText(key, /*useUserNames=*/true, /*useConversion=*/true,
                        /*withModifiers=*/true);
  };
  checks.askYesNo = [this](const std::string& question) {
    return ShowBox(question, MessageDialogType::Warning, MessageButtons::YesNo) == IDYES;
  };
  const std::optional<std::size_t> edited = edited_ ? request_.selected : std::nullopt;
  if (const auto failure =
          CheckEditorEntry(entry, *context_.tree, edited, checks, conflictAccepted_)) {
    if (!failure->message.empty()) Tell(failure->message);
    ShowPage(EditorPage::kMain);
    SetFocus(failure->field == EditorField::kName ? form_.Handle("e_name")
                                                  : frame_.Edit().Handle());
    return false;
  }
  if (ParamTab* tab = VisibleTab()) {
    if (const auto failure = tab->Check()) {
      Tell(failure->message);
      ShowPage(EditorPage::kParams);
      SetFocus(failure->control);
      return false;
    }
  }
  WriteBack();
  return true;
}

void ActionEditor::WriteBack() {
  TActionsList& list = *context_.actions;
  const std::string name = Name();
  const std::size_t node =
      edited_ ? *request_.selected : AddEditorNode(*context_.tree, list, request_.selected, name);
  // A key captured before the code became one without a key is not kept.
  const TActionHKey key = TakesHotKey(code_) ? EnteredKey() : TActionHKey();
  TAction* action = WriteEditorEntry(*context_.tree, list, node, name, code_, key);
  if (!action) return;
  if (ParamTab* tab = VisibleTab(); tab && action->ActionParams())
    tab->Store(*action->ActionParams());
  if (!code_.empty()) execTab_.Store(action->ActionExecOn());
  result = node;
}

std::optional<INT_PTR> ActionEditor::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int notice = HIWORD(wParam);
      if (id == kIdTypeList && notice == CBN_SELCHANGE) {
        const int chosen = static_cast<int>(SendMessageW(types_, CB_GETCURSEL, 0, 0));
        ChooseCode(catalogue_->Entry(chosen).code, /*byUser=*/true);
        return 0;
      }
      const auto control = form_.IndexOfId(id);
      if (control == form_.Find("b_plus") && notice == BN_CLICKED) {
        OpenChooser();
        return 0;
      }
      if (control == form_.Find("e_name") && notice == EN_CHANGE && !settingName_) {
        nameEdited_ = true;
        return 0;
      }
      break;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom == tabs_ && header->code == TCN_SELCHANGE) {
        const int selected = TabCtrl_GetCurSel(tabs_);
        if (selected >= 0 && selected < static_cast<int>(pages_.size()))
          ShowPage(pages_[static_cast<std::size_t>(selected)]);
        return 0;
      }
      break;
    }
    case kMsgMenuCommand:
    case kMsgKeyEvent: {
      ParamTab* tab = VisibleTab();
      // The tab of the current code takes them whichever page is shown: the user is busy with
      // another program's menu meanwhile.
      if (!tab || !tab->OnMenuCapture(message, wParam, lParam)) return 0;
      if (message == kMsgKeyEvent) {
        MessageBeep(0);
        if (context_.bringToFront) context_.bringToFront(dialog_);
      }
      return 0;
    }
    case WM_DESTROY:
      if (menuHooked_) context_.captureHooks.remove(static_cast<int>(HookKind::kMenu));
      menuHooked_ = false;
      break;
  }
  return std::nullopt;
}

LRESULT CALLBACK ActionEditor::MessageFilter(int code, WPARAM wParam, LPARAM lParam) {
  auto* msg = reinterpret_cast<MSG*>(lParam);
  ActionEditor* editor = running_;
  if (code >= 0 && editor && msg &&
      (msg->hwnd == editor->dialog_ || IsChild(editor->dialog_, msg->hwnd))) {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
      editor->NextPage(GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
      return 1;
    }
    // The tab strip holds its pages: Tab goes on into the page that shows.
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_TAB && msg->hwnd == editor->tabs_ &&
        GetKeyState(VK_SHIFT) >= 0) {
      if (HWND first = FirstTabStop(editor->PageWindow())) {
        SetFocus(first);
        return 1;
      }
    }
    if (msg->message == WM_MOUSEWHEEL && ScrollUnderCursor(*msg)) return 1;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

std::optional<std::size_t> ShowActionEditor(const ActionEditorContext& context,
                                            const ActionEditorRequest& request) {
  if (!context.tree || !context.actions) return std::nullopt;
  ActionEditor editor(context, request);
  const std::string caption = request.isNew ? GetLangStr("CaptionAdd", "Add new action", "Fr2")
                                            : GetLangStr("CaptionEdt", "Edit action", "Fr2");
  if (!editor.Run(context.owner, Utf8ToWide(caption))) return std::nullopt;
  return editor.result;
}

std::vector<ControlDecl> ActionEditorControls() {
  const auto label = [](const char* name, const char* caption) {
    return PlacedControl(name, ControlKind::kLabel, caption);
  };
  return {label("l_type", "Action type"), PlacedControl("b_plus", ControlKind::kButton, "+"),
          label("l_name", "Action name"), PlacedControl("e_name", ControlKind::kEdit)};
}

}  // namespace tavion
