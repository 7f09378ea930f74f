#include "pipeline/key_dispatch.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "native/support/fakes.h"
#include "settings/settings.h"

namespace tavion {
namespace {

constexpr uint8_t kA = 65, kF1 = 112, kLWin = 91, kRWin = 92;
constexpr uint8_t kLShift = 160, kLCtrl = 162, kRCtrl = 163, kLAlt = 164;
constexpr uint32_t kUsLayout = 0x04090409;

// Logs what the handler asks of the system, entries joined by ", ": "run <index>[x<repeat>]
// <code>", "ask <index>[x<repeat>]", the keys of one SendKeys call ("<code>[^][e]": up,
// extended; kDummyKey is "dummy"), "sound <language>", "beep", "lock <key>".
// "Notepad" (10) is in the foreground, "Explorer" (20) behind it; "Calc" does not exist.
class FakeHost final : public DispatchHost {
 public:
  const KeyState& Keys() const override { return keys; }
  WindowSystem& Windows() override { return windows; }
  bool EditorVisible() const override { return editorVisible; }
  uint32_t TickCount() const override { return now; }
  uint32_t ForegroundKeyboardLayout() const override { return kUsLayout; }
  void PlayKeyPressSound(uint16_t language) override { Log("sound " + std::to_string(language)); }
  WindowHandle TopLevelWindowUnderCursor() const override { return underCursor; }
  WindowHandle DesktopWindow() const override { return 1; }
  void Beep() override { Log("beep"); }
  void SendKeys(std::span<const KeyInput> events) override {
    std::string text;
    for (const KeyInput& e : events)
      text += (text.empty() ? "" : " ") +
              (e.keyCode == kDummyKey ? "dummy" : std::to_string(e.keyCode)) +
              (e.flags & kInputKeyUp ? "^" : "") + (e.flags & kInputExtended ? "e" : "");
    Log(text);
  }
  bool PostExecute(const std::string& code, uint32_t packed) override {
    return Post("run " + Request(packed) + " " + code);
  }
  bool PostAskLaunch(std::size_t index, uint32_t packed) override {
    return Post(index == (packed & 0xFFFF) ? "ask " + Request(packed) : "ask elsewhere");
  }
  void NotifyLockState(uint8_t keyCode) override { Log("lock " + std::to_string(keyCode)); }
  std::vector<std::string>* RecordingList() override { return recording; }

  static std::string Request(uint32_t packed) {
    const std::string repeat = packed >> 16 ? "x" + std::to_string(packed >> 16) : "";
    return std::to_string(packed & 0xFFFF) + repeat;
  }
  // Unless a test keeps them in flight, executions end before the next key comes.
  bool Post(const std::string& request) {
    if (postFailures-- > 0) return false;
    Log(request);
    if (!keepInFlight) Settings().ActionBusy = false;
    return true;
  }
  void Log(const std::string& entry) { log += (log.empty() ? "" : ", ") + entry; }

  test::FakeKeyState keys;
  test::FakeWindows windows{{{10, "Notepad", "caption"}, {20, "Explorer", "caption"}}, 10};
  bool editorVisible = false, keepInFlight = false;
  int postFailures = 0;
  uint32_t now = 100000;
  WindowHandle underCursor = 0;
  std::string log;
  std::vector<std::string>* recording = nullptr;
};

constexpr uint32_t HotKey(uint8_t keyCode, uint8_t modifiers = 0) {
  return PackHotKey(keyCode, 0, 0, modifiers);
}

void Enable(TActionExecOnWItem& item, const char* windowClass) {
  item.Enbl = true;
  item.AddWindow(windowClass, "nil");
}

class KeyDispatchTest : public testing::Test {
 protected:
  KeyDispatchTest() {
    ResetSettings();
    DispatchOptions options;
    options.mouseHotKeys = true;
    dispatcher_.SetOptions(options);
  }
  ~KeyDispatchTest() override {
    ResetSettings();
    ModifiersToPressAgain().Set({});
  }

