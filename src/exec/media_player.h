#pragma once
// The media-player control's decisions: the players' window classes, the autodetection order,
// what each action code sends to which window of each player, and the track-information texts
// made from window captions and query answers. Portable; media_player_win.h talks to the players.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavion {

class FormControls;

// The option PlayerType.
enum PlayerType : int {
  kPlayerWinamp = 0,
  kPlayerWinampLightAlloy = 1,
  kPlayerBSPlayer = 2,
  kPlayerWindowsMediaPlayer = 3,
  kPlayerFoobar2000 = 4,
  kPlayerMediaPlayerClassic = 5,
};

inline constexpr char kWinampClass[] = "Winamp v1.x";
inline constexpr char kWinampBridgeCaption[] = "WA2LA bridge";
inline constexpr char kLightAlloyClass[] = "LightAlloyFront";
inline constexpr char kBSPlayerClass[] = "BSPlayer";
inline constexpr char kWindowsMediaPlayerClass[] = "WMPlayerApp";
inline constexpr char kMediaPlayerClassicClass[] = "MediaPlayerClassicW";
inline constexpr char kFoobar2000Class[] = "{DA7CD0DE-1602-45e6-89A1-C2CA151E008E}";
inline constexpr char kFoobar2000Class1[] = "{DA7CD0DE-1602-45e6-89A1-C2CA151E008E}/1";
// The newer Winamp window set: one class, told apart by caption.
inline constexpr char kWinampModernClass[] = "BaseWindow_RootWnd";
inline constexpr char kWinampModernMainCaption[] = "Player Window";
inline constexpr char kWinampModernPlaylistCaption[] = "Playlist Editor";
inline constexpr char kWinampModernLibraryCaption[] = "Media Library";
inline constexpr char kWinampEqualizerClass[] = "Winamp EQ";
inline constexpr char kWinampPlaylistClass[] = "Winamp PE";
inline constexpr char kWinampLibraryClass[] = "Winamp Gen";

// Messages and numbers of the players' interfaces.
inline constexpr uint32_t kWinampQuery = 1024;      // WM_USER, the query in lParam
inline constexpr uint32_t kWinampQueryState = 104;  // 0 stopped, 1 playing, 3 paused
inline constexpr uint32_t kWinampQueryTime = 105;   // wParam 0 position ms, 1 length s
inline constexpr uint32_t kWinampQueryListLength = 124;
inline constexpr uint32_t kWinampQueryListPosition = 125;  // 0-based
inline constexpr uint32_t kWinampQueryRates = 126;         // wParam 0 sample kHz, 1 bit rate
inline constexpr uint32_t kWinampQueryShuffle = 250;
inline constexpr uint32_t kWinampQueryRepeat = 251;
inline constexpr uint32_t kWinampQueryWindow = 260;  // wParam 1: the playlist window
inline constexpr uint32_t kWinampPlay = 40045;
inline constexpr uint32_t kWinampPause = 40046;
inline constexpr uint32_t kWinampRemoveFile = 40223;  // to the playlist window
inline constexpr uint32_t kWinampLibraryToggle = 40380;
inline constexpr uint32_t kWinampLibraryShow = 40376;
inline constexpr uint32_t kBSPlayerMessage = 1026;  // WM_USER+2, the command in wParam
inline constexpr uint32_t kBSPlayerPlay = 20;
inline constexpr uint32_t kBSPlayerPause = 21;
inline constexpr uint32_t kBSPlayerStop = 22;
inline constexpr uint32_t kBSPlayerQueryState = 0x10102;  // with lParam 104; 2 = playing
inline constexpr uint32_t kBSPlayerQueryStateParam = 104;
inline constexpr uint32_t kBSPlayerStatePlaying = 2;
inline constexpr uint32_t kBSPlayerQueryPosition = 0x10101;  // ms
inline constexpr uint32_t kBSPlayerQueryLength = 0x10100;    // ms
inline constexpr uint32_t kBSPlayerFileNameData = 0x1010B;   // WM_COPYDATA identifier
inline constexpr size_t kBSPlayerFileNameSize = 260;
inline constexpr uint32_t kAppCommandPlayPause = 14;
inline constexpr uint32_t kLightAlloyToggle = 514;  // lParam of WM_APP, wParam 0

