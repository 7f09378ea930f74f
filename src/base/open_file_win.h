#pragma once
// The system's open-file dialog for a field that names a file.
#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace tavion {

// A file dialog's filter: each caption and its patterns ended by a zero, and a zero after the
// last pair.
std::wstring FileDialogFilter(
    std::initializer_list<std::pair<std::wstring_view, std::wstring_view>> entries);

// The filter caption for every file ("All files (*.*)" in the current language).
std::wstring AllFilesCaption();

// The filter for registry files, then every file (the settings and key-map files).
std::wstring RegistryFileFilter();

// Asks for one file of any kind over `owner`, starting at `start` (a path, or empty). The chosen
// path, or nullopt when the user cancels. The current directory stays as it was.
std::optional<std::string> AskFileToOpen(HWND owner, const std::string& start = {});

}  // namespace tavion
