#include "lang/lang.h"
#include "ui/main_window_win.h"

namespace tavion {

void MainWindow::StartHookHealth() {
  HookHealthMonitor::Actions actions;
  actions.reinstall = [this] { return hooks_.Reinstall(); };
  actions.notify = [this](bool reinstalled) {
    ShowNotice(reinstalled ? GetLangStr("HookRestored",
                                        "Tavion's keyboard hook had been switched off, so hot keys "
                                        "stopped working. It is back in place now.")
                           : GetLangStr("HookLost",
                                        "Tavion's keyboard hook has been switched off and could "
                                        "not be put back: hot keys do not work. Restart Tavion to "
                                        "get them back."));
  };
  // Without the check hot keys work as before; a lost hook just goes unnoticed.
  hookHealth_.Start(std::move(actions));
}

}  // namespace tavion
