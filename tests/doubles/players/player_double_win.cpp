// A stand-in for the media players: registers their window classes, answers their queries with
// the values of the shared block and records every command message into it.
//
// Arguments name the window sets to create: winamp, winamp-dialog, winamp-modern, bridge, bsplayer,
// wmp, foobar, foobar1, foobar-custom=CLASS, mpc. The double runs until its process is ended.

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "doubles/players/player_double.h"

namespace {

using tavion::test::PlayerDoubleBlock;
using tavion::test::PlayerDoubleRecord;

PlayerDoubleBlock* g_block = nullptr;
HWND g_playlist = nullptr;  // answer of Winamp's query 260

bool Recorded(UINT message) {
  switch (message) {
    case WM_COMMAND:
    case WM_SYSCOMMAND:
    case WM_CLOSE:
    case WM_APPCOMMAND:
    case WM_COPYDATA:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      return true;
    default:
      return message >= WM_USER;
  }
}

void Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const LONG at = InterlockedIncrement(&g_block->count) - 1;
  if (at < 0 || static_cast<size_t>(at) >= tavion::test::kPlayerDoubleRecordCapacity) return;
  PlayerDoubleRecord& record = g_block->records[at];
  record.window = reinterpret_cast<uint64_t>(window);
  record.message = message;
  record.sent = (InSendMessageEx(nullptr) & ISMEX_SEND) ? 1 : 0;
  record.wParam = wParam;
  record.lParam = lParam;
  if (message == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    record.lParam = static_cast<int64_t>(data->dwData);
    record.dataSize = data->cbData;
  }
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

LRESULT WinampQuery(WPARAM wParam, LPARAM lParam) {
  const auto& a = g_block->answers;
  switch (lParam) {
    case 104:
      return a.winampState;
    case 124:
      return a.listLength;
    case 125:
      return a.listPosition;
    case 105:
      return wParam == 0 ? a.positionMs : a.lengthS;
    case 126:
      return wParam == 0 ? a.sampleRateKHz : a.bitRate;
    case 250:
      return a.shuffle;
    case 251:
      return a.repeat;
    case 260:
      return wParam == 1 ? reinterpret_cast<LRESULT>(g_playlist) : 0;
    default:
      return 0;
  }
}

LRESULT BSPlayerQuery(WPARAM wParam, LPARAM lParam) {
  const auto& a = g_block->answers;
  if (wParam == 0x10102 && lParam == 104) return a.bsState;
  if (wParam == 0x10101) return a.bsPositionMs;
  if (wParam == 0x10100) return a.bsLengthMs;
  return 0;
}

// BSPlayer, a 32-bit program, takes the first 4 bytes of the data as the address of the asker's
// buffer and writes the file name there.
void WriteFileName(HWND asker, const COPYDATASTRUCT& data) {
  uint32_t address = 0;
  if (data.dwData != 0x1010B || !data.lpData || data.cbData < sizeof address) return;
  std::memcpy(&address, data.lpData, sizeof address);
  DWORD processId = 0;
  GetWindowThreadProcessId(asker, &processId);
  HANDLE process = OpenProcess(PROCESS_VM_WRITE | PROCESS_VM_OPERATION, FALSE, processId);
  if (!process) return;
  const char* name = g_block->answers.bsFileName;
  WriteProcessMemory(process, reinterpret_cast<void*>(static_cast<uintptr_t>(address)), name,
                     std::strlen(name) + 1, nullptr);
  CloseHandle(process);
}

// A player that has stopped answering: its thread takes no message until the test lets it go.
void StayStuck() {
  InterlockedExchange(&g_block->stuck, 1);
  const DWORD start = GetTickCount();
  while (g_block->hang && GetTickCount() - start < 30000) Sleep(10);
  InterlockedExchange(&g_block->hang, 0);
  InterlockedExchange(&g_block->stuck, 0);
}

LRESULT CALLBACK DoubleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_block->hang) StayStuck();
  if (Recorded(message)) Record(window, message, wParam, lParam);
  const std::wstring windowClass = ClassOf(window);
  switch (message) {
    case WM_COMMAND:
    case WM_CLOSE:
      return 0;
    case WM_APPCOMMAND:
      return TRUE;
    case WM_COPYDATA:
      if (windowClass == L"BSPlayer")
        WriteFileName(reinterpret_cast<HWND>(wParam),
                      *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
      return TRUE;
    case WM_USER:
      if (windowClass == L"Winamp v1.x") return WinampQuery(wParam, lParam);
      return 0;
    case WM_USER + 2:
      if (windowClass == L"BSPlayer") return BSPlayerQuery(wParam, lParam);
      return 0;
    case WM_APP:
      if (windowClass == L"LightAlloyFront" && wParam == 0 && lParam == 514)
        ShowWindow(window, IsWindowVisible(window) ? SW_HIDE : SW_SHOWNOACTIVATE);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

HWND Make(const std::wstring& windowClass, const wchar_t* caption, HWND owner = nullptr) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DoubleProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = windowClass.c_str();
  RegisterClassW(&wc);  // a second window of a class finds it registered already
  HWND window = CreateWindowExW(0, windowClass.c_str(), caption, WS_OVERLAPPEDWINDOW, 10, 10, 200,
                                120, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  ShowWindow(window, SW_SHOWNOACTIVATE);
  return window;
}

void MakeSet(const std::wstring& set) {
  if (set == L"winamp") {
    Make(L"Winamp v1.x", L"Winamp");
    Make(L"Winamp EQ", L"Winamp Equalizer");
    g_playlist = Make(L"Winamp PE", L"Winamp Playlist Editor");
    Make(L"Winamp Gen", L"Winamp Library");
  } else if (set == L"winamp-dialog") {
    // A dialog of Winamp: a window of another class owned by the main window.
    Make(L"Winamp Dialog", L"Preferences", Make(L"Winamp v1.x", L"Winamp"));
  } else if (set == L"winamp-modern") {
    Make(L"Winamp v1.x", L"Winamp");
    Make(L"BaseWindow_RootWnd", L"Player Window");
    g_playlist = Make(L"BaseWindow_RootWnd", L"Playlist Editor");
    Make(L"BaseWindow_RootWnd", L"Media Library");
  } else if (set == L"bridge") {
    Make(L"Winamp v1.x", L"WA2LA bridge");
    Make(L"LightAlloyFront", L"Film - Light Alloy");
  } else if (set == L"bsplayer") {
    Make(L"BSPlayer", L"BSPlayer");
  } else if (set == L"wmp") {
    Make(L"WMPlayerApp", L"Windows Media Player");
  } else if (set == L"foobar") {
    Make(L"{DA7CD0DE-1602-45e6-89A1-C2CA151E008E}", L"foobar2000");
  } else if (set == L"foobar1") {
    Make(L"{DA7CD0DE-1602-45e6-89A1-C2CA151E008E}/1", L"foobar2000");
  } else if (set.rfind(L"foobar-custom=", 0) == 0) {
    Make(set.substr(14), L"foobar2000");
  } else if (set == L"mpc") {
    Make(L"MediaPlayerClassicW", L"Media Player Classic");
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  HANDLE mapping =
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                         sizeof(PlayerDoubleBlock), tavion::test::kPlayerDoubleBlockName);
  if (!mapping) return 1;
  g_block = static_cast<PlayerDoubleBlock*>(
      MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(PlayerDoubleBlock)));
  if (!g_block) return 1;
  for (int i = 1; i < argc; ++i) MakeSet(argv[i]);
  InterlockedExchange(&g_block->ready, 1);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
