#include "osd/notify_action_win.h"

#include <cstring>

#include <mmsystem.h>

#include <string>

#include "actions/action.h"
#include "base/message_wait_win.h"
#include "base/utf_win.h"
#include "exec/sounds.h"
#include "exec/volume_win.h"
#include "exec/window_actions.h"
#include "exec/window_actions_win.h"
#include "keys/key_text.h"
#include "exec/main_messages.h"
#include "forms/message_box_win.h"

namespace tavion {

bool Win32NotifySystem::Terminating() {
  return ending_ || (services_.terminating && services_.terminating());
}

bool Win32NotifySystem::HotKeysDisabled() {
  return services_.hotKeysDisabled && services_.hotKeysDisabled();
}

std::optional<NotifiedAction> Win32NotifySystem::ActionAt(int index) {
  if (!services_.actionAt) return std::nullopt;
  const TAction* action = services_.actionAt(index);
  if (action == nullptr) return std::nullopt;
  return DescribeAction(*action);
}

MasterVolume Win32NotifySystem::ReadVolume() {
  return tavion::ReadMasterVolume();
}

bool Win32NotifySystem::WaveDevicePresent() {
  return waveOutGetNumDevs() > 0;
}

bool Win32NotifySystem::LockKeyToggled(uint32_t keyCode) {
  // This thread rarely has the keyboard, so its own key state lags behind the lock keys; the
  // thread of the foreground window has seen the press. Sharing its input state for the moment
  // of the query reads that one.
  const DWORD self = GetCurrentThreadId();
  const DWORD foreground = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  const bool attached =
      foreground != 0 && foreground != self && AttachThreadInput(self, foreground, TRUE);
  const bool toggled = (GetKeyState(static_cast<int>(keyCode)) & 1) != 0;
  if (attached) AttachThreadInput(self, foreground, FALSE);
  return toggled;
}

std::string Win32NotifySystem::KeyName(uint32_t keyCode, uint32_t flags) {
  return KeyToText(keyCode, /*scanCode=*/0, flags, /*useConversion=*/true,
                   /*useUserNames=*/true);
}

std::string Win32NotifySystem::PlayerTrackText(std::string_view code) {
  return services_.playerTrackText ? services_.playerTrackText(code) : std::string();
}

std::optional<int> Win32NotifySystem::ForegroundAlpha() {
  return WindowOpacity(GetForegroundWindow());
}

void Win32NotifySystem::PlayExecutionSound() {
  PlaySoundFile("run.wav", MB_ICONEXCLAMATION, /*honourOption=*/true, /*beepWhenMissing=*/true,
                SND_ASYNC, services_.executionSound && services_.executionSound());
}

void Win32NotifySystem::WaitBriefly() {
  if (!WaitProcessingMessages(100)) ending_ = true;
}

void Win32NotifySystem::ShowInformation(const std::string& text) {
  ShowMessageBox(text, MessageDialogType::Information, MessageButtons::Ok);
}

void Win32NotifySystem::ShowOSD(const std::string& text, bool checkEnabled, int iconIndex,
                                uint8_t kind) {
  // The application may have ended during the volume's wait; nothing is shown then.
  if (ending_ || !services_.showOsd) return;
  services_.showOsd(text, checkEnabled, iconIndex, kind);
}

void NotifyAction(WPARAM wParam, LPARAM lParam, const NotifyServices& services) {
  if (wParam == 0) return;
  Win32NotifySystem system(services);
  if (wParam == kNotifyLockState) {
    NotifyAction(kLockStateCode, static_cast<int>(lParam), system);
    return;
  }
  // The index is a signed 16-bit tree index; -1 arrives sign-extended.
  const int index = lParam < 0 || lParam > 0x7FFF ? -1 : static_cast<int>(lParam);
  const auto* notice = reinterpret_cast<const NotifyNotice*>(wParam);
  NotifyAction(notice->code, index, system, notice->result);
}

std::optional<int> WindowOpacity(HWND window) {
  if (window == nullptr || !IsWindow(window)) return std::nullopt;
  // The system does not always report an opacity it was given (Wine reports 0), so the
  // program's own record comes first.
  return TransparentWindows()
      .AlphaOf(reinterpret_cast<uintptr_t>(window))
      .value_or(WindowAlpha(window));
}

}  // namespace tavion

extern "C" void WINAPI PlugShowOSD(const char* text) {
  try {
    if (text == nullptr) {
      tavion::TakePendingOsdText();
      return;
    }
    // A plug-in's text is read up to its end or a bound, whichever comes first.
    constexpr size_t kMaxPluginText = 4096;
    const std::wstring wide =
        tavion::AnsiToWide(std::string_view(text, strnlen(text, kMaxPluginText)));
    tavion::SetPendingOsdText(tavion::WideToUtf8(wide));
  } catch (...) {
    // Nothing may unwind into a plug-in; without memory the line is simply not added.
  }
}
