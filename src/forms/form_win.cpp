#include "forms/form_win.h"

#include <commctrl.h>

#include <algorithm>

#include "base/window_requests_win.h"
#include "base/utf_win.h"

namespace tavion {
namespace {

// Sizes at 96 dots per inch.
constexpr int kMargin = 8;
constexpr int kGap = 4;
constexpr int kLineHeight = 20;
constexpr int kEditHeight = 22;
constexpr int kComboListHeight = 200;  // the drop-down list's room
constexpr int kLabelHeight = 16;
constexpr int kGroupCaptionHeight = 18;
constexpr int kInfoPanelHeight = 40;
constexpr int kGroupHeight = 60;
constexpr int kListViewHeight = 120;
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 26;
// Longest text an edit is read back with.
constexpr int kTextBound = 32 * 1024;

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

}  // namespace

int WindowDpi(HWND hwnd) {
  // Windows 10 and later know the window's own DPI; older systems have one for all.
  static const auto getDpiForWindow =
      ResolveFunction<GetDpiForWindowFn>(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
  if (getDpiForWindow) {
    if (const UINT dpi = getDpiForWindow(hwnd)) return static_cast<int>(dpi);
  }
  const WindowDc screen(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
  return dpi > 0 ? dpi : 96;
}

namespace {

// The system's message font for `dpi`; null when it cannot be made (controls keep the default).
UniqueFont CreateMessageFont(int dpi) {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    return UniqueFont();
  }
  const WindowDc screen(nullptr);
  const int systemDpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
  if (systemDpi > 0 && systemDpi != dpi)
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, systemDpi);
  return UniqueFont(CreateFontIndirectW(&metrics.lfMessageFont));
}

HWND CreateChild(HWND parent, const wchar_t* className, const std::string& text, DWORD style,
                 DWORD exStyle, RECT r, int id, HFONT font) {
  HWND hwnd = CreateWindowExW(
      exStyle, className, Utf8ToWide(text).c_str(), WS_CHILD | WS_VISIBLE | style, r.left, r.top,
      r.right - r.left, r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
      GetModuleHandleW(nullptr), nullptr);
  if (hwnd && font) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return hwnd;
}

int NaturalHeight(const ControlDecl& decl) {
  switch (decl.kind) {
    case ControlKind::kCheckBox:
      return kLineHeight;
    case ControlKind::kEdit:
    case ControlKind::kSpinEdit:
      return kEditHeight;
    case ControlKind::kComboBox:
      return kEditHeight;
    case ControlKind::kRadioGroup:
      return kGroupCaptionHeight + kLineHeight * static_cast<int>(decl.items.size()) + kGap;
    case ControlKind::kInfoPanel:
      return kInfoPanelHeight;
    case ControlKind::kListView:
      return kListViewHeight;
    case ControlKind::kButton:
      return kButtonHeight;
    case ControlKind::kLabel:
      return kLabelHeight;
    case ControlKind::kGroup:
      return kGroupHeight;
  }
  return kLineHeight;
}

}  // namespace

Win32Form::~Win32Form() {
  DestroyControls();
}

void Win32Form::DestroyControls() {
  for (Control& control : controls_) {
    for (HWND hwnd : control.radios)
      if (IsWindow(hwnd)) DestroyWindow(hwnd);
    for (HWND hwnd : {control.caption, control.spin, control.hwnd})
      if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
  }
  controls_.clear();
  decls_.clear();
  font_.reset();
}

bool Win32Form::Create(HWND parent, std::span<const ControlDecl> table, int firstId) {
  if (!controls_.empty() || !IsWindow(parent)) return false;
  INITCOMMONCONTROLSEX icc = {sizeof icc,
                              ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS};
  // Without it the list view class may be missing; creating one then fails and Create fails.
  InitCommonControlsEx(&icc);
  dpi_ = WindowDpi(parent);
  font_ = CreateMessageFont(dpi_);

  decls_.assign(table.begin(), table.end());
  controls_.resize(decls_.size());
  int id = firstId;
  for (Control& control : controls_) control.id = id++;
  int nextRadioId = id;
  int top = MulDiv(kMargin, dpi_, 96);
  for (size_t i = 0; i < controls_.size(); ++i) {
    if (!CreateControl(parent, i, top, nextRadioId)) {
      DestroyControls();
      return false;
    }
  }
  contentHeight_ = top;
  return true;
}

bool Win32Form::CreateControl(HWND parent, size_t index, int& top, int& nextRadioId) {
  Control& control = controls_[index];
  const ControlDecl& decl = decls_[index];
  const auto scale = [this](int v) { return MulDiv(v, dpi_, 96); };
  RECT client = {};
  GetClientRect(parent, &client);
  const bool placed = decl.place.height > 0;
  // Natural layout: one control per row across the page; edits and combo boxes get their
  // caption on a row of its own above them.
  if (!placed &&
      (decl.kind == ControlKind::kEdit || decl.kind == ControlKind::kComboBox ||
       decl.kind == ControlKind::kSpinEdit) &&
      !decl.caption.empty()) {
    const RECT r = {scale(kMargin), top, client.right - scale(kMargin), top + scale(kLabelHeight)};
    control.caption = CreateChild(parent, L"STATIC", decl.caption, SS_LEFT, 0, r, -1, font_.get());
    if (!control.caption) return false;
    top = r.bottom;
  }
  RECT r;
  if (placed) {
    r.left = scale(decl.place.left);
    r.top = scale(decl.place.top);
    r.right =
        decl.place.width > 0 ? r.left + scale(decl.place.width) : client.right - scale(kMargin);
    r.bottom = r.top + scale(decl.place.height);
  } else {
    r.left = scale(kMargin);
    r.top = top;
    r.right = decl.kind == ControlKind::kButton ? r.left + scale(kButtonWidth)
                                                : client.right - scale(kMargin);
    r.bottom = top + scale(NaturalHeight(decl));
  }
  const int id = control.id;
  switch (decl.kind) {
    case ControlKind::kCheckBox:
      control.hwnd = CreateChild(parent, L"BUTTON", decl.caption, BS_AUTOCHECKBOX | WS_TABSTOP, 0,
                                 r, id, font_.get());
      if (control.hwnd) SetChecked(index, decl.checked);
      break;
    case ControlKind::kEdit:
      control.hwnd = CreateChild(parent, L"EDIT", decl.text, ES_AUTOHSCROLL | WS_TABSTOP,
                                 WS_EX_CLIENTEDGE, r, id, font_.get());
      break;
    case ControlKind::kSpinEdit:
      control.hwnd = CreateChild(parent, L"EDIT", {}, ES_NUMBER | ES_AUTOHSCROLL | WS_TABSTOP,
                                 WS_EX_CLIENTEDGE, r, id, font_.get());
      if (!control.hwnd) break;
      // The arrows attach to the right of the edit and take its place's last part.
      control.spin = CreateChild(parent, UPDOWN_CLASSW, {},
                                 UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                                 0, RECT{}, -1, nullptr);
      if (!control.spin) return false;
      SendMessageW(control.spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(control.hwnd), 0);
      SendMessageW(control.spin, UDM_SETRANGE32, static_cast<WPARAM>(decl.minValue),
                   static_cast<LPARAM>(decl.maxValue));
      SetItemIndex(index, decl.itemIndex);
      break;
    case ControlKind::kComboBox: {
      RECT list = r;
      list.bottom = r.top + scale(kComboListHeight);
      control.hwnd =
          CreateChild(parent, WC_COMBOBOXW, {}, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, list,
                      id, font_.get());
      if (!control.hwnd) break;
      for (const std::string& item : decl.items) {
        SendMessageW(control.hwnd, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(Utf8ToWide(item).c_str()));
      }
      SetItemIndex(index, decl.itemIndex);
      break;
    }
    case ControlKind::kRadioGroup: {
      control.hwnd =
          CreateChild(parent, L"BUTTON", decl.caption, BS_GROUPBOX, 0, r, id, font_.get());
      if (!control.hwnd) break;
      control.firstRadioId = nextRadioId;
      int itemTop = r.top + scale(kGroupCaptionHeight);
      for (size_t i = 0; i < decl.items.size(); ++i) {
        const RECT item = {r.left + scale(kMargin), itemTop, r.right - scale(kMargin),
                           itemTop + scale(kLineHeight)};
        // The first button starts the group, so arrow keys move within it.
        const DWORD style = BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0);
        HWND radio = CreateChild(parent, L"BUTTON", decl.items[i], style, 0, item, nextRadioId++,
                                 font_.get());
        if (!radio) return false;
        control.radios.push_back(radio);
        itemTop = item.bottom;
      }
      SetItemIndex(index, decl.itemIndex);
      break;
    }
    case ControlKind::kInfoPanel:
    case ControlKind::kGroup:
      control.hwnd =
          CreateChild(parent, L"BUTTON", decl.caption, BS_GROUPBOX, 0, r, id, font_.get());
      control.expanded = decl.expanded;
      break;
    case ControlKind::kListView: {
      control.hwnd =
          CreateChild(parent, WC_LISTVIEWW, {}, LVS_REPORT | LVS_SHOWSELALWAYS | WS_TABSTOP,
                      WS_EX_CLIENTEDGE, r, id, font_.get());
      if (!control.hwnd) break;
      for (size_t i = 0; i < decl.columns.size(); ++i) {
        std::wstring caption = Utf8ToWide(decl.columns[i].caption);
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = caption.data();
        column.cx = scale(decl.columns[i].width);
        if (SendMessageW(control.hwnd, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column)) < 0)
          return false;
      }
      break;
    }
    case ControlKind::kButton:
      control.hwnd = CreateChild(parent, L"BUTTON", decl.caption, BS_PUSHBUTTON | WS_TABSTOP, 0, r,
                                 id, font_.get());
      break;
    case ControlKind::kLabel:
      control.hwnd = CreateChild(parent, L"STATIC", decl.caption, SS_LEFT, 0, r, id, font_.get());
      break;
  }
  if (!control.hwnd) return false;
  if (!placed) top = r.bottom + scale(kGap);
  return true;
}

