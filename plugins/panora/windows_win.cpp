#include "windows_win.h"

namespace panora {
namespace {

constexpr wchar_t kKey[] = L"Software\\Quillon\\Tavion\\Panora";
constexpr wchar_t kHiddenValue[] = L"Hidden";
constexpr wchar_t kNoticeValue[] = L"ShowNotice";
// Far more than any session's windows need; a longer value is not ours and reads as missing.
constexpr DWORD kHiddenListLimit = 256 * 1024;

struct Enumeration {
  const Exclusions* exclusions;
  std::vector<WindowRef> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
  auto& enumeration = *reinterpret_cast<Enumeration*>(context);
  wchar_t className[256] = {};
  GetClassNameW(window, className, 256);
  const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
  const std::optional<WindowRef> ref = RefOf(window);
  if (!ref) return TRUE;
  const WindowFacts facts{.className = Narrow(className),
                          .process = ref->process,
                          .visible = IsWindowVisible(window) != FALSE,
                          .owned = GetWindow(window, GW_OWNER) != nullptr,
                          .toolWindow = (exStyle & WS_EX_TOOLWINDOW) != 0,
                          .appWindow = (exStyle & WS_EX_APPWINDOW) != 0};
  if (BelongsToDesktop(facts, *enumeration.exclusions)) enumeration.windows.push_back(*ref);
  return TRUE;
}

// The window still is the one remembered: alive and of the same process.
HWND Live(const WindowRef& window) {
  const HWND handle = ToHandle(window.handle);
  const std::optional<WindowRef> now = RefOf(handle);
  return now && *now == window ? handle : nullptr;
}

class Key {
 public:
  explicit Key(bool create) {
    const LSTATUS status = create ? RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0,
                                                    KEY_READ | KEY_WRITE, nullptr, &key_, nullptr)
                                  : RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key_);
    if (status != ERROR_SUCCESS) key_ = nullptr;
  }
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

HWND ToHandle(uint64_t handle) {
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(handle));
}

std::optional<WindowRef> RefOf(HWND window) {
  DWORD process = 0;
  if (!window || !GetWindowThreadProcessId(window, &process)) return std::nullopt;
  return WindowRef{reinterpret_cast<uintptr_t>(window), process};
}

std::vector<WindowRef> DesktopWindows(const Exclusions& exclusions) {
  Enumeration enumeration{&exclusions, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&enumeration));
  return enumeration.windows;
}

std::optional<WindowRef> ForegroundRoot() {
  const HWND foreground = GetForegroundWindow();
  return RefOf(foreground ? GetAncestor(foreground, GA_ROOTOWNER) : nullptr);
}

uint32_t HostProcess(uint64_t hostWindow) {
  HWND host = ToHandle(hostWindow);
  if (!host || !IsWindow(host)) host = FindWindowW(L"TAVION_ROOTWINDOW", nullptr);
  const std::optional<WindowRef> ref = RefOf(host);
  return ref ? ref->process : 0;
}

void HideWindows(const std::vector<WindowRef>& windows) {
  for (const WindowRef& window : windows)
    if (const HWND handle = Live(window)) ShowWindowAsync(handle, SW_HIDE);
}

void ShowWindows(const std::vector<WindowRef>& windows) {
  for (const WindowRef& window : windows)
    if (const HWND handle = Live(window)) ShowWindowAsync(handle, SW_SHOWNA);
}

void Activate(const WindowRef& window) {
  // Refused when another program holds the foreground; the window is shown all the same.
  if (const HWND handle = Live(window)) SetForegroundWindow(handle);
}

std::vector<WindowRef> ReadHiddenList() {
  Key key(false);
  if (!key.get()) return {};
  DWORD bytes = 0;
  if (RegGetValueW(key.get(), nullptr, kHiddenValue, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
          ERROR_SUCCESS ||
      bytes > kHiddenListLimit) {
    return {};
  }
  std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (RegGetValueW(key.get(), nullptr, kHiddenValue, RRF_RT_REG_SZ, nullptr, text.data(), &bytes) !=
      ERROR_SUCCESS) {
    return {};
  }
  text.resize(wcsnlen(text.c_str(), text.size()));
  return ParseHiddenList(Narrow(text));
}

bool WriteHiddenList(const std::vector<WindowRef>& windows) {
  Key key(true);
  if (!key.get()) return false;
  if (windows.empty()) {
    const LSTATUS status = RegDeleteValueW(key.get(), kHiddenValue);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
  }
  const std::wstring text = Widen(FormatHiddenList(windows));
  return RegSetValueExW(key.get(), kHiddenValue, 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool ReadShowNotice() {
  Key key(false);
  DWORD value = 0;
  DWORD bytes = sizeof(value);
  if (!key.get() || RegGetValueW(key.get(), nullptr, kNoticeValue, RRF_RT_REG_DWORD, nullptr,
                                 &value, &bytes) != ERROR_SUCCESS) {
    return false;
  }
  return value != 0;
}

bool WriteShowNotice(bool show) {
  Key key(true);
  const DWORD value = show ? 1 : 0;
  return key.get() &&
         RegSetValueExW(key.get(), kNoticeValue, 0, REG_DWORD,
                        reinterpret_cast<const BYTE*>(&value), sizeof(value)) == ERROR_SUCCESS;
}

std::wstring Widen(const std::string& text) {
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(size > 0 ? size : 0, L'\0');
  if (size > 0)
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

std::string Narrow(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string narrow(size > 0 ? size : 0, '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), size,
                        nullptr, nullptr);
  }
  return narrow;
}

}  // namespace panora
