#include "ui/main_window_win.h"

#include <mmsystem.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "actions/actions_registry.h"
#include "actions/catalogue.h"
#include "base/utf_win.h"
#include "lang/lang.h"
#include "lang/lang_win.h"
#include "lang/language_choice.h"
#include "lang/language_win.h"
#include "keys/hook_messages.h"
#include "keys/key_edit.h"
#include "pipeline/sidekit_library_win.h"
#include "settings/settings.h"
#include "exec/dispatcher.h"
#include "osd/osd_icons_win.h"
#include "osd/osd_window_win.h"
#include "exec/shell_events_win.h"
#include "exec/sounds.h"
#include "settings/settings_store.h"
#include "settings/settings_system_win.h"
#include "forms/form_win.h"
#include "exec/main_messages.h"
#include "ui/help_win.h"
#include "ui/main_window_options.h"
#include "forms/message_box_win.h"
#include "ui/main_window_parts_win.h"
#include "base/message_wait_win.h"
#include "tavion_plugin.h"
#include "update/update_check.h"
#include "update/update_check_win.h"

namespace tavion {

MainWindow::MainWindow(SidekitLibrary& library, const StartupInfo& startup)
    : library_(library),
      startup_(startup),
      registry_(HKEY_CURRENT_USER, kSettingsRootPath),
      userRegistry_(HKEY_CURRENT_USER),
      keySenderRegistry_(HKEY_CURRENT_USER, kSettingsRootPath),
      saverRegistry_(HKEY_CURRENT_USER) {}

MainWindow::~MainWindow() {
  // The hooks call into the parts of the window from their own thread.
  hooks_.Remove();
  // Workers still use the host and this window; told that the program ends, they finish soon.
  // One that hangs in a plug-in is not waited for without end.
  closing_ = true;
  WaitForWorkerDispatches(std::chrono::seconds(3));
  SetExecHost(nullptr);
  ReleasePluginHost();
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
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");

  // Created hidden: the creation steps and the first showing place and fill it first.
  hwnd_ = CreateWindowExW(0, kMainWindowClass, ProgramTitle(startup_).c_str(), WS_OVERLAPPEDWINDOW,
                          CW_USEDEFAULT, CW_USEDEFAULT, 650, 500, /*hWndParent=*/nullptr,
                          /*hMenu=*/nullptr, instance, this);
  if (!hwnd_) return false;
  if (startup_.commandLine.backup) {
    // Backup mode starts nothing: it saves the settings into a file and the program ends,
    // whether or not a file was written.
    SaveSettingsFile();
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
  if (message == taskbarCreated_ && taskbarCreated_ != 0) {
    // Explorer started again: its notification area no longer knows the icon.
    tray_.Refresh();
    return 0;
  }
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case kMsgKeyEvent:
      // The hook's events come here only from a library that cannot call the handler itself.
      if (hookHealth_.OnKeyMessage(lParam)) return kSwallowEvent;
      if (!parts_) return kPassEvent;
      return parts_->dispatch.OnKeyMessage(wParam, lParam);
    case kMsgMouseEvent:
      if (!parts_) return kPassEvent;
      return parts_->dispatch.OnMouseMessage(wParam, lParam);
    case WM_INPUT:
      rawInput_.ProcessInput(reinterpret_cast<HRAWINPUT>(lParam), RawInputOptionsNow());
      // The default procedure frees what the system keeps for the event.
      DefWindowProcW(hwnd_, message, wParam, lParam);
      return 0;
    case WM_WTSSESSION_CHANGE:
      // Back from a locked session or another desktop: releases made there never reached the
      // hooks.
      if (parts_) parts_->dispatch.ResyncKeys();
      hookHealth_.OnActivity();
      return 0;
    case kMsgShellEvent:
      // A language change only uses up the program's own pending switches.
      return HandleShellEvent(hwnd_, wParam, lParam, closing_, hotKeysDisabled_,
                              [this](uint16_t language) { RefreshLanguageIcon(language); });
    case WM_TV_EXECUTE:
      OnExecute(wParam, lParam);
      return 0;
    case WM_TV_NOTIFY:
      OnNotify(wParam, lParam);
      return 0;
    case WM_TV_STATUS:
      OnStatus(wParam);
      return 0;
    case TAVION_WM_QUERY:
      return OnPluginQuery(wParam);
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
      // The close waits for a save in progress, so there is no need to refuse the logoff.
      SendMessageW(hwnd_, WM_TV_CLOSE, 0, 0);
      return TRUE;
    case WM_ENDSESSION:
      // Forced logoffs skip the query: the session ends when this returns.
      if (wParam) SendMessageW(hwnd_, WM_TV_CLOSE, 0, 0);
      return 0;
    case WM_TV_SAVE_FAILED:
      OnSaveFailed();
      return 0;
    case WM_TV_RECORD_KEY: {
      const std::unique_ptr<std::string> item(reinterpret_cast<std::string*>(lParam));
      std::vector<std::string>* lines = parts_ ? parts_->dispatch.Host().RecordingList() : nullptr;
      if (item && lines) AppendRecordedKey(*lines, static_cast<uint32_t>(wParam), std::move(*item));
      return 0;
    }
    case WM_TV_UPDATE_RESULT:
      TakeBackgroundUpdateResult(hwnd_, lParam, Settings(), startup_.shortVersion);
      return 0;
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
      if (parts_ && reinterpret_cast<HWND>(lParam) == parts_->updateNotice) {
        if (HIWORD(wParam) == STN_CLICKED) OnUpdateNoticeClick();
        return 0;
      }
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_NOTIFY:
      if (parts_ && reinterpret_cast<const NMHDR*>(lParam)->hwndFrom == parts_->navigation)
        return OnNavigationNotify(*reinterpret_cast<const NMHDR*>(lParam));
      return 0;
    case WM_CONTEXTMENU:
      // A right click on "Minimize" shows the diagnostics, as F10 does.
      if (parts_ && reinterpret_cast<HWND>(wParam) == parts_->buttons.Handle("b_ok")) {
        ExecuteAction("hd_info", -1, /*mayUseThread=*/false);
        return 0;
      }
      break;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
      // Only the tray's menu draws items for this window.
      if (wParam == 0 && reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->CtlType == ODT_MENU) {
        OnTrayImageMessage(message, wParam, lParam);
        return TRUE;
      }
      break;
    case WM_ACTIVATE:
      // The control that had the focus gets it back when the window is active again.
      if (parts_ && LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) parts_->lastFocus = focus;
      }
      break;
    case WM_SETFOCUS:
      if (parts_) {
        HWND last = parts_->lastFocus;
        SetFocus(last && IsWindow(last) && IsChild(hwnd_, last) ? last : parts_->navigation);
      }
      return 0;
    case WM_CTLCOLORSTATIC:
      // The update notice reads as a link.
      if (parts_ && reinterpret_cast<HWND>(lParam) == parts_->updateNotice) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHT));
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_SETCURSOR:
      if (parts_ && reinterpret_cast<HWND>(wParam) == parts_->updateNotice) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_GETMINMAXINFO:
      MinimumTrackSize(*reinterpret_cast<MINMAXINFO*>(lParam));
      return 0;
    case WM_DPICHANGED: {
      const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
      if (parts_) FillNavigation();
      SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
      if (parts_) MarkShownEntry();
      return 0;
    }
    case WM_DESTROY:
      CloseProgramHelp();
      StopWatchingForegroundLanguage();
      CloseOsd();
      hookHealth_.Stop();
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
  saver_ = std::make_unique<ProfileSaver>(
      saverRegistry_, [hwnd = hwnd_] { PostMessageW(hwnd, WM_TV_SAVE_FAILED, 0, 0); });
  MainWindowServices services;
  services.actionByIndex = [this](int index) {
    return index < 0 ? nullptr : tree_.ActionByIndex(static_cast<size_t>(index));
  };
  services.diagnostics = [this] { return Diagnostics(); };
  services.terminating = [this] { return closing_.load(); };
  services.pluginFolder = WideToUtf8(startup_.pluginFolder);
  CreatePluginHost(services);
  parts_ = std::make_unique<Parts>(*this, std::move(services));
  SetExecHost(&parts_->execHost);
  SetMessageBoxMainWindow(hwnd_);
  RegisterExecutors();
  if (startup_.commandLine.backup) return;

  // A first start takes the installer's language, before any form is made in one.
  if (Settings().ThirstRun) SetLanguage(kFirstStartLanguage, startup_.languageFolder, registry_);
  CreateFrame(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE)));

  // Phase 2 of the settings load.
  parts_->geometry = std::make_unique<Win32WindowGeometry>(hwnd_);
  OptLoadFull full;
  full.autorunStart = startup_.commandLine.autorun;
  full.shortVersion = startup_.shortVersion;
  full.now = CurrentDateTime();
  full.dpi = WindowDpi(hwnd_);
  parts_->lists = OptLoadPhase2(registry_, Settings(), Options(), *parts_->geometry, full);
  // The capture controls edit the ignored HID keys; the key handler and the save read them there.
  KeyEditSharedState().ignoredHidKeys = std::move(parts_->lists.ignoredKeys);
  ApplyNavigationPanels();
  LayoutControls();

  if (OptionChecked("Opt_tr_delay") && startup_.commandLine.autorun) WaitProcessingMessages(8000);
  LoadPlugins();
  BuildCatalogue(userRegistry_);
  if (OptionChecked("Opt_TrayIcon")) ShowTrayIcon();
}

