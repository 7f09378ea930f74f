#include "actions/exec_on.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "actions/masks.h"
#include "registry_dump.h"

namespace tavion {
namespace {

// Top-level windows in z-order (topmost first), one of them in the foreground.
class FakeWindows final : public WindowSystem {
 public:
  struct Window {
    WindowHandle handle;
    std::string windowClass;
    std::string caption;
  };

  explicit FakeWindows(std::vector<Window> windows) : windows_(std::move(windows)) {}

  WindowHandle ForegroundWindow() const override { return foreground; }
  std::vector<WindowHandle> TopLevelWindows() const override {
    std::vector<WindowHandle> handles;
    for (const Window& w : windows_) handles.push_back(w.handle);
    return handles;
  }
  std::string ClassName(WindowHandle window) const override {
    ++classReads;
    const Window* w = Find(window);
    return w ? w->windowClass : std::string();
  }
  std::string Caption(WindowHandle window) const override {
    const Window* w = Find(window);
    return w ? w->caption : std::string();
  }
  bool BringToForeground(WindowHandle window) override {
    raised.push_back(window);
    if (raiseFails) return false;
    foreground = window;
    return true;
  }

  WindowHandle foreground = 0;
  bool raiseFails = false;
  std::vector<WindowHandle> raised;
  mutable int classReads = 0;

