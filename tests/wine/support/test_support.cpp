#include "test_support.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>

namespace wine_test {

namespace {

// Registered once per program; the procedure finds its TestWindow through GWLP_USERDATA.
constexpr UINT kSentinel = WM_APP + 0x3F00;

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

}  // namespace

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!done()) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    MsgWaitForMultipleObjectsEx(0, nullptr,
                                static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 10)),
                                QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    PumpPending();
  }
  return true;
}

void PumpPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool PumpThroughSentinel() {
  static std::atomic<WPARAM> next{1};
  const WPARAM id = next++;
  if (!PostThreadMessageW(GetCurrentThreadId(), kSentinel, id, 0)) return false;
  // A thread's posted messages come out in the order they went in: once the sentinel is taken,
  // every message posted to this thread's windows before it has been handled.
  bool seen = false;
  const auto takeAll = [&] {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.hwnd == nullptr && msg.message == kSentinel && msg.wParam == id) {
        seen = true;
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    return seen;
  };
  return PumpUntil(takeAll);
}

bool TestWindow::RecordedByDefault(UINT message) {
  constexpr UINT kRecorded[] = {
      WM_COMMAND,  WM_SYSCOMMAND, WM_KEYDOWN, WM_KEYUP,  WM_SYSKEYDOWN, WM_SYSKEYUP,
      WM_CHAR,     WM_HSCROLL,    WM_VSCROLL, WM_HOTKEY, WM_APPCOMMAND, WM_INPUTLANGCHANGEREQUEST,
      WM_COPYDATA, WM_CLOSE};
  return std::ranges::find(kRecorded, message) != std::end(kRecorded) ||
         (message >= WM_USER && message != kSentinel);
}

TestWindow::TestWindow(const WindowDesign& design) {
  RegisterClassOnce(design.className, &TestWindow::Procedure);
  hwnd_ = CreateWindowExW(design.exStyle, design.className, design.caption, design.style, design.x,
                          design.y, design.width, design.height, design.parent, nullptr,
                          GetModuleHandleW(nullptr), this);
}

TestWindow::~TestWindow() {
  Destroy();
}

void TestWindow::Destroy() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  hwnd_ = nullptr;
}

std::vector<Message> TestWindow::Of(UINT message) const {
  std::vector<Message> found;
  for (const Message& m : messages) {
    if (m.message == message) found.push_back(m);
  }
  return found;
}

std::vector<std::tuple<UINT, WPARAM, LPARAM>> TestWindow::Triples(UINT message) const {
  std::vector<std::tuple<UINT, WPARAM, LPARAM>> found;
  for (const Message& m : messages) {
    if (message == 0 || m.message == message) found.emplace_back(m.message, m.wParam, m.lParam);
  }
  return found;
}

LRESULT CALLBACK TestWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* created = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created->lpCreateParams));
  }
  auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self) {
    if (self->record && self->record(message)) {
      const bool fromOtherThread = (InSendMessageEx(nullptr) & ISMEX_SEND) != 0;
      self->messages.push_back({message, wParam, lParam, fromOtherThread});
    }
    if (self->answer) {
      if (const std::optional<LRESULT> result = self->answer(hwnd, message, wParam, lParam)) {
        return *result;
      }
    }
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool MakeForeground(HWND window) {
  ShowWindow(window, SW_SHOW);
  // Wine now and then refuses a background process the foreground, and a program started just
  // before may take it back once its window shows: borrow the input state of the thread that has
  // it, and ask again until the window keeps it.
  const DWORD own = GetCurrentThreadId();
  const ULONGLONG deadline = GetTickCount64() + 3000;
  do {
    const DWORD holder = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    const bool attached = holder != 0 && holder != own && AttachThreadInput(own, holder, TRUE);
    SetForegroundWindow(window);
    if (attached) AttachThreadInput(own, holder, FALSE);
    if (PumpUntil([&] { return GetForegroundWindow() == window; }, 250)) return true;
  } while (GetTickCount64() < deadline);
  return false;
}

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  const size_t slash = folder.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : folder.substr(0, slash);
}

std::wstring UniqueName(const wchar_t* stem) {
  static std::atomic<unsigned> counter{0};
  return std::wstring(stem) + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(counter++);
}

