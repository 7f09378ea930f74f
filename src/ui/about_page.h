#pragma once
// The "About" page's table and texts. Portable.

#include <string>
#include <string_view>
#include <vector>

#include "settings/form.h"

namespace tavion {

// The maker's contact texts shown on the page.
inline constexpr char kMakerName[] = "Quillon";
inline constexpr char kMakerSite[] = "https://tavion.quillon.example/";
inline constexpr char kMakerMail[] = "tavion@quillon.example";

std::vector<ControlDecl> AboutPageControls();

// "version: <full version>" and "last changes from <build date>" on two lines, then
// "build number: <n>" when the version's fourth number is greater than 0.
std::string AboutVersionText(std::string_view fullVersion, std::string_view buildDate);

}  // namespace tavion
