#pragma once
// A profile's actions in the registry: loading, crash-safe saving, and the recovery of a save that
// was interrupted. Portable (the registry comes through RegistryStore).
//
// A profile is the key `Keys`\<profile> holding one sub-key per action, named by the action's
// absolute tree index as three or more digits ("000", "001", ... "1000"), each written by the
// property walker. A save writes the whole new profile under a staging key first and only then
// swaps it in by renaming, so an interruption at any point leaves the old or the new profile
// whole; the next load finishes or undoes the swap.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "actions/default_actions.h"
#include "settings/registry.h"
#include "settings/staged_key.h"

namespace tavion {

class ActionTree;
class TActionsList;

inline constexpr std::string_view kKeysRegistryPath = "Software\\Quillon\\Tavion\\Keys";

// The profile argument of SaveActions that stands for the current profile.
inline constexpr std::string_view kCurrentProfileMark = "\x01";

// Sub-keys of `Keys` that a save uses for a while; they are never profiles.
inline constexpr std::string_view kStagingProfilePrefix = kStagingKeyPrefix;
inline constexpr std::string_view kPreviousProfilePrefix = kPreviousKeyPrefix;
bool IsTransientProfileKey(std::string_view name);

// The sub-key name of the action with absolute index `index`: "%03u".
std::string ActionKeyName(std::size_t index);

// Orders sub-key names as actions are loaded: names made only of digits by their number (equal
// numbers by text), then every other name as text, ignoring case.
void SortActionKeyNames(std::vector<std::string>& names);

// Finishes or undoes an interrupted save of the profile key `profilePath`, so that it holds a whole
// profile (or, when the save was the profile's first, does not exist). Does nothing after a
// complete save.
void RecoverInterruptedSave(RegistryStore& store, std::string_view profilePath);

struct LoadActionsOptions {
  bool defaults = false;        // load the default set instead of the registry's
  uint32_t existingDrives = 0;  // drives A to L for the default set (bit 0 = A)
  DefaultSetPlugins plugins;    // the default set's plug-ins that are loaded
};

// Replaces the list and its tree by the actions of the profile key `profilePath`, or by the default
// set when the key does not exist or `options.defaults` is set. The tree is rebuilt in list order
// from the Levl values; a node's text is the action's Name or, when it is empty, the catalogue
// display name of its code (the code itself when the catalogue has none), which then becomes its
// Name.
void LoadActions(TActionsList& list, ActionTree& tree, RegistryStore& store,
                 std::string_view profilePath, const LoadActionsOptions& options = {});

struct SaveActionsOptions {
  std::string_view keysPath = kKeysRegistryPath;
  std::string_view currentProfile;  // what kCurrentProfileMark stands for
  // Keep the current profile's key when saving under another name (a new profile starts as a
  // copy); without it, saving under another name removes the current profile afterwards.
  bool keep = false;
  // Processes pending window messages before the list is written; may be empty.
  std::function<void()> processMessages;
  // Tells the user, once, that the save failed (SaveActionsErrorText); may be empty.
  std::function<void(const std::string& text)> tellFailure;
};

// The message of a failed save of `profile`: "ErrorSaveActions" in the current language.
std::string SaveActionsErrorText(std::string_view profile);

// Writes the list in tree order to `keysPath`\`profile`, unless it is not marked modified: a
// snapshot (TakeProfileSnapshot) written at once (WriteProfileSnapshot). Clears `Modified` when it
// writes, and sets `Saving` while it does; a failed write leaves the old profile in place, marks
// the list modified again, tells `tellFailure` and returns false.
bool SaveActions(TActionsList& list, const ActionTree& tree, RegistryStore& store,
                 std::string_view profile, const SaveActionsOptions& options);

// A profile as a save writes it, detached from the list: it may be written on another thread.
struct ProfileSnapshot {
  std::string keysPath;
  std::string profile;   // the profile's key name below keysPath
  std::string replaces;  // a profile removed once this one is in place; empty for none
  // The actions in tree order, each with its key name ("000", "001", ...) and its values and
  // sub-keys at the root of a registry of its own: small trees are quick to fill.
  std::vector<std::pair<std::string, std::unique_ptr<MemoryRegistry>>> actions;
};

// The profile name that `profile` stands for (kCurrentProfileMark resolved).
std::string SavedProfileName(std::string_view profile, const SaveActionsOptions& options);

// The tree's actions in order as SaveActions writes them; each node's action gets the node's depth
// as Levl and the node's text as Name first. Nullopt when `profile` names no key (empty, or with a
// backslash).
std::optional<ProfileSnapshot> TakeProfileSnapshot(const ActionTree& tree, std::string_view profile,
                                                   const SaveActionsOptions& options);

// Writes `snapshot` under a staging key, swaps it in for the old profile and then removes the
// profile it replaces; an interruption at any step leaves a whole profile for
// RecoverInterruptedSave. False at the first failed step.
bool WriteProfileSnapshot(RegistryStore& store, const ProfileSnapshot& snapshot);

}  // namespace tavion
