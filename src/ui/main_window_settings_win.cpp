// The main window's settings and profile: the option controls' effects, the load and save of
// the settings and of the current profile's actions.
#include <windows.h>

#include <string>

#include "actions/actions_registry.h"
#include "actions/profiles.h"
#include "base/utf_win.h"
#include "exec/media_player_path.h"
#include "forms/message_box_win.h"
#include "keys/key_edit.h"
#include "settings/settings.h"
#include "ui/main_window_options.h"
#include "ui/main_window_parts_win.h"

namespace tavion {

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
  parts_->dispatch.Clear();
  // A stored name that is no profile's key name (empty: Keys itself) would load the wrong key.
  if (CheckProfileKeyName(Settings().ProfileNm) != ProfileNameError::kNone)
    Settings().ProfileNm = std::string(kDefaultProfile);
  const std::string profile = JoinRegistryPath(kKeysRegistryPath, Settings().ProfileNm);
  LoadActionsOptions options;
  options.existingDrives = GetLogicalDrives();
  options.plugins = DefaultPluginsLoaded();
  LoadActions(actions_, tree_, userRegistry_, profile, options);
  ApplyOptions();
  parts_->dispatch.Rebuild(tree_);
}

void MainWindow::LoadDefaultProfile() {
  parts_->dispatch.Clear();
  LoadActionsOptions options;
  options.defaults = true;
  options.existingDrives = GetLogicalDrives();
  options.plugins = DefaultPluginsLoaded();
  LoadActions(actions_, tree_, userRegistry_, {}, options);
  actions_.Modified = true;
  SaveProfile();
  ActionsChanged();
}

void MainWindow::ActionsChanged() {
  parts_->dispatch.Rebuild(tree_);
  RefreshTrayTip();
}

void MainWindow::ApplyOptions() {
  DispatchOptions options = DispatchOptionsFromForm(Options());
  options.blockKeyboard = blockKeyboard_;
  options.hotKeysDisabled = hotKeysDisabled_;
  options.disableWinKey = disableWinKey_;
  options.upOnlyKeys = parts_->lists.upOnlyKeys;
  options.ignoredHidKeys = KeyEditSharedState().ignoredHidKeys;
  SetFullKeysComparison(OptionChecked("Opt_FullKeysComp"));
  {
    // The media-player control reads its options on worker threads.
    const std::lock_guard lock(playerOptionsLock_);
    playerOptions_ = MediaPlayerOptionsFromForm(Options(), Settings().foobar2000_class);
  }
  parts_->dispatch.SetOptions(std::move(options));
}

bool MainWindow::OptionChecked(const char* name) const {
  if (!parts_ || !parts_->options) return false;
  const auto i = parts_->options->Find(name);
  return i && parts_->options->Checked(*i);
}

FormControls& MainWindow::Options() const {
  // Before the frame exists (and in backup mode, which makes none) there are no options.
  static CompositeForm none({});
  return parts_ && parts_->options ? *parts_->options : none;
}

void MainWindow::SaveSettings(bool saveActions) {
  if (!parts_ || !parts_->geometry) return;
  OptSaveContext context;
  context.fullVersion = startup_.fullVersion;
  context.programFolder = WideToUtf8(startup_.programFolder);
  context.ignoredKeys = &KeyEditSharedState().ignoredHidKeys;
  if (saveActions) context.saveActions = [this] { SaveProfile(/*now=*/true); };
  OptSave(registry_, Settings(), Options(), *parts_->geometry, context);
}

SaveActionsOptions MainWindow::ProfileSaveOptions() const {
  SaveActionsOptions options;
  options.currentProfile = Settings().ProfileNm;
  // The list stays modified, so a later save tries again.
  options.tellFailure = [](const std::string& text) {
    ShowMessageBox(text, MessageDialogType::Error, MessageButtons::Ok);
  };
  return options;
}

bool MainWindow::SaveProfile(bool now) {
  if (!saver_) return false;
  const SaveActionsOptions options = ProfileSaveOptions();
  const bool saved = now ? SaveActionsNow(actions_, tree_, *saver_, kCurrentProfileMark, options)
                         : SaveActionsLater(actions_, tree_, *saver_, kCurrentProfileMark, options);
  if (saved) trayActionsRule_.ListSaved();
  return saved;
}

void MainWindow::OnSaveFailed() {
  if (saver_) TakeSaveFailures(*saver_, actions_, ProfileSaveOptions());
}

void MainWindow::ApplyOptionChange(const std::string& name) {
  if (!parts_ || !parts_->options || ApplyShellOption(name)) return;
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

}  // namespace tavion
