#pragma once
// A Tavion.exe started by a test and driven as a user would: found by its windows, ended by its
// process handle; settings written before it starts, keys pressed with SendInput, and
// screenshots of what a user sees.

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>

#include "wine/support/test_support.h"

namespace tavion::e2e {

// Pumps this thread's messages until `condition` holds or `timeoutMs` passes.
inline bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000) {
  return wine_test::PumpUntil(condition, timeoutMs);
}

// The control that has the keyboard focus in the thread of `window`.
HWND FocusOf(HWND window);

// The first descendant of `parent` of class `className`, or null.
HWND FindDescendant(HWND parent, const wchar_t* className);
// The first window below `parent` (depth first) whose text is `text`, or null.
HWND FindDescendantByText(HWND parent, const std::wstring& text);

// The message of a message box.
std::wstring StaticText(HWND dialog);

// Clicks button `id` (IDOK, IDYES, ...) of a dialog.
void PressButton(HWND dialog, int id);

// Presses `key` with `modifiers` held (virtual-key codes), in one injection.
void PressChord(std::initializer_list<WORD> modifiers, WORD key);
// Presses and releases each key in turn.
void Press(std::initializer_list<WORD> keys);
// Types `text` as characters (KEYEVENTF_UNICODE).
void Type(const std::wstring& text);
// Clicks `button` (MOUSEEVENTF_LEFTDOWN or RIGHTDOWN) at `point` of the screen.
void ClickAt(POINT point, DWORD button);

// The middle of the program's icon in the notification area: where the shell says it is, else
// the right end of the task bar, where the only icon sits.
std::optional<POINT> TrayIconPoint(HWND main);
// Clicks the tray icon until the main window shows, and waits until it is in the foreground.
bool RestoreFromTray(HWND main);
// The title of the page the main window shows.
std::wstring PageTitle(HWND main);
// The dots per inch of the screen (96, 144).
int ScreenDpi();

// Writes a value under HKCU\Software\Quillon\Tavion (`sub` a sub-key path, "" for the root).
void WriteSetting(const wchar_t* sub, const wchar_t* name, DWORD value);
void WriteSetting(const wchar_t* sub, const wchar_t* name, const std::wstring& text);

using wine_test::SaveScreenshot;

// Shows the actions page, titled `title` (the navigation's eighth row), and takes the keyboard
// into its tree with Tab, at the first row; the tree, or null.
HWND FocusActionTree(HWND main, const std::wstring& title = L"HotKeys Actions");
// The action editor of process `pid` captioned `caption`, with the action type list focused.
HWND OpenedEditor(DWORD pid, const wchar_t* caption);
// Presses Ctrl+Tab, or Ctrl+Shift+Tab when `back`, and waits for page `page` of the editor's
// tab control `pages`.
bool SwitchPage(HWND pages, bool back, int page);
// Saves a screenshot once `window` is drawn.
void Shoot(HWND window, const std::string& name);

// Tavion.exe beside the test program.
class TavionProcess : public wine_test::Process {
 public:
  // Starts it with `arguments`.
  bool Start(const std::wstring& arguments = L"");
  DWORD Id() const { return info.dwProcessId; }

  // Waits for the main window ("TAVION_ROOTWINDOW") of this process.
  HWND WaitForMainWindow();
};

// Starts Tavion.exe with `arguments` and waits until its main window shows (its hooks are in
// place by then); null when it does not.
HWND StartShown(TavionProcess& tavion, const std::wstring& arguments = L"");

// Closes the main window and answers the exit question with Yes; checks the exit code 0.
void ExitConfirmed(TavionProcess& tavion, HWND main);

}  // namespace tavion::e2e