// The system's numbers of the window messages the players are sent.
inline constexpr uint32_t kMessageClose = 0x0010;
inline constexpr uint32_t kMessageCommand = 0x0111;
inline constexpr uint32_t kMessageSysCommand = 0x0112;
inline constexpr uint32_t kMessageAppCommand = 0x0319;
inline constexpr uint32_t kMessageApp = 0x8000;
inline constexpr uint32_t kSysCommandMinimize = 0xF020;
inline constexpr uint32_t kSysCommandRestore = 0xF120;

// Modifier masks of the key sender.
inline constexpr uint8_t kKeyAlt = 1;
inline constexpr uint8_t kKeyCtrl = 2;

// The main window's class and caption name Winamp's main window, not the Light Alloy bridge.
bool IsWinampMainWindow(std::string_view windowClass, std::string_view caption);

// The main-window classes searched for `type` (2 to 5) in order; `foobarClass` is the option
// foobar2000_class, left out when empty. Empty for types 0 and 1 and unknown types.
std::vector<std::string> MainWindowClasses(int type, std::string_view foobarClass);

// Autodetection by the foreground window: the type its owner's class or its own class names, or
// nullopt. The owner is asked first, and only for Winamp.
std::optional<int> DetectPlayerType(std::string_view ownerClass, std::string_view foregroundClass,
                                    std::string_view foobarClass);

// The classes probed for a running player when no main window is known, in order, with the type
// each one selects (`foobarClass` last when not empty).
struct PlayerProbe {
  std::string windowClass;
  int type;
};
std::vector<PlayerProbe> PlayerProbeOrder(std::string_view foobarClass);

// The options of the media-player page that the control reads.
struct MediaPlayerOptions {
  std::string playerPath;           // Opt_WAmp_Path
  bool closeOnSecondLaunch = true;  // Opt_Secn_Exit
  bool autoPlay = true;             // Opt_Auto_Play
  bool focusBeforeHide = true;      // Opt_SetFoc_SH
  bool playPause = true;            // Opt_Play_Paus
  bool autodetect = true;           // Opt_AutodePlayer
  int playerType = kPlayerWinamp;   // Opt_PlayerType
  bool extraText = true;            // Opt_Desk_TextEx
  std::string foobarClass;          // the setting foobar2000_class
};

// The options as the main window's option controls hold them; a missing control keeps its
// default. `foobarClass` comes from the settings record.
MediaPlayerOptions MediaPlayerOptionsFromForm(const FormControls& form, std::string foobarClass);

// Which of the player's windows a step acts on. The show target is the window that "wa_s/\\h"
// shows and hides: Light Alloy's own window behind the bridge, else the main window.
enum class PlayerWindowRole : uint8_t { kMain, kEqualizer, kPlaylist, kLibrary, kShowTarget };

// One thing the control does to the player or the program.
enum class PlayerStepKind : uint8_t {
  kSend,           // SendMessage `message`, `wParam`, `lParam` to the window of `role`
  kPost,           // PostMessage of the same
  kKeys,           // the key sender types `modifiers` + `key` into the window of `role`
  kForeground,     // brings the window of `role` to the foreground
  kRestore,        // restores the window of `role` without waiting for it
  kLaunch,         // starts the player's program
  kSendToStarted,  // SendMessage to the first window of class `text`, found after a launch
  kRunAction,      // runs the action code `text` without an action
  kRemoveFile,     // asks the main window for its playlist and removes the file playing there
  kFoobarRandom,   // starts foobar2000.exe with "/rand"
  kNotify,         // the text of `note` becomes the notification text
};

