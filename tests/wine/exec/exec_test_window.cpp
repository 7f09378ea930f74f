#include "exec_test_window.h"

#include <memory>

#include "exec/main_messages.h"

namespace exec_test {

RecordingWindow::RecordingWindow(bool visible, int x, int y, int width, int height)
    : window_({.className = L"TavionExecTestWindow",
               .caption = L"Exec test",
               .style = WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0u),
               .x = x,
               .y = y,
               .width = width,
               .height = height}) {
  window_.record = [](UINT) { return false; };
  window_.answer = [this](HWND, UINT message, WPARAM wParam,
                          LPARAM lParam) -> std::optional<LRESULT> {
    if ((message >= tavion::WM_TV_CLOSE && message <= tavion::WM_TV_PROGRAM_COMMAND) ||
        message == WM_INPUTLANGCHANGEREQUEST) {
      Recorded recorded{message, wParam, lParam,
                        {},      {},     (InSendMessageEx(nullptr) & ISMEX_SEND) != 0};
      if (message == tavion::WM_TV_NOTIFY && wParam != 0 && wParam != tavion::kNotifyLockState) {
        const auto* notice = reinterpret_cast<const tavion::NotifyNotice*>(wParam);
        recorded.code = notice->code;
        recorded.result = notice->result;
      } else if (message == tavion::WM_TV_EXECUTE) {
        recorded.code = *std::unique_ptr<std::string>(reinterpret_cast<std::string*>(wParam));
      }
      messages.push_back(recorded);
    }
    return answer ? answer(message, wParam, lParam) : std::nullopt;
  };
}

std::vector<Recorded> RecordingWindow::Of(UINT message) const {
  std::vector<Recorded> found;
  for (const Recorded& m : messages) {
    if (m.message == message) found.push_back(m);
  }
  return found;
}

}  // namespace exec_test
