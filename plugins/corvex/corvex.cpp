// Corvex.dll: the system actions of Tavion's default set (time, volume, CD-ROM door, power,
// keyboard layout), as a library plug-in.
//
// The volume actions are the numbered functions 103, 104 and 105: they are not exports, so
// Tavion runs them by asking GetPlugInfo the same numbers.
#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <string>

#include "corvex_params.h"
#include "panels_win.h"
#include "tavion_plugin.h"
#include "volume_win.h"

#define CORVEX_EXPORT extern "C" __declspec(dllexport)

namespace corvex {
namespace {

constexpr uint32_t kVolumeUpQuery = 103;
constexpr uint32_t kVolumeDownQuery = 104;
constexpr uint32_t kMuteQuery = 105;

template <typename Function>
Function TavionService(const char* name) {
  // The services are exports of Tavion.exe, the process's main module.
  return reinterpret_cast<Function>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(nullptr), name)));
}

// Adds `text` to the notification of the action; outside Tavion there is nowhere to show it.
void ShowLine(const std::string& text) {
  if (auto show = TavionService<TavionPlugShowOSDFn>("PlugShowOSD")) show(text.c_str());
}

// The system's text for `code`, through Tavion where it offers it.
std::string ErrorText(DWORD code) {
  if (auto format = TavionService<TavionFormateErrorStrFn>("FormateErrorStr")) {
    const char* text = format(code);
    return text != nullptr ? std::string(text, strnlen(text, 1024)) : std::string();
  }
  char buffer[512] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, buffer, sizeof(buffer), nullptr);
  std::string text(buffer, length);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
  return text;
}

std::string FailureLine(const std::string& what, DWORD code) {
  const std::string reason = ErrorText(code);
  return "Error: " + what + (reason.empty() ? std::string() : " - " + reason);
}

// ---- Show time ----------------------------------------------------------------------------

std::string DateAndTime() {
  char date[128] = {};
  char time[64] = {};
  if (GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, nullptr, nullptr, date, sizeof(date)) == 0)
    date[0] = '\0';
  if (GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, time, sizeof(time)) == 0)
    time[0] = '\0';
  return std::string(date) + (date[0] != '\0' && time[0] != '\0' ? " " : "") + time;
}

// ---- Volume -------------------------------------------------------------------------------

void RunVolume(VolumeCommand command) {
  if (!ChangeVolume(command)) ShowLine("Error: no sound device to change the volume");
}

// ---- CD-ROM -------------------------------------------------------------------------------

void RunCd(const CdParams& params) {
  const std::string letters = OpticalDriveLetters();
  const char letter = ChooseDrive(params.drive, letters);
  if (letter == 0) {
    ShowLine(letters.empty() ? "Error: no CD-ROM drive found"
                             : "Error: drive " + params.drive + " is not a CD-ROM drive");
    return;
  }
  const std::string drive{letter, ':'};
  const bool open = params.operation == DoorOperation::kOpen;
  const std::string device = "\\\\.\\" + drive;
  HANDLE handle = CreateFileA(device.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD error = ERROR_SUCCESS;
  if (handle == INVALID_HANDLE_VALUE) {
    error = GetLastError();
  } else {
    DWORD returned = 0;
    if (!DeviceIoControl(handle, open ? IOCTL_STORAGE_EJECT_MEDIA : IOCTL_STORAGE_LOAD_MEDIA,
                         nullptr, 0, nullptr, 0, &returned, nullptr))
      error = GetLastError();
    CloseHandle(handle);
  }
  if (error != ERROR_SUCCESS)
    ShowLine(FailureLine((open ? "can't open drive " : "can't close drive ") + drive, error));
}

// ---- Power --------------------------------------------------------------------------------

// ERROR_SUCCESS when the process may shut the system down, else the reason.
DWORD EnableShutdownPrivilege() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
    return GetLastError();
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  // AdjustTokenPrivileges succeeds without granting a privilege the token lacks: only
  // ERROR_SUCCESS afterwards means it is enabled.
  DWORD error = ERROR_SUCCESS;
  if (!LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid) ||
      !AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) ||
      GetLastError() != ERROR_SUCCESS)
    error = GetLastError();
  CloseHandle(token);
  return error;
}

struct PowerChoice {
  const wchar_t* question;
  const char* failure;
  UINT flags;
  bool needsPrivilege;
};

const PowerChoice kPowerChoices[] = {
    {L"Restart the computer now?", "can't restart the computer", EWX_REBOOT, true},
    {L"Turn off the computer now?", "can't turn off the computer", EWX_SHUTDOWN | EWX_POWEROFF,
     true},
    {L"Log off now?", "can't log off", EWX_LOGOFF, false},
};

// Always asks first; No is the default button, so a stray Enter does not end the session.
void RunPower(HWND owner, const PowerParams& params) {
  const PowerChoice& choice =
      kPowerChoices[CheckedOperation(static_cast<int32_t>(params.operation), 3)];
  // A question that cannot be shown is a No.
  if (MessageBoxW(IsWindow(owner) ? owner : nullptr, choice.question, L"Corvex",
                  MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_SETFOREGROUND) != IDYES)
    return;
  if (choice.needsPrivilege) {
    const DWORD error = EnableShutdownPrivilege();
    if (error != ERROR_SUCCESS) {
      ShowLine(FailureLine(choice.failure, error));
      return;
    }
  }
  if (!ExitWindowsEx(choice.flags, SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER |
                                       SHTDN_REASON_FLAG_PLANNED))
    ShowLine(FailureLine(choice.failure, GetLastError()));
}

// ---- Keyboard layout ----------------------------------------------------------------------

