#include "ui/param_tab_win.h"

namespace tavion {

// Interim: the tabs of the codes arrive with their own unit.
std::vector<std::unique_ptr<ParamTab>> CreateParamTabs() { return {}; }

}  // namespace tavion
