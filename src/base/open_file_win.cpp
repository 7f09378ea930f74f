#include "base/open_file_win.h"

#include <commdlg.h>

#include "base/utf_win.h"

namespace tavion {

std::optional<std::string> AskFileToOpen(HWND owner, const std::string& start) {
  wchar_t file[MAX_PATH] = {};
  lstrcpynW(file, Utf8ToWide(start).c_str(), MAX_PATH);
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = L"*.*\0*.*\0";
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&dialog)) return std::nullopt;
  return WideToUtf8(file);
}

}  // namespace tavion
