#include "ui/keyboard_layout_page.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "native/support/fakes.h"

namespace tavion {
namespace {

TEST(KeyboardLayoutPage, ButtonsActOnTheListOnlyWhileRemappingIsOn) {
  const std::vector<KeyReplacement> one(1);
  const auto state = [&](bool on, bool stored, bool rows) {
    return RemapState{rows ? one : std::vector<KeyReplacement>(), on, stored};
  };
  const auto flags = [](const RemapButtons& b) {
    return std::string() + (b.listShown ? 'L' : '-') + (b.add ? 'A' : '-') + (b.edit ? 'E' : '-') +
           (b.remove ? 'D' : '-') + (b.mode ? 'M' : '-') + (b.save ? 'S' : '-');
  };
  // What; the state; a row selected; the controls that act.
  const std::tuple<const char*, RemapState, bool, std::string> cases[] = {
      {"nothing stored", state(true, false, false), false, "LA----"},
      {"a map, no row selected", state(true, true, true), false, "LA--MS"},
      {"a map, a row selected", state(true, true, true), true, "LAEDMS"},
      {"switched off", state(false, true, true), true, "----M-"},
      {"switched off when empty", state(false, false, false), false, "----M-"},
  };
  for (const auto& [what, remap, selected, acting] : cases)
    EXPECT_EQ(acting, flags(RemapButtonsFor(remap, selected))) << what;
}

TEST(KeyRemapDialog, TakesScanCodeAndExtendedBitOfTheCapturedKeysAndNeedsAKeyToReplace) {
  const uint32_t rightAlt = PackHotKey(165, 0x38, 0x01 | 0x20, 0);  // extended, Alt down
  const uint32_t injectedCaps = PackHotKey(20, 0x3A, 0x10, 0);      // injected
  EXPECT_EQ((std::tuple(RemapKey{0x38, true}, RemapKey{0x3A, false}, RemapKey{})),
            std::tuple(RemapKeyOf(rightAlt), RemapKeyOf(injectedCaps), RemapKeyOf(0)));
  EXPECT_EQ((std::tuple(RemapKey{0x38, true}, uint32_t{0})),
            std::tuple(RemapKeyOf(RemapCapturedValue({0x38, true})), RemapCapturedValue({})));

  KeyRemapDialogData data;
  data.row.fromScan = 0;
  data.row.toScan = 0x1D;
  const std::optional<DialogCheckFailure> failure = CheckKeyRemap(data);
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ((std::tuple<std::string, std::string>("Key incorrect, repeat input.", kRemapFromEdit)),
            std::tuple(failure->message, failure->control));
  data.row = {.fromScan = 0x3A};
  EXPECT_EQ(std::nullopt, CheckKeyRemap(data)) << "no key to become: the key does nothing";
}

}  // namespace
}  // namespace tavion
