#pragma once
// A top-level window of the test thread standing in for the main window: it records the
// messages the dispatcher sends or posts to it.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "exec/dispatcher.h"

namespace exec_test {

// Handles this thread's messages until `done` holds or `timeoutMs` passes; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);

struct Recorded {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  std::string code;  // WM_TV_NOTIFY: the notice's code and result
  tavion::ExecResult result;
  bool fromOtherThread = false;  // sent by another thread
};

class RecordingWindow {
 public:
  // Visible at (x, y) with the given size when `visible`.
  explicit RecordingWindow(bool visible = false, int x = 100, int y = 100, int width = 600,
                           int height = 400);
  ~RecordingWindow();
  RecordingWindow(const RecordingWindow&) = delete;
  RecordingWindow& operator=(const RecordingWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  // The recorded messages with this number.
  std::vector<Recorded> Of(UINT message) const;

  std::vector<Recorded> messages;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

}  // namespace exec_test
