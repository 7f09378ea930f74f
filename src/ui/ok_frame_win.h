#pragma once
// TfrmOK, the OK/Cancel frame of the dialogs, and the modal dialog that carries it. The buttons
// have the ids IDOK and IDCANCEL, so the dialog manager gives Enter to OK (the default button) and
// Escape to Cancel; the frame keeps them at the dialog's bottom right.
#include <windows.h>

#include <optional>
#include <string>

#include "forms/control_text_win.h"
#include "forms/form_win.h"
#include "forms/message_box_win.h"

namespace tavion {

// A control that its dialog places itself, declared by name, kind and caption.
ControlDecl PlacedControl(std::string name, ControlKind kind, std::string caption = {});

class OkFrame {
 public:
  bool Create(HWND dialog);
  // Places the buttons at the bottom right of `client`; returns the frame's top.
  int Layout(const RECT& client, int dpi);
  // The frame's height, and the width its buttons need, at `dpi`.
  int Height(int dpi) const;
  int Width(int dpi) const;
  // Puts the buttons last in the Tab order, after the controls made after them.
  void PlaceLast();

 private:
  Win32Form form_;
};

// A modal dialog made without a resource template: its controls are created in code or from
// tables when it starts. Derived dialogs create them in Init and check them in Accept.
class ModalDialog {
 public:
  virtual ~ModalDialog() = default;
  // Shows the dialog over `owner` until OK or Cancel; true when confirmed with OK.
  bool Run(HWND owner, const std::wstring& caption);

 protected:
  // Creates the controls and sizes the dialog; false ends it as cancelled.
  virtual bool Init() = 0;
  // OK was pressed: false keeps the dialog open (the check told the user why).
  virtual bool Accept() { return true; }
  virtual void Cancelled() {}
  // Any other message; a value is the dialog procedure's answer.
  virtual std::optional<INT_PTR> OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    return std::nullopt;
  }
  // Sizes the dialog for a client area of `width` x `height` and centres it over its owner.
  void SetClientSize(int width, int height);
  // The least client width at `dpi`: the OK/Cancel frame's, and the title's shown whole.
  int MinClientWidth(int dpi) const;
  // A message box over the dialog; the dialog takes no input meanwhile (the box belongs to the
  // main window, so a second OK could otherwise reach the dialog) and is active again after it.
  int ShowBox(const std::string& text, MessageDialogType type, MessageButtons buttons);

  HWND dialog_ = nullptr;
  OkFrame ok_;

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace tavion
