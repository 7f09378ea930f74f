// Typing speed of "mc_text": one action whose text is N characters (letters, blanks, a line break
// every 60) runs through the dispatcher on this thread, as the main window runs it; the clock
// stops when the receiving window of receiver.h (a thread of its own, with a low-level
// keyboard hook as the program has) holds all N characters. Median of several rounds.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "actions/action.h"
#include "exec/dispatcher.h"
#include "exec/exec_host_win.h"
#include "receiver.h"
#include "exec/macro_executors_win.h"
#include "settings/settings.h"

namespace {

constexpr int kRounds = 5;

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
  while (typed < characters - 1) {
    if (typed % 60 == 59) {
      text += "\r\n";
    } else {
      text += static_cast<char>(typed % 7 == 6 ? ' ' : 'a' + typed % 26);
    }
    ++typed;
  }
  return text + "x";  // the last character, so that no final line break is dropped
}

// Runs the rounds into `receiver` and prints the figures; false when characters went missing.
bool Measure(const char* label, keysender_test::Receiver& receiver, std::size_t count) {
  if (!receiver.Activate(receiver.target())) {
    std::printf("%s: the receiving window cannot be brought to the front\n", label);
    return false;
  }
  std::vector<double> rates;
  std::vector<double> sendTimes;
  bool complete = true;
  for (int round = 0; round < kRounds; ++round) {
    receiver.Drain(/*clear=*/true);
    const double start = Now();
    tavion::ExecuteAction("mc_text", 0, /*mayUseThread=*/false);
    const double sent = Now();
    std::size_t received = 0;
    while ((received = receiver.Chars().size()) < count && Now() - start < 120) {
      Pump();
      Sleep(2);
    }
    const double end = Now();
    if (received < count) complete = false;
    rates.push_back(static_cast<double>(received) / (end - start));
    sendTimes.push_back(sent - start);
  }
  std::sort(rates.begin(), rates.end());
  std::sort(sendTimes.begin(), sendTimes.end());
  std::printf("%s%s\n", label, complete ? "" : " (some characters never arrived)");
  std::printf("  typed and received: median %.0f characters/s (min %.0f, max %.0f)\n",
              rates[kRounds / 2], rates.front(), rates.back());
  std::printf("  the executor itself returned after: median %.3f s\n", sendTimes[kRounds / 2]);
  return complete;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int characters = argc > 1 ? std::max(1, _wtoi(argv[1])) : 2000;

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

  std::printf("mc_text: %d characters per round, %d rounds\n", characters, kRounds);
  const auto count = static_cast<std::size_t>(characters);
  bool complete = true;
  {
    keysender_test::Receiver bare(/*watchKeyboard=*/false);
    complete = Measure("no keyboard hook in the system", bare, count) && complete;
  }
  {
    // Every injected event now waits for a low-level hook on another thread, as it waits for
    // the program's own hook when Tavion runs.
    keysender_test::Receiver hooked(/*watchKeyboard=*/true);
    complete =
        Measure("with a low-level keyboard hook on another thread", hooked, count) && complete;
  }
  tavion::SetExecHost(nullptr);
  return complete ? 0 : 1;
}
