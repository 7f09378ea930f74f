#include "exec/volume_win.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>

#include "base/handles_win.h"

namespace tavion {
namespace {

// Room the line's controls are read into.
constexpr DWORD kMaxControls = 31;

struct MixerTraits {
  using Handle = HMIXER;
  static Handle Invalid() { return nullptr; }
  // Nothing useful can be done when closing fails.
  static void Close(Handle mixer) { mixerClose(mixer); }
};
using UniqueMixer = UniqueHandle<MixerTraits>;

class WinSpeakerLine final : public SpeakerLine {
 public:
  WinSpeakerLine() {
    if (mixerOpen(mixer_.put(), /*uMxId=*/0, /*dwCallback=*/0, /*dwInstance=*/0,
                  MIXER_OBJECTF_MIXER) != MMSYSERR_NOERROR) {
      mixer_.release();
      return;
    }
    line_.cbStruct = sizeof(line_);
    line_.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
    haveLine_ = mixerGetLineInfoW(Object(), &line_,
                                  MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) ==
                MMSYSERR_NOERROR;
  }

  std::vector<MixerControl> Controls() override {
    std::vector<MixerControl> found;
    if (!haveLine_ || line_.cControls == 0) return found;
    controls_.assign(std::min<DWORD>(line_.cControls, kMaxControls), MIXERCONTROLW{});
    MIXERLINECONTROLSW request{};
    request.cbStruct = sizeof(request);
    request.dwLineID = line_.dwLineID;
    request.cControls = static_cast<DWORD>(controls_.size());
    request.cbmxctrl = sizeof(MIXERCONTROLW);
    request.pamxctrl = controls_.data();
    if (mixerGetLineControlsW(Object(), &request,
                              MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ALL) !=
        MMSYSERR_NOERROR) {
      return found;
    }
    for (const MIXERCONTROLW& control : controls_) {
      found.push_back({control.dwControlID, control.dwControlType});
    }
    return found;
  }

  std::optional<std::array<uint32_t, 2>> ChannelValues(uint32_t id) override {
    MIXERCONTROLDETAILS_UNSIGNED values[2] = {};
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof(details);
    details.dwControlID = id;
    // A uniform control has one value for all channels and rejects a request for more.
    details.cChannels = Uniform(id) ? 1 : std::clamp<DWORD>(line_.cChannels, 1, 2);
    details.cbDetails = sizeof(MIXERCONTROLDETAILS_UNSIGNED);
    details.paDetails = values;
    if (mixerGetControlDetailsW(Object(), &details,
                                MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE) !=
        MMSYSERR_NOERROR) {
      return std::nullopt;
    }
    return std::array<uint32_t, 2>{values[0].dwValue, values[1].dwValue};
  }

 private:
  HMIXEROBJ Object() const { return reinterpret_cast<HMIXEROBJ>(mixer_.get()); }

  bool Uniform(uint32_t id) const {
    for (const MIXERCONTROLW& control : controls_) {
      if (control.dwControlID == id)
        return (control.fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) != 0;
    }
    return false;
  }

  UniqueMixer mixer_;
  MIXERLINEW line_{};
  bool haveLine_ = false;
  std::vector<MIXERCONTROLW> controls_;
};

}  // namespace

MasterVolume ReadMasterVolume() {
  WinSpeakerLine line;
  return ReadMasterVolume(line);
}

}  // namespace tavion
