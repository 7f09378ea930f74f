#pragma once
// What the main window owns once its handle exists, shared by the files of the window.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <vector>

#include "exec/exec_host_win.h"
#include "exec/media_player_win.h"
#include "forms/form_win.h"
#include "osd/notify_action_win.h"
#include "pipeline/sidekit_library_win.h"
#include "pipeline/hook_dispatch_win.h"
#include "settings/settings_store.h"
#include "settings/settings_system_win.h"
#include "ui/main_options.h"
#include "ui/main_window_win.h"
#include "ui/navigation.h"
#include "ui/page_win.h"

namespace tavion {

using UniqueImageList = UniqueHandle<NullHandleTraits<HIMAGELIST, &ImageList_Destroy>>;

// The shell's small folder icon; null when the shell has none.
UniqueIcon FolderIcon();

// What the window owns once its handle exists: dispatch, executors, option controls and lists.
struct MainWindow::Parts {
  Parts(MainWindow& window, MainWindowServices services)
      : dispatch(window.hwnd_, window.library_.ForceForegroundWindow,
                 window.startup_.resourceFolder, &window.hookHealth_.Watch()),
        execHost(window.hwnd_, std::move(services)) {}

  HookDispatch dispatch;  // the key handler, on the hook thread
  WinExecHost execHost;
  std::vector<std::unique_ptr<Page>> pages;  // in navigation order
  size_t currentPage = 0;
  MemoryForm navigationPanels{NavigationPanelControls()};  // their expanded state
  std::unique_ptr<CompositeForm> options;  // the navigation's and every page's option controls
  HWND navigation = nullptr;               // tree view: the panels and their entries
  UniqueImageList navigationImages;
  std::vector<HTREEITEM> panelItems;       // one per NavigationPanels()
  std::vector<HTREEITEM> navigationItems;  // one per NavigationEntries()
  HWND pageTitle = nullptr;
  HWND updateNotice = nullptr;  // p_upd
  UniqueFont frameFont;         // the message font at fontDpi
  UniqueFont titleFont;
  int fontDpi = 0;
  HWND lastFocus = nullptr;  // the focused control when the window was last deactivated
  std::unique_ptr<Win32WindowGeometry> geometry;
  Win32Form buttons;            // "Close", "Disable", "Minimize"
  MediaPlayerServices players;  // also asked for the track lines of a notification
  NotifyServices notify;
  LoadedLists lists;
};

}  // namespace tavion
