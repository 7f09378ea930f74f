#include "ui/check_tree_win.h"

#include "base/handles_win.h"

namespace tavion {
namespace {

// Sizes at 96 dots per inch: a picture's cell and the box drawn in it.
constexpr int kCell = 16;
constexpr int kGlyph = 13;
constexpr COLORREF kMaskColour = RGB(255, 0, 255);
constexpr uint32_t kTagMask = 0xFFFFFF;

// The state pictures in the order of their indexes; index 0 is "no picture".
constexpr UINT kPictures[] = {0, DFCS_BUTTONCHECK, DFCS_BUTTONCHECK | DFCS_CHECKED,
                              DFCS_BUTTONRADIO, DFCS_BUTTONRADIO | DFCS_CHECKED};

LPARAM Pack(CheckTreeKind kind, uint32_t tag) {
  return static_cast<LPARAM>((static_cast<uint32_t>(kind) << 24) | (tag & kTagMask));
}

struct Node {
  CheckTreeKind kind;
  uint32_t tag;
};

std::optional<Node> NodeOf(HWND tree, HTREEITEM item) {
  if (!item) return std::nullopt;
  TVITEMW data = {};
  data.mask = TVIF_PARAM | TVIF_HANDLE;
  data.hItem = item;
  if (!TreeView_GetItem(tree, &data)) return std::nullopt;
  const auto packed = static_cast<uint32_t>(data.lParam);
  return Node{static_cast<CheckTreeKind>(packed >> 24), packed & kTagMask};
}

UINT StateImage(CheckTreeKind kind, bool checked) {
  if (kind == CheckTreeKind::kCheck) return checked ? 2 : 1;
  if (kind == CheckTreeKind::kRadio) return checked ? 4 : 3;
  return 0;
}

// Calls `each` for every item below `first` and its siblings, depth first.
template <typename Each>
void ForEachItem(HWND tree, HTREEITEM first, const Each& each) {
  for (HTREEITEM item = first; item; item = TreeView_GetNextSibling(tree, item)) {
    each(item);
    ForEachItem(tree, TreeView_GetChild(tree, item), each);
  }
}

}  // namespace

CheckTree::~CheckTree() {
  if (tree_) {
    RemoveWindowSubclass(tree_, &CheckTree::Subclass, 0);
    DestroyWindow(tree_);
  }
  if (pictures_) ImageList_Destroy(pictures_);
}

bool CheckTree::Create(HWND parent, int id, Handlers handlers) {
  handlers_ = std::move(handlers);
  tree_ = CreateWindowExW(
      WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_SHOWSELALWAYS,
      0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  if (!tree_) return false;
  return SetWindowSubclass(tree_, &CheckTree::Subclass, 0, reinterpret_cast<DWORD_PTR>(this));
}

void CheckTree::SetLook(HFONT font, int dpi) {
  SendMessageW(tree_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  const int cell = MulDiv(kCell, dpi, 96);
  const int inset = (cell - MulDiv(kGlyph, dpi, 96)) / 2;
  const int count = static_cast<int>(std::size(kPictures));
  HIMAGELIST pictures = ImageList_Create(cell, cell, ILC_COLOR32 | ILC_MASK, count, 0);
  if (!pictures) return;  // the tree keeps the pictures it has
  {
    const WindowDc screen(nullptr);
    const UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
    const UniqueBitmap strip(CreateCompatibleBitmap(screen.get(), cell * count, cell));
    {
      const ScopedSelection selection(memory.get(), strip.get());
      const UniqueBrush mask(CreateSolidBrush(kMaskColour));
      RECT all = {0, 0, cell * count, cell};
      FillRect(memory.get(), &all, mask.get());
      for (int i = 1; i < count; ++i) {
        RECT box = {i * cell + inset, inset, (i + 1) * cell - inset, cell - inset};
        DrawFrameControl(memory.get(), &box, DFC_BUTTON, kPictures[i]);
      }
    }
    ImageList_AddMasked(pictures, strip.get(), kMaskColour);
  }
  TreeView_SetImageList(tree_, pictures, TVSIL_STATE);
  if (pictures_) ImageList_Destroy(pictures_);
  pictures_ = pictures;
  TreeView_SetIndent(tree_, cell);
}

HTREEITEM CheckTree::Add(HTREEITEM parent, const std::wstring& text, CheckTreeKind kind,
                         uint32_t tag, bool checked) {
  std::wstring label = text;
  TVINSERTSTRUCTW insert = {};
  insert.hParent = parent ? parent : TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
  insert.item.pszText = label.data();
  insert.item.lParam = Pack(kind, tag);
  insert.item.stateMask = TVIS_STATEIMAGEMASK;
  insert.item.state = INDEXTOSTATEIMAGEMASK(StateImage(kind, checked));
  return TreeView_InsertItem(tree_, &insert);
}

void CheckTree::SetChecked(HTREEITEM item, bool checked) {
  const std::optional<Node> node = NodeOf(tree_, item);
  if (!node) return;
  TreeView_SetItemState(tree_, item, INDEXTOSTATEIMAGEMASK(StateImage(node->kind, checked)),
                        TVIS_STATEIMAGEMASK);
}

void CheckTree::SetText(HTREEITEM item, const std::wstring& text) {
  std::wstring label = text;
  TVITEMW data = {};
  data.mask = TVIF_TEXT | TVIF_HANDLE;
  data.hItem = item;
  data.pszText = label.data();
  TreeView_SetItem(tree_, &data);
}

std::optional<uint32_t> CheckTree::SelectedTag() const {
  const std::optional<Node> node = NodeOf(tree_, TreeView_GetSelection(tree_));
  if (!node) return std::nullopt;
  return node->tag;
}

void CheckTree::ExpandAll(bool expand) {
  ForEachItem(tree_, TreeView_GetRoot(tree_), [this, expand](HTREEITEM item) {
    if (TreeView_GetChild(tree_, item))
      TreeView_Expand(tree_, item, expand ? TVE_EXPAND : TVE_COLLAPSE);
  });
  const HTREEITEM selected = TreeView_GetSelection(tree_);
  if (selected) TreeView_EnsureVisible(tree_, selected);
}

bool CheckTree::AllExpanded() const {
  bool all = true;
  ForEachItem(tree_, TreeView_GetRoot(tree_), [this, &all](HTREEITEM item) {
    if (TreeView_GetChild(tree_, item) &&
        !(TreeView_GetItemState(tree_, item, TVIS_EXPANDED) & TVIS_EXPANDED))
      all = false;
  });
  return all;
}

void CheckTree::Act(HTREEITEM item) {
  const std::optional<Node> node = NodeOf(tree_, item);
  if (!node) return;
  if (node->kind == CheckTreeKind::kGroup) {
    TreeView_Expand(tree_, item, TVE_TOGGLE);
  } else if (node->kind != CheckTreeKind::kWindowEntry && handlers_.toggle) {
    handlers_.toggle(node->tag);
  }
}

HTREEITEM CheckTree::Hit(LPARAM lParam, UINT parts) const {
  TVHITTESTINFO hit = {};
  hit.pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  const HTREEITEM item = TreeView_HitTest(tree_, &hit);
  return item && (hit.flags & parts) ? item : nullptr;
}

LRESULT CheckTree::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const auto pass = [&] { return DefSubclassProc(tree_, message, wParam, lParam); };
  switch (message) {
    case WM_KEYDOWN: {
      if (wParam == VK_SPACE) {
        Act(TreeView_GetSelection(tree_));
        return 0;
      }
      const bool modified = GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0;
      if (!modified && handlers_.key && handlers_.key(static_cast<UINT>(wParam))) return 0;
      return pass();
    }
    case WM_CHAR:
      // The Space of a toggle must not start an incremental search.
      return wParam == L' ' ? 0 : pass();
    case WM_LBUTTONDOWN: {
      const HTREEITEM picture = Hit(lParam, TVHT_ONITEMSTATEICON);
      const LRESULT result = pass();
      if (picture) {
        TreeView_SelectItem(tree_, picture);
        Act(picture);
      }
      return result;
    }
    case WM_LBUTTONDBLCLK: {
      const HTREEITEM label = Hit(lParam, TVHT_ONITEMLABEL);
      const std::optional<Node> node = NodeOf(tree_, label);
      if (!node || node->kind != CheckTreeKind::kWindowEntry || !handlers_.edit) return pass();
      TreeView_SelectItem(tree_, label);
      handlers_.edit(node->tag);
      return 0;
    }
    default:
      return pass();
  }
}

LRESULT CALLBACK CheckTree::Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR self) {
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, &CheckTree::Subclass, 0);
    reinterpret_cast<CheckTree*>(self)->tree_ = nullptr;
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
  return reinterpret_cast<CheckTree*>(self)->OnMessage(message, wParam, lParam);
}

}  // namespace tavion
