#pragma once
// Panora's decisions, free of Windows: what a command line asks, which windows belong to a
// desktop, what a switch hides and shows, and the stored list of hidden windows. Portable.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace panora {

constexpr int kDesktopCount = 4;

enum class CommandKind : uint8_t {
  kNone,     // started by hand without a command: stay resident
  kSwitch,   // "0" to "3"
  kExit,     // "X" (and "/UnInstall"): show every hidden window and end
  kOptions,  // "/Options"
  kHelp,     // "/Help"
  kUnknown,  // anything else
};

struct Command {
  CommandKind kind = CommandKind::kNone;
  int desktop = 0;          // kSwitch: 0 to 3
  uint64_t hostWindow = 0;  // Tavion's main window from the command line, 0 when absent
  std::string text;         // the command as given (for kUnknown's message)
};

// The arguments after the program's name: "<command> <window handle>". Commands ignore case;
// the handle is a decimal number and may be missing. A second argument that is no number makes
// the command unknown, as do further arguments.
Command ParseCommand(const std::vector<std::string>& args);

// The text a resident instance is handed by a second start: the command and the handle.
std::string CommandText(const Command& command);

// A top-level window as the desktop bookkeeping knows it: a handle is only trusted while the
// window still belongs to the same process (handles are reused after a window is closed).
struct WindowRef {
  uint64_t handle = 0;
  uint32_t process = 0;
  friend bool operator==(const WindowRef&, const WindowRef&) = default;
};

// What Windows tells of a top-level window, for deciding whether it belongs to a desktop.
struct WindowFacts {
  std::string className;
  uint32_t process = 0;
  bool visible = false;
  bool owned = false;       // has an owner window: it goes with its owner
  bool toolWindow = false;  // WS_EX_TOOLWINDOW
  bool appWindow = false;   // WS_EX_APPWINDOW: on the task bar even as a tool window
};

// The processes whose windows never move: Panora's own and Tavion's (0 when unknown).
struct Exclusions {
  uint32_t ownProcess = 0;
  uint32_t hostProcess = 0;
};

// Whether the window is an application window of the current desktop: visible, unowned, no
// tool window, not the shell's desktop or task bar, not Tavion's main window, and of neither
// excluded process.
bool BelongsToDesktop(const WindowFacts& window, const Exclusions& exclusions);

// What one switch does: hide these, show those (bottom of the z-order first), activate one.
struct SwitchPlan {
  std::vector<WindowRef> hide;
  std::vector<WindowRef> show;
  std::optional<WindowRef> activate;
};

// Four desktops: the current one and, for each other, the windows hidden when it was left and
// the window that was active then.
class VirtualDesktops {
 public:
  int Current() const { return current_; }

  // Leaves the current desktop for `target`. `visible` are the windows of the current desktop
  // now, top of the z-order first; `foreground` is the active window. The windows become the
  // left desktop's (and no other's: a window the user brought back by other means moves with
  // the desktop it is seen on); the target's windows are shown and forgotten. A switch to the
  // current desktop, or to one out of range, changes nothing.
  SwitchPlan Switch(int target, const std::vector<WindowRef>& visible,
                    std::optional<WindowRef> foreground);

  // Every window hidden on any desktop, forgetting them all ("X", the end of the session).
  std::vector<WindowRef> TakeAllHidden();

  // Every hidden window, for the stored list.
  std::vector<WindowRef> AllHidden() const;

 private:
  int current_ = 0;
  std::array<std::vector<WindowRef>, kDesktopCount> hidden_;
  std::array<std::optional<WindowRef>, kDesktopCount> lastActive_;
};

// The stored list of hidden windows: "handle:process" in decimal, separated by ";".
std::string FormatHiddenList(const std::vector<WindowRef>& windows);
// Reads a stored list; malformed entries are skipped, and at most `limit` entries are read.
std::vector<WindowRef> ParseHiddenList(std::string_view text, std::size_t limit = 4096);

}  // namespace panora
