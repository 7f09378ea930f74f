#pragma once
// The "Main options" page's table and decisions. Portable.

#include <string>
#include <vector>

#include "settings/form.h"

namespace tavion {

std::vector<ControlDecl> MainOptionsPageControls();

// The entries of the interface-language choice: "English" first, then the base names of the
// language files in the order found, leaving out a file that is named English too.
std::vector<std::string> LanguageChoices(const std::vector<std::string>& fileBaseNames);

// The entry of `choices` to select for `language`: its own, or the first when it is not listed.
int LanguageChoiceIndex(const std::vector<std::string>& choices, const std::string& language);

}  // namespace tavion
