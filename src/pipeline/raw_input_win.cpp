#include "pipeline/raw_input_win.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "base/utf_win.h"
#include "base/window_requests_win.h"
#include "forms/message_box_win.h"
#include "keys/hook_messages.h"
#include "pipeline/raw_input.h"

extern "C" const char* WINAPI FormateErrorStr(DWORD code);

namespace tavion {
namespace {

// Room for the longest record that names an event, in this build's layout (larger handles).
constexpr UINT kRecordBuffer = kMaxRawRecord - 16 + sizeof(RAWINPUTHEADER);
constexpr UINT kFailed = static_cast<UINT>(-1);

class BoundRawInput {
 public:
  BoundRawInput() : module_(LoadLibraryW(L"user32.dll")) {
    HMODULE module = module_.get();
    table_.getData = ResolveFunction<RawInputFunctions::GetDataFn>(module, "GetRawInputData");
    table_.deviceInfoA =
        ResolveFunction<RawInputFunctions::DeviceInfoAFn>(module, "GetRawInputDeviceInfoA");
    table_.deviceInfoW =
        ResolveFunction<RawInputFunctions::DeviceInfoWFn>(module, "GetRawInputDeviceInfoW");
    table_.deviceInfo = table_.deviceInfoW;
    table_.deviceList =
        ResolveFunction<RawInputFunctions::DeviceListFn>(module, "GetRawInputDeviceList");
    table_.buffer = ResolveFunction<RawInputFunctions::BufferFn>(module, "GetRawInputBuffer");
    table_.registeredDevices = ResolveFunction<RawInputFunctions::RegisteredDevicesFn>(
        module, "GetRegisteredRawInputDevices");
    table_.registerDevices =
        ResolveFunction<RawInputFunctions::RegisterFn>(module, "RegisterRawInputDevices");
  }
  const RawInputFunctions& Table() const { return table_; }

 private:
  UniqueModule module_;
  RawInputFunctions table_;
};

void ShowRawInputError(const char* prefix) {
  const DWORD code = GetLastError();
  // The system's text is in the ANSI code page.
  const char* reason = FormateErrorStr(code);
  ShowMessageBox(std::string(prefix) + ": \r\n" + (reason ? WideToUtf8(AnsiToWide(reason)) : ""),
                 MessageDialogType::Error, MessageButtons::Ok);
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  if (window == nullptr || GetClassNameW(window, name, 64) == 0) return {};
  return name;
}

// The class of this program's window under the mouse cursor; nullopt when there is none.
std::optional<std::wstring> ProgramClassUnderCursor() {
  POINT cursor;
  if (!GetCursorPos(&cursor)) return std::nullopt;
  HWND under = WindowFromPoint(cursor);
  DWORD process = 0;
  if (under == nullptr || GetWindowThreadProcessId(under, &process) == 0 ||
      process != GetCurrentProcessId())
    return std::nullopt;
  return ClassOf(under);
}

}  // namespace

const RawInputFunctions& RawInputApi() {
  static const BoundRawInput bound;
  return bound.Table();
}

void TRawInputClass::RegisterDevices(bool keyboards) {
  registered_ = false;
  if (!api_.deviceList) return;
  UINT count = 0;
  if (api_.deviceList(nullptr, &count, sizeof(RAWINPUTDEVICELIST)) == kFailed) {
    ShowRawInputError("GetRawInputDeviceList1");
    return;
  }
  std::vector<RAWINPUTDEVICELIST> list(count);
  // A device plugged in between the two calls makes the second fail: nothing is registered then.
  count = count == 0 ? 0 : api_.deviceList(list.data(), &count, sizeof(RAWINPUTDEVICELIST));
  if (count == kFailed) count = 0;
  list.resize(count);

  std::vector<RawDeviceUsage> devices;
  devices.reserve(list.size());
  for (const RAWINPUTDEVICELIST& device : list) {
    RID_DEVICE_INFO info = {};
    info.cbSize = sizeof info;
    UINT size = sizeof info;
    if (!api_.deviceInfo ||
        api_.deviceInfo(device.hDevice, RIDI_DEVICEINFO, &info, &size) == kFailed)
      continue;
    RawDeviceUsage usage{
        static_cast<RawDeviceKind>(info.dwType <= RIM_TYPEHID ? info.dwType : RIM_TYPEHID)};
    if (info.dwType == RIM_TYPEHID) {
      usage.usagePage = info.hid.usUsagePage;
      usage.usage = info.hid.usUsage;
    }
    devices.push_back(usage);
  }
  std::vector<RAWINPUTDEVICE> entries;
  for (const RawDeviceUsage& usage : RawRegistrationUsages(devices, keyboards))
    entries.push_back({usage.usagePage, usage.usage, RIDEV_INPUTSINK, target_});
  if (entries.empty() || !api_.registerDevices) return;
  registered_ = api_.registerDevices(entries.data(), static_cast<UINT>(entries.size()),
                                     sizeof(RAWINPUTDEVICE)) != FALSE;
  if (!registered_) ShowRawInputError("GetRawInputDeviceList2");
}

void TRawInputClass::ProcessInput(HRAWINPUT input, const RawInputOptions& options) const {
  if (!enabled_ || !api_.getData) return;
  RAWINPUTHEADER header = {};
  UINT size = sizeof header;
  if (api_.getData(input, RID_HEADER, &header, &size, sizeof(RAWINPUTHEADER)) == kFailed) return;
  if (header.dwSize > kRecordBuffer) return;  // too long to name an event
  uint8_t record[kRecordBuffer] = {};
  size = sizeof record;
  const UINT length = api_.getData(input, RID_INPUT, record, &size, sizeof(RAWINPUTHEADER));
  if (length == kFailed || length > sizeof record) return;
  std::optional<RawRecord> raw = ToRawRecord({record, length}, sizeof(HANDLE));
  if (!raw) return;
  const RawDeviceKind kind = raw->kind;
  const std::optional<std::string> text = RawKeyText(std::move(*raw), options);
  if (!text) return;

  // A short string: one length byte, then the characters; it lives only during the send.
  unsigned char message[256] = {};
  const std::size_t characters = std::min<std::size_t>(text->size(), 255);
  message[0] = static_cast<unsigned char>(characters);
  std::memcpy(message + 1, text->data(), characters);
  const auto address = reinterpret_cast<WPARAM>(message);

  HWND focus = GetFocus();
  const std::optional<std::wstring> under =
      kind == RawDeviceKind::kMouse ? ProgramClassUnderCursor() : std::nullopt;
  switch (RouteRawText(ClassOf(focus), kind, under)) {
    case RawTextRoute::kCaptureControl:
      SendMessageW(focus, kMsgCaptureHidKey, address, 0);
      break;
    case RawTextRoute::kDispatch:
      if (target_) SendMessageW(target_, kMsgKeyEvent, address, kHidKeyEventMarker);
      break;
    case RawTextRoute::kDrop:
      break;
  }
}

}  // namespace tavion
