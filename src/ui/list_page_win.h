#pragma once
// What the pages built around a report list share: their window procedure, the list's single
// selection and where its context menu opens.
#include <windows.h>

#include <optional>

namespace tavion {

class Page;

// The window procedure of a page whose object (`Page`, with Handle() and OnMessage) is in the
// window's user data: the object's answer, else the default one.
template <class Page>
LRESULT CALLBACK ListPageProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Page*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self && self->Handle() == hwnd) {
    if (const std::optional<LRESULT> answer = self->OnMessage(message, wParam, lParam))
      return *answer;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The selected row of `list`, -1 for none.
int SelectedListRow(HWND list);
// Selects row `row` of `list` alone, focused and scrolled into view; -1 clears the selection.
void SelectListRow(HWND list, int row);
// Where the context menu of `list` opens for WM_CONTEXTMENU's `lParam`: at the click, or below
// the list's top left when the keyboard asked for it.
POINT ListMenuPoint(HWND list, LPARAM lParam);
// WM_CONTEXTMENU of a page: when it comes from `list`, opens the page's menu for the list there
// and runs the command chosen. False when it comes from another control.
bool ShowListPageMenu(Page& page, HWND list, WPARAM wParam, LPARAM lParam);

}  // namespace tavion
