// The "HotKeys Actions" page of a running Tavion.exe, used with the keyboard and the mouse only:
// an action run from the toolbar, F4, Delete, a drag that swaps two actions, F12 through the
// views; the registry holds what the page did.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "tavion_process.h"

namespace tavion::e2e {
namespace {

using wine_test::MouseAt;

constexpr int kPageTitleId = 1902;
constexpr int kRunButtonId = 1204;  // ActionsPage::kIdRun
constexpr wchar_t kProfileKey[] = L"Software\\Quillon\\Tavion\\Keys\\Default";

// The control of class `className` on the page that shows.
HWND PageControl(HWND main, const wchar_t* className) {
  for (HWND page = FindWindowExW(main, nullptr, nullptr, nullptr); page;
       page = FindWindowExW(main, page, nullptr, nullptr)) {
    HWND found = FindWindowExW(page, nullptr, className, nullptr);
    if (found && IsWindowVisible(page)) return found;
  }
  return nullptr;
}

// Sends `message` with a RECT that lives in the window's process, its first bytes set to `first`,
// and reads it back: how the rectangles of another process's controls are asked for.
std::optional<RECT> RemoteRect(HWND window, UINT message, WPARAM wParam, LONG_PTR first) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return std::nullopt;
  void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  std::optional<RECT> result;
  RECT rect{};
  if (remote && WriteProcessMemory(process, remote, &first, sizeof first, nullptr) &&
      SendMessageW(window, message, wParam, reinterpret_cast<LPARAM>(remote)) &&
      ReadProcessMemory(process, remote, &rect, sizeof rect, nullptr)) {
    result = rect;
  }
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return result;
}

// The screen point in the middle of a tree item's label.
POINT ItemPoint(HWND tree, HTREEITEM item) {
  const auto r = RemoteRect(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LONG_PTR>(item));
  POINT p = r ? POINT{(r->left + r->right) / 2, (r->top + r->bottom) / 2} : POINT{-1, -1};
  ClientToScreen(tree, &p);
  return p;
}

HTREEITEM NextItem(HWND tree, HTREEITEM item, WPARAM how) {
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

void Click(POINT screen) {
  wine_test::Inject({MouseAt(screen), MouseAt(screen, MOUSEEVENTF_LEFTDOWN),
                     MouseAt(screen, MOUSEEVENTF_LEFTUP)});
}

// The stored actions of the profile in order, each as its name and whether it never runs.
std::vector<std::pair<std::wstring, bool>> StoredActions() {
  std::vector<std::pair<std::wstring, bool>> actions;
  for (int i = 0;; ++i) {
    std::wstring key = std::to_wstring(1000 + i);  // three digits: "000", "001", ...
    key = std::wstring(kProfileKey) + L"\\" + key.substr(1);
    wchar_t name[256] = {};
    DWORD size = sizeof name, never = 0, neverSize = sizeof never;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"Name", RRF_RT_REG_SZ, nullptr, name,
                     &size) != ERROR_SUCCESS)
      return actions;
    RegGetValueW(HKEY_CURRENT_USER, (key + L"\\ActionExecOn").c_str(), L"Nevr", RRF_RT_REG_DWORD,
                 nullptr, &never, &neverSize);
    actions.emplace_back(name, never != 0);
  }
}

std::optional<size_t> StoredIndex(const std::wstring& name) {
  const auto actions = StoredActions();
  const auto found = std::find_if(actions.begin(), actions.end(),
                                  [&](const auto& action) { return action.first == name; });
  return found == actions.end() ? std::nullopt : std::optional<size_t>(found - actions.begin());
}

