#include "ui/tray_icon_win.h"

#include <shellapi.h>

#include <algorithm>
#include <cwchar>
#include <vector>

#include "exec/main_messages.h"

namespace tavion {
namespace {

constexpr UINT kTrayIconId = 1;

}  // namespace

NOTIFYICONDATAW TrayIcon::Data(UINT flags) const {
  NOTIFYICONDATAW data = {};
  // The Windows 2000 layout: tip of 128 characters and balloon fields, no GUID.
  data.cbSize = NOTIFYICONDATAW_V2_SIZE;
  data.hWnd = owner_;
  data.uID = kTrayIconId;
  data.uFlags = flags;
  data.uCallbackMessage = WM_TV_TRAY;
  data.hIcon = CurrentIcon();
  const size_t room = std::size(data.szTip) - 1;
  wcsncpy(data.szTip, tip_.c_str(), room);
  data.szTip[room] = L'\0';
  data.uTimeout = 5;
  return data;
}

HICON TrayIcon::CurrentIcon() const {
  if (image_) return image_;
  if (disabled_ && disabledIcon_) return disabledIcon_.get();
  return normal_;
}

void TrayIcon::SetNormalIcon(HICON normal) {
  normal_ = normal;
  Refresh();
}

void TrayIcon::SetImage(int index, HICON image, bool remembered) {
  if (index >= 2) {
    image_ = image;
  } else if (index >= 0) {
    if (!blank_) {
      // A small icon whose every pixel is transparent.
      const int cx = GetSystemMetrics(SM_CXSMICON);
      const int cy = GetSystemMetrics(SM_CYSMICON);
      std::vector<uint8_t> andMask(static_cast<size_t>((cx + 15) / 16 * 2 * cy), 0xFF);
      std::vector<uint8_t> xorMask(andMask.size(), 0);
      blank_.reset(
          CreateIcon(GetModuleHandleW(nullptr), cx, cy, 1, 1, andMask.data(), xorMask.data()));
    }
    if (CurrentIcon() != blank_.get()) remembered_ = CurrentIcon();
    image_ = blank_.get();
  } else {
    image_ = remembered && remembered_ && remembered_ != normal_ ? remembered_ : nullptr;
  }
  Refresh();
}

bool TrayIcon::Show(HWND owner, HICON normal, const std::wstring& tip, bool disabled) {
  owner_ = owner;
  normal_ = normal;
  tip_ = tip;
  disabled_ = disabled;
  NOTIFYICONDATAW data = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO);
  shown_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
  return shown_;
}

void TrayIcon::Hide() {
  if (!shown_) return;
  NOTIFYICONDATAW data = Data(0);
  // The icon is gone for us either way; a failure means the shell lost it already.
  Shell_NotifyIconW(NIM_DELETE, &data);
  shown_ = false;
}

bool TrayIcon::Refresh() {
  if (!shown_) return false;
  NOTIFYICONDATAW data = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP);
  if (Shell_NotifyIconW(NIM_MODIFY, &data)) return true;
  return Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

bool TrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text) {
  if (!shown_) return false;
  NOTIFYICONDATAW data = Data(NIF_INFO);
  const auto copy = [](auto& field, const std::wstring& from) {
    const size_t room = std::size(field) - 1;
    wcsncpy(field, from.c_str(), room);
    field[room] = L'\0';
  };
  copy(data.szInfoTitle, title);
  copy(data.szInfo, text);
  data.dwInfoFlags = NIIF_WARNING;
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

void TrayIcon::SetTip(const std::wstring& tip) {
  tip_ = tip;
  Refresh();
}

void TrayIcon::SetDisabled(bool disabled, HICON overlay) {
  disabled_ = disabled;
  disabledIcon_ = disabled ? ComposeIcons(normal_, overlay) : UniqueIcon();
  Refresh();
}

UniqueIcon ComposeIcons(HICON base, HICON overlay) {
  if (!base || !overlay) return UniqueIcon();
  const int cx = GetSystemMetrics(SM_CXSMICON);
  const int cy = GetSystemMetrics(SM_CYSMICON);
  const WindowDc screen(nullptr);
  if (!screen) return UniqueIcon();
  const UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = cx;
  info.bmiHeader.biHeight = -cy;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const UniqueBitmap color(
      CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const UniqueBitmap mask(CreateBitmap(cx, cy, 1, 1, nullptr));
  if (!dc || !color || !mask || !bits) return UniqueIcon();
  {
    const ScopedSelection select(dc.get(), color.get());
    std::fill_n(static_cast<uint32_t*>(bits), cx * cy, 0u);
    DrawIconEx(dc.get(), 0, 0, base, cx, cy, 0, nullptr, DI_NORMAL);
    DrawIconEx(dc.get(), 0, 0, overlay, cx, cy, 0, nullptr, DI_NORMAL);
  }
  // The colour bitmap carries alpha, so the mask only needs to be all zero (opaque where the
  // alpha says so).
  if (const UniqueMemoryDc maskDc(CreateCompatibleDC(screen.get())); maskDc) {
    const ScopedSelection select(maskDc.get(), mask.get());
    PatBlt(maskDc.get(), 0, 0, cx, cy, BLACKNESS);
  }
  ICONINFO iconInfo = {};
  iconInfo.fIcon = TRUE;
  iconInfo.hbmColor = color.get();
  iconInfo.hbmMask = mask.get();
  return UniqueIcon(CreateIconIndirect(&iconInfo));
}

}  // namespace tavion
