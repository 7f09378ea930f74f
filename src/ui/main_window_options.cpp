#include "ui/main_window_options.h"

namespace tavion {

DispatchOptions DispatchOptionsFromForm(const FormControls& form) {
  DispatchOptions options;
  ReadCheckBoxes<DispatchOptions>(form, options,
                                  {{"Opt_TYPE_NOTIFY", &DispatchOptions::keyPressSound},
                                   {"Opt_SemiKeyAc", &DispatchOptions::severalActionsOnOneKey},
                                   {"Opt_LockState", &DispatchOptions::showLockState},
                                   {"Opt_MiceKeyAc", &DispatchOptions::mouseHotKeys},
                                   {"Opt_tr_upkeys", &DispatchOptions::emulateUpOnlyKeys}});
  if (auto at = form.Find("Opt_Mod_Proc")) {
    const int sides = form.ItemIndex(*at);
    options.modifierSides = sides == 1   ? ModifierSides::kLeftOnly
                            : sides == 2 ? ModifierSides::kRightOnly
                                         : ModifierSides::kAll;
  }
  return options;
}

OptionChangeStep OptionChangeFor(std::string_view name, bool checked, bool startupComplete,
                                 bool mouseHookInstalled) {
  if (name == "Opt_TrayIcon") return OptionChangeStep::kTrayIcon;
  if (name == "Opt_StayOnTop") return OptionChangeStep::kStayOnTop;
  if (name == "Opt_MiceKeyAc")
    return startupComplete && checked != mouseHookInstalled ? OptionChangeStep::kMouseHook
                                                            : OptionChangeStep::kNone;
  if (name == "cb_sound") return OptionChangeStep::kSound;
  return OptionChangeStep::kNone;
}

std::optional<WindowPlace> RestoredPlace(WindowPlace current, int width, int height, int savedLeft,
                                         int screenWidth, int screenHeight) {
  if (current.left < screenWidth) return std::nullopt;
  if (savedLeft >= screenWidth || savedLeft + width <= 0)
    return WindowPlace{(screenWidth - width) / 2, (screenHeight - height) / 2};
  return WindowPlace{savedLeft, current.top};
}

}  // namespace tavion
