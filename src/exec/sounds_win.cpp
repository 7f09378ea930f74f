#include <windows.h>
#include <mmsystem.h>

#include "base/utf_win.h"
#include "exec/sounds.h"

namespace tavion {
namespace {

bool IsExistingFile(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(Utf8ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

SoundChoice ChooseSoundOnDisk(std::string_view file, bool honourOption, bool beepWhenMissing,
                              bool enabled) {
  return ChooseSound(file, honourOption, beepWhenMissing, enabled, SoundResourceFolder(),
                     IsExistingFile);
}

void PlaySoundFile(std::string_view file, uint32_t beepType, bool honourOption,
                   bool beepWhenMissing, uint32_t flags, bool enabled) {
  const SoundChoice choice = ChooseSoundOnDisk(file, honourOption, beepWhenMissing, enabled);
  if (!choice.file.empty()) {
    // Without a sound device both calls fail; there is nothing to fall back to then.
    sndPlaySoundW(nullptr, flags);
    sndPlaySoundW(Utf8ToWide(choice.file).c_str(), flags);
  } else if (choice.beep) {
    MessageBeep(beepType);
  }
}

}  // namespace tavion
