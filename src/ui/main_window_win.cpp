#include "ui/main_window_win.h"

#include <mmsystem.h>
#include <shellapi.h>

#include <charconv>
#include <memory>
#include <string>

#include "actions/actions_registry.h"
#include "actions/catalogue.h"
#include "base/utf_win.h"
#include "lang/lang.h"
#include "lang/lang_win.h"
#include "exec/media_player_path.h"
#include "keys/hook_messages.h"
#include "pipeline/sidekit_library_win.h"
#include "settings/settings.h"
#include "exec/diagnostics.h"
#include "exec/dispatcher.h"
#include "exec/exec_host_win.h"
#include "exec/launch_executor_win.h"
#include "exec/media_player_win.h"
#include "osd/notify_action_win.h"
#include "osd/osd_geometry.h"
#include "osd/osd_icons_win.h"
#include "osd/osd_window_win.h"
#include "exec/shell_events.h"
#include "exec/shell_events_win.h"
#include "exec/window_actions_win.h"
#include "macros/key_sender_win.h"
#include "exec/macro_executors_win.h"
#include "exec/sounds.h"
#include "keys/key_input_win.h"
#include "keys/key_text.h"
#include "pipeline/key_dispatch.h"
#include "pipeline/key_dispatch_host_win.h"
#include "settings/settings_store.h"
#include "settings/settings_system_win.h"
#include "forms/form_win.h"
#include "exec/main_messages.h"
#include "ui/main_options.h"
#include "ui/main_window_options.h"
#include "forms/message_box_win.h"
#include "ui/main_pages_win.h"
#include "ui/main_window_parts_win.h"
#include "base/message_wait_win.h"

namespace tavion {

MainWindow::MainWindow(SidekitLibrary& library, const StartupInfo& startup)
    : library_(library),
      startup_(startup),
      registry_(HKEY_CURRENT_USER, kSettingsRootPath),
      userRegistry_(HKEY_CURRENT_USER),
      keySenderRegistry_(HKEY_CURRENT_USER, kSettingsRootPath) {}

MainWindow::~MainWindow() {
  // Workers still use the host and this window; told that the program ends, they finish soon.
  // One that hangs in a plug-in is not waited for without end.
  closing_ = true;
  WaitForWorkerDispatches(std::chrono::seconds(3));
  SetExecHost(nullptr);
  if (hwnd_) DestroyWindow(hwnd_);
}

bool MainWindow::Create(HINSTANCE instance) {
  icon_ = LoadIconW(instance, MAKEINTRESOURCEW(1));
  if (!icon_) icon_ = LoadIconW(nullptr, IDI_APPLICATION);
  const std::wstring overlay = startup_.resourceFolder + L"\\XICO_IMAGE1.ico";
  disabledOverlay_.reset(static_cast<HICON>(
      LoadImageW(nullptr, overlay.c_str(), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                 GetSystemMetrics(SM_CYSMICON), LR_LOADFROMFILE)));

  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &MainWindow::WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kMainWindowClass;
  wc.hIcon = icon_;
  wc.hIconSm = icon_;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

  // Created hidden: the creation steps and the first showing place and fill it first.
  hwnd_ = CreateWindowExW(0, kMainWindowClass, ProgramTitle(startup_).c_str(), WS_OVERLAPPEDWINDOW,
                          CW_USEDEFAULT, CW_USEDEFAULT, 650, 500, /*hWndParent=*/nullptr,
                          /*hMenu=*/nullptr, instance, this);
  if (!hwnd_) return false;
  if (startup_.commandLine.backup) {
    // Backup mode starts nothing.
    return false;
  }
  FirstShow();
  if (startup_.commandLine.autorun) {
    // Straight to the tray: the window is never shown.
    MinimizeToTray();
  } else {
    ShowWindow(hwnd_, parts_->geometry ? parts_->geometry->ShowCommandForFirstShow(SW_SHOWNORMAL)
                                       : SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
  }
  return true;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCCREATE) self->hwnd_ = hwnd;
  return self->HandleMessage(message, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case kMsgKeyEvent:
      if (!parts_) return kPassEvent;
      return parts_->dispatcher.HandleKeyMessage(wParam, lParam);
    case kMsgMouseEvent:
      if (!parts_) return kPassEvent;
      return parts_->dispatcher.HandleMouseMessage(wParam, lParam);
    case WM_WTSSESSION_CHANGE:
      // Back from a locked session or another desktop: releases made there never reached the
      // hooks.
      if (parts_) parts_->dispatcher.ResyncKeys();
      return 0;
    case kMsgShellEvent:
      // A language change only uses up the program's own pending switches.
      return HandleShellEvent(hwnd_, wParam, lParam, closing_, hotKeysDisabled_, {});
    case WM_TV_EXECUTE:
      OnExecute(wParam, lParam);
      return 0;
    case WM_TV_NOTIFY:
      OnNotify(wParam, lParam);
      return 0;
    case WM_TV_STATUS:
      OnStatus(wParam);
      return 0;
    case WM_TV_ASK_LAUNCH:
      OnAskLaunch(wParam, lParam);
      return 0;
    case WM_TV_PROGRAM_COMMAND:
      if (wParam == kCommandToggleHotKeys) SetHotKeysDisabled(!hotKeysDisabled_);
      if (wParam == kCommandRestoreOrMinimize) RestoreOrMinimize();
      return 0;
    case WM_TV_ACTIVATE:
      Restore();
      return 0;
    case WM_TV_TRAY:
      OnTray(lParam);
      return 0;
    case WM_TV_CLOSE:
      if (wParam == 1)
        Settings().ExplicitExit = true;
      else
        Settings().ForcedExit = true;
      if (lParam == 1)
        CloseNow();
      else
        SendMessageW(hwnd_, WM_CLOSE, 0, 0);
      return 0;
    case WM_QUERYENDSESSION:
      // Refusing is the only way to keep a profile that is being written whole.
      if (actions_.Saving) return FALSE;
      SendMessageW(hwnd_, WM_TV_CLOSE, 0, 0);
      return TRUE;
    case WM_CLOSE:
      if (CloseQuery()) CloseNow();
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE) {
        MinimizeToTray();
        return 0;
      }
      break;
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED) {
        MinimizeToTray();
        return 0;
      }
      LayoutControls();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_DESTROY:
      CloseOsd();
      hooks_.Remove();
      sessionNotifications_.Unregister();
      tray_.Hide();
      FreeOsdIcons();
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY: {
      HWND hwnd = hwnd_;
      ClearBackupRunMark(hwnd);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void MainWindow::OnCreate() {
  // Before anything of the backup run can take time: a second start must not hand over to it.
  if (startup_.commandLine.backup) MarkBackupRunWindow(hwnd_);
  MainWindowServices services;
  services.actionByIndex = [this](int index) {
    return index < 0 ? nullptr : tree_.ActionByIndex(static_cast<size_t>(index));
  };
  services.diagnostics = [this] { return Diagnostics(); };
  services.terminating = [this] { return closing_.load(); };
  services.pluginFolder = WideToUtf8(startup_.pluginFolder);
  parts_ = std::make_unique<Parts>(*this, std::move(services));
  SetExecHost(&parts_->execHost);
  SetMessageBoxMainWindow(hwnd_);
  RegisterExecutors();
  if (startup_.commandLine.backup) return;

  CreateFrame(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE)));

