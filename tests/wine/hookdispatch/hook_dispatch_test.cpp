// The key handler runs on the library's hook thread: keys are decided while the window's thread
// does something else, and what needs that thread reaches it by posted messages.
#include "pipeline/hook_dispatch_win.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "exec/main_messages.h"
#include "pipeline/sidekit_library_win.h"
#include "settings/settings.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

using wine_test::Inject;
using wine_test::KeyInput;

constexpr WORD kHotKey = VK_F13, kOtherKey = VK_F14;

// A low-level hook of a thread of its own, installed before the library's, so that it sees only
// what the library's hook passed on.
class Witness {
 public:
  Witness() {
    thread_ = std::thread([this] {
      MSG msg;
      PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
      threadId_ = GetCurrentThreadId();
      self_ = this;
      HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, &Proc, GetModuleHandleW(nullptr), 0);
      ready_ = hook != nullptr ? 1 : -1;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
      if (hook) UnhookWindowsHookEx(hook);
    });
    while (ready_ == 0) Sleep(1);
  }
  ~Witness() {
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  }
  bool Installed() const { return ready_ == 1; }
  // The key-ups seen, in order.
  std::vector<DWORD> Ups() {
    std::vector<DWORD> ups;
    for (int i = 0; i < count_.load(); ++i) ups.push_back(ups_[i]);
    return ups;
  }

 private:
  static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam) {
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (code == HC_ACTION && wParam == WM_KEYUP && self_->count_ < 16)
      self_->ups_[self_->count_++] = key->vkCode;
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static inline Witness* self_ = nullptr;
  std::thread thread_;
  DWORD threadId_ = 0;
  std::atomic<int> ready_{0};
  DWORD ups_[16] = {};
  std::atomic<int> count_{0};
};

TEST(HookDispatch, KeysAreDecidedWhileTheWindowThreadIsBlocked) {
  ResetSettings();
  wine_test::TestWindow window;
  TActionsList actions;
  TAction& action = actions.Add();
  action.SetExec("srun");
  action.Key0().SetHKey(PackHotKey(kHotKey, 0, 0, 0));
  ActionTree tree;
  tree.Rebuild(actions, [](TAction& a) { return a.Name(); });
  HookDispatch dispatch(window.hwnd(), nullptr, L"");
  dispatch.SetOptions({});
  dispatch.Rebuild(tree);

  Witness witness;
  ASSERT_TRUE(witness.Installed());
  SidekitLibrary library;
  ASSERT_TRUE(library.Load(wine_test::ProgramFolder().c_str()));
  ASSERT_NE(nullptr, library.InitHookCall);
  MainHooks hooks;
  hooks.SetCalls(dispatch.Calls());
  ASSERT_TRUE(hooks.Install(library, window.hwnd(), /*mouse=*/false));

  // This thread stays blocked for 5 s without taking a message, while another injects the keys.
  std::atomic<bool> blocked{true}, injectedWhileBlocked{false};
  std::thread injector([&] {
    Inject({KeyInput(kHotKey, false), KeyInput(kHotKey, true), KeyInput(kOtherKey, false),
            KeyInput(kOtherKey, true)});
    // Inject returns once the hooks have answered every key.
    injectedWhileBlocked = blocked.load();
  });
  Sleep(5000);
  blocked = false;
  injector.join();
  EXPECT_TRUE(injectedWhileBlocked);
  // The hot key was swallowed at once, the other key went on: no hook waited for this thread.
  EXPECT_EQ(std::vector<DWORD>{kOtherKey}, witness.Ups());
  // The request waits for this thread, posted.
  ASSERT_TRUE(wine_test::PumpUntil([&] { return window.Got(WM_TV_EXECUTE); }));
  const wine_test::Message request = window.Of(WM_TV_EXECUTE).front();
  const std::unique_ptr<std::string> code(reinterpret_cast<std::string*>(request.wParam));
  EXPECT_EQ("srun", *code);
  hooks.Remove();
}

}  // namespace
}  // namespace tavion
