#pragma once
// Measuring the texts of controls as they draw them, for dialogs that place their controls
// themselves: a translated caption is often a third longer than the English one, and a label,
// button or dialog sized from its measured text grows with it instead of cutting it.
#include <windows.h>

#include <string>
#include <string_view>

namespace tavion {

// The font of a control.
inline HFONT ControlFont(HWND control) {
  return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
}

// The width of `text` in `font`, in pixels, on one line and every character as it is.
int TextWidth(HFONT font, const std::wstring& text);

// The size `text` takes drawn in `font`: one line per CR, LF or CR LF, the widest line's width,
// and with `mnemonics` a "&" marking the next character ("&&" showing one "&").
SIZE TextExtent(HFONT font, std::wstring_view text, bool mnemonics = true);

// The size the text of `control` takes in its own font, drawn as the control draws it (a static
// with SS_NOPREFIX shows "&" as it is). An empty text is one line high and 0 wide.
SIZE ControlTextSize(HWND control);
inline int ControlTextWidth(HWND control) {
  return static_cast<int>(ControlTextSize(control).cx);
}

// The width of the widest entry of a drop-down list in its font.
int WidestEntryWidth(HWND combo);

// The width a push button needs for its caption at `dpi`: the caption with room on both sides, at
// least the usual button width.
int ButtonWidth(HWND button, int dpi);

// The height a label needs to show every line of its text, never less than `least`.
int LabelHeight(HWND label, int least);

// The client width `window` needs to show its title whole in its title bar, beside the bar's
// buttons (and icon, when it has a system menu with one).
int TitleClientWidth(HWND window);

}  // namespace tavion
