#pragma once
// Which 16 x 16 icon file of the "Resource" folder a notification shows. Portable;
// osd_icons_win.h loads the files.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tavion {

// The icon file (a name in the "Resource" folder) of notification kind `kind` (1 language,
// 2 volume, 3 muted volume) or, for kind 0, of the action code `code`: one picture per family of
// codes, the plug-in picture for any other code, the program's default for an empty code (a
// notification without an action). Kinds above 3 are treated as 0.
std::string OsdIconFile(std::string_view code, uint8_t kind);

// Every file OsdIconFile can name, each once.
std::span<const std::string_view> OsdIconFiles();

// The file of the icon set `set` for the keyboard language `languageId` ("l3_1033.ico");
// empty for set 0.
std::string LanguageIconFile(uint8_t set, uint16_t languageId);

}  // namespace tavion
