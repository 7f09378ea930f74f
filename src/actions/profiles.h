#pragma once
// Profiles: the named action lists under `Keys`, one of them current. The choices the selector
// and the tray offer, the checks of a name the user types, and the registry side of renaming and
// deleting a profile. Portable.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavion {

class RegistryStore;

// Always offered, listed first, and never renamed or deleted.
inline constexpr std::string_view kDefaultProfile = "Default";

// The profiles to offer, in the selector's order: "Default" first, then `keyNames` (the sub-keys
// of `Keys` in the registry's order) without the staging keys of a save, and `current` when it
// has no key yet (never saved). Names equal but for case are offered once; `current` is left out
// when it is no usable name.
std::vector<std::string> ProfileChoices(const std::vector<std::string>& keyNames,
                                        std::string_view current);
std::vector<std::string> ProfileChoices(const RegistryStore& store, std::string_view keysPath,
                                        std::string_view current);

// Whether profile `name` may be renamed and deleted: every one but "Default".
bool ProfileEditable(std::string_view name);

enum class ProfileNameError {
  kNone,
  kEmpty,
  kNotKeyName,  // holds a backslash, or is longer than a registry key name may be
  kReserved,    // the name of a save's staging key
  kExists,      // among `choices`, ignoring case
};

// Checks `name` as the key name of a profile: kNone, kEmpty, kNotKeyName or kReserved.
ProfileNameError CheckProfileKeyName(std::string_view name);
// Checks a name typed for a new profile, or for the current profile `current` when `renaming`:
// also kExists when a profile of that name is offered (ProfileChoices, ignoring case) or the
// registry has its key. Renaming, a name equal to `current` but for case is no conflict.
ProfileNameError CheckNewProfileName(const RegistryStore& store, std::string_view keysPath,
                                     std::string_view name, std::string_view current,
                                     bool renaming);
// The message of a failed check in the current language ("Profilereplace" for kExists).
std::string ProfileNameErrorText(ProfileNameError error);

// Asks for a name as "Add" (from "NewProfile") or, when `renaming`, "Edit" (from `current`)
// does: `ask` shows the input dialog (nullopt for Cancel); each name that fails
// CheckNewProfileName is told (`tell`) and asked for again as typed. Nullopt after Cancel, and
// when a rename comes back unchanged.
std::optional<std::string> ChooseProfileName(
    const RegistryStore& store, std::string_view keysPath, std::string_view current, bool renaming,
    const std::function<std::optional<std::string>(const std::string& text)>& ask,
    const std::function<void(const std::string& text)>& tell);

// Deletes profile `name` below `keysPath` with the staging keys an interrupted save of it left,
// so that nothing of it comes back. False, having changed nothing, for "Default" and for a name
// that is no profile name; false when a key could not be deleted.
bool DeleteProfile(RegistryStore& store, std::string_view keysPath, std::string_view name);

// Once the actions are written as `to`: deletes the profile `from` they were renamed from, unless
// `to` names the same key (a change of case alone, which that write replaced). False when the old
// key could not be deleted.
bool RemoveRenamedProfile(RegistryStore& store, std::string_view keysPath, std::string_view from,
                          std::string_view to);

// "Error: can't delete profile - %s" in the current language.
std::string DeleteProfileErrorText(std::string_view name);

}  // namespace tavion
