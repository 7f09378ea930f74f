#pragma once
// The main window's decisions about its options and its place: what the dispatch reads from the
// option controls, what a changed option asks beyond that, and where the window comes back when
// it was parked off the screen. Portable; main_window_win.cpp carries them out.

#include <optional>
#include <string_view>

#include "pipeline/key_dispatch.h"
#include "settings/form.h"

namespace tavion {

// The dispatch options the option controls hold; a missing control keeps its default. The
// window's own switches and the key lists are the caller's.
DispatchOptions DispatchOptionsFromForm(const FormControls& form);

// What a changed option control asks besides applying the options again; its check state says
// which way.
enum class OptionChangeStep : uint8_t {
  kNone,
  kTrayIcon,   // show or hide the tray icon
  kStayOnTop,  // the main window topmost or not
  kMouseHook,  // install the hooks again with or without the mouse hook
  kSound,      // the sound switch of the settings
};
// `name` is the control's name; the mouse hook changes only once the start is complete and when
// it is not installed as asked already.
OptionChangeStep OptionChangeFor(std::string_view name, bool checked, bool startupComplete,
                                 bool mouseHookInstalled);

struct WindowPlace {
  int left = 0;
  int top = 0;
  friend bool operator==(const WindowPlace&, const WindowPlace&) = default;
};
// Where the window at `current` (its size `width` x `height`) is shown again: nullopt to stay.
// A window parked past the right edge of the screen returns to its saved left edge at its own
// height, or to the centre of the screen when the saved edge leaves it off the screen as well.
std::optional<WindowPlace> RestoredPlace(WindowPlace current, int width, int height, int savedLeft,
                                         int screenWidth, int screenHeight);

}  // namespace tavion
