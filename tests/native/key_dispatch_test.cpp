#include "pipeline/key_dispatch.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "fake_language.h"
#include "settings/settings.h"

namespace tavion {
namespace {

constexpr uint8_t kA = 65, kE = 69, kP = 80, kF1 = 112;
constexpr uint8_t kLWin = 91, kRWin = 92, kLShift = 160, kLCtrl = 162, kRCtrl = 163, kLAlt = 164;
constexpr uint32_t kUsLayout = 0x04090409;

// One set of keys that are down; the hook sees an event before the system counts it, so the
// helpers below change the set only after the handler has answered.
class FakeKeys final : public KeyState {
 public:
  bool IsDown(uint8_t keyCode, bool) const override { return down.count(keyCode) != 0; }
  std::set<uint8_t> down;
};

class FakeWindows final : public WindowSystem {
 public:
  struct Window {
    WindowHandle handle;
    std::string windowClass;
  };

  WindowHandle ForegroundWindow() const override { return foreground; }
  std::vector<WindowHandle> TopLevelWindows() const override {
    std::vector<WindowHandle> handles;
    for (const Window& w : windows) handles.push_back(w.handle);
    return handles;
  }
  std::string ClassName(WindowHandle window) const override {
    for (const Window& w : windows)
      if (w.handle == window) return w.windowClass;
    return {};
  }
  std::string Caption(WindowHandle) const override { return "caption"; }
  bool BringToForeground(WindowHandle window) override {
    raised.push_back(window);
    foreground = window;
    return true;
  }

  std::vector<Window> windows = {{10, "Notepad"}, {20, "Explorer"}};
  WindowHandle foreground = 10;
  std::vector<WindowHandle> raised;
};

struct Request {
  std::string code;  // empty for a launch question
  std::size_t index;
  uint32_t packed;
  friend bool operator==(const Request&, const Request&) = default;
};

class FakeHost final : public DispatchHost {
 public:
  const KeyState& Keys() const override { return keys; }
  WindowSystem& Windows() override { return windows; }
  bool EditorVisible() const override { return editorVisible; }
  uint32_t TickCount() const override { return now; }
  uint32_t ForegroundKeyboardLayout() const override { return layout; }
  void PlayKeyPressSound(uint16_t languageId) override { sounds.push_back(languageId); }
  WindowHandle TopLevelWindowUnderCursor() const override { return underCursor; }
  WindowHandle DesktopWindow() const override { return 1; }
  void Beep() override { ++beeps; }
  void SendKeys(std::span<const KeyInput> events) override {
    sent.insert(sent.end(), events.begin(), events.end());
  }
  bool OsdWindowExists() const override { return osd; }
  bool PostExecute(const std::string& code, uint32_t packed) override {
    executed.push_back({code, packed & 0xFFFF, packed});
    return true;
  }
  bool PostAskLaunch(std::size_t index, uint32_t packed) override {
    asked.push_back({"", index, packed});
    return true;
  }
  void NotifyLockState(uint8_t keyCode) override { lockNotes.push_back(keyCode); }
  std::vector<std::string>* RecordingList() override { return recording; }

  FakeKeys keys;
  FakeWindows windows;
  bool editorVisible = false;
  uint32_t now = 100000;
  uint32_t layout = kUsLayout;
  std::vector<uint16_t> sounds;
  WindowHandle underCursor = 0;
  int beeps = 0;
  std::vector<KeyInput> sent;
  bool osd = false;
  std::vector<Request> executed;
  std::vector<Request> asked;
  std::vector<uint8_t> lockNotes;
  std::vector<std::string>* recording = nullptr;
};

std::vector<KeyInput> WinKeyUpReplacement(uint8_t winKey) {
  std::vector<KeyInput> events = DummyKeyEvents();
  events.push_back({winKey, 0, kInputKeyUp | kInputExtended});
  return events;
}

class KeyDispatchTest : public testing::Test {
 protected:
  KeyDispatchTest() { ResetSettings(); }
  ~KeyDispatchTest() override { ResetSettings(); }

  TAction& AddAction(std::string_view code, uint32_t hkey, uint8_t level = 0) {
    TAction& action = list_.Add();
    action.SetName("action " + std::to_string(list_.Count() - 1));
    action.SetExec(code);
    action.Key0().SetHKey(hkey);
    action.SetLevl(level);
    return action;
  }
  // Call after the last AddAction and after changing a hot key.
  void Index() {
    tree_.Rebuild(list_, [](TAction& a) { return a.Name(); });
    dispatcher_.Rebuild(tree_);
  }
  void SetOptions(const DispatchOptions& options) { dispatcher_.SetOptions(options); }

