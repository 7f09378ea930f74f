#include "exec/shell_window.h"

namespace tavion {

bool IsShellWindow(const ShellWindowFacts& facts) {
  if (facts.isDesktopWindow || facts.childOfTaskBar) return true;
  if (facts.windowClass == "Progman") return facts.caption == "Program Manager";
  if (facts.windowClass == "WorkerW") return facts.caption.empty();
  return facts.windowClass == "Shell_TrayWnd";
}

}  // namespace tavion
