#pragma once
// The master volume of the default output device.

namespace corvex {

enum class VolumeCommand { kUp, kDown, kMuteToggle };

// Applies `command` through Core Audio (IAudioEndpointVolume) where it is present, else through
// the mixer's master line (waveOut volume as the last resort for steps). Returns false when no
// device took it; nothing is changed then.
bool ChangeVolume(VolumeCommand command);

}  // namespace corvex