TEST(ActionsPage, RunF4DeleteDragAndF12OnTheDefaultProfile) {
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }));
  // The navigation has the focus: its eighth row is "HotKeys Actions".
  PressChord({}, VK_HOME);
  for (int row = 0; row < 7; ++row) PressChord({}, VK_DOWN);
  PressChord({}, VK_RETURN);
  ASSERT_TRUE(WaitUntil(
      [&] { return wine_test::WindowText(GetDlgItem(main, kPageTitleId)) == L"HotKeys Actions"; }));
  HWND tree = PageControl(main, WC_TREEVIEWW);
  HWND details = PageControl(main, WC_LISTVIEWW);
  HWND toolbar = PageControl(main, TOOLBARCLASSNAMEW);
  ASSERT_TRUE(tree && details && toolbar);

  // "Tavion" opened from the keyboard: its "show/hide", "check" and "close".
  const HTREEITEM folder = NextItem(tree, NextItem(tree, nullptr, TVGN_ROOT), TVGN_NEXT);
  Click(ItemPoint(tree, folder));
  ASSERT_TRUE(WaitUntil([&] { return NextItem(tree, nullptr, TVGN_CARET) == folder; }));
  PressChord({}, VK_RIGHT);
  const HTREEITEM showHide = NextItem(tree, folder, TVGN_CHILD);
  const HTREEITEM check = NextItem(tree, showHide, TVGN_NEXT);
  const HTREEITEM close = NextItem(tree, check, TVGN_NEXT);
  Click(ItemPoint(tree, check));
  ASSERT_TRUE(WaitUntil([&] { return NextItem(tree, nullptr, TVGN_CARET) == check; }));

  // "Run action" on the toolbar runs the running check.
  const int run = static_cast<int>(SendMessageW(toolbar, TB_COMMANDTOINDEX, kRunButtonId, 0));
  const auto button = RemoteRect(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(run), 0);
  ASSERT_TRUE(button);
  POINT buttonPoint{(button->left + button->right) / 2, (button->top + button->bottom) / 2};
  ClientToScreen(toolbar, &buttonPoint);
  Click(buttonPoint);
  HWND box = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Tavion");
  ASSERT_NE(nullptr, box) << "the running check from the toolbar";
  EXPECT_EQ(L"Tavion 1.0 - running.", StaticText(box));
  PressButton(box, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));

  // F4 on "Tavion - check"; then Delete on "Tavion - close", saved at once.
  Click(ItemPoint(tree, check));
  PressChord({}, VK_F4);
  PressChord({}, VK_DOWN);
  ASSERT_TRUE(WaitUntil([&] { return NextItem(tree, nullptr, TVGN_CARET) == close; }));
  PressChord({}, VK_DELETE);
  box = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Tavion");
  ASSERT_NE(nullptr, box) << "the delete question";
  EXPECT_EQ(L"Are you sure you want to delete 'Tavion - close?'", StaticText(box));
  PressButton(box, IDYES);
  EXPECT_TRUE(WaitUntil([] { return !StoredActions().empty() && !StoredIndex(L"Tavion - close"); }))
      << "saved at once";

  // "show/hide" dragged onto "check", its next sibling: the two swap.
  const HTREEITEM first =
      NextItem(tree, NextItem(tree, NextItem(tree, nullptr, TVGN_ROOT), TVGN_NEXT), TVGN_CHILD);
  const HTREEITEM second = NextItem(tree, first, TVGN_NEXT);
  const POINT from = ItemPoint(tree, first), to = ItemPoint(tree, second);
  const DWORD thread = GetWindowThreadProcessId(main, nullptr);
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  const auto capture = [&] { return GetGUIThreadInfo(thread, &gui) ? gui.hwndCapture : nullptr; };
  wine_test::Inject({MouseAt(from), MouseAt(from, MOUSEEVENTF_LEFTDOWN)});
  // The tree takes the mouse while it waits for the move that starts a drag; moves sent before
  // that may be read as a click.
  ASSERT_TRUE(WaitUntil([&] { return capture() != nullptr; })) << "the press reaches the tree";
  for (const int step : {1, 2, 3, 4})
    wine_test::Inject({MouseAt({from.x, from.y + (to.y - from.y) * step / 4})});
  ASSERT_TRUE(WaitUntil([&] { return capture() != nullptr && capture() != tree; }))
      << "the page follows the drag";
  wine_test::Inject({MouseAt(to, MOUSEEVENTF_LEFTUP)});
  ASSERT_TRUE(WaitUntil([&] { return capture() == nullptr; }));

  // F12: the details, then the tree again.
  PressChord({}, VK_F12);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(details) && !IsWindowVisible(tree); }));
  SaveScreenshot("actions-page-details");
  PressChord({}, VK_F12);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(tree) && !IsWindowVisible(details); }));

  ExitConfirmed(tavion, main);
  const auto checkAt = StoredIndex(L"Tavion - check");
  const auto showHideAt = StoredIndex(L"Tavion - show/hide");
  ASSERT_TRUE(checkAt && showHideAt);
  EXPECT_EQ(*showHideAt, *checkAt + 1) << "swapped by the drag";
  EXPECT_TRUE(StoredActions()[*checkAt].second) << "F4 stored as Nevr";
  EXPECT_FALSE(StoredActions()[*showHideAt].second);
}

}  // namespace
}  // namespace tavion::e2e
