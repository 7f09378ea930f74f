#pragma once
// TKeyEdit, the hot-key capture control: a read-only edit of class "TKeyEdit" (the raw-input layer
// finds it by that name) with the star, clear and info buttons inside at its right. While it has
// the focus it takes every key and mouse event from Sidekit32's capture hooks (kinds 3 and 5),
// swallows them and shows the combination; the decisions are key_edit.h's.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "keys/key_edit.h"
#include "sidekit.h"

namespace tavion {

// Message 0x4C9 to the parent: a key arrived (wParam 1) or an HID key (wParam 2).
inline constexpr UINT kMsgKeyArrived = WM_USER + 201;

// The hook entry points of Sidekit32.dll; both null when it is not loaded (nothing is captured).
struct CaptureHooks {
  InitHookExFn install = nullptr;
  FreeHookExFn remove = nullptr;
};

class KeyEdit;

struct KeyEditDesign {
  int id = 0;
  RECT place = {};
  HFONT font = nullptr;  // the host's; null keeps the system's
  KeyEditOptions options;
  CaptureHooks hooks;
  UpOnlyKeys upOnly;  // as the settings hold them when the control is made
  // The star button in keNormal: the host's "Custom key edit" dialog; without one the button is
  // disabled in that mode.
  std::function<void(KeyEdit&)> editCustomKey;
};

class KeyEdit {
 public:
  // Creates the control as a child of `parent`; null when it cannot be created. The control's
  // window is destroyed with the object.
  static std::unique_ptr<KeyEdit> Create(HWND parent, const KeyEditDesign& design);
  ~KeyEdit();
  KeyEdit(const KeyEdit&) = delete;
  KeyEdit& operator=(const KeyEdit&) = delete;

  HWND Handle() const { return hwnd_; }
  const std::string& Text() const { return state_.text; }
  uint32_t HotKey() const { return KeyEditHotKey(state_); }
  void SetHotKey(uint32_t value);
  const std::string& HidKey() const { return state_.hidText; }
  void SetHidKey(const std::string& text);
  TkeInputMode InputMode() const { return state_.inputMode; }
  void SetInputMode(TkeInputMode mode);
  const KeyEditOptions& Options() const { return design_.options; }

  // Runs after every change of the captured key or its text.
  std::function<void()> changed;

  // Clicks the star, clear or info button.
  void ClickStar() { OnButton(kStarButton); }

 private:
  enum : int { kStarButton = 1, kClearButton, kInfoButton };

  explicit KeyEdit(const KeyEditDesign& design) : design_(design) {}
  bool CreateWindows(HWND parent);
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ParentProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR data);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void FocusGained();
  void FocusLost();
  void RemoveHooks();
  KeyEditEnvironment Environment() const;
  void Apply(const KeyEditOutcome& outcome);
  void Show();
  void LayOutButtons();
  // Shows the text from its first character, the caret after it: an edit that held its text
  // while it was too narrow stays scrolled to the end when it grows.
  void ScrollToStart();
  void OnButton(int button);
  void ShowHidMenu();
  void UpdateButtons();

  KeyEditDesign design_;
  HWND hwnd_ = nullptr;
  HWND parent_ = nullptr;
  HWND buttons_[3] = {};
  HWND tooltip_ = nullptr;
  std::wstring hint_;
  KeyEditState state_;
  uint32_t shownValue_ = 0;
  std::string shownHid_;
  bool hooked_ = false;
  bool focused_ = false;
  EnglishLayoutWhileFocused layout_;
  unsigned char scratch_[12] = {};  // InitHookEx's area: the library neither reads nor writes it
};

}  // namespace tavion
