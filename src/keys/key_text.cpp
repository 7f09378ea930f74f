#include "keys/key_text.h"

#include <atomic>

#include "keys/key_names.h"
#include "lang/lang.h"

namespace tavion {
namespace {

std::atomic<const SystemKeyNames*> defaultSystemNames{nullptr};

// The UTF-8 form of a code point below 256.
std::string Latin1Character(uint32_t code) {
  if (code < 0x80) return std::string(1, static_cast<char>(code));
  return {static_cast<char>(0xC0 | (code >> 6)), static_cast<char>(0x80 | (code & 0x3F))};
}

std::string SystemName(const SystemKeyNames& names, uint32_t keyCode, uint32_t scanCode,
                       uint32_t flags) {
  const uint32_t scan = scanCode != 0 ? scanCode : names.ScanCodeOf(keyCode);
  // Bit 0 is set as in a key message's repeat count.
  return names.KeyName((scan & 0xFF) << 16 | (flags & 0xFF) << 24 | 1);
}

}  // namespace

KeyTextContext DefaultKeyTextContext() {
  std::shared_ptr<const TKeyNames> names = KeyNamesTable();
  const TKeyNames* userNames = names.get();
  return {defaultSystemNames.load(std::memory_order_acquire), userNames, std::move(names)};
}

void SetDefaultSystemKeyNames(const SystemKeyNames* names) {
  defaultSystemNames.store(names, std::memory_order_release);
}

std::string KeyToText(uint32_t keyCode, uint32_t scanCode, uint32_t flags, bool useConversion,
                      bool useUserNames, const KeyTextContext& context) {
  if (keyCode > 255) return "VkCode>255";
  if (scanCode > 255) return "Scan>255";
  if (flags > 255) return "Flag>255";
  if (keyCode == 0 && scanCode == 0 && flags == 0) return GetLangStr("StrNone", "None");

  const auto code = static_cast<uint8_t>(keyCode);
  const auto scan = static_cast<uint8_t>(scanCode);
  const auto keyFlags = static_cast<uint8_t>(flags);
  if (useUserNames && keyCode != 0 && context.userNames != nullptr) {
    const int index = context.userNames->IndexOfKey(PackHotKey(code, scan, keyFlags, 0));
    if (index >= 0) return context.userNames->NameAt(index);
  }
  if (keyCode == kScanOnlyKey) return KeyTripleText(keyCode, scanCode, flags);

  std::string name;
  if (useConversion && context.systemNames != nullptr)
    name = SystemName(*context.systemNames, keyCode, scanCode, flags);
  if (!name.empty()) return name;
  if (keyCode != 0) return Latin1Character(keyCode);
  return KeyTripleText(keyCode, scanCode, flags);
}

std::string HotKeyValueToText(uint32_t value, bool useUserNames, bool useConversion,
                              bool withModifiers, const KeyTextContext& context) {
  std::string text = withModifiers ? ModifiersToText(HotKeyByte(value, 1)) : std::string();
  text += KeyToText(HotKeyByte(value, 2), HotKeyByte(value, 3), HotKeyByte(value, 4), useConversion,
                    useUserNames, context);
  return text;
}

std::string HidKeyToText(std::string_view text, bool useNames, const KeyTextContext& context) {
  if (useNames && context.userNames != nullptr) {
    const int index = context.userNames->IndexOfHidText(text);
    if (index >= 0) return context.userNames->NameAt(index);
  }
  constexpr std::string_view kRun = "0000";
  std::string shortened;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(kRun, from)) != std::string_view::npos;
       from = at + kRun.size()) {
    shortened.append(text.substr(from, at - from));
    shortened += '0';
  }
  shortened.append(text.substr(from));
  return shortened;
}

std::string HotKeyToText(const TActionHKey& record, bool useUserNames, bool useConversion,
                         bool withModifiers, const KeyTextContext& context) {
  if (record.InputMode() == TkeInputMode::keHid) {
    return ModifiersToText(HotKeyByte(record.HKey(), 1)) +
           HidKeyToText(record.KeyPolyglot(), true, context);
  }
  return HotKeyValueToText(record.HKey(), useUserNames, useConversion, withModifiers, context);
}

}  // namespace tavion
