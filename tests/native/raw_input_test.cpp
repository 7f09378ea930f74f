#include "pipeline/raw_input.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>
#include <tuple>
#include <vector>

namespace tavion {
namespace {

constexpr auto kMouse = RawDeviceKind::kMouse, kKeys = RawDeviceKind::kKeyboard,
               kOther = RawDeviceKind::kOther;

// One entry per device in list order: mice and keyboards by their generic usage, keyboards only
// when asked, other devices by their own.
TEST(RawRegistrationUsages, OneEntryPerDeviceKeyboardsOnlyWhenAsked) {
  const std::vector<RawDeviceUsage> devices = {
      {kKeys, 0, 0}, {kMouse, 9, 9}, {kOther, 12, 1}, {kKeys, 0, 0}};
  for (const bool keyboards : {false, true}) {
    std::vector<std::tuple<RawDeviceKind, int, int>> got,
        expected = {{kMouse, 1, 2}, {kOther, 12, 1}};
    if (keyboards) expected = {{kKeys, 1, 6}, {kMouse, 1, 2}, {kOther, 12, 1}, {kKeys, 1, 6}};
    for (const RawDeviceUsage& u : RawRegistrationUsages(devices, keyboards))
      got.emplace_back(u.kind, u.usagePage, u.usage);
    EXPECT_EQ(expected, got) << keyboards;
  }
}

// A focused capture control takes every text but a click over another control of the program.
TEST(RouteRawText, CaptureControlTakesTheTextUnlessTheClickIsElsewhereInTheProgram) {
  using enum RawTextRoute;
  const std::optional<std::wstring_view> none, edit = L"TKeyEdit", button = L"Button";
  const std::tuple<std::wstring_view, RawDeviceKind, std::optional<std::wstring_view>, RawTextRoute>
      cases[] = {{L"TKeyEdit", kKeys, button, kCaptureControl},
                 {L"TKeyEdit", kMouse, none, kCaptureControl},
                 {L"TKeyEdit", kMouse, edit, kCaptureControl},
                 {L"TKeyEdit", kMouse, button, kDrop},
                 {L"Edit", kMouse, button, kDispatch},
                 {L"", kKeys, none, kDispatch}};
  for (const auto& [focus, kind, under, expected] : cases)
    EXPECT_EQ(expected, RouteRawText(focus, kind, under)) << static_cast<int>(kind);
}

}  // namespace
}  // namespace tavion
