// The main window's way to its help: the pages' help buttons, F1 and the "Help" entries.
#include <string>

#include "ui/help_win.h"
#include "ui/main_window_win.h"

namespace tavion {

void MainWindow::ShowHelp(const std::string& topic) {
  OpenHelp(startup_.helpFile, topic, kHelpInProgram);
}

}  // namespace tavion
