#include "exec/media_player_win.h"

#include <shellapi.h>

#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

#include "base/handles_win.h"
#include "base/utf_win.h"
#include "exec/dispatcher.h"

namespace tavion {
namespace {

// Longest caption or class name read; longer ones are cut.
constexpr int kTextLimit = 512;

std::string ClassOf(HWND window) {
  if (!window) return {};
  wchar_t name[256] = {};
  const int length = GetClassNameW(window, name, 256);
  return length > 0 ? WideToUtf8(std::wstring_view(name, static_cast<size_t>(length))) : "";
}

std::string CaptionOf(HWND window) {
  if (!window) return {};
  wchar_t text[kTextLimit] = {};
  const int length = GetWindowTextW(window, text, kTextLimit);
  return length > 0 ? WideToUtf8(std::wstring_view(text, static_cast<size_t>(length))) : "";
}

DWORD ProcessOf(HWND window) {
  DWORD process = 0;
  if (window) GetWindowThreadProcessId(window, &process);
  return process;
}

// A top-level window of `windowClass`, with `caption` when given, of `process` when not 0.
HWND FindByClass(std::string_view windowClass, const char* caption = nullptr, DWORD process = 0) {
  const std::wstring wideClass = Utf8ToWide(windowClass);
  const std::wstring wideCaption = caption ? Utf8ToWide(caption) : std::wstring();
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, wideClass.c_str(),
                                 caption ? wideCaption.c_str() : nullptr)))
    if (process == 0 || ProcessOf(window) == process) return window;
  return nullptr;
}

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesW(Utf8ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The longest a player is waited for. Sends may come from the user-interface thread, which must
// not stop with a player that hangs; the system gives up at once on one it already finds hung.
constexpr UINT kPlayerAnswerMs = 1000;

// Sends to a player and waits at most kPlayerAnswerMs; false when it did not answer in time (or
// there is no window). A player that is only slow still receives the message.
bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer = nullptr) {
  if (!window) return false;
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                           kPlayerAnswerMs, &result))
    return false;
  if (answer) *answer = static_cast<LRESULT>(result);
  return true;
}

// A player's answer is a 32-bit number whatever the width of LRESULT; nullopt without an answer.
std::optional<int32_t> Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT answer = 0;
  if (!Send(window, message, wParam, lParam, &answer)) return std::nullopt;
  return static_cast<int32_t>(answer);
}

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // A player that went away meanwhile loses the command; nothing else is to be done.
  PostMessageW(window, message, wParam, lParam);
}

bool OwnsOrIsForeground(HWND window) {
  const HWND foreground = GetForegroundWindow();
  return foreground && (foreground == window || GetWindow(foreground, GW_OWNER) == window);
}

void SetNotify(std::string text) {
  SetNotifyText(std::move(text));
}

bool SystemLaunch(const std::string& path) {
  std::wstring commandLine = L"\"" + Utf8ToWide(path) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return false;
  UniqueKernelHandle processHandle(process.hProcess);
  UniqueKernelHandle threadHandle(process.hThread);
  // As WinExec: return once the program waits for input, so its windows can be found.
  WaitForInputIdle(processHandle.get(), 5000);
  return true;
}

bool SystemShellExecute(const std::string& file, const std::string& verb,
                        const std::string& parameters, int show) {
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, Utf8ToWide(verb).c_str(), Utf8ToWide(file).c_str(),
                    Utf8ToWide(parameters).c_str(), nullptr, show));
  return result > 32;
}

std::string SystemFoobarInstallDir() {
  wchar_t value[MAX_PATH * 2] = {};
  DWORD size = sizeof value - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CURRENT_USER, L"SOFTWARE\\foobar2000", L"InstallDir", RRF_RT_REG_SZ,
                   nullptr, value, &size) != ERROR_SUCCESS)
    return {};
  return WideToUtf8(value);
}

std::string ShortPath(const std::string& path) {
  const std::wstring wide = Utf8ToWide(path);
  wchar_t shortPath[MAX_PATH * 2] = {};
  const DWORD length = GetShortPathNameW(wide.c_str(), shortPath, MAX_PATH * 2);
  if (length == 0 || length >= MAX_PATH * 2) return path;
  return WideToUtf8(shortPath);
}

// The services with the system's ways filled in where the program left them out.
struct Services {
  explicit Services(const MediaPlayerServices& given) : s(given) {
    if (!s.launch) s.launch = SystemLaunch;
    if (!s.shellExecute) s.shellExecute = SystemShellExecute;
    if (!s.executeAction)
      s.executeAction = [](const std::string& code) { ExecuteAction(code, -1, true); };
    if (!s.foobarInstallDir) s.foobarInstallDir = SystemFoobarInstallDir;
  }
  void Foreground(HWND window) const {
    if (!window) return;
    if (s.forceForeground)
      s.forceForeground(window);
    else
      SetForegroundWindow(window);
  }
  // Keys go only to a window of the player: without one the key sender would type them into
  // whatever is in front.
  void Keys(uint8_t modifiers, uint16_t key, HWND target) const {
    if (s.sendKeys && target)
      s.sendKeys(modifiers, key, 0, 0, reinterpret_cast<uintptr_t>(target), false, 0, nullptr,
                 nullptr);
  }
  MediaPlayerServices s;
};

