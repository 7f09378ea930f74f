#include "actions/exec_on.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/masks.h"
#include "native/support/fakes.h"
#include "registry_dump.h"

namespace tavion {
namespace {

using test::FakeWindows;

FakeWindows Desktop() {
  return FakeWindows({{0x10, "Notepad", "Untitled - Notepad"},
                      {0x20, "SciCalc", "Calculator"},
                      {0x30, "Notepad", "notes.txt - Notepad"},
                      {0x40, "Shell_TrayWnd", ""}});
}

TActionExecOnWItem Item(std::initializer_list<std::pair<const char*, const char*>> pairs,
                        bool enabled = true) {
  TActionExecOnWItem item;
  for (const auto& [windowClass, caption] : pairs) item.AddWindow(windowClass, caption);
  item.Enbl = enabled;
  return item;
}

TEST(WindowList, AddReplacesUnlessSeveralAreAllowedAndEmptyEntriesAreStoredAsNil) {
  TMyWindow single(kMatchMasks | kMatchAbsent);
  single.AddWindow("A", "a");
  single.AddWindow("B", "");
  EXPECT_EQ("B", single.WCls());
  EXPECT_EQ("nil", single.WCap());

  TActionExecOnWItem several;
  several.AddWindow("", "Calculator");
  several.AddWindow("Afx:400000:0", "a, \"quoted\" b");
  TActionExecOnWItem copy;
  copy.SetWCls(several.WCls());
  copy.SetWCap(several.WCap());
  EXPECT_EQ((WindowEntry{"nil", "Calculator"}), copy.GetWindow(0));
  EXPECT_EQ((WindowEntry{"Afx:400000:0", "a, \"quoted\" b"}), copy.GetWindow(1));
  EXPECT_FALSE(copy.DeleteWindow(2));
  EXPECT_EQ(std::nullopt, copy.GetWindow(2));
}

TEST(WindowList, StoredListsOfDifferentLengthsStayPaired) {
  TActionExecOnWItem shortCaptions;
  shortCaptions.SetWCls("A,B,C");
  shortCaptions.SetWCap("a");
  EXPECT_EQ((WindowEntry{"C", "nil"}), shortCaptions.GetWindow(2));
  shortCaptions.AddWindow("D", "d");
  EXPECT_TRUE(shortCaptions.DeleteWindow(2));
  EXPECT_TRUE(shortCaptions.DeleteWindow(0));
  EXPECT_EQ("B,D", shortCaptions.WCls());
  EXPECT_EQ("nil,d", shortCaptions.WCap());

  TActionExecOnWItem longCaptions;
  longCaptions.SetWCls("A");
  longCaptions.SetWCap("a,x,y");
  EXPECT_EQ(1u, longCaptions.WindowCount());
  longCaptions.AddWindow("B", "b");
  EXPECT_EQ((WindowEntry{"B", "b"}), longCaptions.GetWindow(1));
}

TEST(MatchWindow, PairsAgainstWindowTexts) {
  constexpr uint8_t kItem = kMatchMasks | kMatchSeveral | kMatchAbsent;
  const struct {
    uint8_t flags;
    const char *classEntry, *captionEntry, *windowClass, *windowCaption;
    bool expected;
  } cases[] = {
      // Absent entries stand for anything when allowed.
      {kItem, "nil", "Calculator", "Other", "Calculator", true},
      {kItem, "", "", "X", "Y", true},
      {kMatchAbsent, "nil", "Calculator", "AnyClass", "calculator", false},
      {kMatchAbsent, "nil", "%*%", "AnyClass", "Calculator", false},
      // Masks: wildcards in percent signs, case-insensitive, whole text.
      {kItem, "nil", "%*%Notepad", "Notepad", "notepad", true},
      {kItem, "Note%?%ad", "nil", "Notepad", "x", true},
      {kItem, "Note%?%ad", "nil", "Notepaad", "x", false},
      {kItem, "Notepad", "nil", "Notepad", "anything", true},
      {kItem, "Notepad", "%*%.txt%*%", "Notepad", "notes.txt - Notepad", true},
      {kItem, "Notepad", "%*%.txt%*%", "WordPad", "notes.txt - WordPad", false},
      // Masks without absent entries: an absent class is an empty mask.
      {kMatchMasks, "nil", "Calculator", "SciCalc", "Calculator", false},
      {kMatchMasks, "nil", "Calculator", "", "calculator", true},
      {kMatchMasks, "SciCalc", "nil", "SciCalc", "", true},
      // No flags: one exact window; an absent entry is the empty text.
      {0, "SciCalc", "Calculator", "SciCalc", "calculator", false},
      {0, "SciCalc", "nil", "SciCalc", "", true},
      {0, "SciCalc", "nil", "SciCalc", "Calculator", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, MatchWindowTexts(c.flags, c.classEntry, c.captionEntry, c.windowClass,
                                           c.windowCaption))
        << int{c.flags} << " [" << c.classEntry << "|" << c.captionEntry << "] vs ["
        << c.windowClass << "|" << c.windowCaption << "]";
  }
  std::string mask;
  for (int i = 0; i <= TMask::kMaxAnySequenceGroups; ++i) mask += "%*%x";
  EXPECT_FALSE(MatchWindowTexts(kItem, "nil", mask, "C", std::string(32, 'x')));
  EXPECT_TRUE(MatchWindowTexts(kItem, "nil", mask, "C", mask)) << "the exact text still matches";

  const FakeWindows desktop = Desktop();
  EXPECT_TRUE(TActionExecOnWItem().MatchWindow("SciCalc", "nil", 0x20, desktop));
  EXPECT_FALSE(TActionExecOnWItem().MatchWindow("SciCalc", "nil", 0x99, desktop)) << "gone";
}

TEST(Conditions, ActiveAndNotActiveAskTheForegroundWindowOnlyWhenEnabled) {
  FakeWindows desktop = Desktop();
  desktop.foreground = 0x20;
  const TActionExecOnWItem calculator = Item({{"nil", "Calculator"}});
  const TActionExecOnWItem either = Item({{"Notepad", "nil"}, {"SciCalc", "nil"}});
  const TActionExecOnWItem none = Item({});
  const TActionExecOnWItem disabled = Item({{"Notepad", "nil"}}, /*enabled=*/false);
  const std::pair<const TActionExecOnWItem*, bool> cases[] = {
      {&calculator, true}, {&either, true}, {&none, false}};
  for (const auto& [item, active] : cases) {
    EXPECT_EQ(active, item->IfActive(desktop)) << item->WCls();
    EXPECT_EQ(!active, item->IfNotActive(desktop)) << item->WCls();
  }
  EXPECT_TRUE(disabled.IfActive(desktop) && disabled.IfNotActive(desktop));
  desktop.foreground = 0x30;
  EXPECT_FALSE(calculator.IfActive(desktop));
}

TEST(Conditions, ExistsAndNotExistsSearchTheWindowsOnceAndActivationRaisesTheFirstNamed) {
  FakeWindows desktop = Desktop();
  const TActionExecOnWItem missing = Item({{"Winamp v1.x", "nil"}, {"nil", "Nothing"}});
  const TActionExecOnWItem none = Item({});
  const TActionExecOnWItem disabled = Item({{"Winamp v1.x", "nil"}}, /*enabled=*/false);
  EXPECT_FALSE(missing.IfExists(desktop, /*activate=*/true));
  EXPECT_TRUE(missing.IfNotExists(desktop));
  EXPECT_EQ(8, desktop.classReads) << "each window once per search, whatever the number of pairs";
  EXPECT_TRUE(none.IfExists(desktop, true)) << "enabled with empty lists holds";
  EXPECT_FALSE(none.IfNotExists(desktop));
  EXPECT_TRUE(disabled.IfExists(desktop, true) && disabled.IfNotExists(desktop));
  EXPECT_TRUE(desktop.raised.empty());

  // The first pair names only the third window; the second names the topmost.
  const TActionExecOnWItem item =
      Item({{"Winamp v1.x", "nil"}, {"nil", "notes.txt%*%"}, {"Notepad", "nil"}});
  EXPECT_FALSE(item.IfNotExists(desktop));
  EXPECT_TRUE(item.IfExists(desktop, /*activate=*/false));
  EXPECT_TRUE(desktop.raised.empty());
  EXPECT_TRUE(item.IfExists(desktop, /*activate=*/true));
  EXPECT_EQ(WindowHandle{0x30}, desktop.foreground);
  // Raising that fails: the window exists all the same.
  desktop.raiseFails = true;
  EXPECT_TRUE(Item({{"SciCalc", "nil"}}).IfExists(desktop, true));
  EXPECT_EQ((std::vector<WindowHandle>{0x30, 0x20}), desktop.raised);
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

TEST(ExecOn, EveryFieldReloadsAndCopiesEqual) {
  MemoryRegistry store;
  TActionExecOn on = EveryFieldSet();
  ASSERT_TRUE(WriteObject(on, store, "A", "ActionExecOn", /*load=*/false));
  EXPECT_EQ(35u, DumpTree(store, "A\\ActionExecOn").size()) << "every switch and window list";
  TActionExecOn loaded;
  ASSERT_TRUE(WriteObject(loaded, store, "A", "ActionExecOn", /*load=*/true));
  TActionExecOn assigned;
  assigned.IfWa.AddWindow("Stale", "stale");
  assigned = loaded;
  MemoryRegistry again;
  ASSERT_TRUE(WriteObject(assigned, again, "A", "ActionExecOn", /*load=*/false));
  EXPECT_EQ(DumpTree(store, "A"), DumpTree(again, "A"));
  assigned.IfWe.AddWindow("Only", "in the copy");
  EXPECT_EQ(2u, loaded.IfWe.WindowCount());
}

// The dispatcher takes the repeat count as one byte: a count outside it would run some other
// number of times, or, negative, turn the run request into none.
TEST(ExecOn, RepeatCountsOutsideOneByteLoadClamped) {
  const std::pair<uint32_t, int16_t> cases[] = {
      {255, 255}, {256, 255}, {0x10000, 255}, {0xFFFFFFFE, 0}, {0x80000000, 0}};
  for (const auto& [stored, expected] : cases) {
    MemoryRegistry store;
    store.WriteInteger("A\\ActionExecOn", "Rept", stored);
    TActionExecOn loaded;
    ASSERT_TRUE(WriteObject(loaded, store, "A", "ActionExecOn", /*load=*/true));
    EXPECT_EQ(expected, loaded.Rept) << stored;
  }
}

}  // namespace
}  // namespace tavion
