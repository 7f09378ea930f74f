#include "forms/control_text_win.h"

#include <algorithm>

#include "base/handles_win.h"
#include "forms/form_win.h"

namespace tavion {
namespace {

// Sizes at 96 dots per inch.
constexpr int kButtonMinWidth = 75;
constexpr int kButtonPadding = 24;
constexpr int kTitlePadding = 24;  // the title's room before its text and before the buttons

std::wstring WindowTextOf(HWND window) {
  std::wstring text(static_cast<size_t>(std::max(0, GetWindowTextLengthW(window))) + 1, L'\0');
  text.resize(static_cast<size_t>(
      std::max(0, GetWindowTextW(window, text.data(), static_cast<int>(text.size())))));
  return text;
}

}  // namespace

int TextWidth(HFONT font, const std::wstring& text) {
  const WindowDc screen(nullptr);
  if (!screen) return 0;
  const ScopedSelection selection(screen.get(), font);
  SIZE size = {};
  GetTextExtentPoint32W(screen.get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

SIZE TextExtent(HFONT font, std::wstring_view text, bool mnemonics) {
  const WindowDc screen(nullptr);
  if (!screen) return {0, 0};
  const ScopedSelection selection(screen.get(), font);
  // DrawText breaks lines at CR and LF and hides the "&" of a mnemonic as the controls do; an
  // empty text still measures a line's height.
  RECT box = {0, 0, 0, 0};
  const UINT format = DT_CALCRECT | (mnemonics ? 0u : DT_NOPREFIX);
  DrawTextW(screen.get(), text.empty() ? L" " : text.data(),
            text.empty() ? 1 : static_cast<int>(text.size()), &box, format);
  return {text.empty() ? 0 : box.right - box.left, box.bottom - box.top};
}

SIZE ControlTextSize(HWND control) {
  wchar_t className[16] = {};
  GetClassNameW(control, className, 16);
  const bool literal = lstrcmpiW(className, L"Static") == 0 &&
                       (GetWindowLongPtrW(control, GWL_STYLE) & SS_NOPREFIX) != 0;
  return TextExtent(ControlFont(control), WindowTextOf(control), !literal);
}

int WidestEntryWidth(HWND combo) {
  const HFONT font = ControlFont(combo);
  int widest = 0;
  const auto count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const auto length = static_cast<int>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0));
    if (length <= 0) continue;
    std::wstring entry(static_cast<size_t>(length) + 1, L'\0');
    entry.resize(static_cast<size_t>(
        std::max(0, static_cast<int>(SendMessageW(combo, CB_GETLBTEXT, i,
                                                  reinterpret_cast<LPARAM>(entry.data()))))));
    widest = std::max(widest, static_cast<int>(TextExtent(font, entry, false).cx));
  }
  return widest;
}

int ButtonWidth(HWND button, int dpi) {
  return std::max(MulDiv(kButtonMinWidth, dpi, 96),
                  ControlTextWidth(button) + MulDiv(kButtonPadding, dpi, 96));
}

int LabelHeight(HWND label, int least) {
  return std::max(least, static_cast<int>(ControlTextSize(label).cy));
}

int TitleClientWidth(HWND window) {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return 0;
  const UniqueFont font(CreateFontIndirectW(&metrics.lfCaptionFont));
  const int text = TextExtent(font.get(), WindowTextOf(window), /*mnemonics=*/false).cx;
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
  int buttons = (style & WS_SYSMENU) ? 1 : 0;
  if (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) buttons += 2;
  // A modal frame shows no icon.
  const bool icon =
      (style & WS_SYSMENU) && !(exStyle & WS_EX_DLGMODALFRAME) && !(style & DS_MODALFRAME);
  return text + buttons * metrics.iCaptionWidth + (icon ? GetSystemMetrics(SM_CXSMICON) : 0) +
         MulDiv(kTitlePadding, WindowDpi(window), 96);
}

}  // namespace tavion
