#include "macros/macro_format.h"

#include <algorithm>
#include <charconv>

#include "base/ascii_case.h"
#include "base/comma_text.h"
#include "settings/registry.h"

namespace tavion {
namespace {

constexpr char kTagMark = '\x01';

// Where the field `tag` starts (at its mark) and ends, or npos.
struct FieldSpan {
  std::size_t begin = std::string_view::npos;
  std::size_t end = std::string_view::npos;
};

FieldSpan FindField(std::string_view text, char tag) {
  for (std::size_t mark = text.find(kTagMark); mark != std::string_view::npos;
       mark = text.find(kTagMark, mark + 1)) {
    if (mark + 1 < text.size() && text[mark + 1] == tag) {
      const std::size_t next = text.find(kTagMark, mark + 2);
      return {mark, next == std::string_view::npos ? text.size() : next};
    }
  }
  return {};
}

void ReadSwitch(std::string_view text, char tag, bool& value) {
  const std::optional<std::string> field = TaggedField(text, tag);
  if (!field) return;
  if (EqualsIgnoringCase(*field, "True")) value = true;
  if (EqualsIgnoringCase(*field, "False")) value = false;
}

const char* SwitchText(bool value) {
  return value ? "True" : "False";
}

// The token of an event in the tagged form: key code, scan code, 0 for down or 2 for up.
std::string StuckKeyToken(const MacroEvent& event, bool released) {
  std::string token;
  token = WithTaggedField(token, '1', std::to_string(event.keyCode));
  token = WithTaggedField(token, '2', std::to_string(event.scanCode));
  return WithTaggedField(token, '3', released ? "2" : "0");
}

}  // namespace

std::vector<std::string> MacroItemsFromText(std::string_view text) {
  return CommaTextToList(text);
}

std::string MacroItemsToText(std::span<const std::string> items) {
  return ListToCommaText(items);
}

std::optional<std::string> TaggedField(std::string_view text, char tag) {
  const FieldSpan span = FindField(text, tag);
  if (span.begin == std::string_view::npos) return std::nullopt;
  return std::string(text.substr(span.begin + 2, span.end - span.begin - 2));
}

std::string WithTaggedField(std::string_view text, char tag, std::string_view value) {
  const FieldSpan span = FindField(text, tag);
  std::string field{kTagMark, tag};
  field += value;
  if (span.begin == std::string_view::npos) return std::string(text) + field;
  std::string result(text.substr(0, span.begin));
  result += field;
  result += text.substr(span.end);
  return result;
}

PlaybackSettings ParsePlaybackSettings(std::string_view text) {
  PlaybackSettings settings;
  if (const std::optional<std::string> delay = TaggedField(text, '1')) {
    int32_t value = 0;
    const char* end = delay->data() + delay->size();
    const auto [ptr, error] = std::from_chars(delay->data(), end, value);
    if (error == std::errc() && ptr == end && !delay->empty())
      settings.delayMs = value < 0 ? -1 : std::min(value, kMaxMacroDelayMs);
  }
  ReadSwitch(text, '2', settings.beep);
  ReadSwitch(text, '3', settings.keepBlocked);
  ReadSwitch(text, '4', settings.stopOnKey);
  ReadSwitch(text, '5', settings.keepLanguage);
  return settings;
}

std::string PlaybackSettingsText(const PlaybackSettings& settings) {
  std::string text = WithTaggedField({}, '1', std::to_string(settings.delayMs));
  text = WithTaggedField(text, '2', SwitchText(settings.beep));
  text = WithTaggedField(text, '3', SwitchText(settings.keepBlocked));
  text = WithTaggedField(text, '4', SwitchText(settings.stopOnKey));
  return WithTaggedField(text, '5', SwitchText(settings.keepLanguage));
}

std::string NewRecordingSettingsText() {
  std::string text = WithTaggedField({}, '1', "20");
  text = WithTaggedField(text, '2', "False");
  text = WithTaggedField(text, '3', "False");
  return WithTaggedField(text, '4', "True");
}

int32_t PackMacroEvent(const MacroEvent& event) {
  const uint32_t flags = (event.extended ? 1u : 0u) | (event.released ? 2u : 0u);
  return static_cast<int32_t>(uint32_t{event.keyCode} | uint32_t{event.scanCode} << 8 |
                              flags << 16 | uint32_t{event.delayMs} << 24);
}

MacroEvent UnpackMacroEvent(uint32_t value) {
  const uint32_t flags = (value >> 16) & 0xFF;
  return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), (flags & 1) != 0,
          (flags & 2) != 0, static_cast<uint8_t>(value >> 24)};
}

