#include "pipeline/session_notifications_win.h"

#include <wtsapi32.h>

namespace tavion {

bool SessionNotifications::Register(HWND window) {
  Unregister();
  if (!WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION)) return false;
  window_ = window;
  return true;
}

void SessionNotifications::Unregister() {
  if (!window_) return;
  // A failure leaves nothing that could still be undone.
  WTSUnRegisterSessionNotification(window_);
  window_ = nullptr;
}

}  // namespace tavion
