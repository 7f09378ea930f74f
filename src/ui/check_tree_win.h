#pragma once
// The check tree (TMagicTreeView): a read-only tree view of check boxes, radio entries, groups
// and window entries, with pictures of its own drawn at the tree's DPI. Space expands or
// collapses a group and toggles any other node; what a toggle means is the owner's to decide.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tavion {

enum class CheckTreeKind : uint8_t { kGroup, kCheck, kRadio, kWindowEntry };

class CheckTree {
 public:
  // The owner's answers; each may be null. A node's tag is the owner's (below 2^24).
  struct Handlers {
    // Space on, or a click on the picture of, a check box or radio entry.
    std::function<void(uint32_t tag)> toggle;
    // A double click on the label of a window entry.
    std::function<void(uint32_t tag)> edit;
    // A key pressed without Shift, Ctrl or Alt, other than Space; true when it was taken.
    std::function<bool(UINT key)> key;
  };

  CheckTree() = default;
  ~CheckTree();
  CheckTree(const CheckTree&) = delete;
  CheckTree& operator=(const CheckTree&) = delete;

  // Creates the tree view as a child of `parent` with control id `id`.
  bool Create(HWND parent, int id, Handlers handlers);
  HWND Handle() const { return tree_; }
  // Takes `font` (not owned) and draws the pictures for `dpi`.
  void SetLook(HFONT font, int dpi);

  HTREEITEM Add(HTREEITEM parent, const std::wstring& text, CheckTreeKind kind, uint32_t tag,
                bool checked);
  void SetChecked(HTREEITEM item, bool checked);
  void SetText(HTREEITEM item, const std::wstring& text);
  // The tag of the selected node.
  std::optional<uint32_t> SelectedTag() const;
  // Expands or collapses every node that has children.
  void ExpandAll(bool expand);
  // Whether every node with children is expanded.
  bool AllExpanded() const;

 private:
  static LRESULT CALLBACK Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR self);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Space or a click on `item`: a group opens or closes, a check box or radio entry toggles.
  void Act(HTREEITEM item);
  // The item under the client point in `lParam` when it is on one of `parts` (TVHT_ flags).
  HTREEITEM Hit(LPARAM lParam, UINT parts) const;

  HWND tree_ = nullptr;
  Handlers handlers_;
  HIMAGELIST pictures_ = nullptr;
};

}  // namespace tavion
