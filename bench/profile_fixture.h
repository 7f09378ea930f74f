#pragma once
// The profile the load and save benchmarks measure, natively and under Wine.

#include <string>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "actions/actions_registry.h"
#include "actions/catalogue.h"
#include "keys/hotkey.h"

namespace tavion {

// A profile like a large real one: folders of launch, key-replace, message and plain actions,
// with hot keys and some window conditions.
inline void FillProfile(TActionsList& list, ActionTree& tree, int count) {
  const char* codes[] = {"srun", "ke_keyz", "ms_wmsg", "wm_wmin", "wa_play", "mc_text"};
  for (int i = 0; i < count; ++i) {
    TAction& action = list.Add();
    if (i % 20 == 0) {
      action.SetName("Folder " + std::to_string(i / 20));
      continue;
    }
    action.SetLevl(1);
    action.SetExec(codes[i % 6]);
    action.SetName("Action " + std::to_string(i));
    action.Key0().SetHKey(PackHotKey(static_cast<uint8_t>(65 + i % 26), 0, 0, kModCtrl));
    if (auto* launch = action.ParamsAs<TActionParamsSExec>()) {
      launch->Oper = "Open";
      launch->Path = "C:\\Program Files\\App" + std::to_string(i) + "\\app.exe";
    }
    if (i % 7 == 0) {
      action.ActionExecOn().IfWa.Enbl = true;
      action.ActionExecOn().IfWa.AddWindow("Notepad", "nil");
    }
  }
  tree.Rebuild(list, [](TAction& action) { return action.Name(); });
}

// A profile of `count` actions (FillProfile) and the options that save it as the current profile
// "Default" below `keysPath` (which must outlive it); the catalogue is built in `catalogueStore`.
struct SavedProfile {
  SavedProfile(RegistryStore& catalogueStore, int count,
               std::string_view keysPath = kKeysRegistryPath) {
    BuildCatalogue(catalogueStore);
    FillProfile(list, tree, count);
    options.keysPath = keysPath;
    options.currentProfile = "Default";
  }

  TActionsList list;
  ActionTree tree;
  SaveActionsOptions options;
};

}  // namespace tavion
