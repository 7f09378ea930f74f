#include "exec/volume.h"

#include <algorithm>

namespace tavion {
namespace {

constexpr uint32_t kFullVolume = 65535;

// The larger channel value of control `id`, or nullopt.
std::optional<uint32_t> ControlValue(SpeakerLine& line, std::optional<uint32_t> id) {
  if (!id) return std::nullopt;
  const std::optional<std::array<uint32_t, 2>> channels = line.ChannelValues(*id);
  if (!channels) return std::nullopt;
  return std::max((*channels)[0], (*channels)[1]);
}

}  // namespace

std::optional<uint32_t> LowestControlOf(std::span<const MixerControl> controls, uint32_t type) {
  std::optional<uint32_t> lowest;
  for (const MixerControl& control : controls) {
    if (control.type == type && (!lowest || control.id < *lowest)) lowest = control.id;
  }
  return lowest;
}

int VolumePercent(uint32_t value) {
  return static_cast<int>(std::min(value, kFullVolume) * 100 / kFullVolume);
}

MasterVolume ReadMasterVolume(SpeakerLine& line) {
  const std::vector<MixerControl> controls = line.Controls();
  MasterVolume volume;
  if (const auto value = ControlValue(line, LowestControlOf(controls, kMixerControlVolume))) {
    volume.percent = VolumePercent(*value);
  }
  if (const auto value = ControlValue(line, LowestControlOf(controls, kMixerControlMute))) {
    volume.muted = *value != 0;
  }
  return volume;
}

}  // namespace tavion
