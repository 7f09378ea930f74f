#include "ui/main_options.h"

#include <string>
#include <utility>
#include <vector>

namespace tavion {
namespace {

ControlDecl CheckBox(std::string name, std::string caption, bool checked,
                     std::string helpKeyword = {}) {
  ControlDecl decl;
  decl.name = std::move(name);
  decl.kind = ControlKind::kCheckBox;
  decl.caption = std::move(caption);
  decl.checked = checked;
  decl.helpKeyword = std::move(helpKeyword);
  return decl;
}

ControlDecl Choice(ControlKind kind, std::string name, std::string caption,
                   std::vector<std::string> items, int itemIndex, std::string helpKeyword = {}) {
  ControlDecl decl;
  decl.name = std::move(name);
  decl.kind = kind;
  decl.caption = std::move(caption);
  decl.items = std::move(items);
  decl.itemIndex = itemIndex;
  decl.helpKeyword = std::move(helpKeyword);
  return decl;
}

ControlDecl Edit(std::string name, std::string caption, std::string text) {
  ControlDecl decl;
  decl.name = std::move(name);
  decl.kind = ControlKind::kEdit;
  decl.caption = std::move(caption);
  decl.text = std::move(text);
  return decl;
}

ControlDecl InfoPanel(std::string name, std::string caption) {
  ControlDecl decl;
  decl.name = std::move(name);
  decl.kind = ControlKind::kInfoPanel;
  decl.caption = std::move(caption);
  decl.expanded = true;
  return decl;
}

std::vector<ControlDecl> BuildMainOptionControls() {
  using K = ControlKind;
  return {
      // General check boxes that act at once and are kept elsewhere (Run key, Beep_Enab).
      CheckBox("cb_load", "Launch program on Windows start", false),
      CheckBox("cb_sound", "Play sound on program start/exit", false),

      CheckBox("Opt_TrayIcon", "Show program icon in system tray", true),
      CheckBox("Opt_SoundExec", "Play sound on action execute", false),
      CheckBox("Opt_AskOnExit", "Confirmation on exit", true),
      CheckBox("Opt_StayOnTop", "Main window always on top", false),
      CheckBox("Opt_SemiKeyAc", "Enable several actions on one key", false),
      CheckBox("Opt_MiceKeyAc", "Enable shortcuts with mouse buttons", true),
      CheckBox("Opt_TYPE_NOTIFY", "Play sound on key press", false),
      Choice(K::kRadioGroup, "Opt_Mod_Proc", "Modifier keys", {"All", "Left only", "Right only"},
             0),
      CheckBox("Opt_MinOnExit", "Minimize on close", false),
      CheckBox("Opt_tr_icon", "Don't extract icon for network resources", true),
      CheckBox("Opt_tr_upkeys", "Emulate keydown event for Up-Only keys", false),
      CheckBox("Opt_tr_delay", "Delay 8 seconds on autorun", false),
      CheckBox("Opt_FullKeysComp", "Make full keys comparison on hook", false),
      CheckBox("Opt_LockState", "Show Caps, Num, Scroll locks state", true),
      CheckBox("Opt_Hid_Ex", "Hook additional HID devices", true),
      CheckBox("Opt_Hid_Keyboard", "Forcibly hook HID keyboards", false),
      CheckBox("Opt_Hid_Mice", "Forcibly hook HID mouses", false),

      // Media player page.
      Edit("Opt_WAmp_Path", "Winamp path", "C:\\Program Files\\Winamp\\Winamp.exe"),
      CheckBox("Opt_Secn_Exit", "Close Winamp on second launch", true),
      CheckBox("Opt_Auto_Play", "Begin play on start", true),
      CheckBox("Opt_SetFoc_SH", "Set focus to winamp, only then hide", true),
      CheckBox("Opt_Play_Paus", "Process Play key like Play/Pause", true),
      CheckBox("Opt_AutodePlayer", "Try to autodetect media player type", true),
      Choice(K::kComboBox, "Opt_PlayerType", "Player",
             {"Winamp", "Winamp && LightAlloy", "BSplayer", "Windows Media Player 9x / 10x",
              "foobar2000 0.9x", "Media Player Classic 6x"},
             0),
      CheckBox("Opt_CheckUpdates", "Automatically check for new versions", true),

      // Navigation panels.
      InfoPanel("Opt_ip0", "Help"),
      InfoPanel("Opt_ip1", "Options - Tavion"),
      InfoPanel("Opt_ip2", "Options - Windows"),

      // OnScreen display page: these five are kept in section Desk.
      CheckBox("Opt_Desk_TextEx", "Show extra information in notification", true, "Desk|DeskEx"),
      Choice(K::kComboBox, "OPT_DESKANIM", "Animation", {"No", "Damping"}, 1, "Desk|Animation"),
      CheckBox("Opt_Desk_Shadow", "Show shadow", true, "Desk|Shadow"),
      CheckBox("Opt_Desk_KeyInfo", "Show hotkey name", true, "Desk|KeyInfo"),
      Choice(K::kComboBox, "OPT_OSD_SKIN", "Skin",
             {"NoSkin", "Button", "TaskBand", "TrackBar", "ExplorerBar", "StartPanel", "Window"}, 1,
             "Desk|SkinType"),
  };
}

}  // namespace

std::span<const ControlDecl> MainOptionControls() {
  static const std::vector<ControlDecl> table = BuildMainOptionControls();
  return table;
}

}  // namespace tavion
