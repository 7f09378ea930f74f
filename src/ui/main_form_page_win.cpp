#include "ui/main_form_page_win.h"

#include <vector>

#include "forms/form_win.h"
#include "lang/lang_win.h"
#include "ui/main_options.h"
#include "ui/main_pages_win.h"
#include "ui/options_page_win.h"

namespace tavion {
namespace {

class MainFormPage final : public Page {
 public:
  ~MainFormPage() override {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  }

  bool Create(HWND parent, const PageServices& services) override {
    services_ = services;
    hwnd_ = CreatePageWindow(parent, services.instance, &MainFormPage::Proc, this);
    if (!hwnd_) return false;
    scroller_ = CreateScrollingPage(hwnd_, services.instance);
    if (!scroller_) return false;
    // The navigation keeps its panels' state itself.
    std::vector<ControlDecl> table;
    for (const ControlDecl& decl : MainOptionControls())
      if (decl.kind != ControlKind::kInfoPanel) table.push_back(decl);
    // The form lays its controls out across the scroller's width as it is when created.
    RECT client;
    GetClientRect(parent, &client);
    MoveWindow(scroller_, 0, 0, client.right, client.bottom, FALSE);
    return form_.Create(scroller_, table);
  }
  HWND Handle() const override { return hwnd_; }
  std::wstring Title() const override { return GetLangStrW("PageMainOptions", "Main options"); }
  void Layout(int /*dpi*/) override {
    RECT client;
    GetClientRect(hwnd_, &client);
    MoveWindow(scroller_, 0, 0, client.right, client.bottom, TRUE);
    SetScrollingPageContentHeight(scroller_, form_.ContentHeight());
  }
  FormControls* Options() override { return &form_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<MainFormPage*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message == WM_COMMAND) {
      if (const auto index = self->form_.IndexOfId(LOWORD(wParam));
          index && self->services_.optionChanged)
        self->services_.optionChanged(self->form_.Name(*index));
      return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  PageServices services_;
  HWND hwnd_ = nullptr;
  HWND scroller_ = nullptr;
  Win32Form form_;
};

}  // namespace

std::unique_ptr<Page> CreateMainFormPage() {
  return std::make_unique<MainFormPage>();
}

}  // namespace tavion