// EnumWindows callback: stores the first "Winamp v1.x" window that is not the bridge.
BOOL CALLBACK TakeWinampMain(HWND window, LPARAM found) {
  if (!IsWinampMainWindow(ClassOf(window), CaptionOf(window))) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// Types 0 and 1: the main window.
HWND FindWinampMain(int type) {
  if (type == kPlayerWinamp) {
    HWND found = nullptr;
    EnumWindows(TakeWinampMain, reinterpret_cast<LPARAM>(&found));
    return found;
  }
  const HWND foreground = GetForegroundWindow();
  const HWND owner = foreground ? GetWindow(foreground, GW_OWNER) : nullptr;
  if (ClassOf(owner) == kWinampClass) return owner;
  if (ClassOf(foreground) == kWinampClass) return foreground;
  if (HWND bridge = FindByClass(kWinampClass, kWinampBridgeCaption)) return bridge;
  return FindByClass(kWinampClass);
}

PlayerWindows SearchPlayer(int type, const MediaPlayerOptions& options) {
  PlayerWindows windows;
  if (type == kPlayerWinamp || type == kPlayerWinampLightAlloy) {
    windows.main = FindWinampMain(type);
    if (type == kPlayerWinamp && CaptionOf(windows.main) == kWinampBridgeCaption)
      windows.main = nullptr;
    if (!windows.main) return windows;
    // The other windows are the player's own: another program may use the same classes.
    const DWORD process = ProcessOf(windows.main);
    if (HWND modern = FindByClass(kWinampModernClass, kWinampModernMainCaption, process)) {
      windows.equalizer = modern;
      windows.playlist = FindByClass(kWinampModernClass, kWinampModernPlaylistCaption, process);
      windows.library = FindByClass(kWinampModernClass, kWinampModernLibraryCaption, process);
    } else {
      windows.equalizer = FindByClass(kWinampEqualizerClass, nullptr, process);
      windows.playlist = FindByClass(kWinampPlaylistClass, nullptr, process);
      windows.library = FindByClass(kWinampLibraryClass, nullptr, process);
    }
    return windows;
  }
  for (const std::string& windowClass : MainWindowClasses(type, options.foobarClass))
    if ((windows.main = FindByClass(windowClass))) break;
  return windows;
}

// The window a step names; the show target is the main window where no other one was found.
struct Targets {
  PlayerWindows windows;
  HWND showTarget = nullptr;
  HWND Of(PlayerWindowRole role) const {
    switch (role) {
      case PlayerWindowRole::kEqualizer:
        return windows.equalizer;
      case PlayerWindowRole::kPlaylist:
        return windows.playlist;
      case PlayerWindowRole::kLibrary:
        return windows.library;
      case PlayerWindowRole::kShowTarget:
        return showTarget;
      default:
        return windows.main;
    }
  }
};

// "wa_delf": the file is removed only through a playlist window of the player itself.
void RemoveFile(HWND main) {
  LRESULT answer = 0;
  if (!Send(main, kWinampQuery, 1, kWinampQueryWindow, &answer)) return;
  const auto playlist = reinterpret_cast<HWND>(answer);
  if (playlist && ProcessOf(playlist) == ProcessOf(main))
    Send(playlist, WM_COMMAND, kWinampRemoveFile, 0);
}

void FoobarRandom(const MediaPlayerOptions& options, const Services& services) {
  std::string program;
  const std::string installDir = services.s.foobarInstallDir();
  if (!installDir.empty()) program = ShortPath(installDir + "\\foobar2000.exe");
  if (!FileExists(program)) {
    program.clear();
    if (FileExists(options.playerPath) && options.playerPath.find("foobar") != std::string::npos)
      program = options.playerPath;
  }
  if (program.empty()) return SetNotify(kFoobarMissing);
  services.s.shellExecute(program, "open", "/rand", SW_HIDE);
}

// Carries out the steps. A step for a window the player lacks does nothing: a null window would
// mean this thread's own queue.
void Carry(const std::vector<PlayerStep>& steps, const Targets& targets,
           const MediaPlayerOptions& options, const Services& services) {
  for (const PlayerStep& step : steps) {
    const HWND target = targets.Of(step.role);
    const WPARAM wParam =
        step.windowAsWParam ? reinterpret_cast<WPARAM>(target) : static_cast<WPARAM>(step.wParam);
    switch (step.kind) {
      case PlayerStepKind::kSend:
        if (target) Send(target, step.message, wParam, static_cast<LPARAM>(step.lParam));
        break;
      case PlayerStepKind::kPost:
        if (target) Post(target, step.message, wParam, static_cast<LPARAM>(step.lParam));
        break;
      case PlayerStepKind::kKeys:
        services.Keys(step.modifiers, step.key, target);
        break;
      case PlayerStepKind::kForeground:
        services.Foreground(target);
        break;
      case PlayerStepKind::kRestore:
        if (target) ShowWindowAsync(target, SW_RESTORE);
        break;
      case PlayerStepKind::kLaunch:
        services.s.launch(options.playerPath);
        break;
      case PlayerStepKind::kSendToStarted:
        if (HWND started = FindByClass(step.text)) Send(started, step.message, wParam, 0);
        break;
      case PlayerStepKind::kRunAction:
        services.s.executeAction(std::string(step.text));
        break;
      case PlayerStepKind::kRemoveFile:
        RemoveFile(targets.windows.main);
        break;
      case PlayerStepKind::kFoobarRandom:
        FoobarRandom(options, services);
        break;
      case PlayerStepKind::kNotify:
        SetNotify(PlayerNoteText(step));
        break;
    }
  }
}

std::string WinampTrackInfo(int type, std::string_view code, HWND main) {
  if (!main) return {};
  if (IsShuffleOrRepeat(code)) {
    const uint32_t query = code == "wa_rand" ? kWinampQueryShuffle : kWinampQueryRepeat;
    return ShuffleRepeatText(Ask(main, kWinampQuery, 0, query) == 1);
  }
  std::string text;
  const bool bridge = CaptionOf(main) == kWinampBridgeCaption;
  if (type == kPlayerWinamp || !bridge)
    text += PlayerCaptionLine(CaptionOf(main), " - Winamp");
  else
    text += PlayerCaptionLine(CaptionOf(FindByClass(kLightAlloyClass)), " - Light Alloy");
  // A player that leaves one query unanswered is not asked the rest: each would wait again.
  bool answering = true;
  auto ask = [&](WPARAM wParam, LPARAM query) {
    const std::optional<int32_t> answer =
        answering ? Ask(main, kWinampQuery, wParam, query) : std::nullopt;
    answering = answer.has_value();
    return answer.value_or(0);
  };
  WinampAnswers answers;
  answers.listPosition = ask(0, kWinampQueryListPosition);
  answers.listLength = ask(0, kWinampQueryListLength);
  answers.positionMs = ask(0, kWinampQueryTime);
  answers.lengthS = ask(1, kWinampQueryTime);
  answers.sampleRateKHz = ask(0, kWinampQueryRates);
  answers.bitRate = ask(1, kWinampQueryRates);
  return text + WinampAnswerLines(answers);
}

// Reserves `size` zeroed bytes at an address below 4 GiB; null when there is no room there.
void* AllocateBelow4GiB(size_t size) {
  constexpr uint64_t kLimit = uint64_t{1} << 32;
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  const uint64_t granularity = system.dwAllocationGranularity;
  uint64_t address = reinterpret_cast<uintptr_t>(system.lpMinimumApplicationAddress);
  MEMORY_BASIC_INFORMATION region{};
  while (address + size <= kLimit &&
         VirtualQuery(reinterpret_cast<void*>(static_cast<uintptr_t>(address)), &region,
                      sizeof region) == sizeof region) {
    const uint64_t base = reinterpret_cast<uintptr_t>(region.BaseAddress);
    const uint64_t end = base + region.RegionSize;
    const uint64_t start = (base + granularity - 1) / granularity * granularity;
    if (region.State == MEM_FREE && start + size <= end && start + size <= kLimit) {
      if (void* block = VirtualAlloc(reinterpret_cast<void*>(static_cast<uintptr_t>(start)), size,
                                     MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE))
        return block;
    }
    if (end <= address) break;
    address = end;
  }
  return nullptr;
}

// The buffer BSPlayer writes the file name into. The player is a 32-bit program that takes a
// 4-byte address, so the buffer lies below 4 GiB. It is never freed: a player that answers after
// the time-out still writes here and nowhere else.
char* FileNameBuffer() {
  static char* const buffer = static_cast<char*>(AllocateBelow4GiB(kBSPlayerFileNameSize));
  return buffer;
}

std::string BSPlayerTrackInfo(HWND main, HWND owner) {
  if (!main) return {};
  std::string name;
  if (char* const buffer = FileNameBuffer()) {
    static std::mutex lock;
    const std::lock_guard guard(lock);
    std::memset(buffer, 0, kBSPlayerFileNameSize);
    auto address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(buffer));
    COPYDATASTRUCT data{};
    data.dwData = kBSPlayerFileNameData;
    data.cbData = sizeof address;
    data.lpData = &address;
    // A hung player is not asked for the times as well.
    if (!Send(main, WM_COPYDATA, reinterpret_cast<WPARAM>(owner), reinterpret_cast<LPARAM>(&data)))
      return {};
    name.assign(buffer, strnlen(buffer, kBSPlayerFileNameSize - 1));
  }
  const int32_t position = Ask(main, kBSPlayerMessage, kBSPlayerQueryPosition, 0).value_or(-1);
  const int32_t length = Ask(main, kBSPlayerMessage, kBSPlayerQueryLength, 0).value_or(-1);
  return BSPlayerLines(WideToUtf8(AnsiToWide(name)), position, length);
}

}  // namespace

