// The key handler per key event, for a key that no action has and for a hot key, with 10 to
// 10,000 actions: the cost must not grow with the number of actions.
#include <benchmark/benchmark.h>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "pipeline/key_dispatch.h"
#include "profile_fixture.h"
#include "settings/settings.h"

namespace tavion {
namespace {

class NoKeysDown final : public KeyState {
 public:
  bool IsDown(uint8_t, bool) const override { return false; }
};

class NoWindows final : public WindowSystem {
 public:
  WindowHandle ForegroundWindow() const override { return 0; }
  std::vector<WindowHandle> TopLevelWindows() const override { return {}; }
  std::string ClassName(WindowHandle) const override { return {}; }
  std::string Caption(WindowHandle) const override { return {}; }
  bool BringToForeground(WindowHandle) override { return false; }
};

// A system where nothing happens; counts the requests so that they cannot be optimised away.
class QuietHost final : public DispatchHost {
 public:
  const KeyState& Keys() const override { return keys_; }
  WindowSystem& Windows() override { return windows_; }
  bool EditorVisible() const override { return false; }
  uint32_t TickCount() const override { return 0; }
  uint32_t ForegroundKeyboardLayout() const override { return 0x04090409; }
  void PlayKeyPressSound(uint16_t) override {}
  WindowHandle TopLevelWindowUnderCursor() const override { return 0; }
  WindowHandle DesktopWindow() const override { return 0; }
  void Beep() override {}
  void SendKeys(std::span<const KeyInput>) override {}
  bool PostExecute(const std::string&, uint32_t) override {
    ++requests;
    return true;
  }
  bool PostAskLaunch(std::size_t, uint32_t) override { return true; }
  void NotifyLockState(uint8_t) override {}
  std::vector<std::string>* RecordingList() override { return nullptr; }

  std::size_t requests = 0;

 private:
  NoKeysDown keys_;
  NoWindows windows_;
};

// Key-down and key-up of `keyCode` (no modifier held) through a dispatcher over a profile of
// state.range(0) actions, whose hot keys are Ctrl + a letter, plus one action on F1 at the end.
void BM_KeyDispatch(benchmark::State& state, uint8_t keyCode, bool fires) {
  ResetSettings();
  TActionsList list;
  ActionTree tree;
  FillProfile(list, tree, static_cast<int>(state.range(0)) - 1);
  TAction& last = list.Add();
  last.SetExec("srun");
  last.Key0().SetHKey(PackHotKey(112, 0, 0, 0));
  tree.Rebuild(list, [](TAction& a) { return a.Name(); });

  QuietHost host;
  HotKeyDispatcher dispatcher(host);
  dispatcher.Rebuild(tree);
  const KeyEventRecord down{keyCode, 59, 0, 0, 0};
  const KeyEventRecord up{keyCode, 59, kKeyFlagReleased, 0, 0};
  for (auto _ : state) {
    benchmark::DoNotOptimize(dispatcher.OnKeyEvent(kWmKeyDown, &down));
    benchmark::DoNotOptimize(dispatcher.OnKeyEvent(kWmKeyUp, &up));
  }
  if ((host.requests != 0) != fires) state.SkipWithError("unexpected requests");
  state.SetItemsProcessed(2 * state.iterations());
  ResetSettings();
}

BENCHMARK_CAPTURE(BM_KeyDispatch, non_matching_key, 113, false)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000);
// A letter without Ctrl: many actions share its key code, none its modifiers.
BENCHMARK_CAPTURE(BM_KeyDispatch, letter_without_modifier, 65, false)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000);
BENCHMARK_CAPTURE(BM_KeyDispatch, matching_key, 112, true)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000);

}  // namespace
}  // namespace tavion
