#include "ui/osd_page_win.h"

#include <commdlg.h>

#include "base/handles_win.h"
#include "exec/main_messages.h"
#include "lang/lang_win.h"
#include "osd/osd_geometry.h"
#include "osd/osd_window_win.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "ui/form_page_win.h"
#include "ui/osd_page.h"

namespace tavion {
namespace {

// A stored colour: 0x00BBGGRR, or 0xFF0000nn for system colour nn.
COLORREF StoredColour(uint32_t colour) {
  if ((colour & 0xFF000000u) == 0xFF000000u) return GetSysColor(static_cast<int>(colour & 0xFF));
  return static_cast<COLORREF>(colour & 0x00FFFFFFu);
}

// The notification's font as the settings hold it, for `dpi`.
LOGFONTW NotificationFont(int dpi) {
  const SettingsRecord& s = Settings();
  LOGFONTW font = {};
  font.lfHeight = -MulDiv(s.Font_Size > 0 ? s.Font_Size : 14, dpi, 72);
  font.lfWeight = (s.FontStyle & 1) ? FW_BOLD : FW_NORMAL;
  font.lfItalic = (s.FontStyle & 2) != 0;
  font.lfUnderline = (s.FontStyle & 4) != 0;
  font.lfStrikeOut = (s.FontStyle & 8) != 0;
  font.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(font.lfFaceName, Utf8ToWide(s.Font_Name).c_str(), LF_FACESIZE - 1);
  return font;
}

class OsdPage final : public FormPage {
 public:
  std::wstring Title() const override { return GetLangStrW("PageOsd", "OnScreen display"); }

  void Shown() override {
    Show(OsdPageValuesFrom(Settings()));
    FormPage::Shown();
  }

  void Layout(int dpi) override {
    if (dpi != sampleDpi_) MakeSampleFont(dpi);
    FormPage::Layout(dpi);
  }

  void OnWindowStatus(unsigned status) override {
    if (status != kStatusCustomOsdPosition) return;
    // The notification was dragged to its place: that place is now the custom position.
    OsdPageValues values = OsdPageValuesFrom(Settings());
    values.position = static_cast<int>(OsdPosition::kCustom);
    StoreOsdPageValues(values, Settings());
    Show(values);
  }

 protected:
  std::vector<ControlDecl> Controls() const override { return OsdPageControls(); }

  void Created() override { Refresh(); }

  void OnControl(size_t index, WORD code) override {
    const std::string& name = Form().Name(index);
    if (code == BN_CLICKED && name == "b_show") {
      ShowOsdSample(Services().shortVersion, Services().buildDate);
    } else if (code == BN_CLICKED && name == "b_font") {
      ChooseSampleFont();
    } else if (code == BN_CLICKED && name == "b_back") {
      ChooseBackground();
    } else if (const auto field = FieldOf(name); field && !refreshing_) {
      const bool number = Form().Kind(index) != ControlKind::kCheckBox;
      if ((number && code != EN_CHANGE && code != CBN_SELCHANGE) || (!number && code != BN_CLICKED))
        return;
      const int value = number ? Form().ItemIndex(index) : Form().Checked(index);
      const OsdPageValues values = ChangeOsdPageValue(OsdPageValuesFrom(Settings()), *field, value);
      StoreOsdPageValues(values, Settings());
      Show(values);
    } else if (!refreshing_) {
      CopyDeskOptions(Form(), Settings());
      // A notification on the screen keeps the skin it was made with: it ends.
      if (name == "OPT_OSD_SKIN" && code == CBN_SELCHANGE) StopOsd();
      FormPage::OnControl(index, code);
    }
  }

  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (message != WM_CTLCOLORSTATIC || reinterpret_cast<HWND>(lParam) != ControlHandle("l_sample"))
      return false;
    const HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, StoredColour(Settings().ColorText));
    SetBkColor(dc, StoredColour(Settings().ColorBack));
    result = reinterpret_cast<LRESULT>(sampleBrush_.get());
    return true;
  }