PlayerWindows FindPlayer(int& type, bool autodetect, const MediaPlayerOptions& options) {
  PlayerWindows windows = SearchPlayer(type, options);
  if (!autodetect || !options.autodetect) return windows;
  const HWND foreground = GetForegroundWindow();
  const HWND owner = foreground ? GetWindow(foreground, GW_OWNER) : nullptr;
  if (const auto detected =
          DetectPlayerType(ClassOf(owner), ClassOf(foreground), options.foobarClass)) {
    type = *detected;
    windows = SearchPlayer(type, options);
  }
  if (windows.main) return windows;
  for (const PlayerProbe& probe : PlayerProbeOrder(options.foobarClass)) {
    if (!FindByClass(probe.windowClass)) continue;
    type = probe.type;
    return SearchPlayer(type, options);
  }
  return windows;
}

void PlayerControl(int type, std::string_view code, const MediaPlayerServices& given) {
  const Services services(given);
  const MediaPlayerOptions options =
      services.s.options ? services.s.options() : MediaPlayerOptions{};
  Targets targets{FindPlayer(type, /*autodetect=*/true, options)};
  const HWND main = targets.windows.main;
  targets.showTarget = main;
  if ((type == kPlayerWinamp || type == kPlayerWinampLightAlloy) &&
      CaptionOf(main) == kWinampBridgeCaption)
    targets.showTarget = FindByClass(kLightAlloyClass);
  const HWND target = targets.showTarget;
  const HWND library = targets.windows.library;
  PlayerFacts facts;
  facts.mainFound = main != nullptr;
  facts.targetFound = target != nullptr;
  facts.targetVisible = target && IsWindowVisible(target);
  facts.targetForeground = target && GetForegroundWindow() == target;
  facts.targetOwnsForeground = target && OwnsOrIsForeground(target);
  facts.targetIsLightAlloy = ClassOf(target) == kLightAlloyClass;
  facts.libraryVisible = library && IsWindowVisible(library);
  facts.libraryForeground = library && GetForegroundWindow() == library;
  facts.playerPathExists = FileExists(options.playerPath);
  facts.ask = [main](uint32_t message, uint32_t wParam, uint32_t lParam) {
    return Ask(main, message, wParam, lParam);
  };
  Carry(PlayerSteps(type, code, facts, options), targets, options, services);
}

