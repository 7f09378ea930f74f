#include "osd/notify_action.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "native/support/fake_language.h"
#include "osd/osd_fade.h"
#include "osd/osd_geometry.h"
#include "settings/settings.h"

namespace tavion {
namespace {

using Events = std::vector<std::string>;

// A system that answers from its fields and records what it is asked to do in `events`:
// "osd TEXT CHECK ICON KIND", "box TEXT", "sound", "wait", "name KEY FLAGS"; Caps Lock is on.
// Every execution's notification starts while its request is still busy.
class NotifyActionTest : public testing::Test, public NotifySystem {
 protected:
  void SetUp() override {
    ResetSettings();
    TakePendingOsdText();
    Settings().KeyInfo = false;  // most cases look at one line at a time
  }
  void TearDown() override {
    ResetSettings();
    SetLanguageSource(nullptr);
    TakePendingOsdText();
  }
  // The events of the notification of `action`, run as the action at index 3.
  Events Notify(NotifiedAction action, const ExecResult& result = {}) {
    events.clear();
    Settings().ActionBusy = true;
    action3 = action;
    NotifyAction(action.code, 3, *this, result);
    return events;
  }
  // An action of hot key Ctrl + P; `extra` is its replacement key or launch path.
  static NotifiedAction Action(std::string name, std::string code, std::string extra = "") {
    const bool replace = code == "ke_keyz";
    return {name, code, "Ctrl + P", replace ? extra : "", replace ? "" : extra, "", "", false};
  }

  bool Terminating() override { return terminating; }
  bool HotKeysDisabled() override { return hotKeysDisabled; }
  std::optional<NotifiedAction> ActionAt(int index) override {
    return index == 3 ? action3 : std::nullopt;
  }
  MasterVolume ReadVolume() override { return volume; }
  bool WaveDevicePresent() override { return waveDevice; }
  bool LockKeyToggled(uint32_t keyCode) override { return keyCode == 0x14; }
  std::string KeyName(uint32_t keyCode, uint32_t flags) override {
    events.push_back("name " + std::to_string(keyCode) + " " + std::to_string(flags));
    return keyCode == 0x14 ? "Caps Lock" : "Num Lock";
  }
  std::string PlayerTrackText(std::string_view) override { return "\r\n3. Artist - Song"; }
  std::optional<int> ForegroundAlpha() override { return alpha; }
  void PlayExecutionSound() override { events.push_back("sound"); }
  void WaitBriefly() override { events.push_back("wait"); }
  void ShowInformation(const std::string& text) override {
    events.push_back("box " + text + Busy());
  }
  void ShowOSD(const std::string& text, bool checkEnabled, int iconIndex, uint8_t kind) override {
    events.push_back("osd " + text + " " + std::to_string(checkEnabled) + " " +
                     std::to_string(iconIndex) + " " + std::to_string(kind) + Busy());
  }
  // Shown while the hot key's request still waits for its execution to end.
  static std::string Busy() { return Settings().ActionBusy ? " busy" : ""; }

