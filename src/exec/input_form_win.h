#pragma once
// TInputForm: the small dialog that asks for the value of one "%input%", class "TAVION_INPUT".
// It has no owner window, so it gets a task-bar button of its own.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "sidekit.h"

namespace tavion {

inline constexpr wchar_t kInputFormClass[] = L"TAVION_INPUT";

struct InputFormOptions {
  HICON icon = nullptr;                              // not owned
  ForceForegroundWindowFn forceForeground = nullptr; // null: SetForegroundWindow
  std::function<bool()> terminating;                 // null: only WM_QUIT ends the program
};

// Whether an input dialog is open now (the input lock is held), on any thread.
bool InputDialogOpen();

// Brings this process's open input dialog to the foreground; nothing when none is open.
void RaiseInputDialog(const InputFormOptions& options);

// Shows the input dialog captioned `caption` (UTF-8) and returns the typed value (UTF-8), or
// nullopt on Cancel, on closing and when the program ends meanwhile. Runs a message loop on the
// calling thread until then; a dialog of another thread is waited for first. Places the dialog
// at Settings().FormInput_Left/Top (-1: centred on the screen) and stores its place afterwards.
std::optional<std::string> AskInputValue(const std::string& caption,
                                         const InputFormOptions& options);

}  // namespace tavion
