#include "osd/osd_window_win.h"

#include <uxtheme.h>
#include <versionhelpers.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "base/handles_win.h"
#include "base/message_wait_win.h"
#include "base/window_requests_win.h"
#include "base/utf_win.h"
#include "osd/osd_geometry.h"
#include "settings/settings.h"
#include "exec/main_messages.h"
#include "osd/osd_fade.h"

namespace tavion {

namespace {

// Posted by the worker to the window it serves: the window is only ever touched on its own thread.
constexpr UINT WM_OSD_ALPHA = WM_APP + 1;     // wParam the opacity
constexpr UINT WM_OSD_END = WM_APP + 2;       // wParam the generation the worker served
constexpr UINT WM_OSD_REPLACED = WM_APP + 3;  // a worker left for a new text; start its successor

constexpr uint8_t kStopNone = 0;
constexpr uint8_t kStopEnd = 1;
constexpr uint8_t kStopReplace = 2;

constexpr DWORD kFadeStepMs = kOsdFadeStepMs;
constexpr DWORD kHoldStepMs = 10;
constexpr DWORD kOldWorkerWaitMs = 2000;

// The visual-style functions, loaded at run time: uxtheme.dll is missing before Windows XP, and
// the window is then drawn unskinned.
struct UxTheme {
  decltype(&::OpenThemeData) open = nullptr;
  decltype(&::CloseThemeData) close = nullptr;
  decltype(&::GetThemeBackgroundRegion) region = nullptr;
  decltype(&::DrawThemeBackground) draw = nullptr;
  decltype(&::IsThemeActive) active = nullptr;
  decltype(&::IsAppThemed) appThemed = nullptr;

  UxTheme() {
    HMODULE module = LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) return;  // kept loaded for the process's life
    Bind(module, "OpenThemeData", open);
    Bind(module, "CloseThemeData", close);
    Bind(module, "GetThemeBackgroundRegion", region);
    Bind(module, "DrawThemeBackground", draw);
    Bind(module, "IsThemeActive", active);
    Bind(module, "IsAppThemed", appThemed);
  }
  bool Complete() const { return open && close && region && draw && active && appThemed; }
  bool StylesActive() const { return Complete() && active() && appThemed(); }

 private:
  template <typename Function>
  static void Bind(HMODULE module, const char* name, Function& target) {
    target = ResolveFunction<Function>(module, name);
  }
};

const UxTheme& Themes() {
  static const UxTheme themes;
  return themes;
}

// Only ever holds a theme opened through Themes(), so its close function is there.
struct ThemeTraits {
  using Handle = HTHEME;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle theme) { Themes().close(theme); }
};

using UniqueTheme = UniqueHandle<ThemeTraits>;

// What one worker does, fixed when ShowOSD starts it (the worker never reads Settings()).
struct WorkerPlan {
  HWND window = nullptr;
  uint32_t generation = 0;
  int targetAlpha = 255;
  bool animate = true;
  int showTimeMs = 0;
  std::function<bool()> terminating;
};

struct OsdState {
  OsdHost host;
  // User-interface thread only.
  HWND window = nullptr;
  UniqueTheme theme;
  const OsdSkin* skin = nullptr;  // null: unskinned
  UniqueFont regularFont;
  UniqueFont boldFont;
  std::vector<std::wstring> lines;
  std::vector<int> lineWidths;
  int lineHeight = 0;
  int iconIndex = -1;
  uint8_t kind = 0;
  SIZE regionSize = {};
  bool dragReported = false;
  uint32_t workerGeneration = 0;  // the text the last started worker serves
  // Shared with the worker. Only the user-interface thread sets `stop` back to kStopNone (before
  // it starts a worker), so a replace asked for before a worker's first step is never lost.
  std::atomic<bool> showing{false};  // the show lock
  std::atomic<bool> windowAlive{false};
  std::atomic<uint8_t> stop{kStopNone};
  std::atomic<bool> workerRunning{false};
  std::atomic<uint32_t> generation{0};
  std::atomic<int> requestedAlpha{0};
  std::atomic<int> appliedAlpha{0};
  std::mutex workerLock;
};

