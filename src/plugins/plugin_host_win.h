#pragma once
// The plug-in host: finds, checks and loads the plug-ins of the "PlugIns" folder, asks them their
// information, calls their functions, and gives the catalogue and the action model their entries
// and parameter objects. Lives on the user-interface thread; Call in mode 3 may come from worker
// threads for actions that allow them.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "actions/action.h"
#include "actions/catalogue.h"
#include "plugins/plugin_info.h"

namespace tavion {

class Persistent;
class TActionsList;

struct PluginRecord {
  HMODULE module = nullptr;  // a library: loaded; a program: loaded as a data file
  std::wstring fileName;     // as found in the folder
  std::wstring path;         // folder, backslash, file name
  int listIndex = -1;        // row in the plug-in page's list
  uint8_t flags = 0;         // information query 6, 0 when not a number
  bool program = false;      // an ".exe"
  std::string caption;       // query 1, else the file name without extension
  uint64_t fileSize = 0;
  std::vector<PluginActionLine> actions;  // query 2 (library) or string 1002 (program)
};

// What a load found besides the plug-ins.
struct PluginLoadReport {
  bool folderMissing = false;
  // One "ErrorPlugVer" message per file with another interface version, formatted.
  std::vector<std::string> versionErrors;
};

// How a candidate file for "Add" answers.
enum class PluginCheck : uint8_t { kPlugin, kNotPlugin, kOtherVersion };
struct PluginFileCheck {
  PluginCheck result = PluginCheck::kNotPlugin;
  std::string version;  // the answer to query 0
};

class PluginHost final : public PluginCodeResolver, public CataloguePluginProvider {
 public:
  // `folder` without a trailing backslash; `mainWindow` is passed to the plug-ins.
  PluginHost(std::wstring folder, HWND mainWindow);
  ~PluginHost() override;
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  const std::wstring& Folder() const { return folder_; }

  // LoadPlugins: empties the list and loads every plug-in of the folder anew (a module loaded
  // before stays loaded throughout). `shortVersion` goes into the version messages. Files that
  // answer no version are skipped without a word; plug-in texts are read with a bound.
  PluginLoadReport Load(const std::string& shortVersion);
  // The loaded plug-ins in folder order; valid until the next Load or Remove.
  std::span<const PluginRecord> Plugins() const;

  // Answer `number` of the plug-in, read with a bound; empty when it has none.
  std::string Query(const PluginRecord& plugin, uint32_t number) const;
  // Query 3 with "%ver%" replaced by the file's version.
  std::string Description(const PluginRecord& plugin) const;
  // Whether the plug-in has function `name` (a library's export; a program's command string).
  bool HasFunction(const PluginRecord& plugin, std::string_view name) const;

  // CallPlugin: the plug-in whose file name is that of `path` (ignoring case); "nil" when none
  // handles `function`, else "" or the answer of an information number. Mode 1: the function
  // with `window` alone; mode 3: as an action (mode 4) with `params` (a TActionParamsPlug, or
  // its plug-in object, or null). Window 1 stands for the main window.
  std::string Call(const std::wstring& path, std::string_view function, int mode,
                   Persistent* params, HWND window);

  // Checks a file for "Add" without keeping it loaded.
  static PluginFileCheck CheckFile(const std::wstring& path);
  // The file's version as the "Add" questions show it (CutVer); empty without one.
  static std::string FileVersion(const std::wstring& path);

  // "Delete": UnInstall, detaches the objects of its actions in `actions` (their settings are
  // kept as stored), releases the module and deletes the file. False when the file stays.
  bool Remove(std::size_t index, TActionsList* actions);

  // Icons at `size` pixels, owned by the caller; null when the plug-in has none.
  HICON PluginIcon(const PluginRecord& plugin, int size) const;
  HICON ActionIcon(std::string_view code, int size) const;

  // The action editor's panel: mode 5 and mode 6 for the plug-in action of `params` (a
  // TActionParamsPlug) on `panel`.
  void ShowPanel(Persistent& params, HWND panel);
  void ClosePanel(Persistent& params, HWND panel);

  // PluginCodeResolver
  std::optional<PluginActionId> Resolve(std::string_view code) const override;
  PluginParams CreateParams(const PluginActionId& id) override;
  // CataloguePluginProvider
  std::vector<ActionCatalogueEntry> CatalogueEntries() const override;

 private:
  struct State;
  // Mode `mode` (5 or 6) of the action function of `params` (a TActionParamsPlug) on `panel`.
  void CallPanel(Persistent& params, HWND panel, uint32_t mode);

  std::wstring folder_;
  HWND mainWindow_ = nullptr;
  std::unique_ptr<State> state_;
};

}  // namespace tavion
