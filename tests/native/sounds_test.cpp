#include "exec/sounds.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tavion {
namespace {

const std::string kFolder = "C:\\Tavion\\Resource";

// Files that exist, by full name; a folder is not a file.
bool Exists(const std::string& path) {
  static const std::set<std::string> files = {"C:\\Tavion\\Resource\\run.wav",
                                              "D:\\Sounds\\ding.wav", "run.wav"};
  return files.contains(path);
}

TEST(ChooseSound, NameAsGivenFirstThenTheResourceFolderThenTheBeep) {
  struct Case {
    const char* file;
    bool beepWhenMissing;
    SoundChoice expected;
  };
  const Case cases[] = {
      {"D:\\Sounds\\ding.wav", true, {"D:\\Sounds\\ding.wav", false}},
      {"run.wav", true, {"run.wav", false}},
      {"check.wav", true, {"", true}},
      {"check.wav", false, {}},
      {"", true, {"", true}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, ChooseSound(c.file, false, c.beepWhenMissing, false, kFolder, Exists))
        << c.file;
  }
  const auto inFolderOnly = [](const std::string& path) { return path == kFolder + "\\on.wav"; };
  EXPECT_EQ((SoundChoice{kFolder + "\\on.wav", false}),
            ChooseSound("on.wav", true, true, true, kFolder, inFolderOnly));
}

TEST(ChooseSound, TheSoundOptionSilencesOnlyCallsThatHonourIt) {
  for (const char* file : {"D:\\Sounds\\ding.wav", "missing.wav"}) {
    EXPECT_EQ(SoundChoice{}, ChooseSound(file, true, true, false, kFolder, Exists)) << file;
  }
  EXPECT_EQ((SoundChoice{"", true}),
            ChooseSound("missing.wav", false, true, false, kFolder, Exists));
  EXPECT_EQ((SoundChoice{"", true}), ChooseSound("missing.wav", true, true, true, kFolder, Exists));
}

TEST(SoundResourceFolder, KeepsWhatWasSet) {
  SetSoundResourceFolder("C:\\A\\Resource");
  EXPECT_EQ("C:\\A\\Resource", SoundResourceFolder());
  SetSoundResourceFolder("");
  EXPECT_EQ("", SoundResourceFolder());
}

}  // namespace
}  // namespace tavion
