#pragma once
// The action editor's tab of a plug-in action: a panel that the plug-in fills with its settings
// (mode 5) and reads back (mode 6). The editor works on a copy: the panel shows a working object,
// a copy of the edited action's plug-in object or a new one; only Store copies it into the
// action's object, and Cancel drops it.
#include <windows.h>

#include <memory>
#include <string>

#include "actions/params.h"
#include "ui/param_tab_win.h"

namespace tavion {

class PluginHost;

class PluginParamTab final : public ParamTab {
 public:
  explicit PluginParamTab(PluginHost& host) : host_(host) {}
  ~PluginParamTab() override;
  PluginParamTab(const PluginParamTab&) = delete;
  PluginParamTab& operator=(const PluginParamTab&) = delete;

  // The plug-in code whose panel shows; empty when none does.
  std::string_view Code() const override { return code_; }
  bool Create(HWND parent, const ParamTabContext& context, int firstId) override;
  HWND Handle() const override { return hwnd_; }
  SIZE NeededSize(int dpi) override;
  void Layout(int dpi) override;
  // `params`: the edited action's parameter object (a TActionParamsPlug), the source of the
  // working copy while the action's own code is chosen; null for a new action.
  void Load(const Persistent* params) override;
  std::optional<ParamCheckFailure> Check() const override { return std::nullopt; }
  // Closes the panel into the working object (mode 6) and copies that into `params`, the
  // action's TActionParamsPlug.
  void Store(Persistent& params) const override;

  // Makes `code` the chosen code: the panel of another code is closed (mode 6) and dropped; a
  // plug-in code whose action has settings gets a working object and its panel (mode 5). Returns
  // whether a panel shows.
  bool ShowFor(const std::string& code);

 private:
  // Mode 6 for the panel that shows, then the panel goes; the working object stays.
  void ClosePanel() const;
  static LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK TabProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  PluginHost& host_;
  HWND hwnd_ = nullptr;
  ParamTabContext context_;
  std::string code_;
  const TActionParamsPlug* edited_ = nullptr;
  // Storing closes the panel, whose controls the plug-in reads into the working object first.
  mutable HWND panel_ = nullptr;
  std::unique_ptr<TActionParamsPlug> working_;
};

}  // namespace tavion