std::string PlayerTrackInfo(std::string_view code, const MediaPlayerServices& services) {
  const bool winampCode = ShowsTrackInfo(code) || IsShuffleOrRepeat(code);
  if (!winampCode) return {};
  const MediaPlayerOptions options = services.options ? services.options() : MediaPlayerOptions{};
  int type = options.playerType;
  const PlayerWindows windows = FindPlayer(type, /*autodetect=*/true, options);
  std::string text;
  switch (type) {
    case kPlayerWinamp:
    case kPlayerWinampLightAlloy:
      text = WinampTrackInfo(type, code, windows.main);
      break;
    case kPlayerBSPlayer:
      if (ShowsTrackInfo(code)) text = BSPlayerTrackInfo(windows.main, services.ownerWindow);
      break;
    case kPlayerFoobar2000:
      if (windows.main && ShowsTrackInfo(code)) text = Foobar2000Line(CaptionOf(windows.main));
      break;
    case kPlayerMediaPlayerClassic:
      if (windows.main && ShowsTrackInfo(code))
        text = MediaPlayerClassicLine(CaptionOf(windows.main));
      break;
    case kPlayerWindowsMediaPlayer:
      break;
    default:
      SetNotify(kUnknownPlayerType);
      break;
  }
  return FinishTrackText(std::move(text));
}

void RegisterMediaPlayerExecutors(MediaPlayerServices services) {
  RegisterMediaPlayerExecutor([services = std::move(services)](ExecContext& context) {
    const int type = services.options ? services.options().playerType : kPlayerWinamp;
    PlayerControl(type, context.code, services);
  });
}

}  // namespace tavion
