#pragma once
// A page of the main window: a child window with its own controls, handlers and decisions,
// hosted by the window's navigation. Pages never reach into each other or into the main window;
// what they need of the program comes through PageServices.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "keys/key_edit_win.h"
#include "ui/list_command.h"

namespace tavion {

class TActionsList;
class ActionTree;
class RegistryStore;
class FormControls;
class PluginHost;

// One entry of a context menu: a command, or a separator when `separator` is set.
struct ListMenuEntry {
  ListCommand command = ListCommand::kAdd;
  std::wstring text;  // in the current language, with the key after a tab ("Add\tIns")
  bool enabled = true;
  bool separator = false;
};

// What the pages may ask of the program. Every member is set by the window before the pages are
// created; the functions run on the user-interface thread.
struct PageServices {
  HWND window = nullptr;  // the main window: owner of dialogs and message boxes
  HINSTANCE instance = nullptr;
  RegistryStore* settings = nullptr;  // the settings root (Software\Quillon\Tavion)
  RegistryStore* user = nullptr;      // HKEY_CURRENT_USER
  TActionsList* actions = nullptr;    // the current profile
  ActionTree* tree = nullptr;         // its order and nesting
  std::wstring resourceFolder;        // the "Resource" folder, empty when there is none
  std::wstring pluginFolder;          // the "PlugIns" folder
  PluginHost* plugins = nullptr;      // the loaded plug-ins (the plug-in page, the editor)
  // Loads the plug-ins again (no version messages now) and rebuilds the catalogue with them.
  std::function<void()> reloadPlugins;
  std::wstring languageFolder;  // the "Lang" folder of the language files
  // The running program's version texts and build date (the About page, the OSD sample).
  std::string fullVersion;   // "major.minor.release.build"
  std::string shortVersion;  // "major.minor"
  std::string buildDate;     // the executable's build time in the user's format
  // Runs an action code now: ExecuteAction (code, absolute tree index or -1, repeat count 0).
  std::function<void(const std::string& code, int index, bool useThread)> execute;
  // Saves the current profile; the writing goes on in the background (a failure is shown when it
  // comes back). False when the save could not start (already shown).
  std::function<bool()> saveActions;
  // Reloads the current profile with the default action set and saves it.
  std::function<void()> loadDefaultActions;
  // The action list or tree changed: the total-keys line, the tray tip and the tray's
  // "Actions" menu follow.
  std::function<void()> actionsChanged;
  // Opens the action editor: kAdd or kAddFolder for a new entry near node `selected`, kEdit for
  // node `selected`. After OK the tree changed and the profile is saved; returns the node that
  // was added or changed, to be selected. Nullopt after Cancel. Null while the program has no
  // action editor: those commands are then not offered.
  std::function<std::optional<std::size_t>(ListCommand command,
                                           std::optional<std::size_t> selected)>
      editAction;
  // The option controls of the settings (all pages), for pages that act on an option at once.
  std::function<void(const std::string& controlName)> optionChanged;
  // Sidekit32's hook entry points for the hot-key capture controls (null: nothing is captured).
  CaptureHooks captureHooks;
  // The up-only keys for the capture controls as the options hold them now (null: none).
  std::function<UpOnlyKeys()> upOnlyKeys;
  // Whether raw input is registered: the hot-key frame's HID choice can be taken.
  std::function<bool()> rawInputReady;
  // The tray icon's image: `index` 2 and above shows `image` (that image of the action images);
  // 0 or 1 blanks the icon, remembering it; -1 restores it (the remembered icon while a macro is
  // recorded, else the normal one).
  std::function<void(int index, HICON image)> setTrayImage;
  // Opens the help topic `topic` ("macros.htm#delay"); null while the program has no help (the
  // pages' help buttons are then disabled).
  std::function<void(const std::string& topic)> showHelp;

  // Macros. Starts recording into `list` (not owned: it lives until recording stops), or stops
  // recording when `list` is null. While it records, the key handler appends every keyboard event
  // to `list` and runs no hot key, and the tray icon shows the recording image and blinks.
  std::function<void(std::vector<std::string>* list)> recordMacro;
  // Opens the macro editor for the stored macro `name`. Returns the name the macro is stored
  // under after OK (it may have been renamed), nullopt after Cancel.
  std::function<std::optional<std::string>(const std::string& name)> editMacro;
  // "Add action for macros": the action editor for a new "mc_play" action, with `macroName`
  // chosen. After OK the profile is saved; returns the node added, nullopt after Cancel.
  std::function<std::optional<std::size_t>(const std::string& macroName)> addMacroAction;

  // Profiles. Makes `name` the current profile and loads its actions, saving the current one
  // first when `saveCurrent` and it was modified.
  std::function<void(const std::string& name, bool saveCurrent)> switchProfile;
  // Writes the current profile's actions, now, as the profile `name` (replacing a profile of that
  // name); the current profile stays current. False when it failed (already shown).
  std::function<bool(const std::string& name)> saveProfileAs;

  // Settings files: "Save all options in to file" and "Load all options from file".
  std::function<void()> saveSettingsFile;
  std::function<void()> loadSettingsFile;

  // The language selector chose `language` (a language file's base name, or "English").
  std::function<void(const std::string& language)> changeLanguage;
};

class Page {
 public:
  virtual ~Page() = default;

  // Creates the page window (hidden) and its controls as a child of `parent`. False when it
  // cannot be created.
  virtual bool Create(HWND parent, const PageServices& services) = 0;
  virtual HWND Handle() const = 0;
  // The page's title ("About", "Main options", ...), in the current language.
  virtual std::wstring Title() const = 0;
  // The page becomes visible: pages that are refilled when selected do it here.
  virtual void Shown() {}
  // Places the controls in the page's client area; `dpi` is the window's.
  virtual void Layout(int dpi) = 0;
  // The option controls on the page, loaded and saved with the settings; null for none.
  virtual FormControls* Options() { return nullptr; }

  // The list commands for the control that has the focus (`focus`, a descendant of the page or
  // not): whether the focused list offers `command` now, and running it. A command is only run
  // when it is enabled.
  virtual bool CommandEnabled(ListCommand /*command*/, HWND /*focus*/) const { return false; }
  virtual void RunCommand(ListCommand /*command*/, HWND /*focus*/) {}
  // The context menu of the focused list, rebuilt at each opening; empty for none.
  virtual std::vector<ListMenuEntry> ContextMenu(HWND /*focus*/) const { return {}; }
  // F12 on the page: the next view mode. False when the page has no views.
  virtual bool NextView() { return false; }
  // A status message of the window (WM_TV_STATUS wParam) for the pages; most ignore it.
  virtual void OnWindowStatus(unsigned /*status*/) {}
  // The interface language changed: the page's texts follow at once, laid out again.
  virtual void ApplyLanguage() {}
  // The least client width that shows the page's controls whole at the DPI of its last layout;
  // 0 when the page fits any width.
  virtual int MinimumWidth() const { return 0; }
};

// Shows `entries` as a pop-up menu of `owner` at `screenPoint` and returns the chosen command,
// or nullopt when the user chose nothing. Disabled entries are greyed and cannot be chosen.
std::optional<ListCommand> ShowListMenu(HWND owner, POINT screenPoint,
                                        const std::vector<ListMenuEntry>& entries);

}  // namespace tavion
