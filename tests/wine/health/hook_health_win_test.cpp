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

class HookHealthWinTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(library_.Load(wine_test::ProgramFolder().c_str()));
    receiver_.answer = [this](HWND, UINT message, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
      if (message != kMsgKeyEvent) return {};
      if (monitor_.OnKeyMessage(lParam)) {
        ++probes_;
        return kSwallowEvent;
      }
      keys_.push_back(reinterpret_cast<const KeyEventRecord*>(lParam)->vkCode);
      return kPassEvent;
    };
    ASSERT_TRUE(hooks_.Install(library_, receiver_.hwnd(), /*mouse=*/false));
    HookHealthMonitor::Actions actions;
    actions.reinstall = [this] {
      ++reinstalls_;
      return hooks_.Reinstall();
    };
    actions.notify = [this](bool reinstalled) { notices_.push_back(reinstalled); };
    ASSERT_TRUE(monitor_.Start(std::move(actions),
                               {.checkMs = 200, .probeBoundMs = 300, .probeGapMs = 200}));
  }

  // Types vk_ (or moves the mouse, for 0) every 100 ms, as an active user does, until `done`.
  bool KeepActiveUntil(const std::function<bool()>& done, DWORD timeoutMs = 8000) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
      const bool sent = vk_ ? Inject({KeyInput(vk_, false), KeyInput(vk_, true)})
                            : Inject({wine_test::MouseInput(MOUSEEVENTF_MOVE)});
      if (!sent || wine_test::PumpUntil(done, 100)) return sent;
    }
    return false;
  }
  bool Saw(WORD vk) const { return std::ranges::count(keys_, vk) > 0; }

  SidekitLibrary library_;
  wine_test::TestWindow receiver_{{.className = L"HookHealthReceiver"}};
  MainHooks hooks_;
  HookHealthMonitor monitor_;  // stopped before the hooks go
  std::vector<uint32_t> keys_;
  int probes_ = 0;
  int reinstalls_ = 0;
  std::vector<bool> notices_;
  WORD vk_ = VK_F23;
};

TEST_F(HookHealthWinTest, AHookLostWhileTheUserTypesIsInstalledAgainAndToldOnce) {
  // Alive: the keys arrive without a probe; mouse input, which the hook does not see, is probed
  // and the probe arrives; nothing is installed again.
  ASSERT_TRUE(KeepActiveUntil([&] { return keys_.size() >= 20; }));
  EXPECT_EQ(0, probes_);
  vk_ = 0;
  ASSERT_TRUE(KeepActiveUntil([&] { return probes_ > 0; }));
  EXPECT_EQ(0, reinstalls_);

  for (int loss = 1; loss <= 2; ++loss) {
    SCOPED_TRACE(loss);
    ASSERT_TRUE(library_.FreeHookEx(static_cast<int>(HookKind::kKeyboard)));
    keys_.clear();
    vk_ = loss == 1 ? VK_F22 : VK_F21;
    ASSERT_TRUE(KeepActiveUntil([&] { return Saw(vk_); })) << "the hook is back";
    EXPECT_EQ(loss, reinstalls_);
  }
  EXPECT_EQ(std::vector<bool>{true}, notices_);
}

}  // namespace
}  // namespace tavion
