#include "keys/key_text.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "keys/key_names.h"

namespace tavion {
namespace {

// A keyboard layout that knows a few keys.
class FakeSystemKeyNames final : public SystemKeyNames {
 public:
  uint32_t ScanCodeOf(uint32_t keyCode) const override { return keyCode == 112 ? 59 : 0; }
  std::string KeyName(uint32_t lParam) const override {
    // lParam of a key message: scan code in bits 16-23, the extended flag in bit 24, count 1.
    const std::map<uint32_t, std::string> names = {{59u << 16 | 1, "F1"},
                                                   {0x20u << 16 | 1u << 24 | 1, "Mute key"},
                                                   {0x47u << 16 | 1u << 24 | 1, "Home"}};
    const auto it = names.find(lParam);
    return it == names.end() ? std::string() : it->second;
  }
};

class KeyTextTest : public testing::Test {
 protected:
  KeyTextTest() {
    names_.LoadDefaultKeyNames();
    names_.AddKey("Odd key", PackHotKey(255, 86, 0, 0), "");
    names_.AddKey("Zero", PackHotKey(0, 5, 0, 0), "");
    names_.AddKey("Pad", 0, "HID\\VID_0000&PID_00000001");
  }

  FakeSystemKeyNames system_;
  TKeyNames names_;
  KeyTextContext context_{&system_, &names_};
};

TEST_F(KeyTextTest, KeyTextTakesTheUserNameThenTheSystemNameThenTheCharacter) {
  const struct {
    uint32_t key, scan, flags;
    bool convert, userNames;
    const char* expected;
  } cases[] = {
      {300, 999, 999, true, true, "VkCode>255"},
      {65, 256, 999, true, true, "Scan>255"},
      {0, 0, 256, true, true, "Flag>255"},
      {0, 0, 0, true, true, "None"},
      {0, 0, 1, true, false, "0x0x1"},
      {173, 0x77, 0, false, true, "Volume Mute"},  // any scan code of the key
      {175, 0, 0, true, true, "Volume Up"},
      {255, 86, 0, true, true, "Odd key"},
      {255, 86, 0, true, false, "255x86x0"},  // scan code only: no character
      {173, 0x20, 1, true, false, "Mute key"},
      {36, 0x47, 1, true, false, "Home"},
      {112, 0, 0, true, false, "F1"},  // scan code mapped from the key code
      {65, 30, 0, false, false, "A"},
      {66, 48, 0, true, false, "B"},          // the layout has no name
      {0xE9, 0, 0, true, false, "\xC3\xA9"},  // Latin-1 code as UTF-8
      {0, 5, 0, true, true, "0x5x0"},         // key code 0 is never looked up by name
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, KeyToText(c.key, c.scan, c.flags, c.convert, c.userNames, context_))
        << c.key << " " << c.scan << " " << c.flags;
  }
  EXPECT_EQ("F", KeyToText(70, 33, 0, true, true, KeyTextContext{nullptr, &names_}));
}

TEST_F(KeyTextTest, HotKeyTextsPutModifiersBeforeTheKeyAndHidRecordsAlwaysHaveBoth) {
  const uint32_t ctrlAltMute = PackHotKey(173, 0x20, 1, kModCtrl | kModAlt);
  TActionHKey hid(PackHotKey(0, 0, 0, kModShift));
  hid.SetInputMode(TkeInputMode::keHid);
  hid.SetKeyPolyglot("HID\\VID_0000&PID_00000001");
  // Arguments: user names, conversion, modifiers.
  EXPECT_EQ((std::vector<std::string>{"Ctrl + Alt + Volume Mute", "Mute key", "Shift + Pad",
                                      "Shift + A"}),
            (std::vector<std::string>{HotKeyValueToText(ctrlAltMute, true, false, true, context_),
                                      HotKeyValueToText(ctrlAltMute, false, true, false, context_),
                                      HotKeyToText(hid, false, false, false, context_),
                                      HotKeyToText(TActionHKey(PackHotKey(65, 30, 0, kModShift)),
                                                   false, false, true, context_)}));
}

TEST_F(KeyTextTest, HidTextShortensRunsOfZerosUnlessItHasAName) {
  const std::pair<const char*, const char*> cases[] = {
      {"A00000000B", "A00B"},
      {"00000", "00"},
      {"000", "000"},
      {"", ""},
      {"HID\\VID_0000&PID_00000001", "HID\\VID_0&PID_00001"}};
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(expected, HidKeyToText(text, false, context_)) << text;
  EXPECT_EQ("Pad", HidKeyToText("HID\\VID_0000&PID_00000001", true, context_));
  EXPECT_EQ("", HidKeyToText("", true, context_)) << "no entry stands for an empty text";
  EXPECT_EQ("A0", HidKeyToText("A0000", true, KeyTextContext{}));
}

}  // namespace
}  // namespace tavion
