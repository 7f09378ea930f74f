#include "actions/default_actions.h"

#include <span>
#include <string>
#include <string_view>

#include "actions/action.h"
#include "keys/hotkey.h"
#include "plugins/plugin_info.h"
#include "plugins/plugin_params.h"

namespace tavion {

namespace {

struct Entry {
  std::string_view code;
  uint8_t keyCode;
  uint8_t modifiers = 0;
  uint8_t flags = 0;
};

TAction& AddFolder(TActionsList& list, std::string_view name) {
  TAction& folder = list.Add();
  folder.SetName(name);
  return folder;
}

TAction& AddEntry(TActionsList& list, const Entry& entry) {
  TAction& action = list.Add();
  action.SetExec(entry.code);
  action.Key0().SetHKey(PackHotKey(entry.keyCode, /*scanCode=*/0, entry.flags, entry.modifiers));
  action.SetLevl(1);
  return action;
}

// A launch entry: "srun" opening `path`.
TAction& AddLaunch(TActionsList& list, std::string_view name, std::string_view path,
                   uint8_t keyCode, uint8_t modifiers) {
  TAction& action = AddEntry(list, {"srun", keyCode, modifiers});
  action.SetName(name);
  auto* params = action.ParamsAs<TActionParamsSExec>();
  params->Oper = "Open";
  params->Path = path;
  return action;
}

constexpr uint8_t kAlt = kModAlt, kCtrl = kModCtrl, kShift = kModShift, kWin = kModWin;

constexpr Entry kWinampEntries[] = {
    {"wa_wamp", 181},         {"wa_play", 179},         {"wa_stop", 178},
    {"wa_prev", 177},         {"wa_next", 176},         {"wa_rrew", 177, kCtrl},
    {"wa_ffor", 176, kCtrl},  {"wa_rand", 179, kShift}, {"wa_loop", 179, kAlt},
    {"wa_wvup", 175, kShift}, {"wa_wvdw", 174, kShift}, {"wa_pnew", 179, kCtrl | kShift},
    {"wa_delf", 169, kShift}, {"wa_jump", 179, kCtrl},  {"wa_focs", 181, kCtrl},
    {"wa_s/\\h", 192, kCtrl}, {"wa_libr", 76, kAlt},
};

constexpr Entry kTavionEntries[] = {
    {"tv_opts", 171},
    {"tv_beep", 122, kCtrl | kShift},
    {"tv_kill", 123, kCtrl | kShift},
    {"tv_e/\\d", 75, kWin},
};

constexpr Entry kWindowsEntries[] = {
    {"wm_wmin", 114, kAlt},          {"wm_wmax", 13, kCtrl | kShift}, {"wm_wtop", 116, kAlt},
    {"wm_wclz", 87, kCtrl | kShift}, {"wm_wctr", 36, kWin | kAlt},
};

// An action of a plug-in's folder, on the key with Win: its function, an own name or none (the
// catalogue's), and the value of its parameter "Operation" (or none, -1).
struct PluginEntry {
  std::string_view function;
  uint8_t keyCode;
  uint8_t flags = 0;
  std::string_view name = {};
  int32_t operation = -1;
};

constexpr PluginEntry kCorvexEntries[] = {
    {"ShowTime", 36, 1},
    {"103", 190},
    {"104", 188},
    {"105", 83},
    {"CDRom", 34, 1, "Open CD-ROM", 0},
    {"CDRom", 33, 1, "Close CD-ROM", 1},
    {"Power", 45, 1, "Restart Computer", 0},
    {"Power", 46, 1, "Turn Off Computer", 1},
    {"Power", 35, 1, "Log Off", 2},
};

constexpr PluginEntry kPanoraEntries[] = {
    {"/Options", 192}, {"X", 48}, {"0", 49}, {"1", 50}, {"2", 51}, {"3", 52},
};

void AddPluginFolder(TActionsList& list, const std::optional<DefaultSetPlugin>& plugin,
                     std::span<const PluginEntry> entries) {
  if (!plugin) return;
  AddFolder(list, plugin->caption);
  for (const PluginEntry& entry : entries) {
    const std::string code = MakePluginCode(plugin->fileName, entry.function);
    TAction& action = AddEntry(list, {code, entry.keyCode, kWin, entry.flags});
    if (!entry.name.empty()) action.SetName(entry.name);
    auto* params = action.ParamsAs<TActionParamsPlug>();
    if (entry.operation >= 0 && params != nullptr && params->Params != nullptr)
      SetPluginParamNumber(*params->Params, "Operation", entry.operation);
  }
}

}  // namespace

void BuildDefaults(TActionsList& list, uint32_t existingDrives, const DefaultSetPlugins& plugins) {
  AddFolder(list, "Winamp");
  for (const Entry& entry : kWinampEntries) AddEntry(list, entry);

  AddFolder(list, "Tavion");
  for (const Entry& entry : kTavionEntries) AddEntry(list, entry);

  AddFolder(list, "Other");
  uint8_t function = 112;  // F1, then F2 for the next drive that exists
  for (char letter = 'A'; letter <= 'L'; ++letter) {
    if (!(existingDrives & (1u << (letter - 'A')))) continue;
    const std::string drive{letter, ':'};
    AddLaunch(list, "Disk - " + drive, drive + "\\", function++, kCtrl | kShift);
  }

  AddFolder(list, "Windows");
  for (const Entry& entry : kWindowsEntries) AddEntry(list, entry);

  AddFolder(list, "Apps");
  AddLaunch(list, "Notepad", "Notepad.exe", 120, kAlt);
  AddLaunch(list, "RegEdit", "RegEdit.exe", 121, kAlt);
  AddLaunch(list, "Paint", "MSPaint.exe", 122, kAlt);
  AddLaunch(list, "Command", "cmd.exe", 123, kAlt).ParamsAs<TActionParamsSExec>()->Parm = "/E:on";

  AddPluginFolder(list, plugins.corvex, kCorvexEntries);
  AddPluginFolder(list, plugins.panora, kPanoraEntries);
}

}  // namespace tavion
