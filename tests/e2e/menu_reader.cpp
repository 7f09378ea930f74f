// Loaded into Tavion by the end-to-end tests to read the menu it shows: Wine keeps a menu's items
// in the process that made it, so another process cannot read them.
#include <windows.h>

#include <string>

namespace {

BOOL CALLBACK FindOwnMenuWindow(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window) ||
      std::wstring(name) != L"#32768")
    return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

}  // namespace

// Thread entry: writes the item texts of a menu this process shows into `out` (kMenuTextUnits
// wide characters), each ended by a line feed, a separator as an empty line. Returns the number
// of items, 0 when no menu shows.
extern "C" __declspec(dllexport) DWORD WINAPI ReadShownMenu(void* out) {
  constexpr size_t kMenuTextUnits = 4096;
  HWND window = nullptr;
  EnumWindows(FindOwnMenuWindow, reinterpret_cast<LPARAM>(&window));
  DWORD_PTR menu = 0;
  if (!window || !SendMessageTimeoutW(window, MN_GETHMENU, 0, 0, SMTO_ABORTIFHUNG, 2000, &menu))
    return 0;
  std::wstring texts;
  const int count = GetMenuItemCount(reinterpret_cast<HMENU>(menu));
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    GetMenuStringW(reinterpret_cast<HMENU>(menu), static_cast<UINT>(i), text, 256, MF_BYPOSITION);
    texts += text + std::wstring(L"\n");
  }
  texts.resize(std::min(texts.size(), kMenuTextUnits - 1));
  texts.copy(static_cast<wchar_t*>(out), texts.size());
  static_cast<wchar_t*>(out)[texts.size()] = L'\0';
  return count < 0 ? 0 : static_cast<DWORD>(count);
}