// Asks the foreground window to switch to the layout after its current one, and waits briefly
// (at most 200 ms) for the switch, so that the notification's language icon shows the new one.
void RunNextLayout() {
  HWND target = GetForegroundWindow();
  if (target == nullptr) {
    ShowLine("Error: no active window");
    return;
  }
  const DWORD thread = GetWindowThreadProcessId(target, nullptr);
  const HKL current = GetKeyboardLayout(thread);
  HKL layouts[64] = {};
  const int count = GetKeyboardLayoutList(64, layouts);
  HKL next = current;
  for (int i = 0; i < count; ++i)
    if (layouts[i] == current) next = layouts[(i + 1) % count];
  if (!PostMessageW(target, WM_INPUTLANGCHANGEREQUEST, INPUTLANGCHANGE_FORWARD,
                    reinterpret_cast<LPARAM>(next))) {
    ShowLine(FailureLine("can't change the keyboard layout", GetLastError()));
    return;
  }
  for (int waited = 0; next != current && waited < 200 && GetKeyboardLayout(thread) != next;
       waited += 10)
    Sleep(10);
}

// Runs `work`; no exception (an allocation that failed) leaves through the plug-in interface.
template <typename Work>
void Guarded(Work work) noexcept {
  try {
    work();
  } catch (...) {
    MessageBeep(MB_ICONHAND);
  }
}

// The modes of an action with a parameter object of type Params; a run without an object uses
// the defaults.
template <typename Params>
struct ActionWithParams {
  const TavionParamsClass* paramsClass;
  void (*run)(HWND mainWindow, const Params& params);
  void (*showPanel)(HWND panel, const Params& params);
  void (*closePanel)(HWND panel, Params& params);

  intptr_t Call(intptr_t a, uint32_t mode, intptr_t data, intptr_t extra) const {
    auto* params = reinterpret_cast<Params*>(data);
    auto* panel = reinterpret_cast<HWND>(extra);
    if (mode == TAVION_MODE_PARAMS_CLASS) return reinterpret_cast<intptr_t>(paramsClass);
    if (mode == TAVION_MODE_RUN)
      Guarded([&] { run(reinterpret_cast<HWND>(a), params != nullptr ? *params : Params{}); });
    const bool panelCall = params != nullptr && panel != nullptr;
    if (mode == TAVION_MODE_SHOW_PANEL && panelCall) Guarded([&] { showPanel(panel, *params); });
    if (mode == TAVION_MODE_CLOSE_PANEL && panelCall) Guarded([&] { closePanel(panel, *params); });
    return 0;
  }
};

}  // namespace
}  // namespace corvex

using namespace corvex;

CORVEX_EXPORT const char* TAVION_STDCALL GetPlugInfo(void* mainWindow, uint32_t number) {
  (void)mainWindow;
  switch (number & 0xFFFFu) {
    case TAVION_INFO_VERSION:
      return TAVION_PLUGIN_VERSION;
    case TAVION_INFO_NAME:
      return "Corvex";
    case TAVION_INFO_ACTIONS:
      return "Show time\r\nShowTime\r\n"
             "Volume up\r\n103\r\n"
             "Volume down\r\n104\r\n"
             "Mute\r\n105\r\n"
             "CD-ROM\r\nCDRom\r\n"
             "Power\r\nPower\r\n"
             "Next keyboard layout\r\nlang\r\n";
    case TAVION_INFO_DESCRIPTION:
      return "Corvex %ver%: the system actions of Tavion: the date and time, the master volume, "
             "the CD-ROM tray, restart, turn-off and log-off, and the next keyboard layout.";
    case TAVION_INFO_FLAGS:
      return "0";
    case kVolumeUpQuery:
      Guarded([] { RunVolume(VolumeCommand::kUp); });
      return "";
    case kVolumeDownQuery:
      Guarded([] { RunVolume(VolumeCommand::kDown); });
      return "";
    case kMuteQuery:
      Guarded([] { RunVolume(VolumeCommand::kMuteToggle); });
      return "";
    default:
      return "";
  }
}

// Every action but "Power", which asks a question, may run on a worker thread.
CORVEX_EXPORT const char* TAVION_STDCALL GetPlugInfoEx(uint32_t query, uint32_t reserved,
                                                       const char* functionName) {
  (void)reserved;
  if (query != TAVION_INFOEX_ANY_THREAD || functionName == nullptr) return "0";
  static const char* const kAnyThread[] = {"ShowTime", "103", "104", "105", "CDRom", "lang"};
  for (const char* name : kAnyThread)
    if (std::strcmp(functionName, name) == 0) return "1";
  return "0";
}

CORVEX_EXPORT intptr_t TAVION_STDCALL ShowTime(intptr_t, uint32_t mode, intptr_t, intptr_t) {
  if (mode == TAVION_MODE_RUN) Guarded([] { ShowLine(DateAndTime()); });
  return 0;
}

CORVEX_EXPORT intptr_t TAVION_STDCALL CDRom(intptr_t, uint32_t mode, intptr_t data,
                                            intptr_t extra) {
  const ActionWithParams<CdParams> action = {CdParamsClass(),
                                             [](HWND, const CdParams& params) { RunCd(params); },
                                             ShowCdPanel, CloseCdPanel};
  return action.Call(0, mode, data, extra);
}

CORVEX_EXPORT intptr_t TAVION_STDCALL Power(intptr_t a, uint32_t mode, intptr_t data,
                                            intptr_t extra) {
  const ActionWithParams<PowerParams> action = {PowerParamsClass(), RunPower, ShowPowerPanel,
                                                ClosePowerPanel};
  return action.Call(a, mode, data, extra);
}

CORVEX_EXPORT intptr_t TAVION_STDCALL lang(intptr_t, uint32_t mode, intptr_t, intptr_t) {
  if (mode == TAVION_MODE_RUN) Guarded(RunNextLayout);
  return 0;
}
