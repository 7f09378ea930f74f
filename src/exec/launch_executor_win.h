#pragma once
// The "srun" executor on the system, and its registration for the main window.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "exec/input_form_win.h"
#include "exec/launch.h"
#include "exec/launch_system_win.h"

namespace tavion {

// What the main window hands to the launch executors at start-up.
struct LaunchEnvironment {
  HWND owner = nullptr;                               // the application window: owns the error box
  std::wstring programFolder;                         // "%exe%", without a final backslash
  ForceForegroundWindowFn forceForeground = nullptr;  // Sidekit32.dll's; null: SetForegroundWindow
  HICON inputIcon = nullptr;                          // the input dialog's icon, not owned
  std::function<bool()> terminating;                  // null: never
};

class Win32LaunchServices final : public LaunchServices {
 public:
  explicit Win32LaunchServices(LaunchEnvironment environment);

  const LaunchSystem& System() const override { return system_; }
  bool InputDialogOpen() const override;
  void RaiseInputDialog() override;
  std::optional<std::string> AskInput(const std::string& caption) override;
  bool ActivateRunningCopy(const std::string& path) override;
  intptr_t ShellLaunch(const std::string& verb, const std::string& file,
                       const std::string& parameters, const std::string& folder, int showCommand,
                       uint32_t timeoutMs) override;
  std::string ErrorText(uint32_t code) override;
  void ShowLaunchError(const std::string& text) override;

 private:
  LaunchEnvironment environment_;
  Win32LaunchSystem system_;
  InputFormOptions formOptions_;
};

// Registers the "srun" executor with the dispatcher. Call once at start-up, before the first
// dispatch; the environment is kept for the life of the process.
void RegisterLaunchExecutors(LaunchEnvironment environment);

}  // namespace tavion