HWND Win32Form::Handle(std::string_view name) const {
  const std::optional<size_t> index = Find(name);
  return index ? controls_[*index].hwnd : nullptr;
}

HWND Win32Form::Handle(size_t index) const {
  return index < controls_.size() ? controls_[index].hwnd : nullptr;
}

std::optional<size_t> Win32Form::IndexOfId(int id) const {
  for (size_t i = 0; i < controls_.size(); ++i) {
    const Control& control = controls_[i];
    if (control.id == id) return i;
    const int radios = static_cast<int>(control.radios.size());
    if (radios > 0 && id >= control.firstRadioId && id < control.firstRadioId + radios) return i;
  }
  return std::nullopt;
}

bool Win32Form::Checked(size_t index) const {
  return Is(index, ControlKind::kCheckBox) &&
         SendMessageW(controls_[index].hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Form::SetChecked(size_t index, bool checked) {
  if (Is(index, ControlKind::kCheckBox))
    SendMessageW(controls_[index].hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::string Win32Form::Text(size_t index) const {
  if (!Is(index, ControlKind::kEdit)) return {};
  HWND hwnd = controls_[index].hwnd;
  const int length = std::min(GetWindowTextLengthW(hwnd), kTextBound);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
  return WideToUtf8(text);
}

void Win32Form::SetText(size_t index, std::string_view text) {
  if (Is(index, ControlKind::kEdit))
    SetWindowTextW(controls_[index].hwnd, Utf8ToWide(text).c_str());
}

int Win32Form::ItemIndex(size_t index) const {
  if (Is(index, ControlKind::kSpinEdit)) {
    // The edit may hold anything typed; the arrows report it clamped to their range.
    BOOL failed = FALSE;
    const auto value = static_cast<int>(
        SendMessageW(controls_[index].spin, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)));
    return std::clamp(value, decls_[index].minValue, decls_[index].maxValue);
  }
  if (Is(index, ControlKind::kComboBox)) {
    return static_cast<int>(SendMessageW(controls_[index].hwnd, CB_GETCURSEL, 0, 0));
  }
  if (Is(index, ControlKind::kRadioGroup)) {
    const std::vector<HWND>& radios = controls_[index].radios;
    for (size_t i = 0; i < radios.size(); ++i) {
      if (SendMessageW(radios[i], BM_GETCHECK, 0, 0) == BST_CHECKED) return static_cast<int>(i);
    }
  }
  return -1;
}

void Win32Form::SetItemIndex(size_t index, int item) {
  if (Is(index, ControlKind::kSpinEdit)) {
    const int value = std::clamp(item, decls_[index].minValue, decls_[index].maxValue);
    SendMessageW(controls_[index].spin, UDM_SETPOS32, 0, value);
  } else if (Is(index, ControlKind::kComboBox)) {
    // Windows clears the selection for an index outside the items; Wine keeps the old one.
    // Asking for -1 clears it on both.
    HWND combo = controls_[index].hwnd;
    const auto count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    const int valid = item >= 0 && item < count ? item : -1;
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(valid), 0);
  } else if (Is(index, ControlKind::kRadioGroup)) {
    const std::vector<HWND>& radios = controls_[index].radios;
    for (size_t i = 0; i < radios.size(); ++i) {
      const bool on = item >= 0 && static_cast<size_t>(item) == i;
      SendMessageW(radios[i], BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    }
  }
}

bool Win32Form::Expanded(size_t index) const {
  return Is(index, ControlKind::kInfoPanel) && controls_[index].expanded;
}

void Win32Form::SetExpanded(size_t index, bool expanded) {
  if (Is(index, ControlKind::kInfoPanel)) controls_[index].expanded = expanded;
}

std::vector<int> Win32Form::ColumnWidths(size_t index) const {
  std::vector<int> widths;
  if (!Is(index, ControlKind::kListView)) return widths;
  for (size_t i = 0; i < decls_[index].columns.size(); ++i) {
    widths.push_back(
        static_cast<int>(SendMessageW(controls_[index].hwnd, LVM_GETCOLUMNWIDTH, i, 0)));
  }
  return widths;
}

void Win32Form::SetColumnWidth(size_t index, size_t column, int width) {
  if (Is(index, ControlKind::kListView) && column < decls_[index].columns.size()) {
    // LVM_SETCOLUMNWIDTH takes 16 bits and reads -1 and -2 as "fit the text"; a stored width
    // outside 0..32767 must not turn into one of those.
    SendMessageW(controls_[index].hwnd, LVM_SETCOLUMNWIDTH, column,
                 MAKELPARAM(std::clamp(width, 0, 0x7FFF), 0));
  }
}

}  // namespace tavion
