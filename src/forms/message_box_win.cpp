#include "forms/message_box_win.h"

#include <algorithm>
#include <atomic>
#include <string>

#include "base/handles_win.h"
#include "base/utf_win.h"
#include "lang/lang.h"

namespace tavion {
namespace {

constexpr wchar_t kCaption[] = L"Tavion";

std::atomic<HWND> messageBoxMainWindow{nullptr};

// The box that the calling thread is about to show. MessageBox creates its dialog on the
// calling thread, so a thread-local CBT hook sees exactly that dialog activate.
struct PendingBox {
  UniqueHook hook;
  HWND centreOver = nullptr;
  bool adjusted = false;
};
thread_local PendingBox* pendingBox = nullptr;

void SetButtonCaption(HWND box, int id, const std::string& caption) {
  if (HWND button = GetDlgItem(box, id)) SetWindowTextW(button, Utf8ToWide(caption).c_str());
}

// Places `box` with its centre on the centre of `over`, kept inside the work area of the
// monitor `over` is on.
void CentreOver(HWND box, HWND over) {
  RECT boxRect{}, overRect{};
  if (!GetWindowRect(box, &boxRect) || !GetWindowRect(over, &overRect)) return;
  const LONG width = boxRect.right - boxRect.left;
  const LONG height = boxRect.bottom - boxRect.top;
  LONG x = overRect.left + (overRect.right - overRect.left - width) / 2;
  LONG y = overRect.top + (overRect.bottom - overRect.top - height) / 2;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoW(MonitorFromWindow(over, MONITOR_DEFAULTTONEAREST), &monitor)) {
    const RECT& work = monitor.rcWork;
    x = std::max(work.left, std::min(x, work.right - width));
    y = std::max(work.top, std::min(y, work.bottom - height));
  }
  SetWindowPos(box, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK MessageBoxCbtProc(int code, WPARAM wParam, LPARAM lParam) {
  PendingBox* box = pendingBox;
  if (box == nullptr) return CallNextHookEx(nullptr, code, wParam, lParam);
  if (code == HCBT_ACTIVATE && !box->adjusted) {
    const auto dialog = reinterpret_cast<HWND>(wParam);
    wchar_t className[16] = {};
    GetClassNameW(dialog, className, static_cast<int>(std::size(className)));
    if (std::wstring_view(className) == L"#32770") {
      box->adjusted = true;
      SetButtonCaption(dialog, IDYES, GetLangStr("ButtonYes", "Yes"));
      SetButtonCaption(dialog, IDNO, GetLangStr("ButtonNo", "No"));
      SetButtonCaption(dialog, IDOK, GetLangStr("ButtonOK", "OK"));
      SetButtonCaption(dialog, IDCANCEL, GetLangStr("ButtonCancel", "Cancel"));
      if (box->centreOver != nullptr) CentreOver(dialog, box->centreOver);
    }
  }
  return CallNextHookEx(box->hook.get(), code, wParam, lParam);
}

UINT TypeIcon(MessageDialogType type) {
  switch (type) {
    case MessageDialogType::Warning:
      return MB_ICONWARNING;
    case MessageDialogType::Error:
      return MB_ICONERROR;
    case MessageDialogType::Information:
      return MB_ICONINFORMATION;
    case MessageDialogType::Confirmation:
      return MB_ICONQUESTION;
  }
  return 0;
}

UINT ButtonFlags(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok:
      return MB_OK;
    case MessageButtons::OkCancel:
      return MB_OKCANCEL;
    case MessageButtons::YesNo:
      return MB_YESNO;
    case MessageButtons::YesNoCancel:
      return MB_YESNOCANCEL;
  }
  return MB_OK;
}

}  // namespace

void SetMessageBoxMainWindow(HWND mainWindow) {
  messageBoxMainWindow.store(mainWindow);
}

int ShowMessageBox(std::string_view text, MessageDialogType type, MessageButtons buttons,
                   UINT icon) {
  const HWND mainWindow = messageBoxMainWindow.load();
  const bool mainWindowShown = mainWindow != nullptr && IsWindow(mainWindow) &&
                               IsWindowVisible(mainWindow) && !IsIconic(mainWindow);
  // The main window owns the box only on its own thread: a box on a worker thread must not
  // disable a window whose thread may be waiting for that worker.
  const bool ownedByMainWindow =
      mainWindowShown && GetWindowThreadProcessId(mainWindow, nullptr) == GetCurrentThreadId();

  PendingBox box;
  box.centreOver = mainWindowShown ? mainWindow : nullptr;
  // Boxes nest when a window procedure shows one while another is open: the outer box's record
  // comes back when this one ends.
  struct Restore {
    PendingBox* outer;
    ~Restore() { pendingBox = outer; }
  } restore{pendingBox};
  pendingBox = &box;
  // Without the hook the box still works, with the system's captions and placement.
  box.hook.reset(SetWindowsHookExW(WH_CBT, MessageBoxCbtProc, nullptr, GetCurrentThreadId()));

  UINT flags = ButtonFlags(buttons) | (icon != 0 ? icon : TypeIcon(type)) | MB_SETFOREGROUND;
  if (!ownedByMainWindow) flags |= MB_TASKMODAL;
  return MessageBoxW(ownedByMainWindow ? mainWindow : nullptr, Utf8ToWide(text).c_str(), kCaption,
                     flags);
}

int ShowSystemModalBox(HWND owner, std::string_view text, UINT flags) {
  return MessageBoxW(owner, Utf8ToWide(text).c_str(), kCaption, flags);
}

}  // namespace tavion
