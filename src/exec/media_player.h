#pragma once
// The media-player control's decisions: the players' window classes and command numbers per
// player type and action code, the autodetection order, and the track-information texts made
// from window captions and query answers. Portable; media_player_win.h talks to the players.

#include <cstdint>
#include <optional>
#include <span>
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

// Which of a Winamp-like player's windows a command goes to.
enum class PlayerWindowRole : uint8_t { kMain, kEqualizer, kPlaylist, kLibrary };

// How a table entry reaches the player.
enum class PlayerDelivery : uint8_t {
  kSend,                // SendMessage of the command
  kPost,                // PostMessage of the command
  kKeys,                // the key sender: modifiers + key to the window
  kForegroundThenSend,  // bring the main window to the foreground, then SendMessage
};

// Modifier masks of the key sender.
inline constexpr uint8_t kKeyAlt = 1;
inline constexpr uint8_t kKeyCtrl = 2;

// One fixed command of a player: WM_COMMAND `id` (Winamp, Windows Media Player), the WM_USER+2
// command `id` (BSPlayer), the application command `id`, or the key `key` with `modifiers`.
struct PlayerCommand {
  std::string_view code;
  PlayerDelivery delivery;
  uint32_t id = 0;
  PlayerWindowRole role = PlayerWindowRole::kMain;
  uint8_t modifiers = 0;
  uint16_t key = 0;
};

// The entries of the fixed commands of each family; codes with a decision of their own (show and
// hide, focus, play, launch, library, remove file, track name) are not in these tables.
std::span<const PlayerCommand> WinampCommands();
std::span<const PlayerCommand> BSPlayerCommands();
std::span<const PlayerCommand> WindowsMediaPlayerCommands();
std::span<const PlayerCommand> AppCommands();
// The entry of `code` in `table`, or null.
const PlayerCommand* FindPlayerCommand(std::span<const PlayerCommand> table, std::string_view code);

// The application-command player of `type` and its window class, or null for a type without an
// entry (only types 3, 4 and 5 have one).
struct AppCommandPlayer {
  int type;
  bool usesAppCommands;
  std::string_view windowClass;
};
const AppCommandPlayer* FindAppCommandPlayer(int type);

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

// Show/hide of a Winamp-like window: true to hide. `focusFirst` is the option SetFoc_SH;
// `foregroundIsIt` whether the window is the foreground window or owns it.
bool ShouldHidePlayer(bool focusFirst, bool visible, bool foregroundIsIt);

// The media library action ("wa_libr").
enum class LibraryStep : uint8_t {
  kToggle,        // post the library toggle to the main window
  kFocusLibrary,  // bring the library window to the foreground
  kShowFromMain,  // bring the main window to the foreground and post the library show
};
LibraryStep ChooseLibraryStep(bool libraryForeground, bool libraryVisible, bool focusFirst);

// The Winamp command of "wa_play": pause only when play/pause is on and the state is not stopped.
uint32_t WinampPlayCommand(bool playPause, int32_t state);

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
