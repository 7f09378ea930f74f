#pragma once
// The current interface language on Windows: its file in the "Lang" folder read into the
// process's language source.
#include <string>

namespace tavion {

class RegistryStore;

// Reads `language` + ".lng" from `folder` and makes it the source of every text; a missing or
// unreadable file leaves only the English texts. Files without a byte-order mark are in the
// system's ANSI code page.
void OpenLanguageFile(const std::wstring& folder, const std::string& language);

// SetLanguage: makes `name` the current language (Settings().Language), "nil" choosing the
// first start's language (ChosenLanguage), and opens its file. Returns whether the action
// catalogue must be built again in it (not after "nil").
bool SetLanguage(const std::string& name, const std::wstring& folder,
                 const RegistryStore& settings);

}  // namespace tavion
