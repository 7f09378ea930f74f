// The notice for windows whose keys the hooks cannot see.
#include <windows.h>

#include "services/integrity_notice_win.h"
#include "ui/main_window_win.h"

namespace tavion {

void MainWindow::CheckForegroundIntegrity(HWND window) {
  // With hot keys switched off there is nothing to miss; a later change tells it then.
  if (hotKeysDisabled_) return;
  if (!integrityNotice_) integrityNotice_.emplace(OwnIntegrityLevel());
  DWORD processId = 0;
  if (!integrityNotice_->CanTell() || !GetWindowThreadProcessId(window, &processId)) return;
  if (const auto text = integrityNotice_->Check(DescribeProcess(processId))) ShowNotice(*text);
}

}  // namespace tavion
