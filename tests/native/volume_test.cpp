#include "exec/volume.h"

#include <gtest/gtest.h>

#include <map>

namespace tavion {
namespace {

// A speaker line with the given controls and channel values; a control without values is
// unreadable.
class FakeSpeakerLine final : public SpeakerLine {
 public:
  std::vector<MixerControl> Controls() override { return controls; }
  std::optional<std::array<uint32_t, 2>> ChannelValues(uint32_t id) override {
    const auto found = values.find(id);
    return found == values.end() ? std::nullopt : std::optional(found->second);
  }
  std::vector<MixerControl> controls;
  std::map<uint32_t, std::array<uint32_t, 2>> values;
};

TEST(ReadMasterVolume, TheLowestControlsLargerChannelRoundedDownAndMissingIsSilent) {
  const uint32_t kVol = kMixerControlVolume, kMute = kMixerControlMute;
  struct Case {
    std::vector<MixerControl> controls;
    std::map<uint32_t, std::array<uint32_t, 2>> values;
    MasterVolume expected;
  };
  const Case cases[] = {
      {{{4, kVol}, {2, kMute}}, {{4, {30000, 45000}}, {2, {0, 0}}}, {68, false}},
      {{{4, kVol}, {2, kMute}}, {{4, {45000, 655}}, {2, {1, 0}}}, {68, true}},
      {{{9, kVol}, {8, kVol}, {6, kMute}, {5, kMute}, {1, 0x1234}},
       {{9, {65535, 65535}}, {8, {656, 0}}, {6, {1, 1}}, {5, {0, 0}}, {1, {1, 1}}},
       {1, false}},
      {{{1, kVol}}, {{1, {65535, 0}}}, {100, false}},
      {{{1, kVol}}, {{1, {655, 0}}}, {0, false}},
      {{{1, kMute}}, {{1, {1, 0}}}, {0, true}},
      {{{1, kVol}, {2, kMute}}, {}, {0, false}},  // unreadable
      {{}, {}, {0, false}},
  };
  for (const Case& c : cases) {
    FakeSpeakerLine line;
    line.controls = c.controls;
    line.values = c.values;
    EXPECT_EQ(c.expected, ReadMasterVolume(line)) << c.controls.size();
  }
  EXPECT_EQ(100, VolumePercent(0xFFFFFFFF));
}

}  // namespace
}  // namespace tavion
