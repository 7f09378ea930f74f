// The main window's macros: recording, the macro editor, actions for macros.
#include "ui/main_window_win.h"

namespace tavion {

void MainWindow::RecordMacro(std::vector<std::string>* /*list*/) {}  // interim

std::optional<std::string> MainWindow::EditMacro(const std::string& /*name*/) {
  return std::nullopt;  // interim
}

std::optional<std::size_t> MainWindow::AddMacroAction(HINSTANCE /*instance*/,
                                                      const std::string& /*macroName*/) {
  return std::nullopt;  // interim
}

}  // namespace tavion
