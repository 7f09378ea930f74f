#pragma once
// Panora's two windows besides its hidden one: the options window and the switch notice.
#include <windows.h>

namespace panora {

constexpr wchar_t kOptionsClass[] = L"PanoraOptions";
constexpr wchar_t kNoticeClass[] = L"PanoraNotice";

// Registers both window classes; false when that fails.
bool RegisterPanoraWindows(HINSTANCE instance);

// Shows the options window for desktop `current` (0 to 3), or brings the open one forward. OK
// stores the notice option. Returns the window for the message loop's dialog keys.
HWND ShowOptions(HINSTANCE instance, int current);

// Shows "Desktop n" for a second in the middle of the screen, without taking the focus.
void ShowNotice(HINSTANCE instance, int desktop);

}  // namespace panora
