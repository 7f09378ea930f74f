#pragma once
// What the main block learns before the main window exists, and the steps it takes.
#include <windows.h>

#include <string>

#include "pipeline/command_line.h"

namespace tavion {

class SidekitLibrary;

struct StartupInfo {
  CommandLine commandLine;
  std::wstring programFolder;  // without a trailing backslash; also the current directory
  std::wstring pluginFolder;
  std::wstring languageFolder;
  std::wstring resourceFolder;
  std::wstring helpFile;
  std::wstring executable;
  std::string fullVersion;   // "1.0.0.1"
  std::string shortVersion;  // "1.0"
  std::string buildDate;     // the executable's build time in the user's format
  bool xp = true;            // Windows 5.1 or later
  int showCommand = SW_SHOWNORMAL;
  bool animationWasOn = false;  // "/a" switched the window animation off for the start
};

// The folders and version texts of the running executable; the command line from the process.
StartupInfo ReadStartupInfo();

// The program's name with its short version, as captions show it: "Tavion 1.0".
std::wstring ProgramTitle(const StartupInfo& info);

// The single-instance step of the main block; false when this start has handed over to the
// running instance of `product` (WM_TV_ACTIVATE to its window of class `windowClass`) and ends.
// "/lr" goes on, but still asks the library: asking shares the claim of the instance that is
// closing, so the restarted one holds it once the old one has gone. "/sr" neither asks nor
// claims: a backup run ends by itself and must not stand in a resident instance's way. Without
// the library a resident window of the class counts as the running instance.
bool PassSingleInstanceTest(const SidekitLibrary& library, const CommandLine& line,
                            const wchar_t* product, const wchar_t* windowClass);

// The window of class `windowClass` that a second start hands over to, passing by the window of
// a backup run; null when there is none.
HWND FindResidentWindow(const wchar_t* windowClass);

// Marks `window` as the main window of a backup run, and takes the mark off again; the window
// must lose its mark before it is destroyed.
void MarkBackupRunWindow(HWND window);
void ClearBackupRunMark(HWND window);

}  // namespace tavion
