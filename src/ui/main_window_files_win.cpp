// The main window's settings files: saving all settings into a registry file, loading them back.
#include "ui/main_window_win.h"

namespace tavion {

void MainWindow::SaveSettingsFile() {}  // interim
void MainWindow::LoadSettingsFile() {}  // interim

}  // namespace tavion
