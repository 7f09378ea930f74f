#include "ui/player_page.h"

#include "ui/main_options.h"

namespace tavion {
namespace {

// "Browse...": its caption is the standard text of its tag.
ControlDecl Browse() {
  ControlDecl decl = Plain(ControlKind::kButton, "b_browse", "Browse...");
  decl.tag = 53;
  return decl;
}

}  // namespace

std::vector<ControlDecl> PlayerPageControls() {
  using K = ControlKind;
  return {
      ValueItems(
          Choice(K::kRadioGroup, "Opt_PlayerType", "Player type",
                 {"Winamp", "Winamp && LightAlloy", "BSplayer", "Windows Media Player 9x / 10x",
                  "foobar2000 0.9x", "Media Player Classic 6x"},
                 0)),
      CheckBox("Opt_AutodePlayer", "Try to autodetect media player type", true),
      Edit("Opt_WAmp_Path", "Path to player:", "C:\\Program Files\\Winamp\\Winamp.exe"),
      Beside(Browse()),
      CheckBox("Opt_Secn_Exit", "Close Winamp on second launch", true),
      CheckBox("Opt_Auto_Play", "Begin play on start", true),
      CheckBox("Opt_SetFoc_SH", "Set focus to winamp, only then hide", true),
      CheckBox("Opt_Play_Paus", "Process Play key like Play/Pause", true),
  };
}

}  // namespace tavion
