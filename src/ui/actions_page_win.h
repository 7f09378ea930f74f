#pragma once
// The "HotKeys Actions" page: the profile bar, the command toolbar, the total-keys line, a filter
// box and the current profile's actions as a tree or as a grouped list. Its decisions are in
// actions_page.h.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "actions/catalogue.h"
#include "base/handles_win.h"
#include "forms/form_win.h"
#include "ui/actions_page.h"
#include "ui/page_win.h"

namespace tavion {

// The action images at `dpi`, numbered as NodeImage numbers them: the closed and the open folder,
// then one per OsdIconFiles entry from `resourceFolder` (a missing file keeps its place), then one
// per plug-in entry of the current catalogue: the action's own icon from `plugins`, else the
// plug-in picture. Null when the list cannot be made; the caller destroys it.
HIMAGELIST CreateActionImages(const std::wstring& resourceFolder, int dpi,
                              const PluginHost* plugins = nullptr);

// The profile bar as declared: "Profile", the selector `cb_profile2` and its buttons, in Tab order.
std::vector<ControlDecl> ProfileBarControls();

class ActionsPage final : public Page {
 public:
  // The ids of the page's controls, toolbar buttons and menu entries.
  enum : int {
    kIdFirstForm = 1000,
    kIdFilter = 1100,
    kIdTree,
    kIdDetails,
    kIdToolbar,
    // Toolbar buttons, in their order.
    kIdAddFolder = 1200,
    kIdAdd,
    kIdEdit,
    kIdDelete,
    kIdRun,
    kIdToggle,
    kIdDefault,
    kIdExpand,
    kIdViews,
    // The "Views" menu.
    kIdViewTree = 1300,
    kIdViewDetails,
  };

  ActionsPage() = default;
  ~ActionsPage() override;
  ActionsPage(const ActionsPage&) = delete;
  ActionsPage& operator=(const ActionsPage&) = delete;

  bool Create(HWND parent, const PageServices& services) override;
  HWND Handle() const override { return page_; }
  std::wstring Title() const override;
  // Both views are filled again from the tree: the list may have been loaded anew meanwhile.
  void Shown() override;
  void Layout(int dpi) override;
  // The profile bar, the toolbar, the filter's label and the totals line are translated again.
  void ApplyLanguage() override;
  bool CommandEnabled(ListCommand command, HWND focus) const override;
  void RunCommand(ListCommand command, HWND focus) override;
  std::vector<ListMenuEntry> ContextMenu(HWND focus) const override;
  bool NextView() override;

  // Fills both views, the profile bar and the total-keys line from the tree and the registry.
  void Refill();
  // The view shown (0 tree, 1 details).
  int View() const { return view_; }
  void SetView(int view);
  // The tree view and the details list, for the window's keys and for tests.
  HWND TreeHandle() const { return tree_; }
  HWND DetailsHandle() const { return details_; }
  // The absolute index of the selected node, if any.
  std::optional<std::size_t> Selected() const;
  void Select(std::size_t index);

 private:
  static LRESULT CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK TreeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR data);
  static LRESULT CALLBACK FilterProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR data);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnNotify(const NMHDR& header);
  void OnToolbarCommand(int id);

  bool CreateToolbar();
  // The toolbar's captions in the current language.
  void TranslateToolbar();
  void CreateImages();

  // The profile bar (actions_page_profiles_win.cpp).
  void FillProfiles();
  void UpdateProfileButtons();
  // Places the bar at `top` across `width` from `left`; returns its height.
  int LayoutProfileBar(int left, int top, int width);
  void OnProfileBarCommand(const std::string& control, WORD notification);
  // The user chose a profile in the selector: it becomes current, the current one saved first.
  void OnProfileChosen();
  void AddProfile();
  void RenameProfile();
  void DeleteProfile();
  // Asks for the name of a new profile, or for the current one's new name.
  std::optional<std::string> AskProfileName(bool renaming);
  void UpdateCommands();
  void UpdateTotals();
  void ShowViewsMenu();
  ActionCommands Commands() const;

  // The views (actions_page_views_win.cpp).
  void FillTree();
  void FillDetails();
  // Custom drawing of either view: a never-run action struck through, grey unless selected.
  LRESULT DrawItem(NMCUSTOMDRAW& draw, const std::function<bool()>& selected, COLORREF& textColour);
  LRESULT OnTreeNotify(const NMHDR& header);
  LRESULT OnDetailsNotify(const NMHDR& header);
  void OnRightButton();
  void CreateTip();
  void TrackTip(POINT client);
  void ShowContextMenu(POINT screen);
  void BeginDrag(HTREEITEM item);
  void DragMove(POINT client);
  void EndDrag(bool drop);
  HTREEITEM ItemOf(std::size_t node) const;
  std::optional<std::size_t> NodeOfItem(HTREEITEM item) const;
  void ExpandAll(bool expand);

  // Commands (actions_page_win.cpp).
  void RunSelected();
  void DeleteSelected();
  void ToggleSelected();
  void LoadDefaults();
  void EditCommand(ListCommand command);
  void ToggleExpandAll();
  void AfterChange(std::optional<std::size_t> select);

  PageServices services_;
  HWND page_ = nullptr;
  HWND toolbar_ = nullptr;
  HWND totals_ = nullptr;
  HWND filterLabel_ = nullptr;
  HWND filter_ = nullptr;
  HWND tree_ = nullptr;
  HWND details_ = nullptr;
  HWND tip_ = nullptr;                 // the tree's tooltip
  Win32Form form_;                     // the profile bar
  std::vector<std::string> profiles_;  // the selector's entries, in its order
  bool fillingProfiles_ = false;       // the selector is filled: its changes are no choice
  HFONT font_ = nullptr;               // the form's: the system message font for the page's DPI
  UniqueFont struckFont_;
  HIMAGELIST images_ = nullptr;  // owned: the node images, shared by both views
  // The catalogue the images were made for: a new one may bring plug-in icons.
  std::shared_ptr<const ActionCatalogue> imagesCatalogue_;
  HIMAGELIST toolImages_ = nullptr;
  int dpi_ = 96;
  int view_ = 0;
  bool allExpanded_ = false;
  std::vector<HTREEITEM> items_;             // by node index; null for a node the filter hides
  std::vector<const TAction*> itemActions_;  // the action each item was made for
  std::vector<bool> visible_;                // the filter's answer, by node index
  std::optional<std::size_t> tipNode_;       // the node under the pointer
  std::wstring tipText_;                     // its tip
  // Dragging: the node and its image list while the mouse button is down.
  std::optional<std::size_t> dragged_;
  HIMAGELIST dragImage_ = nullptr;
};

}  // namespace tavion