void MainWindow::FirstShow() {
  LoadProfile();
  if (Settings().ThirstRun) FindWinampOnFirstRun();
  if (auto sound = Options().Find("cb_sound")) Options().SetChecked(*sound, Settings().Beep_Enab);
  ShowShellOptions(/*firstShow=*/true);
  RefreshTrayTip();
  if (!Settings().LastUpdateVersion.empty())
    ShowUpdateNotice(GetLangStrW("UpdateReleased", "Update: new version released -") +
                     Utf8ToWide(Settings().LastUpdateVersion) +
                     GetLangStrW("UpdateClick", ". Click for visit website."));
  mouseHookInstalled_ = OptionChecked("Opt_MiceKeyAc");
  hooks_.SetCalls(parts_->dispatch.Calls());
  hooks_.Install(library_, hwnd_, mouseHookInstalled_);
  StartHookHealth();
  rawInput_.Enable(hwnd_);
  // Keyboards switched on later take effect at the next start.
  rawInput_.RegisterDevices(OptionChecked("Opt_Hid_Keyboard"));
  // Failing is no loss worth a message: every key-down checks the modifiers as well.
  sessionNotifications_.Register(hwnd_);
  WatchForegroundLanguage();
  startupComplete_ = true;
}

RawInputOptions MainWindow::RawInputOptionsNow() const {
  const SettingsRecord& s = Settings();
  return {.mice = OptionChecked("Opt_Hid_Mice"),
          .keyboards = OptionChecked("Opt_Hid_Keyboard"),
          .others = OptionChecked("Opt_Hid_Ex"),
          .clearMouseDevice = s.ClearRawMouseDevice,
          .clearKeyboardDevice = s.ClearRawKeyboardDevice,
          .clearOtherDevice = s.ClearRawOtherDevice};
}

