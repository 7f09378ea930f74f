#include "pipeline/key_dispatch.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "native/support/fakes.h"
#include "settings/settings.h"

namespace tavion {
namespace {

constexpr uint8_t kA = 65, kE = 69, kF1 = 112, kF2 = 113;
constexpr uint8_t kLWin = 91, kRWin = 92, kLShift = 160, kLCtrl = 162, kRCtrl = 163, kLAlt = 164;
constexpr uint32_t kUsLayout = 0x04090409;

struct Request {
  std::string code;  // empty for a launch question
  std::size_t index;
  uint32_t packed;
  friend bool operator==(const Request&, const Request&) = default;
};

// "Notepad" (10) in the foreground, "Explorer" (20) behind it; "Calc" does not exist.
class FakeHost final : public DispatchHost {
 public:
  const KeyState& Keys() const override { return keys; }
  WindowSystem& Windows() override { return windows; }
  bool EditorVisible() const override { return editorVisible; }
  uint32_t TickCount() const override { return now; }
  uint32_t ForegroundKeyboardLayout() const override { return kUsLayout; }
  void PlayKeyPressSound(uint16_t languageId) override { sounds.push_back(languageId); }
  WindowHandle TopLevelWindowUnderCursor() const override { return underCursor; }
  WindowHandle DesktopWindow() const override { return 1; }
  void Beep() override { ++beeps; }
  void SendKeys(std::span<const KeyInput> events) override {
    sent.insert(sent.end(), events.begin(), events.end());
  }
  bool PostExecute(const std::string& code, uint32_t packed) override {
    return Post({code, packed & 0xFFFF, packed}, executed);
  }
  bool PostAskLaunch(std::size_t index, uint32_t packed) override {
    return Post({"", index, packed}, asked);
  }
  void NotifyLockState(uint8_t keyCode) override { lockNotes.push_back(keyCode); }
  std::vector<std::string>* RecordingList() override { return recording; }

  // Unless a test keeps them in flight, executions end before the next key comes.
  bool Post(Request request, std::vector<Request>& posted) {
    if (postFails) return false;
    posted.push_back(std::move(request));
    if (!keepInFlight) Settings().ActionBusy = false;
    return true;
  }

  test::FakeKeyState keys;
  test::FakeWindows windows{{{10, "Notepad", "caption"}, {20, "Explorer", "caption"}}, 10};
  bool editorVisible = false, keepInFlight = false, postFails = false;
  uint32_t now = 100000;
  std::vector<uint16_t> sounds;
  WindowHandle underCursor = 0;
  int beeps = 0;
  std::vector<KeyInput> sent;
  std::vector<Request> executed, asked;
  std::vector<uint8_t> lockNotes;
  std::vector<std::string>* recording = nullptr;
};

constexpr uint32_t HotKey(uint8_t keyCode, uint8_t modifiers = 0) {
  return PackHotKey(keyCode, 0, 0, modifiers);
}

intptr_t Result(bool swallowed) {
  return swallowed ? kSwallowEvent : kPassEvent;
}

class KeyDispatchTest : public testing::Test {
 protected:
  KeyDispatchTest() { ResetSettings(); }
  ~KeyDispatchTest() override {
    ResetSettings();
    ModifiersToPressAgain().Set({});
  }

  TAction& AddAction(std::string_view code, uint32_t hkey, uint8_t level = 0) {
    TAction& action = list_.Add();
    action.SetName("action " + std::to_string(list_.Count() - 1));
    action.SetExec(code);
    action.Key0().SetHKey(hkey);
    action.SetLevl(level);
    return action;
  }
  TAction& AddHidAction(std::string_view text) {
    TAction& action = AddAction("wa_play", 0);
    action.Key0().SetInputMode(TkeInputMode::keHid);
    action.Key0().SetKeyPolyglot(text);
    return action;
  }
  // Call after the last AddAction and after changing a hot key.
  void Index() {
    tree_.Rebuild(list_, [](TAction& a) { return a.Name(); });
    dispatcher_.Rebuild(tree_);
  }
  // The default options with `change` applied.
  template <typename Change>
  void SetOptions(Change change) {
    DispatchOptions options;
    change(options);
    dispatcher_.SetOptions(options);
  }

