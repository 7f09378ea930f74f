#include "base/open_file_win.h"

#include <commdlg.h>

#include "base/utf_win.h"
#include "lang/lang_win.h"

namespace tavion {

std::wstring FileDialogFilter(
    std::initializer_list<std::pair<std::wstring_view, std::wstring_view>> entries) {
  std::wstring filter;
  for (const auto& [caption, patterns] : entries) {
    filter.append(caption).push_back(L'\0');
    filter.append(patterns).push_back(L'\0');
  }
  filter.push_back(L'\0');
  return filter;
}

std::wstring AllFilesCaption() {
  return GetLangStrW("FilterAll", "All files (*.*)");
}

std::wstring RegistryFileFilter() {
  return FileDialogFilter({{GetLangStrW("FilterRegistry", "Registry files (*.reg)"), L"*.reg"},
                           {AllFilesCaption(), L"*.*"}});
}

std::optional<std::string> AskFileToOpen(HWND owner, const std::string& start) {
  wchar_t file[MAX_PATH] = {};
  lstrcpynW(file, Utf8ToWide(start).c_str(), MAX_PATH);
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  const std::wstring filter = FileDialogFilter({{AllFilesCaption(), L"*.*"}});
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&dialog)) return std::nullopt;
  return WideToUtf8(file);
}

}  // namespace tavion
