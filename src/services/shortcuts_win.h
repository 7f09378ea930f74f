#pragma once
// The program's shortcuts on the system: shell links made through COM, the group folder, and the
// four check boxes of the options page that create and show them.
#include <windows.h>

#include <span>
#include <string>

namespace tavion {

class FormControls;

// The running program's files the shortcuts point to.
struct ShortcutProgram {
  std::wstring executable;  // full path; its folder is every link's working folder
  std::wstring helpFile;    // linked only when it exists
};

// Saves a shell link at `linkFile` to `target`, with no arguments and `workingFolder`, through
// the shell's link object (COM is initialised on the calling thread for the call). Returns
// whether the file was saved.
bool SaveShellLink(const std::wstring& linkFile, const std::wstring& target,
                   const std::wstring& workingFolder);

// Creates (or, without `create`, removes) the shortcuts of each kind in `set` (0 alone for all
// four). Returns for kind 1 whether its group folder exists after creating, or is gone after
// removing; true when kind 1 is not in the set. The other kinds never change the result.
bool CreateShortcuts(const ShortcutProgram& program, bool create, std::span<const int> set);

// Whether the shortcut of kind `kind` (1 to 4) is there: its folder or link file exists.
bool ShortcutExists(int kind);

// The click handler of the check boxes cb_sc1..cb_sc4 of `form`: creates or removes the kind of
// the box at `index` as the box now says; a failure sounds the exclamation beep and clears the
// box. False (nothing done) for any other control.
bool CreateApplicationShortCuts(FormControls& form, size_t index, const ShortcutProgram& program);

// Ticks each of the four check boxes of `form` whose shortcut exists and clears the others.
void ShowExistingShortcuts(FormControls& form);

}  // namespace tavion