 private:
  const Window* Find(WindowHandle handle) const {
    const auto it = std::find_if(windows_.begin(), windows_.end(),
                                 [&](const Window& w) { return w.handle == handle; });
    return it == windows_.end() ? nullptr : &*it;
  }
  std::vector<Window> windows_;
};

FakeWindows Desktop() {
  return FakeWindows({
      {0x10, "Notepad", "Untitled - Notepad"},
      {0x20, "SciCalc", "Calculator"},
      {0x30, "Notepad", "notes.txt - Notepad"},
      {0x40, "Shell_TrayWnd", ""},
  });
}

TActionExecOnWItem Item(std::initializer_list<std::pair<const char*, const char*>> pairs,
                        bool enabled = true) {
  TActionExecOnWItem item;
  for (const auto& [windowClass, caption] : pairs) item.AddWindow(windowClass, caption);
  item.Enbl = enabled;
  return item;
}

TEST(WindowList, AddWindowReplacesUnlessSeveralWindowsAreAllowed) {
  TMyWindow single(kMatchMasks | kMatchAbsent);
  single.AddWindow("A", "a");
  single.AddWindow("B", "b");
  EXPECT_EQ(1u, single.WindowCount());
  EXPECT_EQ((WindowEntry{"B", "b"}), single.GetWindow(0));

  TMyWindow several(kMatchSeveral);
  several.AddWindow("A", "a");
  several.AddWindow("B", "b");
  EXPECT_EQ(2u, several.WindowCount());
  EXPECT_EQ((WindowEntry{"A", "a"}), several.GetWindow(0));
  EXPECT_EQ((WindowEntry{"B", "b"}), several.GetWindow(1));
}

TEST(WindowList, EmptyEntriesAreStoredAsNil) {
  TActionExecOnWItem item;
  item.AddWindow("", "Calculator");
  item.AddWindow("Notepad", "");
  EXPECT_EQ("nil,Notepad", item.WCls());
  EXPECT_EQ("Calculator,nil", item.WCap());
}

TEST(WindowList, CommaTextKeepsEntriesWithBlanksAndCommasWhole) {
  TActionExecOnWItem item;
  item.AddWindow("Afx:400000:0", "Untitled - Notepad");
  item.AddWindow("X", "a, \"quoted\" b");
  TActionExecOnWItem copy;
  copy.SetWCls(item.WCls());
  copy.SetWCap(item.WCap());
  ASSERT_EQ(2u, copy.WindowCount());
  EXPECT_EQ((WindowEntry{"Afx:400000:0", "Untitled - Notepad"}), copy.GetWindow(0));
  EXPECT_EQ((WindowEntry{"X", "a, \"quoted\" b"}), copy.GetWindow(1));
}

TEST(WindowList, IndexesOutsideTheListChangeNothing) {
  TActionExecOnWItem item = Item({{"A", "a"}, {"B", "b"}});
  EXPECT_FALSE(item.DeleteWindow(2));
  EXPECT_EQ(std::nullopt, item.GetWindow(2));
  EXPECT_EQ(2u, item.WindowCount());

  TMyWindow empty;
  EXPECT_FALSE(empty.DeleteWindow(0));
  EXPECT_EQ(std::nullopt, empty.GetWindow(0));
  EXPECT_EQ(0u, empty.WindowCount());
}

TEST(WindowList, DeletingKeepsClassesAndCaptionsPaired) {
  TActionExecOnWItem item = Item({{"A", "a"}, {"B", "b"}, {"C", "c"}});
  ASSERT_TRUE(item.DeleteWindow(1));
  EXPECT_EQ("A,C", item.WCls());
  EXPECT_EQ("a,c", item.WCap());
}

TEST(WindowList, StoredListsOfDifferentLengthsStayPaired) {
  TActionExecOnWItem shortCaptions;
  shortCaptions.SetWCls("A,B,C");
  shortCaptions.SetWCap("a");
  EXPECT_EQ(3u, shortCaptions.WindowCount());
  EXPECT_EQ((WindowEntry{"C", "nil"}), shortCaptions.GetWindow(2));
  shortCaptions.AddWindow("D", "d");
  EXPECT_EQ((WindowEntry{"D", "d"}), shortCaptions.GetWindow(3));
  EXPECT_TRUE(shortCaptions.DeleteWindow(2));
  EXPECT_EQ((WindowEntry{"D", "d"}), shortCaptions.GetWindow(2));

  TActionExecOnWItem longCaptions;
  longCaptions.SetWCls("A");
  longCaptions.SetWCap("a,x,y");
  EXPECT_EQ(1u, longCaptions.WindowCount());
  longCaptions.AddWindow("B", "b");
  EXPECT_EQ((WindowEntry{"B", "b"}), longCaptions.GetWindow(1));
}

TEST(MatchWindow, PairsAgainstWindowTexts) {
  constexpr uint8_t kItem = kMatchMasks | kMatchSeveral | kMatchAbsent;
  struct Case {
    uint8_t flags;
    const char* classEntry;
    const char* captionEntry;
    const char* windowClass;
    const char* windowCaption;
    bool expected;
  };
  const Case cases[] = {
      // Absent entries stand for anything when allowed.
      {kItem, "nil", "Calculator", "SciCalc", "Calculator", true},
      {kItem, "nil", "Calculator", "Other", "Calculator", true},
      {kItem, "Notepad", "nil", "Notepad", "anything", true},
      {kItem, "nil", "nil", "X", "Y", true},
      {kItem, "", "", "X", "Y", true},
      {kMatchAbsent, "nil", "Calculator", "AnyClass", "Calculator", true},
      {kMatchAbsent, "nil", "Calculator", "AnyClass", "calculator", false},
      {kMatchAbsent, "nil", "%*%", "AnyClass", "Calculator", false},
      // Masks: wildcards in percent signs, case-insensitive, whole text.
      {kItem, "nil", "%*%Notepad", "Notepad", "Untitled - Notepad", true},
      {kItem, "nil", "%*%Notepad", "Notepad", "notepad", true},
      {kItem, "nil", "%*%Notepad", "Notepad", "Notepad2", false},
      {kItem, "nil", "a*b", "C", "a*b", true},
      {kItem, "nil", "a*b", "C", "axxb", false},
      {kItem, "nil", "Calculator", "C", "CALCULATOR", true},
      {kItem, "Note%?%ad", "nil", "Notepad", "x", true},
      {kItem, "Note%?%ad", "nil", "Notepaad", "x", false},
      {kItem, "Notepad", "%*%.txt%*%", "Notepad", "notes.txt - Notepad", true},
      {kItem, "Notepad", "%*%.txt%*%", "WordPad", "notes.txt - WordPad", false},
      // Masks without absent entries: an absent class is an empty mask.
      {kMatchMasks, "nil", "Calculator", "SciCalc", "Calculator", false},
      {kMatchMasks, "nil", "Calculator", "", "calculator", true},
      // No flags: one exact window; an absent entry is the empty text.
      {0, "SciCalc", "Calculator", "SciCalc", "Calculator", true},
      {0, "SciCalc", "Calculator", "SciCalc", "calculator", false},
      {0, "SciCalc", "nil", "SciCalc", "", true},
      {0, "SciCalc", "nil", "SciCalc", "Calculator", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, MatchWindowTexts(c.flags, c.classEntry, c.captionEntry, c.windowClass,
                                           c.windowCaption))
        << int{c.flags} << " [" << c.classEntry << "|" << c.captionEntry << "] vs ["
        << c.windowClass << "|" << c.windowCaption << "]";
  }
}

TEST(MatchWindow, AMaskWithTooManyGroupsMatchesNothing) {
  std::string mask;
  for (int i = 0; i < TMask::kMaxAnySequenceGroups + 1; ++i) mask += "%*%x";
  const std::string caption(TMask::kMaxAnySequenceGroups + 1, 'x');
  constexpr uint8_t kItem = kMatchMasks | kMatchSeveral | kMatchAbsent;
  EXPECT_FALSE(MatchWindowTexts(kItem, "nil", mask, "C", caption));
  EXPECT_TRUE(MatchWindowTexts(kItem, "nil", mask, "C", mask)) << "the exact text still matches";
}

TEST(MatchWindow, ReadsTheWindowsTexts) {
  const FakeWindows desktop = Desktop();
  const TActionExecOnWItem item;
  EXPECT_TRUE(item.MatchWindow("SciCalc", "nil", 0x20, desktop));
  EXPECT_FALSE(item.MatchWindow("SciCalc", "nil", 0x10, desktop));
  EXPECT_FALSE(item.MatchWindow("SciCalc", "nil", 0x99, desktop)) << "a window that is gone";
}

TEST(Conditions, ActiveWindow) {
  FakeWindows desktop = Desktop();
  desktop.foreground = 0x20;
  const TActionExecOnWItem calculator = Item({{"nil", "Calculator"}});
  const TActionExecOnWItem notepad = Item({{"Notepad", "nil"}});
  const TActionExecOnWItem either = Item({{"Notepad", "nil"}, {"SciCalc", "nil"}});
  const TActionExecOnWItem none = Item({});
  const TActionExecOnWItem disabled = Item({{"Notepad", "nil"}}, /*enabled=*/false);

  EXPECT_TRUE(calculator.IfActive(desktop));
  EXPECT_FALSE(calculator.IfNotActive(desktop));
  EXPECT_FALSE(notepad.IfActive(desktop));
  EXPECT_TRUE(notepad.IfNotActive(desktop));
  EXPECT_TRUE(either.IfActive(desktop));
  EXPECT_FALSE(either.IfNotActive(desktop));
  EXPECT_FALSE(none.IfActive(desktop)) << "no pair names the foreground window";
  EXPECT_TRUE(none.IfNotActive(desktop));
  EXPECT_TRUE(disabled.IfActive(desktop));
  EXPECT_TRUE(disabled.IfNotActive(desktop));

  desktop.foreground = 0x30;
  EXPECT_FALSE(calculator.IfActive(desktop));
  EXPECT_TRUE(notepad.IfActive(desktop));
}

TEST(Conditions, ExistingWindow) {
  FakeWindows desktop = Desktop();
  const TActionExecOnWItem calculator = Item({{"nil", "Calculator"}});
  const TActionExecOnWItem missing = Item({{"Winamp v1.x", "nil"}, {"nil", "Nothing"}});
  const TActionExecOnWItem none = Item({});
  const TActionExecOnWItem disabled = Item({{"Winamp v1.x", "nil"}}, /*enabled=*/false);

  EXPECT_TRUE(calculator.IfExists(desktop, /*activate=*/false));
  EXPECT_FALSE(calculator.IfNotExists(desktop));
  EXPECT_FALSE(missing.IfExists(desktop, /*activate=*/false));
  EXPECT_TRUE(missing.IfNotExists(desktop));
  EXPECT_TRUE(none.IfExists(desktop, /*activate=*/false)) << "enabled with empty lists holds";
  EXPECT_FALSE(none.IfNotExists(desktop));
  EXPECT_TRUE(disabled.IfExists(desktop, /*activate=*/false));
  EXPECT_TRUE(disabled.IfNotExists(desktop));
  EXPECT_TRUE(desktop.raised.empty()) << "nothing is raised without the activate flag";
}

TEST(Conditions, ActivationRaisesTheFirstWindowOfTheFirstPairThatNamesOne) {
  FakeWindows desktop = Desktop();
  // The first pair names only the third window; the second names the topmost.
  const TActionExecOnWItem item =
      Item({{"Winamp v1.x", "nil"}, {"nil", "notes.txt%*%"}, {"Notepad", "nil"}});
  EXPECT_TRUE(item.IfExists(desktop, /*activate=*/true));
  EXPECT_EQ(std::vector<WindowHandle>{0x30}, desktop.raised);
  EXPECT_EQ(WindowHandle{0x30}, desktop.foreground);

  // Within one pair, the topmost window it names.
  desktop.raised.clear();
  EXPECT_TRUE(Item({{"Notepad", "nil"}}).IfExists(desktop, /*activate=*/true));
  EXPECT_EQ(std::vector<WindowHandle>{0x10}, desktop.raised);
}

TEST(Conditions, ActivationThatFailsStillHoldsAndNothingIsRaisedWhenDisabledOrMissing) {
  FakeWindows desktop = Desktop();
  desktop.raiseFails = true;
  EXPECT_TRUE(Item({{"SciCalc", "nil"}}).IfExists(desktop, /*activate=*/true));
  EXPECT_EQ(std::vector<WindowHandle>{0x20}, desktop.raised);

  desktop.raised.clear();
  EXPECT_TRUE(Item({{"SciCalc", "nil"}}, /*enabled=*/false).IfExists(desktop, true));
  EXPECT_FALSE(Item({{"Missing", "nil"}}).IfExists(desktop, true));
  EXPECT_TRUE(Item({}).IfExists(desktop, true));
  EXPECT_TRUE(desktop.raised.empty());
}

TEST(Conditions, EachWindowIsReadOnceWhateverTheNumberOfPairs) {
  FakeWindows desktop = Desktop();
  const TActionExecOnWItem item = Item({{"A", "nil"}, {"B", "nil"}, {"C", "nil"}, {"D", "nil"}});
  EXPECT_FALSE(item.IfExists(desktop, /*activate=*/false));
  EXPECT_EQ(4, desktop.classReads);
}

TActionExecOn EveryFieldSet() {
  TActionExecOn on;
  on.Nevr = on.StFD = on.Blck = on.nOSD = on.Thrd = on.MBox = on.MSwa = true;
  on.DontBlockHotKey = on.ExecOnRepeat = on.ModOnlyL = on.ModOnlyR = true;
  on.Lang = 0x04070407;
  on.SetLangAfter = 0x04090409;
  on.Rept = 200;
  TActionExecOnWItem* items[] = {&on.IfWa, &on.IfWi, &on.IfWe, &on.IfNW, &on.StFW};
  int n = 0;
  for (TActionExecOnWItem* item : items) {
    item->Enbl = true;
    item->AddWindow("Class" + std::to_string(n), "nil");
    item->AddWindow("nil", "Caption " + std::to_string(n++));
  }
  return on;
}

TEST(ExecOn, StoresSwitchesInTheirOrderAndConditionsAsSubKeys) {
  MemoryRegistry store;
  TActionExecOn on = EveryFieldSet();
  ASSERT_TRUE(WriteObject(on, store, "A", "ActionExecOn", /*load=*/false));
  EXPECT_EQ((std::vector<std::string>{"[]",
                                      "Blck=1",
                                      "Thrd=1",
                                      "nOSD=1",
                                      "Nevr=1",
                                      "MBox=1",
                                      "MSwa=1",
                                      "StFD=1",
                                      "Lang=67568647",
                                      "SetLangAfter=67699721",
                                      "Rept=200",
                                      "DontBlockHotKey=1",
                                      "ExecOnRepeat=1",
                                      "ModOnlyL=1",
                                      "ModOnlyR=1",
                                      "[IfNW]",
                                      "WCls='Class3,nil'",
                                      "WCap='nil,\"Caption 3\"'",
                                      "Enbl=1",
                                      "[IfWa]",
                                      "WCls='Class0,nil'",
                                      "WCap='nil,\"Caption 0\"'",
                                      "Enbl=1",
                                      "[IfWe]",
                                      "WCls='Class2,nil'",
                                      "WCap='nil,\"Caption 2\"'",
                                      "Enbl=1",
                                      "[IfWi]",
                                      "WCls='Class1,nil'",
                                      "WCap='nil,\"Caption 1\"'",
                                      "Enbl=1",
                                      "[StFW]",
                                      "WCls='Class4,nil'",
                                      "WCap='nil,\"Caption 4\"'",
                                      "Enbl=1"}),
            DumpTree(store, "A\\ActionExecOn"));

  TActionExecOn loaded;
  ASSERT_TRUE(WriteObject(loaded, store, "A", "ActionExecOn", /*load=*/true));
  MemoryRegistry again;
  ASSERT_TRUE(WriteObject(loaded, again, "A", "ActionExecOn", /*load=*/false));
  EXPECT_EQ(DumpTree(store, "A"), DumpTree(again, "A"));
  EXPECT_EQ(200, loaded.Rept);
}

// The dispatcher takes the repeat count as one byte: a count outside it would run some other
// number of times, or, negative, turn the run request into none.
TEST(ExecOn, RepeatCountsOutsideOneByteLoadClamped) {
  const struct {
    uint32_t stored;
    int16_t loaded;
  } cases[] = {{3, 3}, {255, 255}, {256, 255}, {0x10000, 255}, {0xFFFFFFFE, 0}, {0x80000000, 0}};
  for (const auto& c : cases) {
    MemoryRegistry store;
    store.WriteInteger("A\\ActionExecOn", "Rept", c.stored);
    TActionExecOn loaded;
    ASSERT_TRUE(WriteObject(loaded, store, "A", "ActionExecOn", /*load=*/true));
    EXPECT_EQ(c.loaded, loaded.Rept) << c.stored;
  }
}

TEST(ExecOn, DefaultsLeaveOnlyTheFiveEmptyConditionKeys) {
  MemoryRegistry store;
  TActionExecOn on;
  ASSERT_TRUE(WriteObject(on, store, "A", "ActionExecOn", /*load=*/false));
  EXPECT_EQ((std::vector<std::string>{"[]", "[IfNW]", "[IfWa]", "[IfWe]", "[IfWi]", "[StFW]"}),
            DumpTree(store, "A\\ActionExecOn"));
}

TEST(ExecOn, AssignmentCopiesEveryFieldAndTheWindowLists) {
  TActionExecOn source = EveryFieldSet();
  TActionExecOn target;
  target.IfWa.AddWindow("Stale", "stale");
  target = source;

  MemoryRegistry expected, actual;
  ASSERT_TRUE(WriteObject(source, expected, "", "E", false));
  ASSERT_TRUE(WriteObject(target, actual, "", "E", false));
  EXPECT_EQ(DumpTree(expected, "E"), DumpTree(actual, "E"));
  EXPECT_EQ(source.IfWa.MatchFlags(), target.IfWa.MatchFlags());

  target.IfWe.AddWindow("Only", "in the copy");
  EXPECT_EQ(2u, source.IfWe.WindowCount());
}

}  // namespace
}  // namespace tavion
