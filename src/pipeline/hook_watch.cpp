#include "pipeline/hook_watch.h"

namespace tavion {

bool HookWatch::OnKeyboardEvent(const KeyEventRecord& event) {
  // One writer: a load and a store, no read-modify-write on every key.
  eventsSeen_.store(eventsSeen_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
  // The exchange runs only on the first event after the check stopped.
  if (!awake_.load(std::memory_order_relaxed) &&
      !awake_.exchange(true, std::memory_order_relaxed) && !wake_(context_)) {
    awake_.store(false, std::memory_order_relaxed);  // the next event asks again
  }
  const bool probe = event.vkCode == kHookProbeKey && event.extraInfo == OwnInputMark &&
                     (event.flags & kKeyFlagReleased) != 0;
  if (probe) probeSeen_.store(true, std::memory_order_relaxed);
  return probe;
}

}  // namespace tavion
