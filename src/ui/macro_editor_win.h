#pragma once
// TFr6, "Change macros": the macro editor. Shows a stored macro's events as a list that can be
// reordered and pruned, checks it for keys left pressed, and edits its playback settings; OK
// stores it (under a new name when renamed), Cancel changes nothing.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace tavion {

class RegistryStore;

struct MacroEditorContext {
  HWND owner = nullptr;
  HINSTANCE instance = nullptr;
  RegistryStore* settings = nullptr;  // the settings root: the macros are under its "Macros"
  std::wstring resourceFolder;        // the action images (the event rows' image)
  // Opens a help topic; null: the help button is disabled.
  std::function<void(const std::string& topic)> showHelp;
};

// Shows the editor for the stored macro `name`, modal to the context's owner. Returns the name
// the macro is stored under after OK, nullopt after Cancel.
std::optional<std::string> ShowMacroEditor(const MacroEditorContext& context,
                                           const std::string& name);

}  // namespace tavion
