// The key handler behind a window that Sidekit32's hooks report to, with keys from SendInput.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "pipeline/hook_set_win.h"
#include "pipeline/key_dispatch.h"
#include "pipeline/key_dispatch_host_win.h"
#include "pipeline/sidekit_library_win.h"
#include "settings/settings.h"
#include "test_windows.h"
#include "exec/main_messages.h"

namespace tavion {
namespace {

using sidekit_test::FocusWindow;
using sidekit_test::Inject;
using sidekit_test::KeyInput;
using sidekit_test::ProgramFolder;
using sidekit_test::PumpUntil;

constexpr wchar_t kWindowClass[] = L"TavionDispatchTestWindow";

struct Posted {
  UINT message;
  std::string code;  // WM_TV_EXECUTE only
  WPARAM wParam;
  LPARAM lParam;
};

// The main window's part in dispatch: hands the hook messages to the handler and records what
// the handler posts to it.
class DispatchWindow {
 public:
  DispatchWindow() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &DispatchWindow::Procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);  // fails harmlessly when the class exists
    hwnd_ = CreateWindowExW(0, kWindowClass, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                            wc.hInstance, this);
  }
  ~DispatchWindow() { DestroyWindow(hwnd_); }
  DispatchWindow(const DispatchWindow&) = delete;
  DispatchWindow& operator=(const DispatchWindow&) = delete;

  HWND hwnd() const { return hwnd_; }

  HotKeyDispatcher* dispatcher = nullptr;
  std::vector<Posted> posted;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* self =
          static_cast<DispatchWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<DispatchWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
      case kMsgKeyEvent:
        return self->dispatcher ? self->dispatcher->HandleKeyMessage(wParam, lParam) : 0;
      case WM_TV_EXECUTE: {
        std::unique_ptr<std::string> code(reinterpret_cast<std::string*>(wParam));
        self->posted.push_back({message, *code, 0, lParam});
        Settings().ActionBusy = false;  // as the notification would
        return 0;
      }
      case WM_TV_ASK_LAUNCH:
        self->posted.push_back({message, {}, wParam, lParam});
        return 0;
      default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
  }

  HWND hwnd_ = nullptr;
};

class DispatchWinTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    ASSERT_TRUE(library_.Load(ProgramFolder().c_str()));
    ASSERT_NE(nullptr, window_.hwnd());
    window_.dispatcher = &dispatcher_;
    ASSERT_TRUE(hooks_.Install(library_, window_.hwnd(), /*mouse=*/false));
  }
  void TearDown() override {
    hooks_.Remove();
    // A key that is still down in the system would spoil the next test's modifier mask.
    Inject({KeyInput(VK_LCONTROL, true)});
    ResetSettings();
  }

  void AddAction(std::string_view code, uint32_t hkey, bool ask = false, int16_t repeat = 0) {
    TAction& action = list_.Add();
    action.SetName("action");
    action.SetExec(code);
    action.Key0().SetHKey(hkey);
    action.ActionExecOn().MBox = ask;
    action.ActionExecOn().Rept = repeat;
    tree_.Rebuild(list_, [](TAction& a) { return a.Name(); });
    dispatcher_.Rebuild(tree_);
  }

  // Presses `vk` and then an unbound key; once the focus window has the unbound key, the hooks
  // are done with `vk` too.
  bool PressThenMarker(WORD vk) {
    return Inject({KeyInput(vk, false), KeyInput(vk, true), KeyInput(kMarker, false),
                   KeyInput(kMarker, true)}) &&
           PumpUntil([&] { return focus_.GotKey(kMarker); });
  }

  static constexpr WORD kMarker = VK_F15;

  SidekitLibrary library_;
  DispatchWindow window_;
  Win32DispatchHost host_{window_.hwnd(), nullptr, ProgramFolder() + L"\\Resource"};
  HotKeyDispatcher dispatcher_{host_};
  TActionsList list_;
  ActionTree tree_;
  MainHooks hooks_;
  FocusWindow focus_;
};

TEST_F(DispatchWinTest, HotKeyIsSwallowedAndTheRequestArrives) {
  AddAction("srun", PackHotKey(VK_F1, 0, 0, 0));
  AddAction("wa_play", PackHotKey(VK_F13, 0, 0, 0), /*ask=*/false, /*repeat=*/3);
  ASSERT_TRUE(PressThenMarker(VK_F13));
  ASSERT_TRUE(PumpUntil([&] { return !window_.posted.empty(); }));
  EXPECT_FALSE(focus_.GotKey(VK_F13));
  ASSERT_EQ(1u, window_.posted.size());
  EXPECT_EQ(static_cast<UINT>(WM_TV_EXECUTE), window_.posted[0].message);
  EXPECT_EQ("wa_play", window_.posted[0].code);
  EXPECT_EQ(static_cast<LPARAM>(PackActionRequest(1, 3)), window_.posted[0].lParam);
}

