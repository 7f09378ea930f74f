#include "osd/osd_icons_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "actions/action.h"
#include "base/handles_win.h"
#include "base/utf_win.h"
#include "exec/sounds.h"
#include "osd/notify_action.h"
#include "osd/osd_icons.h"

namespace tavion {
namespace {

std::string ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return WideToUtf8(folder.substr(0, folder.find_last_of(L'\\')));
}

SIZE IconSize(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return {};
  BITMAP bitmap{};
  GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
  return {bitmap.bmWidth, bitmap.bmHeight};
}

class OsdIconsWinTest : public testing::Test {
 protected:
  void SetUp() override {
    FreeOsdIcons();
    SetSoundResourceFolder(ProgramFolder() + "\\Resource");
  }
  void TearDown() override {
    FreeOsdIcons();
    SetSoundResourceFolder("");
  }
};

TEST_F(OsdIconsWinTest, EveryNotificationIconIsInTheBuildAndSixteenSquare) {
  for (const std::string_view file : OsdIconFiles()) {
    const std::wstring path = Utf8ToWide(SoundResourceFolder() + "\\" + std::string(file));
    UniqueIcon icon(
        static_cast<HICON>(LoadImageW(nullptr, path.c_str(), IMAGE_ICON, 16, 16, LR_LOADFROMFILE)));
    ASSERT_TRUE(icon) << file;
    const SIZE size = IconSize(icon.get());
    EXPECT_EQ(16, size.cx) << file;
    EXPECT_EQ(16, size.cy) << file;
  }
}

TEST_F(OsdIconsWinTest, KindsAndFamiliesGiveDistinctCachedIcons) {
  const HICON launch = OsdIcon("srun", kOsdKindAction);
  const HICON volume = OsdIcon("srun", kOsdKindVolume);
  const HICON muted = OsdIcon("", kOsdKindMuted);
  const HICON language = OsdIcon("", kOsdKindLanguage);
  const HICON fallback = OsdIcon("", kOsdKindAction);
  for (const HICON icon : {launch, volume, muted, language, fallback}) ASSERT_NE(nullptr, icon);
  EXPECT_NE(launch, volume);
  EXPECT_NE(volume, muted);
  EXPECT_NE(language, fallback);
  EXPECT_EQ(launch, OsdIcon("srun", kOsdKindAction)) << "loaded once";
  EXPECT_EQ(OsdIcon("wa_next", 0), OsdIcon("wa_play", 0)) << "one icon per family";
}

TEST_F(OsdIconsWinTest, IndexTakesTheActionsCodeAndMissingFilesGiveNull) {
  TActionsList list;
  TAction& action = list.Add();
  action.SetName("Player");
  action.SetExec("wa_play");
  const auto at = [&list](int index) { return list.At(static_cast<std::size_t>(index)); };
  EXPECT_EQ(OsdIcon("wa_play", 0), OsdIconForIndex(0, 0, at));
  EXPECT_EQ(OsdIcon("", 0), OsdIconForIndex(-1, 0, at));
  EXPECT_EQ(OsdIcon("", 0), OsdIconForIndex(5, 0, at));
  EXPECT_EQ(OsdIcon("", 0), OsdIconForIndex(0, 0, nullptr));
  EXPECT_EQ(OsdIcon("", kOsdKindVolume), OsdIconForIndex(0, kOsdKindVolume, at));

  FreeOsdIcons();
  SetSoundResourceFolder(ProgramFolder() + "\\NoSuchFolder");
  EXPECT_EQ(nullptr, OsdIcon("srun", 0));
  EXPECT_EQ(nullptr, OsdIcon("", kOsdKindLanguage));
}

}  // namespace
}  // namespace tavion