  intptr_t Key(uint32_t message, uint8_t vk, uint32_t flags, uint32_t extraInfo = 0) {
    const KeyEventRecord record{vk, static_cast<uint32_t>(vk) + 1000u, flags, host_.now, extraInfo};
    return dispatcher_.OnKeyEvent(message, &record);
  }
  intptr_t Down(uint8_t vk, uint32_t extraInfo = 0) {
    const intptr_t result = Key(kWmKeyDown, vk, 0, extraInfo);
    host_.keys.down.insert(vk);
    return result;
  }
  intptr_t Up(uint8_t vk, uint32_t extraInfo = 0) {
    const intptr_t result = Key(kWmKeyUp, vk, kKeyFlagReleased, extraInfo);
    host_.keys.down.erase(vk);
    return result;
  }
  // Down and up of `vk` while `held` are down (pressed before, released after in reverse).
  std::pair<intptr_t, intptr_t> Press(uint8_t vk, std::vector<uint8_t> held = {}) {
    for (uint8_t h : held) Down(h);
    const intptr_t down = Down(vk);
    const intptr_t up = Up(vk);
    for (auto h = held.rbegin(); h != held.rend(); ++h) Up(*h);
    return {down, up};
  }
  intptr_t Hid(std::string_view text) {
    std::string shortString(1, static_cast<char>(text.size()));
    shortString += text;
    return dispatcher_.HandleKeyMessage(reinterpret_cast<uintptr_t>(shortString.data()),
                                        kHidKeyEventMarker);
  }
  intptr_t Mouse(uint32_t message) {
    const MouseEventRecord record{};
    return dispatcher_.OnMouseEvent(message, &record);
  }
  std::vector<std::size_t> ExecutedIndices() const {
    std::vector<std::size_t> indices;
    for (const Request& r : host_.executed) indices.push_back(r.index);
    return indices;
  }

