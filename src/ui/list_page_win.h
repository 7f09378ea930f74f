#pragma once
// What the pages built around a report list share: their window procedure, the list's single
// selection and where its context menu opens.
#include <windows.h>

#include <functional>
#include <optional>
#include <span>
#include <string>

#include "ui/page_win.h"

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
// Adds row `row` to `list` with `texts` (UTF-8) in its columns from the first on; the row shows
// image `image` of the list's small images, none when it is -1.
void InsertListRow(HWND list, int row, std::span<const std::string> texts, int image = -1);
// Lays out a page of one list: `label` across the top, `buttons` at the bottom right in their
// order (in more rows when one is too narrow), the list between them, its last column taking the
// room the others leave.
void LayOutListPage(HWND page, HWND label, HWND list, std::span<const HWND> buttons, int dpi);
// WM_CONTEXTMENU on a page: when it is about `list`, shows `page`'s menu for the list and runs
// the command chosen. False when the message is about another window.
bool OnListContextMenu(Page& page, HWND list, WPARAM wParam, LPARAM lParam);
// A list page's messages about its `list`: WM_CONTEXTMENU as above, and WM_NOTIFY, where a
// selection change calls `selectionChanged` and a double click or Enter on a selected row runs
// Edit. Nullopt for other messages and other windows.
std::optional<LRESULT> OnListMessage(Page& page, HWND list, UINT message, WPARAM wParam,
                                     LPARAM lParam, const std::function<void()>& selectionChanged);
// Where the context menu of `list` opens for WM_CONTEXTMENU's `lParam`: at the click, or below
// the list's top left when the keyboard asked for it.
POINT ListMenuPoint(HWND list, LPARAM lParam);

}  // namespace tavion