  TAction& Add(std::string_view code, uint32_t hkey, uint8_t level = 0) {
    TAction& action = list_.Add();
    action.SetName("action " + std::to_string(list_.Count() - 1));
    action.SetExec(code);
    action.Key0().SetHKey(hkey);
    action.SetLevl(level);
    return action;
  }
  TActionExecOn& On(uint32_t hkey) { return Add("srun", hkey).ActionExecOn(); }
  // Call after the last Add and after changing a hot key.
  void Index() {
    tree_.Rebuild(list_, [](TAction& a) { return a.Name(); });
    dispatcher_.Rebuild(tree_);
  }
  // The hook sees an event before the system counts it: the key state changes after the answer,
  // unless the event never reaches the system's state (`physical` false).
  intptr_t Key(uint32_t message, uint8_t vk, uint32_t flags, uint32_t extraInfo = 0,
               bool physical = true) {
    const KeyEventRecord record{vk, static_cast<uint32_t>(vk) + 1000u, flags, host_.now, extraInfo};
    const intptr_t result = dispatcher_.OnKeyEvent(message, &record);
    if (physical && message == kWmKeyDown) host_.keys.Press(vk);
    if (physical && message == kWmKeyUp) host_.keys.Release(vk);
    return result;
  }
  // One event of key `vk`, or of the left (1) or right (2) mouse button.
  char Event(uint8_t vk, bool down, uint32_t flags, uint32_t extraInfo, bool physical) {
    const MouseEventRecord click{0, 0, 0, 0, 0, extraInfo};
    const uint32_t buttons[] = {kWmLButtonUp, kWmLButtonDown, kWmRButtonUp, kWmRButtonDown};
    const intptr_t result =
        vk == 1 || vk == 2
            ? dispatcher_.HandleMouseMessage(buttons[2 * (vk - 1) + down], intptr_t(&click))
            : Key(down ? kWmKeyDown : kWmKeyUp, vk, flags | (down ? 0 : kKeyFlagReleased),
                  extraInfo, physical);
    return result == kSwallowEvent ? 's' : 'p';
  }
  // Runs `script` and returns one letter per event the hook sees: "s" swallowed, "p" passed.
  // Events: "Ctrl+A" presses each key and releases them in reverse order; "+A" is a key-down, "-A"
  // a key-up, "=A" a press in the system's state only; a key is a name below, a capital letter,
  // F1 to F9 or a code. Suffixes: "*" the program's own input, "!" injected by a program, "?" not
  // counted by the system. "@500" lets 500 ms pass; "#Text" is an HID key.
  std::string Type(std::string_view script) {
    static const std::map<std::string, uint8_t, std::less<>> names = {
        {"LWin", kLWin}, {"RWin", kRWin}, {"LShift", kLShift}, {"LCtrl", kLCtrl}, {"RCtrl", kRCtrl},
        {"LB", 1},       {"RB", 2}};
    auto code = [](const std::string& key) -> uint8_t {
      if (names.contains(key)) return names.at(key);
      if (std::isupper(key[0]) && key.size() == 1) return key[0];
      return key[0] == 'F' ? kF1 - 1 + std::stoi(key.substr(1)) : std::stoi(key);
    };
    std::istringstream in{std::string(script)};
    std::string answers;
    for (std::string token; in >> token;) {
      if (token[0] == '@') {
        host_.now += std::stoul(token.substr(1));
        continue;
      }
      if (token[0] == '#') {
        token[0] = static_cast<char>(token.size() - 1);  // a short string: length, then the text
        const auto text = reinterpret_cast<uintptr_t>(token.data());
        answers +=
            dispatcher_.HandleKeyMessage(text, kHidKeyEventMarker) == kSwallowEvent ? 's' : 'p';
        continue;
      }
      const char kind = token.find_first_of("+-=") == 0 ? token[0] : ' ';
      const std::string marks = token.substr(token.find_last_not_of("*!?") + 1);
      const uint32_t extraInfo = marks.find('*') != std::string::npos ? OwnInputMark : 0;
      const uint32_t flags = marks.find('!') != std::string::npos ? kKeyFlagInjected : 0;
      const bool physical = marks.find('?') == std::string::npos;
      std::vector<uint8_t> keys;
      std::istringstream chord(
          token.substr(kind != ' ', token.size() - marks.size() - (kind != ' ')));
      for (std::string key; std::getline(chord, key, '+');) keys.push_back(code(key));
      if (kind == '=') host_.keys.Press(keys[0]);
      if (kind == ' ' || kind == '+')
        for (uint8_t vk : keys) answers += Event(vk, true, flags, extraInfo, physical);
      if (kind == ' ' || kind == '-')
        for (auto vk = keys.rbegin(); vk != keys.rend(); ++vk)
          answers += Event(*vk, false, flags, extraInfo, physical);
    }
    return answers;
  }
  // What the host was asked since the last call; the windows raised come last.
  std::string Log() {
    for (WindowHandle window : std::exchange(host_.windows.raised, {}))
      host_.Log("raise " + std::to_string(window));
    return std::exchange(host_.log, {});
  }

