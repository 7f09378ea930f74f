#pragma once
// A small modal dialog that asks for one line of text: a name for a new macro or profile.
#include <windows.h>

#include <optional>
#include <string>

namespace tavion {

// Asks over `owner`, captioned `caption`, with `prompt` above the field and `text` in it
// (selected). Returns the text as typed (UTF-8) after OK, nullopt after Cancel or closing.
std::optional<std::string> AskText(HWND owner, const std::string& caption,
                                   const std::string& prompt, const std::string& text);

}  // namespace tavion
