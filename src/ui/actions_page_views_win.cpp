// The two views of the actions page: the tree (images, drawing, tips, dragging) and the grouped
// details list that follows it.
#include <windowsx.h>

#include <algorithm>

#include "actions/action.h"
#include "base/utf_win.h"
#include "keys/key_text.h"
#include "ui/actions_page_win.h"

namespace tavion {
namespace {

constexpr COLORREF kNeverRunColour = RGB(0x80, 0x80, 0x80);

std::string HotKeyText(const TAction& action) {
  return HotKeyToText(action.Key0(), /*useUserNames=*/true, /*useConversion=*/true,
                      /*withModifiers=*/true);
}

std::optional<std::size_t> NodeOfParam(LPARAM param) {
  if (param < 0) return std::nullopt;
  return static_cast<std::size_t>(param);
}

}  // namespace

HTREEITEM ActionsPage::ItemOf(std::size_t node) const {
  return node < items_.size() ? items_[node] : nullptr;
}

std::optional<std::size_t> ActionsPage::NodeOfItem(HTREEITEM item) const {
  if (!item) return std::nullopt;
  TVITEMW tv = {};
  tv.mask = TVIF_PARAM | TVIF_HANDLE;
  tv.hItem = item;
  if (!TreeView_GetItem(tree_, &tv)) return std::nullopt;
  const auto node = NodeOfParam(tv.lParam);
  return node && services_.tree && *node < services_.tree->Count() ? node : std::nullopt;
}

std::optional<std::size_t> ActionsPage::Selected() const {
  return tree_ ? NodeOfItem(TreeView_GetSelection(tree_)) : std::nullopt;
}

void ActionsPage::Select(std::size_t index) {
  HTREEITEM item = ItemOf(index);
  if (!item) return;
  TreeView_SelectItem(tree_, item);
  TreeView_EnsureVisible(tree_, item);
  if (view_ == 1) {
    LVFINDINFOW find = {};
    find.flags = LVFI_PARAM;
    find.lParam = static_cast<LPARAM>(index);
    const int row = ListView_FindItem(details_, -1, &find);
    if (row >= 0) {
      ListView_SetItemState(details_, row, LVIS_SELECTED | LVIS_FOCUSED,
                            LVIS_SELECTED | LVIS_FOCUSED);
      ListView_EnsureVisible(details_, row, FALSE);
    }
  }
}

void ActionsPage::FillTree() {
  if (!services_.tree) return;
  const ActionTree& tree = *services_.tree;
  // What stays across the refill: the selected action and the open folders, known by the
  // actions the items were made for (the tree may have changed since).
  const TAction* selectedAction = nullptr;
  std::vector<const TAction*> open;
  const HTREEITEM selectedItem = TreeView_GetSelection(tree_);
  for (std::size_t i = 0; i < items_.size() && i < itemActions_.size(); ++i) {
    if (!items_[i]) continue;
    if (items_[i] == selectedItem) selectedAction = itemActions_[i];
    if (TreeView_GetItemState(tree_, items_[i], TVIS_EXPANDED) & TVIS_EXPANDED)
      open.push_back(itemActions_[i]);
  }
  std::sort(open.begin(), open.end());

  const std::wstring filter = [this] {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(filter_)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(filter_, text.data(), static_cast<int>(text.size()))));
    return text;
  }();
  visible_ = FilterNodes(tree, WideToUtf8(filter), HotKeyText);

  SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
  TreeView_DeleteAllItems(tree_);
  items_.assign(tree.Count(), nullptr);
  itemActions_.assign(tree.Count(), nullptr);
  // Each node goes after its parent's last child so far: no walk along the siblings.
  std::vector<HTREEITEM> lastChild(tree.Count() + 1, TVI_FIRST);  // [Count()] = the root's
  HTREEITEM select = nullptr;
  std::vector<HTREEITEM> expand;
  for (std::size_t i = 0; i < tree.Count(); ++i) {
    if (!visible_[i]) continue;
    const ActionTree::Node& node = *tree.NodeAt(i);
    const std::size_t parentSlot = node.parent ? *node.parent : tree.Count();
    std::wstring text = Utf8ToWide(node.text);
    const bool isOpen = node.action && std::binary_search(open.begin(), open.end(), node.action);
    TVINSERTSTRUCTW insert = {};
    insert.hParent = node.parent ? items_[*node.parent] : TVI_ROOT;
    insert.hInsertAfter = lastChild[parentSlot];
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = text.data();
    insert.item.lParam = static_cast<LPARAM>(i);
    insert.item.iImage = insert.item.iSelectedImage = NodeImage(node, isOpen || !filter.empty());
    HTREEITEM item = TreeView_InsertItem(tree_, &insert);
    items_[i] = item;
    itemActions_[i] = node.action;
    lastChild[parentSlot] = item;
    if (node.action && node.action == selectedAction) select = item;
    // A filter opens every folder, so that its matches show.
    if (isOpen || !filter.empty()) expand.push_back(item);
  }
  for (HTREEITEM item : expand) TreeView_Expand(tree_, item, TVE_EXPAND);
  if (select) {
    TreeView_SelectItem(tree_, select);
    TreeView_EnsureVisible(tree_, select);
  }
  SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(tree_, nullptr, TRUE);
}

