// Panora.exe: four virtual desktops for Tavion. One resident instance per session owns a hidden
// window; every later start hands its command to it and ends.
#include <windows.h>
#include <shellapi.h>

#include <deque>
#include <string>
#include <vector>

#include "desktops.h"
#include "options_win.h"
#include "windows_win.h"

namespace panora {
namespace {

constexpr wchar_t kResidentClass[] = L"PanoraResidentWindow";
constexpr wchar_t kMutexName[] = L"Local\\Quillon.Panora.Resident";
constexpr ULONG_PTR kCopyDataCommand = 0x50414E4F;
constexpr DWORD kCommandBytesLimit = 1024;
constexpr UINT kRunCommands = WM_APP + 1;
constexpr UINT kEndNow = WM_APP + 2;
constexpr DWORD kHandOverMs = 10000;

constexpr wchar_t kHelpText[] =
    L"Panora gives you four desktops.\n\n"
    L"Desktop 1 to Desktop 4 switch: the windows of the desktop you leave are hidden, those of "
    L"the desktop you go to come back.\n"
    L"\"Show all windows and exit\" brings every hidden window back and ends Panora; so does "
    L"logging off.\n\n"
    L"Bind the actions to hot keys in Tavion (by default Win+1 to Win+4, Win+0, and Win+` for "
    L"the options).";
constexpr wchar_t kUsageText[] =
    L"Unknown command: %s\n\nPanora understands 0, 1, 2, 3 (switch to a desktop), X (show all "
    L"windows and exit), /Options and /Help, each optionally followed by Tavion's window "
    L"handle.";

struct Resident {
  HINSTANCE instance = nullptr;
  HWND window = nullptr;
  HWND options = nullptr;
  VirtualDesktops desktops;
  Exclusions exclusions{.ownProcess = GetCurrentProcessId()};
  std::deque<Command> pending;
  HANDLE ended = nullptr;  // set once every window is back (the console handler waits for it)
  HANDLE host = nullptr;   // Tavion's process: when it ends, so does Panora
};
Resident* g_resident = nullptr;

// Every hidden window comes back and the stored list goes: the end of every run.
void RestoreAll(Resident& resident) {
  ShowWindows(resident.desktops.TakeAllHidden());
  WriteHiddenList({});
}

void SwitchTo(Resident& resident, int target) {
  const int from = resident.desktops.Current();
  const SwitchPlan plan =
      resident.desktops.Switch(target, DesktopWindows(resident.exclusions), ForegroundRoot());
  if (resident.desktops.Current() == from) return;
  // Stored before any window moves, with the target's windows still in: a crash at any point
  // leaves every hidden window in the list for the next start.
  std::vector<WindowRef> stored = resident.desktops.AllHidden();
  stored.insert(stored.end(), plan.show.begin(), plan.show.end());
  WriteHiddenList(stored);
  HideWindows(plan.hide);
  ShowWindows(plan.show);
  if (plan.activate) Activate(*plan.activate);
  WriteHiddenList(resident.desktops.AllHidden());
  if (ReadShowNotice()) ShowNotice(resident.instance, target);
}

// Follows the Tavion whose window a command names: its end puts every window back and ends us.
void FollowHost(Resident& resident, uint32_t process) {
  if (process == 0 || process == resident.exclusions.hostProcess) return;
  resident.exclusions.hostProcess = process;
  if (resident.host) CloseHandle(resident.host);
  resident.host = OpenProcess(SYNCHRONIZE, FALSE, process);
}

void Run(Resident& resident, const Command& command) {
  FollowHost(resident, HostProcess(command.hostWindow));
  switch (command.kind) {
    case CommandKind::kSwitch:
      SwitchTo(resident, command.desktop);
      break;
    case CommandKind::kExit:
      PostMessageW(resident.window, WM_CLOSE, 0, 0);
      break;
    case CommandKind::kOptions:
      resident.options = ShowOptions(resident.instance, resident.desktops.Current());
      break;
    case CommandKind::kHelp:
      MessageBoxW(nullptr, kHelpText, L"Panora", MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
      break;
    case CommandKind::kNone:
    case CommandKind::kUnknown:
      break;
  }
}

// The words of a handed-over command, as CommandText wrote them.
std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find(' ', start), text.size());
    if (end > start) words.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

LRESULT CALLBACK ResidentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Resident* resident = g_resident;
  switch (message) {
    case WM_COPYDATA: {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (!data || data->dwData != kCopyDataCommand || data->cbData > kCommandBytesLimit ||
          (data->cbData > 0 && !data->lpData)) {
        return FALSE;
      }
      const std::string text(static_cast<const char*>(data->lpData), data->cbData);
      resident->pending.push_back(ParseCommand(Words(text)));
      // Run after the sender has its answer: a command may show a message box.
      PostMessageW(window, kRunCommands, 0, 0);
      return TRUE;
    }
    case kRunCommands:
      while (!resident->pending.empty()) {
        const Command command = resident->pending.front();
        resident->pending.pop_front();
        Run(*resident, command);
      }
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) RestoreAll(*resident);
      return 0;
    case kEndNow:
    case WM_CLOSE:
      RestoreAll(*resident);
      if (resident->ended) SetEvent(resident->ended);
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

// Console close, logoff and shutdown arrive on a thread of their own: the window's thread puts
// the windows back while this one waits (bounded: the system ends us soon anyway).
BOOL WINAPI ConsoleEnd(DWORD) {
  if (!g_resident || !g_resident->window) return FALSE;
  PostMessageW(g_resident->window, kEndNow, 0, 0);
  WaitForSingleObject(g_resident->ended, 5000);
  return TRUE;
}

// A second start: hands `command` to the resident instance. Returns false when the resident
// ended meanwhile and this start took the mutex over (`mutex` is then ours).
bool HandOver(const Command& command, HANDLE mutex) {
  const std::string text = CommandText(command);
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kHandOverMs) {
    if (const HWND resident = FindWindowW(kResidentClass, nullptr)) {
      DWORD process = 0;
      GetWindowThreadProcessId(resident, &process);
      // We were started by the program in the foreground; the resident may take it over.
      AllowSetForegroundWindow(process);
      COPYDATASTRUCT data{kCopyDataCommand, static_cast<DWORD>(text.size()),
                          const_cast<char*>(text.data())};
      DWORD_PTR answer = 0;
      if (SendMessageTimeoutW(resident, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                              SMTO_ABORTIFHUNG, 5000, &answer) &&
          answer) {
        // "X" and uninstalling end the resident: wait for it, so the file is free afterwards.
        if (command.kind == CommandKind::kExit) {
          const DWORD wait = WaitForSingleObject(mutex, kHandOverMs);
          if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) ReleaseMutex(mutex);
        }
        return true;
      }
    }
    const DWORD wait = WaitForSingleObject(mutex, 100);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) return false;
  }
  MessageBoxW(nullptr, L"The running Panora does not answer.", L"Panora", MB_OK | MB_ICONERROR);
  return true;
}

