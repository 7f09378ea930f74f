#pragma once
// The macro editor's decisions (TFr6, "Change macros"): the delay choice and the switches as the
// settings text holds them, the rows and the summary of the events, the enabling of its buttons,
// moving and deleting events, the Check message and where OK stores the macro. Portable.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "keys/key_text.h"
#include "macros/macro_format.h"

namespace tavion {

class RegistryStore;

// The entries of `cb_sleep`: no delay, 10 ms, 20 ms, each event's recorded delay.
inline constexpr int kSleepNoDelay = 0;
inline constexpr int kSleepRecorded = 3;
// The entry of a delay setting: 0, 10 and 20 ms have their own, anything else is the recorded one.
int SleepIndexOfDelay(int32_t delayMs);
// The delay setting of an entry; an entry out of range counts as the recorded delay (-1).
int32_t DelayOfSleepIndex(int index);

// What the controls of "Main options" show.
struct MacroEditorSettings {
  int sleepIndex = 1;  // "Minimal (10 ms)"
  bool beep = false;
  bool block = false;
  bool stop = false;
  bool keepLanguage = false;
  friend bool operator==(const MacroEditorSettings&, const MacroEditorSettings&) = default;
};

// The controls' state for a settings text (item 1); a missing field shows what playback does
// without it.
MacroEditorSettings EditorSettingsOf(std::string_view settingsText);
// `settingsText` with tags 1 to 5 set from the controls; fields of other tags stay.
std::string SettingsTextOf(const MacroEditorSettings& settings, std::string_view settingsText);

// `cb_stop` counts only where playback can be interrupted: between delayed events while input is
// free.
bool StopOnKeyEnabled(bool blockChecked, int sleepIndex);

// The items of a stored macro as the editor works on them: layout and settings always there.
// A value without both leading items opens empty.
std::vector<std::string> EditorItemsOf(std::vector<std::string> stored);

// One row of `l_macr`: the key's name and "Down" or "Up"; an item that is no event shows its own
// text and no action, so that it can still be seen and deleted.
struct MacroEventRow {
  std::string key;
  std::string action;
  friend bool operator==(const MacroEventRow&, const MacroEventRow&) = default;
};
MacroEventRow EventRowOf(std::string_view item,
                         const KeyTextContext& context = DefaultKeyTextContext());
// `l_k`: key code, scan code and flag byte of an event item ("65x30x0"); empty for another item.
std::string EventCodesText(std::string_view item);

// The name of an event's key, as the rows show it.
using EventKeyName = std::function<std::string(const MacroEvent& event)>;
// `e_macr`: the names of the keys the events press (plain key-downs only). A one-character name
// joins the text as it is; a longer one stands between blanks.
std::string MacroSummary(std::span<const std::string> eventItems, const EventKeyName& keyName);

// Which of Up, Down and Delete apply to the rows selected in a list of `rowCount` rows (`first`
// is the first selected one).
struct EventButtons {
  bool up = false;
  bool down = false;
  bool remove = false;
  friend bool operator==(const EventButtons&, const EventButtons&) = default;
};
EventButtons EventButtonsFor(int selectedCount, int first, int rowCount);

// Swaps the event of list row `row` with its neighbour (`step` -1 up, +1 down) in `items` (row r
// is item r + 2). False, changing nothing, when either row is not in the list.
bool MoveEventRow(std::vector<std::string>& items, int row, int step);
// Deletes the events of `rows` (list rows, any order; rows outside the list are skipped).
void DeleteEventRows(std::vector<std::string>& items, std::vector<int> rows);

// The Check result: the message, and whether it warns (keys stay pressed) or informs.
struct StuckKeysReport {
  std::string text;
  bool warning = false;
};
StuckKeysReport StuckKeysMessage(std::span<const std::string> stuckKeyNames);

// What OK does with the name in `e_name`.
enum class MacroSaveStep {
  kRefuseEmptyName,  // no name: the registry's unnamed value, which no list shows
  kAskReplace,       // another macro has that name: "Replace macros '%s'?"
  kSave,             // write it (under the new name, the old one going)
};
MacroSaveStep DecideMacroSave(std::string_view oldName, std::string_view newName,
                              bool newNameExists);
// Whether two macro names name the same value (the registry compares without regard to case).
bool SameMacroName(std::string_view a, std::string_view b);

// Stores `items` as the macro `newName` and removes `oldName` when it names another value. The
// new value is written before the old one goes; a name that changes only its case replaces the
// old value, which comes back when the write fails. Returns success.
bool StoreEditedMacro(RegistryStore& store, std::string_view oldName, std::string_view newName,
                      std::span<const std::string> items);

}  // namespace tavion