// Never destroyed: a worker may still be finishing while the process ends.
OsdState& State() {
  static OsdState* state = new OsdState;
  return *state;
}

bool ShiftHeld() {
  return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0;
}

// A TColor: 0x00BBGGRR, or 0xFF0000nn for system colour nn.
COLORREF ToColorRef(uint32_t colour) {
  if ((colour & 0xFF000000u) == 0xFF000000u) return GetSysColor(static_cast<int>(colour & 0xFF));
  return static_cast<COLORREF>(colour & 0x00FFFFFFu);
}

UniqueFont MakeFont(HDC dc, bool bold, bool dropBold) {
  const SettingsRecord& settings = Settings();
  LOGFONTW font = {};
  font.lfHeight =
      -MulDiv(settings.Font_Size > 0 ? settings.Font_Size : 14, GetDeviceCaps(dc, LOGPIXELSY), 72);
  const bool styleBold = (settings.FontStyle & 1) != 0 && !dropBold;
  font.lfWeight = bold || styleBold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = (settings.FontStyle & 2) != 0;
  font.lfUnderline = (settings.FontStyle & 4) != 0;
  font.lfStrikeOut = (settings.FontStyle & 8) != 0;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = DEFAULT_QUALITY;
  const std::wstring name = Utf8ToWide(settings.Font_Name);
  wcsncpy(font.lfFaceName, name.c_str(), LF_FACESIZE - 1);
  return UniqueFont(CreateFontIndirectW(&font));
}

HFONT LineFont(const OsdState& state, size_t index) {
  return (OsdLineBold(index, state.skin != nullptr) ? state.boldFont : state.regularFont).get();
}

int TextWidth(HDC dc, std::wstring_view text) {
  SIZE size = {};
  GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
  return size.cx;
}

void PostToWindow(HWND window, UINT message, WPARAM wParam) {
  // A failed post means the window is gone already; there is nothing left to change.
  PostMessageW(window, message, wParam, 0);
}

// The worker: fade in, hold, fade out, then ask the window to end, or, when a new text replaced
// this one, to start the new text's worker unless ShowOSD does.
void RunWorker(const WorkerPlan& plan) {
  OsdState& state = State();
  const auto terminating = [&] { return plan.terminating && plan.terminating(); };
  if (terminating()) {
    state.workerRunning = false;
    return;
  }
  UINT farewell = 0;  // the message for the window once this worker is gone
  {
    std::lock_guard lock(state.workerLock);
    const auto setAlpha = [&](int alpha) {
      if (state.requestedAlpha.exchange(alpha) != alpha) {
        PostToWindow(plan.window, WM_OSD_ALPHA, static_cast<WPARAM>(alpha));
      }
    };
    const auto nowMs = [] {
      return static_cast<int64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                      std::chrono::steady_clock::now().time_since_epoch())
                                      .count());
    };
    bool ended = false;  // the program is ending: leave the window to CloseOsd

    OsdFade fade(state.requestedAlpha, plan.targetAlpha, plan.animate, plan.showTimeMs, nowMs());
    if (fade.Phase() == OsdPhase::kHold) setAlpha(fade.Alpha());
    while (state.stop == kStopNone && fade.Phase() != OsdPhase::kDone) {
      const bool holding = fade.Phase() == OsdPhase::kHold;
      if (!holding && terminating()) {
        ended = true;
        break;
      }
      if (holding && !state.windowAlive) fade.EndHold();
      setAlpha(fade.Advance(nowMs(), ShiftHeld()));
      Sleep(fade.Phase() == OsdPhase::kHold ? kHoldStepMs : kFadeStepMs);
    }

    if (!ended) farewell = state.stop == kStopReplace ? WM_OSD_REPLACED : WM_OSD_END;
  }
  // Gone before the window hears of it, so the window may start a successor.
  state.workerRunning = false;
  if (farewell) PostToWindow(plan.window, farewell, plan.generation);
}

