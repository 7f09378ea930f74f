#pragma once
// Loading and saving the program-wide settings: the settings-format ("kernel") check, the two
// phases of OptLoad and OptSave. Portable: the registry is a RegistryStore rooted at the settings
// root, the main window is reached through FormControls and MainWindowGeometry, and the system
// (message box, process priority, clock) through the arguments.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/registry.h"
#include "settings/settings.h"
#include "settings/form.h"

namespace tavion {

enum class AskAnswer : uint8_t { kYes, kNo, kCancel };

// The settings-format conflict question: the language's "KernelConflict" text (or the English
// one) with the stored version in the first "%s" and kKernelVersion in the second.
std::string KernelConflictMessage(std::string_view storedVersion);

// The first step of phase 1. When the stored KERNEL is not kKernelVersion, asks `ask` (a
// Yes/No/Cancel question): Yes empties the root and writes only VER = `fullVersion`; No keeps
// the stored settings, as does a missing `ask`. Returns false for Cancel: the caller ends the
// process at once.
bool CheckKernelVersion(RegistryStore& store, std::string_view fullVersion,
                        const std::function<AskAnswer(const std::string& message)>& ask);

enum class ProcessPriority : uint8_t { kAboveNormal, kHigh };

// The priority `Priority` asks for: 1 above normal, 2 high; nullopt (leave it) for any other.
std::optional<ProcessPriority> PriorityFromSetting(int32_t value);

struct OptLoadStart {
  std::string fullVersion;                                   // "major.minor.release.build"
  std::function<AskAnswer(const std::string& message)> ask;  // the conflict question
  std::function<void(ProcessPriority)> applyPriority;        // called only for 1 and 2
};

// Phase 1 (before any window): the kernel check, then ProfileNm, Beep_Enab, ThirstRun and
// Priority into `settings`, applying the priority. Returns false when the process must end.
bool OptLoadPhase1(RegistryStore& store, SettingsRecord& settings, const OptLoadStart& start);

struct WindowRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// What the settings need of the main window's placement.
class MainWindowGeometry {
 public:
  virtual ~MainWindowGeometry() = default;
  virtual int ScreenWidth() const = 0;
  virtual int ScreenHeight() const = 0;
  // Change the normal (restored) bounds, also while the window is maximised.
  virtual void SetSize(int width, int height) = 0;
  virtual void SetLeft(int left) = 0;
  virtual void SetTop(int top) = 0;
  virtual void Maximize() = 0;
  virtual bool IsMaximized() const = 0;
  // The normal (restored) bounds, or nullopt when they cannot be obtained.
  virtual std::optional<WindowRect> NormalBounds() const = 0;
};

struct OptLoadFull {
  bool autorunStart = false;  // "/a": the window starts beyond the right screen edge
  std::string shortVersion;   // "major.minor"
  double now = 0;             // local date-time, days since 30 December 1899
  int dpi = 96;               // the window's: a size never stored is the designed one at it
};

// Lists phase 2 reads for the main window.
struct LoadedLists {
  std::vector<std::string> upOnlyKeys;    // TR_upkeys_list
  std::vector<std::string> ignoredKeys;   // ExKeys\IgnoreList Items
  std::vector<std::string> profileNames;  // the sub-keys of Keys, in registry order
};

// Phase 2 (while the main window is created): the option controls (SyncOptionControls with
// "OPT_"), then the root, Desk, Misc and Visual values into `settings`, the window geometry,
// the update date and version, and the lists.
LoadedLists OptLoadPhase2(RegistryStore& store, SettingsRecord& settings, FormControls& options,
                          MainWindowGeometry& window, const OptLoadFull& full);

// Copies the five OSD option controls (Opt_Desk_TextEx, OPT_DESKANIM, Opt_Desk_Shadow,
// Opt_Desk_KeyInfo, OPT_OSD_SKIN) into `settings`; controls the form lacks are left alone.
void CopyDeskOptions(const FormControls& options, SettingsRecord& settings);

struct OptSaveContext {
  std::string fullVersion;    // VER
  std::string programFolder;  // Path: without a trailing backslash
  // The ignored-key list; null when the list does not exist. Empty or null erases the key.
  const std::vector<std::string>* ignoredKeys = nullptr;
  // OptSave(SaveActions = true) calls it last: it saves the current profile when modified.
  std::function<void()> saveActions;
};

// Writes every written value in its order. Priority, TR_upkeys_list, the ClearRaw values,
// var_datetime and foobar2000_class are never written. Returns whether every write succeeded.
bool OptSave(RegistryStore& store, const SettingsRecord& settings, FormControls& options,
             const MainWindowGeometry& window, const OptSaveContext& context);

// The interface language, read by the process's initialisation before OptLoad.
std::string ReadInterfaceLanguage(const RegistryStore& store);

// Days since 30 December 1899 (the stored date format) of a civil date and time of day.
double DateTimeFromCivil(int year, int month, int day, int hour, int minute, int second);

}  // namespace tavion
