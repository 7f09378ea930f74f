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
    if (found == values.end()) return std::nullopt;
    return found->second;
  }

  std::vector<MixerControl> controls;
  std::map<uint32_t, std::array<uint32_t, 2>> values;
};

TEST(VolumePercent, RoundsDownOverTheFullRange) {
  EXPECT_EQ(0, VolumePercent(0));
  EXPECT_EQ(0, VolumePercent(655));
  EXPECT_EQ(1, VolumePercent(656));
  EXPECT_EQ(68, VolumePercent(45000));
  EXPECT_EQ(99, VolumePercent(65534));
  EXPECT_EQ(100, VolumePercent(65535));
  EXPECT_EQ(100, VolumePercent(0xFFFFFFFF));
}

TEST(LowestControlOf, TakesTheLowestIdentifierOfTheType) {
  const std::vector<MixerControl> controls = {
      {7, kMixerControlVolume}, {3, kMixerControlMute}, {5, kMixerControlVolume}, {9, 0x1234}};
  EXPECT_EQ(5u, LowestControlOf(controls, kMixerControlVolume));
  EXPECT_EQ(3u, LowestControlOf(controls, kMixerControlMute));
  EXPECT_EQ(std::nullopt, LowestControlOf(controls, 0x5555));
  EXPECT_EQ(std::nullopt, LowestControlOf({}, kMixerControlVolume));
}

TEST(ReadMasterVolume, TheLargerChannelGivesThePercent) {
  FakeSpeakerLine line;
  line.controls = {{4, kMixerControlVolume}, {2, kMixerControlMute}};
  line.values = {{4, {30000, 45000}}, {2, {0, 0}}};
  EXPECT_EQ((MasterVolume{68, false}), ReadMasterVolume(line));
  line.values[4] = {45000, 30000};
  line.values[2] = {1, 0};
  EXPECT_EQ((MasterVolume{68, true}), ReadMasterVolume(line));
}

TEST(ReadMasterVolume, TheLowestNumberedControlsAreRead) {
  FakeSpeakerLine line;
  line.controls = {{9, kMixerControlVolume},
                   {8, kMixerControlVolume},
                   {6, kMixerControlMute},
                   {5, kMixerControlMute}};
  line.values = {{9, {65535, 65535}}, {8, {6553, 0}}, {6, {1, 1}}, {5, {0, 0}}};
  EXPECT_EQ((MasterVolume{9, false}), ReadMasterVolume(line));
}

TEST(ReadMasterVolume, WhateverIsMissingCountsAsSilentAndNotMuted) {
  FakeSpeakerLine noLine;
  EXPECT_EQ(MasterVolume{}, ReadMasterVolume(noLine));

  FakeSpeakerLine muteOnly;
  muteOnly.controls = {{1, kMixerControlMute}};
  muteOnly.values = {{1, {1, 0}}};
  EXPECT_EQ((MasterVolume{0, true}), ReadMasterVolume(muteOnly));

  FakeSpeakerLine volumeOnly;
  volumeOnly.controls = {{1, kMixerControlVolume}};
  volumeOnly.values = {{1, {65535, 0}}};
  EXPECT_EQ((MasterVolume{100, false}), ReadMasterVolume(volumeOnly));

  FakeSpeakerLine unreadable;
  unreadable.controls = {{1, kMixerControlVolume}, {2, kMixerControlMute}};
  EXPECT_EQ(MasterVolume{}, ReadMasterVolume(unreadable));
}

}  // namespace
}  // namespace tavion
