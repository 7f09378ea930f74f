#include "ui/window_picker_win.h"

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <vector>

#include "actions/exec_on.h"
#include "actions/window_system_win.h"
#include "base/handles_win.h"
#include "base/utf_win.h"
#include "exec/shell_launch_win.h"
#include "lang/lang_win.h"
#include "ui/ok_frame_win.h"
#include "ui/window_picker.h"
#include "ui/form_tables_win.h"

namespace tavion {
namespace {

// Sizes at 96 dots per inch.
constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kRow = 28;
constexpr int kFieldHeight = 22;
constexpr int kButtonHeight = 26;
constexpr int kLabelTop = 3;  // a label's text sits level with its field's
constexpr int kEditWidth = 300;
constexpr int kGroupTop = 20;
constexpr int kGroupSide = 10;
constexpr int kIcon = 16;
// A window that does not answer its icon query in this time is shown with the standard icon.
constexpr UINT kIconQueryMs = 200;

constexpr const char* kSection = "WBrForm";

HICON QueryIcon(HWND window, WPARAM kind) {
  DWORD_PTR icon = 0;
  if (!SendMessageTimeoutW(window, WM_GETICON, kind, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kIconQueryMs,
                           &icon))
    return nullptr;
  return reinterpret_cast<HICON>(icon);
}

// The window's own small icon, else its class's, else its large one, else the standard one.
// None of them is owned here.
HICON WindowIcon(HWND window) {
  HICON icon = QueryIcon(window, ICON_SMALL2);
  if (!icon) icon = QueryIcon(window, ICON_SMALL);
  if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM));
  if (!icon) icon = QueryIcon(window, ICON_BIG);
  if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON));
  if (!icon) icon = LoadIconW(nullptr, IDI_APPLICATION);
  return icon;
}

// A menu text shows "&" as itself only when doubled.
std::wstring MenuText(const std::string& text) {
  std::wstring escaped;
  for (const wchar_t c : Utf8ToWide(text)) {
    if (c == L'&') escaped += L'&';
    escaped += c;
  }
  return escaped;
}

class WindowPickerDialog final : public ModalDialog {
 public:
  WindowPickerDialog(std::string& windowClass, std::string& caption, bool maskMode,
                     const std::function<void(const std::string&)>& showHelp)
      : class_(windowClass), caption_(caption), maskMode_(maskMode), showHelp_(showHelp) {}

 private:
  struct Candidate {
    std::string joined;  // class and caption, handed back when chosen
    std::string text;
    HICON icon = nullptr;
  };

  bool Init() override;
  bool Accept() override;
  std::optional<INT_PTR> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  HWND Control(const char* name) const { return form_.Handle(name); }
  void LayOut();
  void AddTip(const char* control, std::wstring hint);
  void Browse();
  std::vector<Candidate> Candidates() const;

  std::string& class_;
  std::string& caption_;
  const bool maskMode_;
  const std::function<void(const std::string&)>& showHelp_;
  Win32Form form_;
  HWND tips_ = nullptr;
  std::vector<Candidate> menuEntries_;  // while the browse menu is open
};

bool WindowPickerDialog::Init() {
  std::vector<ControlDecl> table = WindowPickerControls(maskMode_);
  table[1].text = class_;
  table[4].text = caption_;
  form_.SetLanguage(WindowPickerLanguage());
  if (!form_.Create(dialog_, table)) return false;
  ShowWindow(Control("b_help"), maskMode_ ? SW_SHOW : SW_HIDE);
  EnableWindow(Control("b_help"), showHelp_ != nullptr);
  tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0,
                          0, 0, dialog_, nullptr, nullptr, nullptr);
  AddTip("b_anyCls", GetLangStrW("AnyClass", "Any window class", kSection));
  AddTip("b_anyCap", GetLangStrW("AnyCaption", "Any window caption", kSection));
  AddTip("b_browse", GetLangStrW("BrowseWindows", "Browse windows", kSection));
  LayOut();
  SetFocus(Control("WCls"));
  SendMessageW(Control("WCls"), EM_SETSEL, 0, -1);
  return true;
}

