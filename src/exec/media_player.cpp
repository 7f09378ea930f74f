#include "exec/media_player.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <span>

#include "lang/lang.h"
#include "settings/form.h"

namespace tavion {
namespace {

// How a fixed command reaches the player.
enum class PlayerDelivery : uint8_t {
  kSend,                // SendMessage of the command
  kPost,                // PostMessage of the command
  kKeys,                // the key sender: modifiers + key to the window
  kForegroundThenSend,  // bring the main window to the foreground, then SendMessage
};

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

using D = PlayerDelivery;
using R = PlayerWindowRole;
using S = PlayerStepKind;

constexpr PlayerCommand kWinampCommands[] = {
    {"wa_loop", D::kPost, 40022},
    {"wa_rand", D::kPost, 40023},
    {"wa_prev", D::kSend, 40044},
    {"wa_stop", D::kSend, 40047},
    {"wa_next", D::kSend, 40048},
    {"wa_rrew", D::kSend, 40061},
    {"wa_ffor", D::kPost, 40060},
    {"wa_wvup", D::kSend, 40058},
    {"wa_wvdw", D::kSend, 40059},
    {"wa_shw1", D::kPost, 40258},
    {"wa_shw2", D::kKeys, 0, R::kMain, kKeyAlt, 'G'},
    {"wa_shw3", D::kPost, 40040},
    {"wa_siz1", D::kKeys, 0, R::kMain, kKeyCtrl, 'W'},
    {"wa_siz2", D::kPost, 40064, R::kEqualizer},
    {"wa_siz3", D::kKeys, 0, R::kPlaylist, kKeyCtrl, 'W'},
    {"wa_pnew", D::kForegroundThenSend, 40187},
    {"wa_jump", D::kForegroundThenSend, 40194},
};

constexpr PlayerCommand kBSPlayerCommands[] = {
    {"wa_prev", D::kSend, 25},
    {"wa_stop", D::kSend, kBSPlayerStop},
    {"wa_next", D::kSend, 28},
    {"wa_wvup", D::kSend, 1},
    {"wa_wvdw", D::kSend, 2},
    {"wa_rrew", D::kSend, 80},
    {"wa_ffor", D::kPost, 79},
    {"wa_shw1", D::kKeys, 0, R::kMain, 0, 'H'},
    {"wa_shw3", D::kKeys, 0, R::kMain, kKeyAlt, 'E'},
};

constexpr PlayerCommand kWindowsMediaPlayerCommands[] = {
    {"wa_loop", D::kSend, 18843}, {"wa_rand", D::kSend, 18842}, {"wa_wvup", D::kSend, 18815},
    {"wa_wvdw", D::kSend, 18816}, {"wa_shw3", D::kPost, 18783},
};

constexpr PlayerCommand kAppCommands[] = {
    {"wa_prev", D::kSend, 12}, {"wa_stop", D::kSend, 13}, {"wa_next", D::kSend, 11},
    {"wa_wvup", D::kSend, 10}, {"wa_wvdw", D::kSend, 9},
};

void EraseEvery(std::string& text, std::string_view part) {
  for (size_t at; (at = text.find(part)) != std::string::npos;) text.erase(at, part.size());
}

std::string TwoDigits(int32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02d", static_cast<int>(value));
  return buffer;
}

std::string MinutesSeconds(int32_t minutes, int32_t seconds) {
  return TwoDigits(minutes) + ":" + TwoDigits(seconds);
}

const PlayerCommand* FindCommand(std::span<const PlayerCommand> table, std::string_view code) {
  for (const PlayerCommand& command : table)
    if (command.code == code) return &command;
  return nullptr;
}

PlayerStep Send(uint32_t message, uint32_t wParam, uint32_t lParam = 0, R role = R::kMain) {
  return {.kind = S::kSend, .role = role, .message = message, .wParam = wParam, .lParam = lParam};
}

PlayerStep Post(uint32_t message, uint32_t wParam, uint32_t lParam = 0, R role = R::kMain) {
  return {.kind = S::kPost, .role = role, .message = message, .wParam = wParam, .lParam = lParam};
}

PlayerStep Keys(uint8_t modifiers, uint16_t key, R role = R::kMain) {
  return {.kind = S::kKeys, .role = role, .modifiers = modifiers, .key = key};
}

PlayerStep Do(S kind, R role = R::kMain) {
  return {.kind = kind, .role = role};
}

PlayerStep Note(PlayerNote note, std::string_view text = {}) {
  return {.kind = S::kNotify, .note = note, .text = text};
}

PlayerStep AppCommand(uint32_t command) {
  return {.kind = S::kSend,
          .message = kMessageAppCommand,
          .lParam = command << 16,
          .windowAsWParam = true};
}

PlayerStep WrongPath() {
  return Note(PlayerNote::kWrongPath);
}

PlayerStep Unsupported(std::string_view code) {
  return Note(PlayerNote::kUnknownAction, code);
}

using Steps = std::vector<PlayerStep>;

// A fixed command as it reaches the player; `message` is that of the command's family.
Steps Deliver(const PlayerCommand& command, uint32_t message) {
  switch (command.delivery) {
    case PlayerDelivery::kSend:
      return {Send(message, command.id, 0, command.role)};
    case PlayerDelivery::kPost:
      return {Post(message, command.id, 0, command.role)};
    case PlayerDelivery::kKeys:
      return {Keys(command.modifiers, command.key, command.role)};
    case PlayerDelivery::kForegroundThenSend:
      break;
  }
  return {Do(S::kForeground), Send(message, command.id, 0, command.role)};
}

// "wa_play" without a player: start it when its path exists and tell the new window to play.
Steps StartAndPlay(const PlayerFacts& facts, const char* windowClass, uint32_t message,
                   uint32_t play) {
  if (!facts.playerPathExists) return {WrongPath()};
  return {Do(S::kLaunch),
          {.kind = S::kSendToStarted, .message = message, .wParam = play, .text = windowClass}};
}

Steps AppCommandPlayerSteps(int type, std::string_view code, const PlayerFacts& facts) {
  const bool foobar = type == kPlayerFoobar2000;
  if (foobar && (code == "wa_wvup" || code == "wa_wvdw")) return {Unsupported(code)};
  if (type == kPlayerMediaPlayerClassic && code == "wa_shw3") return {Keys(kKeyCtrl, '7')};
  if (foobar && code == "wa_rand") return {Do(S::kFoobarRandom)};
  if (type == kPlayerWindowsMediaPlayer) {
    if (const PlayerCommand* command = FindCommand(kWindowsMediaPlayerCommands, code))
      return Deliver(*command, kMessageCommand);
  }
  if (code == "wa_s/\\h") {
    if (facts.targetForeground) return {Post(kMessageSysCommand, kSysCommandMinimize)};
    return {Post(kMessageSysCommand, kSysCommandRestore), Do(S::kForeground)};
  }
  if (code == "wa_play" || code == "wa_wamp" || code == "wa_focs") {
    if (!facts.mainFound) return {facts.playerPathExists ? Do(S::kLaunch) : WrongPath()};
    if (code == "wa_play") return {AppCommand(kAppCommandPlayPause)};
    if (facts.targetForeground) return {Do(S::kForeground)};
    return {Send(kMessageSysCommand, kSysCommandRestore), Do(S::kForeground)};
  }
  if (const PlayerCommand* command = FindCommand(kAppCommands, code))
    return {AppCommand(command->id)};
  if (code != "wa_song") return {Unsupported(code)};
  return {};
}

Steps BSPlayerSteps(std::string_view code, const PlayerFacts& facts,
                    const MediaPlayerOptions& options) {
  if (code == "wa_s/\\h") {
    if (options.focusBeforeHide && facts.targetVisible && !facts.targetForeground)
      return {Do(S::kForeground)};
    return {Keys(0, 'H')};
  }
  if (const PlayerCommand* entry = FindCommand(kBSPlayerCommands, code))
    return Deliver(*entry, kBSPlayerMessage);
  if (code == "wa_focs") return {facts.targetVisible ? Do(S::kForeground) : Keys(0, 'H')};
  if (code == "wa_play") {
    if (!facts.mainFound)
      return StartAndPlay(facts, kBSPlayerClass, kBSPlayerMessage, kBSPlayerPlay);
    if (!options.playPause)
      return {Send(kBSPlayerMessage, kBSPlayerStop), Send(kBSPlayerMessage, kBSPlayerPlay)};
    const std::optional<int32_t> state =
        facts.ask(kBSPlayerMessage, kBSPlayerQueryState, kBSPlayerQueryStateParam);
    if (!state) return {};
    return {Send(kBSPlayerMessage, *state == static_cast<int32_t>(kBSPlayerStatePlaying)
                                       ? kBSPlayerPause
                                       : kBSPlayerPlay)};
  }
  if (code == "wa_wamp") {
    if (facts.mainFound && options.closeOnSecondLaunch) return {Post(kMessageClose, 0)};
    Steps steps{Do(S::kLaunch)};
    if (options.autoPlay)
      steps.push_back({.kind = S::kSendToStarted,
                       .message = kBSPlayerMessage,
                       .wParam = kBSPlayerPlay,
                       .text = kBSPlayerClass});
    return steps;
  }
  if (code != "wa_song") return {Unsupported(code)};
  return {};
}

Steps ShowOrHideWinamp(const PlayerFacts& facts, const MediaPlayerOptions& options) {
  if (!facts.targetFound) return {};
  const bool hide = options.focusBeforeHide ? facts.targetOwnsForeground : facts.targetVisible;
  Steps steps;
  if (facts.targetIsLightAlloy)
    steps.push_back(Send(kMessageApp, 0, kLightAlloyToggle, R::kShowTarget));
  else if (hide)
    steps.push_back(Keys(kKeyAlt, 'M', R::kShowTarget));
  else
    steps.push_back(Do(S::kRestore, R::kShowTarget));
  if (!hide) steps.push_back(Do(S::kForeground, R::kShowTarget));
  if (options.extraText) steps.push_back(Note(hide ? PlayerNote::kHidden : PlayerNote::kShown));
  return steps;
}

Steps MediaLibrary(const PlayerFacts& facts, const MediaPlayerOptions& options) {
  if (facts.libraryForeground || (facts.libraryVisible && !options.focusBeforeHide))
    return {Post(kMessageCommand, kWinampLibraryToggle)};
  if (facts.libraryVisible) return {Do(S::kForeground, R::kLibrary)};
  return {Do(S::kForeground), Post(kMessageCommand, kWinampLibraryShow)};
}

Steps WinampSteps(std::string_view code, const PlayerFacts& facts,
                  const MediaPlayerOptions& options) {
  if (const PlayerCommand* command = FindCommand(kWinampCommands, code))
    return Deliver(*command, kMessageCommand);
  if (code == "wa_s/\\h") return ShowOrHideWinamp(facts, options);
  if (code == "wa_focs") return {Do(S::kLaunch)};
  if (code == "wa_delf") return {Do(S::kForeground), Do(S::kRemoveFile)};
  if (code == "wa_libr") return MediaLibrary(facts, options);
  if (code == "wa_play") {
    if (!facts.mainFound) return StartAndPlay(facts, kWinampClass, kMessageCommand, kWinampPlay);
    const std::optional<int32_t> state =
        options.playPause ? facts.ask(kWinampQuery, 0, kWinampQueryState) : 0;
    if (!state) return {};
    // Pause only when play/pause is on and the player is not stopped.
    return {Send(kMessageCommand, options.playPause && *state != 0 ? kWinampPause : kWinampPlay)};
  }
  if (code == "wa_wamp") {
    if (facts.mainFound && options.closeOnSecondLaunch) return {Post(kMessageClose, 0)};
    Steps steps{Do(S::kLaunch)};
    if (options.autoPlay) steps.push_back({.kind = S::kRunAction, .text = "wa_play"});
    return steps;
  }
  if (code != "wa_song") return {Unsupported(code)};
  return {};
}

}  // namespace

bool IsWinampMainWindow(std::string_view windowClass, std::string_view caption) {
  return windowClass == kWinampClass && caption != kWinampBridgeCaption;
}

std::vector<std::string> MainWindowClasses(int type, std::string_view foobarClass) {
  switch (type) {
    case kPlayerBSPlayer:
      return {kBSPlayerClass};
    case kPlayerWindowsMediaPlayer:
      return {kWindowsMediaPlayerClass};
    case kPlayerMediaPlayerClassic:
      return {kMediaPlayerClassicClass};
    case kPlayerFoobar2000: {
      std::vector<std::string> classes{kFoobar2000Class, kFoobar2000Class1};
      if (!foobarClass.empty()) classes.emplace_back(foobarClass);
      return classes;
    }
    default:
      return {};
  }
}

std::optional<int> DetectPlayerType(std::string_view ownerClass, std::string_view foregroundClass,
                                    std::string_view foobarClass) {
  if (ownerClass == kWinampClass) return kPlayerWinamp;
  static constexpr std::pair<std::string_view, int> kByForeground[] = {
      {kWinampClass, kPlayerWinamp},
      {kLightAlloyClass, kPlayerWinampLightAlloy},
      {kBSPlayerClass, kPlayerBSPlayer},
      {kMediaPlayerClassicClass, kPlayerMediaPlayerClassic},
      {kWindowsMediaPlayerClass, kPlayerWindowsMediaPlayer},
      {kFoobar2000Class, kPlayerFoobar2000},
      {kFoobar2000Class1, kPlayerFoobar2000},
  };
  for (const auto& [windowClass, type] : kByForeground)
    if (foregroundClass == windowClass) return type;
  if (!foobarClass.empty() && foregroundClass == foobarClass) return kPlayerFoobar2000;
  return std::nullopt;
}

std::vector<PlayerProbe> PlayerProbeOrder(std::string_view foobarClass) {
  std::vector<PlayerProbe> order{
      {kLightAlloyClass, kPlayerWinampLightAlloy},
      {kWinampClass, kPlayerWinamp},
      {kBSPlayerClass, kPlayerBSPlayer},
      {kMediaPlayerClassicClass, kPlayerMediaPlayerClassic},
      {kWindowsMediaPlayerClass, kPlayerWindowsMediaPlayer},
      {kFoobar2000Class, kPlayerFoobar2000},
      {kFoobar2000Class1, kPlayerFoobar2000},
  };
  if (!foobarClass.empty()) order.push_back({std::string(foobarClass), kPlayerFoobar2000});
  return order;
}

std::vector<PlayerStep> PlayerSteps(int type, std::string_view code, const PlayerFacts& facts,
                                    const MediaPlayerOptions& options) {
  if (!facts.mainFound && code != "wa_play" && code != "wa_wamp")
    return {Note(PlayerNote::kNotStarted)};
  switch (type) {
    case kPlayerWindowsMediaPlayer:
    case kPlayerFoobar2000:
    case kPlayerMediaPlayerClassic:
      return AppCommandPlayerSteps(type, code, facts);
    case kPlayerBSPlayer:
      return BSPlayerSteps(code, facts, options);
    case kPlayerWinamp:
    case kPlayerWinampLightAlloy:
      return WinampSteps(code, facts, options);
    default:
      return {Note(PlayerNote::kUnknownType)};
  }
}

std::string PlayerNoteText(const PlayerStep& step) {
  switch (step.note) {
    case PlayerNote::kNotStarted:
      return GetLangStr("ErrorWinAmp", "Media Player not started");
    case PlayerNote::kWrongPath:
      return GetLangStr("ErrorWinAmpPath", "Incorrect path to Winamp");
    case PlayerNote::kUnknownType:
      return kUnknownPlayerType;
    case PlayerNote::kUnknownAction:
      return kUnknownPlayerAction + std::string(step.text);
    case PlayerNote::kHidden:
      return GetLangStr("WAhide", "Minimize Winamp");
    case PlayerNote::kShown:
      return GetLangStr("WAshow", "Restore Winamp");
    case PlayerNote::kNone:
      break;
  }
  return {};
}

MediaPlayerOptions MediaPlayerOptionsFromForm(const FormControls& form, std::string foobarClass) {
  MediaPlayerOptions options;
  options.foobarClass = std::move(foobarClass);
  if (auto at = form.Find("Opt_WAmp_Path")) options.playerPath = form.Text(*at);
  ReadCheckBoxes<MediaPlayerOptions>(form, options,
                                     {{"Opt_Secn_Exit", &MediaPlayerOptions::closeOnSecondLaunch},
                                      {"Opt_Auto_Play", &MediaPlayerOptions::autoPlay},
                                      {"Opt_SetFoc_SH", &MediaPlayerOptions::focusBeforeHide},
                                      {"Opt_Play_Paus", &MediaPlayerOptions::playPause},
                                      {"Opt_AutodePlayer", &MediaPlayerOptions::autodetect},
                                      {"Opt_Desk_TextEx", &MediaPlayerOptions::extraText}});
  if (auto at = form.Find("Opt_PlayerType")) options.playerType = form.ItemIndex(*at);
  return options;
}

bool ShowsTrackInfo(std::string_view code) {
  static constexpr std::string_view kCodes[] = {"wa_play", "wa_prev", "wa_next", "wa_stop",
                                                "wa_song", "wa_rrew", "wa_ffor"};
  return std::find(std::begin(kCodes), std::end(kCodes), code) != std::end(kCodes);
}

bool IsShuffleOrRepeat(std::string_view code) {
  return code == "wa_rand" || code == "wa_loop";
}

std::string PlayerCaptionLine(std::string caption, std::string_view suffix) {
  if (caption.find(" - ") != std::string::npos) EraseEvery(caption, suffix);
  return "\r" + caption;
}

std::string WinampAnswerLines(const WinampAnswers& a) {
  std::string lines;
  if (a.listPosition > 0 || a.listLength >= 1)
    lines += "\r[" + std::to_string(a.listPosition + 1) + "/" + std::to_string(a.listLength) + "]";
  if (a.positionMs > 0 || a.lengthS >= 1)
    lines += "\r[" + MinutesSeconds(a.positionMs / 60000, (a.positionMs % 60000) / 1000) + "/" +
             MinutesSeconds(a.lengthS / 60, a.lengthS % 60) + "]";
  if (a.bitRate >= 1 || a.sampleRateKHz >= 1)
    lines += "\rkbit:" + std::to_string(a.bitRate) + " ~KHz:" + std::to_string(a.sampleRateKHz);
  return lines;
}

std::string ShuffleRepeatText(bool on) {
  return " - " + (on ? GetLangStr("NotifyYes", "yes") : GetLangStr("NotifyNo", "no"));
}

std::string BSPlayerLines(std::string_view fileName, int32_t positionMs, int32_t lengthMs) {
  const size_t slash = fileName.find_last_of("\\/");
  std::string lines = "\r";
  lines += fileName.substr(slash == std::string_view::npos ? 0 : slash + 1);
  if (positionMs >= 0 && lengthMs >= 0)
    lines += "\r[" + MinutesSeconds(positionMs / 60000, (positionMs % 60000) / 1000) + "/" +
             MinutesSeconds(lengthMs / 60000, (lengthMs % 60000) / 1000) + "]";
  return lines;
}

std::string Foobar2000Line(std::string_view caption) {
  const size_t mark = caption.find("[foobar2000");
  std::string line = "\r";
  line += mark == std::string_view::npos ? caption : caption.substr(0, mark >= 4 ? mark - 4 : 0);
  return line;
}

std::string MediaPlayerClassicLine(std::string caption) {
  EraseEvery(caption, " - Media Player Classic");
  EraseEvery(caption, "Media Player Classic");
  return "\r" + caption;
}

std::string FinishTrackText(std::string text) {
  static constexpr std::array<std::pair<std::string_view, char>, 4> kEscapes{
      {{"%20", ' '}, {"%3d", '='}, {"%28", '('}, {"%29", ')'}}};
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    bool decoded = false;
    if (text[i] == '%' && i + 2 < text.size()) {
      for (const auto& [escape, plain] : kEscapes) {
        if (std::tolower(static_cast<unsigned char>(text[i + 1])) == escape[1] &&
            std::tolower(static_cast<unsigned char>(text[i + 2])) == escape[2]) {
          out += plain;
          i += 2;
          decoded = true;
          break;
        }
      }
    }
    if (!decoded) out += text[i];
  }
  return out == "\r" ? std::string() : out;
}

}  // namespace tavion
