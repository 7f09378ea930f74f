// Interim: the host loads nothing yet.
#include "plugins/plugin_host_win.h"

namespace tavion {

struct PluginHost::State {
  std::vector<PluginRecord> plugins;
};

PluginHost::PluginHost(std::wstring folder, HWND mainWindow)
    : folder_(std::move(folder)), mainWindow_(mainWindow), state_(std::make_unique<State>()) {}
PluginHost::~PluginHost() = default;
PluginLoadReport PluginHost::Load(const std::string&) {
  return {};
}
std::span<const PluginRecord> PluginHost::Plugins() const {
  return state_->plugins;
}
std::string PluginHost::Query(const PluginRecord&, uint32_t) const {
  return {};
}
std::string PluginHost::Description(const PluginRecord&) const {
  return {};
}
bool PluginHost::HasFunction(const PluginRecord&, std::string_view) const {
  return false;
}
std::string PluginHost::Call(const std::wstring&, std::string_view, int, Persistent*, HWND) {
  return "nil";
}
PluginFileCheck PluginHost::CheckFile(const std::wstring&) {
  return {};
}
std::string PluginHost::FileVersion(const std::wstring&) {
  return {};
}
bool PluginHost::Remove(std::size_t, TActionsList*) {
  return false;
}
HICON PluginHost::PluginIcon(const PluginRecord&, int) const {
  return nullptr;
}
HICON PluginHost::ActionIcon(std::string_view, int) const {
  return nullptr;
}
void PluginHost::ShowPanel(Persistent&, HWND) {}
void PluginHost::ClosePanel(Persistent&, HWND) {}
std::optional<PluginActionId> PluginHost::Resolve(std::string_view) const {
  return std::nullopt;
}
PluginParams PluginHost::CreateParams(const PluginActionId&) {
  return nullptr;
}
std::vector<ActionCatalogueEntry> PluginHost::CatalogueEntries() const {
  return {};
}

}  // namespace tavion
