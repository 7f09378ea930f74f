#include "exec/volume.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "exec/sounds.h"

namespace tavion {
namespace {

// A speaker line with the given controls and channel values; a control without values is
// unreadable.
class FakeSpeakerLine final : public SpeakerLine {
 public:
  using Values = std::map<uint32_t, std::array<uint32_t, 2>>;
  FakeSpeakerLine(std::vector<MixerControl> controls, Values values)
      : controls_(std::move(controls)), values_(std::move(values)) {}
  std::vector<MixerControl> Controls() override { return controls_; }
  std::optional<std::array<uint32_t, 2>> ChannelValues(uint32_t id) override {
    const auto found = values_.find(id);
    return found == values_.end() ? std::nullopt : std::optional(found->second);
  }

 private:
  std::vector<MixerControl> controls_;
  Values values_;
};

TEST(ReadMasterVolume, TheLowestControlsLargerChannelRoundedDownAndMissingIsSilent) {
  const uint32_t kVol = kMixerControlVolume, kMute = kMixerControlMute;
  std::pair<FakeSpeakerLine, MasterVolume> cases[] = {
      {{{{4, kVol}, {2, kMute}}, {{4, {30000, 45000}}, {2, {0, 0}}}}, {68, false}},
      {{{{4, kVol}, {2, kMute}}, {{4, {45000, 655}}, {2, {1, 0}}}}, {68, true}},
      {{{{9, kVol}, {8, kVol}, {6, kMute}, {5, kMute}, {1, 0x1234}},
        {{9, {65535, 65535}}, {8, {656, 0}}, {6, {1, 1}}, {5, {0, 0}}, {1, {1, 1}}}},
       {1, false}},
      {{{{1, kVol}}, {{1, {65535, 0}}}}, {100, false}},
      {{{{1, kVol}}, {{1, {655, 0}}}}, {0, false}},
      {{{{1, kMute}}, {{1, {1, 0}}}}, {0, true}},
      {{{{1, kVol}, {2, kMute}}, {}}, {0, false}},  // unreadable
      {{{}, {}}, {0, false}},
  };
  for (auto& [line, expected] : cases) EXPECT_EQ(expected, ReadMasterVolume(line));
  EXPECT_EQ(100, VolumePercent(0xFFFFFFFF));
}

TEST(ChooseSound, OptionThenNameAsGivenThenResourceFolderThenBeep) {
  const std::string folder = "C:\\Tavion\\Resource";
  const auto exists = [&](const std::string& path) {
    return path == "D:\\ding.wav" || path == folder + "\\on.wav";
  };
  // File, honour the option, beep when missing, sounds on, the choice.
  const std::tuple<const char*, bool, bool, bool, SoundChoice> cases[] = {
      {"D:\\ding.wav", false, true, false, {"D:\\ding.wav", false}},  // option not honoured
      {"D:\\ding.wav", true, true, false, {}},                        // sounds off
      {"on.wav", true, true, true, {folder + "\\on.wav", false}},
      {"missing.wav", true, true, true, {"", true}},
      {"missing.wav", false, false, false, {}},
  };
  for (const auto& [file, honour, beep, enabled, expected] : cases)
    EXPECT_EQ(expected, ChooseSound(file, honour, beep, enabled, folder, exists)) << file << honour;
  SetSoundResourceFolder(folder);
  EXPECT_EQ(folder, SoundResourceFolder());
  SetSoundResourceFolder("");
}

}  // namespace
}  // namespace tavion
