// Tavion.exe: the process's initialisation and the main block.
#include <windows.h>

#include <string>

#include "actions/masks_win.h"
#include "base/utf_win.h"
#include "exec/sounds.h"
#include "keys/key_input_win.h"
#include "lang/lang.h"
#include "lang/lang_win.h"
#include "lang/language_win.h"
#include "pipeline/sidekit_library_win.h"
#include "pipeline/startup_win.h"
#include "services/shortcuts_win.h"
#include "settings/registry_win.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "settings/settings_system_win.h"
#include "ui/help_win.h"
#include "ui/main_window_win.h"

namespace {

int RunMessageLoop(tavion::MainWindow& window) {
  MSG msg;
  BOOL got;
  while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
    if (got == -1) return 1;
    if (window.PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

bool WindowsTooOld() {
  OSVERSIONINFOW os = {};
  os.dwOSVersionInfoSize = sizeof os;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  return GetVersionExW(&os) && os.dwMajorVersion < 5;
#pragma GCC diagnostic pop
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  using namespace tavion;
  // Libraries are never looked up in the current directory.
  SetDllDirectoryW(L"");
  InstallSystemKeyNames();
  InstallWin32UpperCase();
  static StartupInfo startup = ReadStartupInfo();
  SetSoundResourceFolder(WideToUtf8(startup.resourceFolder));
  Win32Registry settingsStore(HKEY_CURRENT_USER, kSettingsRootPath);
  // Before any message and any window: every text from here on is in this language.
  Settings().Language = ReadInterfaceLanguage(settingsStore);
  OpenLanguageFile(startup.languageFolder, Settings().Language);

  // Declared before the window, so it outlives it: the window removes the hooks first.
  SidekitLibrary sidekit;
  if (!sidekit.Load(startup.programFolder.c_str())) ShowSidekitMissingError();

  if (WindowsTooOld()) {
    MessageBoxW(
        /*hWnd=*/nullptr,
        GetLangStrW("ErrorWindowsVersion", "To run this program you need Windows 2000/XP/2003")
            .c_str(),
        L"", MB_ICONERROR);
    return 0;
  }
  const CommandLine& line = startup.commandLine;
  if (line.autorun) {
    startup.showCommand = SW_SHOWMINNOACTIVE;
    if (sidekit.GetAnimation && sidekit.GetAnimation()) {
      startup.animationWasOn = true;
      sidekit.SetAnimation(0);
    }
  }
  SetCurrentDirectoryW(startup.programFolder.c_str());

  OptLoadStart loadStart;
  loadStart.fullVersion = startup.fullVersion;
  loadStart.ask = [](const std::string& message) { return AskKernelConflict(message); };
  loadStart.applyPriority = [](ProcessPriority priority) { ApplyProcessPriority(priority); };
  if (!OptLoadPhase1(settingsStore, Settings(), loadStart)) return 0;

  if (line.help && !line.help->empty()) OpenHelp(startup.helpFile, *line.help, kHelpViewer);

  // Each switch on its own, in their order; a failure is no reason not to start.
  for (const int set : line.shortcutSets)
    CreateShortcuts({startup.executable, startup.helpFile}, !line.removeShortcuts, {&set, 1});

  if (line.preKill) return 0;

  if (!PassSingleInstanceTest(sidekit, line, L"Tavion", kMainWindowClass)) return 0;

  if (!line.backup) {
    PlaySoundFile("on.wav", MB_ICONEXCLAMATION, /*honourOption=*/true, /*beepWhenMissing=*/true,
                  /*flags=SND_ASYNC*/ 1, Settings().Beep_Enab);
  }

  MainWindow window(sidekit, startup);
  if (!window.Create(instance)) return line.backup ? 0 : 1;
  return RunMessageLoop(window);
}