  bool terminating = false, hotKeysDisabled = false, waveDevice = true;
  std::optional<NotifiedAction> action3;
  MasterVolume volume{40, false};
  std::optional<int> alpha = 128;
  std::vector<std::string> events;
};

TEST_F(NotifyActionTest, TheActionsTextAndTheExtraLineOfItsCode) {
  // The action, DeskEx, the notification's text.
  const std::tuple<NotifiedAction, bool, std::string> cases[] = {
      {Action("Swap", "ke_keyz", "Shift + F1"), true, "Swap\r\nShift + F1"},
      {Action("Song", "wa_song"), true, "Song\r\n3. Artist - Song"},
      {Action("Editor", "srun", "%windir%\\notepad.exe"), true, "Editor\r\n%windir%\\notepad.exe"},
      {Action("Fade", "wm_alfa"), true, "Fade\r\n50%"},
      {Action("Editor", "srun", "x.exe"), false, "Editor"},
      {Action("Switch", "tv_e/\\d"), true, "Switch\r\nEnable Tavion hot keys"},
  };
  for (const auto& [action, deskEx, expected] : cases) {
    Settings().DeskEx = deskEx;
    EXPECT_EQ((Events{"sound", "osd " + expected + " 0 3 0"}), Notify(action)) << action.code;
  }
  hotKeysDisabled = true;
  SetLanguageSource(std::make_shared<FakeLanguage>(
      FakeLanguage::Texts{{{"Strings", "NotifyDz"}, "Hot keys off"}}));
  EXPECT_EQ("osd Switch\r\nHot keys off 0 3 0", Notify(Action("Switch", "tv_e/\\d")).at(1));
  alpha = std::nullopt;
  EXPECT_EQ("osd Fade\r\nError: can't set window transparency 0 3 0",
            Notify(Action("Fade", "wm_alfa")).at(1));
  // The executor's text replaces the name; a pending line and the hot key follow.
  Settings().KeyInfo = true;
  SetPendingOsdText("from plug-in");
  EXPECT_EQ("osd Not started\r\nfrom plug-in\r\nCtrl + P 0 3 0",
            Notify(Action("Play", "xx_a"), {"Not started"}).at(1));
  EXPECT_EQ("osd Play\r\nCtrl + P 0 3 0", Notify(Action("Play", "xx_a")).at(1));
}

TEST_F(NotifyActionTest, TheVolumePlugInsActionsShowTheVolumeAndItsIcon) {
  // The library, the action's id, a sound card, muted, the notification's text, icon and kind.
  const std::tuple<std::string, std::string, bool, bool, std::string> cases[] = {
      {"Corvex.dll", "103", true, false, "Up\r\nVolume - 40% 0 3 2"},
      {"corvex.DLL", "104", true, true, "Up\r\nVolume - 40% 0 3 3"},
      {"Corvex.dll", "105", false, false, "Up\r\nError: can't find sound card! 0 3 2"},
      {"Corvex.dll", "LANG", true, false, "Up 0 3 1"},
      {"Corvex.dll", "CDRom", true, false, "Up 0 3 0"},
  };
  for (const auto& [file, id, wave, muted, expected] : cases) {
    waveDevice = wave;
    volume.muted = muted;
    const NotifiedAction plug{"Up", "Corvex.dll:" + id, "Ctrl + P", "", "", file, id, false};
    EXPECT_EQ((Events{"sound", "osd " + expected}), Notify(plug)) << id;
  }
}

TEST_F(NotifyActionTest, WhatShowsNothing) {
  NotifiedAction quiet = Action("Quiet", "xx_a");
  quiet.neverShowOsd = true;
  Settings().Desk_Enbl = false;
  EXPECT_EQ(Events{}, Notify(quiet, {"failed", true}));  // not even the error
  // With the display off only an error comes, as a message box.
  EXPECT_EQ(Events{"box failed"}, Notify(Action("Run", "xx_a"), {"failed", true}));
  EXPECT_EQ(Events{}, Notify(Action("Run", "xx_a"), {"no input", false}));
  terminating = true;
  EXPECT_EQ(Events{}, Notify(Action("Run", "xx_a"), {"failed", true}));
  EXPECT_FALSE(Settings().ActionBusy) << "the request ends all the same";
  terminating = false;
  Settings().Desk_Enbl = true;
  EXPECT_EQ(Events{}, Notify(Action("Exit", "tv_kill")));
  NotifyAction("xx_a", -1, *this);
  NotifyAction("xx_a", 9, *this);  // an unknown index still sounds
  EXPECT_EQ(Events{"sound"}, events);
}

TEST_F(NotifyActionTest, VolumeAndLockKeysAfterAWaitUnlessSwitchedOff) {
  Settings().ActionBusy = true;  // they end no execution
  SetPendingOsdText("left over");
  volume = {73, true};
  NotifyAction("mixer", -1, *this);
  EXPECT_EQ("", TakePendingOsdText());
  SetLanguageSource(
      std::make_shared<FakeLanguage>(FakeLanguage::Texts{{{"Strings", "NotifyYes"}, "да"}}));
  NotifyAction(kLockStateCode, 0x14, *this);
  NotifyAction(kLockStateCode, 0x90, *this);  // Num Lock is named by its extended form
  NotifyAction(kLockStateCode, 0, *this);
  NotifyAction(kLockStateCode, 256, *this);
  EXPECT_EQ((Events{"wait", "osd Volume - 73% 1 -1 3 busy", "wait", "name 20 0",
                    "osd Caps Lock on:\r\nДА 1 -1 0 busy", "wait", "name 144 1",
                    "osd Num Lock on:\r\nNO 1 -1 0 busy"}),
            events);
  // The volume only with the extra text.
  Settings().DeskEx = false;
  events.clear();
  NotifyAction("mixer", -1, *this);
  EXPECT_EQ(Events{}, events);
}

TEST(OsdSkins, ThemePartByTypeAndWhenTheSkinIsUsed) {
  EXPECT_EQ(std::wstring(L"TASKBAND"), OsdSkinFor(2)->themeClass);
  EXPECT_EQ(4, OsdSkinFor(3)->state);
  EXPECT_TRUE(OsdSkinned(true, 1) && OsdLineBold(0, false));
  EXPECT_FALSE(OsdSkinFor(0) || OsdSkinFor(7) || OsdSkinned(false, 1) || OsdSkinned(true, 0) ||
               OsdSkinned(true, 9) || OsdLineBold(1, false) || OsdLineBold(0, true));
}

TEST(OsdWindowSize, FromLineWidthsAndRowHeight) {
  const std::tuple<std::vector<int>, int, OsdSize> cases[] = {
      {{100, 110}, 18, {131, 41}},  // the first line's 10 + 21 for the icon wins
      {{}, 20, {31, 25}},           // no lines: one empty row
  };
  for (const auto& [widths, lineHeight, expected] : cases)
    EXPECT_EQ(expected, OsdWindowSize(widths, lineHeight)) << widths.size();
}

TEST(OsdPlacement, EveryPositionAboveTheTaskbar) {
  EXPECT_EQ(30, OsdTaskbarAllowance(30, false));
  EXPECT_EQ(0, OsdTaskbarAllowance(30, true));
  EXPECT_EQ(0, OsdTaskbarAllowance(-4, false));
  const OsdScreen screen{1280, 800, 30};
  // Lower left above the taskbar, upper right and left where it does not move them, the custom
  // corner as stored even off the screen, lower right for an unknown position.
  const std::pair<uint8_t, OsdPoint> cases[] = {
      {1, {0, 720}}, {2, {1080, 0}}, {3, {0, 0}}, {5, {-7, 345}}, {9, {1080, 720}},
  };
  for (const auto& [position, expected] : cases)
    EXPECT_EQ(expected, OsdWindowPlace(position, {200, 50}, screen, {-7, 345})) << int{position};
  EXPECT_EQ((OsdPoint{512 - 65, 384 - 11}), OsdWindowPlace(4, {131, 23}, {1025, 769, 0}, {}))
      << "the centre rounds odd sizes down";
}

TEST(OsdFade, InHoldOutWithShiftHeldTimeNotCountedThenDone) {
  using P = OsdPhase;
  OsdFade fade(/*fromAlpha=*/0, /*targetAlpha=*/200, /*animate=*/true, /*showTimeMs=*/100, 0);
  OsdFade still(0, 180, /*animate=*/false, 50, 1000);
  EXPECT_EQ(180, still.Alpha());
  OsdFade replaced(230, 200, true, 1000, 0);  // a replaced text keeps the opacity it reached
  replaced.EndHold();
  // With Shift held (900) the time does not count; no fade out without animation.
  const std::tuple<OsdFade*, int64_t, bool, int, P> steps[] = {
      {&fade, 30, false, 11, P::kFadeIn},     {&fade, 597, false, 200, P::kHold},
      {&fade, 696, false, 200, P::kHold},     {&fade, 697, false, 199, P::kFadeOut},
      {&fade, 900, true, 199, P::kFadeOut},   {&fade, 10000, false, 0, P::kDone},
      {&still, 1049, false, 180, P::kHold},   {&still, 1050, false, 180, P::kDone},
      {&replaced, 1, false, 229, P::kFadeOut}};
  for (const auto& [osd, now, shift, alpha, phase] : steps) {
    EXPECT_EQ(alpha, osd->Advance(now, shift)) << now;
    EXPECT_EQ(phase, osd->Phase()) << now;
  }
}

}  // namespace
}  // namespace tavion
