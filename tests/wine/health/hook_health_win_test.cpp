// The health check with the real library: the hook is removed behind the check's back, as the
// system drops a hook that answered too slowly, while the user goes on typing.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

#include "keys/hook_messages.h"
#include "pipeline/hook_health_win.h"
#include "pipeline/hook_set_win.h"
#include "pipeline/sidekit_library_win.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

using wine_test::Inject;
using wine_test::KeyInput;

TEST(HookHealthWinTest, AHookLostWhileTheUserTypesIsInstalledAgainAndToldOnce) {
  SidekitLibrary library;
  ASSERT_TRUE(library.Load(wine_test::ProgramFolder().c_str()));
  wine_test::TestWindow receiver({.className = L"HookHealthReceiver"});
  MainHooks hooks;
  HookHealthMonitor monitor;  // stopped before the hooks go
  std::vector<uint32_t> keys;
  int probes = 0, reinstalls = 0;
  std::vector<bool> notices;
  receiver.answer = [&](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
    if (message != kMsgKeyEvent) return {};
    if (monitor.OnKeyMessage(lParam)) return ++probes, kSwallowEvent;
    keys.push_back(reinterpret_cast<const KeyEventRecord*>(lParam)->vkCode);
    return kPassEvent;
  };
  ASSERT_TRUE(hooks.Install(library, receiver.hwnd(), /*mouse=*/false));
  ASSERT_TRUE(monitor.Start({.reinstall = [&] { return ++reinstalls, hooks.Reinstall(); },
                             .notify = [&](bool reinstalled) { notices.push_back(reinstalled); }},
                            {.checkMs = 200, .probeBoundMs = 1000, .probeGapMs = 200}));

  // Presses `vk` (or moves the mouse, for 0) every 100 ms, as an active user does, until `done`.
  const auto keepActiveUntil = [&](WORD vk, const std::function<bool()>& done) {
    for (int i = 0; i < 80; ++i) {
      const bool sent = vk ? Inject({KeyInput(vk, false), KeyInput(vk, true)})
                           : Inject({wine_test::MouseInput(MOUSEEVENTF_MOVE)});
      if (!sent || wine_test::PumpUntil(done, 100)) return done();
    }
    return false;
  };
  // Alive: keys arrive without a probe; mouse input, which the hook does not see, is probed and
  // the probe swallowed; nothing is installed again.
  ASSERT_TRUE(keepActiveUntil(VK_F23, [&] { return keys.size() >= 20; }));
  EXPECT_EQ(0, probes);
  ASSERT_TRUE(keepActiveUntil(0, [&] { return probes > 0; }));
  EXPECT_EQ(0, reinstalls);

  for (const WORD vk : {VK_F22, VK_F21}) {
    ASSERT_TRUE(library.FreeHookEx(static_cast<int>(HookKind::kKeyboard)));
    ASSERT_TRUE(keepActiveUntil(vk, [&] { return std::ranges::count(keys, vk) > 0; }))
        << "the hook is back";
  }
  EXPECT_EQ(2, reinstalls);
  EXPECT_EQ(std::vector<bool>{true}, notices);
}

}  // namespace
}  // namespace tavion
