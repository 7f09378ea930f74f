#include "ui/macro_editor.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "settings/registry.h"

namespace tavion {
namespace {

using Items = std::vector<std::string>;

std::string Event(uint8_t key, uint8_t scan, bool up = false, bool extended = false) {
  return MacroEventItem({key, scan, extended, up, 0});
}

TEST(MacroEditorSettings, DelayEntriesMapBothWaysAndOtherFieldsSurviveTheEditor) {
  const std::tuple<int32_t, int> delays[] = {{0, 0}, {10, 1}, {20, 2}, {-1, 3}, {5, 3}, {1000, 3}};
  for (const auto& [delay, index] : delays) EXPECT_EQ(index, SleepIndexOfDelay(delay)) << delay;
  const std::tuple<int, int32_t> entries[] = {{0, 0}, {1, 10}, {2, 20}, {3, -1}, {4, -1}, {-1, -1}};
  for (const auto& [index, delay] : entries) EXPECT_EQ(delay, DelayOfSleepIndex(index)) << index;
  // Text that is no number is the recorded delay; missing switches show what playback does.
  EXPECT_EQ((MacroEditorSettings{3, true, false, true, false}),
            EditorSettingsOf(std::string("\x01") + "1abc"));

  const std::string stored = std::string("\x01") + "6keep" + "\x01" + "2True";
  const MacroEditorSettings edited{2, false, true, false, true};
  const std::string text = SettingsTextOf(edited, stored);
  EXPECT_EQ(edited, EditorSettingsOf(text));
  EXPECT_EQ("keep", TaggedField(text, '6'));
}

TEST(MacroEditorEvents, SummaryNamesPlainKeyDownsWithLongNamesBetweenBlanks) {
  const std::map<uint8_t, std::string> names = {{16, "Shift"}, {17, "Ctrl"},  {65, "a"},
                                                {66, "b"},     {13, "Enter"}, {45, "Insert"}};
  const EventKeyName name = [&](const MacroEvent& event) { return names.at(event.keyCode); };
  const std::tuple<Items, std::string> cases[] = {
      {{Event(16, 42), Event(65, 30), Event(65, 30, true), Event(16, 42, true), Event(13, 28),
        Event(13, 28, true)},
       "Shift a Enter "},
      {{Event(65, 30), Event(66, 48), Event(17, 29), Event(16, 42)}, "ab Ctrl Shift "},
      // An extended key's press and an item that is no event name nothing.
      {{Event(45, 82, false, true), "oops", Event(66, 48)}, "b"},
  };
  for (const auto& [events, summary] : cases) EXPECT_EQ(summary, MacroSummary(events, name));
}

TEST(MacroEditorEvents, UpAndDownNeedOneRowWithANeighbourDeleteAnyRow) {
  EXPECT_EQ(
      (std::vector<EventButtons>{
          {false, false, false}, {true, false, true}, {true, true, true}, {false, false, true}}),
      (std::vector<EventButtons>{EventButtonsFor(0, -1, 3), EventButtonsFor(1, 2, 3),
                                 EventButtonsFor(1, 1, 3), EventButtonsFor(2, 0, 3)}));
}

TEST(MacroEditorEvents, MovingAndDeletingChangeOnlyTheEventsOfTheirRows) {
  const Items start = {"L", "S", "e0", "e1", "e2", "e3"};
  Items items = start;
  for (const auto& [row, step] : {std::pair(0, -1), std::pair(3, 1), std::pair(4, -1)})
    EXPECT_FALSE(MoveEventRow(items, row, step)) << row;
  EXPECT_EQ(start, items);
  EXPECT_TRUE(MoveEventRow(items, 2, -1));
  EXPECT_EQ((Items{"L", "S", "e0", "e2", "e1", "e3"}), items);
  items = start;
  DeleteEventRows(items, {3, 0, 7, 3, -1});
  EXPECT_EQ((Items{"L", "S", "e1", "e2"}), items);
  // An item that is no event keeps its row, to be seen and deleted.
  EXPECT_EQ((MacroEventRow{"x1", ""}), EventRowOf("x1"));
  EXPECT_EQ((Items{"", ""}), EditorItemsOf({"only one"}));
  EXPECT_EQ((Items{"1", "S"}), EditorItemsOf({"1", "S"}));
  EXPECT_EQ("No any error found", StuckKeysMessage(Items{}).text) << "Check without stuck keys";
}

TEST(MacroEditorSave, RenamesAskOnlyAboutAnotherMacroAndLoseNothing) {
  const std::tuple<const char*, const char*, bool, MacroSaveStep> cases[] = {
      {"m", "", false, MacroSaveStep::kRefuseEmptyName},
      {"m", "m", true, MacroSaveStep::kSave},
      {"m", "M", true, MacroSaveStep::kSave},
      {"m", "n", true, MacroSaveStep::kAskReplace},
      {"m", "n", false, MacroSaveStep::kSave},
  };
  for (const auto& [from, to, exists, step] : cases)
    EXPECT_EQ(step, DecideMacroSave(from, to, exists)) << from << " -> " << to;

  MemoryRegistry store;
  const Items items = {"", "S", Event(65, 30)};
  ASSERT_TRUE(WriteMacroItems(store, "mac", Items{"", "old"}) &&
              WriteMacroItems(store, "two", Items{"2"}));
  ASSERT_TRUE(StoreEditedMacro(store, "mac", "Mac", items));
  EXPECT_EQ((Items{"two", "Mac"}), MacroNames(store));
  ASSERT_TRUE(StoreEditedMacro(store, "Mac", "two", items));
  EXPECT_EQ((Items{"two"}), MacroNames(store));
  EXPECT_EQ(items, ReadMacroItems(store, "two"));
}

}  // namespace
}  // namespace tavion
