#include "actions/catalogue.h"

#include <algorithm>
#include <iterator>
#include <mutex>
#include <utility>

#include "lang/lang.h"

namespace tavion {
namespace {

struct BuiltInAction {
  const char* code;
  const char* englishName;
  bool mainThreadOnly;
};

constexpr bool kMainThread = true;
constexpr bool kAnyThread = false;

constexpr BuiltInAction kBuiltInActions[] = {
    {"", "Folder", kAnyThread},
    {"srun", "Open file/folder (ShellExec)", kAnyThread},
    {"ms_wmsg", "Send message to window", kAnyThread},
    {"ke_keyz", "Replace pressed key", kMainThread},
    {"mc_play", "Play macros", kMainThread},
    {"mc_text", "Type simple text", kMainThread},
    {"wa_wamp", "Launch Winamp", kAnyThread},
    {"wa_s/\\h", "Show/hide Winamp", kMainThread},
    {"wa_play", "Start playback", kAnyThread},
    {"wa_stop", "Stop playback", kAnyThread},
    {"wa_prev", "Previous track", kAnyThread},
    {"wa_next", "Next track", kAnyThread},
    {"wa_song", "Show track name", kAnyThread},
    {"wa_rrew", "Back 5 seconds", kAnyThread},
    {"wa_ffor", "Frw 5 seconds", kAnyThread},
    {"wa_rand", "Toggle shuffling", kAnyThread},
    {"wa_loop", "Toggle repeating", kAnyThread},
    {"wa_wvup", "Winamp sound - up", kAnyThread},
    {"wa_wvdw", "Winamp sound - down", kAnyThread},
    {"wa_pnew", "Load new playlist", kAnyThread},
    {"wa_delf", "Physically remove selected file", kAnyThread},
    {"wa_jump", "Jump to track", kAnyThread},
    {"wa_focs", "Set focus to media player", kAnyThread},
    {"wa_shw1", "Show/hide main window", kAnyThread},
    {"wa_shw2", "Show/hide equalizer window", kMainThread},
    {"wa_shw3", "Show/hide playlist window", kAnyThread},
    {"wa_libr", "Show/hide media library", kAnyThread},
    {"wa_siz1", "Change size of main window", kMainThread},
    {"wa_siz2", "Change size of equalizer", kAnyThread},
    {"wa_siz3", "Change size of playlist", kAnyThread},
    {"tv_opts", "Tavion - show/hide", kMainThread},
    {"tv_beep", "Tavion - check", kAnyThread},
    {"tv_e/\\d", "Tavion - enable/disable", kAnyThread},
    {"tv_kill", "Tavion - close", kAnyThread},
    {"wm_scroll", "Window - Scroll & Zoom", kMainThread},
    {"wm_wtop", "Window - StayOnTop", kAnyThread},
    {"wm_wctr", "Window - Move to screen center", kAnyThread},
    {"wm_wmax", "Window - Maximize/Restore", kAnyThread},
    {"wm_wmin", "Window - Minimize", kAnyThread},
    {"wm_wclz", "Window - Close active", kAnyThread},
    {"wm_alfa", "Window - Transparent", kAnyThread},
    {"wm_s/\\h", "Window - Show/hide active", kAnyThread},
};
static_assert(std::size(kBuiltInActions) == ActionCatalogue::kBuiltInCount);

// The language key of the folder entry, whose code is empty.
constexpr std::string_view kFolderLanguageKey = "nil";

// The chooser groups that start at the first code with a given prefix.
struct PrefixGroup {
  std::string_view prefix;
  std::string_view languageKey;  // empty: the caption is not translated
  std::string_view caption;
};

constexpr PrefixGroup kPrefixGroups[] = {
    {"wa_", "", "Winamp"},
    {"tv_", "", "Tavion"},
    {"wm_", "TreeWindows", "Windows"},
};

std::string GroupCaption(std::string_view languageKey, std::string_view caption) {
  return languageKey.empty() ? std::string(caption) : GetLangStr(languageKey, caption);
}

struct ProcessCatalogue {
  std::mutex mutex;
  std::shared_ptr<const ActionCatalogue> catalogue = std::make_shared<const ActionCatalogue>();
  std::shared_ptr<const CataloguePluginProvider> pluginProvider;
};

// Made on first use, whatever order static objects are made in, and never destroyed: worker
// threads that are not joined may still look codes up while the process ends.
ProcessCatalogue& Process() {
  static ProcessCatalogue& process = *new ProcessCatalogue;
  return process;
}

}  // namespace

ActionCatalogue ActionCatalogue::WithBuiltIns(std::vector<ActionCatalogueEntry> pluginEntries) {
  ActionCatalogue catalogue;
  std::vector<ActionCatalogueEntry>& entries = catalogue.entries_;
  entries.reserve(kBuiltInCount + pluginEntries.size());
  for (const BuiltInAction& action : kBuiltInActions) {
    const std::string_view code = action.code;
    entries.push_back({
        .displayName =
            GetLangStr(code.empty() ? kFolderLanguageKey : code, action.englishName, "Actions"),
        .code = std::string(code),
        .MainThreadOnly = action.mainThreadOnly,
    });
  }
  std::move(pluginEntries.begin(), pluginEntries.end(), std::back_inserter(entries));
  return catalogue;
}

ActionCatalogueEntry ActionCatalogue::Find(std::string_view code) const {
  return Entry(IndexOf(code));
}

int ActionCatalogue::IndexOf(std::string_view code) const {
  const auto found =
      std::find_if(entries_.begin(), entries_.end(),
                   [&](const ActionCatalogueEntry& entry) { return entry.code == code; });
  return found == entries_.end() ? -1 : static_cast<int>(found - entries_.begin());
}

ActionCatalogueEntry ActionCatalogue::Entry(int position) const {
  if (position < 0 || position >= Count()) return {};
  return entries_[position];
}

std::vector<CatalogueGroup> ActionCatalogue::Groups() const {
  std::vector<CatalogueGroup> groups;
  groups.push_back({.caption = GetLangStr("TreeComm", "Common actions")});
  CatalogueGroup plugins{.caption = "PlugIns"};
  bool started[std::size(kPrefixGroups)] = {};
  for (int position = 0; position < Count(); ++position) {
    const ActionCatalogueEntry& entry = entries_[position];
    if (position >= kBuiltInCount) {
      auto& subGroups = plugins.subGroups;
      auto sub = std::find_if(subGroups.begin(), subGroups.end(), [&](const CatalogueGroup& group) {
        return group.caption == entry.pluginName;
      });
      if (sub == subGroups.end()) sub = subGroups.insert(sub, {.caption = entry.pluginName});
      sub->entries.push_back(position);
      continue;
    }
    for (std::size_t g = 0; g < std::size(kPrefixGroups); ++g) {
      if (!started[g] && entry.code.starts_with(kPrefixGroups[g].prefix)) {
        started[g] = true;
        groups.push_back(
            {.caption = GroupCaption(kPrefixGroups[g].languageKey, kPrefixGroups[g].caption)});
      }
    }
    groups.back().entries.push_back(position);
  }
  groups.push_back(std::move(plugins));
  return groups;
}

void SetCataloguePluginProvider(std::shared_ptr<const CataloguePluginProvider> provider) {
  ProcessCatalogue& process = Process();
  const std::lock_guard lock(process.mutex);
  process.pluginProvider = std::move(provider);
}

void BuildCatalogue(const RegistryStore& registry, std::string_view keyNamesPath) {
  ChangeKeyNamesTable([&](TKeyNames& names) { names.LoadKeyNames(registry, keyNamesPath); });
  ProcessCatalogue& process = Process();
  std::shared_ptr<const CataloguePluginProvider> provider;
  {
    const std::lock_guard lock(process.mutex);
    provider = process.pluginProvider;
  }
  // Built outside the lock: readers keep using the old catalogue meanwhile.
  auto built = std::make_shared<const ActionCatalogue>(ActionCatalogue::WithBuiltIns(
      provider != nullptr ? provider->CatalogueEntries() : std::vector<ActionCatalogueEntry>{}));
  const std::lock_guard lock(process.mutex);
  process.catalogue = std::move(built);
}

std::shared_ptr<const ActionCatalogue> CurrentCatalogue() {
  ProcessCatalogue& process = Process();
  const std::lock_guard lock(process.mutex);
  return process.catalogue;
}

ActionCatalogueEntry FindCatalogueEntry(std::string_view code) {
  return CurrentCatalogue()->Find(code);
}

int CatalogueIndexOf(std::string_view code) {
  return CurrentCatalogue()->IndexOf(code);
}

ActionCatalogueEntry CatalogueEntry(int position) {
  return CurrentCatalogue()->Entry(position);
}

}  // namespace tavion
