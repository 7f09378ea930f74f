#pragma once
// What the program makes of a plug-in's answers, and the codes of plug-in actions. Portable.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavion {

// One action a plug-in offers: the name the catalogue shows and the plug-in's function.
struct PluginActionLine {
  std::string displayName;
  std::string function;
  friend bool operator==(const PluginActionLine&, const PluginActionLine&) = default;
};

// The actions of information query 2: lines (CR LF, LF or CR) taken two at a time; a last line
// without a partner is dropped, and so is a pair whose function name is empty.
std::vector<PluginActionLine> SplitPluginActions(std::string_view text);

// The code of action `function` of plug-in `file`: "plug", 0x02 "1" file, 0x02 "2" function.
std::string MakePluginCode(std::string_view file, std::string_view function);
// Field `field` ('1' the file, '2' the function) of a plug-in code; empty when missing.
std::string PluginCodeField(std::string_view code, char field);

// Query 3's text with "%ver%" replaced by `fileVersion`.
std::string PluginDescriptionText(std::string_view description, std::string_view fileVersion);

// The string resource of a program plug-in's function `function` (1002 to 1007), 0 for
// "TrayPopup" (never sent to a program), nullopt for a name not in the table (its own command).
std::optional<int> ProgramPluginCommandId(std::string_view function);

// An information number named by a function: a decimal number above 100, else nullopt.
std::optional<uint32_t> PluginInfoNumber(std::string_view function);

// The flags of query 6: its decimal number's low byte; 0 when the answer is no number.
uint8_t PluginFlags(std::string_view answer);

// A text of a program plug-in's string resources: every byte 0x01 stands for CR.
std::string ProgramPluginText(std::string text);

// The command line parameters of a program plug-in: the command text, a blank and the main
// window's handle in decimal.
std::string ProgramPluginParameters(std::string_view command, uint64_t mainWindow);

// The catalogue's threading flags of a plug-in action from the answers of GetPlugInfoEx to its
// queries 1 and 2 (nullopt without the export).
struct PluginActionFlags {
  bool mainThreadOnly = true;
  bool notifyBefore = false;
  friend bool operator==(const PluginActionFlags&, const PluginActionFlags&) = default;
};
PluginActionFlags PluginFlagsFromAnswers(const std::optional<std::string>& anyThread,
                                         const std::optional<std::string>& notifyFirst);

// The "ErrorPlugVer" message for `file`, which answered `version`; `shortVersion` is the
// program's.
std::string PluginVersionError(std::string_view shortVersion, std::string_view file,
                               std::string_view version);

// The answer to TAVION_WM_QUERY's wParam.
enum class PluginQuery : uint8_t { kEmpty, kSettingsKey, kLanguage, kAppWindow };
PluginQuery ClassifyPluginQuery(uint64_t wParam);

// Equality ignoring ASCII case, as plug-in file names and field names are compared.
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

}  // namespace tavion
