#include "pipeline/key_dispatch_host_win.h"

#include <mmsystem.h>

#include <memory>

#include "base/file_exists_win.h"
#include "exec/main_messages.h"

namespace tavion {

Win32DispatchHost::Win32DispatchHost(HWND mainWindow, ForceForegroundWindowFn forceForeground,
                                     std::wstring resourceFolder)
    : mainWindow_(mainWindow),
      windows_(forceForeground),
      resourceFolder_(std::move(resourceFolder)) {}

uint32_t Win32DispatchHost::ForegroundKeyboardLayout() const {
  const DWORD thread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  // A layout handle carries its value in the low 32 bits, also in a 64-bit process.
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(GetKeyboardLayout(thread)));
}

void Win32DispatchHost::PlayKeyPressSound(uint16_t languageId) {
  std::wstring file = resourceFolder_ + L"\\" + std::to_wstring(languageId) + L".wav";
  if (!FileExists(file)) file = resourceFolder_ + L"\\Default.wav";
  if (!FileExists(file)) return;
  // Without a sound device this fails; a key-press sound is not worth a beep.
  PlaySoundW(file.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
}

WindowHandle Win32DispatchHost::TopLevelWindowUnderCursor() const {
  POINT cursor;
  if (!GetCursorPos(&cursor)) return 0;
  const HWND window = WindowFromPoint(cursor);
  return window ? ToWindowHandle(GetAncestor(window, GA_ROOT)) : 0;
}

void Win32DispatchHost::Beep() {
  MessageBeep(MB_OK);
}

void Win32DispatchHost::SendKeys(std::span<const KeyInput> events) {
  if (deferKeys_) {
    deferred_.insert(deferred_.end(), events.begin(), events.end());
    return;
  }
  // Input that another program blocks cannot be helped from inside the hook; the key goes on.
  SendKeyInputs(events);
}

bool Win32DispatchHost::PostExecute(const std::string& code, uint32_t packedIndex) {
  auto text = std::make_unique<std::string>(code);
  if (!PostMessageW(mainWindow_, WM_TV_EXECUTE, reinterpret_cast<WPARAM>(text.get()),
                    static_cast<LPARAM>(packedIndex))) {
    return false;
  }
  text.release();  // the handler of WM_TV_EXECUTE owns it now
  return true;
}

void Win32DispatchHost::RecordKey(uint32_t layout, std::string item) {
  auto text = std::make_unique<std::string>(std::move(item));
  if (PostMessageW(mainWindow_, WM_TV_RECORD_KEY, layout, reinterpret_cast<LPARAM>(text.get())))
    text.release();  // the handler of WM_TV_RECORD_KEY owns it now
}

bool Win32DispatchHost::PostAskLaunch(std::size_t treeIndex, uint32_t packedIndex) {
  return PostMessageW(mainWindow_, WM_TV_ASK_LAUNCH, static_cast<WPARAM>(treeIndex),
                      static_cast<LPARAM>(packedIndex)) != FALSE;
}

void Win32DispatchHost::NotifyLockState(uint8_t keyCode) {
  // Posted: the notification waits for the foreground program, which must not hold the hook.
  PostMessageW(mainWindow_, WM_TV_NOTIFY, kNotifyLockState, keyCode);
}

}  // namespace tavion
