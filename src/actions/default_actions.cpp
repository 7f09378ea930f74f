#include "actions/default_actions.h"

#include <string>
#include <string_view>

#include "actions/action.h"
#include "keys/hotkey.h"

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

}  // namespace

void BuildDefaults(TActionsList& list, uint32_t existingDrives) {
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
}

}  // namespace tavion
