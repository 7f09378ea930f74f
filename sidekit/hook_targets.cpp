#include "hook_targets.h"

namespace tavion::sidekit {

namespace {

// The session namespace: one Tavion per logon session. The suffix names the layout.
constexpr wchar_t kSharedTargetsName[] = L"Local\\Sidekit32.HookTargets.1";

std::atomic<SharedTargets*> g_view{nullptr};
std::atomic<HANDLE> g_mapping{nullptr};

}  // namespace

uint64_t PackTarget(HookTarget target) {
  const auto window = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(target.window));
  return static_cast<uint64_t>(target.message) << 32 | window;
}

HookTarget UnpackTarget(uint64_t packed) {
  const auto window = static_cast<int32_t>(static_cast<uint32_t>(packed));
  return {reinterpret_cast<HWND>(static_cast<intptr_t>(window)), static_cast<UINT>(packed >> 32)};
}

SharedTargets* SharedHookTargets() {
  if (SharedTargets* view = g_view.load(std::memory_order_acquire)) return view;

  HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, /*lpAttributes=*/nullptr,
                                      PAGE_READWRITE, 0, sizeof(SharedTargets), kSharedTargetsName);
  if (!mapping) return nullptr;
  auto* view = static_cast<SharedTargets*>(
      MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(SharedTargets)));
  if (!view) {
    CloseHandle(mapping);
    return nullptr;
  }
  SharedTargets* expected = nullptr;
  if (!g_view.compare_exchange_strong(expected, view, std::memory_order_acq_rel)) {
    // Another thread of this process mapped it first; keep one view per process.
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    return expected;
  }
  g_mapping.store(mapping);
  return view;
}

void ReleaseSharedTargets() {
  if (SharedTargets* view = g_view.exchange(nullptr)) UnmapViewOfFile(view);
  if (HANDLE mapping = g_mapping.exchange(nullptr)) CloseHandle(mapping);
}

}  // namespace tavion::sidekit
