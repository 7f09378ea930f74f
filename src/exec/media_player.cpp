#include "exec/media_player.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

#include "lang/lang.h"
#include "settings/form.h"

namespace tavion {
namespace {

using D = PlayerDelivery;
using R = PlayerWindowRole;

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

constexpr AppCommandPlayer kAppCommandPlayers[] = {
    {kPlayerMediaPlayerClassic, true, kMediaPlayerClassicClass},
    {kPlayerWindowsMediaPlayer, true, kWindowsMediaPlayerClass},
    {kPlayerFoobar2000, true, kFoobar2000Class1},
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

}  // namespace

std::span<const PlayerCommand> WinampCommands() {
  return kWinampCommands;
}
std::span<const PlayerCommand> BSPlayerCommands() {
  return kBSPlayerCommands;
}
std::span<const PlayerCommand> WindowsMediaPlayerCommands() {
  return kWindowsMediaPlayerCommands;
}
std::span<const PlayerCommand> AppCommands() {
  return kAppCommands;
}

const PlayerCommand* FindPlayerCommand(std::span<const PlayerCommand> table,
                                       std::string_view code) {
  for (const PlayerCommand& command : table)
    if (command.code == code) return &command;
  return nullptr;
}

const AppCommandPlayer* FindAppCommandPlayer(int type) {
  for (const AppCommandPlayer& player : kAppCommandPlayers)
    if (player.type == type) return &player;
  return nullptr;
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

bool ShouldHidePlayer(bool focusFirst, bool visible, bool foregroundIsIt) {
  return focusFirst ? foregroundIsIt : visible;
}

LibraryStep ChooseLibraryStep(bool libraryForeground, bool libraryVisible, bool focusFirst) {
  if (libraryForeground) return LibraryStep::kToggle;
  if (libraryVisible) return focusFirst ? LibraryStep::kFocusLibrary : LibraryStep::kToggle;
  return LibraryStep::kShowFromMain;
}

uint32_t WinampPlayCommand(bool playPause, int32_t state) {
  return playPause && state != 0 ? kWinampPause : kWinampPlay;
}

MediaPlayerOptions MediaPlayerOptionsFromForm(const FormControls& form, std::string foobarClass) {
  MediaPlayerOptions options;
  options.foobarClass = std::move(foobarClass);
  if (auto at = form.Find("Opt_WAmp_Path")) options.playerPath = form.Text(*at);
  const std::pair<const char*, bool MediaPlayerOptions::*> checks[] = {
      {"Opt_Secn_Exit", &MediaPlayerOptions::closeOnSecondLaunch},
      {"Opt_Auto_Play", &MediaPlayerOptions::autoPlay},
      {"Opt_SetFoc_SH", &MediaPlayerOptions::focusBeforeHide},
      {"Opt_Play_Paus", &MediaPlayerOptions::playPause},
      {"Opt_AutodePlayer", &MediaPlayerOptions::autodetect},
      {"Opt_Desk_TextEx", &MediaPlayerOptions::extraText},
  };
  for (const auto& [name, field] : checks)
    if (auto at = form.Find(name)) options.*field = form.Checked(*at);
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
