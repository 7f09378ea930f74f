#include "actions/actions_registry.h"

#include <algorithm>
#include <cstdio>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "actions/catalogue.h"
#include "actions/default_actions.h"
#include "actions/persistent.h"
#include "lang/lang.h"
#include "settings/registry.h"
#include "settings/staged_key.h"

namespace tavion {

namespace {

bool AllDigits(std::string_view name) {
  return !name.empty() &&
         std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Compares two digit strings by their number without converting (any length).
int CompareNumbers(std::string_view a, std::string_view b) {
  const auto strip = [](std::string_view s) {
    const size_t first = s.find_first_not_of('0');
    return first == std::string_view::npos ? std::string_view{} : s.substr(first);
  };
  a = strip(a);
  b = strip(b);
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a.compare(b);
}

}  // namespace

bool IsTransientProfileKey(std::string_view name) {
  return name.starts_with(kStagingProfilePrefix) || name.starts_with(kPreviousProfilePrefix);
}

std::string ActionKeyName(std::size_t index) {
  char text[24];
  std::snprintf(text, sizeof text, "%03zu", index);
  return text;
}

void SortActionKeyNames(std::vector<std::string>& names) {
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const bool aNumber = AllDigits(a), bNumber = AllDigits(b);
    if (aNumber != bNumber) return aNumber;
    if (aNumber) {
      const int byNumber = CompareNumbers(a, b);
      if (byNumber != 0) return byNumber < 0;
      return a < b;
    }
    return RegistryNameLess(a, b);
  });
}

void RecoverInterruptedSave(RegistryStore& store, std::string_view profilePath) {
  RecoverStagedKey(store, profilePath);
}

void LoadActions(TActionsList& list, ActionTree& tree, RegistryStore& store,
                 std::string_view profilePath, const LoadActionsOptions& options) {
  tree.Clear(list);
  bool loaded = false;
  if (!options.defaults) {
    RecoverInterruptedSave(store, profilePath);
    if (store.KeyExists(profilePath)) {
      std::vector<std::string> names = store.SubKeyNames(profilePath);
      SortActionKeyNames(names);
      for (const std::string& name : names) {
        WriteObject(list.Add(), store, profilePath, name, /*load=*/true);
      }
      loaded = true;
    }
  }
  if (!loaded) BuildDefaults(list, options.existingDrives, options.plugins);

  tree.Rebuild(list, [](TAction& action) {
    if (action.Name().empty()) {
      std::string text = FindCatalogueEntry(action.Exec()).displayName;
      action.SetName(text.empty() ? action.Exec() : text);
    }
    return action.Name();
  });
}

std::string SaveActionsErrorText(std::string_view profile) {
  return FormatLangText(
      GetLangStr("ErrorSaveActions", "Error: can't save the actions of profile - %s"), {profile});
}

std::string SavedProfileName(std::string_view profile, const SaveActionsOptions& options) {
  return std::string(profile == kCurrentProfileMark ? options.currentProfile : profile);
}

std::optional<ProfileSnapshot> TakeProfileSnapshot(const ActionTree& tree, std::string_view profile,
                                                   const SaveActionsOptions& options) {
  std::string name = SavedProfileName(profile, options);
  if (name.empty() || name.find('\\') != std::string::npos) return std::nullopt;
  ProfileSnapshot snapshot;
  snapshot.keysPath = options.keysPath;
  if (!options.keep && !options.currentProfile.empty() &&
      !RegistryNameEqual(options.currentProfile, name))
    snapshot.replaces = options.currentProfile;
  snapshot.profile = std::move(name);
  snapshot.actions.reserve(tree.Count());
  for (std::size_t i = 0; i < tree.Count(); ++i) {
    const ActionTree::Node* node = tree.NodeAt(i);
    TAction* action = node->action;
    if (!action) continue;
    action->SetLevl(static_cast<uint8_t>(std::min(node->depth, 255)));
    action->SetName(node->text);
    MemoryRegistry& stored =
        *snapshot.actions.emplace_back(ActionKeyName(i), std::make_unique<MemoryRegistry>()).second;
    // Writes in memory do not fail.
    WriteObject(*action, stored, "", "", /*load=*/false);
  }
  return snapshot;
}

bool WriteProfileSnapshot(RegistryStore& store, const ProfileSnapshot& snapshot) {
  const std::string target = JoinRegistryPath(snapshot.keysPath, snapshot.profile);
  const std::string staging = SiblingKeyPath(target, kStagingKeyPrefix);
  // A staging key left by an earlier interruption is incomplete: start afresh.
  if (!store.DeleteKey(staging) || !store.CreateKey(staging)) return false;
  for (const auto& [key, stored] : snapshot.actions)
    if (!CopyRegistryKey(*stored, "", store, JoinRegistryPath(staging, key))) return false;
  if (!SwapInStagedKey(store, target)) return false;
  return snapshot.replaces.empty() ||
         store.DeleteKey(JoinRegistryPath(snapshot.keysPath, snapshot.replaces));
}

bool SaveActions(TActionsList& list, const ActionTree& tree, RegistryStore& store,
                 std::string_view profile, const SaveActionsOptions& options) {
  if (!list.Modified) return true;
  list.Modified = false;
  bool saved = false;
  if (std::optional<ProfileSnapshot> snapshot = TakeProfileSnapshot(tree, profile, options)) {
    if (options.processMessages) options.processMessages();
    list.Saving = true;
    saved = WriteProfileSnapshot(store, *snapshot);
    list.Saving = false;
  }
  if (saved) return true;
  list.Modified = true;
  if (options.tellFailure)
    options.tellFailure(SaveActionsErrorText(SavedProfileName(profile, options)));
  return false;
}

}  // namespace tavion