  // Phase 2 of the settings load.
  parts_->geometry = std::make_unique<Win32WindowGeometry>(hwnd_);
  OptLoadFull full;
  full.autorunStart = startup_.commandLine.autorun;
  full.shortVersion = startup_.shortVersion;
  full.now = CurrentDateTime();
  parts_->lists = OptLoadPhase2(registry_, Settings(), Options(), *parts_->geometry, full);
  LayoutControls();

  if (OptionChecked("Opt_tr_delay") && startup_.commandLine.autorun) WaitProcessingMessages(8000);
  BuildCatalogue(userRegistry_);
  if (OptionChecked("Opt_TrayIcon")) ShowTrayIcon();
}

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

void MainWindow::FirstShow() {
  LoadProfile();
  if (Settings().ThirstRun) FindWinampOnFirstRun();
  if (auto sound = Options().Find("cb_sound")) Options().SetChecked(*sound, Settings().Beep_Enab);
  RefreshTrayTip();
  mouseHookInstalled_ = OptionChecked("Opt_MiceKeyAc");
  hooks_.Install(library_, hwnd_, mouseHookInstalled_);
  // Failing is no loss worth a message: every key-down checks the modifiers as well.
  sessionNotifications_.Register(hwnd_);
  startupComplete_ = true;
}

int MainWindow::CountActions() const {
  int count = 0;
  for (size_t i = 0; i < tree_.Count(); ++i)
    if (!ActionTree::IsFolder(tree_.NodeAt(i))) ++count;
  return count;
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
  const std::string& last = Settings().LastKeyText;
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

void MainWindow::FindWinampOnFirstRun() {
  FormControls& options = Options();
  const auto field = options.Find("Opt_WAmp_Path");
  if (!field) return;
  auto exists = [](const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Utf8ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  };
  if (exists(options.Text(*field))) return;
  std::string found;
  for (const wchar_t* key :
       {L"Applications\\winamp.exe\\shell\\open\\command", L"Winamp.File\\shell\\open\\command"}) {
    wchar_t command[MAX_PATH * 2] = {};
    DWORD size = sizeof command - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key, nullptr, RRF_RT_REG_SZ, nullptr, command, &size) !=
        ERROR_SUCCESS)
      continue;
    found = WinampPathFromCommand(WideToUtf8(command));
    if (exists(found)) break;
  }
  if (!found.empty()) options.SetText(*field, found);
}

