#include "ui/list_page_win.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "base/utf_win.h"
#include "ui/ok_frame_win.h"
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

void InsertListRow(HWND list, int row, std::span<const std::string> texts, int image) {
  for (size_t column = 0; column < texts.size(); ++column) {
    std::wstring text = Utf8ToWide(texts[column]);
    LVITEMW item = {};
    item.mask = LVIF_TEXT | (column == 0 && image >= 0 ? LVIF_IMAGE : 0);
    item.iItem = row;
    item.iSubItem = static_cast<int>(column);
    item.iImage = image;
    item.pszText = text.data();
    SendMessageW(list, column == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, row,
                 reinterpret_cast<LPARAM>(&item));
  }
}

void LayOutListPage(HWND page, HWND label, HWND list, std::span<const HWND> buttons, int dpi) {
  // Sizes at 96 dots per inch.
  enum : int { kMargin = 8, kLabelHeight = 16, kButtonHeight = 26, kGap = 6, kMinLastColumn = 60 };
  const auto scale = [dpi](int v) { return MulDiv(v, dpi, 96); };
  RECT client;
  GetClientRect(page, &client);
  const int margin = scale(kMargin);
  const int width = std::max(0, static_cast<int>(client.right) - 2 * margin);
  MoveWindow(label, margin, margin, width, scale(kLabelHeight), TRUE);
  // The buttons keep their order in right-aligned rows; one that would pass the page's left edge
  // starts a new row below, so that longer captions never push a button off the page.
  std::vector<std::vector<std::pair<HWND, int>>> rows(1);
  int rowWidth = 0;
  for (HWND button : buttons) {
    const int buttonWidth = ButtonWidth(button, dpi);
    if (!rows.back().empty() && rowWidth + scale(kGap) + buttonWidth > width) {
      rows.emplace_back();
      rowWidth = 0;
    }
    rowWidth += (rows.back().empty() ? 0 : scale(kGap)) + buttonWidth;
    rows.back().push_back({button, buttonWidth});
  }
  const int rowCount = static_cast<int>(rows.size());
  const int buttonTop =
      client.bottom - margin - rowCount * scale(kButtonHeight) - (rowCount - 1) * scale(kGap);
  int top = buttonTop;
  for (const auto& row : rows) {
    int right = client.right - margin;
    for (auto it = row.rbegin(); it != row.rend(); ++it) {
      MoveWindow(it->first, right - it->second, top, it->second, scale(kButtonHeight), TRUE);
      right -= it->second + scale(kGap);
    }
    top += scale(kButtonHeight + kGap);
  }
  const int listTop = margin + scale(kLabelHeight + kGap);
  MoveWindow(list, margin, listTop, width, std::max(0, buttonTop - scale(kGap) - listTop), TRUE);
  RECT inside;
  GetClientRect(list, &inside);
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  const int last = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) - 1;
  int used = 0;
  for (int column = 0; column < last; ++column)
    used += static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
  // Room for the vertical scroll bar is kept, so that no horizontal one comes with it.
  const int rest = inside.right - used - GetSystemMetrics(SM_CXVSCROLL);
  if (last > 0 && rest > scale(kMinLastColumn))
    SendMessageW(list, LVM_SETCOLUMNWIDTH, last, MAKELPARAM(rest, 0));
}

bool OnListContextMenu(Page& page, HWND list, WPARAM wParam, LPARAM lParam) {
  if (reinterpret_cast<HWND>(wParam) != list) return false;
  if (const auto command =
          ShowListMenu(page.Handle(), ListMenuPoint(list, lParam), page.ContextMenu(list)))
    page.RunCommand(*command, list);
  return true;
}

std::optional<LRESULT> OnListMessage(Page& page, HWND list, UINT message, WPARAM wParam,
                                     LPARAM lParam, const std::function<void()>& selectionChanged) {
  if (message == WM_CONTEXTMENU) {
    if (!OnListContextMenu(page, list, wParam, lParam)) return std::nullopt;
    return 0;
  }
  if (message != WM_NOTIFY) return std::nullopt;
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header->hwndFrom != list) return std::nullopt;
  if (header->code == LVN_ITEMCHANGED) selectionChanged();
  if ((header->code == NM_DBLCLK || header->code == NM_RETURN) && SelectedListRow(list) >= 0)
    page.RunCommand(ListCommand::kEdit, list);
  return 0;
}

POINT ListMenuPoint(HWND list, LPARAM lParam) {
  POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  if (at.x == -1 && at.y == -1) {
    at = {0, 0};
    ClientToScreen(list, &at);
  }
  return at;
}

}  // namespace tavion
