#pragma once
// Windows of the test program that the window actions act on, and a fixture that runs action
// codes through the dispatcher with the window executors registered and a recording key sender.

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "actions/action.h"
#include "exec/exec_host_win.h"
#include "exec/window_actions_win.h"
#include "wine/exec/exec_test_window.h"

namespace windows_test {

struct WindowDesign {
  const wchar_t* className = L"TavionWindowsTestWindow";
  const wchar_t* caption = L"Window test";
  DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  DWORD exStyle = 0;
  HWND parent = nullptr;  // parent of a child window, owner of a top-level one
  int x = 100;
  int y = 100;
  int width = 400;
  int height = 300;
};

struct Message {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

// A window of this thread that records the scroll, system-command, language-request and
// application (WM_APP and above) messages it receives; it handles the rest as any window does.
class TestWindow {
 public:
  explicit TestWindow(const WindowDesign& design = {});
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  std::vector<Message> Of(UINT message) const;

  std::vector<Message> messages;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

// Makes `window` the foreground window; returns whether it is.
bool MakeForeground(HWND window);

// One call of the key sender.
struct SentKeyCall {
  uint8_t modifiers = 0;
  uint16_t keyOrMode = 0;
  uint16_t scanCode = 0;
  uint16_t keyFlags = 0;
  uintptr_t window = 0;
  bool restore = false;
  uint16_t delayMs = 0;
  bool withText = false;
  friend bool operator==(const SentKeyCall&, const SentKeyCall&) = default;
};

class WindowActionsTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs `code` through the dispatcher on this thread with a fresh action of the code whose
  // parameter object is of `mode`; `prepare` fills the parameters in first.
  template <typename Params>
  void Run(const char* code, tavion::TActionParamsMode mode, void (*prepare)(Params&) = nullptr) {
    tavion::TAction& action = actions.Add();
    action.SetExec(code);
    action.SetActionParamsMode(mode);
    if (prepare != nullptr) prepare(*action.ParamsAs<Params>());
    RunIndex(static_cast<int>(actions.Count() - 1));
  }
  // Runs `code` without parameters.
  void Run(const char* code);
  void RunIndex(int index);

  // The window the executors last raised with the support library's ForceForegroundWindow.
  static inline HWND raised = nullptr;
  static BOOL WINAPI RaiseAndNote(HWND window);

  exec_test::RecordingWindow mainWindow;
  tavion::TActionsList actions;
  std::unique_ptr<tavion::WinExecHost> host;
  std::vector<SentKeyCall> sent;
  HWND focused = nullptr;  // what the focused-window service answers
};

}  // namespace windows_test
