#pragma once
// The action catalogue: every action code the program can run, the program's own followed by the
// plug-ins', each with its display name in the current language and its threading flags; and the
// groups of the action editor's chooser. Portable.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "keys/key_names.h"

namespace tavion {

class RegistryStore;

struct ActionCatalogueEntry {
  std::string displayName{};
  std::string code{};           // empty for the folder entry
  bool MainThreadOnly = false;  // the code never runs on a worker thread
  bool NotifyBefore = false;    // the execution notification is sent before the action runs
  std::string pluginName{};     // for a plug-in's entry, the plug-in's name; empty otherwise

  friend bool operator==(const ActionCatalogueEntry&, const ActionCatalogueEntry&) = default;
};

// A group of the chooser, with the catalogue positions of its entries in catalogue order.
struct CatalogueGroup {
  std::string caption{};
  std::vector<int> entries{};
  std::vector<CatalogueGroup> subGroups{};  // the plug-in group's, one per plug-in name

  friend bool operator==(const CatalogueGroup&, const CatalogueGroup&) = default;
};

// Supplies the entries of the loaded plug-ins. Called on the thread that builds the catalogue.
class CataloguePluginProvider {
 public:
  virtual ~CataloguePluginProvider() = default;
  // Every loaded plug-in's entries, plug-in after plug-in, each in the plug-in's own order.
  virtual std::vector<ActionCatalogueEntry> CatalogueEntries() const = 0;
};

// One catalogue; never changes once built.
class ActionCatalogue {
 public:
  // How many entries the program itself contributes; plug-in entries follow them.
  static constexpr int kBuiltInCount = 42;

  // An empty catalogue, as the process-wide one is before the first build.
  ActionCatalogue() = default;
  // The program's own entries, named through GetLangStr (section "Actions", key the code, "nil"
  // for the folder), then `pluginEntries` as they are.
  static ActionCatalogue WithBuiltIns(std::vector<ActionCatalogueEntry> pluginEntries = {});

  int Count() const { return static_cast<int>(entries_.size()); }
  // A copy of the entry of `code` (compared exactly), or an entry with empty fields and both
  // flags false when the catalogue has no such code.
  ActionCatalogueEntry Find(std::string_view code) const;
  // The position of `code`, or -1.
  int IndexOf(std::string_view code) const;
  // The entry at `position`; the empty entry for a position outside the catalogue.
  ActionCatalogueEntry Entry(int position) const;

  // The chooser's groups in order: "Common actions" (Strings/TreeComm) with the entries before
  // any other group; "Winamp" from the first "wa_" code, "Tavion" from the first "tv_" code and
  // "Windows" (Strings/TreeWindows) from the first "wm_" code, each up to the next group's start
  // and present only when its start is; last "PlugIns", always, with one sub-group per plug-in
  // name in the order the names first appear.
  std::vector<CatalogueGroup> Groups() const;

 private:
  std::vector<ActionCatalogueEntry> entries_;
};

// Makes `provider` the source of plug-in entries for later builds; nullptr for none (the default).
void SetCataloguePluginProvider(std::shared_ptr<const CataloguePluginProvider> provider);

// Reloads the key-name table (KeyNamesTable) from `keyNamesPath` of `registry`, then replaces the
// process-wide catalogue by a new one with the current language and plug-ins. The catalogue is
// empty until the first build. Call on the user-interface thread; readers on other threads keep
// the key names and the catalogue they started with.
void BuildCatalogue(const RegistryStore& registry,
                    std::string_view keyNamesPath = kKeyNamesRegistryPath);

// The process-wide catalogue; never null.
std::shared_ptr<const ActionCatalogue> CurrentCatalogue();

// ActionCatalogue's lookups on the process-wide catalogue.
ActionCatalogueEntry FindCatalogueEntry(std::string_view code);
int CatalogueIndexOf(std::string_view code);
ActionCatalogueEntry CatalogueEntry(int position);

}  // namespace tavion