int MainWindow::CountActions() const {
  int count = 0;
  for (size_t i = 0; i < tree_.Count(); ++i)
    if (!ActionTree::IsFolder(tree_.NodeAt(i))) ++count;
  return count;
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
  hookHealth_.Stop();
  hooks_.Remove();
  rawInput_.Disable();
  if (parts_) parts_->dispatch.Clear();
  RECT r;
  if (GetWindowRect(hwnd_, &r)) s.FLeft = static_cast<int16_t>(r.left);
  if (!settingsReplaced_) SaveSettings(/*saveActions=*/true);
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
  ShowShellOptions(/*firstShow=*/false);
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
  if (UpdateCheckDue(OptionChecked("Opt_CheckUpdates"), updateCheckStarted_, Settings().LastUpdate,
                     CurrentDateTime())) {
    updateCheckStarted_ = true;
    StartBackgroundUpdateCheck(hwnd_, UpdatePageAddress(registry_));
  }
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
  if (!disabled) RefreshLanguageIcon(0);
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
    case IDOK:
      // Enter in the navigation shows the chosen entry; the pages have their own.
      if (parts_ && GetFocus() == parts_->navigation)
        ActivateNavigationItem(TreeView_GetSelection(parts_->navigation));
      return;
    case IDCANCEL:
      // Escape puts the window away, as "Minimize" does.
      b_okClick();
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

}  // namespace tavion
