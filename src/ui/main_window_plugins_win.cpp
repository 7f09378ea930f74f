// The main window's side of the plug-ins: the host, loaded before the first catalogue build, and
// the query message plug-ins send.
#include "base/utf_win.h"
#include "exec/exec_host_win.h"
#include "forms/message_box_win.h"
#include "plugins/plugin_host_win.h"
#include "plugins/plugin_info.h"
#include "settings/settings.h"
#include "tavion_plugin.h"
#include "ui/main_window_win.h"

namespace tavion {

void MainWindow::CreatePluginHost(MainWindowServices& services) {
  plugins_ = std::make_shared<PluginHost>(startup_.pluginFolder, hwnd_);
  SetPluginCodeResolver(plugins_.get());
  SetCataloguePluginProvider(plugins_);
  services.callPlugin = [host = plugins_](const std::string& libraryPath,
                                          const std::string& actionId, Persistent* params) {
    return host->Call(Utf8ToWide(libraryPath), actionId, /*mode=*/3, params,
                      /*window=*/reinterpret_cast<HWND>(1));
  };
}

void MainWindow::LoadPlugins() {
  const PluginLoadReport report = plugins_->Load(startup_.shortVersion);
  if (startupComplete_) return;
  for (const std::string& message : report.versionErrors)
    ShowMessageBox(message, MessageDialogType::Error, MessageButtons::Ok);
}

void MainWindow::ReloadPlugins() {
  LoadPlugins();
  BuildCatalogue(userRegistry_);
}

void MainWindow::ReleasePluginHost() {
  SetPluginCodeResolver(nullptr);
  SetCataloguePluginProvider(nullptr);
}

LRESULT MainWindow::OnPluginQuery(WPARAM wParam) {
  static constexpr char kEmpty[] = "";
  switch (ClassifyPluginQuery(wParam)) {
    case PluginQuery::kAppWindow:
      return reinterpret_cast<LRESULT>(hwnd_);
    case PluginQuery::kSettingsKey:
      return reinterpret_cast<LRESULT>(kSettingsRootPath);
    case PluginQuery::kLanguage:
      pluginQueryText_ = WideToAnsi(Utf8ToWide(Settings().Language));
      return reinterpret_cast<LRESULT>(pluginQueryText_.c_str());
    case PluginQuery::kEmpty:
      break;
  }
  return reinterpret_cast<LRESULT>(kEmpty);
}

DefaultSetPlugins MainWindow::DefaultPluginsLoaded() const {
  DefaultSetPlugins loaded;
  for (const PluginRecord& plugin :
       plugins_ ? plugins_->Plugins() : std::span<const PluginRecord>{}) {
    const std::string file = WideToUtf8(plugin.fileName);
    if (SameTextIgnoringCase(file, "Corvex.dll")) loaded.corvex = {file, plugin.caption};
    if (SameTextIgnoringCase(file, "Panora.exe")) loaded.panora = {file, plugin.caption};
  }
  return loaded;
}

}  // namespace tavion