 private:
  static std::optional<OsdPageField> FieldOf(const std::string& name) {
    using F = OsdPageField;
    for (const auto& [control, field] :
         {std::pair{"cb_desk", F::kEnabled}, std::pair{"se_time", F::kShowTime},
          std::pair{"cb_notaskbar", F::kNoTaskBar}, std::pair{"cb_fullscr", F::kFullScreen},
          std::pair{"cb_alpha", F::kAlpha}, std::pair{"se_alpha", F::kAlphaValue},
          std::pair{"cb_pos", F::kPosition}}) {
      if (name == control) return field;
    }
    return std::nullopt;
  }

  // The values and the sample as the settings hold them now.
  void Refresh() {
    Show(OsdPageValuesFrom(Settings()));
    sampleBrush_.reset(CreateSolidBrush(StoredColour(Settings().ColorBack)));
    MakeSampleFont(Dpi());
    Relayout();
  }

  // Puts `values` into the controls; the changes this makes are not the user's.
  void Show(const OsdPageValues& values) {
    refreshing_ = true;
    Win32Form& form = Form();
    form.SetChecked(At("cb_desk"), values.enabled);
    if (form.ItemIndex(At("se_time")) != values.showTime)
      form.SetItemIndex(At("se_time"), values.showTime);
    form.SetChecked(At("cb_notaskbar"), values.noTaskBar);
    form.SetChecked(At("cb_fullscr"), values.fullScreen);
    form.SetChecked(At("cb_alpha"), values.alpha);
    if (form.ItemIndex(At("se_alpha")) != values.alphaValue)
      form.SetItemIndex(At("se_alpha"), values.alphaValue);
    EnableWindow(ControlHandle("se_alpha"), values.alpha);
    form.SetItemIndex(At("cb_pos"), values.position);
    refreshing_ = false;
  }

  // The sample's font: the notification's, at the page's DPI.
  void MakeSampleFont(int dpi) {
    const LOGFONTW font = NotificationFont(dpi);
    UniqueFont made(CreateFontIndirectW(&font));
    if (!made) return;
    Form().SetControlFont(At("l_sample"), made.get());
    sampleFont_ = std::move(made);
    sampleDpi_ = dpi;
  }

  void ChooseSampleFont() {
    SettingsRecord& s = Settings();
    // The font dialog reads heights in the screen's units.
    const WindowDc screen(nullptr);
    LOGFONTW font = NotificationFont(screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96);
    CHOOSEFONTW choose = {};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = Handle();
    choose.lpLogFont = &font;
    choose.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
    choose.rgbColors = StoredColour(s.ColorText);
    if (!ChooseFontW(&choose)) return;
    s.Font_Name = WideToUtf8(font.lfFaceName);
    s.FontStyle =
        static_cast<uint8_t>((font.lfWeight >= FW_BOLD ? 1 : 0) | (font.lfItalic ? 2 : 0) |
                             (font.lfUnderline ? 4 : 0) | (font.lfStrikeOut ? 8 : 0));
    if (choose.iPointSize > 0) s.Font_Size = choose.iPointSize / 10;
    s.ColorText = choose.rgbColors;
    Refresh();
  }

  void ChooseBackground() {
    static COLORREF custom[16] = {};
    CHOOSECOLORW choose = {};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = Handle();
    choose.rgbResult = StoredColour(Settings().ColorBack);
    choose.lpCustColors = custom;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorW(&choose)) return;
    Settings().ColorBack = choose.rgbResult;
    Refresh();
  }

  UniqueFont sampleFont_;
  UniqueBrush sampleBrush_;
  int sampleDpi_ = 0;
  bool refreshing_ = false;
};

}  // namespace

std::unique_ptr<Page> CreateOsdPage() {
  return std::make_unique<OsdPage>();
}

}  // namespace tavion
