#pragma once
// The decisions of the action editor's parameter tabs: which entry is in which field, what a
// field's text reads as, which controls are enabled, and the checks made before OK. Portable.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tavion {

// A failed check: the language key of its message (section "Strings"), the value the message
// shows in place of its "%s" (if any), and the control to focus.
struct ParamProblem {
  std::string messageKey;
  std::string argument;
  std::string control;
  friend bool operator==(const ParamProblem&, const ParamProblem&) = default;
};

// The translated text of `problem`'s message.
std::string ParamProblemText(const ParamProblem& problem);

// A message of a failed check: its language key and its English text.
struct ParamMessage {
  std::string_view key;
  std::string_view text;
};
// Every message a check can give.
std::span<const ParamMessage> ParamMessages();

// A message number or parameter as typed: a decimal integer from 0 to 4294967295, blanks around it
// allowed; nullopt for anything else. The 32-bit fields keep the bits of larger values as they
// are, so a captured lParam above 2^31 survives.
std::optional<uint32_t> ParseMessageNumber(std::string_view text);
// The text of a stored 32-bit message field: its bits as an unsigned decimal number.
std::string MessageNumberText(int32_t value);

// The fields of "ms_wmsg" as the tab shows them.
struct MessageFields {
  int mode = 0;  // the window type; 0 is the window named by class and caption
  std::string windowClass;
  std::string caption;
  std::string message;
  std::string wParam;
  std::string lParam;
};

// The first failing check of "ms_wmsg": no window chosen for "Custom" ("ErrorMesN", the
// browse button), then each number ("ErrorMes1" to "ErrorMes3").
std::optional<ParamProblem> CheckMessageFields(const MessageFields& fields);

// A message of the menu-capture hook: 0x465 puts the command's message (wParam) into "Message",
// 0x466 puts its wParam and lParam into "wParam" and "lParam". Only the low 32 bits count.
// Returns whether `message` was one of them.
bool TakeMenuCapture(uint32_t message, uint64_t wParam, uint64_t lParam, MessageFields& fields);

// "srun": a path is needed.
std::optional<ParamProblem> CheckLaunchPath(std::string_view path);

// "mc_play": a macro is needed.
std::optional<ParamProblem> CheckMacroName(std::string_view name);

// "mc_text": typing a text needs one; typing a file needs a file that exists (`fileExists`).
std::optional<ParamProblem> CheckTypedText(int mode, std::string_view text,
                                           std::string_view fileName,
                                           const std::function<bool(std::string_view)>& fileExists);

// "wm_scroll": which of the speed slider and "pages" are enabled for the chosen action
// (`mode`, -1 for none) and the state of "pages".
struct ScrollEnabling {
  bool speed = false;
  bool pages = false;
  friend bool operator==(const ScrollEnabling&, const ScrollEnabling&) = default;
};
ScrollEnabling ScrollControlsEnabled(int mode, bool pages);

}  // namespace tavion
