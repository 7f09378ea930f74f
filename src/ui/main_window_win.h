#pragma once
// The main window, class "TAVION_ROOTWINDOW": the program's resident message sink. It owns the
// hooks, the current profile's actions, the tray icon, and the option controls; it turns key
// events into executions and runs the start-up and the shutdown of the program.
#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "base/handles_win.h"
#include "exec/diagnostics.h"
#include "exec/media_player.h"
#include "pipeline/hook_set_win.h"
#include "pipeline/session_notifications_win.h"
#include "pipeline/startup_win.h"
#include "settings/registry_win.h"
#include "ui/page_win.h"
#include "ui/tray_icon_win.h"

namespace tavion {

class SidekitLibrary;
class FormControls;

inline constexpr wchar_t kMainWindowClass[] = L"TAVION_ROOTWINDOW";

class MainWindow {
 public:
  MainWindow(SidekitLibrary& library, const StartupInfo& startup);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Registers the class and creates the window: the creation steps and the first showing run
  // inside, so the hooks are in place when it returns. Returns false when the window cannot be
  // created, or when the program must end at once (backup mode).
  bool Create(HINSTANCE instance);
  HWND Handle() const { return hwnd_; }

 private:
  // Commands of the tray menu.
  enum : WORD {
    kIdRestore = 100,
    kIdDisableHotKeys,
    kIdDisableWin,
    kIdBlockKeyboard,
    kIdExit,
  };

  struct Parts;  // what the window owns beyond the basics

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // Start-up, in the order the program runs them.
  void OnCreate();
  // Hands the executors of the action codes what they need of the program.
  void RegisterExecutors();
  void FirstShow();
  // Shutdown: whether the close may go on (the close query), and the close handler. The handler
  // returns false when the user cancels at the exit question.
  bool CloseQuery();
  bool CloseHandler();
  void CloseNow();

  // Window states.
  void MinimizeToTray();
  void Restore();
  void RestoreOrMinimize();

  // Tray.
  void ShowTrayIcon();
  void RefreshTrayTip();
  void OnTray(LPARAM mouseMessage);
  void ShowTrayMenu();
  void SetHotKeysDisabled(bool disabled);

  // Execution.
  void OnExecute(WPARAM wParam, LPARAM lParam);
  void OnNotify(WPARAM wParam, LPARAM lParam);
  void OnStatus(WPARAM wParam);
  void OnAskLaunch(WPARAM wParam, LPARAM lParam);
  void OnCommand(WORD id);
  void ExitExplicitly();
  void b_okClick();  // "Minimize": saves, goes to the tray
  // Saves the current profile when modified; a failure is shown in a message box and gives false.
  bool SaveProfile();

  // Settings.
  void SaveSettings(bool saveActions);
  void LoadProfile();
  // Replaces the current profile by the default action set and saves it.
  void LoadDefaultProfile();
  // The tree changed: the key handler's index, the total-keys line and the tray tip follow.
  void ActionsChanged();
  void FindWinampOnFirstRun();
  void ApplyOptionChange(const std::string& name);
  bool OptionChecked(const char* name) const;
  // The option controls of every page and of the navigation, as one form.
  FormControls& Options() const;
  // Hands the option controls' values to the key handler and to the copy that worker threads
  // read; the key handler's index follows the profile's loading.
  void ApplyOptions();
  int CountActions() const;

  // The frame (main_window_frame_win.cpp): pages, navigation, bottom row.
  void CreateFrame(HINSTANCE instance);
  PageServices MakePageServices(HINSTANCE instance);
  void LayoutControls();
  // Shows page `page` (a position in CreateMainPages' order) alone, with its title.
  void ShowPage(size_t page);
  Page* CurrentPage() const;
  DiagnosticsValues Diagnostics();

  SidekitLibrary& library_;
  const StartupInfo& startup_;
  HWND hwnd_ = nullptr;
  HICON icon_ = nullptr;  // loaded from the executable: shared, never destroyed
  UniqueIcon disabledOverlay_;
  Win32Registry registry_;           // the settings root
  Win32Registry userRegistry_;       // HKEY_CURRENT_USER: actions and key names
  Win32Registry keySenderRegistry_;  // the settings root, for the key sender's macros only
  MainHooks hooks_;
  SessionNotifications sessionNotifications_;
  bool mouseHookInstalled_ = false;
  TActionsList actions_;
  ActionTree tree_;
  TrayIcon tray_;
  std::unique_ptr<Parts> parts_;
  bool startupComplete_ = false;
  bool closeStarted_ = false;         // the close handler runs
  std::atomic<bool> closing_{false};  // past the exit question: read by worker threads
  bool hotKeysDisabled_ = false;      // tray "Disable %s"
  bool disableWinKey_ = false;        // tray "Disable 'Win' key"
  bool blockKeyboard_ = false;        // tray "Block keyboard"
  bool animationPending_ = false;
  std::mutex playerOptionsLock_;
  MediaPlayerOptions playerOptions_;  // a copy of the media-player page for worker threads
};

}  // namespace tavion
