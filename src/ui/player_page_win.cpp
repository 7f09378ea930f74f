#include "ui/player_page_win.h"

#include <commdlg.h>

#include "base/open_file_win.h"
#include "lang/lang_win.h"
#include "ui/form_page_win.h"
#include "ui/player_page.h"

namespace tavion {
namespace {

class PlayerPage final : public FormPage {
 public:
  std::wstring Title() const override { return GetLangStrW("PagePlayer", "Media player manage"); }

 protected:
  std::vector<ControlDecl> Controls() const override { return PlayerPageControls(); }

  void OnControl(size_t index, WORD code) override {
    if (Form().Name(index) == "b_browse" && code == BN_CLICKED) {
      ChoosePlayer();
      return;
    }
    FormPage::OnControl(index, code);
  }

 private:
  // The open-file dialog, starting at the current program; the chosen file replaces it.
  void ChoosePlayer() {
    const size_t pathAt = At("Opt_WAmp_Path");
    wchar_t file[MAX_PATH] = {};
    const std::wstring current = Utf8ToWide(Form().Text(pathAt));
    wcsncpy(file, current.c_str(), MAX_PATH - 1);
    const std::wstring filter =
        FileDialogFilter({{GetLangStrW("FilterPrograms", "Programs (*.exe)"), L"*.exe"},
                          {AllFilesCaption(), L"*.*"}});
    OPENFILENAMEW open = {};
    open.lStructSize = sizeof open;
    open.hwndOwner = Handle();
    open.lpstrFilter = filter.c_str();
    open.lpstrFile = file;
    open.nMaxFile = MAX_PATH;
    open.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    // Cancelled or failed alike: the path stays as it is.
    if (GetOpenFileNameW(&open)) Form().SetText(pathAt, WideToUtf8(file));
  }
};

}  // namespace

std::unique_ptr<Page> CreatePlayerPage() {
  return std::make_unique<PlayerPage>();
}

}  // namespace tavion
