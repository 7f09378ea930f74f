// The main window's tray icon and its menu.
#include <windows.h>

#include <string>

#include "lang/lang.h"
#include "lang/lang_win.h"
#include "settings/settings.h"
#include "ui/main_window_win.h"

namespace tavion {

void MainWindow::ShowTrayIcon() {
  tray_.Show(hwnd_, icon_, tray_.Tip().empty() ? ProgramTitle(startup_) : tray_.Tip(), false);
  if (hotKeysDisabled_) tray_.SetDisabled(true, disabledOverlay_.get());
}

void MainWindow::RefreshTrayTip() {
  std::wstring tip = ProgramTitle(startup_);
  tip += L"\n" + GetLangStrW("LabelProfile", "Profile") + L" - " + Utf8ToWide(Settings().ProfileNm);
  tip += L"\n" + Utf8ToWide(FormatLangText(GetLangStr("AltogetherKeys", "Total sum of keys - %d"),
                                           {std::to_string(CountActions())}));
  tray_.SetTip(tip);
}

void MainWindow::OnTray(LPARAM mouseMessage) {
  if (mouseMessage == WM_LBUTTONUP) {
    Restore();
  } else if (mouseMessage == WM_RBUTTONUP) {
    SetForegroundWindow(hwnd_);
    if (startupComplete_ && !Settings().MacroRecording) ShowTrayMenu();
  }
}

void MainWindow::ShowTrayMenu() {
  UniqueMenu menu(CreatePopupMenu());
  if (!menu) return;
  auto add = [&](WORD id, const std::wstring& text, bool checked) {
    AppendMenuW(menu.get(), MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED), id, text.c_str());
  };
  add(kIdRestore, GetLangStrW("TrayRestore", "Restore"), false);
  SetMenuDefaultItem(menu.get(), kIdRestore, FALSE);
  AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
  add(kIdDisableHotKeys,
      Utf8ToWide(FormatLangText(GetLangStr("TrayDisable", "Disable %s"), {"Tavion"})),
      hotKeysDisabled_);
  add(kIdDisableWin, GetLangStrW("TrayDisableWin", "Disable 'Win' key"), disableWinKey_);
  add(kIdBlockKeyboard, GetLangStrW("TrayBlockKeyboard", "Block keyboard"), blockKeyboard_);
  AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
  add(kIdExit, GetLangStrW("TrayExit", "Exit"), false);
  POINT cursor;
  GetCursorPos(&cursor);
  const UINT chosen = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x,
                                     cursor.y, 0, hwnd_, nullptr);
  // Without this the menu would not close when the user clicks elsewhere.
  PostMessageW(hwnd_, WM_NULL, 0, 0);
  if (chosen) OnCommand(static_cast<WORD>(chosen));
}

}  // namespace tavion
