// The main window's frame: the pages with the title above the visible one, the navigation and
// the bottom row, laid out for the window's DPI.
#include <windows.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "forms/form_win.h"
#include "lang/lang_win.h"
#include "ui/main_pages_win.h"
#include "ui/main_window_parts_win.h"
#include "ui/navigation.h"

namespace tavion {
namespace {

constexpr int kFirstButtonId = 2000;

// The row of buttons below the pages, in the current language.
std::vector<ControlDecl> BottomButtons() {
  std::vector<ControlDecl> table;
  for (const auto& [name, key, caption] : {std::tuple{"b_close", "ButtonClose", "Close"},
                                           std::tuple{"b_disable", "ButtonDisable", "Disable"},
                                           std::tuple{"b_ok", "ButtonMinimize", "Minimize"}}) {
    ControlDecl button;
    button.name = name;
    button.kind = ControlKind::kButton;
    button.caption = GetLangStr(key, caption);
    table.push_back(std::move(button));
  }
  return table;
}

// The system's message font at `dpi`, `scale` percent of its size, bold when `bold`.
UniqueFont MessageFont(int dpi, int scale, bool bold) {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    return UniqueFont();
  LOGFONTW font = metrics.lfMessageFont;
  const WindowDc screen(nullptr);
  const int systemDpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
  font.lfHeight = MulDiv(font.lfHeight, dpi * scale, std::max(1, systemDpi) * 100);
  if (bold) font.lfWeight = FW_BOLD;
  return UniqueFont(CreateFontIndirectW(&font));
}

}  // namespace

PageServices MainWindow::MakePageServices(HINSTANCE instance) {
  PageServices services;
  services.window = hwnd_;
  services.instance = instance;
  services.settings = &registry_;
  services.user = &userRegistry_;
  services.actions = &actions_;
  services.tree = &tree_;
  services.resourceFolder = startup_.resourceFolder;
  services.languageFolder = startup_.languageFolder;
  services.fullVersion = startup_.fullVersion;
  services.shortVersion = startup_.shortVersion;
  services.buildDate = startup_.buildDate;
  services.execute = [](const std::string& code, int index, bool useThread) {
    ExecuteAction(code, index, useThread);
  };
  services.saveActions = [this] { return SaveProfile(); };
  services.loadDefaultActions = [this] { LoadDefaultProfile(); };
  services.actionsChanged = [this] { ActionsChanged(); };
  services.optionChanged = [this](const std::string& name) { ApplyOptionChange(name); };
  return services;
}

void MainWindow::CreateFrame(HINSTANCE instance) {
  const PageServices services = MakePageServices(instance);
  std::vector<FormControls*> forms = {&parts_->navigationPanels};
  parts_->pages = CreateMainPages();
  for (auto& page : parts_->pages) {
    // A page that cannot be created stays empty; the others still work.
    page->Create(hwnd_, services);
    forms.push_back(page->Options());
  }
  parts_->options = std::make_unique<CompositeForm>(std::move(forms));
  parts_->pageTitle = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_NOPREFIX, 0, 0,
                                      0, 0, hwnd_, nullptr, instance, nullptr);
  parts_->buttons.Create(hwnd_, BottomButtons(), kFirstButtonId);
  const auto first = FirstPageEntry(kMainNavigationPanel);
  ShowPage(first ? NavigationEntries()[*first].page.value_or(0) : 0);
}

Page* MainWindow::CurrentPage() const {
  if (!parts_ || parts_->currentPage >= parts_->pages.size()) return nullptr;
  return parts_->pages[parts_->currentPage].get();
}

void MainWindow::ShowPage(size_t page) {
  if (!parts_ || page >= parts_->pages.size()) return;
  Page* previous = CurrentPage();
  parts_->currentPage = page;
  Page* next = CurrentPage();
  SetWindowTextW(parts_->pageTitle, next->Title().c_str());
  LayoutControls();
  if (previous && previous != next && previous->Handle()) ShowWindow(previous->Handle(), SW_HIDE);
  if (next->Handle()) ShowWindow(next->Handle(), SW_SHOW);
  next->Shown();
}

void MainWindow::LayoutControls() {
  if (!parts_ || !parts_->pageTitle) return;
  RECT client;
  GetClientRect(hwnd_, &client);
  const int dpi = WindowDpi(hwnd_);
  const int margin = MulDiv(8, dpi, 96);
  const int buttonWidth = MulDiv(90, dpi, 96);
  const int buttonHeight = MulDiv(26, dpi, 96);
  const int top = client.bottom - margin - buttonHeight;
  parts_->titleFont = MessageFont(dpi, 130, /*bold=*/true);
  SendMessageW(parts_->pageTitle, WM_SETFONT, reinterpret_cast<WPARAM>(parts_->titleFont.get()),
               FALSE);
  const int titleHeight = MulDiv(26, dpi, 96);
  MoveWindow(parts_->pageTitle, margin, margin, client.right - 2 * margin, titleHeight, TRUE);
  const int pageTop = margin + titleHeight;
  if (Page* page = CurrentPage(); page && page->Handle()) {
    MoveWindow(page->Handle(), 0, pageTop, client.right, std::max(0, top - margin - pageTop), TRUE);
    page->Layout(dpi);
  }
  int x = client.right - margin - buttonWidth;
  for (const char* name : {"b_ok", "b_disable", "b_close"}) {
    MoveWindow(parts_->buttons.Handle(name), x, top, buttonWidth, buttonHeight, TRUE);
    x -= buttonWidth + margin;
  }
}

}  // namespace tavion
