// The key handler runs on the library's hook thread: keys are decided while the window's thread
// does something else, and what needs that thread reaches it by posted messages.
#include "pipeline/hook_dispatch_win.h"

#include <windows.h>

#include <atomic>
#include <memory>
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

TEST(HookDispatch, KeysAreDecidedWhileTheWindowThreadIsBlocked) {
  ResetSettings();
  // The keys the hook passes on reach this window once this thread takes messages again.
  wine_test::TestWindow window({.style = WS_POPUP | WS_VISIBLE});
  ASSERT_TRUE(wine_test::MakeForeground(window.hwnd()));
  TActionsList actions;
  TAction& action = actions.Add();
  action.SetExec("srun");
  action.Key0().SetHKey(PackHotKey(kHotKey, 0, 0, 0));
  ActionTree tree;
  tree.Rebuild(actions, [](TAction& a) { return a.Name(); });
  HookDispatch dispatch(window.hwnd(), nullptr, L"");
  dispatch.SetOptions({});
  dispatch.Rebuild(tree);

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
  // The hot key was swallowed, the other key went on, and the request waits for this thread.
  ASSERT_TRUE(
      wine_test::PumpUntil([&] { return window.Got(WM_TV_EXECUTE) && window.Got(WM_KEYUP); }));
  std::vector<WPARAM> keys;
  for (UINT message : {WM_KEYDOWN, WM_KEYUP})
    for (const wine_test::Message& key : window.Of(message)) keys.push_back(key.wParam);
  EXPECT_EQ((std::vector<WPARAM>{kOtherKey, kOtherKey}), keys);
  const wine_test::Message request = window.Of(WM_TV_EXECUTE).front();
  const std::unique_ptr<std::string> code(reinterpret_cast<std::string*>(request.wParam));
  EXPECT_EQ("srun", *code);
  hooks.Remove();
}

}  // namespace
}  // namespace tavion
