#include "exec/window_actions.h"

#include <algorithm>

#include "keys/hotkey.h"

namespace tavion {
namespace {

constexpr uint32_t kWmHScroll = 276;
constexpr uint32_t kWmVScroll = 277;
constexpr uint32_t kSbLineUp = 0;
constexpr uint32_t kSbLineDown = 1;
constexpr uint32_t kSbPageUp = 2;
constexpr uint32_t kSbPageDown = 3;

constexpr uint16_t kVkPageUp = 33;
constexpr uint16_t kVkPageDown = 34;
constexpr uint16_t kVkLeft = 37;
constexpr uint16_t kVkUp = 38;
constexpr uint16_t kVkRight = 39;
constexpr uint16_t kVkDown = 40;
constexpr uint16_t kVkOemPlus = 187;
constexpr uint16_t kVkOemMinus = 189;
// The key sender's wheel pseudo-keys.
constexpr uint16_t kWheelUp = 136;
constexpr uint16_t kWheelDown = 137;

constexpr int kMaxScrollSpeed = 20;

}  // namespace

int NextAlpha(uint8_t mode, int value, int current, int minimum, int maximum) {
  int alpha = current;
  if (mode == kAlphaLower) alpha = current - kAlphaStep;
  if (mode == kAlphaRaise) alpha = current + kAlphaStep;
  if (mode == kAlphaSet) alpha = value;
  alpha = std::max(alpha, minimum);
  alpha = std::min(alpha, maximum);
  return std::clamp(alpha, 0, 255);
}

std::optional<int> TWindowsList::AlphaOf(uintptr_t window) const {
  std::lock_guard guard(lock_);
  const auto found = alphas_.find(window);
  if (found == alphas_.end() || found->second < 0 || found->second > 255) return std::nullopt;
  return found->second;
}

void TWindowsList::Remember(uintptr_t window, int alpha) {
  std::lock_guard guard(lock_);
  alphas_[window] = alpha;
}

void TWindowsList::Clear() {
  std::lock_guard guard(lock_);
  alphas_.clear();
}

TWindowsList& TransparentWindows() {
  static TWindowsList list;
  return list;
}

BoxCommandStep ChooseBoxCommand(std::optional<bool> greyedInMenu, bool hasBox) {
  const bool possible = greyedInMenu ? !*greyedInMenu : hasBox;
  return possible ? BoxCommandStep::kPost : BoxCommandStep::kBeep;
}

Point CentredPosition(int screenWidth, int screenHeight, int windowWidth, int windowHeight) {
  return {screenWidth / 2 - windowWidth / 2, screenHeight / 2 - windowHeight / 2};
}

ScrollMessages ScrollMessagesFor(int direction, int lines) {
  ScrollMessages messages;
  messages.sideways = direction == kScrollLeft || direction == kScrollRight;
  messages.message = messages.sideways ? kWmHScroll : kWmVScroll;
  const bool forward = direction == kScrollDown || direction == kScrollRight;
  if (forward) {
    messages.request = lines > 0 ? kSbLineDown : kSbPageDown;
  } else {
    messages.request = lines > 0 ? kSbLineUp : kSbPageUp;
  }
  messages.count = lines > 0 ? lines : 1;
  return messages;
}

int ScrollLineCount(bool pages, uint8_t speed) {
  if (pages || speed < 1 || speed > kMaxScrollSpeed) return 0;
  return speed;
}

std::optional<SentKey> BrowserScrollKey(uint8_t mode, bool pages) {
  switch (mode) {
    case 0:
      return SentKey{0, pages ? kVkPageUp : kVkUp};
    case 1:
      return SentKey{0, pages ? kVkPageDown : kVkDown};
    case 2:
      return SentKey{kModCtrl, kVkOemPlus};
    case 3:
      return SentKey{0, kVkLeft};
    case 4:
      return SentKey{0, kVkRight};
    case 5:
      return SentKey{kModCtrl, kVkOemMinus};
    default:
      return std::nullopt;
  }
}

bool IsKeyScrolledBrowser(std::string_view topLevelClass) {
  return topLevelClass == "MozillaUIWindowClass" || topLevelClass == "OpWindow";
}

ScrollAction ScrollActionFor(uint8_t mode) {
  switch (mode) {
    case 0:
      return {.direction = kScrollUp};
    case 1:
      return {.direction = kScrollDown};
    case 3:
      return {.direction = kScrollLeft};
    case 4:
      return {.direction = kScrollRight};
    case 2:
      return {.zoomKey = SentKey{kModCtrl, kWheelUp}};
    case 5:
      return {.zoomKey = SentKey{kModCtrl, kWheelDown}};
    default:
      return {};
  }
}

bool IsAnyWindowText(std::string_view text) {
  return text.empty() || text == "nil";
}

MessageTarget MessageTargetFor(int32_t mode, std::string_view windowClass,
                               std::string_view caption) {
  switch (mode) {
    case 0:
      return IsAnyWindowText(windowClass) && IsAnyWindowText(caption) ? MessageTarget::kForeground
                                                                      : MessageTarget::kNamed;
    case 1:
      return MessageTarget::kForeground;
    case 2:
      return MessageTarget::kFocused;
    case 3:
      return MessageTarget::kUnderCursorChild;
    case 4:
      return MessageTarget::kUnderCursorParent;
    default:
      return MessageTarget::kNone;
  }
}

}  // namespace tavion
