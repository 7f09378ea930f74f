#include "plugins/plugin_info.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "lang/lang.h"

namespace tavion {
namespace {

constexpr char kFieldMark = '\x02';

// The next line of `text` from `at`, which moves past its line break.
std::string_view NextLine(std::string_view text, std::size_t& at) {
  const std::size_t end = std::min(text.find_first_of("\r\n", at), text.size());
  const std::string_view line = text.substr(at, end - at);
  at = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
  return line;
}

// A decimal number made of digits only; nullopt for anything else or one past 32 bits.
std::optional<uint32_t> DecimalNumber(std::string_view text) {
  uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::vector<PluginActionLine> SplitPluginActions(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::size_t at = 0; at < text.size();) lines.push_back(NextLine(text, at));
  std::vector<PluginActionLine> actions;
  for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
    if (lines[i + 1].empty()) continue;
    actions.push_back({std::string(lines[i]), std::string(lines[i + 1])});
  }
  return actions;
}

std::string MakePluginCode(std::string_view file, std::string_view function) {
  std::string code = "plug";
  code.append({kFieldMark, '1'}).append(file).append({kFieldMark, '2'}).append(function);
  return code;
}

std::string PluginCodeField(std::string_view code, char field) {
  const char mark[] = {kFieldMark, field};
  const std::size_t at = code.find(std::string_view(mark, 2));
  if (at == std::string_view::npos) return {};
  const std::string_view rest = code.substr(at + 2);
  return std::string(rest.substr(0, rest.find(kFieldMark)));
}

std::string PluginDescriptionText(std::string_view description, std::string_view fileVersion) {
  constexpr std::string_view kMark = "%ver%";
  std::string text;
  std::size_t at = 0;
  for (std::size_t found; (found = description.find(kMark, at)) != std::string_view::npos;
       at = found + kMark.size()) {
    text.append(description.substr(at, found - at)).append(fileVersion);
  }
  return text.append(description.substr(at));
}

std::optional<int> ProgramPluginCommandId(std::string_view function) {
  static constexpr std::pair<std::string_view, int> kCommands[] = {
      {"GetProc", 1002}, {"GetInfo", 1003},   {"ShowHelp", 1004}, {"SetOpt", 1005},
      {"Install", 1006}, {"UnInstall", 1007}, {"TrayPopup", 0},
  };
  for (const auto& [name, id] : kCommands)
    if (name == function) return id;
  return std::nullopt;
}

std::optional<uint32_t> PluginInfoNumber(std::string_view function) {
  const std::optional<uint32_t> number = DecimalNumber(function);
  if (!number || *number <= 100) return std::nullopt;
  return number;
}

uint8_t PluginFlags(std::string_view answer) {
  return static_cast<uint8_t>(DecimalNumber(answer).value_or(0) & 0xFF);
}

std::string ProgramPluginText(std::string text) {
  std::replace(text.begin(), text.end(), '\x01', '\r');
  return text;
}

std::string ProgramPluginParameters(std::string_view command, uint64_t mainWindow) {
  return std::string(command) + " " + std::to_string(mainWindow);
}

PluginActionFlags PluginFlagsFromAnswers(const std::optional<std::string>& anyThread,
                                         const std::optional<std::string>& notifyFirst) {
  return {.mainThreadOnly = anyThread != "1", .notifyBefore = notifyFirst == "1"};
}

std::string PluginVersionError(std::string_view shortVersion, std::string_view file,
                               std::string_view version) {
  return FormatLangText(GetLangStr("ErrorPlugVer",
                                   "%s %s support PlugIns version - %s.#13'%s' has another PlugIn "
                                   "version - %s#13and can't be loaded"),
                        {"Tavion", shortVersion, "2A.0", file, version});
}

PluginQuery ClassifyPluginQuery(uint64_t wParam) {
  if ((wParam & 0xFFFF) == 100) return PluginQuery::kAppWindow;
  if ((wParam & 0xFF) == 1) return PluginQuery::kSettingsKey;
  if ((wParam & 0xFF) == 2) return PluginQuery::kLanguage;
  return PluginQuery::kEmpty;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace tavion
