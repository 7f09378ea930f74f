// The main window's part in running actions: the executors' services, the execution and
// notification messages, the status messages and the launch question.
#include <windows.h>

#include <charconv>
#include <memory>
#include <string>

#include "actions/catalogue.h"
#include "base/utf_win.h"
#include "exec/diagnostics.h"
#include "exec/dispatcher.h"
#include "exec/launch_executor_win.h"
#include "exec/macro_executors_win.h"
#include "exec/main_messages.h"
#include "exec/media_player_win.h"
#include "exec/window_actions_win.h"
#include "keys/key_input_win.h"
#include "keys/key_text.h"
#include "lang/lang_win.h"
#include "macros/key_sender_win.h"
#include "osd/notify_action_win.h"
#include "osd/osd_geometry.h"
#include "osd/osd_icons_win.h"
#include "osd/osd_window_win.h"
#include "settings/settings.h"
#include "ui/main_window_parts_win.h"

namespace tavion {

void MainWindow::RegisterExecutors() {
  LaunchEnvironment launch;
  launch.owner = hwnd_;
  launch.programFolder = startup_.programFolder;
  launch.forceForeground = library_.ForceForegroundWindow;
  launch.inputIcon = icon_;
  launch.terminating = [this] { return closing_.load(); };
  RegisterLaunchExecutors(std::move(launch));

  // The key sender reads macros under its own lock, from any thread: it gets a registry object
  // of its own.
  SetKeySenderServices({&keySenderRegistry_, library_.ForceForegroundWindow});
  MacroServices macros;
  macros.macros = &registry_;
  macros.dateTimeText = [this] {
    const std::string format = registry_.ReadString("Misc", "var_datetime").value_or("");
    return DateTimeVariable(format, Win32LaunchSystem(startup_.programFolder));
  };
  RegisterMacroExecutors(macros);

  MediaPlayerServices players;
  players.options = [this] {
    const std::lock_guard lock(playerOptionsLock_);
    return playerOptions_;
  };
  players.sendKeys = DefaultKeySender();
  players.forceForeground = library_.ForceForegroundWindow;
  players.ownerWindow = hwnd_;
  RegisterMediaPlayerExecutors(players);
  parts_->players = players;

  auto actionAt = [this](int index) -> const TAction* {
    return index < 0 ? nullptr : tree_.ActionByIndex(static_cast<size_t>(index));
  };
  OsdHost osd;
  osd.mainWindow = hwnd_;
  osd.icon = [actionAt](int iconIndex, uint8_t kind) {
    return OsdIconForIndex(iconIndex, kind, actionAt);
  };
  osd.terminating = [this] { return closing_.load(); };
  ConfigureOsd(std::move(osd));
  NotifyServices& notify = parts_->notify;
  notify.showOsd = [](const std::string& text, bool checkEnabled, int iconIndex, uint8_t kind) {
    ShowOSD(text, checkEnabled, iconIndex, kind);
  };
  notify.actionAt = actionAt;
  notify.hotKeysDisabled = [this] { return hotKeysDisabled_; };
  notify.terminating = [this] { return closing_.load(); };
  notify.executionSound = [this] { return OptionChecked("Opt_SoundExec"); };
  notify.playerTrackText = [this](std::string_view code) {
    return PlayerTrackInfo(code, parts_->players);
  };

  WindowServices windows;
  windows.sendKeys = DefaultKeySender();
  if (library_.GetFocusedWindow)
    windows.focusedWindow = [focused = library_.GetFocusedWindow] { return focused(0); };
  windows.forceForeground = library_.ForceForegroundWindow;
  RegisterWindowExecutors(windows);
}

DiagnosticsValues MainWindow::Diagnostics() {
  DiagnosticsValues values;
  values.version = startup_.fullVersion;
  values.buildDate = startup_.buildDate;
  values.exePath = WideToUtf8(startup_.executable);
  wchar_t current[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, current);
  values.currentDir = WideToUtf8(current);
  values.exeFolder = WideToUtf8(startup_.programFolder);
  values.pluginFolder = WideToUtf8(startup_.pluginFolder);
  values.actionsCount = CurrentCatalogue()->Count();
  values.actionsModified = actions_.Modified;
  values.shiftState = GetModifierState();
  // The last key as the handler keeps it: a packed value in decimal, or an extra device's text.
  const std::string last = parts_ ? parts_->dispatch.LastKeyText() : std::string();
  uint32_t packed = 0;
  const auto [end, error] = std::from_chars(last.data(), last.data() + last.size(), packed);
  if (!last.empty() && error == std::errc() && end == last.data() + last.size())
    values.lastKey = HotKeyValueToText(packed, /*useUserNames=*/true, /*useConversion=*/true,
                                       /*withModifiers=*/true);
  else
    values.lastKey = HidKeyToText(last, /*useNames=*/true);
  values.actionBusy = Settings().ActionBusy;
  values.processKeys = !hotKeysDisabled_;
  return values;
}

void MainWindow::OnExecute(WPARAM wParam, LPARAM lParam) {
  std::unique_ptr<std::string> code(reinterpret_cast<std::string*>(wParam));
  if (!code) {
    Settings().ActionBusy = false;  // the key handler's request ends here
    return;
  }
  ExecuteAction(*code, static_cast<int32_t>(lParam), /*mayUseThread=*/true);
}

void MainWindow::OnNotify(WPARAM wParam, LPARAM lParam) {
  if (parts_) NotifyAction(wParam, lParam, parts_->notify);
}

void MainWindow::OnStatus(WPARAM wParam) {
  switch (wParam) {
    case kStatusUpdateNotice:
      if (parts_)
        ShowUpdateNotice(GetLangStrW("NewVersionReleased", "New version released -") +
                         Utf8ToWide(Settings().LastUpdateVersion));
      return;
    case kStatusRunningCheck:
      RunRunningCheck(hwnd_, startup_.shortVersion);
      return;
    case kStatusCustomOsdPosition:
      break;  // the OSD page stores the custom position and shows it
  }
  if (parts_)
    for (auto& page : parts_->pages) page->OnWindowStatus(static_cast<unsigned>(wParam));
}

void MainWindow::OnAskLaunch(WPARAM wParam, LPARAM lParam) {
  const TAction* action = tree_.ActionByIndex(wParam);
  // The key handler set ActionBusy for this request; an execution's notification clears it.
  if (!action) {
    Settings().ActionBusy = false;
    return;
  }
  const std::string code = action->Exec();
  const int answer =
      MessageBoxW(GetForegroundWindow(), Utf8ToWide(LaunchQuestionText(*action)).c_str(), L"Tavion",
                  MB_YESNO | MB_ICONQUESTION);
  if (answer == IDYES)
    ExecuteAction(code, static_cast<int32_t>(lParam), /*mayUseThread=*/true);
  else
    Settings().ActionBusy = false;
}

}  // namespace tavion
