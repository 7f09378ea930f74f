#pragma once
// The key sender as a function, for code that takes it injected. Portable.
#include <cstdint>
#include <functional>

namespace tavion {

// The key sender's argument list (modifier mask, key code or mode, scan code, key flags, window to
// bring to the foreground as a number or 0, restore the previous foreground window, delay in ms,
// ANSI text, wide text) → success.
using KeySender = std::function<bool(
    uint8_t modifiers, uint16_t keyOrMode, uint16_t scanCode, uint16_t keyFlags, uintptr_t window,
    bool restore, uint16_t delayMs, const char* ansiText, const wchar_t* wideText)>;

}  // namespace tavion
