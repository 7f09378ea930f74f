#pragma once
// The key handler's view of the system under Win32, reporting to the main window.

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "actions/window_system_win.h"
#include "keys/key_input_win.h"
#include "pipeline/key_dispatch.h"

namespace tavion {

class Win32DispatchHost final : public DispatchHost {
 public:
  // Posts and sends to `mainWindow`; raises windows with `forceForeground` (may be null, see
  // Win32WindowSystem); plays key-press sounds from `resourceFolder` (no final backslash).
  Win32DispatchHost(HWND mainWindow, ForceForegroundWindowFn forceForeground,
                    std::wstring resourceFolder);

  // Whether one of the editors that capture keys themselves is visible; none when unset.
  void SetEditorVisibleQuery(std::function<bool()> query) { editorVisible_ = std::move(query); }
  // The macro recorder's list while it records (not owned), or null. User-interface thread.
  void SetRecordingList(std::vector<std::string>* lines) { recording_ = lines; }
  // While set, SendKeys keeps the keys for TakeDeferredKeys instead of sending them: a handler
  // call on the user-interface thread that holds the handler's lock must not inject, as the
  // injection waits for the hook thread, which may be waiting for the lock. Returns the old value.
  bool SetDeferKeys(bool defer) { return std::exchange(deferKeys_, defer); }
  std::vector<KeyInput> TakeDeferredKeys() { return std::exchange(deferred_, {}); }

  const KeyState& Keys() const override { return LiveKeyboardState(); }
  WindowSystem& Windows() override { return windows_; }
  bool EditorVisible() const override { return editorVisible_ && editorVisible_(); }
  uint32_t TickCount() const override { return GetTickCount(); }
  uint32_t ForegroundKeyboardLayout() const override;
  // "<languageId>.wav", else "Default.wav"; nothing when neither exists.
  void PlayKeyPressSound(uint16_t languageId) override;
  WindowHandle TopLevelWindowUnderCursor() const override;
  WindowHandle DesktopWindow() const override { return ToWindowHandle(GetDesktopWindow()); }
  void Beep() override;
  void SendKeys(std::span<const KeyInput> events) override;
  // A window of class "TAVION_NOTIFYWINDOW" of this process.
  // WM_TV_EXECUTE with a new std::string of `code`, which the handler frees.
  bool PostExecute(const std::string& code, uint32_t packedIndex) override;
  bool PostAskLaunch(std::size_t treeIndex, uint32_t packedIndex) override;
  void NotifyLockState(uint8_t keyCode) override;
  std::vector<std::string>* RecordingList() override { return recording_; }
  // Posts WM_TV_RECORD_KEY: the list belongs to the user-interface thread.
  void RecordKey(uint32_t layout, std::string item) override;

 private:
  HWND mainWindow_;
  Win32WindowSystem windows_;
  std::wstring resourceFolder_;
  std::function<bool()> editorVisible_;
  std::vector<std::string>* recording_ = nullptr;
  bool deferKeys_ = false;
  std::vector<KeyInput> deferred_;
};

}  // namespace tavion
