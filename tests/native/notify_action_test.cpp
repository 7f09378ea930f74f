#include "osd/notify_action.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include "actions/action.h"
#include "doubles/shown_notification.h"
#include "native/fake_language.h"
#include "osd/osd_icons.h"
#include "settings/settings.h"

namespace tavion {
namespace {

// A system that answers from its fields and records what it is asked to do.
class FakeNotifySystem : public NotifySystem {
 public:
  bool terminating = false;
  bool hotKeysDisabled = false;
  std::map<int, NotifiedAction> actions;
  MasterVolume volume{40, false};
  bool waveDevice = true;
  bool toggled = false;
  std::string trackText;
  std::optional<int> alpha = 255;

  std::vector<Shown> shown;
  std::vector<std::string> boxes;
  std::vector<bool> busyWhenShown;  // ActionBusy as each text or box came up
  std::vector<std::pair<uint32_t, uint32_t>> keyNamesAsked;
  int sounds = 0;
  int waits = 0;
  int volumeReads = 0;

  bool Terminating() override { return terminating; }
  bool HotKeysDisabled() override { return hotKeysDisabled; }
  std::optional<NotifiedAction> ActionAt(int index) override {
    const auto found = actions.find(index);
    if (found == actions.end()) return std::nullopt;
    return found->second;
  }
  MasterVolume ReadVolume() override {
    ++volumeReads;
    return volume;
  }
  bool WaveDevicePresent() override { return waveDevice; }
  bool LockKeyToggled(uint32_t) override { return toggled; }
  std::string KeyName(uint32_t keyCode, uint32_t flags) override {
    keyNamesAsked.emplace_back(keyCode, flags);
    if (keyCode == 0x14) return "Caps Lock";
    if (keyCode == 0x90) return flags == 1 ? "Num Lock" : "Pause";
    return "Scroll Lock";
  }
  std::string PlayerTrackText(std::string_view code) override {
    return code == "wa_song" ? trackText : std::string();
  }
  std::optional<int> ForegroundAlpha() override { return alpha; }
  void PlayExecutionSound() override { ++sounds; }
  void WaitBriefly() override { ++waits; }
  void ShowInformation(const std::string& text) override {
    boxes.push_back(text);
    busyWhenShown.push_back(Settings().ActionBusy);
  }
  void ShowOSD(const std::string& text, bool checkEnabled, int iconIndex, uint8_t kind) override {
    shown.push_back({text, checkEnabled, iconIndex, kind});
    busyWhenShown.push_back(Settings().ActionBusy);
  }
};

NotifiedAction MakeAction(std::string name, std::string code) {
  NotifiedAction action;
  action.name = std::move(name);
  action.code = std::move(code);
  action.hotKeyText = "Ctrl + Alt + P";
  return action;
}

class NotifyActionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    SetLanguageSource(nullptr);
    TakePendingOsdText();
    Settings().KeyInfo = false;  // most cases look at one line at a time
  }
  void TearDown() override {
    ResetSettings();
    SetLanguageSource(nullptr);
    TakePendingOsdText();
  }

  // Runs the notification of `code` as the action at index 3 and returns the one text shown.
  std::string ShownTextFor(NotifiedAction action, const ExecResult& result = {}) {
    const std::string code = action.code;
    system.actions[3] = std::move(action);
    NotifyAction(code, 3, system, result);
    if (system.shown.size() != 1) return "<shown " + std::to_string(system.shown.size()) + ">";
    return system.shown[0].text;
  }

  FakeNotifySystem system;
};

TEST_F(NotifyActionTest, ActionShowsNameThenHotKeyWithItsIconIndex) {
  Settings().KeyInfo = true;
  system.actions[7] = MakeAction("Notepad", "xx_none");
  NotifyAction("xx_none", 7, system);
  EXPECT_EQ((std::vector<Shown>{{"Notepad\r\nCtrl + Alt + P", false, 7, kOsdKindAction}}),
            system.shown);
  EXPECT_EQ(1, system.sounds);
}

