#include "exec/diagnostics.h"

#include "keys/hotkey.h"
#include "settings/settings.h"

namespace tavion {
namespace {

const char* BoolText(bool value) {
  return value ? "True" : "False";
}

}  // namespace

std::string DiagnosticsText(const DiagnosticsValues& values) {
  struct Line {
    const char* label;
    std::string value;
    bool blankAfter;
  };
  const std::string shiftState =
      std::to_string(values.shiftState) + " (" + ModifiersToText(values.shiftState) + ")";
  const Line lines[] = {
      {"VER:\t\t", values.version, false},
      {"DATE:\t\t", values.buildDate, false},
      {"KERNEL(exe):\t", kKernelVersion, false},
      {"PKERNEL(plg):\t", kPluginInterfaceVersion, true},
      {"EXE:\t\t", values.exePath, false},
      {"CUR_DIR:\t", values.currentDir, true},
      {"EXE_PATH:\t", values.exeFolder, false},
      {"PLG_PATH:\t", values.pluginFolder, false},
      {"HOME_KEY:\t", kSettingsRootPath, true},
      {"Actions count:\t\t", std::to_string(values.actionsCount), false},
      {"Act.Modified:\t\t", BoolText(values.actionsModified), false},
      {"ImageList count:\t", std::to_string(values.imageListCount), true},
      {"\tSHIFT STATE:\t", shiftState, false},
      {"\tKey pressed:\t", values.lastKey, false},
      {"\tNotifyRun:\t", BoolText(values.actionBusy), false},
      {"\tProc_Keys:\t", BoolText(values.processKeys), false},
  };
  std::string text;
  for (const Line& line : lines) {
    if (!text.empty()) text += '\r';
    text += line.label;
    text += line.value;
    if (line.blankAfter) text += '\r';
  }
  return text;
}

std::string RunningCheckText(std::string_view shortVersion) {
  std::string text = "Tavion ";
  text += shortVersion;
  text += " - running.";
  return text;
}

}  // namespace tavion
