#pragma once
// TFr_HKey, the hot-key frame of the editors: the group "Key" with the choice of normal or HID
// input, the capture control, and one indicator per input mode that lights up for 250 ms when a
// key of its kind arrives while the capture control has the focus.
#include <windows.h>

#include <memory>

#include "forms/form_win.h"
#include "keys/key_edit_win.h"

namespace tavion {

struct HotKeyFrameDesign {
  KeyEditOptions options;
  CaptureHooks hooks;
  UpOnlyKeys upOnly;
  bool rawInputReady = false;  // "Get keys input from HID devices" can be chosen
  int firstId = 3000;          // ids of the frame's controls, upwards
};

class HotKeyFrame {
 public:
  HotKeyFrame() = default;
  ~HotKeyFrame();
  HotKeyFrame(const HotKeyFrame&) = delete;
  HotKeyFrame& operator=(const HotKeyFrame&) = delete;

  // Creates the frame's controls on `parent`; the star button opens "Custom key edit".
  bool Create(HWND parent, const HotKeyFrameDesign& design);
  // Places the frame at `left`, `top` across `width`; returns its height.
  int Layout(int left, int top, int width, int dpi);
  // The width the frame needs for its texts.
  int NeededWidth(int dpi) const;

  KeyEdit& Edit() { return *edit_; }
  // Switches the input mode and the radio buttons with it.
  void SetInputMode(TkeInputMode mode);

 private:
  static LRESULT CALLBACK ParentProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR data);
  std::optional<LRESULT> OnParentMessage(UINT message, WPARAM wParam, LPARAM lParam);
  HWND Radio(int item) const;
  void Light(int indicator);

  HWND parent_ = nullptr;
  HotKeyFrameDesign design_;
  Win32Form form_;
  std::unique_ptr<KeyEdit> edit_;
  bool lit_[2] = {};
};

}  // namespace tavion