TEST_F(NotifyActionTest, ExtraLinesByCodeWhenDeskExIsOn) {
  system.trackText = "\r\n3. Artist - Song";
  system.alpha = 128;
  NotifiedAction replace = MakeAction("Swap", "ke_keyz");
  replace.replacementKeyText = "Shift + F1";
  NotifiedAction launch = MakeAction("Editor", "srun");
  launch.launchPath = "%windir%\\notepad.exe";

  struct Case {
    NotifiedAction action;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {replace, "Swap\r\nShift + F1"},
      {MakeAction("Song", "wa_song"), "Song\r\n3. Artist - Song"},
      {MakeAction("Next", "wa_next"), "Next"},
      {launch, "Editor\r\n%windir%\\notepad.exe"},
      {MakeAction("Fade", "wm_alfa"), "Fade\r\n50%"},
  };
  for (const Case& c : cases) {
    system.shown.clear();
    EXPECT_EQ(c.expected, ShownTextFor(c.action)) << c.action.code;
  }

  Settings().DeskEx = false;
  for (const Case& c : cases) {
    system.shown.clear();
    EXPECT_EQ(c.action.name, ShownTextFor(c.action)) << c.action.code;
  }
}

TEST_F(NotifyActionTest, UnreadableAlphaShowsTheErrorLine) {
  system.alpha = std::nullopt;
  EXPECT_EQ("Fade\r\nError: can't set window transparency",
            ShownTextFor(MakeAction("Fade", "wm_alfa")));
}

TEST_F(NotifyActionTest, AlphaPercentRoundsToNearest) {
  const std::vector<std::pair<int, int>> cases = {
      {0, 0}, {1, 0}, {2, 1}, {127, 50}, {128, 50}, {191, 75}, {220, 86}, {254, 100}, {255, 100}};
  for (const auto& [alpha, percent] : cases) EXPECT_EQ(percent, AlphaPercent(alpha)) << alpha;
}

TEST_F(NotifyActionTest, HotKeySwitchAddsItsStateAsThePendingLine) {
  NotifiedAction toggle = MakeAction("Switch", "tv_e/\\d");
  system.hotKeysDisabled = true;
  EXPECT_EQ("Switch\r\nDisable Tavion hot keys", ShownTextFor(toggle));

  system.shown.clear();
  system.hotKeysDisabled = false;
  SetLanguageSource(std::make_shared<FakeLanguage>(
      FakeLanguage::Texts{{{"Strings", "NotifyEn"}, "Hot keys on"}}));
  EXPECT_EQ("Switch\r\nHot keys on", ShownTextFor(toggle));
  EXPECT_EQ("", TakePendingOsdText());
}

TEST_F(NotifyActionTest, PendingLineIsAddedOnceBeforeTheHotKey) {
  Settings().KeyInfo = true;
  SetPendingOsdText("from plug-in");
  EXPECT_EQ("Run\r\nfrom plug-in\r\nCtrl + Alt + P", ShownTextFor(MakeAction("Run", "xx_a")));
  system.shown.clear();
  EXPECT_EQ("Run\r\nCtrl + Alt + P", ShownTextFor(MakeAction("Run", "xx_a")));
}

TEST_F(NotifyActionTest, ExecutorTextReplacesTheName) {
  EXPECT_EQ("Media Player not started",
            ShownTextFor(MakeAction("Play", "xx_a"), {"Media Player not started"}));
}

TEST_F(NotifyActionTest, Line13MarksBecomeLineBreaks) {
  EXPECT_EQ("One\r\nTwo\r\nThree", ShownTextFor(MakeAction("One#13Two\rThree", "xx_a")));
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"a#13b", "a\r\nb"}, {"a\rb", "a\r\nb"}, {"a\nb", "a\r\nb"}, {"a\r\nb", "a\r\nb"},
      {"#13", "\r\n"},     {"a#1", "a#1"},     {"", ""},           {"\n\r", "\r\n\r\n"}};
  for (const auto& [text, lines] : cases) EXPECT_EQ(lines, OsdLines(text)) << text;
}

