#pragma once
// The master volume that the "mixer" notification shows: the speaker line of mixer device 0, its
// volume and mute controls. Portable; volume_win.h reads the system's mixer.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tavion {

inline constexpr uint32_t kMixerControlVolume = 0x50030001;  // MIXERCONTROL_CONTROLTYPE_VOLUME
inline constexpr uint32_t kMixerControlMute = 0x20010002;    // MIXERCONTROL_CONTROLTYPE_MUTE

struct MasterVolume {
  int percent = 0;  // 0 to 100
  bool muted = false;
  friend bool operator==(const MasterVolume&, const MasterVolume&) = default;
};

struct MixerControl {
  uint32_t id = 0;
  uint32_t type = 0;
};

// The speaker line of a mixer, as ReadMasterVolume needs it.
class SpeakerLine {
 public:
  virtual ~SpeakerLine() = default;
  // The line's controls; empty when the mixer or its speaker line is missing.
  virtual std::vector<MixerControl> Controls() = 0;
  // The values of the first two channels of control `id` (0 for a channel the control lacks);
  // nullopt when they cannot be read.
  virtual std::optional<std::array<uint32_t, 2>> ChannelValues(uint32_t id) = 0;
};

// The lowest-numbered control of `type` among `controls`.
std::optional<uint32_t> LowestControlOf(std::span<const MixerControl> controls, uint32_t type);

// `value` (0 to 65535) in percent, rounded down; 100 for anything above the range.
int VolumePercent(uint32_t value);

// The volume in percent and the mute state of `line`: 0 % and not muted for whatever is
// missing or unreadable.
MasterVolume ReadMasterVolume(SpeakerLine& line);

}  // namespace tavion
