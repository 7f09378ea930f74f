#include "options_win.h"

#include <algorithm>
#include <string>

#include "windows_win.h"

namespace panora {
namespace {

constexpr int kIdDesktop = 101;
constexpr int kIdNotice = 102;
constexpr UINT_PTR kNoticeTimer = 1;
constexpr UINT kNoticeMs = 1000;

// The options window, declared in Tab order: labels and check boxes one per row, the buttons side
// by side at the right of the last row.
enum class Kind : uint8_t { kLabel, kCheck, kButton };
struct ControlDecl {
  int id;
  Kind kind;
  const wchar_t* className;
  DWORD style;
  const wchar_t* text;  // null: set when shown
};
constexpr ControlDecl kOptionControls[] = {
    {kIdDesktop, Kind::kLabel, L"STATIC", SS_LEFT | SS_NOPREFIX, nullptr},
    {kIdNotice, Kind::kCheck, L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, L"Show a notice on switch"},
    {IDOK, Kind::kButton, L"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, L"OK"},
    {IDCANCEL, Kind::kButton, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, L"Cancel"},
};

HWND g_options = nullptr;
HWND g_notice = nullptr;

std::wstring DesktopName(int desktop) {
  return L"Desktop " + std::to_wstring(desktop + 1);
}

// The message font at the system's DPI; owned by the window it is given to (WM_DESTROY).
HFONT MessageFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return nullptr;
  return CreateFontIndirectW(&metrics.lfMessageFont);
}

// Measures texts with a font on the screen.
class Measure {
 public:
  explicit Measure(HFONT font) : dc_(GetDC(nullptr)) {
    old_ = SelectObject(dc_, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    dpi_ = GetDeviceCaps(dc_, LOGPIXELSY);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc_, &metrics);
    lineHeight_ = metrics.tmHeight;
  }
  ~Measure() {
    SelectObject(dc_, old_);
    ReleaseDC(nullptr, dc_);
  }
  Measure(const Measure&) = delete;
  Measure& operator=(const Measure&) = delete;

  int Width(const std::wstring& text) const {
    SIZE size{};
    GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
  }
  int Scale(int pixelsAt96) const { return MulDiv(pixelsAt96, dpi_, 96); }
  int LineHeight() const { return lineHeight_; }

