#pragma once
// The common part of the parameter tabs: a child window holding one form table, laid out across
// the tab at its DPI, whose controls' notifications reach the tab.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/form_win.h"
#include "ui/param_tab_win.h"
#include "ui/param_tabs.h"

namespace tavion {

class FormParamTab : public ParamTab {
 public:
  FormParamTab() = default;
  ~FormParamTab() override;
  FormParamTab(const FormParamTab&) = delete;
  FormParamTab& operator=(const FormParamTab&) = delete;

  bool Create(HWND parent, const ParamTabContext& context, int firstId) override;
  HWND Handle() const override { return hwnd_; }
  // The tab's table as designed, before it is created.
  std::vector<ControlDecl> DesignedControls() const { return Controls(); }
  SIZE NeededSize(int dpi) override;
  void Layout(int dpi) override;

 protected:
  // The tab's controls in reading order, captions in the current language.
  virtual std::vector<ControlDecl> Controls() const = 0;
  // The controls exist: fill lists, make what a table cannot express.
  virtual void Created() {}
  // The controls were placed: move what a table cannot express along.
  virtual void LaidOut() {}
  // A notification (BN_CLICKED, CBN_SELCHANGE, ...) of the control at `index`.
  virtual void OnControl(size_t /*index*/, WORD /*code*/) {}

  Win32Form& Form() { return form_; }
  const Win32Form& Form() const { return form_; }
  const ParamTabContext& Context() const { return context_; }
  int FirstId() const { return firstId_; }
  // The control named `name`; the tab's own table holds every name it asks for.
  size_t At(std::string_view name) const { return form_.Find(name).value_or(SIZE_MAX); }
  HWND ControlHandle(std::string_view name) const { return form_.Handle(name); }
  // The failure to report for `problem`: its message, and its control.
  std::optional<ParamCheckFailure> Failure(const std::optional<ParamProblem>& problem) const;
  // The open-file dialog over the editor, starting at `path`; the chosen file, or nullopt.
  std::optional<std::string> ChooseFile(const std::string& path) const;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  ParamTabContext context_;
  Win32Form form_;
  int firstId_ = 0;
};

// `params` as the tab's own class `Params`; the class's defaults when it is null or another.
template <class Params>
const Params& ParamsOrDefaults(const Persistent* params) {
  static const Params defaults;
  const auto* own = dynamic_cast<const Params*>(params);
  return own ? *own : defaults;
}

// Declarations for the tabs' tables: the caption is section "Fr2"'s text for the control's name
// (its part before a "|"), English by default.
ControlDecl TabControl(ControlKind kind, std::string name, std::string_view english);
// A choice whose entries are translated as name + ".Item" + n.
ControlDecl TabChoice(ControlKind kind, std::string name, std::string_view english,
                      const std::vector<std::string>& items);
// A choice of entries that are values, shown as they are.
ControlDecl TabList(std::string name, std::string_view english, std::vector<std::string> items);
// A button beside a field, as narrow as its caption ("...", "?").
ControlDecl SmallButton(std::string name, std::string_view english);
// The text of entry `item` of a drop-down list; empty when there is none.
std::string ComboItemText(HWND combo, int item);

ControlDecl TabSlider(std::string name, std::string_view english, int minValue, int maxValue);

std::unique_ptr<ParamTab> CreateLaunchTab();
std::unique_ptr<ParamTab> CreateReplaceKeyTab();
std::unique_ptr<ParamTab> CreateMessageTab();
std::unique_ptr<ParamTab> CreateMacroTab();
std::unique_ptr<ParamTab> CreateTextTab();
std::unique_ptr<ParamTab> CreateTransparencyTab();
std::unique_ptr<ParamTab> CreateScrollTab();

}  // namespace tavion
