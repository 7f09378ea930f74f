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

}  // namespace tavion