// The notification texts of the control.
enum class PlayerNote : uint8_t {
  kNone,
  kNotStarted,
  kWrongPath,
  kUnknownType,
  kUnknownAction,  // `text` is the action code
  kHidden,
  kShown,
};

struct PlayerStep {
  PlayerStepKind kind;
  PlayerWindowRole role = PlayerWindowRole::kMain;
  uint32_t message = 0;
  uint32_t wParam = 0;
  uint32_t lParam = 0;
  bool windowAsWParam = false;  // wParam is the handle of the window itself (WM_APPCOMMAND)
  uint8_t modifiers = 0;
  uint16_t key = 0;
  PlayerNote note = PlayerNote::kNone;
  std::string_view text = {};  // a window class, an action code: text that outlives the steps
  friend bool operator==(const PlayerStep&, const PlayerStep&) = default;
};

// The notification text of a kNotify step, translated where the language has it.
std::string PlayerNoteText(const PlayerStep& step);

// What the control knows of the player when it decides. "Target" is the show target.
struct PlayerFacts {
  bool mainFound = false;
  bool targetFound = false;
  bool targetVisible = false;
  bool targetForeground = false;      // the foreground window is the target itself
  bool targetOwnsForeground = false;  // the target is the foreground window or owns it
  bool targetIsLightAlloy = false;
  bool libraryVisible = false;
  bool libraryForeground = false;
  bool playerPathExists = false;
  // Asks the main window (SendMessage) and returns its answer; nullopt when it gave none.
  std::function<std::optional<int32_t>(uint32_t message, uint32_t wParam, uint32_t lParam)> ask;
};

// The steps of the action `code` for the player of `type`, in order; they refer to `code`.
// Asks the player through `facts.ask` only where the answer decides.
std::vector<PlayerStep> PlayerSteps(int type, std::string_view code, const PlayerFacts& facts,
                                    const MediaPlayerOptions& options);

// The texts the control reports; the first three are not translated.
inline constexpr char kUnknownPlayerType[] = "Error: unknown player type";
inline constexpr char kUnknownPlayerAction[] = "Error: unknown player action - ";
inline constexpr char kFoobarMissing[] = "Error: can't find foobar2000.exe";

// Codes whose notification shows the track (PlayerTrackInfo); the shuffle and repeat codes only
// for Winamp-like players.
bool ShowsTrackInfo(std::string_view code);
bool IsShuffleOrRepeat(std::string_view code);

// Query answers of a Winamp-like player.
struct WinampAnswers {
  int32_t listPosition = 0;  // 0-based
  int32_t listLength = 0;
  int32_t positionMs = 0;
  int32_t lengthS = 0;
  int32_t sampleRateKHz = 0;
  int32_t bitRate = 0;
};

// The caption line of a Winamp main window: when it holds " - ", every `suffix` removed.
std::string PlayerCaptionLine(std::string caption, std::string_view suffix);
// Lines (each starting with a carriage return) of list place, time and rates.
std::string WinampAnswerLines(const WinampAnswers& answers);
// " - " and the translated yes or no.
std::string ShuffleRepeatText(bool on);
// The BSPlayer lines: the file name without its folder, then position and length in ms as
// [mm:ss/mm:ss] when neither is negative.
std::string BSPlayerLines(std::string_view fileName, int32_t positionMs, int32_t lengthMs);
// The foobar2000 line: the caption cut four characters before "[foobar2000".
std::string Foobar2000Line(std::string_view caption);
// The Media Player Classic line: every " - Media Player Classic" removed, then every
// "Media Player Classic".
std::string MediaPlayerClassicLine(std::string caption);
// The finished text: %20, %3d, %28, %29 decoded (any case); a lone carriage return is empty.
std::string FinishTrackText(std::string text);

}  // namespace tavion
