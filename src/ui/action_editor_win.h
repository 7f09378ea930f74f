#pragma once
// TFr2, the action editor: "Main options" (the action type with its catalogue tree, the name and
// the hot-key frame), the parameter tab of the chosen code and "Additional" (the execution
// options). OK checks everything and only then writes into the tree and the action list; Cancel
// writes nothing.
#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "keys/key_edit_win.h"
#include "ui/action_editor.h"

namespace tavion {

class ActionTree;
class PluginHost;
class TActionsList;

// What the editor needs of the program.
struct ActionEditorContext {
  HWND owner = nullptr;
  HINSTANCE instance = nullptr;
  ActionTree* tree = nullptr;
  TActionsList* actions = nullptr;
  std::wstring resourceFolder;  // the action images
  PluginHost* plugins = nullptr;  // the plug-ins' icons and settings panels; may be null
  CaptureHooks captureHooks;    // the capture controls' hooks and the menu-capture hook
  UpOnlyKeys upOnlyKeys;
  bool rawInputReady = false;
  bool severalActionsOnOneKey = false;  // Opt_SemiKeyAc
  std::vector<std::string> macroNames;
  int16_t* blendMin = nullptr;  // Blend_VMin and Blend_VMax of the settings
  int16_t* blendMax = nullptr;
  // Brings the editor to the foreground even from the background (ForceForegroundWindow).
  std::function<void(HWND window)> bringToFront;
  std::function<void(const std::string& topic)> showHelp;
  // Opens the macro editor for a stored macro ("Edit macros"): the name it is stored under after
  // OK, nullopt after Cancel; null: not offered.
  std::function<std::optional<std::string>(const std::string& name)> editMacro;
};

// What the editor is opened for.
struct ActionEditorRequest {
  bool isNew = true;
  EditorStartMode startMode = EditorStartMode::kNormal;  // of a new entry
  std::string macroName;                // kMacro: the macro selected on the macro page
  std::optional<std::size_t> selected;  // the selected node: the edited one, or the new one's
                                        // neighbour
};

// Runs the editor modally. Returns the node that was added or changed after OK, nullopt after
// Cancel (or when an edited node does not exist).
std::optional<std::size_t> ShowActionEditor(const ActionEditorContext& context,
                                            const ActionEditorRequest& request);

}  // namespace tavion
