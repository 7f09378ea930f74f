// The main window's shortcut and autorun options: the check boxes cb_load and cb_sc1..cb_sc4,
// which act at once and show what the system holds rather than a stored value.
#include "base/utf_win.h"
#include "services/shortcuts.h"
#include "services/shortcuts_win.h"
#include "settings/settings.h"
#include "ui/main_window_parts_win.h"
#include "ui/main_window_win.h"

namespace tavion {

void MainWindow::ShowShellOptions(bool firstShow) {
  if (firstShow && Settings().ThirstRun && !AutorunRegistered(userRegistry_))
    SetAutorun(userRegistry_, WideToUtf8(startup_.executable), /*on=*/true);
  FormControls& options = Options();
  if (const auto load = options.Find("cb_load"))
    options.SetChecked(*load, AutorunRegistered(userRegistry_));
  ShowExistingShortcuts(options);
}

bool MainWindow::ApplyShellOption(const std::string& name) {
  FormControls& options = Options();
  const auto index = options.Find(name);
  if (!index) return false;
  if (name == "cb_load") {
    // A failed write shows in the box: it follows the Run key, not the click.
    SetAutorun(userRegistry_, WideToUtf8(startup_.executable), options.Checked(*index));
    options.SetChecked(*index, AutorunRegistered(userRegistry_));
    return true;
  }
  return CreateApplicationShortCuts(options, *index, {startup_.executable, startup_.helpFile});
}

}  // namespace tavion
