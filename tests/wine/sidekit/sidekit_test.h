#pragma once
// Sidekit32.dll for the tests, resolved by plain names as Tavion resolves them (the i686 import
// library lacks the decorated names a direct call needs), and what the hook tests see.

#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "keys/hook_messages.h"
#include "sidekit.h"
#include "wine/support/test_support.h"

namespace sidekit_test {

// Found beside the test program, the first place the system looks.
inline const HMODULE kSidekit = LoadLibraryW(L"Sidekit32.dll");

template <typename Fn>
Fn SidekitExport(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(kSidekit, name)));
}

inline const InitHookExFn InitHookEx = SidekitExport<InitHookExFn>("InitHookEx");
inline const FreeHookExFn FreeHookEx = SidekitExport<FreeHookExFn>("FreeHookEx");
inline const Reg1KeyExistsFn Reg1KeyExists = SidekitExport<Reg1KeyExistsFn>("Reg1KeyExists");
inline const Reg1ReadIntFn Reg1ReadInt = SidekitExport<Reg1ReadIntFn>("Reg1ReadInt");
inline const Reg1ReadStrFn Reg1ReadStr = SidekitExport<Reg1ReadStrFn>("Reg1ReadStr");
inline const Reg1WriteStrFn Reg1WriteStr = SidekitExport<Reg1WriteStrFn>("Reg1WriteStr");
inline const Reg1DeleteKeyFn Reg1DeleteKey = SidekitExport<Reg1DeleteKeyFn>("Reg1DeleteKey");

inline bool InstallHook(tavion::HookKind kind, HWND receiver, UINT message) {
  unsigned char scratch[12] = {};
  return InitHookEx(scratch, static_cast<int>(kind), receiver, message);
}
inline bool FreeHook(tavion::HookKind kind) {
  return FreeHookEx(static_cast<int>(kind));
}

// One hook message with a copy of the record it pointed to (the library reuses the slot).
struct Received {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  tavion::KeyEventRecord key;
  tavion::MouseEventRecord mouse;
};

// A window of this thread that records the hook messages and answers `answer` to each.
class Receiver {
 public:
  Receiver() : window_(wine_test::WindowDesign{.className = L"SidekitTestReceiver"}) {
    window_.answer = [this](HWND, UINT message, WPARAM wParam,
                            LPARAM lParam) -> std::optional<LRESULT> {
      if (message < tavion::kMsgMenuCommand || message > tavion::kMsgCaptureHidKey) return {};
      Received event{message, wParam, lParam, {}, {}};
      const bool key = message == tavion::kMsgKeyEvent || message == tavion::kMsgCaptureKeyEvent;
      if (records && key) {
        event.key = *reinterpret_cast<const tavion::KeyEventRecord*>(lParam);
      } else if (records && message >= tavion::kMsgMouseEvent &&
                 message <= tavion::kMsgCaptureMouseEvent) {
        event.mouse = *reinterpret_cast<const tavion::MouseEventRecord*>(lParam);
      }
      events.push_back(event);
      return answer ? answer(event) : tavion::kPassEvent;
    };
  }
  HWND hwnd() const { return window_.hwnd(); }
  // Key-downs of `vk` received.
  size_t Downs(WORD vk) const {
    return std::count_if(events.begin(), events.end(), [vk](const Received& e) {
      return e.key.vkCode == vk && (e.key.flags & tavion::kKeyFlagReleased) == 0;
    });
  }

  std::function<LRESULT(const Received&)> answer;  // passes every event when empty
  bool records = true;  // false for the menu hook, whose second message shares a number
  std::vector<Received> events;
  wine_test::TestWindow window_;
};

}  // namespace sidekit_test
