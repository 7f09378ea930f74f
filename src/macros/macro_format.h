#pragma once
// Macros as stored: a comma text of items (keyboard layout, playback settings, one packed keyboard
// event per item) under the Macros key, the tagged playback-settings text, and the check for keys
// a macro leaves pressed. Portable.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "keys/key_text.h"

namespace tavion {

class RegistryStore;

// The key of the macros, relative to the settings root; one REG_SZ value per macro, named after it.
inline constexpr char kMacrosKey[] = "Macros";

// Item positions of a stored macro.
inline constexpr std::size_t kMacroLayoutItem = 0;
inline constexpr std::size_t kMacroSettingsItem = 1;
inline constexpr std::size_t kMacroFirstEventItem = 2;

// The items of a stored macro text (comma text: quoted items, doubled quotes, a final comma adds
// an empty item). Never fails.
std::vector<std::string> MacroItemsFromText(std::string_view text);
// The stored text of `items`; MacroItemsFromText gives them back exactly.
std::string MacroItemsToText(std::span<const std::string> items);

// The value of field `tag` (a digit) of a tagged text: each field is the byte 1, the tag digit and
// the value up to the next byte 1. Nullopt when the field is missing; the first one counts.
std::optional<std::string> TaggedField(std::string_view text, char tag);
// `text` with field `tag` set to `value` (replacing the first one, or appended).
std::string WithTaggedField(std::string_view text, char tag, std::string_view value);

// The playback settings of a macro, with the defaults of a missing or empty field.
struct PlaybackSettings {
  int32_t delayMs = -1;       // tag 1: fixed delay between events; -1 = each event's own delay
  bool beep = true;           // tag 2: default beep after playback
  bool keepBlocked = false;   // tag 3: user input stays blocked while the macro plays
  bool stopOnKey = true;      // tag 4: a key of the user stops the playback
  bool keepLanguage = false;  // tag 5: the macro's keyboard language stays after playback
  friend bool operator==(const PlaybackSettings&, const PlaybackSettings&) = default;
};

// The longest fixed delay between two events; the recorded ones are below 256 ms.
inline constexpr int32_t kMaxMacroDelayMs = 1000;

// Reads the settings text. A delay that is not a whole number, or is negative, counts as -1; one
// above kMaxMacroDelayMs as that bound. A switch is on for "True" and off for "False" (any
// case), and keeps its default for anything else.
PlaybackSettings ParsePlaybackSettings(std::string_view text);
// The settings text of all five fields.
std::string PlaybackSettingsText(const PlaybackSettings& settings);
// The settings text a new recording starts with: delay 20, no beep, input free, stop on key.
std::string NewRecordingSettingsText();

// One recorded keyboard event.
struct MacroEvent {
  uint8_t keyCode = 0;
  uint8_t scanCode = 0;
  bool extended = false;
  bool released = false;
  uint8_t delayMs = 0;  // since the previous event, modulo 256
  friend bool operator==(const MacroEvent&, const MacroEvent&) = default;
};

// The 32-bit value of an event: key code, scan code, flags (1 extended, 2 released), delay.
int32_t PackMacroEvent(const MacroEvent& event);
MacroEvent UnpackMacroEvent(uint32_t value);
// The stored item of an event: the packed value as a signed decimal number.
std::string MacroEventItem(const MacroEvent& event);
// The 32-bit value of an item: a decimal number from -2^31 to 2^32 - 1 (a value above 2^31 - 1
// wraps to the negative one), surrounded by nothing else; nullopt for anything else.
std::optional<int32_t> ParseMacroNumber(std::string_view item);
// The event of an item: a decimal number from -2^31 to 2^32 - 1 (unsigned texts are accepted
// too), surrounded by nothing else. Nullopt for anything that is not such a number.
std::optional<MacroEvent> ParseMacroEventItem(std::string_view item);
// The event of a key as the keyboard hook reports it (hook flags: 0x01 extended, 0x80 released),
// `elapsedMs` after the previous one.
MacroEvent MacroEventFromKey(uint32_t keyCode, uint32_t scanCode, uint32_t hookFlags,
                             uint32_t elapsedMs);

// The key-downs of `eventItems` (items 2 onwards of a macro) that no later key-up of the same key
// code and scan code follows, each once, in order of first appearance. Stops at the first item
// that is not an event, as playback does.
std::vector<MacroEvent> CheckStuckKeys(std::span<const std::string> eventItems);

// The key texts (system and user key names) of CheckStuckKeys, as the macro editor shows them.
std::vector<std::string> StuckKeyNames(std::span<const std::string> eventItems,
                                       const KeyTextContext& context = DefaultKeyTextContext());

// A macro as read from the store: its items, or nothing when the value is missing or empty.
std::vector<std::string> ReadMacroItems(const RegistryStore& store, std::string_view name);
// Writes the macro `name`; returns success.
bool WriteMacroItems(RegistryStore& store, std::string_view name,
                     std::span<const std::string> items);
// The names of the stored macros, in the registry's order.
std::vector<std::string> MacroNames(const RegistryStore& store);

// The text "mc_text" types for a text or a text file's content: every line (split at CR LF, CR or
// LF) followed by CR LF, every "%datetime%" (any case) replaced by `dateTime`. Empty stays empty.
std::string TypingText(std::string_view text, std::string_view dateTime);
// The same without "%datetime%": every line followed by CR LF.
std::string TypingLines(std::string_view text);
// The bytes of a UTF-8 file without its byte-order mark, when it has one.
std::string_view WithoutUtf8ByteOrderMark(std::string_view bytes);

}  // namespace tavion
