#include "exec/window_actions_win.h"

#include <algorithm>
#include <optional>
#include <string>

#include "actions/action.h"
#include "actions/params.h"
#include "base/utf_win.h"
#include "exec/exec_host_win.h"
#include "exec/key_replace_win.h"
#include "exec/window_actions.h"
#include "settings/settings.h"

namespace tavion {
namespace {

// The target is another program's window as a rule: its thread carries out the change, and one
// that hangs must not hold the caller.
constexpr UINT kSwpKeepPlace = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS;
constexpr UINT kSwpMoveOnly = SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_ASYNCWINDOWPOS;

std::string ClassOf(HWND window) {
  wchar_t name[256] = {};
  const int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
  return WideToUtf8(std::wstring_view(name, length > 0 ? static_cast<std::size_t>(length) : 0));
}

HWND FocusedWindow(const std::function<HWND()>& focusedWindow) {
  if (focusedWindow) return focusedWindow();
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  const HWND foreground = GetForegroundWindow();
  if (foreground == nullptr) return nullptr;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(foreground, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

// Whether the window menu shows `command` greyed, nullopt when that menu cannot be read. The
// menu is put back to the system's first, so that its state reflects the window's styles; a
// command missing from it reads as greyed: the window cannot do it either.
std::optional<bool> GreyedInWindowMenu(HWND window, UINT command) {
  GetSystemMenu(window, /*bRevert=*/TRUE);
  const HMENU menu = GetSystemMenu(window, /*bRevert=*/FALSE);
  if (menu == nullptr) return std::nullopt;
  const UINT state = GetMenuState(menu, command, MF_BYCOMMAND);
  return state == static_cast<UINT>(-1) || (state & MF_GRAYED) != 0;
}

// Posts the window command `command` when the window can carry it out (its menu, else its
// `box` style), and beeps otherwise.
void PostBoxCommand(ExecContext& context, HWND window, UINT command, LONG_PTR box) {
  const bool hasBox = (GetWindowLongPtrW(window, GWL_STYLE) & box) != 0;
  if (ChooseBoxCommand(GreyedInWindowMenu(window, command), hasBox) == BoxCommandStep::kPost) {
    PostMessageW(window, WM_SYSCOMMAND, command, 0);
  } else {
    context.host.Beep(0);
  }
}

void StayOnTop(HWND window) {
  const bool topmost = (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  SetWindowPos(window, topmost ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0, kSwpKeepPlace);
}

void MaximizeOrRestore(ExecContext& context, HWND window) {
  if ((GetWindowLongPtrW(window, GWL_STYLE) & WS_MAXIMIZE) != 0) {
    PostMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    return;
  }
  PostBoxCommand(context, window, SC_MAXIMIZE, WS_MAXIMIZEBOX);
}

void Minimize(ExecContext& context, HWND window) {
  PostBoxCommand(context, window, SC_MINIMIZE, WS_MINIMIZEBOX);
}

void MoveToCentre(ExecContext& context, HWND window) {
  RECT rect{};
  if (!GetWindowRect(window, &rect)) return;
  if (IsZoomed(window)) {
    context.host.Beep(0);
    return;
  }
  const Point place = CentredPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                      rect.right - rect.left, rect.bottom - rect.top);
  SetWindowPos(window, nullptr, place.x, place.y, 0, 0, kSwpMoveOnly);
}

void ShowOrHide(HWND foreground, ForceForegroundWindowFn forceForeground) {
  SettingsRecord& settings = Settings();
  auto hidden = reinterpret_cast<HWND>(settings.HiddenWindow);
  // A hidden window that has gone is forgotten. The dispatcher let this code through over the
  // shell while it was remembered: the shell itself must not be hidden instead.
  if (hidden != nullptr && !IsWindow(hidden)) {
    hidden = nullptr;
    settings.HiddenWindow = 0;
  }
  const HWND target = hidden != nullptr ? hidden : foreground;
  if (target == nullptr || IsShellWindow(target)) return;
  if (IsWindowVisible(target)) {
    ShowWindowAsync(target, SW_HIDE);
    settings.HiddenWindow = reinterpret_cast<uintptr_t>(target);
  } else {
    ShowWindowAsync(target, SW_SHOW);
    if (forceForeground != nullptr) {
      forceForeground(target);
    } else {
      SetForegroundWindow(target);
    }
    settings.HiddenWindow = 0;
  }
}

void SetTransparency(ExecContext& context, HWND window) {
  const TActionParamsAlfa* params =
      context.action != nullptr ? context.action->ParamsAs<TActionParamsAlfa>() : nullptr;
  const TActionParamsAlfa defaults;
  if (params == nullptr) params = &defaults;
  SetWindowLongPtrW(window, GWL_EXSTYLE, GetWindowLongPtrW(window, GWL_EXSTYLE) | WS_EX_LAYERED);
  TWindowsList& list = TransparentWindows();
  const auto key = reinterpret_cast<uintptr_t>(window);
  const int current = list.AlphaOf(key).value_or(WindowAlpha(window));
  const SettingsRecord& settings = Settings();
  const int alpha =
      NextAlpha(params->Mode, params->Value, current, settings.Blend_VMin, settings.Blend_VMax);
  list.Remember(key, alpha);
  SetLayeredWindowAttributes(window, /*crKey=*/0, static_cast<BYTE>(alpha), LWA_ALPHA);
}

void SendKey(const KeySender& send, const SentKey& key) {
  if (!send) return;
  send(key.modifiers, key.keyCode, /*scanCode=*/0, /*keyFlags=*/0, /*window=*/0,
       /*restore=*/false, /*delayMs=*/0, /*ansiText=*/nullptr, /*wideText=*/nullptr);
}

void ScrollOrZoom(ExecContext& context, const WindowServices& services) {
  const TActionParamsScroll* params =
      context.action != nullptr ? context.action->ParamsAs<TActionParamsScroll>() : nullptr;
  const TActionParamsScroll defaults;
  if (params == nullptr) params = &defaults;
  const HWND target =
      params->hWndType == 1 ? FocusedWindow(services.focusedWindow) : WindowUnderCursor(true);
  const int lines = ScrollLineCount(params->Pages, params->Speed);
  if (IsKeyScrolledBrowser(ClassOf(TopLevelOf(target)))) {
    const std::optional<SentKey> key = BrowserScrollKey(params->Mode, params->Pages);
    if (!key) return;
    for (int i = 0; i < std::max(lines, 1); ++i) SendKey(services.sendKeys, *key);
    return;
  }
  const ScrollAction action = ScrollActionFor(params->Mode);
  if (action.direction) ScrollWindowBy(*action.direction, lines, target, services.focusedWindow);
  if (action.zoomKey) SendKey(services.sendKeys, *action.zoomKey);
}

HWND FindNamedWindow(const WindowEntry& entry) {
  const std::wstring windowClass = Utf8ToWide(entry.windowClass);
  const std::wstring caption = Utf8ToWide(entry.caption);
  return FindWindowW(IsAnyWindowText(entry.windowClass) ? nullptr : windowClass.c_str(),
                     IsAnyWindowText(entry.caption) ? nullptr : caption.c_str());
}

void SendWindowMessage(ExecContext& context, const WindowServices& services) {
  const TActionParamsSMsg* params =
      context.action != nullptr ? context.action->ParamsAs<TActionParamsSMsg>() : nullptr;
  if (params == nullptr) return;
  if (params->SMsg == 0 && params->Wprm == 0 && params->Lprm == 0) return;
  const WindowEntry entry = params->GetWindow(0).value_or(WindowEntry{});
  HWND target = nullptr;
  switch (MessageTargetFor(params->Mode, entry.windowClass, entry.caption)) {
    case MessageTarget::kNamed:
      target = FindNamedWindow(entry);
      break;
    case MessageTarget::kForeground:
      target = GetForegroundWindow();
      break;
    case MessageTarget::kFocused:
      target = FocusedWindow(services.focusedWindow);
      break;
    case MessageTarget::kUnderCursorChild:
      target = WindowUnderCursor(true);
      break;
    case MessageTarget::kUnderCursorParent:
      target = WindowUnderCursor(false);
      break;
    case MessageTarget::kNone:
      break;
  }
  if (target == nullptr) return;
  // The parameters are 32-bit values: wParam as unsigned, lParam as signed, as a 32-bit program
  // would pass them.
  PostMessageW(target, static_cast<UINT>(params->SMsg),
               static_cast<WPARAM>(static_cast<uint32_t>(params->Wprm)),
               static_cast<LPARAM>(params->Lprm));
}

// An executor of the foreground window, which must exist.
template <typename Action>
Executor OnForeground(Action action) {
  return [action](ExecContext& context) {
    const HWND window = GetForegroundWindow();
    if (window != nullptr) action(context, window);
  };
}

}  // namespace

HWND TopLevelOf(HWND window) {
  if (window == nullptr) return nullptr;
  for (;;) {
    const HWND parent = GetParent(window);
    if (parent == nullptr || parent == GetWindow(window, GW_OWNER)) return window;
    window = parent;
  }
}

HWND WindowUnderCursor(bool child) {
  POINT point{};
  if (!GetCursorPos(&point)) return nullptr;
  const HWND window = WindowFromPoint(point);
  if (window == nullptr) return nullptr;
  if (!child) return TopLevelOf(window);
  POINT inside = point;
  if (!ScreenToClient(window, &inside)) return window;
  const HWND found = ChildWindowFromPoint(window, inside);
  return found != nullptr ? found : window;
}

int WindowAlpha(HWND window) {
  BYTE alpha = 255;
  DWORD flags = 0;
  if (!GetLayeredWindowAttributes(window, /*pcrKey=*/nullptr, &alpha, &flags)) return 255;
  return (flags & LWA_ALPHA) != 0 ? alpha : 255;
}

bool PostScroll(HWND window, int direction, int count, bool findScrollBar) {
  const ScrollMessages messages = ScrollMessagesFor(direction, count);
  HWND target = window;
  HWND scrollBar = nullptr;
  if (findScrollBar) {
    const LONG_PTR styleBit = messages.sideways ? WS_HSCROLL : WS_VSCROLL;
    for (; target != nullptr; target = GetParent(target)) {
      if ((GetWindowLongPtrW(target, GWL_STYLE) & styleBit) != 0) break;
      for (HWND bar = FindWindowExW(target, nullptr, L"ScrollBar", nullptr); bar != nullptr;
           bar = FindWindowExW(target, bar, L"ScrollBar", nullptr)) {
        const bool vertical = (GetWindowLongPtrW(bar, GWL_STYLE) & SBS_VERT) != 0;
        if (vertical != messages.sideways) {
          scrollBar = bar;
          break;
        }
      }
      if (scrollBar != nullptr) break;
    }
  }
  if (target == nullptr) return false;
  for (int i = 0; i < messages.count; ++i) {
    if (!PostMessageW(target, messages.message, messages.request,
                      reinterpret_cast<LPARAM>(scrollBar))) {
      return false;
    }
  }
  return true;
}

void ScrollWindowBy(int direction, int count, HWND window,
                    const std::function<HWND()>& focusedWindow) {
  if (window == nullptr) window = FocusedWindow(focusedWindow);
  if (PostScroll(window, direction, count, /*findScrollBar=*/true)) return;
  POINT point{};
  if (GetCursorPos(&point)) {
    const HWND under = WindowFromPoint(point);
    HWND root = under;
    while (root != nullptr && GetParent(root) != nullptr) root = GetParent(root);
    if (under != nullptr && root == GetForegroundWindow() &&
        PostScroll(under, direction, count, /*findScrollBar=*/true)) {
      return;
    }
  }
  PostScroll(window, direction, count, /*findScrollBar=*/false);
}

void RegisterWindowExecutors(const WindowServices& services) {
  RegisterExecutor("wm_wtop", OnForeground([](ExecContext&, HWND w) { StayOnTop(w); }));
  RegisterExecutor("wm_wmax", OnForeground(MaximizeOrRestore));
  RegisterExecutor("wm_wctr", OnForeground(MoveToCentre));
  RegisterExecutor("wm_wmin", OnForeground(Minimize));
  RegisterExecutor("wm_wclz", OnForeground([](ExecContext&, HWND w) {
                     PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
                   }));
  // A hidden window is shown again even with nothing in the foreground.
  RegisterExecutor("wm_s/\\h", [raise = services.forceForeground](ExecContext&) {
    ShowOrHide(GetForegroundWindow(), raise);
  });
  RegisterExecutor("wm_alfa", OnForeground(SetTransparency));
  RegisterExecutor("wm_scroll",
                   [services](ExecContext& context) { ScrollOrZoom(context, services); });
  RegisterExecutor("ms_wmsg",
                   [services](ExecContext& context) { SendWindowMessage(context, services); });
  RegisterExecutor("ke_keyz",
                   [services](ExecContext& context) { RunKeyReplace(context, services.sendKeys); });
}

}  // namespace tavion
