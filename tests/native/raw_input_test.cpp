#include "pipeline/raw_input.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>
#include <tuple>
#include <vector>

namespace tavion {
namespace {

using Usages = std::vector<std::tuple<RawDeviceKind, uint16_t, uint16_t>>;

Usages Flatten(const std::vector<RawDeviceUsage>& usages) {
  Usages flat;
  for (const RawDeviceUsage& u : usages) flat.emplace_back(u.kind, u.usagePage, u.usage);
  return flat;
}

// Mice and keyboards by their generic usage whatever the device reports, other devices by their
// own; one entry per device, so equal devices give equal entries.
TEST(RawRegistrationUsages, OneEntryPerDeviceKeyboardsOnlyWhenAsked) {
  constexpr auto kMouse = RawDeviceKind::kMouse, kKeys = RawDeviceKind::kKeyboard,
                 kOther = RawDeviceKind::kOther;
  const std::vector<RawDeviceUsage> devices = {
      {kKeys, 0, 0}, {kMouse, 9, 9}, {kOther, 12, 1}, {kKeys, 0, 0}, {kOther, 0xFF00, 3}};
  EXPECT_EQ(
      (Usages{{kKeys, 1, 6}, {kMouse, 1, 2}, {kOther, 12, 1}, {kKeys, 1, 6}, {kOther, 0xFF00, 3}}),
      Flatten(RawRegistrationUsages(devices, /*keyboards=*/true)));
  EXPECT_EQ((Usages{{kMouse, 1, 2}, {kOther, 12, 1}, {kOther, 0xFF00, 3}}),
            Flatten(RawRegistrationUsages(devices, /*keyboards=*/false)));
  const std::vector<RawDeviceUsage> keyboardsOnly = {{kKeys, 0, 0}};
  EXPECT_TRUE(RawRegistrationUsages(keyboardsOnly, false).empty());
}

// A capture control with the focus takes every text but a click over another control of the
// program; without it the key handler gets them all.
TEST(RouteRawText, CaptureControlTakesTheTextUnlessTheClickIsElsewhereInTheProgram) {
  using enum RawTextRoute;
  constexpr auto kMouse = RawDeviceKind::kMouse, kKeys = RawDeviceKind::kKeyboard,
                 kOther = RawDeviceKind::kOther;
  const std::optional<std::wstring_view> nowhere, onEdit = L"TKeyEdit", onButton = L"Button";
  const struct {
    std::wstring_view focus;
    RawDeviceKind kind;
    std::optional<std::wstring_view> under;
    RawTextRoute expected;
  } cases[] = {
      {L"TKeyEdit", kKeys, onButton, kCaptureControl},
      {L"TKeyEdit", kOther, onButton, kCaptureControl},
      {L"TKeyEdit", kMouse, nowhere, kCaptureControl},
      {L"TKeyEdit", kMouse, onEdit, kCaptureControl},
      {L"TKeyEdit", kMouse, onButton, kDrop},
      {L"Edit", kKeys, nowhere, kDispatch},
      {L"Edit", kMouse, onButton, kDispatch},
      {L"", kMouse, onEdit, kDispatch},
      {L"TKeyEditor", kKeys, nowhere, kDispatch},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, RouteRawText(c.focus, c.kind, c.under))
        << std::string(c.focus.begin(), c.focus.end()) << " kind " << static_cast<int>(c.kind);
  }
}

}  // namespace
}  // namespace tavion
