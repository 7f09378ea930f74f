#include "ui/about_page_win.h"

#include "base/handles_win.h"
#include "lang/lang_win.h"
#include "ui/about_page.h"
#include "ui/form_page_win.h"
#include "update/update_check.h"
#include "update/update_check_win.h"

namespace tavion {
namespace {

class AboutPage final : public FormPage {
 public:
  std::wstring Title() const override { return GetLangStrW("PageAbout", "About"); }

  void Layout(int dpi) override {
    FormPage::Layout(dpi);
    // The name is set half as large again as the text and bold, from the form's font.
    LOGFONTW font = {};
    if (titleDpi_ == dpi || !GetObjectW(Form().Font(), sizeof font, &font)) return;
    font.lfHeight = font.lfHeight * 3 / 2;
    font.lfWeight = FW_BOLD;
    UniqueFont title(CreateFontIndirectW(&font));
    Form().SetControlFont(At("l_name"), title.get());
    titleFont_ = std::move(title);
    titleDpi_ = dpi;
    Relayout();
  }

 protected:
  std::vector<ControlDecl> Controls() const override { return AboutPageControls(); }

  void LanguageApplied() override {
    Form().SetCaption(At("l_ver"), AboutVersionText(Services().fullVersion, Services().buildDate));
  }

  void OnControl(size_t index, WORD code) override {
    if (code == BN_CLICKED && Form().Name(index) == "b_upd") {
      const std::string address =
          Services().settings ? UpdatePageAddress(*Services().settings) : kUpdatePage;
      RunInteractiveUpdateCheck(address, Services().shortVersion);
      return;
    }
    FormPage::OnControl(index, code);
  }

  void Created() override {
    LanguageApplied();
    for (const char* name : {"e_author", "e_site", "e_mail"})
      SendMessageW(ControlHandle(name), EM_SETREADONLY, TRUE, 0);
  }

 private:
  UniqueFont titleFont_;
  int titleDpi_ = 0;
};

}  // namespace

std::unique_ptr<Page> CreateAboutPage() {
  return std::make_unique<AboutPage>();
}

}  // namespace tavion
