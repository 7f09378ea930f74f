#pragma once
// Opening topics of the program's compiled help file.
#include <string>

namespace tavion {

// The modes of OpenHelp. The program's own help keys and buttons: one help window at a time,
// shown by this process. Every other mode, as the command line's: a separate viewer process.
inline constexpr int kHelpInProgram = 0;
inline constexpr int kHelpViewer = -1;

// Opens `topic` ("macros.htm#delay"; a page of the file's "HTML/" folder) of `helpFile`. A missing
// file is reported with the error dialog and nothing else happens. In kHelpInProgram mode an
// ownerless help window of the program ("HH Parent" captioned "Tavion") is closed first.
// Call on the user-interface thread: the help window lives on the calling thread.
void OpenHelp(const std::wstring& helpFile, const std::string& topic, int mode);

// Closes the help windows that OpenHelp showed in this process; call before the message loop
// ends.
void CloseProgramHelp();

}  // namespace tavion
