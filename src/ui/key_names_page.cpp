#include "ui/key_names_page.h"

#include "keys/key_names.h"
#include "lang/lang.h"

namespace tavion {

KeyNameRow KeyNameRowAt(const TKeyNames& table, int index) {
  const uint32_t value = table.KeyValueAt(index);
  const uint8_t code = HotKeyByte(value, 2);
  KeyNameRow row{table.NameAt(index), {}, {}};
  if (code == 0) {
    row.symbol = "hid key";
  } else if (code < 0x80) {
    row.symbol = std::string(1, static_cast<char>(code));
  } else {  // the Latin-1 character, in UTF-8
    row.symbol = {static_cast<char>(0xC0 | (code >> 6)), static_cast<char>(0x80 | (code & 0x3F))};
  }
  row.keyCode = code == kScanOnlyKey
                    ? KeyTripleText(code, HotKeyByte(value, 3), HotKeyByte(value, 4))
                    : std::to_string(code);
  return row;
}

std::string KeyNamesCountText(int count) {
  return FormatLangText(GetLangStr("AltogetherKeys", "Total sum of keys - %d"),
                        {std::to_string(count)});
}

std::optional<DialogCheckFailure> CheckKeyName(const KeyNameDialogData& data,
                                               const TKeyNames& table, int editedIndex) {
  if (data.name.empty())
    return DialogCheckFailure{GetLangStr("ErrorName", "Input key name"), kKeyNameEdit};
  if (data.key == 0 && data.hidText.empty())
    return DialogCheckFailure{GetLangStr("ErrorKey", "Key incorrect, repeat input."),
                              kKeyNameKeyEdit};
  const int sameName = table.IndexOfName(data.name);
  if (sameName >= 0 && sameName != editedIndex) {
    return DialogCheckFailure{
        FormatLangText(
            GetLangStr("ErrorNameExists", "Key name %s already exists, input another name"),
            {data.name}),
        kKeyNameEdit};
  }
  // Entries of HID keys alone all have the key value 0: only a real key is compared.
  for (int i = 0; i < table.Count(); ++i) {
    if (i == editedIndex) continue;
    const bool sameKey = data.key != 0 && SameHotKey(table.KeyValueAt(i), data.key);
    const bool sameHid = !data.hidText.empty() && table.HidTextAt(i) == data.hidText;
    if (sameKey || sameHid) {
      return DialogCheckFailure{
          GetLangStr("ErrorCodeExists", "Key with code such already exists, input another key"),
          kKeyNameKeyEdit};
    }
  }
  return std::nullopt;
}

int RowAfterDeletion(int index, int count) {
  if (count <= 0) return -1;
  return index < count ? index : count - 1;
}

}  // namespace tavion
