#include "ui/player_page.h"

#include "lang/lang.h"
#include "ui/main_options.h"

namespace tavion {
namespace {

// "Begin play on start" and "Set focus to winamp, only then hide" take their captions from the
// page's own language section.
ControlDecl PageCheckBox(std::string name, std::string_view key, std::string_view english) {
  ControlDecl decl = CheckBox(std::move(name), english, true);
  decl.caption = LangCaption(key, english, "TabMain");
  return decl;
}

}  // namespace

std::vector<ControlDecl> PlayerPageControls() {
  using K = ControlKind;
  return {
      Choice(K::kRadioGroup, "Opt_PlayerType", "Player type",
             {"Winamp", "Winamp && LightAlloy", "BSplayer", "Windows Media Player 9x / 10x",
              "foobar2000 0.9x", "Media Player Classic 6x"},
             0),
      CheckBox("Opt_AutodePlayer", "Try to autodetect media player type", true),
      Edit("Opt_WAmp_Path", "Path to player:", "C:\\Program Files\\Winamp\\Winamp.exe"),
      Beside(Plain(K::kButton, "b_browse", GetLangStr("ButtonBrowse", "Browse..."))),
      CheckBox("Opt_Secn_Exit", "Close Winamp on second launch", true),
      PageCheckBox("Opt_Auto_Play", "StartPlay", "Begin play on start"),
      PageCheckBox("Opt_SetFoc_SH", "Focus", "Set focus to winamp, only then hide"),
      CheckBox("Opt_Play_Paus", "Process Play key like Play/Pause", true),
  };
}

}  // namespace tavion
