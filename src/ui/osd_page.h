#pragma once
// The "OnScreen display" page's table and rules. Portable.

#include <cstdint>
#include <vector>

#include "settings/form.h"
#include "settings/settings.h"

namespace tavion {

std::vector<ControlDecl> OsdPageControls();

// The notification settings the page shows and changes at once (the Desk values of Settings that
// are no option controls).
struct OsdPageValues {
  bool enabled = true;     // Desk_Enbl
  int showTime = 2500;     // Show_Time, 0..10000 ms
  bool noTaskBar = false;  // NoTaskBar
  bool fullScreen = true;  // FullScr
  bool alpha = false;      // Alpha; the opacity field is enabled only with it
  int alphaValue = 220;    // AlphaVal, 1..255
  int position = 1;        // DPosition, 0..5
  int posX = 0;            // PosX, PosY: the custom position
  int posY = 0;
  friend bool operator==(const OsdPageValues&, const OsdPageValues&) = default;
};

OsdPageValues OsdPageValuesFrom(const SettingsRecord& settings);
void StoreOsdPageValues(const OsdPageValues& values, SettingsRecord& settings);

// The page's controls that change them.
enum class OsdPageField : uint8_t {
  kEnabled,
  kShowTime,
  kNoTaskBar,
  kFullScreen,
  kAlpha,
  kAlphaValue,
  kPosition,
};

// The values after the user set `field` to `value` (a check box 0 or 1, a number, a position
// index). Numbers are kept within their ranges; ignoring the taskbar needs full-screen showing
// and leaving that off leaves the taskbar counted; choosing "Custom" by hand from another
// position starts the custom position at the top-left corner.
OsdPageValues ChangeOsdPageValue(OsdPageValues values, OsdPageField field, int value);

}  // namespace tavion
