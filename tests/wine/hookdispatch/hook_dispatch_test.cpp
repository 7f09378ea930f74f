// The key handler runs on the library's hook thread: keys are decided while the window's thread
// does something else, and what needs that thread reaches it by posted messages.
#include "pipeline/hook_dispatch_win.h"

#include <windows.h>

#include <algorithm>
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

class HookDispatchTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    ASSERT_TRUE(library_.Load(wine_test::ProgramFolder().c_str()));
    action_.SetExec("srun");
    action_.Key0().SetHKey(PackHotKey(kHotKey, 0, 0, 0));
  }
  // Indexes the action and installs the hooks as the main window does, with this window in front.
  void Install() {
    tree_.Rebuild(actions_, [](TAction& a) { return a.Name(); });
    dispatch_ = std::make_unique<HookDispatch>(window_.hwnd(), library_.ForceForegroundWindow, L"");
    dispatch_->Rebuild(tree_);
    hooks_.SetCalls(dispatch_->Calls());
    ASSERT_TRUE(hooks_.Install(library_, window_.hwnd(), /*mouse=*/false));
    ASSERT_TRUE(wine_test::MakeForeground(window_.hwnd()));
  }
  // The code of the first execution request, once this thread takes its messages.
  std::string Request() {
    if (!wine_test::PumpUntil([&] { return window_.Got(WM_TV_EXECUTE); })) return "none";
    return *std::unique_ptr<std::string>(
        reinterpret_cast<std::string*>(window_.Of(WM_TV_EXECUTE)[0].wParam));
  }

  // The keys the hook passes on reach this window.
  wine_test::TestWindow window_{{.style = WS_POPUP | WS_VISIBLE}};
  SidekitLibrary library_;
  TActionsList actions_;
  TAction& action_ = actions_.Add();  // run by kHotKey
  ActionTree tree_;
  std::unique_ptr<HookDispatch> dispatch_;
  MainHooks hooks_;  // removed before the handler goes
};

TEST_F(HookDispatchTest, KeysAreDecidedWhileTheWindowThreadIsBlocked) {
  // With Ctrl held, the dummy key follows, so that the Ctrl release alone means nothing.
  action_.Key0().SetHKey(PackHotKey(kHotKey, 0, 0, kModCtrl));
  action_.ActionExecOn().Rept = 3;
  Install();
  // This thread stays blocked for 5 s without taking a message, while another injects the keys.
  std::atomic<bool> blocked{true}, injectedWhileBlocked{false};
  std::thread injector([&] {
    Inject({KeyInput(VK_LCONTROL, false), KeyInput(kHotKey, false), KeyInput(kHotKey, true),
            KeyInput(VK_LCONTROL, true), KeyInput(kOtherKey, false), KeyInput(kOtherKey, true)});
    // Inject returns once the hooks have answered every key.
    injectedWhileBlocked = blocked.load();
  });
  Sleep(5000);
  blocked = false;
  injector.join();
  EXPECT_TRUE(injectedWhileBlocked);
  // The hot key was swallowed, the other keys went on, and the request waits for this thread.
  EXPECT_EQ("srun", Request());
  EXPECT_EQ(static_cast<LPARAM>(PackActionRequest(0, 3)), window_.Of(WM_TV_EXECUTE)[0].lParam);
  std::vector<WPARAM> keys;  // pressed, as the window got them
  ASSERT_TRUE(wine_test::PumpUntil([&] {
    keys.clear();
    for (const wine_test::Message& key : window_.Of(WM_KEYDOWN)) keys.push_back(key.wParam);
    return keys.size() >= 3;
  }));
  std::ranges::sort(keys);
  EXPECT_EQ((std::vector<WPARAM>{kDummyKey, VK_CONTROL, kOtherKey}), keys);
}

// The hook thread raises another program's window, which the conditions then see in front.
TEST_F(HookDispatchTest, ActivatesNotepadBeforeTheConditionThatAsksForIt) {
  TActionExecOn& on = action_.ActionExecOn();
  for (TActionExecOnWItem* item : {&on.StFW, &on.IfWa}) {
    item->Enbl = true;
    item->AddWindow("Notepad", "nil");
  }
  wine_test::Process notepad;
  ASSERT_TRUE(notepad.Start(L"notepad.exe"));
  const HWND editor = wine_test::WaitForWindow(L"Notepad", notepad.info.dwProcessId);
  ASSERT_NE(nullptr, editor);
  Install();
  ASSERT_TRUE(Inject({KeyInput(kHotKey, false), KeyInput(kHotKey, true)}));
  EXPECT_EQ("srun", Request());
  EXPECT_EQ(editor, GetForegroundWindow());
}

}  // namespace
}  // namespace tavion