std::vector<std::string> Arguments() {
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv) return args;
  for (int i = 1; i < count; ++i) args.push_back(Narrow(argv[i]));
  LocalFree(argv);
  return args;
}

int RunResident(HINSTANCE instance, const Command& command) {
  Resident resident;
  resident.instance = instance;
  resident.ended = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_resident = &resident;
  // Windows a run that crashed left hidden come back before anything else happens.
  ShowWindows(ReadHiddenList());
  WriteHiddenList({});
  if (command.kind == CommandKind::kExit) return 0;

  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = ResidentProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kResidentClass;
  if (!RegisterClassExW(&windowClass) || !RegisterPanoraWindows(instance)) return 1;
  // A hidden top-level window (not a message-only one): only those hear of the session's end.
  resident.window = CreateWindowExW(WS_EX_TOOLWINDOW, kResidentClass, L"Panora", WS_POPUP, 0, 0, 0,
                                    0, nullptr, nullptr, instance, nullptr);
  if (!resident.window) return 1;
  SetConsoleCtrlHandler(ConsoleEnd, TRUE);
  resident.pending.push_back(command);
  PostMessageW(resident.window, kRunCommands, 0, 0);

  MSG message;
  for (bool running = true; running;) {
    // Sleeps until a message comes or Tavion's process ends; nothing is polled.
    const DWORD handles = resident.host ? 1 : 0;
    const DWORD woken =
        MsgWaitForMultipleObjects(handles, &resident.host, FALSE, INFINITE, QS_ALLINPUT);
    if (handles == 1 && woken == WAIT_OBJECT_0) {
      CloseHandle(resident.host);
      resident.host = nullptr;
      PostMessageW(resident.window, WM_CLOSE, 0, 0);
    }
    while (running && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        running = false;
        break;
      }
      if (resident.options && !IsWindow(resident.options)) resident.options = nullptr;
      if (resident.options && IsDialogMessageW(resident.options, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  if (resident.host) CloseHandle(resident.host);
  SetConsoleCtrlHandler(ConsoleEnd, FALSE);
  g_resident = nullptr;
  CloseHandle(resident.ended);
  return 0;
}

}  // namespace
}  // namespace panora

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace panora;
  const Command command = ParseCommand(Arguments());
  if (command.kind == CommandKind::kUnknown) {
    std::wstring text(kUsageText);
    text.replace(text.find(L"%s"), 2, Widen(command.text));
    MessageBoxW(nullptr, text.c_str(), L"Panora", MB_OK | MB_ICONWARNING);
    return 2;
  }
  const HANDLE mutex = CreateMutexW(nullptr, TRUE, kMutexName);
  if (!mutex) return 1;
  if (GetLastError() == ERROR_ALREADY_EXISTS && HandOver(command, mutex)) {
    CloseHandle(mutex);
    return 0;
  }
  const int result = RunResident(instance, command);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  return result;
}