void StartWorker(OsdState& state) {
  const SettingsRecord& settings = Settings();
  WorkerPlan plan;
  plan.window = state.window;
  plan.generation = state.generation;
  plan.targetAlpha = settings.Alpha ? settings.AlphaVal : 255;
  plan.animate = settings.Animation == 1;
  plan.showTimeMs = std::max(0, settings.Show_Time);
  plan.terminating = state.host.terminating;
  state.workerGeneration = state.generation;
  state.stop = kStopNone;
  state.workerRunning = true;
  try {
    std::thread(RunWorker, std::move(plan)).detach();
  } catch (const std::system_error&) {
    // Without a worker nothing would ever end the window: end it now.
    state.workerRunning = false;
    DestroyWindow(state.window);
  }
}

// Draws the skin, or fills with the background colour, into `dc`.
void PaintBackground(OsdState& state, HWND window, HDC dc, const RECT& client) {
  if (state.skin && state.theme) {
    RECT windowRect;
    if (GetWindowRect(window, &windowRect)) {
      OffsetRect(&windowRect, -windowRect.left, -windowRect.top);
      UniqueRegion region;
      const auto& themes = Themes();
      if (themes.region(state.theme.get(), dc, state.skin->part, state.skin->state, &windowRect,
                        region.put()) == S_OK &&
          region) {
        const SIZE size = {windowRect.right, windowRect.bottom};
        if (size.cx != state.regionSize.cx || size.cy != state.regionSize.cy) {
          state.regionSize = size;
          // The system owns the region once it is set.
          if (SetWindowRgn(window, region.get(), FALSE)) region.release();
        }
        const UniqueBrush key(CreateSolidBrush(kOsdKeyColour));
        FillRect(dc, &client, key.get());
        themes.draw(state.theme.get(), dc, state.skin->part, state.skin->state, &windowRect,
                    nullptr);
        return;
      }
    }
  }
  const UniqueBrush brush(CreateSolidBrush(ToColorRef(Settings().ColorBack)));
  FillRect(dc, &client, brush.get());
}

void Paint(OsdState& state, HWND window) {
  PAINTSTRUCT paint;
  HDC target = BeginPaint(window, &paint);
  if (!target) return;
  RECT client;
  GetClientRect(window, &client);
  const UniqueMemoryDc dc(CreateCompatibleDC(target));
  const UniqueBitmap bitmap(CreateCompatibleBitmap(target, client.right, client.bottom));
  if (dc && bitmap) {
    const ScopedSelection selectBitmap(dc.get(), bitmap.get());
    SetBkMode(dc.get(), TRANSPARENT);
    PaintBackground(state, window, dc.get(), client);
    const OsdPaintLayout layout = OsdLayoutPaint(client.right, state.lineWidths, state.lineHeight);
    SetTextColor(dc.get(), ToColorRef(Settings().ColorText));
    {
      const ScopedSelection selectFont(dc.get(), state.regularFont.get());
      for (size_t i = 0; i < state.lines.size() && i < layout.lines.size(); ++i) {
        SelectObject(dc.get(), LineFont(state, i));
        TextOutW(dc.get(), layout.lines[i].x, layout.lines[i].y, state.lines[i].c_str(),
                 static_cast<int>(state.lines[i].size()));
      }
    }
    if (HICON icon = state.host.icon ? state.host.icon(state.iconIndex, state.kind) : nullptr) {
      DrawIconEx(dc.get(), layout.icon.x, layout.icon.y, icon, kOsdIconSize, kOsdIconSize, 0,
                 nullptr, DI_NORMAL);
    }
    BitBlt(target, 0, 0, client.right, client.bottom, dc.get(), 0, 0, SRCCOPY);
  }
  EndPaint(window, &paint);
}

void ReleaseWindowResources(OsdState& state) {
  state.theme.reset();
  state.skin = nullptr;
  state.regularFont.reset();
  state.boldFont.reset();
  state.lines.clear();
  state.lineWidths.clear();
  state.regionSize = {};
  state.window = nullptr;
  state.windowAlive = false;
  state.requestedAlpha = 0;
  state.appliedAlpha = 0;
}

