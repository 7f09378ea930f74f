#pragma once
// The notification's 16 x 16 icons, loaded once from the "Resource" folder (SoundResourceFolder)
// and kept until FreeOsdIcons.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string_view>

namespace tavion {

class TAction;

// The icon of an action code for `kind` 0, or of the kind 1 to 3 (OsdIconFile). Kind 1 takes the
// chosen language icon set's file for the foreground window's keyboard language when the folder
// has it. Null when the file is missing or unreadable. The icon stays owned by the cache: do not
// destroy it. Call on the user-interface thread.
HICON OsdIcon(std::string_view code, uint8_t kind);

// OsdIcon for ShowOSD's IconIndex and Kind: the code of the action `iconIndex` (looked up with
// `actionAt`, which may be null), or no code for -1 or a missing action.
HICON OsdIconForIndex(int iconIndex, uint8_t kind,
                      const std::function<const TAction*(int index)>& actionAt);

// Destroys every cached icon (at the end, or after the resource folder changed).
void FreeOsdIcons();

}  // namespace tavion
