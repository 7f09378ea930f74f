#include "ui/osd_page.h"

#include <algorithm>

#include "osd/osd_geometry.h"
#include "ui/main_options.h"

namespace tavion {
namespace {

constexpr int kMaxShowTime = 10000;
constexpr int kPositions = 6;

}  // namespace

std::vector<ControlDecl> OsdPageControls() {
  using K = ControlKind;
  constexpr char kLook[] = "g_look";
  return {
      CheckBox("cb_desk", "Show OSD notification (ms)", true),
      Beside(SpinEdit("se_time", "", 0, kMaxShowTime, 2500)),
      CheckBox("cb_notaskbar", "Ignore TaskBar size in osd position", false),
      CheckBox("cb_fullscr", "Show notification in fullscreen windows", true),
      CheckBox("cb_alpha", "Enable transparency", false),
      Beside(SpinEdit("se_alpha", "", 1, 255, 220)),
      CheckBox("Opt_Desk_TextEx", "Show extra information in notification", true, "Desk|DeskEx"),
      CheckBox("Opt_Desk_KeyInfo", "Show hotkey name", true, "Desk|KeyInfo"),
      CheckBox("Opt_Desk_Shadow", "Show shadow", true, "Desk|Shadow"),
      Choice(K::kComboBox, "cb_pos", "Position:",
             {"Lower right corner", "Lower left corner", "Upper right corner", "Upper left corner",
              "Screen center", "Custom"},
             1),
      Choice(K::kComboBox, "OPT_DESKANIM", "Animation:", {"No", "Damping"}, 1, "Desk|Animation"),
      ValueItems(Choice(
          K::kComboBox, "OPT_OSD_SKIN", "Skin:",
          {"NoSkin", "Button", "TaskBand", "TrackBar", "ExplorerBar", "StartPanel", "Window"}, 1,
          "Desk|SkinType")),
      Plain(K::kGroup, kLook, "Font and background"),
      In(kLook, Plain(K::kLabel, "l_sample", "OSD SAMPLE")),
      In(kLook, Plain(K::kButton, "b_font", "Font...")),
      In(kLook, Beside(Plain(K::kButton, "b_back", "Background..."))),
      In(kLook, Beside(Plain(K::kButton, "b_show", "Show now!"))),
  };
}

OsdPageValues OsdPageValuesFrom(const SettingsRecord& s) {
  return {s.Desk_Enbl, s.Show_Time, s.NoTaskBar, s.FullScr, s.Alpha,
          s.AlphaVal,  s.DPosition, s.PosX,      s.PosY};
}

void StoreOsdPageValues(const OsdPageValues& v, SettingsRecord& s) {
  s.Desk_Enbl = v.enabled;
  s.Show_Time = v.showTime;
  s.NoTaskBar = v.noTaskBar;
  s.FullScr = v.fullScreen;
  s.Alpha = v.alpha;
  s.AlphaVal = static_cast<uint8_t>(std::clamp(v.alphaValue, 1, 255));
  s.DPosition = static_cast<uint8_t>(std::clamp(v.position, 0, kPositions - 1));
  s.PosX = static_cast<int16_t>(v.posX);
  s.PosY = static_cast<int16_t>(v.posY);
}

OsdPageValues ChangeOsdPageValue(OsdPageValues v, OsdPageField field, int value) {
  const bool on = value != 0;
  switch (field) {
    case OsdPageField::kEnabled:
      v.enabled = on;
      break;
    case OsdPageField::kShowTime:
      v.showTime = std::clamp(value, 0, kMaxShowTime);
      break;
    case OsdPageField::kNoTaskBar:
      v.noTaskBar = on;
      if (on) v.fullScreen = true;
      break;
    case OsdPageField::kFullScreen:
      v.fullScreen = on;
      if (!on) v.noTaskBar = false;
      break;
    case OsdPageField::kAlpha:
      v.alpha = on;
      break;
    case OsdPageField::kAlphaValue:
      v.alphaValue = std::clamp(value, 1, 255);
      break;
    case OsdPageField::kPosition: {
      const int position = std::clamp(value, 0, kPositions - 1);
      const int custom = static_cast<int>(OsdPosition::kCustom);
      if (position == custom && v.position != custom) v.posX = v.posY = 0;
      v.position = position;
      break;
    }
  }
  return v;
}

}  // namespace tavion
