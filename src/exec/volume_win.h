#pragma once
// The master volume of the system's first mixer device.

#include "exec/volume.h"

namespace tavion {

// The volume of the speaker line of mixer device 0 in percent and its mute state; 0 % and not
// muted when the mixer, the line or a control is missing.
MasterVolume ReadMasterVolume();

}  // namespace tavion
