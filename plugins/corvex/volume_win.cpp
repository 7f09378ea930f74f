#include "volume_win.h"

#include <windows.h>
#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <mmsystem.h>

namespace corvex {
namespace {

// Steps of the mixer and waveOut paths: a sixteenth of the range, as the volume keys of old
// keyboards moved it.
constexpr DWORD kSteps = 16;

template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (pointer_ != nullptr) pointer_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  Interface** Out() { return &pointer_; }
  Interface* operator->() const { return pointer_; }

 private:
  Interface* pointer_ = nullptr;
};

// COM for this thread as long as the object lives. A thread that already has another apartment
// keeps it (RPC_E_CHANGED_MODE): COM works there all the same, and it is not ours to end.
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT result_;
};

bool ChangeWithCoreAudio(VolumeCommand command) {
  ComScope com;
  if (!com.usable()) return false;
  ComPtr<IMMDeviceEnumerator> enumerator;
  if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                              __uuidof(IMMDeviceEnumerator),
                              reinterpret_cast<void**>(enumerator.Out()))))
    return false;
  ComPtr<IMMDevice> device;
  if (FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, device.Out()))) return false;
  ComPtr<IAudioEndpointVolume> volume;
  if (FAILED(device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr,
                              reinterpret_cast<void**>(volume.Out()))))
    return false;
  BOOL muted = FALSE;
  if (FAILED(volume->GetMute(&muted))) return false;
  if (command == VolumeCommand::kMuteToggle) return SUCCEEDED(volume->SetMute(!muted, nullptr));
  // A volume key brings the sound back, as Windows' own volume keys do.
  if (muted) volume->SetMute(FALSE, nullptr);  // the step below reports the failure that matters
  return SUCCEEDED(command == VolumeCommand::kUp ? volume->VolumeStepUp(nullptr)
                                                 : volume->VolumeStepDown(nullptr));
}

class MixerHandle {
 public:
  MixerHandle() {
    if (mixerOpen(&mixer_, 0, 0, 0, MIXER_OBJECTF_MIXER) != MMSYSERR_NOERROR) mixer_ = nullptr;
  }
  ~MixerHandle() {
    if (mixer_ != nullptr) mixerClose(mixer_);
  }
  MixerHandle(const MixerHandle&) = delete;
  MixerHandle& operator=(const MixerHandle&) = delete;
  HMIXEROBJ object() const { return reinterpret_cast<HMIXEROBJ>(mixer_); }

 private:
  HMIXER mixer_ = nullptr;
};

// The speakers' control of `type`; false when the mixer has none.
bool FindSpeakerControl(HMIXEROBJ mixer, DWORD type, MIXERCONTROLW& control) {
  MIXERLINEW line{};
  line.cbStruct = sizeof(line);
  line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
  if (mixerGetLineInfoW(mixer, &line, MIXER_GETLINEINFOF_COMPONENTTYPE) != MMSYSERR_NOERROR)
    return false;
  MIXERLINECONTROLSW controls{};
  controls.cbStruct = sizeof(controls);
  controls.dwLineID = line.dwLineID;
  controls.dwControlType = type;
  controls.cControls = 1;
  controls.cbmxctrl = sizeof(control);
  controls.pamxctrl = &control;
  control.cbStruct = sizeof(control);
  return mixerGetLineControlsW(mixer, &controls, MIXER_GETLINECONTROLSF_ONEBYTYPE) ==
         MMSYSERR_NOERROR;
}

// One value for all channels of `control` (cChannels 1 means uniform).
template <typename Detail>
bool MixerValue(HMIXEROBJ mixer, const MIXERCONTROLW& control, Detail& value, bool set) {
  MIXERCONTROLDETAILS details{};
  details.cbStruct = sizeof(details);
  details.dwControlID = control.dwControlID;
  details.cChannels = 1;
  details.cbDetails = sizeof(value);
  details.paDetails = &value;
  return set ? mixerSetControlDetails(mixer, &details, MIXER_SETCONTROLDETAILSF_VALUE) ==
                   MMSYSERR_NOERROR
             : mixerGetControlDetailsW(mixer, &details, MIXER_GETCONTROLDETAILSF_VALUE) ==
                   MMSYSERR_NOERROR;
}

DWORD Stepped(DWORD value, DWORD minimum, DWORD maximum, bool up) {
  const DWORD step = (maximum - minimum) / kSteps > 0 ? (maximum - minimum) / kSteps : 1;
  if (up) return maximum - value > step ? value + step : maximum;
  return value - minimum > step ? value - step : minimum;
}

bool ChangeWithMixer(VolumeCommand command) {
  if (mixerGetNumDevs() == 0) return false;
  MixerHandle mixer;
  if (mixer.object() == nullptr) return false;
  MIXERCONTROLW control{};
  if (command == VolumeCommand::kMuteToggle) {
    if (!FindSpeakerControl(mixer.object(), MIXERCONTROL_CONTROLTYPE_MUTE, control)) return false;
    MIXERCONTROLDETAILS_BOOLEAN muted{};
    if (!MixerValue(mixer.object(), control, muted, false)) return false;
    muted.fValue = !muted.fValue;
    return MixerValue(mixer.object(), control, muted, true);
  }
  if (!FindSpeakerControl(mixer.object(), MIXERCONTROL_CONTROLTYPE_VOLUME, control)) return false;
  MIXERCONTROLDETAILS_UNSIGNED level{};
  if (!MixerValue(mixer.object(), control, level, false)) return false;
  level.dwValue = Stepped(level.dwValue, control.Bounds.dwMinimum, control.Bounds.dwMaximum,
                          command == VolumeCommand::kUp);
  return MixerValue(mixer.object(), control, level, true);
}

// The wave device's own volume: both channels move by the same step.
bool ChangeWithWaveOut(VolumeCommand command) {
  if (command == VolumeCommand::kMuteToggle || waveOutGetNumDevs() == 0) return false;
  const auto device = reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(0));
  DWORD volume = 0;
  if (waveOutGetVolume(device, &volume) != MMSYSERR_NOERROR) return false;
  const bool up = command == VolumeCommand::kUp;
  const DWORD left = Stepped(LOWORD(volume), 0, 0xFFFF, up);
  const DWORD right = Stepped(HIWORD(volume), 0, 0xFFFF, up);
  return waveOutSetVolume(device, MAKELONG(left, right)) == MMSYSERR_NOERROR;
}

}  // namespace

bool ChangeVolume(VolumeCommand command) {
  return ChangeWithCoreAudio(command) || ChangeWithMixer(command) || ChangeWithWaveOut(command);
}

}  // namespace corvex
