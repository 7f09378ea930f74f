// The main window's settings files: saving all settings into a registry file, and loading them
// back. A load reads and checks the whole file before anything changes, keeps a backup of the
// settings, writes the file with our own writer and puts the backup back when that fails.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <optional>
#include <string>
#include <vector>

#include "base/handles_win.h"
#include "base/open_file_win.h"
#include "base/utf_win.h"
#include "exec/main_messages.h"
#include "forms/message_box_win.h"
#include "keys/key_edit.h"
#include "lang/lang.h"
#include "settings/reg_export_win.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "settings/settings_store.h"
#include "ui/main_window_parts_win.h"

namespace tavion {
namespace {

constexpr wchar_t kProposedFile[] = L"TavionBackUp2.reg";
// Far beyond any settings tree; a larger file is refused rather than read whole.
constexpr LONGLONG kFileBound = 64 * 1024 * 1024;

void ShowError(const std::string& text) {
  ShowMessageBox(text, MessageDialogType::Error, MessageButtons::Ok);
}

std::string CantSaveText() {
  return GetLangStr("ErrorSaveSettings", "Error: can't save settings from registry");
}

std::string WriteErrorText() {
  return GetLangStr("ErrorFileWrite", "Cant't write to file, perhaps disk is write protected.");
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::wstring& path) {
  const UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                          /*lpSecurityAttributes=*/nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, /*hTemplateFile=*/nullptr));
  LARGE_INTEGER size = {};
  if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > kFileBound) return std::nullopt;
  std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty() && (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                   &read, /*lpOverlapped=*/nullptr) ||
                         read != bytes.size()))
    return std::nullopt;
  return bytes;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  bool written = false;
  {
    const UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, /*dwShareMode=*/0,
                                            /*lpSecurityAttributes=*/nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, /*hTemplateFile=*/nullptr));
    DWORD done = 0;
    written = file &&
              WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done,
                        /*lpOverlapped=*/nullptr) &&
              done == bytes.size() && FlushFileBuffers(file.get());
  }
  // A half-written backup must not be taken for a whole one.
  if (!written) DeleteFileW(path.c_str());
  return written;
}

// Whether `path` can be written, as the save checks before it writes: a file that cannot be
// created or opened for writing is reported with "ErrorFileWrite". A file made for the check
// only is removed again.
bool CheckWrite(const std::wstring& path) {
  const bool existed = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  const bool writable = UniqueFileHandle(CreateFileW(path.c_str(), GENERIC_WRITE, /*dwShareMode=*/0,
                                                     /*lpSecurityAttributes=*/nullptr, OPEN_ALWAYS,
                                                     FILE_ATTRIBUTE_NORMAL,
                                                     /*hTemplateFile=*/nullptr))
                            .get() != nullptr;
  if (writable && !existed) DeleteFileW(path.c_str());
  if (!writable) ShowError(WriteErrorText());
  return writable;
}

// Writes the backup beside `chosen`, or in "%APPDATA%\Tavion" when that folder cannot be written.
// Returns the file written.
std::optional<std::wstring> WriteBackup(const std::wstring& chosen, const std::string& bytes) {
  const std::string chosenUtf8 = WideToUtf8(chosen);
  std::wstring path = Utf8ToWide(BackupFilePath(chosenUtf8));
  if (WriteWholeFile(path, bytes)) return path;
  wchar_t appData[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(/*hwnd=*/nullptr, CSIDL_APPDATA, /*hToken=*/nullptr,
                              SHGFP_TYPE_CURRENT, appData)))
    return std::nullopt;
  const std::wstring folder = std::wstring(appData) + L"\\Tavion";
  // An existing folder is fine; a failure shows in the write.
  CreateDirectoryW(folder.c_str(), /*lpSecurityAttributes=*/nullptr);
  path = Utf8ToWide(BackupFilePath(chosenUtf8, WideToUtf8(folder)));
  if (WriteWholeFile(path, bytes)) return path;
  return std::nullopt;
}

}  // namespace

