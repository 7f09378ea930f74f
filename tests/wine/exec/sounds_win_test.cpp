#include "exec/sounds.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "base/utf_win.h"

namespace tavion {
namespace {

std::string ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return WideToUtf8(folder.substr(0, folder.find_last_of(L'\\')));
}

// A scratch folder with a "Resource" folder holding one file and one folder named like a sound.
class SoundsOnDiskTest : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    root_ = WideToUtf8(temp) + "tavion-sounds-" + std::to_string(GetCurrentProcessId());
    resource_ = root_ + "\\Resource";
    CreateDirectoryW(Utf8ToWide(root_).c_str(), nullptr);
    CreateDirectoryW(Utf8ToWide(resource_).c_str(), nullptr);
    CreateDirectoryW(Utf8ToWide(resource_ + "\\folder.wav").c_str(), nullptr);
    std::ofstream(Utf8ToWide(resource_ + "\\run.wav").c_str()) << "RIFF";
    SetSoundResourceFolder(resource_);
  }
  void TearDown() override {
    SetSoundResourceFolder("");
    DeleteFileW(Utf8ToWide(resource_ + "\\run.wav").c_str());
    RemoveDirectoryW(Utf8ToWide(resource_ + "\\folder.wav").c_str());
    RemoveDirectoryW(Utf8ToWide(resource_).c_str());
    RemoveDirectoryW(Utf8ToWide(root_).c_str());
  }

  std::string root_;
  std::string resource_;
};

TEST_F(SoundsOnDiskTest, ResourceFolderFallbackAndBeep) {
  EXPECT_EQ((SoundChoice{resource_ + "\\run.wav", false}),
            ChooseSoundOnDisk("run.wav", true, true, true));
  EXPECT_EQ((SoundChoice{resource_ + "\\run.wav", false}),
            ChooseSoundOnDisk(resource_ + "\\run.wav", false, false, false));
  EXPECT_EQ((SoundChoice{"", true}), ChooseSoundOnDisk("folder.wav", false, true, false));
  EXPECT_EQ((SoundChoice{"", true}), ChooseSoundOnDisk("check.wav", false, true, false));
  EXPECT_EQ(SoundChoice{}, ChooseSoundOnDisk("check.wav", false, false, false));
  EXPECT_EQ(SoundChoice{}, ChooseSoundOnDisk("run.wav", true, true, false));
}

TEST(ProgramSounds, TheBuildPutsTheFourSoundsInTheResourceFolder) {
  for (const char* name : {"on.wav", "off.wav", "run.wav", "check.wav"}) {
    const std::string path = ProgramFolder() + "\\Resource\\" + name;
    std::ifstream file(Utf8ToWide(path).c_str(), std::ios::binary);
    ASSERT_TRUE(file.good()) << path;
    char header[12] = {};
    file.read(header, sizeof header);
    EXPECT_EQ("RIFF", std::string(header, 4)) << name;
    EXPECT_EQ("WAVE", std::string(header + 8, 4)) << name;
  }
}

}  // namespace
}  // namespace tavion
