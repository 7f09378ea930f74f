#include "ui/param_tab_form_win.h"

namespace tavion {

std::vector<std::unique_ptr<ParamTab>> CreateParamTabs() {
  std::vector<std::unique_ptr<ParamTab>> tabs;
  for (auto* create : {&CreateLaunchTab, &CreateMessageTab, &CreateReplaceKeyTab, &CreateMacroTab,
                       &CreateTextTab, &CreateScrollTab, &CreateTransparencyTab})
    tabs.push_back(create());
  return tabs;
}

}  // namespace tavion