void MainWindow::LoadProfile() {
  parts_->dispatcher.Clear();
  const std::string profile = JoinRegistryPath(kKeysRegistryPath, Settings().ProfileNm);
  LoadActionsOptions options;
  options.existingDrives = GetLogicalDrives();
  LoadActions(actions_, tree_, userRegistry_, profile, options);
  ApplyOptions();
  parts_->dispatcher.Rebuild(tree_);
}

void MainWindow::LoadDefaultProfile() {
  parts_->dispatcher.Clear();
  LoadActionsOptions options;
  options.defaults = true;
  options.existingDrives = GetLogicalDrives();
  LoadActions(actions_, tree_, userRegistry_, {}, options);
  actions_.Modified = true;
  SaveProfile();
  ActionsChanged();
}

void MainWindow::ActionsChanged() {
  parts_->dispatcher.Rebuild(tree_);
  RefreshTrayTip();
}

void MainWindow::ApplyOptions() {
  DispatchOptions options = DispatchOptionsFromForm(Options());
  options.blockKeyboard = blockKeyboard_;
  options.hotKeysDisabled = hotKeysDisabled_;
  options.disableWinKey = disableWinKey_;
  options.upOnlyKeys = parts_->lists.upOnlyKeys;
  options.ignoredHidKeys = parts_->lists.ignoredKeys;
  SetFullKeysComparison(OptionChecked("Opt_FullKeysComp"));
  {
    // The media-player control reads its options on worker threads.
    const std::lock_guard lock(playerOptionsLock_);
    playerOptions_ = MediaPlayerOptionsFromForm(Options(), Settings().foobar2000_class);
  }
  parts_->dispatcher.SetOptions(std::move(options));
}

bool MainWindow::OptionChecked(const char* name) const {
  if (!parts_ || !parts_->options) return false;
  const auto i = parts_->options->Find(name);
  return i && parts_->options->Checked(*i);
}

FormControls& MainWindow::Options() const {
  return *parts_->options;
}

bool MainWindow::CloseQuery() {
  const SettingsRecord& s = Settings();
  if (OptionChecked("Opt_MinOnExit") && !s.ForcedExit && !s.ExplicitExit) {
    MinimizeToTray();
    return false;
  }
  return true;
}

bool MainWindow::CloseHandler() {
  SettingsRecord& s = Settings();
  SetForegroundWindow(hwnd_);
  if (!s.ForcedExit) {
    if (OptionChecked("Opt_AskOnExit") &&
        ShowMessageBox(GetLangStr("ExitConfirm", "Are you sure you want to close program?"),
                       MessageDialogType::Confirmation, MessageButtons::YesNo) != IDYES) {
      // Leaves everything running; the next close asks again.
      s.ExplicitExit = false;
      return false;
    }
    PlaySoundFile("off.wav", MB_ICONASTERISK, /*honourOption=*/true, /*beepWhenMissing=*/true,
                  SND_ASYNC, s.Beep_Enab);
  }
  // Only now: while the question was open, hot keys and running actions went on as usual.
  closing_ = true;
  CloseOsd();
  hooks_.Remove();
  if (parts_) parts_->dispatcher.Clear();
  RECT r;
  if (GetWindowRect(hwnd_, &r)) s.FLeft = static_cast<int16_t>(r.left);
  SaveSettings(/*saveActions=*/true);
  tray_.Hide();
  tree_.Clear(actions_);
  ShowWindow(hwnd_, SW_HIDE);
  return true;
}

void MainWindow::CloseNow() {
  // A second close (the exit action again, the tray) while the exit question is open asks nothing.
  if (closeStarted_) return;
  closeStarted_ = true;
  if (!CloseHandler()) {
    closeStarted_ = false;
    return;
  }
  DestroyWindow(hwnd_);
}

void MainWindow::SaveSettings(bool saveActions) {
  if (!parts_ || !parts_->geometry) return;
  OptSaveContext context;
  context.fullVersion = startup_.fullVersion;
  context.programFolder = WideToUtf8(startup_.programFolder);
  context.ignoredKeys = &parts_->lists.ignoredKeys;
  if (saveActions) context.saveActions = [this] { SaveProfile(); };
  OptSave(registry_, Settings(), Options(), *parts_->geometry, context);
}

