#pragma once
// Where hook events go: a receiving window and a message number, packed into one 64-bit word so
// that a hook procedure reads both with one load, and the named shared area through which the
// hooks that run inside other processes (menu commands, shell events) find their receivers.

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace tavion::sidekit {

struct HookTarget {
  HWND window = nullptr;
  UINT message = 0;
};

// Window handles have 32 significant bits in 32- and 64-bit processes alike (the system
// sign-extends them), so a target packs into 64 bits that both builds read the same way.
uint64_t PackTarget(HookTarget target);
HookTarget UnpackTarget(uint64_t packed);

// One receiver, written by the installing thread and read by hook procedures on any thread.
class TargetSlot {
 public:
  void Set(HookTarget target) { packed_.store(PackTarget(target), std::memory_order_release); }
  void Clear() { packed_.store(0, std::memory_order_release); }
  // Returns a target with a null window when none is set.
  HookTarget Get() const { return UnpackTarget(packed_.load(std::memory_order_acquire)); }

 private:
  std::atomic<uint64_t> packed_{0};
};
static_assert(std::atomic<uint64_t>::is_always_lock_free, "the slot lives in shared memory");
static_assert(sizeof(TargetSlot) == 8 && alignof(TargetSlot) == 8);

// The area shared by the installing process and every process the menu and shell hooks run in.
// Fixed-width fields only, so the x86_64 and the i686 library agree on it; all zero (no receiver)
// when the system creates it.
struct SharedTargets {
  TargetSlot menu;
  TargetSlot shell;
};
static_assert(sizeof(SharedTargets) == 16);

// Returns this process's view of the shared area, creating the area when no process has yet.
// The view and its handle stay for the life of the process (or of the library, see
// ReleaseSharedTargets), which also keeps the area's name alive for a later installer.
// Null when the area cannot be created or mapped.
SharedTargets* SharedHookTargets();

// Unmaps this process's view; only for an explicit unload of the library, when no hook procedure
// of it can run any more.
void ReleaseSharedTargets();

}  // namespace tavion::sidekit