LRESULT CALLBACK OsdWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  OsdState& state = State();
  switch (message) {
    case WM_OSD_ALPHA: {
      const int alpha = static_cast<int>(wParam & 0xFF);
      if (SetLayeredWindowAttributes(window, kOsdKeyColour, static_cast<BYTE>(alpha),
                                     LWA_ALPHA | LWA_COLORKEY)) {
        state.appliedAlpha = alpha;
      }
      return 0;
    }
    case WM_OSD_END:
      // An end asked for by a worker whose text has since been replaced is stale.
      if (static_cast<uint32_t>(wParam) == state.generation && !state.showing) {
        ShowWindow(window, SW_HIDE);
        DestroyWindow(window);
      }
      return 0;
    case WM_OSD_REPLACED:
      // ShowOSD starts the new text's worker itself unless its wait for this one ran out.
      if (!state.showing && !state.workerRunning && state.window == window &&
          state.workerGeneration != state.generation) {
        StartWorker(state);
      }
      return 0;
    case WM_PAINT:
      Paint(state, window);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_NCHITTEST:
      if (ShiftHeld()) {
        if (!state.dragReported && state.host.mainWindow) {
          PostMessageW(state.host.mainWindow, WM_TV_STATUS, kStatusCustomOsdPosition, 0);
        }
        state.dragReported = true;
        return HTCAPTION;
      }
      state.dragReported = false;
      return HTCLIENT;
    case WM_MOVE:
      if (ShiftHeld() && !state.showing) {
        RECT rect;
        if (GetWindowRect(window, &rect)) {
          Settings().PosX = static_cast<int16_t>(rect.left);
          Settings().PosY = static_cast<int16_t>(rect.top);
        }
      }
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      state.stop = kStopEnd;
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_MINIMIZE) return 0;
      break;
    case WM_DESTROY:
      if (state.window == window) ReleaseWindowResources(state);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterOsdClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  if (GetClassInfoExW(instance, kOsdWindowClass, &windowClass)) return true;
  windowClass.lpfnWndProc = OsdWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kOsdWindowClass;
  return RegisterClassExW(&windowClass) != 0;
}

bool CreateOsdWindow(OsdState& state) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!RegisterOsdClass(instance)) return false;
  const SettingsRecord& settings = Settings();
  const bool skinned = OsdSkinned(Themes().StylesActive(), settings.SkinType);
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_LAYERED, kOsdWindowClass, L"",
                                WS_POPUP | (skinned ? 0 : WS_BORDER), 0, 0, 1, 1,
                                /*hWndParent=*/nullptr, /*hMenu=*/nullptr, instance, nullptr);
  if (!window) return false;
  // The shadow is a class style, read when a window of the class is shown.
  ULONG_PTR classStyle =
      GetClassLongPtrW(window, GCL_STYLE) & ~static_cast<ULONG_PTR>(CS_DROPSHADOW);
  if (settings.Shadow && IsWindowsXPOrGreater()) classStyle |= CS_DROPSHADOW;
  SetClassLongPtrW(window, GCL_STYLE, classStyle);
  SetLayeredWindowAttributes(window, kOsdKeyColour, 0, LWA_ALPHA | LWA_COLORKEY);

  state.window = window;
  state.windowAlive = true;
  state.requestedAlpha = 0;
  state.appliedAlpha = 0;
  if (skinned) {
    state.skin = OsdSkinFor(settings.SkinType);
    state.theme.reset(Themes().open(window, state.skin->themeClass));
    if (!state.theme) {
      state.skin = nullptr;
      SetWindowLongPtrW(window, GWL_STYLE, GetWindowLongPtrW(window, GWL_STYLE) | WS_BORDER);
      SetWindowPos(window, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
  }
  const WindowDc screen(nullptr);
  state.regularFont = MakeFont(screen.get(), /*bold=*/false, /*dropBold=*/state.skin == nullptr);
  state.boldFont = MakeFont(screen.get(), /*bold=*/true, /*dropBold=*/false);
  return true;
}

// Lays `text` out in rows that fit the screen, each measured in its font, and the row height
// ("v").
void LayOutLines(OsdState& state, const std::string& text, int screenWidth, int screenHeight) {
  const WindowDc dc(state.window);
  const ScopedSelection selectFont(dc.get(), state.regularFont.get());
  SIZE extent = {};
  GetTextExtentPoint32W(dc.get(), L"v", 1, &extent);
  state.lineHeight = extent.cy;
  const auto measure = [&](size_t row, std::string_view line) {
    SelectObject(dc.get(), LineFont(state, row));
    return TextWidth(dc.get(), Utf8ToWide(line));
  };
  const std::vector<std::string> rows = FitOsdLines(
      SplitOsdLines(text), OsdTextRoomFor(screenWidth, screenHeight, state.lineHeight), measure);
  state.lines.clear();
  state.lineWidths.clear();
  for (size_t i = 0; i < rows.size(); ++i) {
    state.lines.push_back(Utf8ToWide(rows[i]));
    SelectObject(dc.get(), LineFont(state, i));
    state.lineWidths.push_back(TextWidth(dc.get(), state.lines.back()));
  }
}

int TaskbarHeight() {
  HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
  RECT rect;
  if (!taskbar || !GetWindowRect(taskbar, &rect)) return 0;
  return rect.bottom - rect.top;
}

// Waits, processing messages, until `done` holds or `timeoutMs` passes.
template <typename Condition>
void WaitFor(Condition done, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!done() && GetTickCount64() < deadline) {
    if (!WaitProcessingMessages(10)) return;
  }
}

}  // namespace