TEST_F(DispatchWinTest, UnboundKeyPassesAndStartsNothing) {
  AddAction("srun", PackHotKey(VK_F13, 0, 0, kModCtrl));
  ASSERT_TRUE(PressThenMarker(VK_F13));  // F13 without Ctrl is not the hot key
  EXPECT_TRUE(focus_.GotKey(VK_F13));
  sidekit_test::PumpFor(50);
  EXPECT_TRUE(window_.posted.empty());
}

TEST_F(DispatchWinTest, HotKeyWithCtrlIsFollowedByTheDummyKey) {
  AddAction("srun", PackHotKey(VK_F14, 0, 0, kModCtrl));
  ASSERT_TRUE(Inject({KeyInput(VK_LCONTROL, false)}));
  ASSERT_TRUE(PumpUntil([&] { return focus_.GotKey(VK_CONTROL); }));
  ASSERT_TRUE(Inject({KeyInput(VK_F14, false), KeyInput(VK_F14, true)}));
  ASSERT_TRUE(PumpUntil([&] { return focus_.GotKey(kDummyKey); }));
  ASSERT_TRUE(Inject({KeyInput(VK_LCONTROL, true)}));
  ASSERT_TRUE(PressThenMarker(VK_F16));
  EXPECT_FALSE(focus_.GotKey(VK_F14));
  ASSERT_EQ(1u, window_.posted.size());
  EXPECT_EQ("srun", window_.posted[0].code);
}

TEST_F(DispatchWinTest, WinHotKeyReplacesTheWinReleaseByOurOwn) {
  AddAction("srun", PackHotKey('E', 0, 0, kModWin));
  ASSERT_TRUE(Inject({KeyInput(VK_LWIN, false, 0, /*extended=*/true)}));
  ASSERT_TRUE(PumpUntil([&] { return focus_.GotKey(VK_LWIN); }));
  ASSERT_TRUE(Inject(
      {KeyInput('E', false), KeyInput('E', true), KeyInput(VK_LWIN, true, 0, /*extended=*/true)}));
  ASSERT_TRUE(PressThenMarker(VK_F16));
  EXPECT_FALSE(focus_.GotKey('E'));
  // One dummy key after E, one before our own Win release, which left Win up.
  EXPECT_EQ(2, std::count(focus_.keysDown.begin(), focus_.keysDown.end(), kDummyKey));
  EXPECT_EQ(0, GetAsyncKeyState(VK_LWIN) & 0x8000);
  EXPECT_EQ(1u, window_.posted.size());
}

TEST_F(DispatchWinTest, AskBeforeLaunchPostsTheQuestion) {
  AddAction("srun", PackHotKey(VK_F13, 0, 0, 0), /*ask=*/true);
  ASSERT_TRUE(PressThenMarker(VK_F13));
  ASSERT_TRUE(PumpUntil([&] { return !window_.posted.empty(); }));
  EXPECT_FALSE(focus_.GotKey(VK_F13));
  EXPECT_EQ(static_cast<UINT>(WM_TV_ASK_LAUNCH), window_.posted[0].message);
  EXPECT_EQ(0u, window_.posted[0].wParam);
  EXPECT_EQ(static_cast<LPARAM>(PackActionRequest(0, 0)), window_.posted[0].lParam);
}

// The calls a stand-in for Sidekit32 gets: "+kind" installs, "-kind" removes.
std::vector<std::string> g_hookCalls;

BOOL WINAPI RecordInitHook(void*, int kind, HWND, UINT) {
  g_hookCalls.push_back("+" + std::to_string(kind));
  return TRUE;
}

BOOL WINAPI RecordFreeHook(int kind) {
  g_hookCalls.push_back("-" + std::to_string(kind));
  return TRUE;
}

TEST(MainHooksTest, SwitchingTheMouseHookInstallsOrRemovesThatOneAlone) {
  SidekitLibrary library;
  library.InitHookEx = &RecordInitHook;
  library.FreeHookEx = &RecordFreeHook;
  const HWND receiver = GetDesktopWindow();
  MainHooks hooks;
  const struct {
    bool mouse;
    std::vector<std::string> calls;
  } steps[] = {
      {false, {"+6", "+2"}},  // shell, then keyboard
      {true, {"+4"}},
      {true, {}},
      {false, {"-4"}},
  };
  for (const auto& step : steps) {
    g_hookCalls.clear();
    EXPECT_TRUE(hooks.Install(library, receiver, step.mouse));
    EXPECT_EQ(step.calls, g_hookCalls) << "mouse " << step.mouse;
  }
  g_hookCalls.clear();
  hooks.Remove();
  EXPECT_EQ((std::vector<std::string>{"-2", "-6"}), g_hookCalls);
}

}  // namespace
}  // namespace tavion
