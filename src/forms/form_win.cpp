#include "forms/form_win.h"

#include <commctrl.h>

#include <algorithm>

#include "base/utf_win.h"
#include "base/window_requests_win.h"
#include "forms/form_layout.h"

namespace tavion {
namespace {

// Sizes at 96 dots per inch.
constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kGroupSide = 10;
constexpr int kCheckGlyph = 24;        // a check box's box, the gap after it, a theme's inset
constexpr int kEditChrome = 8;         // an edit's borders and inner room, each way
constexpr int kEditWidth = 120;        // an edit's least width: it stretches across its row
constexpr int kComboArrow = 26;        // a drop-down list's arrow and borders
constexpr int kSpinArrows = 22;        // a spin edit's arrows
constexpr int kButtonWidth = 75;       // a push button's least width
constexpr int kButtonChrome = 20;      // a push button's room around its caption
constexpr int kButtonHeight = 25;      // and its least height
constexpr int kComboListHeight = 200;  // the drop-down list's room
constexpr int kInfoPanelHeight = 40;
constexpr int kListViewHeight = 120;
constexpr int kMemoLines = 5;      // the text lines a memo shows
constexpr int kSliderWidth = 120;  // a slider's least width: it stretches across its row
constexpr int kSliderHeight = 26;
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
                 DWORD exStyle, int id) {
  return CreateWindowExW(exStyle, className, Utf8ToWide(text).c_str(),
                         WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

struct TextSize {
  int cx = 0;
  int cy = 0;
};

// Measures texts as the controls draw them (several lines, "&" marking a mnemonic).
class TextMeter {
 public:
  explicit TextMeter(HWND window) : dc_(window) {}

  TextSize Measure(HFONT font, const std::string& text) const {
    const ScopedSelection selection(dc_.get(), font);
    const std::wstring wide = Utf8ToWide(text.empty() ? std::string("Ag") : text);
    RECT r = {0, 0, 0, 0};
    DrawTextW(dc_.get(), wide.c_str(), static_cast<int>(wide.size()), &r, DT_CALCRECT);
    return {text.empty() ? 0 : static_cast<int>(r.right - r.left),
            static_cast<int>(r.bottom - r.top)};
  }
  int LineHeight(HFONT font) const { return Measure(font, {}).cy; }

 private:
  WindowDc dc_;
};

bool IsCaptioned(ControlKind kind) {
  return kind == ControlKind::kEdit || kind == ControlKind::kComboBox ||
         kind == ControlKind::kSpinEdit || kind == ControlKind::kSlider;
}

// The width of the widest number a slider over `decl`'s range shows.
int SliderNumberWidth(const ControlDecl& decl, HFONT font, const TextMeter& meter) {
  return std::max(meter.Measure(font, std::to_string(decl.minValue)).cx,
                  meter.Measure(font, std::to_string(decl.maxValue)).cx);
}

// A memo in a dialog: Enter makes a new line (the dialog's default button stays for the other
// controls) while Tab and Escape still move on and cancel, which a multi-line edit's own
// DLGC_WANTALLKEYS would swallow; Ctrl+A selects the whole text.
LRESULT CALLBACK MemoProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                               UINT_PTR /*id*/, DWORD_PTR /*data*/) {
  switch (message) {
    case WM_GETDLGCODE: {
      LRESULT code = DefSubclassProc(hwnd, message, wParam, lParam) & ~DLGC_WANTALLKEYS;
      const auto* msg = reinterpret_cast<const MSG*>(lParam);
      if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_KEYDOWN:
      if (wParam == 'A' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) {
        SendMessageW(hwnd, EM_SETSEL, 0, -1);
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == 1) return 0;  // Ctrl+A's character: the selection is made, no beep
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

// The room above a radio group's first button: its caption's, or the side's without one.
int RadioGroupBand(const ControlDecl& decl, int lineHeight, int dpi) {
  return decl.caption.empty() ? MulDiv(kGroupSide, dpi, 96) : lineHeight + MulDiv(kGap, dpi, 96);
}

// The height of a radio button's row in a radio group.
int RadioRow(int lineHeight, int dpi) {
  return std::max(lineHeight, MulDiv(17, dpi, 96)) + MulDiv(2, dpi, 96);
}

// The texts of a drop-down list's entries, as a page may have filled it.
std::vector<std::string> ComboItems(HWND combo) {
  std::vector<std::string> items;
  const auto count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const auto length = static_cast<int>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0));
    if (length < 0 || length > 1024) continue;
    std::wstring item(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
    items.push_back(WideToUtf8(item.c_str()));
  }
  return items;
}

// The control's own width and height, its caption's width, and how it flows; `hwnd` is the
// control's window.
LayoutItem NaturalItem(const ControlDecl& decl, HFONT font, const TextMeter& meter, int dpi,
                       HWND hwnd) {
  const auto scale = [dpi](int v) { return MulDiv(v, dpi, 96); };
  const int line = meter.LineHeight(font);
  const TextSize text = meter.Measure(font, decl.caption);
  const int fieldHeight = line + scale(kEditChrome);
  LayoutItem item;
  // A static draws a glyph's overhang past the measured width: a little room keeps it whole.
  if (IsCaptioned(decl.kind) && !decl.caption.empty()) item.label = text.cx + scale(2);
  switch (decl.kind) {
    case ControlKind::kCheckBox:
      item.width = text.cx + scale(kCheckGlyph);
      item.height = std::max(text.cy, scale(16));
      break;
    case ControlKind::kEdit:
      item.width = scale(kEditWidth);
      item.height = fieldHeight;
      item.stretch = true;
      break;
    case ControlKind::kMemo:
      item.width = scale(kEditWidth);
      item.height = kMemoLines * line + scale(kEditChrome);
      item.stretch = true;
      break;
    case ControlKind::kSlider:
      item.width = scale(kSliderWidth + kGap) + SliderNumberWidth(decl, font, meter);
      item.height = std::max(scale(kSliderHeight), line);
      item.stretch = true;
      break;
    case ControlKind::kSpinEdit: {
      const std::string widest(std::to_string(std::max(decl.maxValue, -decl.minValue)).size() + 1,
                               '0');
      item.width = meter.Measure(font, widest).cx + scale(kEditChrome + kSpinArrows);
      item.height = fieldHeight;
      break;
    }
    case ControlKind::kComboBox: {
      int widest = 0;
      for (const std::string& entry : ComboItems(hwnd))
        widest = std::max(widest, meter.Measure(font, entry).cx);
      item.width = widest + scale(kEditChrome + kComboArrow);
      // A drop-down list sets its own height from its font.
      RECT r = {};
      item.height = GetWindowRect(hwnd, &r) ? r.bottom - r.top : fieldHeight;
      break;
    }
    case ControlKind::kRadioGroup: {
      int widest = text.cx + scale(kMargin);
      for (const std::string& entry : decl.items)
        widest = std::max(widest, meter.Measure(font, entry).cx + scale(kCheckGlyph));
      item.width = widest + 2 * scale(kGroupSide);
      item.height = RadioGroupBand(decl, line, dpi) +
                    static_cast<int>(decl.items.size()) * RadioRow(line, dpi) + scale(kGroupSide);
      item.stretch = true;
      break;
    }
    case ControlKind::kInfoPanel:
    case ControlKind::kGroup:
      item.isGroup = true;
      item.width = text.cx + 2 * scale(kMargin);
      item.height = decl.kind == ControlKind::kInfoPanel ? scale(kInfoPanelHeight) : 0;
      break;
    case ControlKind::kListView:
      item.width = scale(kEditWidth);
      item.height = scale(kListViewHeight);
      item.stretch = true;
      break;
    case ControlKind::kButton:
      item.width = text.cx + scale(kButtonChrome);
      if (!decl.compact) item.width = std::max(scale(kButtonWidth), item.width);
      item.height = std::max(scale(kButtonHeight), text.cy + scale(kEditChrome));
      break;
    case ControlKind::kLabel:
      item.width = text.cx;
      item.height = text.cy;
      break;
  }
  return item;
}

}  // namespace

Win32Form::~Win32Form() {
  DestroyControls();
}

void Win32Form::DestroyControls() {
  for (Control& control : controls_) {
    for (HWND hwnd : control.radios)
      if (IsWindow(hwnd)) DestroyWindow(hwnd);
    for (HWND hwnd : {control.caption, control.spin, control.number, control.hwnd})
      if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
  }
  if (tooltip_ && IsWindow(tooltip_)) DestroyWindow(tooltip_);
  tooltip_ = nullptr;
  if (parentSubclassed_) RemoveWindowSubclass(parent_, ParentProcedure, SubclassId());
  parentSubclassed_ = false;
  controls_.clear();
  decls_.clear();
  declared_.clear();
  font_.reset();
  boldFont_.reset();
}

bool Win32Form::Create(HWND parent, std::span<const ControlDecl> table, int firstId,
                       bool notifyFocus) {
  if (!controls_.empty() || !IsWindow(parent)) return false;
  buttonStyle_ = notifyFocus ? BS_NOTIFY : 0;
  INITCOMMONCONTROLSEX icc = {
      sizeof icc, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
  // Without it the list view class may be missing; creating one then fails and Create fails.
  InitCommonControlsEx(&icc);
  parent_ = parent;
  declared_.assign(table.begin(), table.end());
  decls_ = declared_;
  tavion::ApplyLanguage(decls_, language_);
  controls_.resize(decls_.size());
  int id = firstId;
  for (Control& control : controls_) control.id = id++;
  int nextRadioId = id;
  for (size_t i = 0; i < controls_.size(); ++i) {
    if (!CreateControl(parent, i, nextRadioId)) {
      DestroyControls();
      return false;
    }
  }
  // Without it labels keep the plain look; nothing else needs it.
  if (!parentSubclassed_)
    parentSubclassed_ =
        SetWindowSubclass(parent, ParentProcedure, SubclassId(), reinterpret_cast<DWORD_PTR>(this));
  ApplyHints();
  RECT client = {};
  GetClientRect(parent, &client);
  dpi_ = 0;  // makes Layout create the font
  Layout(client.right, WindowDpi(parent));
  return true;
}

bool Win32Form::CreateControl(HWND parent, size_t index, int& nextRadioId) {
  Control& control = controls_[index];
  const ControlDecl& decl = decls_[index];
  if (IsCaptioned(decl.kind) && !decl.caption.empty()) {
    // Before its field, so Tab order and mnemonics lead from the caption to the field.
    control.caption = CreateChild(parent, L"STATIC", decl.caption, SS_LEFT | SS_CENTERIMAGE, 0, -1);
    if (!control.caption) return false;
  }
  const int id = control.id;
  switch (decl.kind) {
    case ControlKind::kCheckBox:
      control.hwnd = CreateChild(parent, L"BUTTON", decl.caption,
                                 BS_AUTOCHECKBOX | WS_TABSTOP | buttonStyle_, 0, id);
      if (control.hwnd) SetChecked(index, decl.checked);
      break;
    case ControlKind::kEdit:
      control.hwnd = CreateChild(parent, L"EDIT", decl.text, ES_AUTOHSCROLL | WS_TABSTOP,
                                 WS_EX_CLIENTEDGE, id);
      break;
    case ControlKind::kMemo:
      control.hwnd =
          CreateChild(parent, L"EDIT", decl.text,
                      ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP,
                      WS_EX_CLIENTEDGE, id);
      if (control.hwnd && !SetWindowSubclass(control.hwnd, MemoProcedure, 0, 0)) return false;
      break;
    case ControlKind::kSlider:
      control.hwnd =
          CreateChild(parent, TRACKBAR_CLASSW, {}, TBS_HORZ | TBS_NOTICKS | WS_TABSTOP, 0, id);
      if (!control.hwnd) break;
      control.number = CreateChild(parent, L"STATIC", {}, SS_LEFT | SS_CENTERIMAGE, 0, -1);
      if (!control.number) return false;
      SendMessageW(control.hwnd, TBM_SETRANGEMIN, FALSE, decl.minValue);
      SendMessageW(control.hwnd, TBM_SETRANGEMAX, FALSE, decl.maxValue);
      SendMessageW(control.hwnd, TBM_SETPAGESIZE, 0,
                   std::max(1, (decl.maxValue - decl.minValue) / 10));
      if (!parentSubclassed_) {
        parentSubclassed_ = SetWindowSubclass(parent, ParentProcedure, SubclassId(),
                                              reinterpret_cast<DWORD_PTR>(this));
        if (!parentSubclassed_) return false;
      }
      SetItemIndex(index, decl.itemIndex);
      break;
    case ControlKind::kSpinEdit:
      control.hwnd = CreateChild(parent, L"EDIT", {}, ES_NUMBER | ES_AUTOHSCROLL | WS_TABSTOP,
                                 WS_EX_CLIENTEDGE, id);
      if (!control.hwnd) break;
      // The arrows attach to the right of the edit and take its place's last part.
      control.spin =
          CreateChild(parent, UPDOWN_CLASSW, {},
                      UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0, -1);
      if (!control.spin) return false;
      SendMessageW(control.spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(control.hwnd), 0);
      SendMessageW(control.spin, UDM_SETRANGE32, static_cast<WPARAM>(decl.minValue),
                   static_cast<LPARAM>(decl.maxValue));
      SetItemIndex(index, decl.itemIndex);
      break;
    case ControlKind::kComboBox:
      control.hwnd =
          CreateChild(parent, WC_COMBOBOXW, {}, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, id);
      if (!control.hwnd) break;
      for (const std::string& item : decl.items) {
        SendMessageW(control.hwnd, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(Utf8ToWide(item).c_str()));
      }
      SetItemIndex(index, decl.itemIndex);
      break;
    case ControlKind::kRadioGroup: {
      control.hwnd = CreateChild(parent, L"BUTTON", decl.caption, BS_GROUPBOX, 0, id);
      if (!control.hwnd) break;
      control.firstRadioId = nextRadioId;
      for (size_t i = 0; i < decl.items.size(); ++i) {
        // The first button starts the group, so arrow keys move within it.
        const DWORD style =
            BS_AUTORADIOBUTTON | buttonStyle_ | (i == 0 ? WS_GROUP | WS_TABSTOP : 0);
        HWND radio = CreateChild(parent, L"BUTTON", decl.items[i], style, 0, nextRadioId++);
        if (!radio) return false;
        control.radios.push_back(radio);
      }
      SetItemIndex(index, decl.itemIndex);
      break;
    }
    case ControlKind::kInfoPanel:
    case ControlKind::kGroup:
      control.hwnd = CreateChild(parent, L"BUTTON", decl.caption, BS_GROUPBOX, 0, id);
      control.expanded = decl.expanded;
      break;
    case ControlKind::kListView: {
      control.hwnd = CreateChild(parent, WC_LISTVIEWW, {},
                                 LVS_REPORT | LVS_SHOWSELALWAYS | WS_TABSTOP, WS_EX_CLIENTEDGE, id);
      if (!control.hwnd) break;
      for (size_t i = 0; i < decl.columns.size(); ++i) {
        std::wstring caption = Utf8ToWide(decl.columns[i].caption);
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = caption.data();
        column.cx = MulDiv(decl.columns[i].width, WindowDpi(parent), 96);
        if (SendMessageW(control.hwnd, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column)) < 0)
          return false;
      }
      break;
    }
    case ControlKind::kButton:
      control.hwnd = CreateChild(parent, L"BUTTON", decl.caption,
                                 BS_PUSHBUTTON | WS_TABSTOP | buttonStyle_, 0, id);
      break;
    case ControlKind::kLabel:
      control.hwnd = CreateChild(parent, L"STATIC", decl.caption, SS_LEFT, 0, id);
      break;
  }
  return control.hwnd != nullptr;
}

HFONT Win32Form::FontOf(size_t index) const {
  if (controls_[index].ownFont) return controls_[index].ownFont;
  if (decls_[index].look == LabelLook::kHeading && boldFont_) return boldFont_.get();
  return font_.get();
}

HWND Win32Form::LookWindow(size_t index) const {
  if (controls_[index].caption) return controls_[index].caption;
  return Is(index, ControlKind::kLabel) ? controls_[index].hwnd : nullptr;
}

void Win32Form::SetHint(size_t index, std::string_view hint) {
  if (index >= controls_.size()) return;
  decls_[index].hint = hint;
  Control& control = controls_[index];
  if (hint.empty() && !control.hasTip) return;
  if (!tooltip_) {
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent_,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!tooltip_) return;  // hints help, the form works without them
    // Several lines: a hint may hold line breaks.
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, MulDiv(400, dpi_, 96));
  }
  std::wstring text = Utf8ToWide(hint);
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = parent_;
  tool.uId = reinterpret_cast<UINT_PTR>(control.hwnd);
  tool.lpszText = text.data();
  if (hint.empty()) {
    SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    control.hasTip = false;
  } else if (control.hasTip) {
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  } else {
    control.hasTip = SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void Win32Form::ApplyHints() {
  for (size_t i = 0; i < controls_.size(); ++i)
    if (!decls_[i].hint.empty() || controls_[i].hasTip) SetHint(i, decls_[i].hint);
}

void Win32Form::ApplyLanguage() {
  if (controls_.empty() || language_.section.empty()) return;
  std::vector<ControlDecl> table = declared_;
  for (size_t i = 0; i < table.size(); ++i) {
    if (!Is(i, ControlKind::kComboBox)) continue;
    // The entries a page filled in stay; the declared ones are translated afresh.
    std::vector<std::string> items = ComboItems(controls_[i].hwnd);
    for (size_t n = 0; n < items.size() && n < table[i].items.size(); ++n)
      items[n] = table[i].items[n];
    table[i].items = std::move(items);
  }
  tavion::ApplyLanguage(table, language_);
  bool looksChanged = false;
  for (size_t i = 0; i < table.size(); ++i) {
    const ControlDecl& now = table[i];
    const ControlDecl before = decls_[i];
    const Control& control = controls_[i];
    decls_[i] = now;
    if (now.caption != before.caption) {
      decls_[i].caption = before.caption;
      SetCaption(i, now.caption);
    }
    if (now.items != before.items && Is(i, ControlKind::kRadioGroup)) {
      for (size_t n = 0; n < control.radios.size() && n < now.items.size(); ++n)
        SetWindowTextW(control.radios[n], Utf8ToWide(now.items[n]).c_str());
    }
    if (Is(i, ControlKind::kComboBox) && now.items != ComboItems(control.hwnd)) {
      const LRESULT selected = SendMessageW(control.hwnd, CB_GETCURSEL, 0, 0);
      SendMessageW(control.hwnd, CB_RESETCONTENT, 0, 0);
      for (const std::string& item : now.items)
        SendMessageW(control.hwnd, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(Utf8ToWide(item).c_str()));
      SendMessageW(control.hwnd, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    }
    if (Is(i, ControlKind::kListView)) {
      for (size_t n = 0; n < now.columns.size(); ++n) {
        if (n < before.columns.size() && now.columns[n].caption == before.columns[n].caption)
          continue;
        std::wstring caption = Utf8ToWide(now.columns[n].caption);
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT;
        column.pszText = caption.data();
        SendMessageW(control.hwnd, LVM_SETCOLUMNW, n, reinterpret_cast<LPARAM>(&column));
      }
    }
    if (Is(i, ControlKind::kMemo) && now.text != before.text) SetText(i, now.text);
    if (now.hint != before.hint) SetHint(i, now.hint);
    looksChanged |= now.look != before.look;
  }
  if (looksChanged) ApplyFonts();
  InvalidateRect(parent_, nullptr, TRUE);
}

void Win32Form::ApplyFonts() {
  for (size_t i = 0; i < controls_.size(); ++i) {
    const Control& control = controls_[i];
    const auto font = reinterpret_cast<WPARAM>(FontOf(i));
    for (HWND hwnd : control.radios) SendMessageW(hwnd, WM_SETFONT, font, FALSE);
    for (HWND hwnd : {control.caption, control.number, control.hwnd})
      if (hwnd) SendMessageW(hwnd, WM_SETFONT, font, FALSE);
  }
}

void Win32Form::SetControlFont(size_t index, HFONT font) {
  if (index >= controls_.size()) return;
  controls_[index].ownFont = font;
  ApplyFonts();
}

void Win32Form::SetCaption(size_t index, std::string_view caption) {
  if (index >= controls_.size()) return;
  decls_[index].caption = caption;
  HWND target = controls_[index].caption ? controls_[index].caption : controls_[index].hwnd;
  SetWindowTextW(target, Utf8ToWide(caption).c_str());
}

void Win32Form::SetEnabled(size_t index, bool enabled) {
  if (index >= controls_.size()) return;
  const Control& control = controls_[index];
  for (HWND hwnd : control.radios) EnableWindow(hwnd, enabled);
  for (HWND hwnd : {control.caption, control.spin, control.number, control.hwnd})
    if (hwnd) EnableWindow(hwnd, enabled);
}

void Win32Form::ShowSliderValue(size_t index) {
  SetWindowTextW(controls_[index].number, std::to_wstring(ItemIndex(index)).c_str());
}

LRESULT CALLBACK Win32Form::ParentProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR /*id*/, DWORD_PTR data) {
  auto* form = reinterpret_cast<Win32Form*>(data);
  if (message == WM_HSCROLL && lParam) {
    for (size_t i = 0; i < form->controls_.size(); ++i)
      if (form->controls_[i].hwnd == reinterpret_cast<HWND>(lParam) &&
          form->Is(i, ControlKind::kSlider))
        form->ShowSliderValue(i);
  }
  if (message == WM_CTLCOLORSTATIC && lParam) {
    for (size_t i = 0; i < form->controls_.size(); ++i) {
      const LabelLook look = form->decls_[i].look;
      if (look == LabelLook::kPlain || form->LookWindow(i) != reinterpret_cast<HWND>(lParam))
        continue;
      // The parent's own answer gives the brush; only the text colour changes.
      const LRESULT brush = DefSubclassProc(hwnd, message, wParam, lParam);
      const COLORREF colour = look == LabelLook::kHeading ? RGB(0x35, 0x70, 0xB8)
                              : look == LabelLook::kQuiet ? RGB(0x80, 0x80, 0x80)
                                                          : RGB(0xFF, 0, 0);
      SetTextColor(reinterpret_cast<HDC>(wParam), colour);
      return brush;
    }
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

int Win32Form::Layout(int width, int dpi) {
  if (controls_.empty()) return contentHeight_ = 0;
  if (dpi <= 0) dpi = 96;
  if (dpi != dpi_ || !font_) {
    UniqueFont font = CreateMessageFont(dpi);
    UniqueFont bold;
    LOGFONTW face = {};
    if (font && GetObjectW(font.get(), sizeof face, &face)) {
      face.lfWeight = FW_BOLD;
      bold.reset(CreateFontIndirectW(&face));
    }
    dpi_ = dpi;
    // The controls let go of the old fonts before they are deleted.
    std::swap(font, font_);
    std::swap(bold, boldFont_);
    ApplyFonts();
  }
  const auto scale = [this](int v) { return MulDiv(v, dpi_, 96); };
  const TextMeter meter(parent_);
  // The flowing controls, in table order; a group is found by its name among them.
  std::vector<LayoutItem> items;
  std::vector<size_t> flowing;
  for (size_t i = 0; i < decls_.size(); ++i) {
    const ControlDecl& decl = decls_[i];
    if (decl.place.height > 0) continue;
    LayoutItem item = NaturalItem(decl, FontOf(i), meter, dpi_, controls_[i].hwnd);
    item.beside = decl.beside;
    for (size_t f = 0; f < flowing.size() && !decl.group.empty(); ++f)
      if (decls_[flowing[f]].name == decl.group) item.group = static_cast<int>(f);
    items.push_back(item);
    flowing.push_back(i);
  }
  LayoutMetrics metrics;
  metrics.margin = scale(kMargin);
  metrics.gap = scale(kGap);
  metrics.groupTop = meter.LineHeight(font_.get()) + scale(kGap);
  metrics.groupSide = scale(kGroupSide);
  const FormLayout layout = LayOutForm(items, width, metrics);
  neededWidth_ = LayOutForm(items, 0, metrics).width;
  contentWidth_ = std::max(width, layout.width);
  contentHeight_ = layout.height;
  for (size_t f = 0; f < flowing.size(); ++f) {
    const LayoutBox& box = layout.controls[f];
    Place(flowing[f], RECT{box.left, box.top, box.left + box.width, box.top + box.height});
    if (HWND caption = controls_[flowing[f]].caption) {
      const LayoutBox& label = layout.labels[f];
      MoveWindow(caption, label.left, label.top, label.width, label.height, TRUE);
    }
  }
  for (size_t i = 0; i < decls_.size(); ++i) {
    const ControlPlace& place = decls_[i].place;
    if (place.height <= 0) continue;
    RECT r;
    r.left = scale(place.left);
    r.top = scale(place.top);
    r.right = place.width > 0 ? r.left + scale(place.width) : width - scale(kMargin);
    r.bottom = r.top + scale(place.height);
    Place(i, r);
    contentHeight_ = std::max<int>(contentHeight_, r.bottom + scale(kMargin));
  }
  return contentHeight_;
}

void Win32Form::Place(size_t index, RECT r) {
  const Control& control = controls_[index];
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  switch (decls_[index].kind) {
    case ControlKind::kComboBox:
      // A drop-down list's window height is its list's room.
      MoveWindow(control.hwnd, r.left, r.top, width, MulDiv(kComboListHeight, dpi_, 96), TRUE);
      break;
    case ControlKind::kSlider: {
      const TextMeter meter(parent_);
      const int number = SliderNumberWidth(decls_[index], FontOf(index), meter);
      const int track = std::max(0, width - number - MulDiv(kGap, dpi_, 96));
      MoveWindow(control.hwnd, r.left, r.top, track, height, TRUE);
      MoveWindow(control.number, r.right - number, r.top, number, height, TRUE);
      break;
    }
    case ControlKind::kSpinEdit:
      MoveWindow(control.hwnd, r.left, r.top, width, height, TRUE);
      // Attaching again puts the arrows inside the edit's new place.
      SendMessageW(control.spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(control.hwnd), 0);
      break;
    case ControlKind::kRadioGroup: {
      MoveWindow(control.hwnd, r.left, r.top, width, height, TRUE);
      const TextMeter meter(parent_);
      const int line = meter.LineHeight(FontOf(index));
      const int row = RadioRow(line, dpi_);
      const int side = MulDiv(kGroupSide, dpi_, 96);
      int top = r.top + RadioGroupBand(decls_[index], line, dpi_);
      for (HWND radio : control.radios) {
        MoveWindow(radio, r.left + side, top, width - 2 * side, row, TRUE);
        top += row;
      }
      break;
    }
    default:
      MoveWindow(control.hwnd, r.left, r.top, width, height, TRUE);
      break;
  }
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
  if (!IsText(index)) return {};
  HWND hwnd = controls_[index].hwnd;
  const int length = std::min(GetWindowTextLengthW(hwnd), kTextBound);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
  return WideToUtf8(text);
}

void Win32Form::SetText(size_t index, std::string_view text) {
  if (IsText(index)) SetWindowTextW(controls_[index].hwnd, Utf8ToWide(text).c_str());
}

int Win32Form::ItemIndex(size_t index) const {
  if (Is(index, ControlKind::kSlider)) {
    return static_cast<int>(SendMessageW(controls_[index].hwnd, TBM_GETPOS, 0, 0));
  }
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
  } else if (Is(index, ControlKind::kSlider)) {
    const int value = std::clamp(item, decls_[index].minValue, decls_[index].maxValue);
    SendMessageW(controls_[index].hwnd, TBM_SETPOS, TRUE, value);
    ShowSliderValue(index);
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
