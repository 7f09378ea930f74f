#pragma once
// A page of the main window made from one form table: a child window that holds the table's
// controls, lays them out for the window's DPI across its width, scrolls them when they are
// taller than the page, and hands its controls' notifications to the page's handlers.
#include <windows.h>

#include <string_view>
#include <vector>

#include "forms/form_win.h"
#include "ui/page_win.h"

namespace tavion {

class FormPage : public Page {
 public:
  FormPage() = default;
  ~FormPage() override;
  FormPage(const FormPage&) = delete;
  FormPage& operator=(const FormPage&) = delete;

  bool Create(HWND parent, const PageServices& services) override;
  HWND Handle() const override { return hwnd_; }
  void Shown() override;
  // Lays the page out when its width or `dpi` changed since the last time, or its captions.
  void Layout(int dpi) override;
  FormControls* Options() override { return &form_; }
  // Translates the form again, then LanguageApplied, and lays the page out.
  void ApplyLanguage() override;
  int MinimumWidth() const override;

 protected:
  // The page's controls in reading order, captions in English: the form translates them with
  // the main window's language.
  virtual std::vector<ControlDecl> Controls() const = 0;
  // The controls exist (not yet laid out): fill them, create what the table cannot express.
  virtual void Created() {}
  // The form was translated again: texts the page sets itself follow.
  virtual void LanguageApplied() {}
  // How the page's form is translated: the main window's section "Fr1" and its extras.
  virtual FormLanguage Language() const;
  // A notification (BN_CLICKED, EN_CHANGE, CBN_SELCHANGE, ...) of the control at `index`. By
  // default a changed check box, choice, edit or spin edit is told to the window
  // (PageServices::optionChanged).
  virtual void OnControl(size_t index, WORD code);
  // Another message of the page window; true when handled, with `result` set.
  virtual bool OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/,
                         LRESULT& /*result*/) {
    return false;
  }

  Win32Form& Form() { return form_; }
  const PageServices& Services() const { return services_; }
  // The control named `name`; the page's own tables hold every name it asks for.
  size_t At(std::string_view name) const { return form_.Find(name).value_or(SIZE_MAX); }
  HWND ControlHandle(std::string_view name) const { return form_.Handle(name); }
  // Lays the page out again at its DPI, after captions or fonts changed.
  void Relayout() {
    stale_ = true;
    Layout(dpi_);
  }
  int Dpi() const { return dpi_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  PageServices services_;
  Win32Form form_;
  int dpi_ = 96;
  int laidOutWidth_ = -1;
  bool stale_ = true;       // captions or fonts changed since the last layout
  bool layingOut_ = false;  // the scroll bar's coming and going resizes the page meanwhile
};

}  // namespace tavion
