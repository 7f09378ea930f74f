#include "ui/param_tabs.h"

#include <charconv>

#include "keys/hook_messages.h"
#include "lang/lang.h"

namespace tavion {
namespace {

constexpr ParamMessage kMessages[] = {
    {"ErrorNoParam", "Input command or path to file"},
    {"ErrorMesN", "Select window to send message"},
    {"ErrorMes1", "Message must be decimal number."},
    {"ErrorMes2", "WParam must be decimal number."},
    {"ErrorMes3", "LParam must be decimal number."},
    {"ErrorMacrosSel", "Macros not selected."},
    {"ErrorEmptyText", "Type some text."},
    {"ErrorFileNotFound", "File not found - %s"},
};

std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::string ParamProblemText(const ParamProblem& problem) {
  std::string_view english;
  for (const ParamMessage& message : kMessages)
    if (message.key == problem.messageKey) english = message.text;
  return FormatLangText(GetLangStr(problem.messageKey, english), {problem.argument});
}

std::optional<uint32_t> ParseMessageNumber(std::string_view text) {
  text = Trimmed(text);
  uint32_t value = 0;
  // from_chars takes neither a sign nor blanks inside, and reports overflow.
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string MessageNumberText(int32_t value) {
  return std::to_string(static_cast<uint32_t>(value));
}

std::optional<ParamProblem> CheckMessageFields(const MessageFields& fields) {
  if (fields.mode == 0 && fields.windowClass.empty() && fields.caption.empty())
    return ParamProblem{"ErrorMesN", {}, "b_browse"};
  const std::pair<const std::string*, const char*> numbers[] = {
      {&fields.message, "ErrorMes1"}, {&fields.wParam, "ErrorMes2"}, {&fields.lParam, "ErrorMes3"}};
  const char* controls[] = {"e_msg", "e_wparam", "e_lparam"};
  for (size_t i = 0; i < std::size(numbers); ++i)
    if (!ParseMessageNumber(*numbers[i].first))
      return ParamProblem{numbers[i].second, {}, controls[i]};
  return std::nullopt;
}

bool TakeMenuCapture(uint32_t message, uint64_t wParam, uint64_t lParam, MessageFields& fields) {
  const auto low = [](uint64_t value) { return std::to_string(static_cast<uint32_t>(value)); };
  if (message == kMsgMenuCommand) {
    fields.message = low(wParam);
    return true;
  }
  if (message == kMsgKeyEvent) {
    fields.wParam = low(wParam);
    fields.lParam = low(lParam);
    return true;
  }
  return false;
}

std::optional<ParamProblem> CheckLaunchPath(std::string_view path) {
  if (path.empty()) return ParamProblem{"ErrorNoParam", {}, "e_path"};
  return std::nullopt;
}

std::optional<ParamProblem> CheckMacroName(std::string_view name) {
  if (name.empty()) return ParamProblem{"ErrorMacrosSel", {}, "cb_macros"};
  return std::nullopt;
}

std::optional<ParamProblem> CheckTypedText(
    int mode, std::string_view text, std::string_view fileName,
    const std::function<bool(std::string_view)>& fileExists) {
  if (mode == 0 && text.empty()) return ParamProblem{"ErrorEmptyText", {}, "m_text"};
  if (mode == 1 && !fileExists(fileName))
    return ParamProblem{"ErrorFileNotFound", std::string(fileName), "e_file"};
  return std::nullopt;
}

ScrollEnabling ScrollControlsEnabled(int mode, bool pages) {
  if (mode == 2 || mode == 5) return {};  // zooming moves by wheel steps, one per run
  return {!pages, true};
}

std::span<const ParamMessage> ParamMessages() {
  return kMessages;
}

}  // namespace tavion