void MainWindow::MinimizeToTray() {
  StopOsd();
  // The program lives in the tray while minimised: no task-bar button, no window.
  ShowWindow(hwnd_, SW_HIDE);
  if (startup_.animationWasOn && !animationPending_) {
    animationPending_ = true;
    if (library_.SetAnimation) library_.SetAnimation(1);
  }
}

void MainWindow::Restore() {
  RECT r;
  // A window whose place cannot be read is shown where it is.
  if (GetWindowRect(hwnd_, &r)) {
    if (const auto place =
            RestoredPlace({r.left, r.top}, r.right - r.left, r.bottom - r.top, Settings().FLeft,
                          GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)))
      SetWindowPos(hwnd_, nullptr, place->left, place->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
  if (library_.ForceForegroundWindow)
    library_.ForceForegroundWindow(hwnd_);
  else
    SetForegroundWindow(hwnd_);
}

void MainWindow::RestoreOrMinimize() {
  if (GetForegroundWindow() != hwnd_)
    Restore();
  else
    b_okClick();
}

void MainWindow::SetHotKeysDisabled(bool disabled) {
  hotKeysDisabled_ = disabled;
  if (parts_) {
    SetWindowTextW(parts_->buttons.Handle("b_disable"),
                   disabled ? GetLangStrW("ButtonEnable", "Enable").c_str()
                            : GetLangStrW("ButtonDisable", "Disable").c_str());
    ApplyOptions();
  }
  if (tray_.Shown()) tray_.SetDisabled(disabled, disabledOverlay_.get());
}

void MainWindow::OnCommand(WORD id) {
  switch (id) {
    case kIdRestore:
      Restore();
      return;
    case kIdDisableHotKeys:
      SetHotKeysDisabled(!hotKeysDisabled_);
      return;
    case kIdDisableWin:
      disableWinKey_ = !disableWinKey_;
      ApplyOptions();
      return;
    case kIdBlockKeyboard:
      blockKeyboard_ = !blockKeyboard_;
      ApplyOptions();
      return;
    case kIdExit:
      ExitExplicitly();
      return;
  }
  if (!parts_) return;
  if (const auto button = parts_->buttons.IndexOfId(id)) {
    const std::string& name = parts_->buttons.Name(*button);
    if (name == "b_close") ExitExplicitly();
    if (name == "b_disable") SetHotKeysDisabled(!hotKeysDisabled_);
    if (name == "b_ok") b_okClick();
  }
}

void MainWindow::ExitExplicitly() {
  Settings().ExplicitExit = true;
  SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void MainWindow::b_okClick() {
  SaveSettings(/*saveActions=*/false);
  MinimizeToTray();
  SaveProfile();
}

bool MainWindow::SaveProfile() {
  SaveActionsOptions options;
  options.currentProfile = Settings().ProfileNm;
  // The list stays modified, so a later save tries again.
  options.tellFailure = [](const std::string& text) {
    ShowMessageBox(text, MessageDialogType::Error, MessageButtons::Ok);
  };
  return SaveActions(actions_, tree_, userRegistry_, kCurrentProfileMark, options);
}

void MainWindow::ApplyOptionChange(const std::string& name) {
  if (!parts_ || !parts_->options) return;
  const auto index = Options().Find(name);
  if (!index) return;
  const bool checked = Options().Checked(*index);
  switch (OptionChangeFor(name, checked, startupComplete_, mouseHookInstalled_)) {
    case OptionChangeStep::kTrayIcon:
      if (checked)
        ShowTrayIcon();
      else
        tray_.Hide();
      break;
    case OptionChangeStep::kStayOnTop:
      SetWindowPos(hwnd_, checked ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      break;
    case OptionChangeStep::kMouseHook:
      mouseHookInstalled_ = checked;
      hooks_.Install(library_, hwnd_, checked);
      break;
    case OptionChangeStep::kSound:
      Settings().Beep_Enab = checked;
      break;
    case OptionChangeStep::kNone:
      break;
  }
  CopyDeskOptions(Options(), Settings());
  ApplyOptions();
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
  // The notification was dragged with Shift: its corner is now the custom position.
  if (wParam == kStatusCustomOsdPosition)
    Settings().DPosition = static_cast<uint8_t>(OsdPosition::kCustom);
  if (parts_)
    for (const auto& page : parts_->pages) page->OnWindowStatus(static_cast<unsigned>(wParam));
  if (wParam != kStatusRunningCheck) return;
  RunRunningCheck(hwnd_, startup_.shortVersion);
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