INPUT KeyInput(WORD vk, bool up, ULONG_PTR extraInfo, bool extended) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
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

INPUT MouseAt(POINT screen, DWORD flags) {
  INPUT input = MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags);
  input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  return input;
}

bool Inject(std::vector<INPUT> inputs) {
  return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

std::vector<HWND> TopLevelWindows(const wchar_t* className, DWORD process, const wchar_t* caption) {
  std::vector<HWND> found;
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, className, caption));) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (process == 0 || owner == process) found.push_back(w);
  }
  return found;
}

HWND WaitForWindow(const wchar_t* className, DWORD process, const wchar_t* caption,
                   DWORD timeoutMs) {
  HWND found = nullptr;
  PumpUntil(
      [&] {
        for (HWND w : TopLevelWindows(className, process, caption)) {
          if (IsWindowVisible(w)) return (found = w) != nullptr;
        }
        return false;
      },
      timeoutMs);
  return found;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const wchar_t* className) {
  std::vector<HWND> found;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (lstrcmpiW(name, className) == 0) found.push_back(child);
  }
  return found;
}

std::wstring WindowText(HWND window) {
  std::vector<wchar_t> text(1024);
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, 2000, &copied)) {
    return {};
  }
  return std::wstring(text.data(), copied);
}

std::optional<std::wstring> AnswerBox(int button, DWORD timeoutMs) {
  HWND box = WaitForWindow(L"#32770", GetCurrentProcessId(), L"Tavion", timeoutMs);
  if (!box) return std::nullopt;
  const std::wstring text = WindowText(GetDlgItem(box, 0xFFFF));
  PostMessageW(box, WM_COMMAND, button, 0);
  PumpUntil([box] { return !IsWindow(box); });
  return text;
}

HWND FocusIn(HWND window) {
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof gui;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui);
  return gui.hwndFocus;
}

Process::~Process() {
  if (info.hProcess == nullptr) return;
  if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(info.hProcess, 99);
    WaitForSingleObject(info.hProcess, 5000);
  }
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
}

bool Process::Start(std::wstring commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  return CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info) != FALSE;
}

std::optional<DWORD> Process::WaitForExit(DWORD timeoutMs) const {
  DWORD code = 0;
  if (!PumpUntil([&] { return WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0; },
                 timeoutMs) ||
      !GetExitCodeProcess(info.hProcess, &code)) {
    return std::nullopt;
  }
  return code;
}

bool PumpEachUntil(const std::function<bool()>& done, const std::function<void()>& each,
                   DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!done()) {
    if (GetTickCount64() >= deadline) return false;
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    each();
  }
  return true;
}

bool WaitForQueued(HWND window, UINT message, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  MSG queued;
  while (!PeekMessageW(&queued, window, message, message, PM_NOREMOVE)) {
    if (GetTickCount64() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_POSTMESSAGE);
  }
  return true;
}

bool SaveScreenshot(const std::string& name) {
  const char* folder = std::getenv("TAVION_SCREENSHOTS");
  if (!folder || !*folder) return false;
  const std::string target = std::string(folder) + "/" + name + ".png";
  // The unix path as seen from Wine's Z: drive, to check for the finished file.
  std::wstring winTarget = L"Z:";
  for (char c : target) winTarget += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  DeleteFileW(winTarget.c_str());

  // Written under another name first and renamed, so the file appears only when complete.
  std::string command = "/bin/sh -c \"mkdir -p '" + std::string(folder) +
                        "' && import -window root '" + target + ".part.png' && mv '" + target +
                        ".part.png' '" + target + "'\"";
  std::wstring wideCommand(command.begin(), command.end());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, wideCommand.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return false;
  }
  // A Unix process started by Wine gives no waitable handle; the renamed file is the signal.
  if (info.hThread) CloseHandle(info.hThread);
  if (info.hProcess) CloseHandle(info.hProcess);
  return PumpUntil([&] { return GetFileAttributesW(winTarget.c_str()) != INVALID_FILE_ATTRIBUTES; },
                   20000);
}

bool WriteWholeFile(const std::wstring& path, std::string_view bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool whole =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size();
  CloseHandle(file);
  return whole;
}

}  // namespace wine_test
