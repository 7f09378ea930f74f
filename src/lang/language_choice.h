#pragma once
// Which language file SetLanguage opens. Portable.

#include <functional>
#include <string>

namespace tavion {

class RegistryStore;

// The language name of a first start: no language chosen yet.
inline constexpr char kFirstStartLanguage[] = "nil";

// The language SetLanguage opens for `name`: `name` itself, except for "nil" (a first start),
// which takes the installer's language (the integer Setup\Lang of the settings root `settings`):
// 1049 "Russian" and 1058 "Ukrainian", each only when `fileExists` finds its file; otherwise
// "nil" stays, a name without a file.
std::string ChosenLanguage(const std::string& name, const RegistryStore& settings,
                           const std::function<bool(const std::string& language)>& fileExists);

}  // namespace tavion
