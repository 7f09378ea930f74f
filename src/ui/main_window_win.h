#pragma once
// The main window, class "TAVION_ROOTWINDOW": the program's resident message sink. It owns the
// hooks, the current profile's actions, the tray icon, and the option controls; it turns key
// events into executions and runs the start-up and the shutdown of the program.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "actions/profile_saver.h"
#include "base/handles_win.h"
#include "exec/diagnostics.h"
#include "exec/media_player.h"
#include "pipeline/hook_health_win.h"
#include "pipeline/hook_set_win.h"
#include "pipeline/raw_input_win.h"
#include "pipeline/session_notifications_win.h"
#include "pipeline/startup_win.h"
#include "services/integrity_notice.h"
#include "settings/registry_win.h"
#include "ui/page_win.h"
#include "ui/tray_icon_win.h"
#include "ui/tray_menu.h"

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
  // Called by the message loop for every message before it is dispatched: true when the window
  // handled it (its own keys, the title-bar buttons, the wheel, the frame's dialog keys).
  bool PreTranslate(MSG& msg);

 private:
  // Commands of the tray menu.
  enum : WORD {
    kIdRestore = 100,
    kIdDisableHotKeys,
    kIdDisableWin,
    kIdBlockKeyboard,
    kIdExit,
    kIdLanguageIcon,
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

  // Opens `topic` of the help file in the program's help window (main_window_help_win.cpp).
  void ShowHelp(const std::string& topic);

  // Keys (main_window_keys_win.cpp): true when the key was used.
  bool OnWindowKey(unsigned virtualKey);
  // F11: asks, and on Yes closes the program and starts it again with "/lr".
  void AskRestart();
  // Closes the program, saving its settings, and starts it again with "/lr".
  void RestartProgram();

  // Language (main_window_language_win.cpp). The selector chose `language`: English after the
  // restart question, any other at once: the catalogue, the pages and the frame follow.
  void ChangeLanguage(const std::string& language);
  // Every text of the window in the current language, laid out again.
  void ApplyLanguageToWindow();
  // The tray's language icon follows the foreground window's keyboard layout: a foreground
  // change is seen through an event hook, a layout change by a check at each key event.
  void WatchForegroundLanguage();
  void StopWatchingForegroundLanguage();
  static void CALLBACK OnForegroundChanged(HWINEVENTHOOK hook, DWORD event, HWND window,
                                           LONG object, LONG child, DWORD thread, DWORD time);
  // `window` became the foreground: when its program runs with higher rights than ours, whose
  // keys our hooks cannot see, the user is told once per program (main_window_integrity_win.cpp).
  void CheckForegroundIntegrity(HWND window);
  std::optional<IntegrityNotice> integrityNotice_;  // made at the first foreground change

  // Tray.
  void ShowTrayIcon();
  void RefreshTrayTip();
  // Tells the user something that happened behind their back: a balloon over the tray icon, or,
  // without the icon, the on-screen display (even when action notifications are switched off).
  void ShowNotice(const std::string& text);
  void OnTray(LPARAM mouseMessage);
  void ShowTrayMenu();
  void OnTrayCommand(UINT id);
  // The "Actions" submenu, made again when TrayActionsRule asks; null when it cannot be made.
  HMENU TrayActionsMenu();
  // The tray shows the icon of `language` (0: the foreground window's) from the chosen set, when
  // enabled and available.
  void RefreshLanguageIcon(uint16_t language);
  // The image interface of the tray icon (TrayIcon::SetImage).
  void SetTrayImage(int index, HICON image);
  // WM_MEASUREITEM / WM_DRAWITEM of the images of the "Actions" submenu.
  void OnTrayImageMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Profiles (main_window_profiles_win.cpp). Makes `name` current and loads its actions, saving
  // the current profile first when `saveCurrent`.
  void SwitchProfile(const std::string& name, bool saveCurrent = true);
  // Writes the current actions as the profile `name` now; false when it failed (shown).
  bool SaveProfileAs(const std::string& name);
  // --- profiles: further members here ---

  // Macros (main_window_macros_win.cpp): recording into `list`, or stopping it (null).
  void RecordMacro(std::vector<std::string>* list);
  // The macro editor for `name`: the name stored under after OK, nullopt after Cancel.
  std::optional<std::string> EditMacro(const std::string& name);
  // "Add action for macros".
  std::optional<std::size_t> AddMacroAction(HINSTANCE instance, const std::string& macroName);
  // --- macros: further members here ---
  // The action editor opened for `request`; after OK saves the profile and returns the node
  // added or changed.
  std::optional<std::size_t> EditAction(HINSTANCE instance,
                                        const struct ActionEditorRequest& request);
  // While a macro is recorded the tray shows image 25 and blinks: every 600 ms a window timer
  // (this procedure) blanks the icon or shows it again.
  static void CALLBACK BlinkTrayIcon(HWND hwnd, UINT message, UINT_PTR timer, DWORD time);
  UniqueIcon recordingIcon_;  // image 25: the macro image from the resource folder
  bool blinkBlank_ = false;   // the tray icon is blanked between two blinks

  // Settings files (main_window_files_win.cpp).
  void SaveSettingsFile();
  void LoadSettingsFile();
  // --- settings files: further members here ---

  // Shortcuts and autorun (main_window_shortcuts_win.cpp). The autorun box from the Run key and
  // the shortcut boxes from the files; the first showing of a first run registers autorun first.
  void ShowShellOptions(bool firstShow);
  // A click on cb_load or cb_sc1..cb_sc4 acts at once; false for any other option.
  bool ApplyShellOption(const std::string& name);

  // The file chosen in the save (or open) dialog proposing "TavionBackUp2.reg"; nullopt after
  // Cancel.
  std::optional<std::wstring> ChooseSettingsFile(bool save);
  // Saves the settings and the current profile now (OptSave with the actions, the profile saver
  // waited for). False when a write failed. The backup run, which loaded nothing, saves nothing.
  bool SaveSettingsNow();
  // The registry holds settings loaded from a file: the close must not write this instance's back.
  bool settingsReplaced_ = false;

  // --- plug-ins: further members here ---
  // Plug-ins (main_window_plugins_win.cpp). Makes the host, the process's plug-in resolver and
  // catalogue source until ReleasePluginHost.
  void CreatePluginHost(struct MainWindowServices& services);
  // Loads the plug-ins; until the first showing ends, each one of another interface version is
  // told in a message.
  void LoadPlugins();
  // Loads the plug-ins again and rebuilds the catalogue with them.
  void ReloadPlugins();
  void ReleasePluginHost();
  // TAVION_WM_QUERY: a window handle, or a pointer to a text valid until the next query.
  LRESULT OnPluginQuery(WPARAM wParam);
  // The plug-ins of the default action set that are loaded.
  DefaultSetPlugins DefaultPluginsLoaded() const;
  std::shared_ptr<PluginHost> plugins_;
  std::string pluginQueryText_;  // the last TAVION_QUERY_LANGUAGE answer, ANSI
  void SetHotKeysDisabled(bool disabled);

  // Execution.
  void OnExecute(WPARAM wParam, LPARAM lParam);
  void OnNotify(WPARAM wParam, LPARAM lParam);
  void OnStatus(WPARAM wParam);
  void OnAskLaunch(WPARAM wParam, LPARAM lParam);
  void OnCommand(WORD id);
  void ExitExplicitly();
  void b_okClick();  // "Minimize": saves, goes to the tray
  // Saves the current profile when modified. The saver writes it, and a failure is shown when it
  // comes back; false only for a profile name that is no key name (shown). With `now`, for what
  // reads the profile next, waits for the saves in progress and this one: false when it failed.
  bool SaveProfile(bool now = false);
  // The failures the saver reported: shown, and the list marked modified again.
  void OnSaveFailed();
  SaveActionsOptions ProfileSaveOptions() const;

  // Settings.
  void SaveSettings(bool saveActions);
  void LoadProfile();
  // Replaces the current profile by the default action set and saves it.
  void LoadDefaultProfile();
  // The tree changed: the key handler's index, the total-keys line and the tray tip follow.
  void ActionsChanged();
  // Runs the action editor for a page's "Add", "Add folder" or "Edit"; after OK saves the
  // profile and returns the node added or changed.
  std::optional<std::size_t> EditAction(HINSTANCE instance, ListCommand command,
                                        std::optional<std::size_t> selected);
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
  void FillNavigation();
  // The navigation, the page title and the bottom row in the current language.
  void RefreshFrameTexts();
  // Marks and selects the navigation entry of the shown page.
  void MarkShownEntry();
  // Opens or closes the panels as their options say.
  void ApplyNavigationPanels();
  LRESULT OnNavigationNotify(const NMHDR& header);
  // A panel's title opens or closes it; an entry shows its page.
  void ActivateNavigationItem(HTREEITEM item);
  void ShowUpdateNotice(const std::wstring& text);
  void OnUpdateNoticeClick();
  struct FrameMetrics {
    int margin = 0;
    int navigationWidth = 0;
    int titleHeight = 0;
    int buttonWidth = 0;
    int buttonHeight = 0;
  };
  // The frame's sizes at `dpi`, measured with its fonts (made for `dpi` first when needed).
  FrameMetrics MeasureFrame(int dpi);
  void SetFrameFonts(int dpi);
  void MinimumTrackSize(MINMAXINFO& info);
  DiagnosticsValues Diagnostics();

  SidekitLibrary& library_;
  const StartupInfo& startup_;
  HWND hwnd_ = nullptr;
  HICON icon_ = nullptr;  // loaded from the executable: shared, never destroyed
  UniqueIcon disabledOverlay_;
  Win32Registry registry_;           // the settings root
  Win32Registry userRegistry_;       // HKEY_CURRENT_USER: actions and key names
  Win32Registry keySenderRegistry_;  // the settings root, for the key sender's macros only
  Win32Registry saverRegistry_;      // HKEY_CURRENT_USER, for the profile saver's thread only
  MainHooks hooks_;
  // Finds the keyboard hook lost and installs it again (main_window_health_win.cpp).
  HookHealthMonitor hookHealth_;
  void StartHookHealth();
  TRawInputClass rawInput_;
  // Which raw input events count, from the option controls and the settings as they are now.
  RawInputOptions RawInputOptionsNow() const;
  SessionNotifications sessionNotifications_;
  bool mouseHookInstalled_ = false;
  TActionsList actions_;
  ActionTree tree_;
  // Made with the window, which its failures are posted to; it ends before saverRegistry_.
  std::unique_ptr<ProfileSaver> saver_;
  TrayIcon tray_;
  UniqueIcon languageIcon_;    // the tray's language icon while it shows one
  uint16_t iconLanguage_ = 0;  // the keyboard language the tray's icon was last chosen for
  UniqueHandle<NullHandleTraits<HWINEVENTHOOK, &UnhookWinEvent>> foregroundHook_;
  UniqueIcon folderIcon_;
  UniqueMenu trayActions_;  // the "Actions" submenu, kept between openings
  TrayActionsRule trayActionsRule_;
  std::vector<std::string> trayProfiles_;  // the profile names of the open menu
  UINT taskbarCreated_ = 0;                // "TaskbarCreated": the tray icon is added again
  std::unique_ptr<Parts> parts_;
  bool startupComplete_ = false;
  bool updateCheckStarted_ = false;   // the background update check runs once per process
  bool editorOpen_ = false;           // the action editor is shown: the tray menu stays shut
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
