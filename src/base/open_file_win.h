#pragma once
// The system's open-file dialog for a field that names a file.
#include <windows.h>

#include <optional>
#include <string>

namespace tavion {

// Asks for one file of any kind over `owner`, starting at `start` (a path, or empty). The chosen
// path, or nullopt when the user cancels. The current directory stays as it was.
std::optional<std::string> AskFileToOpen(HWND owner, const std::string& start = {});

}  // namespace tavion