  FakeHost host_;
  TActionsList list_;
  ActionTree tree_;
  HotKeyDispatcher dispatcher_{host_};
};

// ---- Options, switches, conditions, states and key sequences on one list of actions ---------

struct Scenario {
  // `options` names the options and states that the scenario starts from, as the test reads them.
  const char *name, *script, *answers, *log, *options = "";
};

// Executions stay in flight unless a scenario ends them: a scenario runs one key's actions at
// most. Which modifiers match is the model test's below; the rows on B to R are the decisions
// around it, one switch or condition of the action each.
const Scenario kScenarios[] = {
    {"right Ctrl", "RCtrl+B", "pssp", "dummy dummy^, run 19 srun"},
    {"an extra modifier", "LCtrl+LShift+B", "pppppp", ""},
    {"left only, left", "LCtrl+B", "pssp", "dummy dummy^, run 19 srun", "left"},
    {"left only, right", "RCtrl+B", "pppp", "", "left"},
    {"right only, left", "LCtrl+B", "pppp", "", "right"},
    {"right only, right", "RCtrl+B", "pssp", "dummy dummy^, run 19 srun", "right"},
    // The action's own switch overrides the option.
    {"ModOnlyL, right", "RCtrl+D", "pppp", ""},
    {"ModOnlyL, left", "LCtrl+D", "pssp", "dummy dummy^, run 20 srun", "right"},
    {"ModOnlyR, left", "LCtrl+G", "pppp", ""},
    {"ModOnlyR, right", "RCtrl+G", "pssp", "dummy dummy^, run 21 srun", "left"},
    {"DontBlockHotKey", "LCtrl+H", "pppp", "run 22 srun"},
    {"Nevr", "I", "pp", ""},
    {"Blck and Nevr", "J", "sp", ""},
    {"Blck, a condition fails", "K", "sp", ""},
    // Each condition that fails; the rows above are those where all hold.
    {"IfWa another window", "L", "pp", ""},
    {"IfWi the foreground window", "M", "pp", ""},
    {"IfWe missing", "N", "pp", ""},
    {"IfNW existing", "O", "pp", ""},
    {"Lang another one", "Q", "pp", ""},
    {"Lang the active one", "R", "ss", "run 31 srun"},
    // The first action on F1 is passed over without ending the walk, so the toggle on F1 runs.
    {"hot keys off", "F1 F3", "sspp", "run 1 tv_e/\\d", "off"},
    {"block keyboard", "F1 LB RB", "sssspp", "run 2 wa_play", "blockKeys mouse"},
    {"mouse hot keys off", "LB", "pp", ""},
    // The program's own input passes even a blocked keyboard and fires nothing.
    {"own input", "F1*", "pp", "", "blockKeys mouse"},
    {"mouse while hot keys off", "LB", "pp", "", "off mouse"},
    {"an editor shows", "F1 LB #HID0001", "ppppp", "", "mouse editor"},
    // The second down is an auto-repeat; with hot keys off no sound at all.
    {"key press sound", "+A +A -A", "ppp", "sound 1033", "sound"},
    {"no sound while off", "A", "pp", "", "off sound"},
    // Scroll Lock is a hot key: its release is swallowed and not announced.
    {"lock keys", "20 145 144", "ppsspp", "lock 20, run 3 srun, lock 144", "lockState"},
    {"lock key while dispatching", "144", "pp", "", "lockState dispatching"},
    {"up-only key", "-178", "s", "run 4 wa_play", "upOnly"},
    {"a folder with Nevr disables its direct children only", "F2 F3", "ppss", "run 8 srun"},
    // Only a second press of the same key within half a second; a third one is a first again.
    {"second press", "F4 @500 F4 @400 F4", "ppsspp", "run 9 srun"},
    {"second press too late", "F4 @501 F4", "pppp", ""},
    {"another key between", "F4 @100 A @100 F4", "pppppp", ""},
    {"request with a repeat count", "F5", "ss", "run 10x2 wa_play"},
    {"question instead", "LCtrl+F6", "pssp", "dummy dummy^, ask 11x1"},
    // The first match ends the walk even when it cannot run; the option lets the walk go on.
    {"first match only", "LCtrl+F7", "pppp", ""},
    {"several actions on one key", "+LCtrl +F7 -LCtrl -F7", "psps",
     "dummy dummy^, run 13 wa_play, dummy dummy^, run 14 srun", "several"},
    // One execution at a time: an auto-repeat and another hot key are swallowed but start
    // nothing until it ends; a request that was never posted does not hold.
    {"in flight", "+F1 +F1 +F1 F5", "sssss", "run 0 srun"},
    {"ended", "F1 F1", "ssss", "run 0 srun, run 0 srun", "ends"},
    {"post failed", "F1 F1", "ssss", "run 0 srun", "postFails"},
    // Windows are raised before the request: the one under the cursor, the desktop, then the
    // first existing StFW window; without a window under the cursor it beeps.
    {"nothing under the cursor", "F8", "pp", "beep"},
    {"raise windows", "F8", "ss", "run 32 srun, raise 20, raise 1, raise 20", "cursor"},
    // The lone release of Win would open the Start menu; the program releases Win itself. Its
    // release comes back through the hook; a new press starts afresh.
    {"left Win", "+LWin E -LWin -LWin*", "psssp", "dummy dummy^, run 15 srun, dummy dummy^ 91^e"},
    {"right Win", "+RWin E -RWin RWin", "pssspp", "dummy dummy^, run 15 srun, dummy dummy^ 92^e"},
    {"Win not blocked", "LWin+P", "pppp", "run 16 srun"},
    // Win + L locks the session: Win goes up on the secure desktop, where no hook sees it.
    {"Win release missed", "+LWin? E -LWin", "pppp", ""},
    // Swallowed, the press never reached the system's state; it counts here all the same.
    {"Win withheld", "+LWin? E -LWin", "ssss", "dummy dummy^, run 15 srun, dummy dummy^ 91^e",
     "noWin"},
    // A program's press lasts until its release comes.
    {"Win injected", "+LWin!? E -LWin", "psss", "dummy dummy^, run 15 srun, dummy dummy^ 91^e"},
    {"stuck generic Ctrl", "+LCtrl =17 -LCtrl", "pp", "162^"},
    // As after hot key F1 started the macro and is still held: its release is swallowed as usual.
    {"macro playing", "+LShift +7 -F1 +A +LShift", "spspp", "", "macro"},
    // HID keys are never swallowed but by Blck; the modifiers must be equal for them too.
    {"HID key", "#HID0001 #hid0001 +LCtrl #HID0001 -LCtrl", "ppppp", "run 17 wa_play"},
    {"ignored HID key", "#HID0002 #NOISE #HID0002", "ppp", "run 18 wa_play"},
};

TEST_F(KeyDispatchTest, ScenariosOnOneListOfActions) {
  Add("srun", HotKey(kF1));
  Add("tv_e/\\d", HotKey(kF1));  // same key, later in the tree
  Add("wa_play", HotKey(1));     // left mouse button
  Add("srun", HotKey(145));      // Scroll Lock
  Add("wa_play", HotKey(178));
  Add("", 0).ActionExecOn().Nevr = true;  // 5 folder
  Add("srun", HotKey(113), 1);            // 6 child
  Add("", 0, 1);                          // 7 sub-folder
  Add("srun", HotKey(114), 2);            // 8 grandchild
  On(HotKey(115)).ExecOnRepeat = true;
  Add("wa_play", HotKey(116)).ActionExecOn().Rept = 2;
  TAction& asking = Add("srun", HotKey(117, kModCtrl));
  asking.SetName("Notepad");
  asking.ActionExecOn().MBox = true;
  asking.ActionExecOn().Rept = 1;
  On(HotKey(118, kModCtrl)).Nevr = true;
  Add("wa_play", HotKey(118, kModCtrl));
  Add("srun", HotKey(118, kModCtrl));
  Add("srun", HotKey('E', kModWin));  // 15
  On(HotKey('P', kModWin)).DontBlockHotKey = true;
  for (const char* text : {"HID0001", "HID0002"}) {  // 17, 18
    TAction& hid = Add("wa_play", 0);
    hid.Key0().SetInputMode(TkeInputMode::keHid);
    hid.Key0().SetKeyPolyglot(text);
  }
  list_.At(18)->ActionExecOn().ExecOnRepeat = true;
  Add("srun", HotKey('B', kModCtrl));  // 19
  On(HotKey('D', kModCtrl)).ModOnlyL = true;
  On(HotKey('G', kModCtrl)).ModOnlyR = true;
  On(HotKey('H', kModCtrl)).DontBlockHotKey = true;
  On(HotKey('I')).Nevr = true;
  TActionExecOn& blocked = On(HotKey('J'));
  blocked.Blck = blocked.Nevr = true;
  TActionExecOn& failing = On(HotKey('K'));
  failing.Blck = true;
  Enable(failing.IfWa, "Explorer");
  Enable(On(HotKey('L')).IfWa, "Explorer");
  Enable(On(HotKey('M')).IfWi, "Notepad");
  Enable(On(HotKey('N')).IfWe, "Calc");
  Enable(On(HotKey('O')).IfNW, "Explorer");
  On(HotKey('Q')).Lang = 0x04070407;
  On(HotKey('R')).Lang = kUsLayout;  // 31
  TActionExecOn& raising = On(HotKey(119));
  raising.MSwa = raising.StFD = true;
  Enable(raising.StFW, "Explorer");
  Index();
  for (const Scenario& s : kScenarios) {
    SCOPED_TRACE(s.name);
    // No option's word is a part of another's.
    const auto has = [&](const char* word) { return std::strstr(s.options, word) != nullptr; };
    ResetSettings();
    DispatchOptions o;
    using O = DispatchOptions;
    for (const auto& [word, option] : {std::pair{"blockKeys", &O::blockKeyboard},
                                       {"off", &O::hotKeysDisabled},
                                       {"noWin", &O::disableWinKey},
                                       {"sound", &O::keyPressSound},
                                       {"several", &O::severalActionsOnOneKey},
                                       {"lockState", &O::showLockState},
                                       {"mouse", &O::mouseHotKeys},
                                       {"upOnly", &O::emulateUpOnlyKeys}})
      o.*option = has(word);
    o.modifierSides = static_cast<ModifierSides>(has("left") * 1 + has("right") * 2);
    o.upOnlyKeys = {"178x1178x0"};
    o.ignoredHidKeys = {"NOISE"};
    dispatcher_.SetOptions(o);
    Options().Dispatching = has("dispatching");
    Settings().MacroPlaying = has("macro");
    Settings().LastHotKeyCode = has("macro") ? kF1 : 0;
    host_.editorVisible = has("editor");
    host_.keepInFlight = !has("ends");
    host_.postFailures = has("postFails");
    host_.underCursor = has("cursor") ? 20 : 0;
    host_.windows.foreground = 10;
    host_.keys = test::FakeKeyState();
    dispatcher_.ResyncKeys();
    EXPECT_EQ(s.answers, Type(s.script));
    EXPECT_EQ(s.log, Log());
  }
  EXPECT_EQ("Launch action - Notepad?", LaunchQuestionText(*list_.At(11)));
}

TEST_F(KeyDispatchTest, NothingFiresWithoutAnIndexOrARecord) {
  Add("srun", HotKey(kF1)).ActionExecOn().Blck = true;
  EXPECT_EQ("pp", Type("F1"));
  Index();
  const MouseEventRecord noStep{};
  EXPECT_EQ((std::vector<intptr_t>(4, kPassEvent)),
            (std::vector<intptr_t>{dispatcher_.HandleMouseMessage(kWmMouseWheel, intptr_t(&noStep)),
                                   dispatcher_.HandleMouseMessage(kWmMouseWheel, 0),
                                   dispatcher_.OnKeyEvent(kWmKeyDown, nullptr),
                                   dispatcher_.HandleKeyMessage(0, kHidKeyEventMarker)}));
  dispatcher_.Clear();
  EXPECT_EQ("pp", Type("F1"));
  EXPECT_EQ("", Log());
}

// Keys may be handled on another thread while the list is edited: the handler decides on its
// own copy, which only the next Rebuild replaces.
TEST_F(KeyDispatchTest, KeysAreDecidedOnACopyThatOnlyARebuildReplaces) {
  Add("srun", HotKey(kF1));
  Index();
  list_.At(0)->Key0().SetHKey(HotKey(kF1 + 1));
  EXPECT_EQ("sspp", Type("F1 F2"));
  Index();
  EXPECT_EQ("ppss", Type("F1 F2"));
}

// ---- Own input, key sender and macros -----------------------------------------------------

TEST_F(KeyDispatchTest, RecordedKeysAreLinesAndNeitherOwnInputNorRecordedKeysAreDispatched) {
  Add("srun", HotKey(kA)).ActionExecOn().Blck = true;
  Index();
  std::vector<std::string> lines = {""};
  host_.recording = &lines;
  Settings().MacroRecording = true;
  Settings().LastRecordTime = host_.now - 456;  // 456 mod 256 = 200: the item is negative
  EXPECT_EQ(kPassEvent, Key(kWmKeyDown, kA, kKeyFlagExtended));
  EXPECT_EQ("ppppp", Type("F1* @20 -A LB"));  // neither own input nor mouse keys are recorded
  const uint32_t scan = (kA + 1000) & 0xFF;
  const std::vector<std::string> expected = {
      std::to_string(kUsLayout),
      std::to_string(static_cast<int32_t>(kA | scan << 8 | 1u << 16 | 200u << 24)),
      std::to_string(kA | scan << 8 | 2u << 16 | 20u << 24)};
  EXPECT_EQ(expected, lines);
  EXPECT_EQ(host_.now, Settings().LastRecordTime);
  EXPECT_EQ("", Log());
}

TEST_F(KeyDispatchTest, PhysicalModifierReleaseWhileSendingIsNotPressedAgain) {
  Index();
  ModifierSet all;
  all.fill(true);
  ModifiersToPressAgain().Set(all);
  Settings().SendingKeys = true;
  Type("-LCtrl* -RCtrl -LWin");  // the sender's own release keeps it
  // A generic Alt, as the hook reports injected keys on some systems: the left one.
  Key(kWmSysKeyUp, 18, kKeyFlagReleased);
  ModifierSet expected = all;
  expected[kRightCtrl] = expected[kLeftWin] = expected[kLeftAlt] = false;
  EXPECT_EQ(expected, ModifiersToPressAgain().Get());
}

// ---- The index against the whole tree -----------------------------------------------------

}  // namespace
}  // namespace tavion
