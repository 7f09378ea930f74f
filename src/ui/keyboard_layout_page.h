#pragma once
// The decisions of the "Keyboard layout" page and of its key-remap dialog (TFr_lay): the texts
// of a row, which buttons act, the page's messages, and the dialog's check. Portable.

#include <cstddef>
#include <optional>
#include <string>

#include "keys/key_text.h"
#include "syskeys/scancode_map.h"
#include "ui/key_names_page.h"

namespace tavion {

// The language section of the dialog and of the page's mode captions.
inline constexpr char kRemapSection[] = "Fr_lay";

// The name of a key known by its scan code and extended flag ("Caps Lock"); "None" for scan
// code 0.
std::string RemapKeyText(uint8_t scanCode, bool extended,
                         const KeyTextContext& context = DefaultKeyTextContext());

// The texts of a list row: "Key to replace", "Action", "Key to replace to".
struct RemapRowTexts {
  std::string from;
  std::string action;
  std::string to;
};
RemapRowTexts RemapRowTextsOf(const KeyReplacement& row,
                              const KeyTextContext& context = DefaultKeyTextContext());

// Which of the page's controls act. The map is edited only while remapping is on, which shows
// the list; the switch acts once either value exists, and always to turn remapping back on.
struct RemapButtons {
  bool listShown = false;
  bool add = false;
  bool edit = false;
  bool remove = false;
  bool mode = false;
  bool save = false;
};
RemapButtons RemapButtonsFor(const RemapState& state, bool rowSelected);

// The switch's caption: "Turn off!" while remapping is on, "Turn on!" while it is off.
std::string RemapModeCaption(bool on);
// "To apply changes, you must restart computer."
std::string RemapRebootText();
// Why a 255th row is refused.
std::string RemapFullText();
// Why a change did not reach the registry.
std::string RemapRefusedText();

// The key-remap dialog's data: in with the row to edit (or an empty one), out with the user's.
struct KeyRemapDialogData {
  bool editing = false;     // "Edit key" rather than "Add key"
  KeyReplacement row;       // from: "Key to replace", to: "Key replace to"
  bool addAnother = false;  // "Add new key after close"
  UpOnlyKeys upOnlyKeys{};  // for the capture controls
};

// Control names of the dialog.
inline constexpr char kRemapFromEdit[] = "ke_key1";
inline constexpr char kRemapToEdit[] = "ke_key2";

// The dialog's check: a key to replace must have been captured. The key it becomes may be
// none: the key then does nothing.
std::optional<DialogCheckFailure> CheckKeyRemap(const KeyRemapDialogData& data);

// A key of a row as a capture control holds it: the packed value's scan code, and its hook flags'
// extended bit (other flags, such as "injected", do not count).
struct RemapKey {
  uint8_t scanCode = 0;
  bool extended = false;
  bool operator==(const RemapKey&) const = default;
};
RemapKey RemapKeyOf(uint32_t capturedValue);
// The packed value a capture control shows for `key`: no key code, 0 for no key at all.
uint32_t RemapCapturedValue(RemapKey key);

// The read-only "Extended" field beside a capture control: "Yes" or "No".
std::string RemapExtendedText(bool extended);

}  // namespace tavion