void ActionsPage::FillDetails() {
  if (!services_.tree) return;
  const ActionTree& tree = *services_.tree;
  if (visible_.size() != tree.Count()) visible_.assign(tree.Count(), true);
  const DetailsLayout layout = BuildDetailsLayout(tree, visible_);

  SendMessageW(details_, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(details_);
  ListView_RemoveAllGroups(details_);
  ListView_EnableGroupView(details_, TRUE);
  for (const DetailsGroup& group : layout.groups) {
    std::wstring header = Utf8ToWide(group.header);
    LVGROUP g = {};
    g.cbSize = sizeof g;
    g.mask = LVGF_HEADER | LVGF_GROUPID;
    g.pszHeader = header.data();
    g.iGroupId = group.id;
    ListView_InsertGroup(details_, -1, &g);
  }
  ListView_SetItemCount(details_, static_cast<int>(layout.rows.size()));
  const auto selected = Selected();
  int selectRow = -1;
  for (const DetailsRow& row : layout.rows) {
    const ActionTree::Node& node = *tree.NodeAt(row.node);
    std::wstring name = Utf8ToWide(node.text);
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE | LVIF_GROUPID;
    item.iItem = ListView_GetItemCount(details_);
    item.pszText = name.data();
    item.lParam = static_cast<LPARAM>(row.node);
    item.iImage = NodeImage(node, false);
    item.iGroupId = row.groupId;
    const int at = ListView_InsertItem(details_, &item);
    if (at < 0) continue;
    std::wstring key = Utf8ToWide(HotKeyText(*node.action));
    ListView_SetItemText(details_, at, 1, key.data());
    if (selected == row.node) selectRow = at;
  }
  if (selectRow >= 0) {
    ListView_SetItemState(details_, selectRow, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(details_, selectRow, FALSE);
  }
  SendMessageW(details_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(details_, nullptr, TRUE);
}

LRESULT ActionsPage::DrawItem(NMCUSTOMDRAW& draw, const std::function<bool()>& selected,
                              COLORREF& textColour) {
  if (draw.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
  const auto node = NodeOfParam(draw.lItemlParam);
  const TAction* action = node && services_.tree ? services_.tree->ActionByIndex(*node) : nullptr;
  if (!action || !action->ActionExecOn().Nevr) return CDRF_DODEFAULT;
  if (struckFont_) SelectObject(draw.hdc, struckFont_.get());
  if (!selected()) textColour = kNeverRunColour;
  return CDRF_NEWFONT;
}

LRESULT ActionsPage::OnTreeNotify(const NMHDR& header) {
  switch (header.code) {
    case NM_CUSTOMDRAW: {
      auto& draw = *reinterpret_cast<NMTVCUSTOMDRAW*>(const_cast<NMHDR*>(&header));
      return DrawItem(
          draw.nmcd, [&] { return (draw.nmcd.uItemState & CDIS_SELECTED) != 0; }, draw.clrText);
    }
    case TVN_SELCHANGEDW:
      UpdateCommands();
      return 0;
    case TVN_ITEMEXPANDEDW: {
      const auto& change = *reinterpret_cast<const NMTREEVIEWW*>(&header);
      const auto node = NodeOfParam(change.itemNew.lParam);
      if (!node || !services_.tree || !ActionTree::IsFolder(services_.tree->NodeAt(*node)))
        return 0;
      TVITEMW item = {};
      item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
      item.hItem = change.itemNew.hItem;
      item.iImage = item.iSelectedImage = change.action == TVE_EXPAND ? 1 : 0;
      TreeView_SetItem(tree_, &item);
      return 0;
    }
    case TVN_BEGINDRAGW:
      BeginDrag(reinterpret_cast<const NMTREEVIEWW*>(&header)->itemNew.hItem);
      return 0;
    case NM_RCLICK:
      OnRightButton();
      return TRUE;
    case NM_DBLCLK: {
      // On an action's label: Edit; on a folder the tree opens or closes it.
      TVHITTESTINFO hit = {};
      GetCursorPos(&hit.pt);
      ScreenToClient(tree_, &hit.pt);
      const auto node = NodeOfItem(TreeView_HitTest(tree_, &hit));
      if (node && (hit.flags & TVHT_ONITEMLABEL) && services_.tree &&
          !ActionTree::IsFolder(services_.tree->NodeAt(*node))) {
        RunCommand(ListCommand::kEdit, tree_);
        return TRUE;
      }
      return 0;
    }
  }
  return 0;
}

LRESULT ActionsPage::OnDetailsNotify(const NMHDR& header) {
  switch (header.code) {
    case NM_CUSTOMDRAW: {
      auto& draw = *reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header));
      // A list view reports its selected rows unreliably in uItemState.
      const auto selected = [&] {
        return ListView_GetItemState(details_, static_cast<int>(draw.nmcd.dwItemSpec),
                                     LVIS_SELECTED) != 0;
      };
      return DrawItem(draw.nmcd, selected, draw.clrText);
    }
    case LVN_ITEMCHANGED: {
      const auto& change = *reinterpret_cast<const NMLISTVIEW*>(&header);
      if ((change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED)) {
        if (const auto node = NodeOfParam(change.lParam)) {
          if (HTREEITEM item = ItemOf(*node)) TreeView_SelectItem(tree_, item);
        }
      }
      return 0;
    }
    case NM_DBLCLK:
      RunCommand(ListCommand::kEdit, details_);
      return 0;
    case NM_RCLICK: {
      POINT at{};
      GetCursorPos(&at);
      ShowContextMenu(at);
      return TRUE;
    }
  }
  return 0;
}

void ActionsPage::CreateTip() {
  tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                         WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, page_, nullptr, services_.instance, nullptr);
  if (!tip_) return;
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  // Transparent: a click on the tip reaches the node under it.
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS | TTF_TRANSPARENT;
  tool.hwnd = page_;
  tool.uId = reinterpret_cast<UINT_PTR>(tree_);
  tool.lpszText = LPSTR_TEXTCALLBACKW;
  SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  // Tips of more than one line, shown long enough to be read.
  SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, MulDiv(400, dpi_, 96));
  SendMessageW(tip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(30000, 0));
  if (font_) SendMessageW(tip_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  SetWindowSubclass(tree_, &ActionsPage::TreeProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

void ActionsPage::TrackTip(POINT client) {
  TVHITTESTINFO hit = {};
  hit.pt = client;
  const HTREEITEM item = TreeView_HitTest(tree_, &hit);
  const auto node =
      hit.flags & (TVHT_ONITEMLABEL | TVHT_ONITEMICON) ? NodeOfItem(item) : std::nullopt;
  if (node == tipNode_) return;
  tipNode_ = node;
  tipText_ = node && services_.tree ? Utf8ToWide(NodeTipText(*services_.tree, *node, HotKeyText))
                                    : std::wstring();
  // The tip on screen belongs to the node left: it goes, and the next one asks for its text.
  SendMessageW(tip_, TTM_POP, 0, 0);
}

LRESULT CALLBACK ActionsPage::TreeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR /*id*/, DWORD_PTR data) {
  auto* page = reinterpret_cast<ActionsPage*>(data);
  if (message == WM_MOUSEMOVE && page->tip_)
    page->TrackTip(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

void ActionsPage::OnRightButton() {
  TVHITTESTINFO hit = {};
  GetCursorPos(&hit.pt);
  const POINT screen = hit.pt;
  ScreenToClient(tree_, &hit.pt);
  if (HTREEITEM item = TreeView_HitTest(tree_, &hit)) {
    TreeView_SelectItem(tree_, item);
  } else if (TreeView_GetCount(tree_) > 1) {
    // Below the last node: the last one that shows (a node inside a closed folder is not).
    HTREEITEM last = TreeView_GetLastVisible(tree_);
    RECT r{};
    if (last && TreeView_GetItemRect(tree_, last, &r, FALSE) && hit.pt.y >= r.bottom)
      TreeView_SelectItem(tree_, last);
  }
  ShowContextMenu(screen);
}

void ActionsPage::ShowContextMenu(POINT screen) {
  const HWND focus = view_ == 0 ? tree_ : details_;
  if (const auto command = ShowListMenu(page_, screen, ContextMenu(focus)))
    RunCommand(*command, focus);
}

void ActionsPage::ExpandAll(bool expand) {
  SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
  for (HTREEITEM item : items_) {
    if (item && TreeView_GetChild(tree_, item))
      TreeView_Expand(tree_, item, expand ? TVE_EXPAND : TVE_COLLAPSE);
  }
  SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(tree_, nullptr, TRUE);
}

void ActionsPage::BeginDrag(HTREEITEM item) {
  const auto node = NodeOfItem(item);
  if (!node) return;
  TreeView_SelectItem(tree_, item);
  dragged_ = node;
  dragImage_ = TreeView_CreateDragImage(tree_, item);
  POINT at{};
  GetCursorPos(&at);
  if (dragImage_) {
    ImageList_BeginDrag(dragImage_, 0, 0, 0);
    ImageList_DragEnter(nullptr, at.x, at.y);
  }
  SetCapture(page_);
}

void ActionsPage::DragMove(POINT client) {
  POINT screen = client;
  ClientToScreen(page_, &screen);
  if (dragImage_) ImageList_DragMove(screen.x, screen.y);
  TVHITTESTINFO hit = {};
  hit.pt = screen;
  ScreenToClient(tree_, &hit.pt);
  HTREEITEM target = TreeView_HitTest(tree_, &hit);
  if (dragImage_) ImageList_DragShowNolock(FALSE);
  TreeView_SelectDropTarget(tree_, target);
  if (dragImage_) ImageList_DragShowNolock(TRUE);
}

void ActionsPage::EndDrag(bool drop) {
  const auto dragged = std::exchange(dragged_, std::nullopt);
  if (dragImage_) {
    ImageList_DragLeave(nullptr);
    ImageList_EndDrag();
    ImageList_Destroy(std::exchange(dragImage_, nullptr));
  }
  TreeView_SelectDropTarget(tree_, nullptr);
  if (GetCapture() == page_) ReleaseCapture();
  if (!drop || !dragged || !services_.tree || !services_.actions) return;

  TVHITTESTINFO hit = {};
  GetCursorPos(&hit.pt);
  ScreenToClient(tree_, &hit.pt);
  const auto target = NodeOfItem(TreeView_HitTest(tree_, &hit));
  DropArea area = DropArea::kOutside;
  if (hit.flags & (TVHT_ONITEMLABEL | TVHT_ONITEMICON)) {
    area = DropArea::kNode;
  } else if (hit.flags & TVHT_ONITEMINDENT) {
    area = DropArea::kIndent;
  } else if (hit.flags & TVHT_NOWHERE) {
    area = DropArea::kEmpty;
  }
  const bool folder = ActionTree::IsFolder(services_.tree->NodeAt(*dragged));
  const auto moved = DropNode(*services_.tree, *services_.actions, *dragged, target, area);
  if (!moved) return;
  if (services_.actionsChanged) services_.actionsChanged();
  FillTree();
  if (view_ == 1) FillDetails();
  if (HTREEITEM item = ItemOf(*moved)) {
    if (folder) TreeView_Expand(tree_, item, TVE_COLLAPSE);
    Select(*moved);
  }
}

}  // namespace tavion
