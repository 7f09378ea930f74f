#pragma once
// The form runtime: creates the Win32 controls of a form table on a parent window and serves
// them as FormControls. Controls use the system message font at the form's DPI; captions are
// measured with it, so labels, check boxes and buttons grow to their texts and the rows and group
// boxes of the table (form_layout.h) grow with them.

#include <windows.h>

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "base/handles_win.h"
#include "lang/form_language.h"
#include "settings/form.h"

namespace tavion {

// The dots per inch of `hwnd`'s monitor (the system's where the window's own is unknown).
int WindowDpi(HWND hwnd);

class Win32Form final : public DeclaredForm {
 public:
  Win32Form() = default;
  // Destroys the controls it created (those still alive), then their font.
  ~Win32Form() override;
  Win32Form(const Win32Form&) = delete;
  Win32Form& operator=(const Win32Form&) = delete;

  // Creates the controls of `table` in its order (the Tab order) as children of `parent` and
  // lays them out across the parent's client width at its DPI: each at its fixed place, or in
  // the rows and groups of the table. Control ids are `firstId` upwards in table order (a radio
  // group's buttons take ids of their own after all controls). Returns false, leaving no control
  // behind, when a control cannot be created or the form was created before. With
  // `notifyFocus` buttons, check boxes and radio buttons also report BN_SETFOCUS, so a scrolling
  // parent can bring a control that the keyboard reached into view.
  bool Create(HWND parent, std::span<const ControlDecl> table, int firstId = 1000,
              bool notifyFocus = false);

  // How the form is translated; set before Create, which then creates the table translated.
  void SetLanguage(FormLanguage language) { language_ = std::move(language); }
  // Translates the form again, in place, from its table as declared: captions, hints (shown as
  // tooltips), radio and combo box items (keeping the selection; entries a page added are kept
  // unless translated), list columns, memo texts and label looks. Texts a page set at run time
  // return to the declared ones: the page sets them again. Lay out again afterwards.
  void ApplyLanguage();

  // Lays the controls out again across `width` pixels at `dpi`, measuring the captions as they
  // are now (a changed DPI makes a new font). Returns the content's height.
  int Layout(int width, int dpi);
  // Gives one control a font of its own (kept by the caller, alive as long as the control), with
  // which it is also measured; null returns it to the form's font. Lay out again afterwards.
  void SetControlFont(size_t index, HFONT font);
  // Sets a control's caption (a label's text, a button's caption); lay out again afterwards.
  void SetCaption(size_t index, std::string_view caption);
  // Sets a control's tooltip; an empty hint removes it.
  void SetHint(size_t index, std::string_view hint);
  // Enables or disables a control with the windows that belong to it (caption, arrows, radio
  // buttons, a slider's number).
  void SetEnabled(size_t index, bool enabled);

  // The window of the control named `name` (a radio group's group box), or null.
  HWND Handle(std::string_view name) const;
  HWND Handle(size_t index) const;
  // The control a WM_COMMAND / WM_NOTIFY id belongs to; a radio button gives its group.
  std::optional<size_t> IndexOfId(int id) const;
  // The size the laid-out controls take in pixels, margins included: at least the width asked
  // for, more when a row's texts need it.
  int ContentHeight() const { return contentHeight_; }
  int ContentWidth() const { return contentWidth_; }
  // The least width that shows every flowing control whole, as of the last layout.
  int NeededWidth() const { return neededWidth_; }
  HFONT Font() const { return font_.get(); }
  int Dpi() const { return dpi_; }

  bool Checked(size_t index) const override;
  void SetChecked(size_t index, bool checked) override;
  std::string Text(size_t index) const override;
  void SetText(size_t index, std::string_view text) override;
  int ItemIndex(size_t index) const override;
  void SetItemIndex(size_t index, int item) override;
  bool Expanded(size_t index) const override;
  void SetExpanded(size_t index, bool expanded) override;
  std::vector<int> ColumnWidths(size_t index) const override;
  void SetColumnWidth(size_t index, size_t column, int width) override;

 private:
  // The windows of one declared control.
  struct Control {
    HWND hwnd = nullptr;
    int id = 0;
    HWND caption = nullptr;    // the label of an edit, spin edit or combo box
    HWND spin = nullptr;       // the arrows of a spin edit
    HWND number = nullptr;     // the value shown beside a slider
    std::vector<HWND> radios;  // radio group
    int firstRadioId = 0;
    bool expanded = true;  // information panel
    HFONT ownFont = nullptr;
    bool hasTip = false;
  };

  bool CreateControl(HWND parent, size_t index, int& nextRadioId);
  // Shows the controls' hints and looks as their declarations say.
  void ApplyHints();
  // The window drawn in a control's look: a label, or the caption of a field.
  HWND LookWindow(size_t index) const;
  void DestroyControls();
  HFONT FontOf(size_t index) const;
  void ApplyFonts();
  // Moves a control (and its radio buttons, arrows) to `box`.
  void Place(size_t index, RECT box);
  // Shows a slider's position in its number.
  void ShowSliderValue(size_t index);
  // Sees the sliders' WM_HSCROLL on their parent, to keep their numbers current, and colours
  // the labels drawn in a look (WM_CTLCOLORSTATIC).
  // Several forms may share a parent: each subclasses it under an id of its own.
  UINT_PTR SubclassId() const { return reinterpret_cast<UINT_PTR>(this); }
  static LRESULT CALLBACK ParentProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR data);

  HWND parent_ = nullptr;
  bool parentSubclassed_ = false;
  DWORD buttonStyle_ = 0;              // BS_NOTIFY when asked for
  std::vector<Control> controls_;      // one per declaration
  std::vector<ControlDecl> declared_;  // the table as declared, before translation
  FormLanguage language_;
  HWND tooltip_ = nullptr;  // made with the first hint
  UniqueFont font_;
  UniqueFont boldFont_;  // for labels in the heading look
  int dpi_ = 96;
  int contentHeight_ = 0;
  int contentWidth_ = 0;
  int neededWidth_ = 0;
};

}  // namespace tavion
