#pragma once
// The program's icon in the notification area: one icon (identifier 1) of the main window,
// reporting mouse messages as WM_TV_TRAY.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "base/handles_win.h"

namespace tavion {

class TrayIcon {
 public:
  TrayIcon() = default;
  ~TrayIcon() { Hide(); }
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Adds the icon for `owner` with `tip`, in its disabled form when `disabled`. Returns whether
  // the shell took it.
  bool Show(HWND owner, HICON normal, const std::wstring& tip, bool disabled);
  // Removes the icon; nothing when it is not shown.
  void Hide();
  // Shows the tip and the current form again: modifies the icon, and adds it when the shell no
  // longer knows it (after the task bar was re-created). Nothing when it is not shown.
  bool Refresh();
  void SetTip(const std::wstring& tip);
  // The disabled form draws `overlay` (when there is one) over the normal icon.
  void SetDisabled(bool disabled, HICON overlay);
  // Replaces the normal icon (the program's or a language icon); the disabled form keeps its own.
  void SetNormalIcon(HICON normal);
  // The image interface of the other parts: `index` 2 and above shows `image`; 0 or 1 blanks the
  // icon and remembers the one shown; -1 shows the remembered icon when `remembered` (and there is
  // one), else the normal icon.
  void SetImage(int index, HICON image, bool remembered);
  // Shows a warning balloon over the icon; false when the icon is not shown or the shell refused.
  bool ShowBalloon(const std::wstring& title, const std::wstring& text);
  bool Shown() const { return shown_; }
  const std::wstring& Tip() const { return tip_; }

 private:
  NOTIFYICONDATAW Data(UINT flags) const;
  HICON CurrentIcon() const;

  HWND owner_ = nullptr;
  HICON normal_ = nullptr;  // not owned
  HICON image_ = nullptr;   // set by SetImage in place of the normal icon; not owned
  HICON remembered_ = nullptr;
  UniqueIcon blank_;
  UniqueIcon disabledIcon_;
  bool disabled_ = false;
  std::wstring tip_;
  bool shown_ = false;
};

// Draws `overlay` over `base` into a new icon of the small-icon size; null when either is missing.
UniqueIcon ComposeIcons(HICON base, HICON overlay);

}  // namespace tavion
