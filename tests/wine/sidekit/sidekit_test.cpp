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

}  // namespace sidekit_test
