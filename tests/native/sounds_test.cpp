#include "exec/sounds.h"

#include <gtest/gtest.h>

#include <string>

namespace tavion {
namespace {

TEST(ChooseSound, OptionThenNameAsGivenThenResourceFolderThenBeep) {
  const std::string folder = "C:\\Tavion\\Resource";
  const auto exists = [&](const std::string& path) {
    return path == "D:\\ding.wav" || path == folder + "\\on.wav";
  };
  struct Case {
    const char* file;
    bool honourOption, beepWhenMissing, enabled;
    SoundChoice expected;
  };
  const Case cases[] = {
      {"D:\\ding.wav", false, true, false, {"D:\\ding.wav", false}},  // option not honoured
      {"D:\\ding.wav", true, true, false, {}},                        // sounds off
      {"on.wav", true, true, true, {folder + "\\on.wav", false}},
      {"missing.wav", true, true, true, {"", true}},
      {"missing.wav", false, false, false, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected,
              ChooseSound(c.file, c.honourOption, c.beepWhenMissing, c.enabled, folder, exists))
        << c.file << " honour " << c.honourOption << " enabled " << c.enabled;
  }
  SetSoundResourceFolder(folder);
  EXPECT_EQ(folder, SoundResourceFolder());
  SetSoundResourceFolder("");
}

}  // namespace
}  // namespace tavion
