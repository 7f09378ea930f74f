#pragma once
// An action's execution conditions: lists of windows, how they match the windows of the system,
// and the switches. Portable; the system's windows come through WindowSystem.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "actions/persistent.h"

namespace tavion {

// A window of the system (an HWND as a number); 0 is none.
using WindowHandle = std::uintptr_t;

// What the window conditions ask of the system.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  virtual WindowHandle ForegroundWindow() const = 0;
  // The top-level windows in z-order, topmost first.
  virtual std::vector<WindowHandle> TopLevelWindows() const = 0;
  // The class name and the caption, each cut to 255 characters; empty for a window that is gone.
  virtual std::string ClassName(WindowHandle window) const = 0;
  virtual std::string Caption(WindowHandle window) const = 0;
  // Returns whether `window` is the foreground window afterwards.
  virtual bool BringToForeground(WindowHandle window) = 0;
};

// The entry that stands for an absent class or caption. An empty entry counts as absent too.
inline constexpr std::string_view kAbsentWindowEntry = "nil";

// Match flags of a window list.
inline constexpr uint8_t kMatchMasks = 1;    // entries are masks
inline constexpr uint8_t kMatchSeveral = 2;  // AddWindow appends rather than replaces
inline constexpr uint8_t kMatchAbsent = 4;   // a class or caption may be absent (any)

// Whether a window with `windowClass` and `windowCaption` is named by the pair (`classEntry`,
// `captionEntry`) under `flags`. An exact match of the present entries comes first (with
// kMatchAbsent), then masks (with kMatchMasks); without kMatchMasks both must equal exactly.
// An invalid mask matches nothing.
bool MatchWindowTexts(uint8_t flags, std::string_view classEntry, std::string_view captionEntry,
                      std::string_view windowClass, std::string_view windowCaption);

struct WindowEntry {
  std::string windowClass;
  std::string caption;
  friend bool operator==(const WindowEntry&, const WindowEntry&) = default;
};

// A list of windows, each a class and a caption. Stored as the comma texts WCls and WCap; entry i
// of one pairs with entry i of the other, and the classes count the windows.
class TMyWindow : public Persistent {
 public:
  explicit TMyWindow(uint8_t matchFlags = 0) : matchFlags_(matchFlags) {}

  std::span<const Property> Properties() const override;

  uint8_t MatchFlags() const { return matchFlags_; }

  std::string WCls() const;
  std::string WCap() const;
  void SetWCls(std::string_view commaText);
  void SetWCap(std::string_view commaText);

  // Appends the pair with kMatchSeveral, else makes it the only one. An empty class or caption
  // is stored as "nil".
  void AddWindow(std::string_view windowClass, std::string_view caption);
  // Both return false, and change nothing, for i outside the list.
  bool DeleteWindow(std::size_t i);
  // A caption missing from a shorter caption list reads as "nil".
  std::optional<WindowEntry> GetWindow(std::size_t i) const;
  std::size_t WindowCount() const { return classes_.size(); }

  // Whether `window` is named by the pair (`classEntry`, `captionEntry`) under this list's flags.
  bool MatchWindow(std::string_view classEntry, std::string_view captionEntry, WindowHandle window,
                   const WindowSystem& system) const;

 protected:
  // The first of `windows` in order that some pair names, trying the pairs in order: the first
  // pair that names any window decides.
  std::optional<WindowHandle> FirstNamedWindow(std::span<const WindowHandle> windows,
                                               const WindowSystem& system) const;
  bool ListsEmpty() const { return classes_.empty() && captions_.empty(); }

 private:
  // Entry i of the captions, "nil" when the caption list is shorter.
  std::string_view CaptionEntry(std::size_t i) const;

  std::vector<std::string> classes_;
  std::vector<std::string> captions_;
  uint8_t matchFlags_;
};

// WCls and WCap, the first stored properties of every window list, for the tables of derived
// classes.
extern const Property kWindowClassesProperty;
extern const Property kWindowCaptionsProperty;

// One window condition of an action, in force when `Enbl` is set.
class TActionExecOnWItem final : public TMyWindow {
 public:
  TActionExecOnWItem() : TMyWindow(kMatchMasks | kMatchSeveral | kMatchAbsent) {}

  std::span<const Property> Properties() const override;

  // True when not enabled; otherwise when some pair names the foreground window.
  bool IfActive(const WindowSystem& system) const;
  // True when not enabled; otherwise when no pair names the foreground window.
  bool IfNotActive(const WindowSystem& system) const;
  // True when not enabled or both lists are empty; otherwise when a pair names a top-level
  // window. With `activate` the first such window (pairs in order, windows in z-order) is brought
  // to the foreground; the result does not depend on whether that works.
  bool IfExists(WindowSystem& system, bool activate) const;
  // True when not enabled; otherwise the negation of IfExists without activation.
  bool IfNotExists(const WindowSystem& system) const;

  bool Enbl = false;
};

// The most extra runs of an action: the dispatcher takes the count as one byte.
inline constexpr int16_t kMaxRept = 255;

// The switches and window conditions of an action. Copying copies every field, the conditions
// with their lists.
class TActionExecOn final : public Persistent {
 public:
  std::span<const Property> Properties() const override;

  bool Nevr = false;          // never run (a folder: nor its direct children)
  TActionExecOnWItem IfWa;    // only if one of the windows is active
  TActionExecOnWItem IfWi;    // only if none of the windows is active
  TActionExecOnWItem IfWe;    // only if one of the windows exists
  TActionExecOnWItem IfNW;    // only if none of the windows exists
  TActionExecOnWItem StFW;    // bring the first existing window to the foreground first
  bool StFD = false;          // bring the desktop to the foreground first
  bool Blck = false;          // swallow the hot key even when the action does not run
  bool nOSD = false;          // no OSD notification
  bool Thrd = false;          // run on the user-interface thread instead of a worker thread
  uint32_t Lang = 0;          // keyboard layout that must be active; 0 any
  uint32_t SetLangAfter = 0;  // keyboard layout to switch the foreground window to after a run
  int16_t Rept = 0;           // extra runs, 0 to kMaxRept
  bool MBox = false;          // ask before running
  bool MSwa = false;          // activate the window under the mouse cursor first
  bool DontBlockHotKey = false;
  bool ExecOnRepeat = false;  // only on a second press within 500 ms
  bool ModOnlyL = false;      // only with a left-hand modifier held
  bool ModOnlyR = false;      // only with a right-hand modifier held
};

}  // namespace tavion