  // The hook sees an event before the system counts it: the key state changes after the answer.
  intptr_t Key(uint32_t message, uint8_t vk, uint32_t flags, uint32_t extraInfo = 0) {
    const KeyEventRecord record{vk, static_cast<uint32_t>(vk) + 1000u, flags, host_.now, extraInfo};
    return dispatcher_.OnKeyEvent(message, &record);
  }
  intptr_t Down(uint8_t vk, uint32_t extraInfo = 0) {
    const intptr_t result = Key(kWmKeyDown, vk, 0, extraInfo);
    host_.keys.Press(vk);
    return result;
  }
  intptr_t Up(uint8_t vk, uint32_t extraInfo = 0) {
    const intptr_t result = Key(kWmKeyUp, vk, kKeyFlagReleased, extraInfo);
    host_.keys.Release(vk);
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

// ---- One press: modifiers, sides, the action's switches and conditions ---------------------

struct Outcome {
  bool downSwallowed, upSwallowed, runs, dummyKey;
};
constexpr Outcome kRuns{true, true, true, false}, kRunsDummy{true, true, true, true};
constexpr Outcome kPasses{false, false, false, false}, kRunsPasses{false, false, true, false};
constexpr Outcome kSwallows{true, false, false, false};

struct PressCase {
  const char* name;
  uint8_t mask;  // of the hot key
  std::vector<uint8_t> held;
  Outcome outcome;
  void (*set)(TActionExecOn&) = nullptr;
  ModifierSides sides = ModifierSides::kAll;
};

void Enable(TActionExecOnWItem& item, const char* windowClass) {
  item.Enbl = true;
  item.AddWindow(windowClass, "nil");
}
void OnlyLeft(TActionExecOn& on) {
  on.ModOnlyL = true;
}
void OnlyRight(TActionExecOn& on) {
  on.ModOnlyR = true;
}
constexpr ModifierSides kLeftSide = ModifierSides::kLeftOnly;
constexpr ModifierSides kRightSide = ModifierSides::kRightOnly;

// Which modifiers match is the model test's below; these rows are the decisions around it.
const PressCase kPressCases[] = {
    {"CtrlA_RightCtrl", kModCtrl, {kRCtrl}, kRunsDummy},
    {"CtrlA_CtrlShift", kModCtrl, {kLCtrl, kLShift}, kPasses},
    {"A_Alone", 0, {}, kRuns},
    {"LeftOnly_Left", kModCtrl, {kLCtrl}, kRunsDummy, nullptr, kLeftSide},
    {"LeftOnly_Right", kModCtrl, {kRCtrl}, kPasses, nullptr, kLeftSide},
    {"RightOnly_Left", kModCtrl, {kLCtrl}, kPasses, nullptr, kRightSide},
    {"RightOnly_Right", kModCtrl, {kRCtrl}, kRunsDummy, nullptr, kRightSide},
    // The action's own switch overrides the option.
    {"ModOnlyL_Right", kModCtrl, {kRCtrl}, kPasses, OnlyLeft},
    {"ModOnlyL_Left", kModCtrl, {kLCtrl}, kRunsDummy, OnlyLeft, kRightSide},
    {"ModOnlyR_Left", kModCtrl, {kLCtrl}, kPasses, OnlyRight},
    {"ModOnlyR_Right", kModCtrl, {kRCtrl}, kRunsDummy, OnlyRight, kLeftSide},
    {"DontBlockHotKey", kModCtrl, {kLCtrl}, kRunsPasses, [](auto& o) { o.DontBlockHotKey = true; }},
    {"Nevr", 0, {}, kPasses, [](auto& o) { o.Nevr = true; }},
    {"BlckAndNevr", 0, {}, kSwallows, [](auto& o) { o.Blck = o.Nevr = true; }},
    {"BlckFailing", 0, {}, kSwallows, [](auto& o) { o.Blck = true, Enable(o.IfWa, "Explorer"); }},
    // Each condition that fails; the rows above are those where all hold.
    {"IfWaOther", 0, {}, kPasses, [](auto& o) { Enable(o.IfWa, "Explorer"); }},
    {"IfWiForeground", 0, {}, kPasses, [](auto& o) { Enable(o.IfWi, "Notepad"); }},
    {"IfWeMissing", 0, {}, kPasses, [](auto& o) { Enable(o.IfWe, "Calc"); }},
    {"IfNWExists", 0, {}, kPasses, [](auto& o) { Enable(o.IfNW, "Explorer"); }},
    {"LangOther", 0, {}, kPasses, [](auto& o) { o.Lang = 0x04070407; }},
    {"LangActive", 0, {}, kRuns, [](auto& o) { o.Lang = kUsLayout; }},
};

TEST_F(KeyDispatchTest, SwallowingTheRunAndTheDummyKeyFollowFromModifiersSwitchesAndConditions) {
  for (const PressCase& c : kPressCases) {
    SCOPED_TRACE(c.name);
    list_.Clear();
    host_.executed.clear();
    host_.sent.clear();
    TAction& action = AddAction("srun", HotKey(kA, c.mask));
    if (c.set) c.set(action.ActionExecOn());
    Index();
    SetOptions([&](auto& o) { o.modifierSides = c.sides; });
    const Outcome& o = c.outcome;
    EXPECT_EQ(std::make_pair(Result(o.downSwallowed), Result(o.upSwallowed)), Press(kA, c.held));
    EXPECT_EQ(o.runs ? 1u : 0u, host_.executed.size());
    EXPECT_EQ(o.dummyKey ? DummyKeyEvents() : std::vector<KeyInput>{}, host_.sent);
  }
}

TEST_F(KeyDispatchTest, AFolderWithNeverDisablesItsDirectChildrenOnly) {
  AddAction("", 0).ActionExecOn().Nevr = true;  // 0 folder
  AddAction("srun", HotKey(kF1), 1);            // 1 child
  AddAction("", 0, 1);                          // 2 sub-folder
  AddAction("srun", HotKey(kF2), 2);            // 3 grandchild
  Index();
  EXPECT_EQ(kPassEvent, Press(kF1).first);
  EXPECT_EQ(kSwallowEvent, Press(kF2).first);
  EXPECT_EQ(std::vector<std::size_t>{3}, ExecutedIndices());
}

TEST_F(KeyDispatchTest, SwitchedOffHotKeysLeaveOnlyTheToggleAction) {
  AddAction("srun", HotKey(kF1));
  AddAction("tv_e/\\d", HotKey(kF1));  // same key, later in the tree
  AddAction("srun", HotKey(kA));
  Index();
  SetOptions([](auto& o) { o.hotKeysDisabled = true; });
  // The first action is passed over without ending the walk, so the toggle on the same key runs.
  EXPECT_EQ(kSwallowEvent, Press(kF1).first);
  EXPECT_EQ(kPassEvent, Press(kA).first);
  EXPECT_EQ((std::vector<Request>{{"tv_e/\\d", 1, 1}}), host_.executed);
}

TEST_F(KeyDispatchTest, WindowsAreRaisedBeforeTheRequestOrTheMissingOneBeeps) {
  TActionExecOn& on = AddAction("srun", HotKey(kF1)).ActionExecOn();
  on.MSwa = on.StFD = true;
  Enable(on.StFW, "Explorer");
  Index();
  EXPECT_EQ(kPassEvent, Press(kF1).first);  // no window under the cursor
  EXPECT_EQ(1, host_.beeps);
  EXPECT_TRUE(host_.windows.raised.empty());
  host_.underCursor = 20;
  EXPECT_EQ(kSwallowEvent, Press(kF1).first);
  // The window under the cursor, the desktop, then the first existing StFW window.
  EXPECT_EQ((std::vector<WindowHandle>{20, 1, 20}), host_.windows.raised);
  EXPECT_EQ(1u, host_.executed.size());
}

TEST_F(KeyDispatchTest, OnlyASecondPressOfTheSameKeyWithinHalfASecondRuns) {
  AddAction("srun", HotKey(kF1)).ActionExecOn().ExecOnRepeat = true;
  Index();
  const struct {
    uint32_t after;  // ms since the step before
    uint8_t key;
    bool runs;
  } steps[] = {
      {0, kF1, false},   {500, kF1, true},  {400, kF1, false},  // the third is a first again
      {501, kF1, false},                                        // too late
      {100, kA, false},  {100, kF1, false},                     // another key in between
  };
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    host_.now += steps[i].after;
    EXPECT_EQ(Result(steps[i].runs), Press(steps[i].key).first) << "step " << i;
  }
}

// ---- Requests ------------------------------------------------------------------------------

TEST_F(KeyDispatchTest, RequestCarriesCodeIndexAndRepeatOrTheQuestionIsPostedInstead) {
  AddAction("srun", HotKey(kA)).SetName("Notepad");
  AddAction("wa_play", HotKey(kF1)).ActionExecOn().Rept = 2;
  TActionExecOn& asking = AddAction("srun", HotKey(kF2, kModCtrl)).ActionExecOn();
  asking.MBox = true;
  asking.Rept = 1;
  Index();
  Press(kF1);
  EXPECT_EQ((std::vector<Request>{{"wa_play", 1, 0x00020001}}), host_.executed);
  EXPECT_EQ(std::make_pair(kSwallowEvent, kSwallowEvent), Press(kF2, {kLCtrl}));
  EXPECT_EQ(1u, host_.executed.size());
  EXPECT_EQ((std::vector<Request>{{"", 2, 0x00010002}}), host_.asked);
  EXPECT_EQ("Launch action - Notepad?", LaunchQuestionText(*list_.At(0)));
}

TEST_F(KeyDispatchTest, OneExecutionAtATimeWhateverIsOnScreenUntilItEndsOrItsPostFails) {
  AddAction("srun", HotKey(kF1));
  AddAction("wa_play", HotKey(kF2));
  Index();
  host_.postFails = true;
  Press(kF1);
  EXPECT_FALSE(Settings().ActionBusy) << "a request that was never posted does not hold";
  host_.postFails = false;
  host_.keepInFlight = true;
  for (int repeat = 0; repeat < 3; ++repeat)
    EXPECT_EQ(kSwallowEvent, Down(kF1)) << "auto-repeat: swallowed, but starts nothing";
  EXPECT_EQ(kSwallowEvent, Press(kF2).first) << "another hot key waits as well";
  EXPECT_EQ(1u, host_.executed.size());
  Settings().ActionBusy = false;  // the execution ended
  Down(kF1);
  Up(kF1);
  EXPECT_EQ(2u, host_.executed.size());
}

TEST_F(KeyDispatchTest, OnlySeveralActionsOnOneKeyLetsTheWalkGoPastTheFirstMatch) {
  AddAction("srun", HotKey(kF1, kModCtrl)).ActionExecOn().Nevr = true;
  AddAction("wa_play", HotKey(kF1, kModCtrl));
  AddAction("srun", HotKey(kF1, kModCtrl));
  Index();
  Press(kF1, {kLCtrl});
  EXPECT_TRUE(host_.executed.empty());  // the first match ends the walk even when it cannot run
  SetOptions([](auto& o) { o.severalActionsOnOneKey = true; });
  host_.keepInFlight = true;  // the first one's execution does not hold back the second
  Press(kF1, {kLCtrl});
  EXPECT_EQ((std::vector<std::size_t>{1, 2}), ExecutedIndices());
}

// ---- Win key and modifiers ------------------------------------------------------------------

TEST_F(KeyDispatchTest, WinKeyUpAfterAHotKeyIsReplacedByDummyAndSyntheticRelease) {
  AddAction("srun", HotKey(kE, kModWin));
  AddAction("srun", HotKey(80, kModWin)).ActionExecOn().DontBlockHotKey = true;
  Index();
  Press(80, {kLWin});
  EXPECT_TRUE(host_.sent.empty());  // DontBlockHotKey leaves the Win key alone
  for (const uint8_t win : {kLWin, kRWin}) {
    Down(win);
    EXPECT_EQ(std::make_pair(kSwallowEvent, kSwallowEvent), Press(kE));
    host_.sent.clear();  // the dummy key after E
    EXPECT_EQ(kSwallowEvent, Up(win));
    std::vector<KeyInput> expected = DummyKeyEvents();
    expected.push_back({win, 0, kInputKeyUp | kInputExtended});
    EXPECT_EQ(expected, host_.sent);
    // Our own release comes back through the hook and passes.
    EXPECT_EQ(kPassEvent, Key(kWmKeyUp, win, kKeyFlagReleased | kKeyFlagExtended, OwnInputMark));
  }
  host_.sent.clear();
  EXPECT_EQ(std::make_pair(kPassEvent, kPassEvent), Press(kRWin));  // a new press clears it
  EXPECT_TRUE(host_.sent.empty());
}

TEST_F(KeyDispatchTest, AModifierReleaseThatNeverReachedTheHookDoesNotStayDown) {
  AddAction("srun", HotKey(75, kModWin));
  Index();
  const struct {
    const char* name;
    uint32_t flags;  // of the Win key-down
    bool disableWinKey, physicallyDown, runs;
  } cases[] = {
      // Win + L locks the session: Win goes up on the secure desktop, where no hook sees it.
      {"release missed", 0, false, false, false},
      {"still held", 0, false, true, true},
      // Swallowed, the press never reached the system's state; it counts here all the same.
      {"press withheld from the system", 0, true, false, true},
      // A program's press lasts until its release comes.
      {"press injected by a program", kKeyFlagInjected, false, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetOptions([&](auto& o) { o.disableWinKey = c.disableWinKey; });
    host_.executed.clear();
    EXPECT_EQ(Result(c.disableWinKey), Key(kWmKeyDown, kLWin, c.flags));
    if (c.physicallyDown) host_.keys.Press(kLWin);
    EXPECT_EQ(Result(c.runs), Press(75).first);
    EXPECT_EQ(c.runs, !host_.executed.empty());
    Up(kLWin);
  }
}

TEST_F(KeyDispatchTest, ReleasingOneSideResetsAStuckGenericModifier) {
  Index();
  Down(kLCtrl);
  host_.keys.Press(17);  // the generic Ctrl still reads down after the release below
  Up(kLCtrl);
  EXPECT_EQ((std::vector<KeyInput>{{kLCtrl, 0, kInputKeyUp}}), host_.sent);
}

// ---- Options ------------------------------------------------------------------------------

TEST_F(KeyDispatchTest, BlockKeyboardSwallowsKeysButSparesMouseHotKeys) {
  AddAction("srun", HotKey(kF1));
  AddAction("wa_play", HotKey(1));  // left mouse button
  Index();
  SetOptions([](auto& o) { o.blockKeyboard = o.mouseHotKeys = true; });
  EXPECT_EQ(std::make_pair(kSwallowEvent, kSwallowEvent), Press(kF1));
  EXPECT_EQ(kSwallowEvent, Mouse(kWmLButtonDown));
  EXPECT_EQ(kSwallowEvent, Mouse(kWmLButtonUp));
  EXPECT_EQ(kPassEvent, Mouse(kWmRButtonDown));
  EXPECT_EQ((std::vector<std::size_t>{1}), ExecutedIndices());
}

TEST_F(KeyDispatchTest, MouseEventsPassWhileHotKeysOrMouseHotKeysAreOff) {
  AddAction("wa_play", HotKey(136));  // wheel forward
  Index();
  MouseEventRecord wheel{};
  wheel.mouseData = 120u << 16;
  EXPECT_EQ(kPassEvent, dispatcher_.OnMouseEvent(kWmMouseWheel, &wheel));
  SetOptions([](auto& o) { o.hotKeysDisabled = o.mouseHotKeys = true; });
  EXPECT_EQ(kPassEvent, dispatcher_.OnMouseEvent(kWmMouseWheel, &wheel));
  SetOptions([](auto& o) { o.mouseHotKeys = true; });
  EXPECT_EQ(kSwallowEvent,
            dispatcher_.HandleMouseMessage(kWmMouseWheel, reinterpret_cast<intptr_t>(&wheel)));
  EXPECT_EQ(kPassEvent, dispatcher_.HandleMouseMessage(kWmMouseWheel, 0));
  EXPECT_EQ(1u, host_.executed.size());
}

TEST_F(KeyDispatchTest, KeyPressSoundPlaysForTheFirstPressOnly) {
  Index();
  SetOptions([](auto& o) { o.keyPressSound = true; });
  Down(kA);
  Down(kA);  // auto-repeat
  Up(kA);
  SetOptions([](auto& o) { o.hotKeysDisabled = o.keyPressSound = true; });
  Press(kA);
  EXPECT_EQ(std::vector<uint16_t>{0x0409}, host_.sounds);
}

TEST_F(KeyDispatchTest, UpOnlyKeysFireOnTheirRelease) {
  AddAction("wa_play", HotKey(178));
  Index();
  // The fixture gives scan code key code + 1000, which the list names by its low byte.
  DispatchOptions options;
  options.upOnlyKeys = {"178x1178x1"};
  dispatcher_.SetOptions(options);
  EXPECT_EQ(kPassEvent, Key(kWmKeyUp, 178, kKeyFlagReleased | kKeyFlagExtended));
  options.emulateUpOnlyKeys = true;
  dispatcher_.SetOptions(options);
  EXPECT_EQ(kSwallowEvent, Key(kWmKeyUp, 178, kKeyFlagReleased | kKeyFlagExtended));
  EXPECT_EQ(1u, host_.executed.size());
}

TEST_F(KeyDispatchTest, LockKeyReleaseIsAnnouncedUnlessSwallowedOrDispatching) {
  AddAction("srun", HotKey(145));  // Scroll Lock is a hot key
  Index();
  SetOptions([](auto& o) { o.showLockState = true; });
  Press(20);
  Press(145);
  Options().Dispatching = true;
  Press(144);
  Options().Dispatching = false;
  Press(144);
  EXPECT_EQ((std::vector<uint8_t>{20, 144}), host_.lockNotes);
}

TEST_F(KeyDispatchTest, NothingFiresWithoutAnIndexOrARecordOrWhileAnEditorShows) {
  AddAction("srun", HotKey(kF1)).ActionExecOn().Blck = true;
  EXPECT_EQ(kPassEvent, Press(kF1).first);
  Index();
  host_.editorVisible = true;
  EXPECT_EQ(kPassEvent, Press(kF1).first);
  host_.editorVisible = false;
  EXPECT_EQ(kPassEvent, dispatcher_.OnKeyEvent(kWmKeyDown, nullptr));
  EXPECT_EQ(kPassEvent, dispatcher_.HandleKeyMessage(0, kHidKeyEventMarker));
  dispatcher_.Clear();
  EXPECT_EQ(kPassEvent, Press(kF1).first);
  EXPECT_TRUE(host_.executed.empty());
}

// ---- Own input, key sender and macros -----------------------------------------------------

TEST_F(KeyDispatchTest, RecordedKeysAreLinesAndNeitherOwnInputNorRecordedKeysAreDispatched) {
  AddAction("srun", HotKey(kA)).ActionExecOn().Blck = true;
  Index();
  std::vector<std::string> lines = {""};
  host_.recording = &lines;
  SetOptions([](auto& o) { o.mouseHotKeys = o.blockKeyboard = true; });
  EXPECT_EQ(kPassEvent, Down(kA, OwnInputMark));
  EXPECT_EQ(kPassEvent, Up(kA, OwnInputMark));
  SetOptions([](auto& o) { o.mouseHotKeys = true; });
  Settings().MacroRecording = true;
  EXPECT_EQ(kPassEvent, Down(kF1, OwnInputMark));
  Settings().LastRecordTime = host_.now - 456;  // 456 mod 256 = 200: the item is negative
  EXPECT_EQ(kPassEvent, Key(kWmKeyDown, kA, kKeyFlagExtended));
  host_.now += 20;
  Key(kWmKeyUp, kA, kKeyFlagReleased);
  EXPECT_EQ(kPassEvent, Mouse(kWmLButtonDown));  // mouse keys are not recorded
  const uint32_t scan = (kA + 1000) & 0xFF;
  const std::vector<std::string> expected = {
      std::to_string(kUsLayout),
      std::to_string(static_cast<int32_t>(kA | scan << 8 | 1u << 16 | 200u << 24)),
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
  // A generic Alt, as the hook reports injected keys on some systems: the left one.
  Key(kWmSysKeyUp, 18, kKeyFlagReleased);
  ModifierSet expected = all;
  expected[kRightCtrl] = expected[kLeftWin] = expected[kLeftAlt] = false;
  EXPECT_EQ(expected, ModifiersToPressAgain().Get());
}

TEST_F(KeyDispatchTest, WhilePlayingAMacroModifiersAreSwallowedAndOtherKeysStopIt) {
  AddAction("srun", HotKey(kF1));
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

TEST_F(KeyDispatchTest, HidKeysFireTheirHidHotKeysOnlyAndIgnoredOnesDoNotCountAsPresses) {
  AddHidAction("HID0001");
  AddAction("srun", HotKey(kF1));
  AddHidAction("HID0002").ActionExecOn().ExecOnRepeat = true;
  Index();
  SetOptions([](auto& o) { o.ignoredHidKeys = {"NOISE"}; });
  EXPECT_EQ(kPassEvent, Hid("HID0001"));  // HID keys are never swallowed but by Blck
  EXPECT_EQ((std::vector<std::size_t>{0}), ExecutedIndices());
  Hid("hid0001");
  host_.editorVisible = true;
  Hid("HID0001");
  host_.editorVisible = false;
  Down(kLCtrl);
  Hid("HID0001");  // modifiers must equal here too
  Up(kLCtrl);
  EXPECT_EQ(1u, host_.executed.size());
  Hid("HID0002");
  Hid("NOISE");  // between the two presses, yet they still count as a second press
  Hid("HID0002");
  EXPECT_EQ((std::vector<std::size_t>{0, 2}), ExecutedIndices());
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

  struct SwitchOff {
    ~SwitchOff() { SetFullKeysComparison(false); }
  } switchOff;
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
      SCOPED_TRACE("round " + std::to_string(round) + " event " + std::to_string(e));
      const uint8_t modifiers = pick(masks);
      const KeyEventRecord record{pick(codes), pick(scans), pick(flagValues), 0, 0};
      const bool hid = random() % 4 == 0;
      const KeyEventRecord* event = hid ? nullptr : &record;
      const std::string_view text = pick(texts);
      std::vector<std::size_t> expected = FullWalk(tree_, event, modifiers, text);
      ASSERT_EQ(expected, dispatcher_.MatchingActions(event, modifiers, text));

      // Through the handler: the first match runs.
      if (modifiers > 15) continue;
      for (const auto& [bit, key] : maskKeys)
        if (modifiers & bit) Down(key);
      host_.executed.clear();
      hid ? Hid(text) : dispatcher_.OnKeyEvent(kWmKeyDown, &record);
      for (const auto& [bit, key] : maskKeys)
        if (modifiers & bit) Up(key);
      expected.resize(std::min<std::size_t>(expected.size(), 1));
      ASSERT_EQ(expected, ExecutedIndices());
    }
  }
}

}  // namespace
}  // namespace tavion
