#include "osd/notify_action.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "actions/action.h"
#include "native/support/fake_language.h"
#include "osd/osd_icons.h"
#include "settings/settings.h"

namespace tavion {
namespace {

using Events = std::vector<std::string>;

// A system that answers from its fields and records what it is asked to do in `events`:
// "osd TEXT CHECK ICON KIND", "box TEXT", "sound", "wait", "name KEY FLAGS".
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
  bool LockKeyToggled(uint32_t) override { return toggled; }
  std::string KeyName(uint32_t keyCode, uint32_t flags) override {
    events.push_back("name " + std::to_string(keyCode) + " " + std::to_string(flags));
    return keyCode == 0x14 ? "Caps Lock" : "Num Lock";
  }
  std::string PlayerTrackText(std::string_view code) override {
    return code == "wa_song" ? "\r\n3. Artist - Song" : "";
  }
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

  bool terminating = false, hotKeysDisabled = false, waveDevice = true, toggled = false;
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
      {Action("Next", "wa_next"), true, "Next"},
      {Action("Editor", "srun", "x.exe"), false, "Editor"},
      {Action("One#13Two\rThree", "xx_a"), true, "One\r\nTwo\r\nThree"},
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
      {"Other.dll", "103", true, false, "Up 0 3 0"},
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
  EXPECT_EQ(Events{}, Notify(quiet, {"failed", true}));
  Settings().Desk_Enbl = false;
  EXPECT_EQ(Events{}, Notify(quiet, {"failed", true}));
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
      std::make_shared<FakeLanguage>(FakeLanguage::Texts{{{"Strings", "NotifyYes"}, "ja"}}));
  toggled = true;
  NotifyAction(kLockStateCode, 0x14, *this);
  toggled = false;
  NotifyAction(kLockStateCode, 0x90, *this);  // Num Lock is named by its extended form
  NotifyAction(kLockStateCode, 0, *this);
  NotifyAction(kLockStateCode, 256, *this);
  EXPECT_EQ((Events{"wait", "osd Volume - 73% 1 -1 3 busy", "wait", "name 20 0",
                    "osd Caps Lock on:\r\nJA 1 -1 0 busy", "wait", "name 144 1",
                    "osd Num Lock on:\r\nNO 1 -1 0 busy"}),
            events);
  // Display on, extra text (the lock keys ignore it), hot keys off.
  const std::tuple<bool, bool, bool> cases[] = {
      {false, true, false}, {true, false, false}, {true, true, true}};
  for (const auto& [desk, deskEx, disabled] : cases) {
    Settings().Desk_Enbl = desk;
    Settings().DeskEx = deskEx;
    hotKeysDisabled = disabled;
    events.clear();
    NotifyAction("mixer", -1, *this);
    if (deskEx) NotifyAction(kLockStateCode, 0x14, *this);
    EXPECT_EQ(Events{}, events) << desk << deskEx << disabled;
  }
}

TEST(NotifyTextTest, LineMarksAndAlphaPercent) {
  const std::pair<std::string, std::string> lines[] = {
      {"a#13b", "a\r\nb"}, {"a\rb", "a\r\nb"}, {"a\nb", "a\r\nb"},   {"a\r\nb", "a\r\nb"},
      {"#13", "\r\n"},     {"a#1", "a#1"},     {"\n\r", "\r\n\r\n"}, {"", ""}};
  for (const auto& [text, expected] : lines) EXPECT_EQ(expected, OsdLines(text)) << text;
  // Rounded to the nearest, halves to even.
  const std::pair<int, int> percents[] = {{1, 0}, {2, 1}, {127, 50}, {191, 75}, {254, 100}};
  for (const auto& [alpha, percent] : percents) EXPECT_EQ(percent, AlphaPercent(alpha)) << alpha;
}

TEST(DescribeActionTest, TakesNameKeysPathAndTheNeverShowFlag) {
  TAction launch;
  launch.SetName("Editor");
  launch.SetExec("srun");
  launch.ParamsAs<TActionParamsSExec>()->Path = "C:\\edit.exe";
  launch.Key0().SetHKey(PackHotKey('P', 0, 0, /*modifiers=*/3));
  launch.ActionExecOn().nOSD = true;
  EXPECT_EQ((NotifiedAction{"Editor", "srun",
                            HotKeyValueToText(PackHotKey('P', 0, 0, 3), true, true, true, {}), "",
                            "C:\\edit.exe", "", "", true}),
            DescribeAction(launch, KeyTextContext{}));
  TAction replace;
  replace.SetExec("ke_keyz");
  replace.ParamsAs<TActionParamsRKey>()->Key.SetHKey(PackHotKey('Q', 0, 0, /*modifiers=*/4));
  EXPECT_EQ(HotKeyValueToText(PackHotKey('Q', 0, 0, 4), true, true, true, KeyTextContext{}),
            DescribeAction(replace, KeyTextContext{}).replacementKeyText);
}

TEST(OsdIconTest, KindsThenCodeFamiliesThenPlugInAndEveryFileIsListed) {
  const std::tuple<std::string, uint8_t, std::string> cases[] = {
      {"srun", 0, "osd_launch.ico"},    {"srunx", 0, "osd_plugin.ico"},
      {"wa_play", 0, "osd_player.ico"}, {"hd_info", 0, "osd_program.ico"},
      {"", 0, "osd_default.ico"},       {"srun", 1, "osd_language.ico"},
      {"", 2, "osd_volume.ico"},        {"wa_play", 3, "osd_muted.ico"},
      {"wa_play", 9, "osd_player.ico"},
  };
  const auto files = OsdIconFiles();
  for (const auto& [code, kind, file] : cases) {
    EXPECT_EQ(file, OsdIconFile(code, kind)) << code;
    EXPECT_EQ(1, std::ranges::count(files, file)) << file;
  }
  EXPECT_EQ("l1_1049.ico", LanguageIconFile(1, 0x419));
  EXPECT_EQ("", LanguageIconFile(0, 1033));
}

}  // namespace
}  // namespace tavion
