#include "tavion_process.h"

#include <shellapi.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace tavion::e2e {

std::wstring StaticText(HWND dialog) {
  for (HWND child = nullptr; (child = FindWindowExW(dialog, child, L"Static", nullptr));)
    if (std::wstring text = wine_test::WindowText(child); !text.empty()) return text;
  return {};
}

void PressButton(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

namespace {

// Waits until the thread of the window in front takes its messages again: a window just shown
// (a box, a menu) is active by then, and keys typed now reach it. Tavion's hooks no longer hold
// each key until its window thread answers, so the test must not type ahead of that thread.
void WaitForForegroundThread() {
  for (int step = 0; step < 3; ++step) {
    const HWND front = GetForegroundWindow();
    DWORD_PTR ignored = 0;
    if (front) SendMessageTimeoutW(front, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    if (GetForegroundWindow() == front) return;
  }
}

}  // namespace

void PressChord(std::initializer_list<WORD> modifiers, WORD key) {
  WaitForForegroundThread();
  std::vector<INPUT> inputs;
  for (WORD m : modifiers) inputs.push_back(wine_test::KeyInput(m, false));
  inputs.push_back(wine_test::KeyInput(key, false));
  inputs.push_back(wine_test::KeyInput(key, true));
  for (auto m = std::rbegin(modifiers); m != std::rend(modifiers); ++m)
    inputs.push_back(wine_test::KeyInput(*m, true));
  wine_test::Inject(std::move(inputs));
}

void Press(std::initializer_list<WORD> keys) {
  for (WORD key : keys) PressChord({}, key);
}

void Type(const std::wstring& text) {
  WaitForForegroundThread();
  std::vector<INPUT> inputs;
  for (wchar_t c : text) {
    for (DWORD up : {0ul, static_cast<DWORD>(KEYEVENTF_KEYUP)}) {
      INPUT input = {};
      input.type = INPUT_KEYBOARD;
      input.ki.wScan = c;
      input.ki.dwFlags = KEYEVENTF_UNICODE | up;
      inputs.push_back(input);
    }
  }
  wine_test::Inject(std::move(inputs));
}

void ClickAt(POINT point, DWORD button) {
  const DWORD up = button == MOUSEEVENTF_LEFTDOWN ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP;
  wine_test::Inject({wine_test::MouseAt(point), wine_test::MouseAt(point, button),
                     wine_test::MouseAt(point, up)});
}

std::optional<POINT> TrayIconPoint(HWND main) {
  NOTIFYICONIDENTIFIER icon = {};
  icon.cbSize = sizeof icon;
  icon.hWnd = main;
  icon.uID = 1;
  RECT r = {};
  if (SUCCEEDED(Shell_NotifyIconGetRect(&icon, &r)) && r.right > r.left)
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
  if (!taskbar || !GetWindowRect(taskbar, &r)) return std::nullopt;
  return POINT{r.right - GetSystemMetrics(SM_CXSMICON) / 2 - 2, (r.top + r.bottom) / 2};
}

bool RestoreFromTray(HWND main) {
  // The first click after the start may come before the icon, or the task bar, is there.
  for (int attempt = 0; attempt < 5 && !IsWindowVisible(main); ++attempt) {
    if (const auto icon = TrayIconPoint(main)) ClickAt(*icon, MOUSEEVENTF_LEFTDOWN);
    WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 3000);
  }
  return IsWindowVisible(main) && WaitUntil([&] { return GetForegroundWindow() == main; });
}

std::wstring PageTitle(HWND main) {
  constexpr int kPageTitleId = 1902;
  return wine_test::WindowText(GetDlgItem(main, kPageTitleId));
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int value = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return value;
}

namespace {

void WriteValue(const wchar_t* sub, const wchar_t* name, DWORD type, const void* data, DWORD size) {
  const std::wstring key =
      std::wstring(L"Software\\Quillon\\Tavion") + (sub[0] ? L"\\" : L"") + sub;
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, type, data, size));
}

}  // namespace

void WriteSetting(const wchar_t* sub, const wchar_t* name, DWORD value) {
  WriteValue(sub, name, REG_DWORD, &value, sizeof value);
}

