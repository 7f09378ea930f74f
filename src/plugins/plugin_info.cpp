// Interim.
#include "plugins/plugin_info.h"

namespace tavion {

std::vector<PluginActionLine> SplitPluginActions(std::string_view) {
  return {};
}
std::string MakePluginCode(std::string_view file, std::string_view function) {
  return std::string(
             "plug\x02"
             "1") +
         std::string(file) +
         "\x02"
         "2" +
         std::string(function);
}
std::string PluginCodeField(std::string_view, char) {
  return {};
}
std::string PluginDescriptionText(std::string_view description, std::string_view) {
  return std::string(description);
}
std::optional<int> ProgramPluginCommandId(std::string_view) {
  return std::nullopt;
}
std::optional<uint32_t> PluginInfoNumber(std::string_view) {
  return std::nullopt;
}

}  // namespace tavion
