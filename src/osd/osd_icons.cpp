#include "osd/osd_icons.h"

#include <array>

#include "osd/notify_action.h"

namespace tavion {
namespace {

constexpr std::string_view kDefaultIcon = "osd_default.ico";
constexpr std::string_view kPluginIcon = "osd_plugin.ico";
constexpr std::string_view kLanguageIcon = "osd_language.ico";
constexpr std::string_view kVolumeIcon = "osd_volume.ico";
constexpr std::string_view kMutedIcon = "osd_muted.ico";

struct CodeFamily {
  std::string_view prefix;  // a code that starts with it, or equals it when `whole`
  bool whole;
  std::string_view file;
};

// First match wins; the program's own codes are the only ones with these beginnings.
constexpr std::array<CodeFamily, 8> kFamilies{{
    {"srun", true, "osd_launch.ico"},
    {"wa_", false, "osd_player.ico"},
    {"wm_", false, "osd_window.ico"},
    {"ms_", false, "osd_message.ico"},
    {"ke_", false, "osd_key.ico"},
    {"mc_", false, "osd_macro.ico"},
    {"tv_", false, "osd_program.ico"},
    {"hd_info", true, "osd_program.ico"},
}};

constexpr std::array<std::string_view, 12> kAllFiles{
    kDefaultIcon,      kPluginIcon,      kLanguageIcon,    kVolumeIcon,
    kMutedIcon,        "osd_launch.ico", "osd_player.ico", "osd_window.ico",
    "osd_message.ico", "osd_key.ico",    "osd_macro.ico",  "osd_program.ico",
};

}  // namespace

std::string OsdIconFile(std::string_view code, uint8_t kind) {
  switch (kind) {
    case kOsdKindLanguage:
      return std::string(kLanguageIcon);
    case kOsdKindVolume:
      return std::string(kVolumeIcon);
    case kOsdKindMuted:
      return std::string(kMutedIcon);
    default:
      break;
  }
  if (code.empty()) return std::string(kDefaultIcon);
  for (const CodeFamily& family : kFamilies) {
    if (family.whole ? code == family.prefix : code.starts_with(family.prefix))
      return std::string(family.file);
  }
  return std::string(kPluginIcon);
}

std::span<const std::string_view> OsdIconFiles() {
  return kAllFiles;
}

std::string LanguageIconFile(uint8_t set, uint16_t languageId) {
  if (set == 0) return {};
  return "l" + std::to_string(set) + "_" + std::to_string(languageId) + ".ico";
}

}  // namespace tavion
