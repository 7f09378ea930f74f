#include "ui/main_options_page.h"

#include <algorithm>

#include "ui/main_options.h"

namespace tavion {
namespace {

constexpr char kEnglish[] = "English";

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return lower(x) == lower(y);
  });
}

}  // namespace

std::vector<ControlDecl> MainOptionsPageControls() {
  using K = ControlKind;
  constexpr char kKernel[] = "g_kernel", kMisc[] = "g_misc", kTrouble[] = "g_trouble";
  return {
      Plain(K::kGroup, kKernel, "HotKey kernel options"),
      In(kKernel, CheckBox("Opt_SemiKeyAc", "Enable several actions on one key", false)),
      In(kKernel, CheckBox("Opt_MiceKeyAc", "Enable shortcuts with mouse buttons", true)),
      In(kKernel, CheckBox("Opt_FullKeysComp", "Make full keys comparison on hook", false)),
      In(kKernel, CheckBox("Opt_Hid_Ex", "Hook additional HID devices", true)),
      In(kKernel, CheckBox("Opt_Hid_Keyboard", "Forcibly hook HID keyboards", false)),
      In(kKernel, CheckBox("Opt_Hid_Mice", "Forcibly hook HID mouses", false)),
      In(kKernel, Choice(K::kRadioGroup, "Opt_Mod_Proc", "Modifier keys",
                         {"All", "Left only", "Right only"}, 0)),

      Plain(K::kGroup, kMisc, "Misc options"),
      // Kept elsewhere than with the options: the Run key, Beep_Enab, the shortcut files and
      // the language.
      In(kMisc, CheckBox("cb_load", "Launch program on Windows start", false)),
      In(kMisc, CheckBox("cb_sound", "Play sound on program start/exit", false)),
      In(kMisc, CheckBox("Opt_TrayIcon", "Show program icon in system tray", true)),
      In(kMisc, CheckBox("Opt_StayOnTop", "Main window always on top", false)),
      In(kMisc, CheckBox("Opt_MinOnExit", "Minimize on close", false)),
      In(kMisc, CheckBox("Opt_AskOnExit", "Confirmation on exit", true)),
      In(kMisc, CheckBox("Opt_SoundExec", "Play sound on action execute", false)),
      In(kMisc, CheckBox("Opt_TYPE_NOTIFY", "Play sound on key press", false)),
      In(kMisc, CheckBox("Opt_LockState", "Show Caps, Num, Scroll locks state", true)),
      In(kMisc, CheckBox("cb_sc1", "Group in main menu", false)),
      In(kMisc, Beside(CheckBox("cb_sc2", "Shortcut in main menu", false))),
      In(kMisc, CheckBox("cb_sc3", "Shortcut on desktop", false)),
      In(kMisc, Beside(CheckBox("cb_sc4", "Shortcut in quick launch", false))),
      In(kMisc, ValueItems(Choice(K::kComboBox, "cb_lang", "Interface language:", {kEnglish}, 0))),
      In(kMisc, Plain(K::kButton, "b_psave", "Save all options in to file")),
      In(kMisc, Beside(Plain(K::kButton, "b_pload", "Load all options from file"))),

      Plain(K::kGroup, kTrouble, "Trouble shooting"),
      In(kTrouble, CheckBox("Opt_tr_icon", "Don't extract icon for network resources", true)),
      In(kTrouble, CheckBox("Opt_tr_upkeys", "Emulate keydown event for Up-Only keys", false)),
      In(kTrouble, CheckBox("Opt_tr_delay", "Delay 8 seconds on autorun", false)),
  };
}

std::vector<std::string> LanguageChoices(const std::vector<std::string>& fileBaseNames) {
  std::vector<std::string> choices = {kEnglish};
  for (const std::string& name : fileBaseNames)
    if (!SameIgnoringCase(name, kEnglish)) choices.push_back(name);
  return choices;
}

int LanguageChoiceIndex(const std::vector<std::string>& choices, const std::string& language) {
  const auto found = std::find(choices.begin(), choices.end(), language);
  return found == choices.end() ? 0 : static_cast<int>(found - choices.begin());
}

}  // namespace tavion