void ConfigureOsd(OsdHost host) {
  State().host = std::move(host);
}

void ShowOSD(const std::string& text, bool checkEnabled, int iconIndex, uint8_t kind) {
  OsdState& state = State();
  if (state.showing.exchange(true)) return;
  struct Release {
    OsdState& state;
    ~Release() { state.showing = false; }
  } release{state};
  const SettingsRecord& settings = Settings();
  if (checkEnabled && !settings.Desk_Enbl) return;

  ++state.generation;
  if (state.window) {
    state.stop = kStopReplace;
  } else if (!CreateOsdWindow(state)) {
    return;
  }
  state.iconIndex = iconIndex;
  state.kind = kind;
  // The caption carries the text too, for whoever looks for the window.
  SetWindowTextW(state.window, Utf8ToWide(text).c_str());
  const OsdScreen screen = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                            OsdTaskbarAllowance(TaskbarHeight(), settings.NoTaskBar)};
  LayOutLines(state, text, screen.width, screen.height);

  const OsdSize size = OsdWindowSize(state.lineWidths, state.lineHeight);
  const OsdPoint place =
      OsdWindowPlace(settings.DPosition, size, screen, {settings.PosX, settings.PosY});
  SetWindowPos(state.window, nullptr, place.x, place.y, size.width, size.height,
               SWP_NOZORDER | SWP_NOACTIVATE);

  ShowWindow(state.window, SW_SHOWNA);
  InvalidateRect(state.window, nullptr, FALSE);
  UpdateWindow(state.window);
  const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  SetWindowPos(state.window, HWND_TOPMOST, 0, 0, 0, 0, keep);
  if (!settings.FullScr) SetWindowPos(state.window, HWND_NOTOPMOST, 0, 0, 0, 0, keep);

  // The old worker sees the replace flag and leaves without ending the window.
  WaitFor([&] { return !state.workerRunning; }, kOldWorkerWaitMs);
  if (!state.window) return;  // the program is ending and CloseOsd took the window
  if (!state.workerRunning) StartWorker(state);
}

void StopOsd() {
  State().stop = kStopEnd;
}

void CloseOsd(DWORD timeoutMs) {
  OsdState& state = State();
  state.stop = kStopEnd;
  WaitFor([&] { return !state.workerRunning; }, timeoutMs);
  if (state.window) DestroyWindow(state.window);
}

bool OsdWindowExists() {
  return State().window != nullptr;
}

void ShowOsdSample(const std::string& shortVersion, const std::string& buildDate) {
  StopOsd();
  ShowOSD("OSD SAMPLE\r\nTavion " + shortVersion + "\r\n" + buildDate, /*checkEnabled=*/false,
          /*iconIndex=*/-1, /*kind=*/0);
}

int OsdAppliedAlpha() {
  return State().appliedAlpha;
}

bool OsdWorkerRunning() {
  return State().workerRunning;
}

}  // namespace tavion
