#pragma once
// The notification window `TFr_Dsk` (class "TAVION_NOTIFYWINDOW"), `ShowOSD` and the worker that
// fades it in, holds it and fades it out. Everything here runs on the user-interface thread that
// owns the window, except the worker, which only posts to the window.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace tavion {

inline constexpr wchar_t kOsdWindowClass[] = L"TAVION_NOTIFYWINDOW";
// The colour painted where the window must let the desktop show through.
inline constexpr COLORREF kOsdKeyColour = RGB(10, 0, 0);

// What the notification window needs of the program.
struct OsdHost {
  HWND mainWindow = nullptr;  // told about a Shift-drag (WM_TV_STATUS 3); may be null
  // The 16 x 16 icon for an action index (or -1) and a kind (0 the action, 1 the input language,
  // 2 volume, 3 muted); null draws none. The icon stays owned by the provider.
  std::function<HICON(int iconIndex, uint8_t kind)> icon;
  // Whether the program is ending; read by the worker thread, so it must be thread-safe.
  std::function<bool()> terminating;
};

// Hands the OSD what it needs; call on the user-interface thread before the first ShowOSD.
void ConfigureOsd(OsdHost host);

// Shows `text` (lines separated by CR LF) in the notification window, creating it or reusing the
// living one, and starts the worker when none runs. Returns at once when another call is in
// progress, or when `checkEnabled` and `Desk_Enbl` is off. User-interface thread only.
void ShowOSD(const std::string& text, bool checkEnabled, int iconIndex, uint8_t kind);

// Ends the current notification at the worker's next step ("Show now!", a skin change).
void StopOsd();

// For the program's close: ends the notification, waits (processing messages) up to `timeoutMs`
// for the worker to finish and destroys the window if it is still there.
void CloseOsd(DWORD timeoutMs = 1000);

// Whether the notification window exists.
bool OsdWindowExists();

// The sample of the options page: "OSD SAMPLE", "Tavion <version>", the build date.
void ShowOsdSample(const std::string& shortVersion, const std::string& buildDate);

// What the window shows now, for the program's tests: the opacity last applied (the window's own
// record; GetLayeredWindowAttributes is not reliable under Wine), and whether a worker runs.
int OsdAppliedAlpha();
bool OsdWorkerRunning();

}  // namespace tavion