std::optional<std::wstring> MainWindow::ChooseSettingsFile(bool save) {
  wchar_t file[MAX_PATH] = {};
  wcscpy(file, kProposedFile);
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  // The backup run's window is never shown: its dialog stands on its own.
  dialog.hwndOwner = startup_.commandLine.backup ? nullptr : hwnd_;
  const std::wstring filter = RegistryFileFilter();
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrDefExt = L"reg";
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                 (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
  const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (!chosen) return std::nullopt;
  return std::wstring(file);
}

bool MainWindow::SaveSettingsNow() {
  // The backup run loaded no settings: what it would save are the designed defaults.
  if (!parts_ || !parts_->geometry) return startup_.commandLine.backup;
  actions_.Modified = true;
  bool actionsSaved = false;
  const OptSaveContext context{startup_.fullVersion, WideToUtf8(startup_.programFolder),
                               &KeyEditSharedState().ignoredHidKeys,
                               [&] { actionsSaved = SaveProfile(/*now=*/true); }};
  const bool saved = OptSave(registry_, Settings(), Options(), *parts_->geometry, context);
  return saved && actionsSaved;
}

void MainWindow::SaveSettingsFile() {
  const std::optional<std::wstring> file = ChooseSettingsFile(/*save=*/true);
  if (!file) return;
  const bool saved = SaveSettingsNow();
  if (!CheckWrite(*file)) return;
  const bool exported = ExportRegKey(*file, HKEY_CURRENT_USER, kSettingsRootPath,
                                     /*recurse=*/true, /*deleteFirst=*/true);
  if (!saved)
    ShowError(CantSaveText());
  else if (!exported && userRegistry_.KeyExists(kSettingsRootPath))
    ShowError(WriteErrorText());
}

void MainWindow::LoadSettingsFile() {
  if (ShowMessageBox(
          GetLangStr("QuestDefault", "Warning! All current settings will be deleted, continue?"),
          MessageDialogType::Warning, MessageButtons::YesNo) != IDYES)
    return;
  const std::optional<std::wstring> file = ChooseSettingsFile(/*save=*/false);
  if (!file) return;
  const std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(*file);
  const SettingsFileCheck check =
      bytes
          ? CheckSettingsFile(*bytes)
          : SettingsFileCheck{false, {}, GetLangStr("ErrorSettingsFileRead", "it cannot be read")};
  if (!check.accepted) {
    ShowError(FormatLangText(GetLangStr("ErrorSettingsFile",
                                        "The settings can't be loaded from %s:\r%s.\r"
                                        "Nothing was changed."),
                             {WideToUtf8(*file), check.reason}));
    return;
  }
  // The backup holds the settings as the user sees them, not as last saved.
  std::optional<SettingsBackup> backup;
  if (SaveSettingsNow()) backup = BackUpSettings(userRegistry_);
  const std::optional<std::wstring> backupFile =
      backup ? WriteBackup(*file, backup->fileBytes) : std::nullopt;
  if (!backupFile) {
    ShowError(CantSaveText() + "\r" + GetLangStr("ErrorSettingsUnchanged", "Nothing was changed."));
    return;
  }
  // From here the registry holds what the next start reads: this instance writes nothing back.
  settingsReplaced_ = true;
  const ImportOutcome outcome = ImportSettings(userRegistry_, check.operations, backup->operations);
  if (outcome != ImportOutcome::kImported) {
    settingsReplaced_ = false;
    // Without the backup in the registry, the close writes back what this instance holds.
    if (outcome == ImportOutcome::kRestoreFailed) actions_.Modified = true;
    ShowError(FormatLangText(
        outcome == ImportOutcome::kRestored
            ? GetLangStr("ErrorSettingsRestored",
                         "The settings could not be written completely.\rThe settings as they "
                         "were have been put back from the backup %s.")
            : GetLangStr("ErrorSettingsNotRestored",
                         "The settings could not be written completely, nor put back.\rThe "
                         "settings as they were are in the backup %s."),
        {WideToUtf8(*backupFile)}));
    return;
  }
  wchar_t caption[256] = {};
  GetWindowTextW(hwnd_, caption, static_cast<int>(std::size(caption)));
  SetWindowTextW(hwnd_, (std::wstring(caption) + L"_Terminating").c_str());
  // Posted: the page whose button started the load is still in its handler.
  PostMessageW(hwnd_, WM_TV_CLOSE, /*wParam=forced*/ 0, 0);
  // A failed start leaves the settings loaded for the next start of the program.
  ShellExecuteW(/*hwnd=*/nullptr, L"open", startup_.executable.c_str(), L"/lr",
                startup_.programFolder.c_str(), SW_SHOWNORMAL);
}

}  // namespace tavion
