#include "ui/keyboard_layout_page.h"

#include "keys/hook_messages.h"
#include "lang/lang.h"

namespace tavion {

std::string RemapKeyText(uint8_t scanCode, bool extended, const KeyTextContext& context) {
  // No key code: the name comes from the scan code alone, through the system's key names.
  return KeyToText(/*keyCode=*/0, scanCode, extended ? 1 : 0, /*useConversion=*/true,
                   /*useUserNames=*/false, context);
}

RemapRowTexts RemapRowTextsOf(const KeyReplacement& row, const KeyTextContext& context) {
  return {RemapKeyText(row.fromScan, row.fromExtended, context), "-->",
          RemapKeyText(row.toScan, row.toExtended, context)};
}

RemapButtons RemapButtonsFor(const RemapState& state, bool rowSelected) {
  RemapButtons buttons;
  buttons.listShown = state.on;
  buttons.add = state.on;
  buttons.edit = state.on && rowSelected;
  buttons.remove = buttons.edit;
  buttons.mode = state.stored || !state.on;
  buttons.save = state.on && !state.rows.empty();
  return buttons;
}

std::string RemapModeCaption(bool on) {
  return on ? GetLangStr("mode_off", "Turn off!", kRemapSection)
            : GetLangStr("mode_on", "Turn on!", kRemapSection);
}

std::string RemapRebootText() {
  return GetLangStr("InfoReboot", "To apply changes, you must restart computer.");
}

std::string RemapFullText() {
  return FormatLangText(
      GetLangStr("ErrorLayoutFull",
                 "Windows takes at most %d replaced keys.#13Delete a key before you add another."),
      {std::to_string(kMaxKeyReplacements)});
}

std::string RemapRefusedText() {
  return GetLangStr("ErrorLayoutRights",
                    "Can't change the key map: administrator rights are needed to write to "
                    "HKEY_LOCAL_MACHINE.#13The list shows the keys that are stored.");
}

std::optional<DialogCheckFailure> CheckKeyRemap(const KeyRemapDialogData& data) {
  if (data.row.fromScan == 0)
    return DialogCheckFailure{GetLangStr("ErrorKey", "Key incorrect, repeat input.", "Fr3"),
                              kRemapFromEdit};
  return std::nullopt;
}

RemapKey RemapKeyOf(uint32_t capturedValue) {
  return {HotKeyByte(capturedValue, 3), (HotKeyByte(capturedValue, 4) & kKeyFlagExtended) != 0};
}

uint32_t RemapCapturedValue(RemapKey key) {
  if (key.scanCode == 0 && !key.extended) return 0;
  return PackHotKey(/*keyCode=*/0, key.scanCode, key.extended ? kKeyFlagExtended : 0,
                    /*modifiers=*/0);
}

std::string RemapExtendedText(bool extended) {
  return extended ? GetLangStr("ButtonYes", "Yes") : GetLangStr("ButtonNo", "No");
}

}  // namespace tavion
