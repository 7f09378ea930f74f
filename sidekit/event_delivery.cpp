#include "event_delivery.h"

#include "keys/hook_messages.h"

namespace tavion::sidekit {

bool DeliverToTarget(HookTarget target, WPARAM wParam, LPARAM lParam) {
  if (!target.window) return false;
  DWORD_PTR answer = 0;
  const LRESULT sent =
      SendMessageTimeoutW(target.window, target.message, wParam, lParam,
                          SMTO_NORMAL | SMTO_ABORTIFHUNG, kReceiverTimeoutMs, &answer);
  return sent != 0 && answer == static_cast<DWORD_PTR>(kSwallowEvent);
}

}  // namespace tavion::sidekit
