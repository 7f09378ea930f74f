#include "ui/window_keys.h"

namespace tavion {
namespace {

// Virtual-key and hit-test codes of the Windows headers.
constexpr unsigned kVkInsert = 0x2D;
constexpr unsigned kVkDelete = 0x2E;
constexpr unsigned kVkF1 = 0x70;
constexpr int kHitMinButton = 8;
constexpr int kHitMaxButton = 9;
constexpr int kHitClose = 20;

constexpr WindowKey ListKey(ListCommand command) {
  return {WindowKeyAction::kListCommand, command};
}

}  // namespace

WindowKey WindowKeyFor(unsigned virtualKey, bool shift, bool ctrl, bool alt) {
  if (shift || ctrl || alt) return {};
  switch (virtualKey) {
    case kVkInsert:
      return ListKey(ListCommand::kAdd);
    case kVkDelete:
      return ListKey(ListCommand::kDelete);
    case kVkF1:
      return {WindowKeyAction::kHelp};
    case kVkF1 + 1:
      return ListKey(ListCommand::kEdit);
    case kVkF1 + 3:
      return ListKey(ListCommand::kToggle);
    case kVkF1 + 4:
      return ListKey(ListCommand::kRefresh);
    case kVkF1 + 9:
      return {WindowKeyAction::kInfo};
    case kVkF1 + 10:
      return {WindowKeyAction::kRestart};
    case kVkF1 + 11:
      return {WindowKeyAction::kNextView};
  }
  return {};
}

TitleButton TitleButtonAt(int hitTest, bool maximized) {
  switch (hitTest) {
    case kHitMinButton:
      return TitleButton::kMinimize;
    case kHitMaxButton:
      return maximized ? TitleButton::kRestore : TitleButton::kMaximize;
    case kHitClose:
      return TitleButton::kClose;
  }
  return TitleButton::kNone;
}

}  // namespace tavion
