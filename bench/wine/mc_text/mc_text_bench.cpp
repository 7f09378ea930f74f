// Typing speed of "mc_text": one action whose text is N characters (letters, blanks, a line break
// every 60) runs through the dispatcher on this thread, as the main window runs it; the clock
// stops when the receiving window, on a thread of its own, has all N characters. Median of
// several rounds.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "actions/action.h"
#include "exec/dispatcher.h"
#include "exec/exec_host_win.h"
#include "macros/macro_executors_win.h"
#include "settings/settings.h"

namespace {

constexpr int kRounds = 5;

std::atomic<long> charsReceived{0};

LRESULT CALLBACK CountChars(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CHAR) ++charsReceived;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// N characters as typed; a line break ("\r\n") counts as the one Enter it types.
std::string Text(int characters) {
  std::string text;
  int typed = 0;
  while (typed < characters) {
    if (typed % 60 == 59) {
      text += "\r\n";
    } else {
      text += static_cast<char>(typed % 7 == 6 ? ' ' : 'a' + typed % 26);
    }
    ++typed;
  }
  return text + "x";  // a last character, so that a final line break is not dropped
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int characters = argc > 1 ? std::max(1, _wtoi(argv[1])) : 2000;

  HWND target = nullptr;
  DWORD receiverThread = 0;
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread receiver([&] {
    receiverThread = GetCurrentThreadId();
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = CountChars;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"McTextBenchTarget";
    RegisterClassW(&windowClass);
    target = CreateWindowExW(0, windowClass.lpszClassName, L"target", WS_POPUP | WS_VISIBLE, 0, 0,
                             200, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    SetEvent(ready);
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    DestroyWindow(target);
  });
  WaitForSingleObject(ready, 10000);
  SetForegroundWindow(target);

  tavion::TActionsList actions;
  tavion::TAction& action = actions.Add();
  action.SetExec("mc_text");
  action.SetActionParamsMode(tavion::TActionParamsMode::pmMacrText);
  action.ParamsAs<tavion::TActionParamsMacrText>()->Text = Text(characters);
  tavion::MainWindowServices services;
  services.actionByIndex = [&](int index) { return actions.At(static_cast<std::size_t>(index)); };
  tavion::WinExecHost host(/*mainWindow=*/nullptr, services);
  tavion::SetExecHost(&host);
  tavion::RegisterMacroExecutors({});

  std::vector<double> rates;
  std::vector<double> sendTimes;
  bool complete = true;
  for (int round = 0; round < kRounds; ++round) {
    charsReceived = 0;
    const double start = Now();
    tavion::ExecuteAction("mc_text", 0, /*mayUseThread=*/false);
    const double sent = Now();
    while (charsReceived < characters && Now() - start < 120) {
      Pump();
      Sleep(1);
    }
    const double end = Now();
    if (charsReceived < characters) complete = false;
    rates.push_back(charsReceived / (end - start));
    sendTimes.push_back(sent - start);
  }
  std::sort(rates.begin(), rates.end());
  std::sort(sendTimes.begin(), sendTimes.end());
  std::printf("mc_text: %d characters per round, %d rounds%s\n", characters, kRounds,
              complete ? "" : " (some characters never arrived)");
  std::printf("  typed and received: median %.0f characters/s (min %.0f, max %.0f)\n",
              rates[kRounds / 2], rates.front(), rates.back());
  std::printf("  the executor itself returned after: median %.3f s\n", sendTimes[kRounds / 2]);

  tavion::SetExecHost(nullptr);
  PostThreadMessageW(receiverThread, WM_QUIT, 0, 0);
  receiver.join();
  CloseHandle(ready);
  return complete ? 0 : 1;
}