 private:
  HDC dc_;
  HGDIOBJ old_;
  int dpi_ = 96;
  int lineHeight_ = 13;
};

struct Placed {
  const ControlDecl* decl;
  std::wstring text;
  RECT rect;
};

// Places the declared controls from their measured texts; returns the client size.
SIZE LayOut(const Measure& measure, std::vector<Placed>& controls) {
  const int margin = measure.Scale(11), gap = measure.Scale(7);
  // A check box's box, the gap to its text and the theme's inset.
  const int check = GetSystemMetrics(SM_CXMENUCHECK) + measure.Scale(16);
  const int rowHeight =
      std::max(measure.LineHeight(), GetSystemMetrics(SM_CYMENUCHECK)) + measure.Scale(4);
  const int buttonHeight = measure.LineHeight() + measure.Scale(10);
  int buttonWidth = measure.Scale(75);
  int contentWidth = 0;
  for (const Placed& control : controls) {
    const int text = measure.Width(control.text);
    if (control.decl->kind == Kind::kButton) {
      buttonWidth = std::max(buttonWidth, text + measure.Scale(20));
    } else {
      contentWidth =
          std::max(contentWidth, text + (control.decl->kind == Kind::kCheck ? check : 0));
    }
  }
  contentWidth = std::max(contentWidth, 2 * buttonWidth + gap);
  int y = margin;
  int buttonX = margin + contentWidth - 2 * buttonWidth - gap;
  for (Placed& control : controls) {
    if (control.decl->kind == Kind::kButton) {
      control.rect = {buttonX, y, buttonX + buttonWidth, y + buttonHeight};
      buttonX += buttonWidth + gap;
      continue;
    }
    control.rect = {margin, y, margin + contentWidth, y + rowHeight};
    y += rowHeight + gap;
  }
  y += measure.Scale(4);
  for (Placed& control : controls) {
    if (control.decl->kind == Kind::kButton) OffsetRect(&control.rect, 0, y - control.rect.top);
  }
  return {2 * margin + contentWidth, y + buttonHeight + margin};
}

LRESULT CALLBACK OptionsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        const bool notice = IsDlgButtonChecked(window, kIdNotice) == BST_CHECKED;
        if (!WriteShowNotice(notice)) {
          MessageBoxW(window, L"The options could not be saved.", L"Panora", MB_OK | MB_ICONERROR);
          return 0;
        }
        DestroyWindow(window);
      } else if (LOWORD(wParam) == IDCANCEL) {
        DestroyWindow(window);
      }
      return 0;
    case WM_DESTROY:
      DeleteObject(reinterpret_cast<HFONT>(GetWindowLongPtrW(window, GWLP_USERDATA)));
      if (g_options == window) g_options = nullptr;
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK NoticeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(window, &paint);
      RECT client;
      GetClientRect(window, &client);
      wchar_t text[64] = {};
      GetWindowTextW(window, text, 64);
      const HGDIOBJ old =
          SelectObject(dc, reinterpret_cast<HFONT>(GetWindowLongPtrW(window, GWLP_USERDATA)));
      SetBkMode(dc, TRANSPARENT);
      DrawTextW(dc, text, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      SelectObject(dc, old);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_TIMER:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      DeleteObject(reinterpret_cast<HFONT>(GetWindowLongPtrW(window, GWLP_USERDATA)));
      if (g_notice == window) g_notice = nullptr;
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

// The window's outer size for `client` and the place that centres it on the work area.
RECT Centred(SIZE client, DWORD style, DWORD exStyle) {
  RECT rect{0, 0, client.cx, client.cy};
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  const int x = work.left + (work.right - work.left - width) / 2;
  const int y = work.top + (work.bottom - work.top - height) / 2;
  return {x, y, x + width, y + height};
}

}  // namespace

bool RegisterPanoraWindows(HINSTANCE instance) {
  WNDCLASSEXW options{};
  options.cbSize = sizeof(options);
  options.lpfnWndProc = OptionsProc;
  options.hInstance = instance;
  options.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  options.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  options.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  options.lpszClassName = kOptionsClass;
  WNDCLASSEXW notice = options;
  notice.lpfnWndProc = NoticeProc;
  notice.hbrBackground = GetSysColorBrush(COLOR_INFOBK);
  notice.lpszClassName = kNoticeClass;
  return RegisterClassExW(&options) != 0 && RegisterClassExW(&notice) != 0;
}

HWND ShowOptions(HINSTANCE instance, int current) {
  if (g_options) {
    SetForegroundWindow(g_options);
    return g_options;
  }
  const HFONT font = MessageFont();
  std::vector<Placed> controls;
  for (const ControlDecl& decl : kOptionControls) {
    controls.push_back(
        {&decl, decl.text ? decl.text : L"Current desktop: " + DesktopName(current), {}});
  }
  SIZE client{};
  {
    const Measure measure(font);
    client = LayOut(measure, controls);
  }
  constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  const RECT place = Centred(client, style, WS_EX_DLGMODALFRAME);
  const HWND window = CreateWindowExW(
      WS_EX_DLGMODALFRAME, kOptionsClass, L"Panora options", style, place.left, place.top,
      place.right - place.left, place.bottom - place.top, nullptr, nullptr, instance, nullptr);
  if (!window) {
    if (font) DeleteObject(font);
    return nullptr;
  }
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(font));
  for (const Placed& control : controls) {
    const HWND child = CreateWindowExW(
        0, control.decl->className, control.text.c_str(),
        WS_CHILD | WS_VISIBLE | control.decl->style, control.rect.left, control.rect.top,
        control.rect.right - control.rect.left, control.rect.bottom - control.rect.top, window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.decl->id)), instance, nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  CheckDlgButton(window, kIdNotice, ReadShowNotice() ? BST_CHECKED : BST_UNCHECKED);
  g_options = window;
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  SetFocus(GetDlgItem(window, kIdNotice));
  return window;
}

void ShowNotice(HINSTANCE instance, int desktop) {
  if (g_notice) DestroyWindow(g_notice);
  const std::wstring text = DesktopName(desktop);
  const HFONT font = MessageFont();
  SIZE client{};
  {
    const Measure measure(font);
    client = {measure.Width(text) + measure.Scale(40), measure.LineHeight() + measure.Scale(24)};
  }
  constexpr DWORD style = WS_POPUP | WS_BORDER;
  constexpr DWORD exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
  const RECT place = Centred(client, style, exStyle);
  g_notice = CreateWindowExW(exStyle, kNoticeClass, text.c_str(), style, place.left, place.top,
                             place.right - place.left, place.bottom - place.top, nullptr, nullptr,
                             instance, nullptr);
  if (!g_notice) {
    if (font) DeleteObject(font);
    return;
  }
  SetWindowLongPtrW(g_notice, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(font));
  ShowWindow(g_notice, SW_SHOWNOACTIVATE);
  SetTimer(g_notice, kNoticeTimer, kNoticeMs, nullptr);
}

}  // namespace panora
