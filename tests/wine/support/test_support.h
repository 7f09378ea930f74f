#pragma once
// What every Wine test program needs: a message pump that waits for a condition, windows of the
// test thread that record what they receive, and a guard that puts a process-wide switch back.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace wine_test {

// Handles this thread's messages until `done` holds or `timeoutMs` passes; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);

// Handles the messages already waiting for this thread, then returns. Callers that must prove
// that something did NOT happen post themselves a sentinel first and pump until it arrives.
void PumpPending();

// Posts this thread a sentinel and pumps until it comes out of the queue: every message posted to
// this thread's windows before the call has been handled by then.
bool PumpThroughSentinel();

struct WindowDesign {
  const wchar_t* className = L"TavionWineTestWindow";
  const wchar_t* caption = L"Tavion test";
  DWORD style = WS_OVERLAPPEDWINDOW;  // add WS_VISIBLE for a shown window
  DWORD exStyle = 0;
  HWND parent = nullptr;  // parent of a child window, owner of a top-level one
  int x = 100;
  int y = 100;
  int width = 400;
  int height = 300;
};

struct Message {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  bool fromOtherThread = false;  // sent by another thread (InSendMessage)
};

// A window of this thread. Every message it receives is recorded when `record` accepts it (all
// but the usual window-management noise by default: see RecordedByDefault); `answer` may handle
// a message and give its result, the rest go to DefWindowProc.
class TestWindow {
 public:
  explicit TestWindow(const WindowDesign& design = {});
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  // The recorded messages with this number, in the order they came.
  std::vector<Message> Of(UINT message) const;
  bool Got(UINT message) const { return !Of(message).empty(); }
  // Number, wParam and lParam of the recorded messages (with this number unless 0), for
  // comparing whole sequences.
  std::vector<std::tuple<UINT, WPARAM, LPARAM>> Triples(UINT message = 0) const;
  void Destroy();

  std::function<bool(UINT message)> record = RecordedByDefault;
  std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)> answer;
  std::vector<Message> messages;

  // Application, command, key, scroll, hot-key and system-command messages: what the code under
  // test sends or posts to a window.
  static bool RecordedByDefault(UINT message);

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

// Makes `window` the foreground window; returns whether it is.
bool MakeForeground(HWND window);

// The folder of the test program, without a trailing backslash.
std::wstring ProgramFolder();
// A name that no other test, run or process uses.
std::wstring UniqueName(const wchar_t* stem);

// Runs `undo` when the scope ends, however the test leaves it (a failed ASSERT returns early).
template <typename Undo>
class ScopeExit {
 public:
  explicit ScopeExit(Undo undo) : undo_(std::move(undo)) {}
  ~ScopeExit() { undo_(); }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  Undo undo_;
};

// Events for SendInput: a key with its mapped scan code, a mouse event. Inject sends them in one
// call and tells whether all went.
INPUT KeyInput(WORD vk, bool up, ULONG_PTR extraInfo = 0, bool extended = false);
INPUT MouseInput(DWORD flags, DWORD data = 0, ULONG_PTR extraInfo = 0);
// The pointer moved to `screen` with `flags` (a button going down or up there) at once.
INPUT MouseAt(POINT screen, DWORD flags = 0);
bool Inject(std::vector<INPUT> inputs);

// The top-level windows of class `className` (of process `process` unless it is 0, captioned
// `caption` unless it is null), in z-order.
std::vector<HWND> TopLevelWindows(const wchar_t* className, DWORD process = 0,
                                  const wchar_t* caption = nullptr);

// The first visible one of those windows, waited for; null when none came in time.
HWND WaitForWindow(const wchar_t* className, DWORD process = 0, const wchar_t* caption = nullptr,
                   DWORD timeoutMs = 10000);

// The child windows of `parent` of `className` (any case), in z-order (creation order unless
// moved).
std::vector<HWND> ChildrenOfClass(HWND parent, const wchar_t* className);

// Writes `bytes` as the whole file `path`; false when it cannot be written whole.
bool WriteWholeFile(const std::wstring& path, std::string_view bytes);

// The text of a window, read with a bound: a hung window does not hang the caller.
std::wstring WindowText(HWND window);

// Answers the next message box of this process captioned "Tavion" with `button` (IDOK, ...) and
// waits until it is gone; its text, or nothing when none came within `timeoutMs`.
std::optional<std::wstring> AnswerBox(int button, DWORD timeoutMs = 10000);

// The control with the keyboard focus in the thread of `window`.
HWND FocusIn(HWND window);

// A process started by a test, ended by its handle when the object goes while it still runs.
class Process {
 public:
  Process() = default;
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // Starts `commandLine` (the program first); false when it cannot be started.
  bool Start(std::wstring commandLine);
  // Waits for the process to end; its exit code, or nothing on time-out.
  std::optional<DWORD> WaitForExit(DWORD timeoutMs = 15000) const;

  PROCESS_INFORMATION info{};
};

// Handles this thread's messages one at a time until `done` holds or `timeoutMs` passes, calling
// `each` after every one: for following a state that any message may change.
bool PumpEachUntil(const std::function<bool()>& done, const std::function<void()>& each,
                   DWORD timeoutMs = 10000);

// Waits, handling nothing, until a posted `message` for `window` is in this thread's queue, and
// leaves it there; false when none came in time.
bool WaitForQueued(HWND window, UINT message, DWORD timeoutMs = 5000);

// Captures the whole X display with ImageMagick's `import` (Wine starts Unix programs through
// CreateProcess) into $TAVION_SCREENSHOTS/NAME.png and waits until the file is complete.
// Returns false when the folder is not set or the capture does not finish within 20 s.
bool SaveScreenshot(const std::string& name);

}  // namespace wine_test