TEST_F(NotifyActionTest, VolumePluginActionsShowTheVolumeAndItsIcon) {
  struct Case {
    std::string file, id;
    bool wave, muted;
    std::string expected;
    uint8_t kind;
  };
  const std::vector<Case> cases = {
      {"Corvex.dll", "103", true, false, "Up\r\nVolume - 40%", kOsdKindVolume},
      {"corvex.DLL", "104", true, true, "Up\r\nVolume - 40%", kOsdKindMuted},
      {"Corvex.dll", "105", false, false, "Up\r\nError: can't find sound card!", kOsdKindVolume},
      {"Corvex.dll", "LANG", true, false, "Up", kOsdKindLanguage},
      {"Corvex.dll", "CDRom", true, false, "Up", kOsdKindAction},
      {"Other.dll", "103", true, false, "Up", kOsdKindAction},
  };
  for (const Case& c : cases) {
    system.shown.clear();
    system.waveDevice = c.wave;
    system.volume.muted = c.muted;
    NotifiedAction plug = MakeAction("Up", "Corvex.dll:" + c.id);
    plug.pluginFile = c.file;
    plug.pluginActionId = c.id;
    EXPECT_EQ(c.expected, ShownTextFor(plug)) << c.file << " " << c.id;
    if (!system.shown.empty()) {
      EXPECT_EQ(c.kind, system.shown[0].kind) << c.id;
    }
  }
  EXPECT_EQ(0, system.waits) << "the plug-in's volume is read at once";
}

TEST_F(NotifyActionTest, NothingForNoActionKillOrUnknownIndex) {
  for (const auto& [code, index] :
       std::vector<std::pair<std::string, int>>{{"wa_play", -1}, {"tv_kill", 3}, {"xx_a", 9}}) {
    system.actions[3] = MakeAction("Exit", "tv_kill");
    NotifyAction(code, index, system);
  }
  EXPECT_TRUE(system.shown.empty());
  EXPECT_EQ(1, system.sounds) << "an unknown index still sounds; \"tv_kill\" does not";
}

TEST_F(NotifyActionTest, NeverShowOsdIgnoresTheNotificationEvenOfAnError) {
  NotifiedAction quiet = MakeAction("Quiet", "xx_a");
  quiet.neverShowOsd = true;
  system.actions[3] = quiet;
  const ExecResult failed{"failed", true};
  NotifyAction("xx_a", 3, system, failed);
  Settings().Desk_Enbl = false;
  NotifyAction("xx_a", 3, system, failed);
  EXPECT_TRUE(system.shown.empty());
  EXPECT_TRUE(system.boxes.empty());
  EXPECT_EQ(0, system.sounds);
}

TEST_F(NotifyActionTest, WithTheDisplayOffOnlyAnErrorComesAsAMessageBox) {
  Settings().Desk_Enbl = false;
  system.actions[3] = MakeAction("Macro", "mc_play");
  NotifyAction("mc_play", 3, system, {"Error: can't find settings for macros - m1", true});
  NotifyAction("mc_play", 3, system, {"error in variable %input%", false});
  EXPECT_EQ(std::vector<std::string>{"Error: can't find settings for macros - m1"}, system.boxes);
  EXPECT_TRUE(system.shown.empty());
  EXPECT_EQ(0, system.sounds);
}

TEST_F(NotifyActionTest, MixerWaitsThenShowsTheVolumeAndClearsThePendingLine) {
  SetPendingOsdText("left over");
  system.volume = {73, true};
  NotifyAction("mixer", -1, system);
  EXPECT_EQ((std::vector<Shown>{{"Volume - 73%", true, -1, kOsdKindMuted}}), system.shown);
  EXPECT_EQ(1, system.waits);
  EXPECT_EQ("", TakePendingOsdText());
  EXPECT_EQ(0, system.sounds);
}

