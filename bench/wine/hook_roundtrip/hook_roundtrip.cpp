// Time from SendInput of one key event until the hook's consumer has seen it, for
//   message:    Sidekit32 kind 2, delivered by message to a receiver window of this thread that
//               answers 0, or that runs the key handler over 1,000 actions (the way other programs
//               and the raw-input layer reach it);
//   call:       Sidekit32 kind 2 calling the key handler over 1,000 actions on the library's hook
//               thread (InitHookCall, as Tavion installs it), once for a key that no action has
//               and once for a hot key (swallowed, request posted);
//   bare:       a WH_KEYBOARD_LL hook of this thread that only counts;
//   bare+thread: a WH_KEYBOARD_LL hook on a thread of its own that only counts.
// The modes take turns in blocks, so drift in the system affects them alike.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "keys/hook_messages.h"
#include "pipeline/hook_dispatch_win.h"
#include "profile_fixture.h"
#include "settings/settings.h"
#include "sidekit.h"
#include "exec/main_messages.h"

namespace {

constexpr int kRounds = 5;
constexpr int kWarmUp = 50;
constexpr WORD kKey = VK_F24;  // does nothing wherever it lands
constexpr int kActions = 1000;

std::atomic<long> g_seen{0};
// The key handler the receiver runs, or null to answer 0 at once.
tavion::HookDispatch* g_dispatcher = nullptr;
// The handler's own receiver on the hook thread, which CountingCall wraps.
tavion::HookCalls g_calls;

LRESULT WINAPI CountingCall(void*, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = g_calls.keyboard(g_calls.context, wParam, lParam);
  g_seen.fetch_add(1, std::memory_order_relaxed);
  return result;
}

LRESULT CALLBACK ReceiverProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == tavion::kMsgKeyEvent) {
    const LRESULT result =
        g_dispatcher ? g_dispatcher->OnKeyMessage(wParam, lParam) : tavion::kPassEvent;
    g_seen.fetch_add(1, std::memory_order_relaxed);
    return result;
  }
  if (message == tavion::WM_TV_EXECUTE) {
    delete reinterpret_cast<std::string*>(wParam);
    tavion::Settings().ActionBusy = false;  // as the notification of the executed action would
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK CountingHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) g_seen.fetch_add(1, std::memory_order_relaxed);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

double Now() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / frequency;
}

// Injects one key event and waits, handling this thread's messages, until it has been seen.
// Returns the time taken in microseconds, or a negative number when it was not seen in time.
double RoundTrip(bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = kKey;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  const long before = g_seen.load();
  const double start = Now();
  if (SendInput(1, &input, sizeof input) != 1) return -1;
  while (g_seen.load() == before) {
    if (Now() - start > 2.0) return -1;
    MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  return (Now() - start) * 1e6;
}

// A bare hook on a thread of its own, as the library runs its hooks.
class HookThread {
 public:
  HookThread() {
    std::atomic<bool> ready{false};
    thread_ = std::thread([&] {
      MSG msg;
      PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
      threadId_ = GetCurrentThreadId();
      HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, &CountingHook, GetModuleHandleW(nullptr), 0);
      ready = true;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
      if (hook) UnhookWindowsHookEx(hook);
    });
    while (!ready) Sleep(1);
  }
  ~HookThread() {
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  }

 private:
  std::thread thread_;
  DWORD threadId_ = 0;
};

struct Mode {
  const char* name;
  std::vector<double> samples;
};

