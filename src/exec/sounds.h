#pragma once
// The program's sounds: WAV files of the "Resource" folder, with a system beep when one is
// missing. The choice of file and beep is portable; PlaySoundFile plays it
// (sounds_win.cpp, Windows only).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tavion {

// Makes `folder` (the program folder + "\Resource", no final backslash) the folder that sound
// names are looked up in. Called at start-up; read from any thread.
void SetSoundResourceFolder(std::string_view folder);
std::string SoundResourceFolder();

// What one call of PlaySoundFile does.
struct SoundChoice {
  std::string file;   // the file to play; empty to play nothing
  bool beep = false;  // sound the system beep instead
  friend bool operator==(const SoundChoice&, const SoundChoice&) = default;
};

// The choice for `file`: nothing when `honourOption` and sounds are not `enabled`; else the name
// as given when it is an existing file, else `resourceFolder` + "\" + name when that exists,
// else a beep when `beepWhenMissing`.
SoundChoice ChooseSound(std::string_view file, bool honourOption, bool beepWhenMissing,
                        bool enabled, std::string_view resourceFolder,
                        const std::function<bool(const std::string&)>& fileExists);

// ChooseSound against the files on disk (a folder is not a file) and SoundResourceFolder().
SoundChoice ChooseSoundOnDisk(std::string_view file, bool honourOption, bool beepWhenMissing,
                              bool enabled);

// Plays `file` asynchronously or as `flags` (sndPlaySound flags, SND_ASYNC = 1) say, after
// stopping the sound that plays; MessageBeep(`beepType`) when the file is missing and
// `beepWhenMissing`. With `honourOption`, nothing happens unless sounds are `enabled`.
void PlaySoundFile(std::string_view file, uint32_t beepType, bool honourOption,
                   bool beepWhenMissing, uint32_t flags, bool enabled);

}  // namespace tavion
