#include "ui/catalogue_chooser_win.h"

#include <algorithm>
#include <string>

#include "actions/catalogue.h"
#include "base/utf_win.h"
#include "forms/form_win.h"
#include "ui/actions_page.h"

namespace tavion {
namespace {

constexpr wchar_t kClassName[] = L"TavionCatalogueChooser";
constexpr LPARAM kGroupItem = -1;
// Sizes at 96 dots per inch.
constexpr int kWidth = 300;
constexpr int kHeight = 380;

struct ChooserState {
  HWND tree = nullptr;
  std::optional<int> chosen;
  bool done = false;
};

// The catalogue position of the selected item, or nullopt for a group.
std::optional<int> SelectedEntry(HWND tree) {
  TVITEMW item = {};
  item.mask = TVIF_PARAM;
  item.hItem = TreeView_GetSelection(tree);
  if (!item.hItem || !TreeView_GetItem(tree, &item) || item.lParam == kGroupItem)
    return std::nullopt;
  return static_cast<int>(item.lParam);
}

void Choose(ChooserState& state) {
  if (const auto entry = SelectedEntry(state.tree)) {
    state.chosen = entry;
    state.done = true;
  }
}

LRESULT CALLBACK ChooserProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<ChooserState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrW(
          hwnd, GWLP_USERDATA,
          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
      break;
    case WM_ACTIVATE:
      if (state && LOWORD(wParam) == WA_INACTIVE) state->done = true;
      if (state && LOWORD(wParam) != WA_INACTIVE) SetFocus(state->tree);
      return 0;
    case WM_SIZE:
      if (state) MoveWindow(state->tree, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_NOTIFY:
      if (state && reinterpret_cast<NMHDR*>(lParam)->code == NM_DBLCLK) {
        Choose(*state);
        return state->done;
      }
      break;
    case WM_CLOSE:
      if (state) state->done = true;
      return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

HTREEITEM AddItem(HWND tree, HTREEITEM parent, const std::string& text, int image, LPARAM data) {
  const std::wstring wide = Utf8ToWide(text);
  TVINSERTSTRUCTW insert = {};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  insert.item.pszText = const_cast<wchar_t*>(wide.c_str());
  insert.item.iImage = insert.item.iSelectedImage = image;
  insert.item.lParam = data;
  return TreeView_InsertItem(tree, &insert);
}

void AddGroup(HWND tree, HTREEITEM parent, const CatalogueGroup& group,
              const ActionCatalogue& catalogue, int current) {
  HTREEITEM item = AddItem(tree, parent, group.caption, 1, kGroupItem);
  for (const int position : group.entries) {
    const ActionCatalogueEntry entry = catalogue.Entry(position);
    HTREEITEM child = AddItem(tree, item, entry.displayName,
                              entry.code.empty() ? 0 : CodeImage(entry.code), position);
    if (position == current) TreeView_SelectItem(tree, child);
  }
  for (const CatalogueGroup& sub : group.subGroups) AddGroup(tree, item, sub, catalogue, current);
  TreeView_Expand(tree, item, TVE_EXPAND);
}

}  // namespace

std::optional<int> ChooseCatalogueEntry(HWND owner, POINT place, const ActionCatalogue& catalogue,
                                        HIMAGELIST images, int current) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW windowClass = {};
  if (!GetClassInfoW(instance, kClassName, &windowClass)) {
    windowClass.lpfnWndProc = &ChooserProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassW(&windowClass)) return std::nullopt;
  }
  const int dpi = WindowDpi(owner);
  int width = MulDiv(kWidth, dpi, 96);
  int height = MulDiv(kHeight, dpi, 96);
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  width = std::min<int>(width, work.right - work.left);
  height = std::min<int>(height, work.bottom - work.top);
  const int left = std::clamp<int>(place.x, work.left, work.right - width);
  const int top = std::clamp<int>(place.y, work.top, work.bottom - height);

  ChooserState state;
  HWND popup = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP | WS_BORDER, left, top,
                               width, height, owner, nullptr, instance, &state);
  if (!popup) return std::nullopt;
  state.tree =
      CreateWindowExW(0, WC_TREEVIEWW, L"",
                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                          TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP | TVS_NOHSCROLL,
                      0, 0, 0, 0, popup, nullptr, instance, nullptr);
  if (!state.tree) {
    DestroyWindow(popup);
    return std::nullopt;
  }
  SendMessageW(state.tree, WM_SETFONT, SendMessageW(owner, WM_GETFONT, 0, 0), FALSE);
  TreeView_SetImageList(state.tree, images, TVSIL_NORMAL);
  for (const CatalogueGroup& group : catalogue.Groups())
    AddGroup(state.tree, TVI_ROOT, group, catalogue, current);
  if (HTREEITEM selected = TreeView_GetSelection(state.tree))
    TreeView_EnsureVisible(state.tree, selected);
  RECT client = {};
  GetClientRect(popup, &client);
  MoveWindow(state.tree, 0, 0, client.right, client.bottom, FALSE);
  ShowWindow(popup, SW_SHOW);
  SetFocus(state.tree);

  MSG msg = {};
  while (!state.done) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got < 0) break;
    if (msg.message == WM_KEYDOWN && msg.hwnd == state.tree) {
      if (msg.wParam == VK_RETURN) {
        Choose(state);
        continue;
      }
      if (msg.wParam == VK_ESCAPE) {
        state.done = true;
        continue;
      }
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // The owner takes the activation back before the pop-up goes, so no other window gets it.
  SetActiveWindow(owner);
  SetWindowLongPtrW(popup, GWLP_USERDATA, 0);
  DestroyWindow(popup);
  return state.chosen;
}

}  // namespace tavion
