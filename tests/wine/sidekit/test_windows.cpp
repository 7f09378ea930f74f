#include "test_windows.h"

#include "sidekit_api.h"

#include <algorithm>
#include <atomic>

namespace sidekit_test {

namespace {

constexpr wchar_t kReceiverClass[] = L"SidekitTestReceiver";
constexpr wchar_t kFocusClass[] = L"SidekitTestFocus";

void RegisterClassOnce(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = procedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = name;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassExW(&wc);  // fails harmlessly when the class exists
}

template <typename Owner>
Owner* OwnerOf(HWND hwnd, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* owner = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    return owner;
  }
  return reinterpret_cast<Owner*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

}  // namespace

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!done()) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    MsgWaitForMultipleObjectsEx(0, nullptr,
                                static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 10)),
                                QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return true;
}

void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

Receiver::Receiver(Records records) : records_(records) {
  RegisterClassOnce(kReceiverClass, &Receiver::Procedure);
  hwnd_ = CreateWindowExW(0, kReceiverClass, L"receiver", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                          GetModuleHandleW(nullptr), this);
}

Receiver::~Receiver() {
  Destroy();
}

void Receiver::Destroy() {
  if (hwnd_) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

LRESULT CALLBACK Receiver::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Receiver* self = OwnerOf<Receiver>(hwnd, message, lParam);
  if (!self || message < tavion::kMsgMenuCommand || message > tavion::kMsgCaptureHidKey) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  Received event{message, wParam, lParam, {}, {}};
  if (self->records_ == Records::kKey && lParam) {
    event.key = *reinterpret_cast<const tavion::KeyEventRecord*>(lParam);
  } else if (self->records_ == Records::kMouse && lParam) {
    event.mouse = *reinterpret_cast<const tavion::MouseEventRecord*>(lParam);
  }
  self->events.push_back(event);
  return self->answer ? self->answer(event) : 0;
}

FocusWindow::FocusWindow() {
  RegisterClassOnce(kFocusClass, &FocusWindow::Procedure);
  // A popup: the X11 driver waits ~2 s for a window manager that does not exist here whenever a
  // window with a caption goes away.
  hwnd_ = CreateWindowExW(0, kFocusClass, L"focus", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200,
                          nullptr, nullptr, GetModuleHandleW(nullptr), this);
  SetForegroundWindow(hwnd_);
  SetFocus(hwnd_);
  PumpFor(50);
}

FocusWindow::~FocusWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool FocusWindow::GotKey(WORD vk) const {
  return std::find(keysDown.begin(), keysDown.end(), vk) != keysDown.end();
}

LRESULT CALLBACK FocusWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  FocusWindow* self = OwnerOf<FocusWindow>(hwnd, message, lParam);
  if (self && (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)) {
    self->keysDown.push_back(static_cast<WORD>(wParam));
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

INPUT KeyInput(WORD vk, bool up, ULONG_PTR extraInfo, bool extended) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = ScanCodeOf(vk);
  input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
  input.ki.dwExtraInfo = extraInfo;
  return input;
}

INPUT MouseInput(DWORD flags, DWORD data, ULONG_PTR extraInfo) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  input.mi.mouseData = data;
  input.mi.dwExtraInfo = extraInfo;
  return input;
}

bool Inject(std::vector<INPUT> inputs) {
  const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  return sent == inputs.size();
}

WORD ScanCodeOf(WORD vk) {
  return static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
}

PeerProcess::PeerProcess(const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + ProgramFolder() + L"\\sidekit_test_peer.exe\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &info)) {
    CloseHandle(info.hThread);
    process_ = info.hProcess;
  }
}

PeerProcess::~PeerProcess() {
  Terminate();
}

void PeerProcess::Terminate() {
  if (!process_) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
  process_ = nullptr;
}

int PeerProcess::WaitForExit(DWORD timeoutMs) {
  DWORD code = 0;
  if (!process_ ||
      !PumpUntil([&] { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }, timeoutMs) ||
      !GetExitCodeProcess(process_, &code)) {
    return -1;
  }
  return static_cast<int>(code);
}

HWND PeerProcess::WaitForWindow(const std::wstring& className) {
  HWND window = nullptr;
  PumpUntil([&] { return (window = FindWindowW(className.c_str(), nullptr)) != nullptr; }, 10000);
  return window;
}

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.find_last_of(L'\\'));
}

HMODULE SidekitModule() {
  static const HMODULE module = LoadLibraryW((ProgramFolder() + L"\\Sidekit32.dll").c_str());
  return module;
}

std::wstring UniqueName(const wchar_t* stem) {
  static std::atomic<int> counter{0};
  return std::wstring(stem) + L"." + std::to_wstring(GetCurrentProcessId()) + L"." +
         std::to_wstring(++counter) + L"." + std::to_wstring(GetTickCount64());
}

}  // namespace sidekit_test
