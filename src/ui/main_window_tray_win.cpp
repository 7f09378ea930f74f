// The main window's tray icon, its menu and its images.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "actions/actions_registry.h"
#include "base/file_exists_win.h"
#include "actions/profiles.h"
#include "exec/dispatcher.h"
#include "exec/main_messages.h"
#include "lang/lang.h"
#include "lang/lang_win.h"
#include "osd/osd_icons_win.h"
#include "osd/osd_window_win.h"
#include "settings/settings.h"
#include "ui/main_window_parts_win.h"
#include "ui/navigation.h"
#include "ui/tray_menu.h"

namespace tavion {
namespace {

// Command ids of the menu's generated entries.
constexpr UINT kFirstProfileId = 3000;
constexpr UINT kFirstIconSetId = 3500;
constexpr UINT kFirstActionId = 10000;  // + the entry's tree index

// The language icon sets in `folder`.
std::vector<int> IconSetsIn(const std::wstring& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found = {};
  HANDLE search = FindFirstFileW((folder + L"\\l*_1049.ico").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return {};
  do {
    names.push_back(WideToUtf8(found.cFileName));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return LanguageIconSets(names);
}

// The window whose tray icon follows the foreground window's keyboard language.
MainWindow* foregroundWatcher = nullptr;

// The keyboard language of the foreground window's thread.
uint16_t ForegroundLanguage() {
  const DWORD thread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  return static_cast<uint16_t>(reinterpret_cast<uintptr_t>(GetKeyboardLayout(thread)) & 0xFFFF);
}

// Appends `entries` to `menu`, submenus for entries with children; each entry draws its image
// (a folder's or its code's) through WM_DRAWITEM.
void AppendActionEntries(HMENU menu, const std::vector<TrayActionEntry>& entries, HICON folder) {
  for (const TrayActionEntry& entry : entries) {
    const std::wstring text = Utf8ToWide(entry.text);
    MENUITEMINFOW item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_STRING | MIIM_ID | MIIM_BITMAP | MIIM_DATA;
    item.dwTypeData = const_cast<wchar_t*>(text.c_str());
    item.wID = kFirstActionId + static_cast<UINT>(entry.treeIndex);
    item.hbmpItem = HBMMENU_CALLBACK;
    HICON icon = entry.code.empty() ? folder : OsdIcon(entry.code, 0);
    item.dwItemData = reinterpret_cast<ULONG_PTR>(icon);
    if (!entry.children.empty()) {
      HMENU sub = CreatePopupMenu();
      if (!sub) continue;
      AppendActionEntries(sub, entry.children, folder);
      item.fMask |= MIIM_SUBMENU;
      item.hSubMenu = sub;
    }
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &item);
  }
}

}  // namespace

void MainWindow::ShowTrayIcon() {
  tray_.Show(hwnd_, icon_, tray_.Tip().empty() ? ProgramTitle(startup_) : tray_.Tip(), false);
  if (hotKeysDisabled_) tray_.SetDisabled(true, disabledOverlay_.get());
  RefreshLanguageIcon(0);
}

void MainWindow::RefreshTrayTip() {
  std::wstring tip = ProgramTitle(startup_);
  tip += L"\n" + GetLangStrW("LabelProfile", "Profile") + L" - " + Utf8ToWide(Settings().ProfileNm);
  tip += L"\n" + Utf8ToWide(FormatLangText(GetLangStr("AltogetherKeys", "Total sum of keys - %d"),
                                           {std::to_string(CountActions())}));
  tray_.SetTip(tip);
}

void MainWindow::ShowNotice(const std::string& text) {
  if (tray_.ShowBalloon(ProgramTitle(startup_), Utf8ToWide(text))) return;
  ShowOSD(text, /*checkEnabled=*/false, /*iconIndex=*/-1, /*kind=*/0);
}

void MainWindow::WatchForegroundLanguage() {
  // Out of context: the event comes through this thread's message loop, and costs other
  // programs nothing. Without the hook the icon still follows the shell's language events.
  foregroundHook_.reset(SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND,
                                        /*hmodWinEventProc=*/nullptr, &OnForegroundChanged,
                                        /*idProcess=*/0, /*idThread=*/0,
                                        WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS));
  foregroundWatcher = foregroundHook_ ? this : nullptr;
}

void MainWindow::StopWatchingForegroundLanguage() {
  foregroundHook_.reset();
  if (foregroundWatcher == this) foregroundWatcher = nullptr;
}

void CALLBACK MainWindow::OnForegroundChanged(HWINEVENTHOOK /*hook*/, DWORD /*event*/, HWND window,
                                              LONG /*object*/, LONG /*child*/, DWORD /*thread*/,
                                              DWORD /*time*/) {
  MainWindow* self = foregroundWatcher;
  if (!self) return;
  self->CheckForegroundIntegrity(window);
  self->hookHealth_.OnActivity();
  // Only a language other than the icon's costs a look into the resource folder.
  const uint16_t language = ForegroundLanguage();
  if (language != self->iconLanguage_) self->RefreshLanguageIcon(language);
}

void MainWindow::RefreshLanguageIcon(uint16_t language) {
  if (!tray_.Shown() || hotKeysDisabled_) return;
  if (language == 0) language = ForegroundLanguage();
  iconLanguage_ = language;
  const SettingsRecord& s = Settings();
  const std::wstring& folder = startup_.resourceFolder;
  std::string file;
  if (s.Lang_Icon && FolderExists(folder))
    file = TrayLanguageIconFile(s.Lang_Icon_Set, language, [&](const std::string& name) {
      return GetFileAttributesW((folder + L"\\" + Utf8ToWide(name)).c_str()) !=
             INVALID_FILE_ATTRIBUTES;
    });
  languageIcon_.reset();
  if (!file.empty())
    languageIcon_.reset(static_cast<HICON>(
        LoadImageW(nullptr, (folder + L"\\" + Utf8ToWide(file)).c_str(), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_LOADFROMFILE)));
  tray_.SetNormalIcon(languageIcon_ ? languageIcon_.get() : icon_);
}

void MainWindow::SetTrayImage(int index, HICON image) {
  tray_.SetImage(index, image, Settings().MacroRecording);
}

void MainWindow::OnTray(LPARAM mouseMessage) {
  if (mouseMessage == WM_LBUTTONUP) {
    Restore();
    // A recording in progress is ended on the macros page. Posted: the page asks for the new
    // macro's name, which must not keep the shell waiting for this notification.
    if (Settings().MacroRecording && parts_) {
      if (const auto entry = PanelEntry(kMainNavigationPanel, kMacrosEntry))
        ShowPage(NavigationEntries()[*entry].page.value_or(parts_->currentPage));
      PostMessageW(hwnd_, WM_TV_STATUS, kStatusStopRecording, 0);
    }
  } else if (mouseMessage == WM_RBUTTONUP) {
    SetForegroundWindow(hwnd_);
    if (startupComplete_ && !editorOpen_ && !Settings().MacroRecording) ShowTrayMenu();
  }
}

HMENU MainWindow::TrayActionsMenu() {
  HMENU menu = trayActions_.get();
  if (menu && !trayActionsRule_.NeedsBuild(GetMenuItemCount(menu) <= 0)) return menu;
  trayActions_.reset(CreatePopupMenu());
  if (!trayActions_) return nullptr;
  if (!folderIcon_) folderIcon_ = FolderIcon();
  AppendActionEntries(trayActions_.get(), TrayActionEntries(tree_), folderIcon_.get());
  trayActionsRule_.Built();
  return trayActions_.get();
}

void MainWindow::ShowTrayMenu() {
  UniqueMenu menu(CreatePopupMenu());
  if (!menu) return;
  auto add = [](HMENU to, UINT id, const std::wstring& text, bool checked, bool enabled = true) {
    AppendMenuW(
        to, MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED) | (enabled ? MF_ENABLED : MF_GRAYED),
        id, text.c_str());
  };
  add(menu.get(), kIdRestore, GetLangStrW("TrayRestore", "Restore"), false);
  SetMenuDefaultItem(menu.get(), kIdRestore, FALSE);
  AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);

  // Profiles as the selector offers them, read now so that a profile added since shows.
  trayProfiles_ = ProfileChoices(userRegistry_, kKeysRegistryPath, Settings().ProfileNm);
  HMENU profiles = CreatePopupMenu();
  for (size_t i = 0; i < trayProfiles_.size(); ++i) {
    const UINT id = kFirstProfileId + static_cast<UINT>(i);
    add(profiles, id, Utf8ToWide(trayProfiles_[i]), false);
    if (RegistryNameEqual(trayProfiles_[i], Settings().ProfileNm))
      CheckMenuRadioItem(profiles, id, id, id, MF_BYCOMMAND);
  }
  AppendMenuW(menu.get(), MF_POPUP | (trayProfiles_.empty() ? MF_GRAYED : 0),
              reinterpret_cast<UINT_PTR>(profiles),
              GetLangStrW("TrayProfiles", "Profiles").c_str());

  // Actions: kept between openings; taken out again before the menu is destroyed.
  HMENU actions = TrayActionsMenu();
  if (actions)
    AppendMenuW(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(actions),
                GetLangStrW("TrayActions", "Actions").c_str());

  // Language: only with a resource folder to take the icons from.
  if (FolderExists(startup_.resourceFolder)) {
    HMENU language = CreatePopupMenu();
    add(language, kIdLanguageIcon, GetLangStrW("TrayShowIcon", "Show icon"), Settings().Lang_Icon);
    for (const int set : IconSetsIn(startup_.resourceFolder)) {
      const UINT id = kFirstIconSetId + static_cast<UINT>(set);
      add(language, id, GetLangStrW("IconSet", "Icons set #") + std::to_wstring(set), false);
      if (set == Settings().Lang_Icon_Set) CheckMenuRadioItem(language, id, id, id, MF_BYCOMMAND);
    }
    AppendMenuW(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(language),
                GetLangStrW("TrayLanguage", "Language").c_str());
  } else {
    Settings().Lang_Icon = false;
  }
  AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
  add(menu.get(), kIdDisableHotKeys,
      Utf8ToWide(FormatLangText(GetLangStr("TrayDisable", "Disable %s"), {"Tavion"})),
      hotKeysDisabled_);
  add(menu.get(), kIdDisableWin, GetLangStrW("TrayDisableWin", "Disable 'Win' key"),
      disableWinKey_);
  add(menu.get(), kIdBlockKeyboard, GetLangStrW("TrayBlockKeyboard", "Block keyboard"),
      blockKeyboard_);
  AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
  add(menu.get(), kIdExit, GetLangStrW("TrayExit", "Exit"), false);

  POINT cursor;
  GetCursorPos(&cursor);
  const UINT chosen = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x,
                                     cursor.y, 0, hwnd_, nullptr);
  // Without this the menu would not close when the user clicks elsewhere.
  PostMessageW(hwnd_, WM_NULL, 0, 0);
  if (actions) {
    for (int i = GetMenuItemCount(menu.get()) - 1; i >= 0; --i)
      if (GetSubMenu(menu.get(), i) == actions) RemoveMenu(menu.get(), i, MF_BYPOSITION);
  }
  if (chosen) OnTrayCommand(chosen);
}