// Runs `events` round trips (down and up in turn) and adds them to `mode`; false on a lost event.
bool Measure(Mode& mode, int events, bool record) {
  for (int i = 0; i < events; ++i) {
    const double micros = RoundTrip(i % 2 == 1);
    if (micros < 0) {
      std::fprintf(stderr, "%s: an event was not seen\n", mode.name);
      return false;
    }
    if (record) mode.samples.push_back(micros);
  }
  return true;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Mean(const std::vector<double>& values) {
  return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int perBlock = argc > 1 ? _wtoi(argv[1]) : 400;
  if (perBlock < 2) perBlock = 2;
  perBlock -= perBlock % 2;  // every key that goes down comes up again

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &ReceiverProcedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"HookRoundTripReceiver";
  RegisterClassExW(&wc);
  const HWND receiver = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                                        nullptr, wc.hInstance, nullptr);
  if (!receiver) return 1;

  // Resolved by name, as Tavion does (the i686 import library has no decorated names).
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring libraryPath = path;
  libraryPath = libraryPath.substr(0, libraryPath.find_last_of(L'\\')) + L"\\Sidekit32.dll";
  const HMODULE sidekit = LoadLibraryW(libraryPath.c_str());
  const auto initHook = reinterpret_cast<InitHookExFn>(
      reinterpret_cast<void*>(GetProcAddress(sidekit, "InitHookEx")));
  const auto freeHook = reinterpret_cast<FreeHookExFn>(
      reinterpret_cast<void*>(GetProcAddress(sidekit, "FreeHookEx")));
  const auto initCall = reinterpret_cast<InitHookCallFn>(
      reinterpret_cast<void*>(GetProcAddress(sidekit, "InitHookCall")));
  if (!initHook || !freeHook || !initCall) {
    std::fprintf(stderr, "Sidekit32.dll not found beside the program\n");
    return 1;
  }

  // 1,000 actions on Ctrl + letters; for the hot-key mode, one more on the measured key.
  tavion::TActionsList actions;
  tavion::ActionTree tree;
  tavion::FillProfile(actions, tree, kActions);
  tavion::ActionTree treeWithKey;
  tavion::TActionsList actionsWithKey;
  tavion::FillProfile(actionsWithKey, treeWithKey, kActions);
  tavion::TAction& hotKey = actionsWithKey.Add();
  hotKey.SetExec("srun");
  hotKey.Key0().SetHKey(tavion::PackHotKey(kKey, 0, 0, 0));
  treeWithKey.Rebuild(actionsWithKey, [](tavion::TAction& a) { return a.Name(); });
  tavion::HookDispatch unbound(receiver, nullptr, L"");
  unbound.SetOptions({});
  unbound.Rebuild(tree);
  tavion::HookDispatch bound(receiver, nullptr, L"");
  bound.SetOptions({});
  bound.Rebuild(treeWithKey);

  Mode library{"message, receiver answers 0", {}};
  Mode handler{"message, handler, unbound key", {}};
  Mode call{"call, handler, unbound key", {}};
  Mode callHit{"call, handler, hot key", {}};
  Mode bare{"bare WH_KEYBOARD_LL on this thread", {}};
  Mode bareThread{"bare WH_KEYBOARD_LL on its own thread", {}};
  unsigned char scratch[12] = {};

  for (int round = 0; round <= kRounds; ++round) {
    const bool record = round > 0;  // round 0 warms every path up
    const int events = record ? perBlock : kWarmUp;

    if (!initHook(scratch, static_cast<int>(tavion::HookKind::kKeyboard), receiver,
                  tavion::kMsgKeyEvent)) {
      std::fprintf(stderr, "InitHookEx failed\n");
      return 1;
    }
    const bool libraryOk = Measure(library, events, record);
    g_dispatcher = &unbound;
    const bool handlerOk = Measure(handler, events, record);
    g_dispatcher = nullptr;
    bool callOk = true;
    for (auto [dispatch, mode] : {std::pair{&unbound, &call}, std::pair{&bound, &callHit}}) {
      g_calls = dispatch->Calls();
      callOk = callOk &&
               initCall(static_cast<int>(tavion::HookKind::kKeyboard), &CountingCall, nullptr) &&
               Measure(*mode, events, record);
    }
    freeHook(static_cast<int>(tavion::HookKind::kKeyboard));

    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, &CountingHook, GetModuleHandleW(nullptr), 0);
    const bool bareOk = hook && Measure(bare, events, record);
    if (hook) UnhookWindowsHookEx(hook);

    bool bareThreadOk = false;
    {
      HookThread thread;
      bareThreadOk = Measure(bareThread, events, record);
    }
    if (!libraryOk || !handlerOk || !callOk || !bareOk || !bareThreadOk) return 1;
  }

  std::printf("SendInput round trip under Wine, %zu key events per mode (%d blocks, interleaved)\n",
              library.samples.size(), kRounds);
  for (const Mode* mode : {&library, &handler, &call, &callHit, &bare, &bareThread}) {
    std::printf("  %-42s median %8.1f us   mean %8.1f us\n", mode->name, Median(mode->samples),
                Mean(mode->samples));
  }
  for (const Mode* mode : {&library, &handler, &call, &callHit}) {
    std::printf("  %-32s / bare on its own thread: median %.2fx   mean %.2fx\n", mode->name,
                Median(mode->samples) / Median(bareThread.samples),
                Mean(mode->samples) / Mean(bareThread.samples));
  }
  DestroyWindow(receiver);
  return 0;
}