  FakeHost host_;
  TActionsList list_;
  ActionTree tree_;
  HotKeyDispatcher dispatcher_{host_};
};

// ---- Matching: modifiers and sides --------------------------------------------------------

struct ModifierCase {
  const char* name;
  uint8_t hotKeyMask;
  std::vector<uint8_t> held;
  bool fires;
};

class ModifierMatchTest : public KeyDispatchTest,
                          public testing::WithParamInterface<ModifierCase> {};

TEST_P(ModifierMatchTest, TheMaskMustEqualTheHeldModifiers) {
  const ModifierCase& c = GetParam();
  AddAction("srun", PackHotKey(kA, 0, 0, c.hotKeyMask));
  Index();
  const auto [down, up] = Press(kA, c.held);
  EXPECT_EQ(c.fires ? 1u : 0u, host_.executed.size());
  EXPECT_EQ(c.fires ? kSwallowEvent : kPassEvent, down);
  EXPECT_EQ(c.fires ? kSwallowEvent : kPassEvent, up);
}

INSTANTIATE_TEST_SUITE_P(
    Masks, ModifierMatchTest,
    testing::Values(ModifierCase{"CtrlA_LeftCtrl", kModCtrl, {kLCtrl}, true},
                    ModifierCase{"CtrlA_RightCtrl", kModCtrl, {kRCtrl}, true},
                    ModifierCase{"CtrlA_CtrlShift", kModCtrl, {kLCtrl, kLShift}, false},
                    ModifierCase{"CtrlShiftA_CtrlOnly", kModCtrl | kModShift, {kLCtrl}, false},
                    ModifierCase{"CtrlA_NoModifier", kModCtrl, {}, false},
                    ModifierCase{"A_Alone", 0, {}, true},
                    ModifierCase{"A_WithAlt", 0, {kLAlt}, false},
                    ModifierCase{"WinA_LeftWin", kModWin, {kLWin}, true}),
    [](const testing::TestParamInfo<ModifierCase>& param) { return param.param.name; });

struct SideCase {
  const char* name;
  ModifierSides sides;
  bool onlyLeft, onlyRight;
  uint8_t ctrlKey;
  bool fires;
};

class ModifierSideTest : public KeyDispatchTest, public testing::WithParamInterface<SideCase> {};

TEST_P(ModifierSideTest, OptionAndSwitchesDecideWhichSideMayBeHeld) {
  const SideCase& c = GetParam();
  TAction& action = AddAction("srun", PackHotKey(kA, 0, 0, kModCtrl));
  action.ActionExecOn().ModOnlyL = c.onlyLeft;
  action.ActionExecOn().ModOnlyR = c.onlyRight;
  Index();
  DispatchOptions options;
  options.modifierSides = c.sides;
  SetOptions(options);
  const auto [down, up] = Press(kA, {c.ctrlKey});
  EXPECT_EQ(c.fires ? 1u : 0u, host_.executed.size());
  EXPECT_EQ(c.fires ? kSwallowEvent : kPassEvent, down);
}

INSTANTIATE_TEST_SUITE_P(
    Sides, ModifierSideTest,
    testing::Values(
        SideCase{"All_Right", ModifierSides::kAll, false, false, kRCtrl, true},
        SideCase{"LeftOnly_Left", ModifierSides::kLeftOnly, false, false, kLCtrl, true},
        SideCase{"LeftOnly_Right", ModifierSides::kLeftOnly, false, false, kRCtrl, false},
        SideCase{"RightOnly_Left", ModifierSides::kRightOnly, false, false, kLCtrl, false},
        SideCase{"RightOnly_Right", ModifierSides::kRightOnly, false, false, kRCtrl, true},
        // The action's own switch overrides the option.
        SideCase{"ModOnlyL_Right", ModifierSides::kAll, true, false, kRCtrl, false},
        SideCase{"ModOnlyL_LeftDespiteOption", ModifierSides::kRightOnly, true, false, kLCtrl,
                 true},
        SideCase{"ModOnlyR_Left", ModifierSides::kAll, false, true, kLCtrl, false},
        SideCase{"ModOnlyR_Right", ModifierSides::kLeftOnly, false, true, kRCtrl, true}),
    [](const testing::TestParamInfo<SideCase>& param) { return param.param.name; });

// ---- Switches ------------------------------------------------------------------------------

TEST_F(KeyDispatchTest, BlockedAndNeverSwallowsTheKeyButNeverRuns) {
  TAction& action = AddAction("srun", PackHotKey(kF1, 0, 0, 0));
  action.ActionExecOn().Blck = true;
  action.ActionExecOn().Nevr = true;
  Index();
  EXPECT_EQ(kSwallowEvent, Press(kF1).first);
  EXPECT_TRUE(host_.executed.empty());
}

TEST_F(KeyDispatchTest, NeverAloneLetsTheKeyPass) {
  AddAction("srun", PackHotKey(kF1, 0, 0, 0)).ActionExecOn().Nevr = true;
  Index();
  EXPECT_EQ(std::make_pair(kPassEvent, kPassEvent), Press(kF1));
  EXPECT_TRUE(host_.executed.empty());
}

TEST_F(KeyDispatchTest, AFolderWithNeverDisablesItsDirectChildrenOnly) {
  AddAction("", 0).ActionExecOn().Nevr = true;         // 0 folder
  AddAction("srun", PackHotKey(kF1, 0, 0, 0), 1);      // 1 child
  AddAction("", 0, 1);                                 // 2 sub-folder
  AddAction("srun", PackHotKey(kF1 + 1, 0, 0, 0), 2);  // 3 grandchild
  Index();
  EXPECT_EQ(kPassEvent, Press(kF1).first);
  EXPECT_EQ(kSwallowEvent, Press(kF1 + 1).first);
  EXPECT_EQ(std::vector<std::size_t>{3}, ExecutedIndices());
}

TEST_F(KeyDispatchTest, SwitchedOffHotKeysLeaveOnlyTheToggleAction) {
  AddAction("srun", PackHotKey(kF1, 0, 0, 0));
  AddAction("tv_e/\\d", PackHotKey(kF1, 0, 0, 0));  // same key, later in the tree
  AddAction("srun", PackHotKey(kA, 0, 0, 0));
  Index();
  DispatchOptions options;
  options.hotKeysDisabled = true;
  SetOptions(options);
  // The first action is passed over without ending the walk, so the toggle on the same key runs.
  EXPECT_EQ(kSwallowEvent, Press(kF1).first);
  EXPECT_EQ(kPassEvent, Press(kA).first);
  ASSERT_EQ(1u, host_.executed.size());
  EXPECT_EQ("tv_e/\\d", host_.executed[0].code);
  EXPECT_EQ(1u, host_.executed[0].index);
}

TEST_F(KeyDispatchTest, DontBlockHotKeyRunsAndPassesTheKey) {
  AddAction("srun", PackHotKey(kA, 0, 0, kModCtrl)).ActionExecOn().DontBlockHotKey = true;
  Index();
  EXPECT_EQ(std::make_pair(kPassEvent, kPassEvent), Press(kA, {kLCtrl}));
  EXPECT_EQ(1u, host_.executed.size());
  EXPECT_TRUE(host_.sent.empty());  // no dummy key either
}

TEST_F(KeyDispatchTest, TheDummyKeyFollowsOnlyAHotKeyHeldWithModifiers) {
  AddAction("srun", PackHotKey(kP, 0, 0, kModCtrl | kModAlt));
  AddAction("srun", PackHotKey(kF1, 0, 0, 0));
  Index();
  Press(kP, {kLCtrl, kLAlt});
  EXPECT_EQ(DummyKeyEvents(), host_.sent);
  host_.sent.clear();
  Press(kF1);
  EXPECT_TRUE(host_.sent.empty());
  EXPECT_EQ(2u, host_.executed.size());
}

TEST_F(KeyDispatchTest, RequestCarriesCodeIndexAndRepeat) {
  AddAction("srun", PackHotKey(kA, 0, 0, 0));
  AddAction("wa_play", PackHotKey(kF1, 0, 0, 0)).ActionExecOn().Rept = 2;
  Index();
  Press(kF1);
  ASSERT_EQ(1u, host_.executed.size());
  EXPECT_EQ((Request{"wa_play", 1, 0x00020001}), host_.executed[0]);
  EXPECT_TRUE(Settings().ActionBusy);
}

TEST_F(KeyDispatchTest, AnOutstandingRequestDropsFurtherOnesWhileTheDisplayShows) {
  AddAction("srun", PackHotKey(kF1, 0, 0, 0));
  Index();
  host_.osd = true;
  EXPECT_EQ(kSwallowEvent, Press(kF1).first);
  EXPECT_EQ(kSwallowEvent, Press(kF1).first);  // still swallowed, but starts nothing
  EXPECT_EQ(1u, host_.executed.size());
  host_.osd = false;  // no display left: nothing can be outstanding
  Press(kF1);
  EXPECT_EQ(2u, host_.executed.size());
}

TEST_F(KeyDispatchTest, AutoRepeatPostsAgainOnceTheRequestIsDone) {
  AddAction("srun", PackHotKey(kF1, 0, 0, 0));
  Index();
  host_.osd = true;
  Down(kF1);
  Down(kF1);                      // auto-repeat while the first request is outstanding
  Settings().ActionBusy = false;  // its notification was handled
  Down(kF1);
  Up(kF1);
  EXPECT_EQ(2u, host_.executed.size());
}

TEST_F(KeyDispatchTest, WithoutSeveralActionsOnlyTheFirstMatchCountsEvenWhenItCannotRun) {
  AddAction("srun", PackHotKey(kF1, 0, 0, kModCtrl)).ActionExecOn().Nevr = true;
  AddAction("wa_play", PackHotKey(kF1, 0, 0, kModCtrl));
  Index();
  Press(kF1, {kLCtrl});
  EXPECT_TRUE(host_.executed.empty());

  DispatchOptions options;
  options.severalActionsOnOneKey = true;
  SetOptions(options);
  Press(kF1, {kLCtrl});
  EXPECT_EQ(std::vector<std::size_t>{1}, ExecutedIndices());
}

TEST_F(KeyDispatchTest, SeveralActionsOnOneKeyEachPostWhileNothingIsOutstanding) {
  AddAction("srun", PackHotKey(kF1, 0, 0, 0));
  AddAction("wa_play", PackHotKey(kF1, 0, 0, 0));
  Index();
  DispatchOptions options;
  options.severalActionsOnOneKey = true;
  SetOptions(options);
  Press(kF1);
  EXPECT_EQ((std::vector<std::size_t>{0, 1}), ExecutedIndices());
}

TEST_F(KeyDispatchTest, AskBeforeLaunchPostsTheQuestionInsteadOfTheRequest) {
  AddAction("srun", PackHotKey(kA, 0, 0, 0));
  TAction& asking = AddAction("srun", PackHotKey(kF1, 0, 0, kModCtrl));
  asking.ActionExecOn().MBox = true;
  asking.ActionExecOn().Rept = 1;
  Index();
  EXPECT_EQ(std::make_pair(kSwallowEvent, kSwallowEvent), Press(kF1, {kLCtrl}));
  EXPECT_TRUE(host_.executed.empty());
  EXPECT_EQ((std::vector<Request>{{"", 1, 0x00010001}}), host_.asked);
  EXPECT_EQ(DummyKeyEvents(), host_.sent);
}

TEST_F(KeyDispatchTest, TheLaunchQuestionNamesTheAction) {
  TAction& action = AddAction("srun", 0);
  action.SetName("Notepad");
  EXPECT_EQ("Launch action - Notepad?", LaunchQuestionText(action));
  SetLanguageSource(std::make_shared<FakeLanguage>(
      FakeLanguage::Texts{{{"Strings", "QuestBeforLaunch"}, "Start %s now?"}}));
  EXPECT_EQ("Start Notepad now?", LaunchQuestionText(action));
  SetLanguageSource(nullptr);
}

// ---- Conditions ---------------------------------------------------------------------------

struct ConditionCase {
  const char* name;
  void (*set)(TActionExecOn&);
  bool fires;
};

class ConditionTest : public KeyDispatchTest, public testing::WithParamInterface<ConditionCase> {};

TEST_P(ConditionTest, AFailedConditionLetsTheKeyPass) {
  TAction& action = AddAction("srun", PackHotKey(kF1, 0, 0, 0));
  GetParam().set(action.ActionExecOn());
  Index();
  const bool fires = GetParam().fires;
  EXPECT_EQ(fires ? kSwallowEvent : kPassEvent, Press(kF1).first);
  EXPECT_EQ(fires ? 1u : 0u, host_.executed.size());
}

void Enable(TActionExecOnWItem& item, const char* windowClass) {
  item.Enbl = true;
  item.AddWindow(windowClass, "nil");
}

// The foreground window is "Notepad"; "Explorer" exists behind it; "Calc" does not exist.
INSTANTIATE_TEST_SUITE_P(
    Windows, ConditionTest,
    testing::Values(
        ConditionCase{"IfWaForeground", [](TActionExecOn& o) { Enable(o.IfWa, "Notepad"); }, true},
        ConditionCase{"IfWaOther", [](TActionExecOn& o) { Enable(o.IfWa, "Explorer"); }, false},
        ConditionCase{"IfWiForeground", [](TActionExecOn& o) { Enable(o.IfWi, "Notepad"); }, false},
        ConditionCase{"IfWeExists", [](TActionExecOn& o) { Enable(o.IfWe, "Explorer"); }, true},
        ConditionCase{"IfWeMissing", [](TActionExecOn& o) { Enable(o.IfWe, "Calc"); }, false},
        ConditionCase{"IfNWExists", [](TActionExecOn& o) { Enable(o.IfNW, "Explorer"); }, false},
        ConditionCase{"IfNWMissing", [](TActionExecOn& o) { Enable(o.IfNW, "Calc"); }, true},
        ConditionCase{"IfWaDisabled",
                      [](TActionExecOn& o) {
                        o.IfWa.AddWindow("Calc", "nil");  // listed but not in force
                      },
                      true},
        ConditionCase{"LangOther", [](TActionExecOn& o) { o.Lang = 0x04070407; }, false},
        ConditionCase{"LangActive", [](TActionExecOn& o) { o.Lang = kUsLayout; }, true}),
    [](const testing::TestParamInfo<ConditionCase>& param) { return param.param.name; });

TEST_F(KeyDispatchTest, SetWindowFocusRaisesTheFirstExistingWindowBeforeTheRequest) {
  TAction& action = AddAction("srun", PackHotKey(kF1, 0, 0, 0));
  Enable(action.ActionExecOn().StFW, "Explorer");
  action.ActionExecOn().StFD = true;
  Index();
  Press(kF1);
  EXPECT_EQ((std::vector<WindowHandle>{1, 20}), host_.windows.raised);  // desktop, then Explorer
  EXPECT_EQ(1u, host_.executed.size());
}

TEST_F(KeyDispatchTest, WindowUnderCursorIsRaisedOrTheActionBeeps) {
  AddAction("srun", PackHotKey(kF1, 0, 0, 0)).ActionExecOn().MSwa = true;
  Index();
  EXPECT_EQ(kPassEvent, Press(kF1).first);
  EXPECT_EQ(1, host_.beeps);
  EXPECT_TRUE(host_.executed.empty());
  host_.underCursor = 20;
  EXPECT_EQ(kSwallowEvent, Press(kF1).first);
  EXPECT_EQ(std::vector<WindowHandle>{20}, host_.windows.raised);
  EXPECT_EQ(1u, host_.executed.size());
}

TEST_F(KeyDispatchTest, SecondPressWithinHalfASecondRunsAndAThirdDoesNot) {
  AddAction("srun", PackHotKey(kF1, 0, 0, 0)).ActionExecOn().ExecOnRepeat = true;
  Index();
  EXPECT_EQ(kPassEvent, Press(kF1).first);  // a first press passes on
  host_.now += 400;
  EXPECT_EQ(kSwallowEvent, Press(kF1).first);
  host_.now += 400;
  EXPECT_EQ(kPassEvent, Press(kF1).first);
  EXPECT_EQ(1u, host_.executed.size());
}

TEST_F(KeyDispatchTest, SecondPressTooLateOrOfAnotherKeyDoesNotRun) {
  AddAction("srun", PackHotKey(kF1, 0, 0, 0)).ActionExecOn().ExecOnRepeat = true;
  Index();
  Press(kF1);
  host_.now += 501;
  Press(kF1);
  host_.now += 100;
  Press(kA);  // another key in between makes the next F1 a first press
  host_.now += 100;
  Press(kF1);
  EXPECT_TRUE(host_.executed.empty());
  host_.now += 100;
  Press(kF1);
  EXPECT_EQ(1u, host_.executed.size());
}

// ---- Win key ------------------------------------------------------------------------------

TEST_F(KeyDispatchTest, WinEReplacesTheWinKeyUpByDummyAndSyntheticRelease) {
  AddAction("srun", PackHotKey(kE, 0, 0, kModWin));
  Index();
  EXPECT_EQ(kPassEvent, Down(kLWin));
  EXPECT_EQ(kSwallowEvent, Down(kE));
  EXPECT_EQ(kSwallowEvent, Up(kE));
  host_.sent.clear();  // the dummy key after E
  EXPECT_EQ(kSwallowEvent, Up(kLWin));
  EXPECT_EQ(WinKeyUpReplacement(kLWin), host_.sent);
  // Our own release comes back through the hook and passes.
  EXPECT_EQ(kPassEvent, Key(kWmKeyUp, kLWin, kKeyFlagReleased | kKeyFlagExtended, OwnInputMark));
}

TEST_F(KeyDispatchTest, WinKeyWithoutAHotKeyIsLeftAlone) {
  AddAction("srun", PackHotKey(kE, 0, 0, kModWin));
  Index();
  Press(kE, {kRWin});  // fires: right Win used
  host_.sent.clear();
  EXPECT_EQ(std::make_pair(kPassEvent, kPassEvent), Press(kRWin));  // a new press clears it
  EXPECT_TRUE(host_.sent.empty());
}

TEST_F(KeyDispatchTest, DontBlockHotKeyLeavesTheWinKeyUpAlone) {
  AddAction("srun", PackHotKey(kE, 0, 0, kModWin)).ActionExecOn().DontBlockHotKey = true;
  Index();
  Press(kE, {kLWin});
  EXPECT_TRUE(host_.sent.empty());
}

TEST_F(KeyDispatchTest, DisabledWinKeyIsSwallowedBothWays) {
  Index();
  DispatchOptions options;
  options.disableWinKey = true;
  SetOptions(options);
  EXPECT_EQ(std::make_pair(kSwallowEvent, kSwallowEvent), Press(kLWin));
  EXPECT_EQ(std::make_pair(kSwallowEvent, kSwallowEvent), Press(kRWin));
  EXPECT_EQ(std::make_pair(kPassEvent, kPassEvent), Press(kA));
}

TEST_F(KeyDispatchTest, ReleasingOneSideResetsAStuckGenericModifier) {
  Index();
  Down(kLCtrl);
  host_.keys.down.insert(17);  // the generic Ctrl still reads down after the release below
  Up(kLCtrl);
  EXPECT_EQ((std::vector<KeyInput>{{kLCtrl, 0, kInputKeyUp}}), host_.sent);
}

// ---- Options ------------------------------------------------------------------------------

TEST_F(KeyDispatchTest, BlockKeyboardSwallowsKeysButSparesMouseHotKeys) {
  AddAction("srun", PackHotKey(kF1, 0, 0, 0));
  AddAction("wa_play", PackHotKey(1, 0, 0, 0));  // left mouse button
  Index();
  DispatchOptions options;
  options.blockKeyboard = true;
  options.mouseHotKeys = true;
  SetOptions(options);
  EXPECT_EQ(std::make_pair(kSwallowEvent, kSwallowEvent), Press(kF1));
  EXPECT_EQ(std::make_pair(kSwallowEvent, kSwallowEvent), Press(kA));
  EXPECT_EQ(kSwallowEvent, Mouse(kWmLButtonDown));
  EXPECT_EQ(kSwallowEvent, Mouse(kWmLButtonUp));
  EXPECT_EQ(kPassEvent, Mouse(kWmRButtonDown));
  ASSERT_EQ(1u, host_.executed.size());
  EXPECT_EQ("wa_play", host_.executed[0].code);
}

TEST_F(KeyDispatchTest, MouseEventsPassWhileHotKeysOrMouseHotKeysAreOff) {
  AddAction("wa_play", PackHotKey(136, 0, 0, 0));  // wheel forward
  Index();
  MouseEventRecord wheel{};
  wheel.mouseData = 120u << 16;
  DispatchOptions options;
  SetOptions(options);
  EXPECT_EQ(kPassEvent, dispatcher_.OnMouseEvent(kWmMouseWheel, &wheel));
  options.mouseHotKeys = true;
  options.hotKeysDisabled = true;
  SetOptions(options);
  EXPECT_EQ(kPassEvent, dispatcher_.OnMouseEvent(kWmMouseWheel, &wheel));
  options.hotKeysDisabled = false;
  SetOptions(options);
  EXPECT_EQ(kSwallowEvent,
            dispatcher_.HandleMouseMessage(kWmMouseWheel, reinterpret_cast<intptr_t>(&wheel)));
  EXPECT_EQ(kPassEvent, dispatcher_.HandleMouseMessage(kWmMouseWheel, 0));
  EXPECT_EQ(1u, host_.executed.size());
}

TEST_F(KeyDispatchTest, KeyPressSoundPlaysForTheFirstPressOnly) {
  Index();
  DispatchOptions options;
  options.keyPressSound = true;
  SetOptions(options);
  Down(kA);
  Down(kA);  // auto-repeat
  Up(kA);
  EXPECT_EQ(std::vector<uint16_t>{0x0409}, host_.sounds);
  options.hotKeysDisabled = true;
  SetOptions(options);
  Press(kA);
  EXPECT_EQ(1u, host_.sounds.size());
}

TEST_F(KeyDispatchTest, UpOnlyKeysFireOnTheirRelease) {
  AddAction("wa_play", PackHotKey(178, 0, 0, 0));
  Index();
  DispatchOptions options;
  options.upOnlyKeys = {"178x1178x1"};  // the helpers give scan code key code + 1000
  SetOptions(options);
  EXPECT_EQ(kPassEvent, Key(kWmKeyUp, 178, kKeyFlagReleased | kKeyFlagExtended));
  options.emulateUpOnlyKeys = true;
  SetOptions(options);
  EXPECT_EQ(kSwallowEvent, Key(kWmKeyUp, 178, kKeyFlagReleased | kKeyFlagExtended));
  EXPECT_EQ(1u, host_.executed.size());
}

TEST_F(KeyDispatchTest, LockKeyReleaseIsAnnouncedUnlessSwallowedOrDispatching) {
  AddAction("srun", PackHotKey(145, 0, 0, 0));  // Scroll Lock is a hot key
  Index();
  DispatchOptions options;
  options.showLockState = true;
  SetOptions(options);
  Press(20);
  Press(145);
  Options().Dispatching = true;
  Press(144);
  Options().Dispatching = false;
  Press(144);
  EXPECT_EQ((std::vector<uint8_t>{20, 144}), host_.lockNotes);
}

TEST_F(KeyDispatchTest, EditorsAndMissingRecordsLetEverythingPass) {
  AddAction("srun", PackHotKey(kF1, 0, 0, 0)).ActionExecOn().Blck = true;
  Index();
  host_.editorVisible = true;
  EXPECT_EQ(kPassEvent, Press(kF1).first);
  EXPECT_EQ(kPassEvent, Hid("HID"));
  host_.editorVisible = false;
  EXPECT_EQ(kPassEvent, dispatcher_.OnKeyEvent(kWmKeyDown, nullptr));
  EXPECT_EQ(kPassEvent, dispatcher_.HandleKeyMessage(0, kHidKeyEventMarker));
  EXPECT_TRUE(host_.executed.empty());
}

TEST_F(KeyDispatchTest, NoActionFiresBeforeTheFirstIndexOrAfterClear) {
  AddAction("srun", PackHotKey(kF1, 0, 0, 0));
  EXPECT_EQ(kPassEvent, Press(kF1).first);
  Index();
  dispatcher_.Clear();
  EXPECT_EQ(kPassEvent, Press(kF1).first);
  EXPECT_TRUE(host_.executed.empty());
}

// ---- Own input, key sender and macros -----------------------------------------------------

TEST_F(KeyDispatchTest, OwnInputIsNeverDispatchedRecordedOrSwallowed) {
  AddAction("srun", PackHotKey(kF1, 0, 0, 0)).ActionExecOn().Blck = true;
  Index();
  std::vector<std::string> lines;
  host_.recording = &lines;
  DispatchOptions options;
  options.blockKeyboard = true;
  SetOptions(options);
  EXPECT_EQ(kPassEvent, Down(kF1, OwnInputMark));
  EXPECT_EQ(kPassEvent, Up(kF1, OwnInputMark));
  Settings().MacroRecording = true;
  EXPECT_EQ(kPassEvent, Down(kF1, OwnInputMark));
  EXPECT_TRUE(lines.empty());
  EXPECT_TRUE(host_.executed.empty());
}

TEST_F(KeyDispatchTest, RecordedKeysAreLinesAndNeverDispatched) {
  AddAction("srun", PackHotKey(kA, 0, 0, 0));
  Index();
  std::vector<std::string> lines = {""};
  host_.recording = &lines;
  DispatchOptions options;
  options.mouseHotKeys = true;
  SetOptions(options);
  Settings().MacroRecording = true;
  Settings().LastRecordTime = host_.now - 300;
  EXPECT_EQ(kPassEvent, Key(kWmKeyDown, kA, kKeyFlagExtended));
  host_.now += 20;
  Key(kWmKeyUp, kA, kKeyFlagReleased);
  EXPECT_EQ(kPassEvent, Mouse(kWmLButtonDown));  // mouse keys are not recorded
  const uint32_t scan = (kA + 1000) & 0xFF;
  const std::vector<std::string> expected = {
      std::to_string(kUsLayout), std::to_string(kA | scan << 8 | 1u << 16 | (300u & 0xFF) << 24),
      std::to_string(kA | scan << 8 | 2u << 16 | 20u << 24)};
  EXPECT_EQ(expected, lines);
  EXPECT_EQ(host_.now, Settings().LastRecordTime);
  EXPECT_TRUE(host_.executed.empty());
}

TEST_F(KeyDispatchTest, PhysicalModifierReleaseWhileSendingIsNotPressedAgain) {
  Index();
  ModifierSet all;
  all.fill(true);
  ModifiersToPressAgain().Set(all);
  Settings().SendingKeys = true;
  Up(kLCtrl, OwnInputMark);  // the sender's own release keeps it
  Up(kRCtrl);
  Up(kLWin);
  ModifierSet expected = all;
  expected[kRightCtrl] = false;
  expected[kLeftWin] = false;
  EXPECT_EQ(expected, ModifiersToPressAgain().Get());
}

TEST_F(KeyDispatchTest, WhilePlayingAMacroModifiersAreSwallowedAndOtherKeysStopIt) {
  AddAction("srun", PackHotKey(kF1, 0, 0, 0));
  Index();
  Down(kF1);  // the hot key that started the macro is still held
  Settings().MacroPlaying = true;
  EXPECT_EQ(kSwallowEvent, Down(kLShift));
  EXPECT_EQ(kPassEvent, Down(kDummyKey));
  EXPECT_EQ(kSwallowEvent, Up(kF1));  // the hot key's release, swallowed as usual
  EXPECT_TRUE(Settings().MacroPlaying);
  EXPECT_EQ(kPassEvent, Down(kA));
  EXPECT_FALSE(Settings().MacroPlaying);
  EXPECT_EQ(1u, host_.executed.size());
}

// ---- HID keys -----------------------------------------------------------------------------

TEST_F(KeyDispatchTest, HidKeysFireTheirHidHotKeysOnly) {
  TAction& hid = AddAction("wa_play", PackHotKey(0, 0, 0, 0));
  hid.Key0().SetInputMode(TkeInputMode::keHid);
  hid.Key0().SetKeyPolyglot("HID0001");
  AddAction("srun", PackHotKey(kF1, 0, 0, 0));
  Index();
  EXPECT_EQ(kPassEvent, Hid("HID0001"));  // HID keys are never swallowed but by Blck
  EXPECT_EQ(kPassEvent, Hid("hid0001"));
  ASSERT_EQ(1u, host_.executed.size());
  EXPECT_EQ(0u, host_.executed[0].index);
  Down(kLCtrl);
  Hid("HID0001");  // modifiers must equal here too
  EXPECT_EQ(1u, host_.executed.size());
}

TEST_F(KeyDispatchTest, IgnoredHidKeysDoNotCountAsPresses) {
  TAction& hid = AddAction("wa_play", PackHotKey(0, 0, 0, 0));
  hid.Key0().SetInputMode(TkeInputMode::keHid);
  hid.Key0().SetKeyPolyglot("HID0001");
  hid.ActionExecOn().ExecOnRepeat = true;
  Index();
  DispatchOptions options;
  options.ignoredHidKeys = {"NOISE"};
  SetOptions(options);
  Hid("HID0001");
  Hid("NOISE");  // between the two presses, yet they still count as a second press
  Hid("HID0001");
  EXPECT_EQ(1u, host_.executed.size());
  EXPECT_EQ("", Settings().LastKeyText);
}

// ---- The index against the whole tree -----------------------------------------------------

// Every action whose hot key fires, walking the whole tree.
std::vector<std::size_t> FullWalk(const ActionTree& tree, const KeyEventRecord* event,
                                  uint8_t modifiers, std::string_view hidText) {
  std::vector<std::size_t> matches;
  for (std::size_t i = 0; i < tree.Count(); ++i) {
    const TActionHKey& key = tree.ActionByIndex(i)->Key0();
    if (HotKeyByte(key.HKey(), 2) == 0 && key.KeyPolyglot().empty()) continue;
    if (MatchHotKey(event, modifiers, key, hidText)) matches.push_back(i);
  }
  return matches;
}

TEST_F(KeyDispatchTest, IndexedWalkEqualsTheFullWalkOnRandomTrees) {
  std::mt19937 random(20261206);
  const uint8_t codes[] = {0, 1, 65, 66, 136, 255};
  const uint8_t scans[] = {0, 30, 31};
  const uint8_t flagValues[] = {0, 1, 33};
  const char* texts[] = {"", "A", "B"};
  // A mask above 15 comes only from a damaged profile; no key event carries it.
  const uint8_t masks[] = {0, kModAlt, kModCtrl, kModAlt | kModCtrl, 0x20};
  auto pick = [&](const auto& values) { return values[random() % std::size(values)]; };
  // Modifier keys that give each mask bit.
  const std::pair<uint8_t, uint8_t> maskKeys[] = {
      {kModAlt, kLAlt}, {kModCtrl, kRCtrl}, {kModShift, kLShift}, {kModWin, kRWin}};

  for (int round = 0; round < 200; ++round) {
    list_.Clear();
    const int count = 1 + static_cast<int>(random() % 40);
    for (int i = 0; i < count; ++i) {
      TAction& action =
          AddAction("srun", PackHotKey(pick(codes), pick(scans), pick(flagValues), pick(masks)),
                    static_cast<uint8_t>(random() % 3));
      if (random() % 5 == 0) action.Key0().SetInputMode(TkeInputMode::keHid);
      action.Key0().SetKeyPolyglot(pick(texts));
    }
    Index();
    SetFullKeysComparison(round % 2 == 1);
    for (int e = 0; e < 20; ++e) {
      const uint8_t modifiers = pick(masks);
      const KeyEventRecord record{pick(codes), pick(scans), pick(flagValues), 0, 0};
      const bool hid = random() % 4 == 0;
      const KeyEventRecord* event = hid ? nullptr : &record;
      const std::string_view text = pick(texts);
      const std::vector<std::size_t> expected = FullWalk(tree_, event, modifiers, text);
      ASSERT_EQ(expected, dispatcher_.MatchingActions(event, modifiers, text))
          << "round " << round << " event " << e;

      // Through the handler: the first match runs.
      if (modifiers > 15) continue;
      host_.keys.down.clear();
      for (const auto& [bit, key] : maskKeys)
        if (modifiers & bit) host_.keys.down.insert(key);
      host_.executed.clear();
      if (hid) {
        Hid(text);
      } else {
        dispatcher_.OnKeyEvent(kWmKeyDown, &record);
      }
      const std::vector<std::size_t> first(expected.begin(),
                                           expected.begin() + (expected.empty() ? 0 : 1));
      ASSERT_EQ(first, ExecutedIndices()) << "round " << round << " event " << e;
    }
  }
  SetFullKeysComparison(false);
}

}  // namespace
}  // namespace tavion
