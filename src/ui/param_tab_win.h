#pragma once
// A parameter tab of the action editor: the controls of one action code's parameter object.
// The editor makes one tab per code that has parameters, shows only the tab of the chosen code,
// fills it from the action (or the code's defaults), checks it when OK is pressed, and has it
// write the parameter object back after every check passed.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "keys/key_edit_win.h"

namespace tavion {

class Persistent;
class PluginHost;

// What a tab may ask of the editor and the program. Set by the editor before the tabs are made.
struct ParamTabContext {
  HWND dialog = nullptr;  // the editor: owner of file dialogs, menus and message boxes
  HINSTANCE instance = nullptr;
  PluginHost* plugins = nullptr;  // the plug-in actions' settings panels; may be null
  CaptureHooks captureHooks;  // for the capture control of "ke_keyz"
  UpOnlyKeys upOnlyKeys;
  bool rawInputReady = false;
  std::vector<std::string> macroNames;  // the stored macros, in the order to show them
  // Opens the macro editor for `name`: the name the macro is stored under after OK, nullopt after
  // Cancel. Null while the program has none ("Edit macros" disabled).
  std::function<std::optional<std::string>(const std::string& name)> editMacro;
  // The window picker: class and caption in and out, true when confirmed. Null disables
  // "Browse...".
  std::function<bool(std::string& windowClass, std::string& caption)> pickWindow;
  // Program-wide transparency bounds that the "wm_alfa" tab shows and changes (not owned; both
  // set).
  int16_t* blendMin = nullptr;
  int16_t* blendMax = nullptr;
  // "ke_keyz": the user chose a replacement key, shown as `keyText`; the editor may rename the
  // action after it.
  std::function<void(const std::string& keyText)> replacementKeyChosen;
  // Opens a help topic ("ex_envir.htm"); may be null.
  std::function<void(const std::string& topic)> showHelp;
};

// The first failing check of a tab: the message to show and the control to focus.
struct ParamCheckFailure {
  std::string message;
  HWND control = nullptr;
};

class ParamTab {
 public:
  virtual ~ParamTab() = default;
  // The action code whose parameters the tab holds ("srun", "ke_keyz", ...).
  virtual std::string_view Code() const = 0;
  // Creates the tab's window (hidden) and controls as a child of `parent`, with control ids from
  // `firstId` upwards (at most 100 of them).
  virtual bool Create(HWND parent, const ParamTabContext& context, int firstId) = 0;
  virtual HWND Handle() const = 0;
  // The size the tab needs at `dpi`: the width its texts need, and the height at that width.
  virtual SIZE NeededSize(int dpi) = 0;
  // Places the controls across the tab's client area at `dpi`.
  virtual void Layout(int dpi) = 0;
  // Fills the controls from `params` (this code's parameter object), or with the code's defaults
  // when it is null.
  virtual void Load(const Persistent* params) = 0;
  // The first failing check of the controls, or nullopt.
  virtual std::optional<ParamCheckFailure> Check() const = 0;
  // Writes the controls into `params`, this code's parameter object.
  virtual void Store(Persistent& params) const = 0;
  // A message of the editor's menu-capture hook (kMsgMenuCommand: the command's message;
  // kMsgKeyEvent: its wParam and lParam); true when the tab took it.
  virtual bool OnMenuCapture(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    return false;
  }
};

// One tab per built-in code that has parameters, in catalogue order.
std::vector<std::unique_ptr<ParamTab>> CreateParamTabs();

}  // namespace tavion
