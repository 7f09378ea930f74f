#include "wine/support/layout_check.h"

#include <commctrl.h>

#include <algorithm>

#include "base/handles_win.h"
#include "base/utf_win.h"
#include "wine/support/test_support.h"

namespace wine_test {
namespace {

using tavion::ScopedSelection;
using tavion::WideToUtf8;
using tavion::WindowDc;

bool IsClass(HWND hwnd, const wchar_t* name) {
  wchar_t found[64] = {};
  GetClassNameW(hwnd, found, 64);
  return _wcsicmp(found, name) == 0;
}

// The widest line of `text` in `hwnd`'s font ("&&" is one "&", a lone "&" marks a key), and the
// height of its lines; a line ends at CR LF, CR or LF, as DrawText ends it.
SIZE TextNeed(HWND hwnd, const std::wstring& text) {
  std::wstring shown;
  for (size_t i = 0; i < text.size(); ++i) shown += text[i] == L'&' ? text[++i] : text[i];
  const WindowDc dc(hwnd);
  const ScopedSelection font(dc.get(),
                             reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
  SIZE need = {0, 0};
  for (size_t start = 0, end = 0; start <= shown.size();
       start = end + (shown.compare(end, 2, L"\r\n") == 0 ? 2 : 1)) {
    end = std::min(shown.find_first_of(L"\r\n", start), shown.size());
    SIZE line = {};
    GetTextExtentPoint32W(dc.get(), shown.c_str() + start, static_cast<int>(end - start), &line);
    need = {std::max(need.cx, line.cx), need.cy + line.cy};
  }
  return need;
}

}  // namespace

RECT RectIn(HWND parent, HWND child) {
  RECT r = {};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::vector<std::string> LayoutFaults(HWND page, int dpi, size_t minControls) {
  std::vector<std::string> faults;
  std::vector<HWND> controls;
  for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) controls.push_back(child);
  if (controls.size() < minControls) faults.push_back("hardly any controls");
  RECT area = {};
  GetClientRect(page, &area);
  for (HWND control : controls) {
    const std::wstring text = WindowText(control);
    const std::string name = "'" + WideToUtf8(text) + "'";
    RECT client = {};
    GetClientRect(control, &client);
    if (RectIn(page, control).right > area.right) faults.push_back(name + " reaches past the page");
    std::vector<std::wstring> captions = {text};
    int room = client.right;
    if (IsClass(control, L"Button")) {
      // A themed check box's or radio button's inset, box and gap, a push button's frame, a
      // group box's corners.
      const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
      room -= MulDiv(type == BS_GROUPBOX ? 16 : type == BS_PUSHBUTTON ? 6 : 22, dpi, 96);
    } else if (IsClass(control, L"ComboBox")) {
      room -= GetSystemMetrics(SM_CXVSCROLL);
      captions.clear();
      for (int i = 0; i < SendMessageW(control, CB_GETCOUNT, 0, 0); ++i) {
        wchar_t item[256] = {};
        if (SendMessageW(control, CB_GETLBTEXTLEN, i, 0) < 255)
          SendMessageW(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        captions.push_back(item);
      }
    } else if (!IsClass(control, L"Static")) {
      continue;
    }
    for (const std::wstring& caption : captions) {
      const SIZE need = TextNeed(control, caption);
      if (need.cx > room || (IsClass(control, L"Static") && need.cy > client.bottom))
        faults.push_back(name + " cuts '" + WideToUtf8(caption) + "'");
    }
  }
  // Nothing overlaps but a group box and what lies wholly inside it, and spin arrows on the
  // border of their edit.
  const auto mayOverlap = [&](HWND outer, HWND inner) {
    const RECT o = RectIn(page, outer), i = RectIn(page, inner);
    const bool inside =
        i.left >= o.left && i.right <= o.right && i.top >= o.top && i.bottom <= o.bottom;
    return (IsClass(outer, L"Button") &&
            (GetWindowLongW(outer, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX && inside) ||
           (IsClass(outer, UPDOWN_CLASSW) &&
            reinterpret_cast<HWND>(SendMessageW(outer, UDM_GETBUDDY, 0, 0)) == inner);
  };
  for (HWND a : controls) {
    for (HWND b : controls) {
      const RECT ra = RectIn(page, a), rb = RectIn(page, b);
      RECT both = {};
      if (a < b && IntersectRect(&both, &ra, &rb) && !mayOverlap(a, b) && !mayOverlap(b, a))
        faults.push_back("'" + WideToUtf8(WindowText(a)) + "' overlaps '" +
                         WideToUtf8(WindowText(b)) + "'");
    }
  }
  return faults;
}

}  // namespace wine_test