void MainWindow::OnTrayCommand(UINT id) {
  if (id >= kFirstActionId) {
    const size_t index = id - kFirstActionId;
    if (const TAction* action = tree_.ActionByIndex(index); action && !action->Exec().empty())
      ExecuteAction(action->Exec(), static_cast<int32_t>(index), /*mayUseThread=*/true);
    return;
  }
  if (id >= kFirstIconSetId) {
    Settings().Lang_Icon_Set = static_cast<uint8_t>(id - kFirstIconSetId);
    RefreshLanguageIcon(0);
    return;
  }
  if (id >= kFirstProfileId) {
    if (id - kFirstProfileId < trayProfiles_.size())
      SwitchProfile(trayProfiles_[id - kFirstProfileId]);
    return;
  }
  if (id == kIdLanguageIcon) {
    Settings().Lang_Icon = !Settings().Lang_Icon;
    RefreshLanguageIcon(0);
    return;
  }
  OnCommand(static_cast<WORD>(id));
}

void MainWindow::OnTrayImageMessage(UINT message, WPARAM, LPARAM lParam) {
  const int cx = GetSystemMetrics(SM_CXSMICON);
  const int cy = GetSystemMetrics(SM_CYSMICON);
  if (message == WM_MEASUREITEM) {
    auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    // A small gap between the image and the text.
    measure.itemWidth = static_cast<UINT>(cx + cx / 4);
    measure.itemHeight = static_cast<UINT>(cy);
    return;
  }
  const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
  if (auto icon = reinterpret_cast<HICON>(draw.itemData))
    DrawIconEx(draw.hDC, draw.rcItem.left,
               draw.rcItem.top + (draw.rcItem.bottom - draw.rcItem.top - cy) / 2, icon, cx, cy, 0,
               nullptr, DI_NORMAL);
}

}  // namespace tavion