void WriteSetting(const wchar_t* sub, const wchar_t* name, const std::wstring& text) {
  WriteValue(sub, name, REG_SZ, text.c_str(),
             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

HWND FindDescendant(HWND parent, const wchar_t* className) {
  for (HWND child = nullptr; (child = FindWindowExW(parent, child, nullptr, nullptr));) {
    wchar_t name[64] = {};
    GetClassNameW(child, name, static_cast<int>(std::size(name)));
    if (std::wstring(name) == className) return child;
    if (HWND found = FindDescendant(child, className)) return found;
  }
  return nullptr;
}

HWND FindDescendantByText(HWND parent, const std::wstring& text) {
  for (HWND child = nullptr; (child = FindWindowExW(parent, child, nullptr, nullptr));) {
    if (wine_test::WindowText(child) == text) return child;
    if (HWND found = FindDescendantByText(child, text)) return found;
  }
  return nullptr;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof gui;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui) ? gui.hwndFocus
                                                                           : nullptr;
}

HWND OpenedEditor(DWORD pid, const wchar_t* caption) {
  HWND editor = wine_test::WaitForWindow(L"#32770", pid, caption);
  HWND types = editor ? FindDescendant(editor, WC_COMBOBOXEXW) : nullptr;
  if (!types || !WaitUntil([&] { return IsChild(types, FocusOf(editor)); })) return nullptr;
  return editor;
}

bool SwitchPage(HWND pages, bool back, int page) {
  // A chord typed while the editor is still busy with the previous key can be lost on a loaded
  // machine: it is typed again when the page has not changed after a while.
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (back)
      PressChord({VK_CONTROL, VK_SHIFT}, VK_TAB);
    else
      PressChord({VK_CONTROL}, VK_TAB);
    if (WaitUntil([&] { return SendMessageW(pages, TCM_GETCURSEL, 0, 0) == page; }, 3000))
      return true;
  }
  return false;
}

void Shoot(HWND window, const std::string& name) {
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  SaveScreenshot(name);
}

HWND FocusActionTree(HWND main, const std::wstring& title) {
  Press({VK_HOME, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
  if (!WaitUntil([&] { return PageTitle(main) == title; })) return nullptr;
  HWND tree = nullptr;  // the page's, not the navigation's
  for (HWND page = nullptr; !tree && (page = FindWindowExW(main, page, nullptr, nullptr));)
    if (IsWindowVisible(page)) tree = FindDescendant(page, WC_TREEVIEWW);
  for (int i = 0; i < 8 && FocusOf(main) != tree; ++i) {
    Press({VK_TAB});
    WaitUntil([&] { return FocusOf(main) == tree; }, 500);
  }
  if (FocusOf(main) != tree) return nullptr;
  Press({VK_HOME});
  return tree;
}

HWND StartShown(TavionProcess& tavion, const std::wstring& arguments) {
  if (!tavion.Start(arguments)) return nullptr;
  HWND main = tavion.WaitForMainWindow();
  if (main && !WaitUntil([&] { return IsWindowVisible(main) != FALSE; })) return nullptr;
  // Keys no longer wait for the program's window thread on their way through its hooks: the first
  // ones must not come before that thread has finished showing the window.
  WaitForInputIdle(tavion.info.hProcess, 10000);
  return main;
}

void ExitConfirmed(TavionProcess& tavion, HWND main) {
  PostMessageW(main, WM_CLOSE, 0, 0);
  HWND box = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Tavion");
  ASSERT_NE(nullptr, box) << "the exit question";
  PressButton(box, IDYES);
  EXPECT_EQ(std::optional<DWORD>(0), tavion.WaitForExit());
}

bool TavionProcess::Start(const std::wstring& arguments) {
  const std::wstring path = L"\"" + wine_test::ProgramFolder() + L"\\Tavion.exe\"";
  return Process::Start(arguments.empty() ? path : path + L" " + arguments);
}

HWND TavionProcess::WaitForMainWindow() {
  std::vector<HWND> windows;
  WaitUntil(
      [&] { return !(windows = wine_test::TopLevelWindows(L"TAVION_ROOTWINDOW", Id())).empty(); },
      15000);
  return windows.empty() ? nullptr : windows[0];
}

}  // namespace tavion::e2e
