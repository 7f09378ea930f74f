#include "exec/launch_executor_win.h"

#include <utility>

#include "base/utf_win.h"
#include "exec/shell_launch_win.h"
#include "forms/message_box_win.h"

extern "C" const char* WINAPI FormateErrorStr(DWORD code);

namespace tavion {

Win32LaunchServices::Win32LaunchServices(LaunchEnvironment environment)
    : environment_(std::move(environment)),
      system_(environment_.programFolder),
      formOptions_{.icon = environment_.inputIcon,
                   .forceForeground = environment_.forceForeground,
                   .terminating = environment_.terminating} {}

bool Win32LaunchServices::InputDialogOpen() const {
  return tavion::InputDialogOpen();
}

void Win32LaunchServices::RaiseInputDialog() {
  tavion::RaiseInputDialog(formOptions_);
}

std::optional<std::string> Win32LaunchServices::AskInput(const std::string& caption) {
  return AskInputValue(caption, formOptions_);
}

bool Win32LaunchServices::ActivateRunningCopy(const std::string& path) {
  return tavion::ActivateRunningCopy(Utf8ToWide(path), environment_.forceForeground);
}

intptr_t Win32LaunchServices::ShellLaunch(const std::string& verb, const std::string& file,
                                          const std::string& parameters, const std::string& folder,
                                          int showCommand, uint32_t timeoutMs) {
  return tavion::ShellLaunch(Utf8ToWide(verb), Utf8ToWide(file), Utf8ToWide(parameters),
                             Utf8ToWide(folder), showCommand, timeoutMs, environment_.terminating);
}

std::string Win32LaunchServices::ErrorText(uint32_t code) {
  // The system's text is in the ANSI code page.
  const char* text = FormateErrorStr(code);
  return text ? WideToUtf8(AnsiToWide(text)) : std::string();
}

void Win32LaunchServices::ShowLaunchError(const std::string& text) {
  ShowSystemModalBox(environment_.owner, text, MB_ICONHAND | MB_SYSTEMMODAL);
}

void RegisterLaunchExecutors(LaunchEnvironment environment) {
  auto services = std::make_shared<Win32LaunchServices>(std::move(environment));
  RegisterExecutor("srun",
                   [services](ExecContext& context) { RunShellExecute(context, *services); });
}

}  // namespace tavion
