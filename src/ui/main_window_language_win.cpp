// The main window's interface language: the selector's change, and every text of the window
// translated again in place.
#include <windows.h>

#include <algorithm>
#include <string>

#include "actions/catalogue.h"
#include "forms/message_box_win.h"
#include "lang/language_win.h"
#include "settings/settings.h"
#include "ui/main_window_parts_win.h"

namespace tavion {

void MainWindow::ChangeLanguage(const std::string& language) {
  if (language == Settings().Language) return;
  // English has no file to go back to the compiled texts of every form, so it asks for a
  // restart; without one it is applied as any other language.
  if (language == "English" &&
      ShowMessageBox("To appy changes you must restart program", MessageDialogType::Confirmation,
                     MessageButtons::YesNo) == IDYES) {
    Settings().Language = language;
    RestartProgram();
    return;
  }
  if (SetLanguage(language, startup_.languageFolder, registry_)) BuildCatalogue(userRegistry_);
  ApplyLanguageToWindow();
}

void MainWindow::ApplyLanguageToWindow() {
  if (!parts_) return;
  for (auto& page : parts_->pages) page->ApplyLanguage();
  RefreshFrameTexts();
  RefreshTrayTip();
  // Longer texts may need a larger window than the one the user left.
  MINMAXINFO least = {};
  MinimumTrackSize(least);
  RECT r = {};
  if (GetWindowRect(hwnd_, &r) && !IsZoomed(hwnd_) &&
      (r.right - r.left < least.ptMinTrackSize.x || r.bottom - r.top < least.ptMinTrackSize.y))
    SetWindowPos(hwnd_, nullptr, 0, 0, std::max<int>(r.right - r.left, least.ptMinTrackSize.x),
                 std::max<int>(r.bottom - r.top, least.ptMinTrackSize.y),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  LayoutControls();
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace tavion
