#include "ui/form_tables_win.h"

#include <array>
#include <memory>

#include "ui/about_page.h"
#include "ui/actions_page_win.h"
#include "ui/form_languages.h"
#include "ui/main_options_page.h"
#include "ui/osd_page.h"
#include "ui/param_tab_form_win.h"
#include "ui/player_page.h"

namespace tavion {
namespace {

FormLanguage MainWindowPages() {
  return {"Fr1"};
}

FormLanguage EditorTabs() {
  return {"Fr2"};
}

FormLanguage NotTranslated() {
  return {};
}

template <std::unique_ptr<ParamTab> (*create)()>
std::vector<ControlDecl> TabTable() {
  const std::unique_ptr<ParamTab> tab = create();
  return static_cast<const FormParamTab&>(*tab).DesignedControls();
}

std::vector<ControlDecl> PickerByName() {
  return WindowPickerControls(false);
}

std::vector<ControlDecl> PickerByMask() {
  return WindowPickerControls(true);
}

constexpr std::string_view kPages = "src/ui/form_page_win.cpp";
constexpr std::string_view kTabs = "src/ui/param_tab_form_win.cpp";

const auto kForms = std::to_array<TranslatedFormWin>({
    {"About", kPages, &AboutPageControls, &MainWindowLanguage},
    {"Main options", kPages, &MainOptionsPageControls, &MainWindowLanguage},
    {"Media player manage", kPages, &PlayerPageControls, &MainWindowLanguage},
    {"OnScreen display", kPages, &OsdPageControls, &MainWindowLanguage},
    {"Main window buttons", "src/ui/main_window_frame_win.cpp", &MainWindowButtons, &NotTranslated},
    {"Actions: profile bar", "src/ui/actions_page_win.cpp", &ProfileBarControls, &MainWindowPages},
    {"Shell keys", "src/ui/shell_keys_page_win.cpp", &ShellKeysPageControls, &MainWindowPages},
    {"Keyboard layout", "src/ui/keyboard_layout_page_win.cpp", &KeyboardLayoutPageControls,
     &MainWindowPages},
    {"Key names", "src/ui/key_names_page_win.cpp", &KeyNamesPageControls,
     [] { return FormLanguage{"KeyNames"}; }},
    {"Macros", "src/ui/macros_page_win.cpp", &MacrosPageControls, &MacrosPageLanguage},
    {"Plug-ins", "src/ui/plugins_page_win.cpp", &PluginsPageControls, &PluginsPageLanguage},
    {"Action editor", "src/ui/action_editor_win.cpp", &ActionEditorControls, &EditorTabs},
    {"Editor: execution options", "src/ui/exec_options_tab_win.cpp", &ExecOptionsBarControls,
     &ExecOptionsLanguage},
    {"Editor: launch", kTabs, &TabTable<&CreateLaunchTab>, &EditorTabs},
    {"Editor: replace key", kTabs, &TabTable<&CreateReplaceKeyTab>, &EditorTabs},
    {"Editor: message", kTabs, &TabTable<&CreateMessageTab>, &EditorTabs},
    {"Editor: macro", kTabs, &TabTable<&CreateMacroTab>, &EditorTabs},
    {"Editor: text", kTabs, &TabTable<&CreateTextTab>, &EditorTabs},
    {"Editor: transparency", kTabs, &TabTable<&CreateTransparencyTab>, &EditorTabs},
    {"Editor: scroll", kTabs, &TabTable<&CreateScrollTab>, &EditorTabs},
    {"Hot-key frame", "src/ui/hotkey_frame_win.cpp", &HotKeyFrameControls, &HotKeyFrameLanguage},
    {"Key dialog", "src/ui/key_name_dialog_win.cpp", &KeyNameDialogControls,
     [] { return FormLanguage{"Fr3"}; }},
    {"Custom key", "src/ui/custom_key_dialog_win.cpp", &CustomKeyDialogControls,
     [] { return FormLanguage{"TFr_ke"}; }},
    {"Key remap", "src/ui/key_remap_dialog_win.cpp", &KeyRemapDialogControls,
     &KeyRemapDialogLanguage},
    {"Shell key", "src/ui/shell_key_dialog_win.cpp", &ShellKeyDialogControls,
     [] { return FormLanguage{"Fr5"}; }},
    {"Macro editor", "src/ui/macro_editor_win.cpp", &MacroEditorMainControls, &MacroEditorLanguage},
    {"Macro editor: events", "src/ui/macro_editor_win.cpp", &MacroEditorExtraControls,
     &MacroEditorLanguage},
    {"Window picker", "src/ui/window_picker_win.cpp", &PickerByName, &WindowPickerLanguage},
    {"Window picker (masks)", "src/ui/window_picker_win.cpp", &PickerByMask, &WindowPickerLanguage},
});

}  // namespace

std::span<const TranslatedFormWin> AllTranslatedForms() {
  return kForms;
}

}  // namespace tavion
