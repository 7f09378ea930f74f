#pragma once
// A window of the test thread standing in for the main window: it records the program's own
// messages and language requests, with the notice or code each one pointed to.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "exec/dispatcher.h"
#include "wine/support/test_support.h"

namespace exec_test {

using wine_test::PumpUntil;

struct Recorded {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  std::string code;  // WM_TV_NOTIFY: the notice's code and result; WM_TV_EXECUTE: the code
  tavion::ExecResult result;
  bool fromOtherThread = false;  // sent by another thread
};

class RecordingWindow {
 public:
  explicit RecordingWindow(bool visible = false, int x = 100, int y = 100, int width = 600,
                           int height = 400);

  HWND hwnd() const { return window_.hwnd(); }
  std::vector<Recorded> Of(UINT message) const;

  std::vector<Recorded> messages;
  // Called after the recording; handles a message when it gives a result.
  std::function<std::optional<LRESULT>(UINT message, WPARAM wParam, LPARAM lParam)> answer;

 private:
  wine_test::TestWindow window_;
};

}  // namespace exec_test
