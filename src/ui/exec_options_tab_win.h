#pragma once
// The action editor's "Additional" tab: the execution options of one action as a check tree,
// with the toolbar that adds, edits and deletes the window entries of the window conditions.
// It works on its own copy of the options; the editor takes them back after OK.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/keyboard_layouts_win.h"

namespace tavion {

class TActionExecOn;

struct ExecOptionsContext {
  HWND dialog = nullptr;  // the editor: owner of the window picker and message boxes
  HINSTANCE instance = nullptr;
  std::vector<KeyboardLayoutEntry> layouts;  // the installed keyboard layouts, at most 40
  // Opens a help topic ("ex_property.htm"); may be null.
  std::function<void(const std::string& topic)> showHelp;
};

class ExecOptionsTab {
 public:
  ExecOptionsTab();
  ~ExecOptionsTab();
  ExecOptionsTab(const ExecOptionsTab&) = delete;
  ExecOptionsTab& operator=(const ExecOptionsTab&) = delete;

  // Creates the tab's window (hidden) with its toolbar and tree as a child of `parent`, with
  // control ids from `firstId` upwards (at most 100 of them).
  bool Create(HWND parent, const ExecOptionsContext& context, int firstId);
  HWND Handle() const;
  // The tree, for the editor's keys and focus.
  HWND Tree() const;
  // The size the tab needs at `dpi`.
  SIZE NeededSize(int dpi) const;
  // Places the toolbar and the tree across the tab's client area at `dpi`.
  void Layout(int dpi);
  // Shows a copy of `options`.
  void Load(const TActionExecOn& options);
  // Writes the edited copy onto `options`.
  void Store(TActionExecOn& options) const;

 private:
  struct Impl;
  Impl* impl_ = nullptr;
};

}  // namespace tavion
