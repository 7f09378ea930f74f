#pragma once
// Screenshots of what a user sees, saved as build/screenshots/NAME.png.

#include <string>

namespace tavion::e2e {

// Captures the whole X display with ImageMagick's `import` (Wine starts Unix programs through
// CreateProcess) into $TAVION_SCREENSHOTS/NAME.png and waits until the file is complete.
// Returns false when the folder is not set or the capture does not finish within 20 s.
bool SaveScreenshot(const std::string& name);

}  // namespace tavion::e2e
