// The main window's profiles: switching, and the copies the profile bar makes.
#include "ui/main_window_win.h"

#include "actions/profiles.h"
#include "forms/message_box_win.h"
#include "settings/settings.h"

namespace tavion {

void MainWindow::SwitchProfile(const std::string& name, bool saveCurrent) {
  if (name == Settings().ProfileNm || CheckProfileKeyName(name) != ProfileNameError::kNone) return;
  if (saveCurrent) {
    // The profile that is left keeps its edits: a save that fails stops the switch.
    if (!SaveProfile(/*now=*/true)) return;
  } else if (saver_) {
    // Its edits are dropped, but a save already on its way lands first: the profile to load may
    // be the one it writes, and a profile deleted next must not come back.
    saver_->Flush();
    OnSaveFailed();
  }
  Settings().ProfileNm = name;
  LoadProfile();
  actions_.Modified = false;
  trayActionsRule_.ListSaved();
  RefreshTrayTip();
  if (Page* page = CurrentPage()) page->Shown();
}

bool MainWindow::SaveProfileAs(const std::string& name) {
  if (!saver_) return false;
  if (const ProfileNameError error = CheckProfileKeyName(name); error != ProfileNameError::kNone) {
    ShowMessageBox(ProfileNameErrorText(error), MessageDialogType::Error, MessageButtons::Ok);
    return false;
  }
  // The current profile keeps its own edits too.
  if (!SaveProfile(/*now=*/true)) return false;
  SaveActionsOptions options = ProfileSaveOptions();
  options.keep = true;
  actions_.Modified = true;
  const bool saved = SaveActionsNow(actions_, tree_, *saver_, name, options);
  // Whatever became of the copy, the list is the current profile as saved.
  actions_.Modified = false;
  return saved;
}

}  // namespace tavion
