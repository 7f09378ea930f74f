#pragma once
// Finding the media player's program. Portable.
#include <string>

namespace tavion {

// The program of a shell "open" command such as "C:\Winamp\winamp.exe" "%1": every argument part
// (quote, blank, quote, "%1", quote) removed, then every remaining quote.
std::string WinampPathFromCommand(std::string command);

}  // namespace tavion