TEST_F(NotifyActionTest, MixerAndLockStateShowNothingWhenSwitchedOff) {
  struct Case {
    bool desk, deskEx, disabled;
  };
  for (const Case c :
       std::vector<Case>{{false, true, false}, {true, false, false}, {true, true, true}}) {
    Settings().Desk_Enbl = c.desk;
    Settings().DeskEx = c.deskEx;
    system.hotKeysDisabled = c.disabled;
    NotifyAction("mixer", -1, system);
    if (!c.deskEx) continue;  // the lock state does not depend on DeskEx
    NotifyAction(kLockStateCode, 0x14, system);
  }
  EXPECT_TRUE(system.shown.empty());
  EXPECT_TRUE(system.boxes.empty());
  EXPECT_EQ(0, system.waits);
}

TEST_F(NotifyActionTest, LockStateNamesTheKeyAndItsStateInUpperCase) {
  struct Case {
    uint32_t key;
    bool toggled;
    std::string expected;
    uint32_t flags;
  };
  const std::vector<Case> cases = {
      {0x14, true, "Caps Lock on:\r\nYES", 0},
      {0x90, false, "Num Lock on:\r\nNO", 1},
      {0x91, true, "Scroll Lock on:\r\nYES", 0},
  };
  for (const Case& c : cases) {
    system.shown.clear();
    system.keyNamesAsked.clear();
    system.toggled = c.toggled;
    NotifyAction(kLockStateCode, static_cast<int>(c.key), system);
    EXPECT_EQ((std::vector<Shown>{{c.expected, true, -1, kOsdKindAction}}), system.shown);
    EXPECT_EQ((std::vector<std::pair<uint32_t, uint32_t>>{{c.key, c.flags}}), system.keyNamesAsked);
  }
}

TEST_F(NotifyActionTest, LockStateTakesTranslatedWordsAndIgnoresBadKeyCodes) {
  SetLanguageSource(std::make_shared<FakeLanguage>(
      FakeLanguage::Texts{{{"Strings", "NotifyYes"}, "ja"}, {{"Strings", "NotifyOn"}, "an"}}));
  system.toggled = true;
  NotifyAction(kLockStateCode, 0x14, system);
  NotifyAction(kLockStateCode, 0, system);
  NotifyAction(kLockStateCode, 256, system);
  ASSERT_EQ(1u, system.shown.size());
  EXPECT_EQ("Caps Lock an:\r\nJA", system.shown[0].text);
}

TEST_F(NotifyActionTest, NothingWhileTerminating) {
  system.terminating = true;
  Settings().Desk_Enbl = false;
  system.actions[3] = MakeAction("Run", "xx_a");
  NotifyAction("xx_a", 3, system, {"failed", true});
  NotifyAction("mixer", -1, system);
  EXPECT_TRUE(system.boxes.empty());
  EXPECT_EQ(0, system.waits);
}

TEST_F(NotifyActionTest, AnExecutionsNotificationEndsTheHotKeyRequestBeforeShowingAnything) {
  // Showing can wait in a message loop where another action's box stays open: the next hot key
  // must not wait for it. The volume and the lock keys end no execution.
  struct Case {
    std::string code;
    int index;
    bool desk, terminating;
    bool busyAfter;
  };
  const std::vector<Case> cases = {
      {"xx_a", 3, true, false, false},
      {"xx_a", 3, false, false, false},
      {"xx_a", 3, true, true, false},
      {"mixer", -1, true, false, true},
      {kLockStateCode, 0x14, true, false, true},
  };
  system.actions[3] = MakeAction("Run", "xx_a");
  for (const Case& c : cases) {
    Settings().ActionBusy = true;
    Settings().Desk_Enbl = c.desk;
    system.terminating = c.terminating;
    system.busyWhenShown.clear();
    NotifyAction(c.code, c.index, system, {"failed", true});
    EXPECT_EQ(c.busyAfter, Settings().ActionBusy) << c.code << " " << c.desk;
    if (!c.busyAfter) {
      EXPECT_EQ(std::vector<bool>(system.busyWhenShown.size(), false), system.busyWhenShown)
          << c.code << " " << c.desk;
    }
  }
  EXPECT_EQ(4u, system.shown.size() + system.boxes.size()) << "action, box, volume, lock key";
}

