#include "ui/main_pages_win.h"

#include "ui/about_page_win.h"
#include "ui/actions_page_win.h"
#include "ui/key_names_page_win.h"
#include "ui/keyboard_layout_page_win.h"
#include "ui/macros_page_win.h"
#include "ui/main_options_page_win.h"
#include "ui/osd_page_win.h"
#include "ui/player_page_win.h"
#include "ui/plugins_page_win.h"
#include "ui/shell_keys_page_win.h"

namespace tavion {

std::vector<std::unique_ptr<Page>> CreateMainPages() {
  std::vector<std::unique_ptr<Page>> pages;
  pages.push_back(CreateAboutPage());
  pages.push_back(CreateMainOptionsPage());
  pages.push_back(CreatePlayerPage());
  pages.push_back(std::make_unique<ActionsPage>());
  pages.push_back(CreateOsdPage());
  pages.push_back(CreateMacrosPage());
  pages.push_back(CreateKeyNamesPage());
  pages.push_back(CreatePluginsPage());
  pages.push_back(CreateKeyboardLayoutPage());
  pages.push_back(CreateShellKeysPage());
  return pages;
}

HWND CreatePageWindow(HWND parent, HINSTANCE instance, WNDPROC proc, void* data) {
  // One class per window procedure: the procedure's address names it.
  const std::wstring className = L"TavionPage" + std::to_wstring(reinterpret_cast<uintptr_t>(proc));
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = className.c_str();
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
  HWND hwnd =
      CreateWindowExW(WS_EX_CONTROLPARENT, className.c_str(), L"", WS_CHILD | WS_CLIPCHILDREN, 0, 0,
                      0, 0, parent, nullptr, instance, nullptr);
  if (hwnd) SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(data));
  return hwnd;
}

}  // namespace tavion
