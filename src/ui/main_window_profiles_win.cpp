// The main window's profiles: switching, and the copies the profile bar makes.
#include "ui/main_window_win.h"

#include "settings/settings.h"

namespace tavion {

void MainWindow::SwitchProfile(const std::string& name, bool saveCurrent) {
  if (name == Settings().ProfileNm) return;
  // The profile that is left keeps its edits: a save that fails stops the switch.
  if (saveCurrent && !SaveProfile(/*now=*/true)) return;
  Settings().ProfileNm = name;
  LoadProfile();
  trayActionsRule_.ListSaved();
  RefreshTrayTip();
  if (Page* page = CurrentPage()) page->Shown();
}

bool MainWindow::SaveProfileAs(const std::string& /*name*/) {
  return false;  // interim: the profile bar's copies arrive with its buttons
}

}  // namespace tavion
