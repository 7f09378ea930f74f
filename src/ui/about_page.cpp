#include "ui/about_page.h"

#include <charconv>

#include "lang/lang.h"
#include "ui/main_options.h"

namespace tavion {
namespace {

// The fourth number of "major.minor.release.build"; 0 when there is none.
unsigned long BuildNumber(std::string_view version) {
  size_t at = 0;
  for (int dots = 0; dots < 3; ++dots) {
    at = version.find('.', at);
    if (at == std::string_view::npos) return 0;
    ++at;
  }
  unsigned long build = 0;
  const auto [end, error] =
      std::from_chars(version.data() + at, version.data() + version.size(), build);
  return error == std::errc() && end == version.data() + version.size() ? build : 0;
}

// Label texts break lines with CR LF; language texts carry a lone CR for "#13".
std::string WithLineFeeds(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) out += '\n';
  }
  return out;
}

}  // namespace

std::vector<ControlDecl> AboutPageControls() {
  using K = ControlKind;
  return {
      Plain(K::kLabel, "l_name", "Tavion"),
      Plain(K::kLabel, "l_ver", "version:"),
      Plain(K::kGroup, "g_contact", "Contact"),
      In("g_contact", Edit("e_author", "Author:", kMakerName)),
      In("g_contact", Edit("e_site", "Web site:", kMakerSite)),
      In("g_contact", Edit("e_mail", "E-mail:", kMakerMail)),
      Plain(K::kGroup, "g_update", "Update"),
      In("g_update", CheckBox("Opt_CheckUpdates", "Automatically check for new versions", true)),
      In("g_update", Plain(K::kButton, "b_upd", "Check now")),
  };
}

std::string AboutVersionText(std::string_view fullVersion, std::string_view buildDate) {
  std::string text = FormatLangText(
      GetLangStr("l_ver", "version: %s#13last changes from %s", "Fr1"), {fullVersion, buildDate});
  if (const unsigned long build = BuildNumber(fullVersion); build > 0)
    text += "\r" + GetLangStr("l_build", "build number:", "Fr1") + " " + std::to_string(build);
  return WithLineFeeds(text);
}

}  // namespace tavion