std::string MacroEventItem(const MacroEvent& event) {
  return std::to_string(PackMacroEvent(event));
}

std::optional<int32_t> ParseMacroNumber(std::string_view item) {
  int64_t value = 0;
  const char* end = item.data() + item.size();
  const auto [ptr, error] = std::from_chars(item.data(), end, value);
  if (item.empty() || error != std::errc() || ptr != end) return std::nullopt;
  if (value < INT32_MIN || value > int64_t{UINT32_MAX}) return std::nullopt;
  return static_cast<int32_t>(static_cast<uint32_t>(value));
}

std::optional<MacroEvent> ParseMacroEventItem(std::string_view item) {
  const std::optional<int32_t> value = ParseMacroNumber(item);
  if (!value) return std::nullopt;
  return UnpackMacroEvent(static_cast<uint32_t>(*value));
}

MacroEvent MacroEventFromKey(uint32_t keyCode, uint32_t scanCode, uint32_t hookFlags,
                             uint32_t elapsedMs) {
  return {static_cast<uint8_t>(keyCode), static_cast<uint8_t>(scanCode), (hookFlags & 0x01) != 0,
          (hookFlags & 0x80) != 0, static_cast<uint8_t>(elapsedMs)};
}

std::vector<MacroEvent> CheckStuckKeys(std::span<const std::string> eventItems) {
  std::vector<MacroEvent> events;
  for (const std::string& item : eventItems) {
    const std::optional<MacroEvent> event = ParseMacroEventItem(item);
    if (!event) break;
    events.push_back(*event);
  }
  std::vector<MacroEvent> stuck;
  std::vector<std::string> stuckTokens;
  for (std::size_t i = 0; i < events.size(); ++i) {
    if (events[i].released) continue;
    const std::string release = StuckKeyToken(events[i], true);
    const bool releasedLater =
        std::any_of(events.begin() + static_cast<std::ptrdiff_t>(i) + 1, events.end(),
                    [&](const MacroEvent& later) {
                      return later.released && StuckKeyToken(later, true) == release;
                    });
    const std::string press = StuckKeyToken(events[i], false);
    if (!releasedLater &&
        std::find(stuckTokens.begin(), stuckTokens.end(), press) == stuckTokens.end()) {
      stuckTokens.push_back(press);
      stuck.push_back(events[i]);
    }
  }
  return stuck;
}

std::vector<std::string> StuckKeyNames(std::span<const std::string> eventItems,
                                       const KeyTextContext& context) {
  std::vector<std::string> names;
  for (const MacroEvent& key : CheckStuckKeys(eventItems))
    names.push_back(KeyToText(key.keyCode, key.scanCode, key.extended ? 1 : 0,
                              /*useConversion=*/true, /*useUserNames=*/true, context));
  return names;
}

std::vector<std::string> ReadMacroItems(const RegistryStore& store, std::string_view name) {
  const std::optional<std::string> text = store.ReadString(kMacrosKey, name);
  if (!text || text->empty()) return {};
  return MacroItemsFromText(*text);
}

bool WriteMacroItems(RegistryStore& store, std::string_view name,
                     std::span<const std::string> items) {
  return store.WriteString(kMacrosKey, name, MacroItemsToText(items));
}

std::vector<std::string> MacroNames(const RegistryStore& store) {
  return store.ValueNames(kMacrosKey);
}

std::string TypingLines(std::string_view text) {
  std::string lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    lines += text.substr(start, end - start);
    lines += "\r\n";
    start = end + 1;
    if (end < text.size() && text[end] == '\r' && start < text.size() && text[start] == '\n')
      ++start;
  }
  return lines;
}

std::string TypingText(std::string_view text, std::string_view dateTime) {
  const std::string lines = TypingLines(text);
  static constexpr std::string_view kDateTime = "%datetime%";
  std::string result;
  for (std::size_t i = 0; i < lines.size();) {
    if (EqualsIgnoringCase(std::string_view(lines).substr(i, kDateTime.size()), kDateTime)) {
      result += dateTime;
      i += kDateTime.size();
    } else {
      result += lines[i++];
    }
  }
  return result;
}

std::string_view WithoutUtf8ByteOrderMark(std::string_view bytes) {
  static constexpr std::string_view kMark = "\xEF\xBB\xBF";
  return bytes.starts_with(kMark) ? bytes.substr(kMark.size()) : bytes;
}

}  // namespace tavion
