#include "sidekit_test.h"

#include <algorithm>

namespace sidekit_test {

HMODULE SidekitModule() {
  static const HMODULE module =
      LoadLibraryW((wine_test::ProgramFolder() + L"\\Sidekit32.dll").c_str());
  return module;
}

Receiver::Receiver() : window_(wine_test::WindowDesign{.className = L"SidekitTestReceiver"}) {
  window_.record = [](UINT) { return false; };
  window_.answer = [this](HWND, UINT message, WPARAM wParam,
                          LPARAM lParam) -> std::optional<LRESULT> {
    if (message < tavion::kMsgMenuCommand || message > tavion::kMsgCaptureHidKey) return {};
    Received event{message, wParam, lParam, {}, {}};
    const bool key = message == tavion::kMsgKeyEvent || message == tavion::kMsgCaptureKeyEvent;
    if (records && key) {
      event.key = *reinterpret_cast<const tavion::KeyEventRecord*>(lParam);
    } else if (records && message >= tavion::kMsgMouseEvent &&
               message <= tavion::kMsgCaptureMouseEvent) {
      event.mouse = *reinterpret_cast<const tavion::MouseEventRecord*>(lParam);
    }
    events.push_back(event);
    return answer ? answer(event) : tavion::kPassEvent;
  };
}

size_t Receiver::Downs(WORD vk) const {
  return std::count_if(events.begin(), events.end(), [vk](const Received& e) {
    return e.key.vkCode == vk && (e.key.flags & tavion::kKeyFlagReleased) == 0;
  });
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

bool Inject(std::vector<INPUT> inputs) {
  return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

PeerProcess::PeerProcess(const std::wstring& windowClass) {
  std::wstring commandLine =
      L"\"" + wine_test::ProgramFolder() + L"\\sidekit_test_peer.exe\" " + windowClass;
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
  if (!process_) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

HWND PeerProcess::WaitForWindow(const std::wstring& className) {
  HWND window = nullptr;
  wine_test::PumpUntil([&] { return (window = FindWindowW(className.c_str(), nullptr)); }, 10000);
  return window;
}

}  // namespace sidekit_test
