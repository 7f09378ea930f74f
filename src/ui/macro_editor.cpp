#include "ui/macro_editor.h"

#include <algorithm>
#include <array>

#include "keys/hotkey.h"
#include "lang/lang.h"
#include "settings/registry.h"

namespace tavion {
namespace {

constexpr std::array<int32_t, 3> kFixedDelays = {0, 10, 20};

char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

uint8_t FlagByte(const MacroEvent& event) {
  return static_cast<uint8_t>((event.extended ? 1 : 0) | (event.released ? 2 : 0));
}

}  // namespace

int SleepIndexOfDelay(int32_t delayMs) {
  const auto at = std::find(kFixedDelays.begin(), kFixedDelays.end(), delayMs);
  return at == kFixedDelays.end() ? kSleepRecorded : static_cast<int>(at - kFixedDelays.begin());
}

int32_t DelayOfSleepIndex(int index) {
  if (index < 0 || index >= static_cast<int>(kFixedDelays.size())) return -1;
  return kFixedDelays[static_cast<size_t>(index)];
}

MacroEditorSettings EditorSettingsOf(std::string_view settingsText) {
  const PlaybackSettings playback = ParsePlaybackSettings(settingsText);
  return {SleepIndexOfDelay(playback.delayMs), playback.beep, playback.keepBlocked,
          playback.stopOnKey, playback.keepLanguage};
}

std::string SettingsTextOf(const MacroEditorSettings& settings, std::string_view settingsText) {
  const auto switchText = [](bool on) { return on ? "True" : "False"; };
  std::string text =
      WithTaggedField(settingsText, '1', std::to_string(DelayOfSleepIndex(settings.sleepIndex)));
  text = WithTaggedField(text, '2', switchText(settings.beep));
  text = WithTaggedField(text, '3', switchText(settings.block));
  text = WithTaggedField(text, '4', switchText(settings.stop));
  return WithTaggedField(text, '5', switchText(settings.keepLanguage));
}

bool StopOnKeyEnabled(bool blockChecked, int sleepIndex) {
  return !blockChecked && sleepIndex != kSleepNoDelay;
}

std::vector<std::string> EditorItemsOf(std::vector<std::string> stored) {
  if (stored.size() <= kMacroSettingsItem) return {std::string(), std::string()};
  return stored;
}

MacroEventRow EventRowOf(std::string_view item, const KeyTextContext& context) {
  const std::optional<MacroEvent> event = ParseMacroEventItem(item);
  if (!event) return {std::string(item), {}};
  return {
      KeyToText(event->keyCode, event->scanCode, event->extended ? 1 : 0,
                /*useConversion=*/true, /*useUserNames=*/true, context),
      event->released ? GetLangStr("KeyUp", "Up", "Fr6") : GetLangStr("KeyDown", "Down", "Fr6")};
}

std::string EventCodesText(std::string_view item) {
  const std::optional<MacroEvent> event = ParseMacroEventItem(item);
  if (!event) return {};
  return KeyTripleText(event->keyCode, event->scanCode, FlagByte(*event));
}

std::string MacroSummary(std::span<const std::string> eventItems, const EventKeyName& keyName) {
  std::string summary;
  for (const std::string& item : eventItems) {
    const std::optional<MacroEvent> event = ParseMacroEventItem(item);
    if (!event || FlagByte(*event) != 0) continue;
    const std::string name = keyName(*event);
    if (name.size() == 1) {
      summary += name;
      continue;
    }
    if (!summary.empty() && summary.back() != ' ') summary += ' ';
    summary += name;
    summary += ' ';
  }
  return summary;
}

EventButtons EventButtonsFor(int selectedCount, int first, int rowCount) {
  const bool one = selectedCount == 1 && first >= 0 && first < rowCount;
  return {one && first > 0, one && first + 1 < rowCount, selectedCount > 0};
}

bool MoveEventRow(std::vector<std::string>& items, int row, int step) {
  const auto rows = static_cast<int>(items.size()) - static_cast<int>(kMacroFirstEventItem);
  const int other = row + step;
  if (row < 0 || row >= rows || other < 0 || other >= rows || step == 0) return false;
  std::swap(items[kMacroFirstEventItem + static_cast<size_t>(row)],
            items[kMacroFirstEventItem + static_cast<size_t>(other)]);
  return true;
}

void DeleteEventRows(std::vector<std::string>& items, std::vector<int> rows) {
  // From the last row up, so that the rows still to go keep their places.
  std::sort(rows.begin(), rows.end(), std::greater<>());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  for (const int row : rows) {
    const size_t at = kMacroFirstEventItem + static_cast<size_t>(row);
    if (row >= 0 && at < items.size()) items.erase(items.begin() + static_cast<std::ptrdiff_t>(at));
  }
}

StuckKeysReport StuckKeysMessage(std::span<const std::string> stuckKeyNames) {
  if (stuckKeyNames.empty()) return {GetLangStr("NoErrors", "No any error found", "Fr6"), false};
  std::string text =
      GetLangStr("KeysError", "After macros start the following keys#13can remain pressed:", "Fr6");
  for (const std::string& name : stuckKeyNames) text += "<" + name + ">";
  return {text, true};
}

bool SameMacroName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiUpper(x) == AsciiUpper(y);
         });
}

MacroSaveStep DecideMacroSave(std::string_view oldName, std::string_view newName,
                              bool newNameExists) {
  if (newName.empty()) return MacroSaveStep::kRefuseEmptyName;
  // The macro's own value, under a name that changes only its case, is no other macro.
  if (SameMacroName(oldName, newName) || !newNameExists) return MacroSaveStep::kSave;
  return MacroSaveStep::kAskReplace;
}

bool StoreEditedMacro(RegistryStore& store, std::string_view oldName, std::string_view newName,
                      std::span<const std::string> items) {
  if (oldName == newName || oldName.empty()) return WriteMacroItems(store, newName, items);
  if (SameMacroName(oldName, newName)) {
    // The value keeps the case of its name when written over: only a new value takes the new one.
    const std::optional<std::string> old = store.ReadString(kMacrosKey, oldName);
    if (!store.DeleteValue(kMacrosKey, oldName)) return false;
    if (WriteMacroItems(store, newName, items)) return true;
    if (old) store.WriteString(kMacrosKey, oldName, *old);
    return false;
  }
  if (!WriteMacroItems(store, newName, items)) return false;
  // Left behind when it cannot go, the old value loses nothing: it is reported as a success.
  store.DeleteValue(kMacrosKey, oldName);
  return true;
}

}  // namespace tavion
