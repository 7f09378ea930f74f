#pragma once
// Raw input (Windows XP and later): the devices registered for the main window, and each
// WM_INPUT turned into a raw key text for the key handler or the focused capture control.

#include <windows.h>

#include "base/handles_win.h"
#include "keys/raw_key_text.h"

namespace tavion {

// The raw input entry points of "user32.dll", each null where the system lacks it.
struct RawInputFunctions {
  using GetDataFn = UINT(WINAPI*)(HRAWINPUT, UINT, LPVOID, PUINT, UINT);
  using DeviceInfoAFn = UINT(WINAPI*)(HANDLE, UINT, LPVOID, PUINT);
  using DeviceInfoWFn = UINT(WINAPI*)(HANDLE, UINT, LPVOID, PUINT);
  using DeviceListFn = UINT(WINAPI*)(PRAWINPUTDEVICELIST, PUINT, UINT);
  using BufferFn = UINT(WINAPI*)(PRAWINPUT, PUINT, UINT);
  using RegisteredDevicesFn = UINT(WINAPI*)(PRAWINPUTDEVICE, PUINT, UINT);
  using RegisterFn = BOOL(WINAPI*)(PCRAWINPUTDEVICE, UINT, UINT);

  GetDataFn getData = nullptr;
  DeviceInfoAFn deviceInfoA = nullptr;
  DeviceInfoWFn deviceInfoW = nullptr;
  DeviceInfoWFn deviceInfo = nullptr;  // the one used: the wide one
  DeviceListFn deviceList = nullptr;
  BufferFn buffer = nullptr;
  RegisteredDevicesFn registeredDevices = nullptr;
  RegisterFn registerDevices = nullptr;
};

// The process's table, bound by name on the first call; the module stays loaded until the
// process ends.
const RawInputFunctions& RawInputApi();

// The raw-input layer of the main window: disabled until the first showing enables it, and
// again from the close handler on.
class TRawInputClass {
 public:
  explicit TRawInputClass(const RawInputFunctions& api = RawInputApi()) : api_(api) {}
  ~TRawInputClass() { enabled_ = false; }
  TRawInputClass(const TRawInputClass&) = delete;
  TRawInputClass& operator=(const TRawInputClass&) = delete;

  // Events are processed from now on and reported to `target`, which the devices register for.
  void Enable(HWND target) {
    target_ = target;
    enabled_ = true;
  }
  // WM_INPUT is ignored from now on.
  void Disable() { enabled_ = false; }
  bool Enabled() const { return enabled_; }
  // Whether the last registration succeeded.
  bool Registered() const { return registered_; }

  // Registers every device present for the target window, one entry per device, keyboards only
  // when `keyboards`, so that their events arrive also while another program is in front. A
  // failure of the system is shown in a message box; a system without raw input is no failure.
  void RegisterDevices(bool keyboards);

  // The event of one WM_INPUT (its lParam): its text, sent while the call lasts to the focused
  // capture control as 0x46B, or to the target as 0x466 with lParam 666; `options` decide which
  // events count. Nothing happens while disabled, for an event the options leave out, and for a
  // record too long to name an event.
  void ProcessInput(HRAWINPUT input, const RawInputOptions& options) const;

 private:
  const RawInputFunctions& api_;
  bool enabled_ = false;
  HWND target_ = nullptr;
  bool registered_ = false;
};

}  // namespace tavion
