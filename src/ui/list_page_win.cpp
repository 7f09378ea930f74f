#include "ui/list_page_win.h"

#include <commctrl.h>

#include "ui/page_win.h"

namespace tavion {

int SelectedListRow(HWND list) {
  return static_cast<int>(
      SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void SelectListRow(HWND list, int row) {
  LVITEMW state = {};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  if (row < 0) return;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
  SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);
}

POINT ListMenuPoint(HWND list, LPARAM lParam) {
  POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  if (at.x == -1 && at.y == -1) {
    at = {0, 0};
    ClientToScreen(list, &at);
  }
  return at;
}

bool ShowListPageMenu(Page& page, HWND list, WPARAM wParam, LPARAM lParam) {
  if (reinterpret_cast<HWND>(wParam) != list) return false;
  if (const auto command =
          ShowListMenu(page.Handle(), ListMenuPoint(list, lParam), page.ContextMenu(list)))
    page.RunCommand(*command, list);
  return true;
}

}  // namespace tavion
