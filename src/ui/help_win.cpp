#include "ui/help_win.h"

#include <windows.h>
// After windows.h: it declares with its types.
#include <htmlhelp.h>
#include <shellapi.h>

#include <string>

#include "base/file_exists_win.h"
#include "base/utf_win.h"
#include "forms/message_box_win.h"

namespace tavion {
namespace {

constexpr wchar_t kHelpWindowClass[] = L"HH Parent";
constexpr wchar_t kHelpWindowCaption[] = L"Tavion";

// Loaded at run time: a system without the help control still runs the program.
using HtmlHelpFunction = decltype(&HtmlHelpW);

// hhctrl.ocx stays loaded once it is: its windows run its code until the process ends. It is
// loaded by its full path in the system folder, never from the program's folder.
HtmlHelpFunction HtmlHelpEntry(bool load) {
  static HMODULE library = nullptr;
  static HtmlHelpFunction entry = nullptr;
  if (!library && load) {
    wchar_t system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    library = LoadLibraryW((std::wstring(system) + L"\\hhctrl.ocx").c_str());
    if (library)
      entry = reinterpret_cast<HtmlHelpFunction>(
          reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpW")));
  }
  return entry;
}

// A help window left by an earlier topic goes first, so that one help window shows at a time.
// One of this thread is closed before the new one is made: posted, its close would come after
// the help control has shown the new topic in it.
void CloseOwnerlessHelpWindow() {
  HWND window = FindWindowW(kHelpWindowClass, kHelpWindowCaption);
  if (!window || GetWindow(window, GW_OWNER)) return;
  if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  else
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

}  // namespace

void OpenHelp(const std::wstring& helpFile, const std::string& topic, int mode) {
  if (!FileExists(helpFile)) {
    ShowMessageBox("Can't find help file", MessageDialogType::Error, MessageButtons::Ok);
    return;
  }
  const std::wstring topicPath = L"HTML/" + Utf8ToWide(topic);
  if (mode == kHelpInProgram) {
    CloseOwnerlessHelpWindow();
    if (HtmlHelpFunction htmlHelp = HtmlHelpEntry(/*load=*/true))
      htmlHelp(/*caller=*/nullptr, helpFile.c_str(), HH_DISPLAY_TOPIC,
               reinterpret_cast<DWORD_PTR>(topicPath.c_str()));
    return;
  }
  const std::wstring argument = helpFile + L"::/" + topicPath;
  // Ignored on purpose: a viewer that does not start leaves the program as it was.
  ShellExecuteW(/*hwnd=*/nullptr, L"open", L"hh.exe", argument.c_str(), /*directory=*/nullptr,
                SW_SHOWNORMAL);
}

void CloseProgramHelp() {
  if (HtmlHelpFunction htmlHelp = HtmlHelpEntry(/*load=*/false))
    htmlHelp(/*caller=*/nullptr, /*file=*/nullptr, HH_CLOSE_ALL, 0);
}

}  // namespace tavion
