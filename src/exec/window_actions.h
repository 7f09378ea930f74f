#pragma once
// The decisions of the window actions ("wm_" codes and "ms_wmsg"): transparency steps and their
// bounds, the remembered alpha of each window, centring, scrolling and the message target.
// Portable; window_actions_win.h applies them to real windows.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>

namespace tavion {

// "wm_alfa" modes.
inline constexpr uint8_t kAlphaLower = 0;  // more transparent, by kAlphaStep
inline constexpr uint8_t kAlphaRaise = 1;  // less transparent, by kAlphaStep
inline constexpr uint8_t kAlphaSet = 2;    // the action's Value
inline constexpr int kAlphaStep = 20;

// The alpha "wm_alfa" sets after `current`: by `mode` (an unknown mode keeps `current`), then at
// least `minimum` and at most `maximum`, and always within 0 to 255 (a byte is all the system
// takes), so bounds outside that range or crossed bounds still give a valid alpha.
int NextAlpha(uint8_t mode, int value, int current, int minimum, int maximum);

// The alpha the program set on each window (`TWindowsList`): the system does not always report
// it back. Safe to use from several threads.
class TWindowsList {
 public:
  // The remembered alpha of `window`; nullopt when there is none or it is outside 0 to 255.
  std::optional<int> AlphaOf(uintptr_t window) const;
  // Remembers `alpha` for `window`, adding the window when it is new.
  void Remember(uintptr_t window, int alpha);
  // Forgets every window.
  void Clear();

 private:
  mutable std::mutex lock_;
  std::map<uintptr_t, int> alphas_;
};

// The process's one transparent-window list.
TWindowsList& TransparentWindows();

// What "wm_wmin", and "wm_wmax" on a window that is not maximised, do.
enum class BoxCommandStep : uint8_t { kPost, kBeep };

// The window menu decides where it can be read: `greyedInMenu` says whether the command is greyed
// there (or missing). Another program's window menu cannot always be read (nullopt: Wine answers
// with none); the window's style decides then: `hasBox` is whether it has the command's box
// (WS_MAXIMIZEBOX, WS_MINIMIZEBOX).
BoxCommandStep ChooseBoxCommand(std::optional<bool> greyedInMenu, bool hasBox);

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// The top-left corner that centres a window of the given size on a screen of the given size;
// each half is truncated toward zero before subtracting.
Point CentredPosition(int screenWidth, int screenHeight, int windowWidth, int windowHeight);

// Scroll directions of ScrollWindowBy and PostScroll.
inline constexpr int kScrollUp = 0;
inline constexpr int kScrollLeft = 1;
inline constexpr int kScrollDown = 2;
inline constexpr int kScrollRight = 3;

// What PostScroll posts: `count` times `message` with wParam `request`.
struct ScrollMessages {
  uint32_t message = 0;  // WM_HSCROLL (276) or WM_VSCROLL (277)
  uint32_t request = 0;  // SB_LINEUP 0, SB_LINEDOWN 1, SB_PAGEUP 2, SB_PAGEDOWN 3
  int count = 1;
  bool sideways = false;
  friend bool operator==(const ScrollMessages&, const ScrollMessages&) = default;
};

// The messages of a scroll by `lines` in `direction`: lines when `lines` > 0, else one page.
ScrollMessages ScrollMessagesFor(int direction, int lines);

// Lines per "wm_scroll" execution: `speed` when not in page mode and `speed` is 1 to 20, else 0
// (page mode).
int ScrollLineCount(bool pages, uint8_t speed);

// One key of the key sender: modifier mask and key code.
struct SentKey {
  uint8_t modifiers = 0;
  uint16_t keyCode = 0;
  friend bool operator==(const SentKey&, const SentKey&) = default;
};

// The key a browser window ("MozillaUIWindowClass", "OpWindow") gets for "wm_scroll" `mode`
// instead of scroll messages; nullopt for an unknown mode.
std::optional<SentKey> BrowserScrollKey(uint8_t mode, bool pages);

// Whether windows of `topLevelClass` are scrolled and zoomed with keys.
bool IsKeyScrolledBrowser(std::string_view topLevelClass);

// What "wm_scroll" `mode` does in any other window: a scroll direction, or a Ctrl + wheel step
// (zoom) given as the key sender's wheel pseudo-key.
struct ScrollAction {
  std::optional<int> direction = std::nullopt;
  std::optional<SentKey> zoomKey = std::nullopt;
};
ScrollAction ScrollActionFor(uint8_t mode);

// The target of "ms_wmsg".
enum class MessageTarget {
  kNone,
  kNamed,  // FindWindow with the class and caption
  kForeground,
  kFocused,
  kUnderCursorChild,
  kUnderCursorParent,
};

// The target of `mode`; mode 0 names a window only when the class or the caption is given
// ("nil" and empty mean any), and is the foreground window otherwise.
MessageTarget MessageTargetFor(int32_t mode, std::string_view windowClass,
                               std::string_view caption);

// Whether a class or caption of "ms_wmsg" stands for "any".
bool IsAnyWindowText(std::string_view text);

}  // namespace tavion
