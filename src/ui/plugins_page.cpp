#include "ui/plugins_page.h"

#include <cstdio>

#include "lang/lang.h"
#include "plugins/plugin_info.h"

namespace tavion {
namespace {

// FormatLangText that also takes "%<n>:s", argument n, which leaves the running count of the
// plain marks alone: "%s %s %0:s %s" with a, b, c reads "a b a c".
std::string FormatIndexed(std::string_view pattern, std::initializer_list<std::string_view> args) {
  std::string out;
  size_t next = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size()) {
      if ((pattern[i + 1] == 's' || pattern[i + 1] == 'd') && next < args.size()) {
        out += args.begin()[next++];
        ++i;
        continue;
      }
      if (i + 3 < pattern.size() && pattern[i + 1] >= '0' && pattern[i + 1] <= '9' &&
          pattern[i + 2] == ':' && (pattern[i + 3] == 's' || pattern[i + 3] == 'd')) {
        const size_t n = static_cast<size_t>(pattern[i + 1] - '0');
        if (n < args.size()) {
          out += args.begin()[n];
          i += 3;
          continue;
        }
      }
    }
    out += pattern[i];
  }
  return out;
}

}  // namespace

PluginButtons PluginButtonsFor(const PluginRowFacts* selected) {
  if (!selected) return {};
  return {selected->hasOptions, true, selected->hasHelp, selected->hasActions};
}

std::string FileSizeText(uint64_t bytes) {
  if (bytes < 1024) return std::to_string(bytes) + " " + GetLangStr("StrBytes", "bytes");
  const std::string units[] = {GetLangStr("StrKB", "KB"), GetLangStr("StrMB", "MB"),
                               GetLangStr("StrGB", "GB"), GetLangStr("StrTB", "TB")};
  double size = static_cast<double>(bytes) / 1024.0;
  size_t unit = 0;
  // 1023.95 KB would print as "1024.0 KB": such a size goes up a unit.
  while (size >= 1023.95 && unit + 1 < std::size(units)) {
    size /= 1024.0;
    ++unit;
  }
  char number[32];
  std::snprintf(number, sizeof number, "%.1f", size);
  return number + (" " + units[unit]);
}

std::string MissingPluginFolderText(std::string_view folder) {
  return GetLangStr("ErrorPlugFolder", "Fatal error - folder not found:") + "\r\n" +
         std::string(folder);
}

std::string PluginActionsText(std::string_view caption, const std::vector<std::string>& actions) {
  std::string text =
      FormatLangText(GetLangStr("InfoPlugActions1", "%s#13contains actions:"), {caption});
  for (const std::string& action : actions) text += "\r\n" + action;
  return text;
}

std::string PluginDeleteQuestion(std::string_view caption) {
  return FormatLangText(GetLangStr("QuestDeleteAction", "Are you sure you want to delete '%s?'"),
                        {caption});
}

std::string PluginCopyError(std::string_view folder, std::string_view reason) {
  return FormatLangText(
      GetLangStr("ErrorPlugCopy", "Can't copy the PlugIn into the folder:#13%s#13#13%s"),
      {folder, reason});
}

PluginAddDecision DecideAddPlugin(const PluginAddFacts& facts, std::string_view shortVersion) {
  switch (facts.answer) {
    case PluginAnswer::kNotPlugin:
      return {PluginAddStep::kRefuse,
              FormatLangText(GetLangStr("ErrorNotPlugIn", "'%s' is not PlugIn for %s"),
                             {facts.fileName, "Tavion"})};
    case PluginAnswer::kOtherVersion:
      return {PluginAddStep::kRefuse,
              PluginVersionError(shortVersion, facts.fileName, facts.versionAnswer)};
    case PluginAnswer::kPlugin:
      break;
  }
  if (!facts.exists) return {PluginAddStep::kCopy, {}};
  if (!facts.oldVersion.empty() && !facts.newVersion.empty()) {
    return {PluginAddStep::kAsk,
            FormatIndexed(GetLangStr("QuestPlugExists2",
                                     "File already exists: %s, version %s#13replace it by: %0:s, "
                                     "version %s?"),
                          {facts.fileName, facts.oldVersion, facts.newVersion})};
  }
  return {PluginAddStep::kAsk,
          FormatLangText(GetLangStr("QuestPlugExists1", "File - %s already exists, replace it?)"),
                         {facts.fileName})};
}

}  // namespace tavion
