#include "actions/profiles.h"

#include <algorithm>

#include "lang/lang.h"
#include "settings/registry.h"
#include "settings/staged_key.h"

namespace tavion {
namespace {

// A registry key name holds at most 255 UTF-16 units.
constexpr std::size_t kMaxKeyNameUnits = 255;

std::size_t Utf16Units(std::string_view utf8) {
  std::size_t units = 0;
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) units += byte >= 0xF0 ? 2 : 1;  // four bytes: a surrogate pair
  }
  return units;
}

// The registry ignores case, so "~SAVING~x" would be the staging key of profile "x".
bool IsReservedName(std::string_view name) {
  for (const std::string_view prefix : {kStagingKeyPrefix, kPreviousKeyPrefix})
    if (RegistryNameEqual(name.substr(0, prefix.size()), prefix)) return true;
  return false;
}

bool Offered(const std::vector<std::string>& choices, std::string_view name) {
  return std::any_of(choices.begin(), choices.end(),
                     [&](const std::string& choice) { return RegistryNameEqual(choice, name); });
}

}  // namespace

std::vector<std::string> ProfileChoices(const std::vector<std::string>& keyNames,
                                        std::string_view current) {
  std::vector<std::string> choices{std::string(kDefaultProfile)};
  for (const std::string& name : keyNames)
    if (CheckProfileKeyName(name) == ProfileNameError::kNone && !Offered(choices, name))
      choices.push_back(name);
  if (CheckProfileKeyName(current) == ProfileNameError::kNone && !Offered(choices, current))
    choices.emplace_back(current);
  return choices;
}

std::vector<std::string> ProfileChoices(const RegistryStore& store, std::string_view keysPath,
                                        std::string_view current) {
  return ProfileChoices(store.SubKeyNames(keysPath), current);
}

bool ProfileEditable(std::string_view name) {
  return !RegistryNameEqual(name, kDefaultProfile);
}

ProfileNameError CheckProfileKeyName(std::string_view name) {
  if (name.empty()) return ProfileNameError::kEmpty;
  if (name.find('\\') != std::string_view::npos || Utf16Units(name) > kMaxKeyNameUnits)
    return ProfileNameError::kNotKeyName;
  if (IsReservedName(name)) return ProfileNameError::kReserved;
  return ProfileNameError::kNone;
}

ProfileNameError CheckNewProfileName(const RegistryStore& store, std::string_view keysPath,
                                     std::string_view name, std::string_view current,
                                     bool renaming) {
  if (const ProfileNameError error = CheckProfileKeyName(name); error != ProfileNameError::kNone)
    return error;
  if (renaming && RegistryNameEqual(name, current)) return ProfileNameError::kNone;
  if (Offered(ProfileChoices(store, keysPath, current), name) ||
      store.KeyExists(JoinRegistryPath(keysPath, name)))
    return ProfileNameError::kExists;
  return ProfileNameError::kNone;
}

std::string ProfileNameErrorText(ProfileNameError error) {
  switch (error) {
    case ProfileNameError::kNone:
      return {};
    case ProfileNameError::kEmpty:
      return GetLangStr("ProfileNameEmpty", "Input a profile name");
    case ProfileNameError::kNotKeyName:
      return GetLangStr("ProfileNameInvalid",
                        "A profile name can't hold a backslash or be longer than 255 characters, "
                        "input another name");
    case ProfileNameError::kReserved:
      return GetLangStr("ProfileNameReserved",
                        "Names beginning with '~saving~' or '~previous~' are used by the program, "
                        "input another name");
    case ProfileNameError::kExists:
      return GetLangStr("Profilereplace", "Profile already exists, input another name");
  }
  return {};
}

std::optional<std::string> ChooseProfileName(
    const RegistryStore& store, std::string_view keysPath, std::string_view current, bool renaming,
    const std::function<std::optional<std::string>(const std::string& text)>& ask,
    const std::function<void(const std::string& text)>& tell) {
  std::string text = renaming ? std::string(current) : "NewProfile";
  for (;;) {
    std::optional<std::string> typed = ask(text);
    if (!typed || (renaming && *typed == current)) return std::nullopt;
    const ProfileNameError error = CheckNewProfileName(store, keysPath, *typed, current, renaming);
    if (error == ProfileNameError::kNone) return typed;
    tell(ProfileNameErrorText(error));
    text = std::move(*typed);
  }
}

bool DeleteProfile(RegistryStore& store, std::string_view keysPath, std::string_view name) {
  if (!ProfileEditable(name) || CheckProfileKeyName(name) != ProfileNameError::kNone) return false;
  const std::string path = JoinRegistryPath(keysPath, name);
  if (!store.DeleteKey(path)) return false;
  // The next load of a profile of this name would take what a save left beside it for its own.
  bool deleted = true;
  for (const std::string_view prefix : {kStagingKeyPrefix, kPreviousKeyPrefix})
    deleted = store.DeleteKey(SiblingKeyPath(path, prefix)) && deleted;
  return deleted;
}

bool RemoveRenamedProfile(RegistryStore& store, std::string_view keysPath, std::string_view from,
                          std::string_view to) {
  return RegistryNameEqual(from, to) || DeleteProfile(store, keysPath, from);
}

std::string DeleteProfileErrorText(std::string_view name) {
  return FormatLangText(GetLangStr("ErrorDeleteProfile", "Error: can't delete profile - %s"),
                        {name});
}

}  // namespace tavion