TEST(DescribeActionTest, TakesNameKeysPathPluginAndNeverShowFlag) {
  TAction launch;
  launch.SetName("Editor");
  launch.SetExec("srun");
  launch.ParamsAs<TActionParamsSExec>()->Path = "C:\\edit.exe";
  launch.Key0().SetHKey(PackHotKey('P', 0, 0, /*modifiers=*/3));
  launch.ActionExecOn().nOSD = true;
  const NotifiedAction described = DescribeAction(launch, KeyTextContext{});
  EXPECT_EQ("Editor", described.name);
  EXPECT_EQ("srun", described.code);
  EXPECT_EQ("C:\\edit.exe", described.launchPath);
  EXPECT_TRUE(described.neverShowOsd);
  EXPECT_EQ(HotKeyValueToText(PackHotKey('P', 0, 0, 3), true, true, true, KeyTextContext{}),
            described.hotKeyText);

  TAction replace;
  replace.SetExec("ke_keyz");
  replace.ParamsAs<TActionParamsRKey>()->Key.SetHKey(PackHotKey('Q', 0, 0, /*modifiers=*/4));
  EXPECT_EQ(HotKeyValueToText(PackHotKey('Q', 0, 0, 4), true, true, true, KeyTextContext{}),
            DescribeAction(replace, KeyTextContext{}).replacementKeyText);
  EXPECT_EQ("", DescribeAction(replace, KeyTextContext{}).launchPath);
}

TEST(OsdIconTest, KindsThenCodeFamiliesThenPlugIn) {
  struct Case {
    std::string code;
    uint8_t kind;
    std::string file;
  };
  const std::vector<Case> cases = {
      {"srun", 0, "osd_launch.ico"},     {"srunx", 0, "osd_plugin.ico"},
      {"wa_play", 0, "osd_player.ico"},  {"wm_alfa", 0, "osd_window.ico"},
      {"ms_wmsg", 0, "osd_message.ico"}, {"ke_keyz", 0, "osd_key.ico"},
      {"mc_text", 0, "osd_macro.ico"},   {"tv_kill", 0, "osd_program.ico"},
      {"hd_info", 0, "osd_program.ico"}, {"Corvex.dll103", 0, "osd_plugin.ico"},
      {"", 0, "osd_default.ico"},        {"srun", 1, "osd_language.ico"},
      {"", 2, "osd_volume.ico"},         {"wa_play", 3, "osd_muted.ico"},
      {"wa_play", 9, "osd_player.ico"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.file, OsdIconFile(c.code, c.kind)) << c.code;
}

TEST(OsdIconTest, EveryNamedFileIsListedOnce) {
  const auto files = OsdIconFiles();
  std::vector<std::string> listed(files.begin(), files.end());
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed.end(), std::adjacent_find(listed.begin(), listed.end()));
  for (const char* code : {"", "srun", "wa_", "wm_", "ms_", "ke_", "mc_", "tv_", "x"}) {
    for (uint8_t kind = 0; kind <= 3; ++kind) {
      EXPECT_TRUE(std::binary_search(listed.begin(), listed.end(), OsdIconFile(code, kind)))
          << code << " " << int(kind);
    }
  }
}

TEST(OsdIconTest, LanguageSetFileNames) {
  EXPECT_EQ("l3_1033.ico", LanguageIconFile(3, 1033));
  EXPECT_EQ("l1_1049.ico", LanguageIconFile(1, 0x419));
  EXPECT_EQ("", LanguageIconFile(0, 1033));
}

}  // namespace
}  // namespace tavion
