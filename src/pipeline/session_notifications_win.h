#pragma once
// Session changes (WM_WTSSESSION_CHANGE) for the main window: while the session is locked or
// switched away, the hooks see no key events, so the key handler must take the keyboard's state
// afresh when the user comes back.

#include <windows.h>

namespace tavion {

class SessionNotifications {
 public:
  SessionNotifications() = default;
  ~SessionNotifications() { Unregister(); }
  SessionNotifications(const SessionNotifications&) = delete;
  SessionNotifications& operator=(const SessionNotifications&) = delete;

  // Has the session's changes reported to `window` as WM_WTSSESSION_CHANGE. Returns whether the
  // system took the registration.
  bool Register(HWND window);
  // Ends the reports; call it before the window is destroyed. Safe to call twice.
  void Unregister();

 private:
  HWND window_ = nullptr;
};

}  // namespace tavion