void WindowPickerDialog::AddTip(const char* control, std::wstring hint) {
  if (!tips_) return;  // the hints are a help, not a need
  TOOLINFOW tool = {};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = dialog_;
  tool.uId = reinterpret_cast<UINT_PTR>(Control(control));
  tool.lpszText = hint.data();
  SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void WindowPickerDialog::LayOut() {
  const int dpi = WindowDpi(dialog_);
  const auto scale = [dpi](int v) { return MulDiv(v, dpi, 96); };
  const HFONT font = form_.Font();
  const int margin = scale(kMargin);
  const int gap = scale(kGap);
  const int labelWidth =
      std::max(ControlTextWidth(Control("l_cls")), ControlTextWidth(Control("l_cap")));
  const int anyWidth =
      std::max(ButtonWidth(Control("b_anyCls"), dpi), ButtonWidth(Control("b_anyCap"), dpi));
  const int fieldLeft = margin + labelWidth + gap;
  const int helpWidth = maskMode_ ? ButtonWidth(Control("b_help"), dpi) + gap : 0;
  const int clientWidth = std::max({fieldLeft + scale(kEditWidth) + gap + anyWidth + margin,
                                    helpWidth + ok_.Width(dpi), MinClientWidth(dpi)});
  const int editWidth = clientWidth - fieldLeft - gap - anyWidth - margin;
  const int anyLeft = fieldLeft + editWidth + gap;
  const int buttonHeight = scale(kButtonHeight);
  const int fieldHeight = scale(kFieldHeight);
  const struct {
    const char *label, *edit, *any;
  } rows[] = {{"l_cls", "WCls", "b_anyCls"}, {"l_cap", "WCap", "b_anyCap"}};
  int top = margin;
  for (const auto& row : rows) {
    MoveWindow(Control(row.label), margin, top + scale(kLabelTop), labelWidth, fieldHeight, TRUE);
    MoveWindow(Control(row.edit), fieldLeft, top, editWidth, fieldHeight, TRUE);
    MoveWindow(Control(row.any), anyLeft, top, anyWidth, fieldHeight, TRUE);
    top += scale(kRow);
  }
  MoveWindow(Control("b_browse"), fieldLeft, top, ButtonWidth(Control("b_browse"), dpi),
             buttonHeight, TRUE);
  top += buttonHeight + gap;
  // The tip wraps across the group; its height follows from the wrapped text.
  const int tipWidth = clientWidth - 2 * margin - 2 * scale(kGroupSide);
  std::wstring tip(256, L'\0');
  tip.resize(static_cast<size_t>(GetWindowTextW(Control("l_tip"), tip.data(), 256)));
  RECT tipBox = {0, 0, tipWidth, 0};
  {
    const WindowDc screen(nullptr);
    const ScopedSelection selection(screen.get(), font);
    DrawTextW(screen.get(), tip.c_str(), static_cast<int>(tip.size()), &tipBox,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  }
  const int tipHeight = tipBox.bottom - tipBox.top;
  const int groupHeight = scale(kGroupTop) + tipHeight + scale(kGroupSide);
  MoveWindow(Control("gb_tip"), margin, top, clientWidth - 2 * margin, groupHeight, TRUE);
  MoveWindow(Control("l_tip"), margin + scale(kGroupSide), top + scale(kGroupTop), tipWidth,
             tipHeight, TRUE);
  top += groupHeight;
  const int clientHeight = top + ok_.Height(dpi);
  SetClientSize(clientWidth, clientHeight);
  RECT client = {0, 0, clientWidth, clientHeight};
  const int okTop = ok_.Layout(client, dpi);
  MoveWindow(Control("b_help"), margin, okTop + margin, ButtonWidth(Control("b_help"), dpi),
             buttonHeight, TRUE);
}

std::vector<WindowPickerDialog::Candidate> WindowPickerDialog::Candidates() const {
  const Win32WindowSystem system;
  std::map<DWORD, std::string> paths;
  std::vector<Candidate> candidates;
  for (const WindowHandle handle : system.TopLevelWindows()) {
    const HWND window = ToHwnd(handle);
    BrowsedWindow seen;
    seen.visible = IsWindowVisible(window) != FALSE;
    seen.isPicker = window == dialog_;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    RECT box = {};
    GetWindowRect(window, &box);
    seen.ownHiddenWindow =
        process == GetCurrentProcessId() && (box.right <= box.left || box.bottom <= box.top);
    seen.hasChildren = GetWindow(window, GW_CHILD) != nullptr;
    seen.windowClass = system.ClassName(handle);
    if (!ShownInBrowseMenu(seen)) continue;
    seen.caption = system.Caption(handle);
    const auto known = paths.find(process);
    seen.executablePath =
        known != paths.end()
            ? known->second
            : paths.emplace(process, WideToUtf8(ProcessImagePath(process))).first->second;
    candidates.push_back({JoinPickedWindow(seen.windowClass, seen.caption), BrowseMenuText(seen),
                          WindowIcon(window)});
  }
  return candidates;
}

void WindowPickerDialog::Browse() {
  menuEntries_ = Candidates();
  const UniqueMenu menu(CreatePopupMenu());
  if (!menu) return;
  for (size_t i = 0; i < menuEntries_.size(); ++i) {
    std::wstring text = MenuText(menuEntries_[i].text);
    MENUITEMINFOW item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_BITMAP | MIIM_DATA;
    item.wID = static_cast<UINT>(i + 1);
    item.dwItemData = i;
    item.hbmpItem = HBMMENU_CALLBACK;
    item.dwTypeData = text.data();
    InsertMenuItemW(menu.get(), static_cast<UINT>(i), TRUE, &item);
  }
  RECT button = {};
  GetWindowRect(Control("b_browse"), &button);
  const UINT chosen =
      static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN,
                                       button.left, button.bottom, 0, dialog_, nullptr));
  if (chosen >= 1 && chosen <= menuEntries_.size()) {
    const PickedWindow picked = SplitPickedWindow(menuEntries_[chosen - 1].joined);
    SetWindowTextW(Control("WCls"), Utf8ToWide(picked.windowClass).c_str());
    SetWindowTextW(Control("WCap"), Utf8ToWide(picked.caption).c_str());
  }
  menuEntries_.clear();
}

