#pragma once
// Display texts of keys and hot keys ("Ctrl + Alt + P"). Portable: the system's key names come
// through SystemKeyNames, the user's through a TKeyNames table.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "keys/hotkey.h"

namespace tavion {

class TKeyNames;

// The system's keyboard-layout services that key texts need.
class SystemKeyNames {
 public:
  virtual ~SystemKeyNames() = default;
  // The scan code the current layout maps `keyCode` to; 0 when there is none.
  virtual uint32_t ScanCodeOf(uint32_t keyCode) const = 0;
  // The layout's name for the key described as in a WM_KEYDOWN lParam (scan code in bits 16-23,
  // extended flag in bit 24); empty when the layout has none.
  virtual std::string KeyName(uint32_t lParam) const = 0;
};

// Where key texts take names from. Either pointer may be null: that source is then skipped.
struct KeyTextContext {
  const SystemKeyNames* systemNames = nullptr;
  const TKeyNames* userNames = nullptr;
  std::shared_ptr<const TKeyNames> heldUserNames = nullptr;  // keeps `userNames` alive
};

// The context of the process: the user names are KeyNamesTable() as it is now, held by the
// context; the system names are null until the Win32 side installs them at start-up.
KeyTextContext DefaultKeyTextContext();
void SetDefaultSystemKeyNames(const SystemKeyNames* names);

// The text of one key, without modifiers. With `useConversion` the system's name is asked for;
// with `useUserNames` the user's table is consulted first. Codes above 255 give "VkCode>255",
// "Scan>255" or "Flag>255"; no key at all gives "None".
std::string KeyToText(uint32_t keyCode, uint32_t scanCode, uint32_t flags, bool useConversion,
                      bool useUserNames, const KeyTextContext& context = DefaultKeyTextContext());

// KeyToText of a packed value, preceded by its modifiers when `withModifiers`.
std::string HotKeyValueToText(uint32_t value, bool useUserNames, bool useConversion,
                              bool withModifiers,
                              const KeyTextContext& context = DefaultKeyTextContext());

// The user's name for an HID key text when `useNames` and the table has one; otherwise the text
// with each "0000" shortened to "0".
std::string HidKeyToText(std::string_view text, bool useNames,
                         const KeyTextContext& context = DefaultKeyTextContext());

// The text of a hot-key record. An HID record always shows its modifiers and the user's names.
std::string HotKeyToText(const TActionHKey& record, bool useUserNames, bool useConversion,
                         bool withModifiers,
                         const KeyTextContext& context = DefaultKeyTextContext());

}  // namespace tavion
