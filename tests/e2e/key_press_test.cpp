// The road of one key press: Tavion.exe runs with a profile whose Ctrl+Alt+P launches a program;
// another program presses Ctrl+Alt+P; the program starts and P reaches no window.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "actions/actions_registry.h"
#include "base/utf_win.h"
#include "keys/hotkey.h"
#include "settings/registry_win.h"
#include "input_sink.h"
#include "tavion_process.h"
#include "user_setup.h"

namespace tavion::e2e {
namespace {

using namespace std::chrono_literals;

// The command line the probe program reports when it was started.
std::wstring LaunchedCommandLine() {
  wchar_t text[1024] = {};
  DWORD size = sizeof text - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Quillon\\LaunchProbe", L"CommandLine",
                   RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
    return {};
  return text;
}

// The current profile "Default" with one action: Ctrl+Alt+P launches the test program with the
// parameter "%exe%\marker".
void WriteLaunchProfile() {
  TActionsList list;
  ActionTree tree;
  TAction& launch = list.Add();
  launch.SetName("Launch the test program");
  launch.SetExec("srun");
  launch.Key0().SetHKey(PackHotKey('P', 0, 0, kModCtrl | kModAlt));
  auto* params = launch.ParamsAs<TActionParamsSExec>();
  ASSERT_NE(nullptr, params);
  params->Path = WideToUtf8(TestProgramFolder()) + "\\launch_probe.exe";
  params->Parm = "%exe%\\marker";
  SaveCurrentProfile(list);
}

TEST(KeyPress, CtrlAltPLaunchesTheProgramAndPReachesNoWindow) {
  WriteLaunchProfile();
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);

  InputSink sink;
  PumpMessagesFor(200ms);
  PressChord({VK_CONTROL, VK_MENU}, 'P');

  EXPECT_TRUE(WaitUntil([] { return !LaunchedCommandLine().empty(); }))
      << "the probe program was not started";
  const std::wstring expectedParameter =
      TestProgramFolder() + L"\\marker";  // "%exe%" is the program folder of Tavion.exe
  EXPECT_NE(std::wstring::npos, LaunchedCommandLine().find(expectedParameter))
      << LaunchedCommandLine();
  PumpMessagesFor(300ms);
  EXPECT_EQ(0, sink.KeyDownsOf('P')) << "the hot key is swallowed";
  EXPECT_EQ(std::wstring(), sink.typed);

  ExitConfirmed(tavion, main);
}

TEST(KeyPress, TypedTextReachesTheFocusedWindowThroughTavionsOwnHook) {
  TActionsList list;
  TAction& type = list.Add();
  type.SetName("Type a greeting");
  type.SetExec("mc_text");
  type.Key0().SetHKey(PackHotKey('T', 0, 0, kModCtrl | kModAlt));
  auto* params = type.ParamsAs<TActionParamsMacrText>();
  ASSERT_NE(nullptr, params);
  params->Text = "Hello, world";
  SaveCurrentProfile(list);

  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);
  InputSink sink;
  PumpMessagesFor(200ms);
  const auto start = std::chrono::steady_clock::now();
  PressChord({VK_CONTROL, VK_MENU}, 'T');
  // The line break that ends the text is not typed.
  EXPECT_TRUE(WaitUntil([&] { return sink.typed.size() >= 12; }, 20s)) << sink.typed.size();
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  EXPECT_EQ(L"Hello, world", sink.typed);
  PumpMessagesFor(300ms);
  for (int key : {VK_CONTROL, VK_MENU, VK_SHIFT, VK_LWIN})
    EXPECT_FALSE(GetAsyncKeyState(key) & 0x8000) << "key " << key << " is left down";
  std::printf("12 characters typed through Tavion's own hook in %lld ms\n",
              static_cast<long long>(took.count()));
  ExitConfirmed(tavion, main);
}

}  // namespace
}  // namespace tavion::e2e