bool WindowPickerDialog::Accept() {
  const PickedWindow picked{form_.Text(*form_.Find("WCls")), form_.Text(*form_.Find("WCap"))};
  if (const std::optional<std::string> failing = CheckPickedWindow(picked)) {
    MessageBeep(MB_OK);
    SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(form_.Handle(*failing)), TRUE);
    return false;
  }
  class_ = picked.windowClass;
  caption_ = picked.caption;
  return true;
}

std::optional<INT_PTR> WindowPickerDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const int size = MulDiv(kIcon, WindowDpi(dialog_), 96);
  if (message == WM_MEASUREITEM) {
    auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (measure->CtlType != ODT_MENU) return std::nullopt;
    measure->itemWidth = static_cast<UINT>(size);
    measure->itemHeight = static_cast<UINT>(size);
    return TRUE;
  }
  if (message == WM_DRAWITEM) {
    const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (draw->CtlType != ODT_MENU || draw->itemData >= menuEntries_.size()) return std::nullopt;
    const RECT& box = draw->rcItem;
    DrawIconEx(draw->hDC, box.left, box.top + (box.bottom - box.top - size) / 2,
               menuEntries_[draw->itemData].icon, size, size, 0, nullptr, DI_NORMAL);
    return TRUE;
  }
  if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return std::nullopt;
  const std::optional<size_t> index = form_.IndexOfId(LOWORD(wParam));
  if (!index) return std::nullopt;
  const std::string& name = form_.Name(*index);
  if (name == "b_anyCls" || name == "b_anyCap") {
    HWND edit = Control(name == "b_anyCls" ? "WCls" : "WCap");
    SetWindowTextW(edit, Utf8ToWide(kAbsentWindowEntry).c_str());
  } else if (name == "b_browse") {
    Browse();
  } else if (name == "b_help" && showHelp_) {
    showHelp_("ex_envir.htm#windows");
  } else {
    return std::nullopt;
  }
  return 0;
}

}  // namespace

bool PickWindow(HWND owner, std::string& windowClass, std::string& caption, bool maskMode,
                const std::function<void(const std::string& topic)>& showHelp) {
  WindowPickerDialog dialog(windowClass, caption, maskMode, showHelp);
  return dialog.Run(owner, GetLangStrW("Caption", "Select window", kSection));
}

std::vector<ControlDecl> WindowPickerControls(bool maskMode) {
  const auto text = [](const char* key, const char* def) { return GetLangStr(key, def, kSection); };
  const auto tip = maskMode ? text("Tip2",
                                   "You can use strings %*% and %?% to select window class or "
                                   "caption by mask.")
                            : text("Tip1",
                                   "You can use parameter nil to select window with any "
                                   "class-name or caption.");
  return {PlacedControl("l_cls", ControlKind::kLabel, text("l_cls", "Window &class:")),
          PlacedControl("WCls", ControlKind::kEdit),
          PlacedControl("b_anyCls", ControlKind::kButton, text("b_anyCls", "&Any")),
          PlacedControl("l_cap", ControlKind::kLabel, text("l_cap", "Window ca&ption:")),
          PlacedControl("WCap", ControlKind::kEdit),
          PlacedControl("b_anyCap", ControlKind::kButton, text("b_anyCap", "A&ny")),
          PlacedControl("b_browse", ControlKind::kButton, text("b_browse", "&Browse...")),
          PlacedControl("gb_tip", ControlKind::kGroup, GetLangStr("Tip", "Tip")),
          PlacedControl("l_tip", ControlKind::kLabel, tip),
          PlacedControl("b_help", ControlKind::kButton, GetLangStr("ButtonHelp", "Help"))};
}

FormLanguage WindowPickerLanguage() {
  return {kSection};
}

}  // namespace tavion
