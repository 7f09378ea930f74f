#include "ui/param_tab_plugin_win.h"

#include "actions/action.h"
#include "forms/form_win.h"
#include "plugins/plugin_host_win.h"
#include "ui/main_pages_win.h"

namespace tavion {
namespace {

// Sizes at 96 dots per inch: the panel the plug-in lays its controls out in, and its margin.
constexpr int kPanelWidth = 360;
constexpr int kPanelHeight = 220;
constexpr int kMargin = 8;

}  // namespace

PluginParamTab::~PluginParamTab() {
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

bool PluginParamTab::Create(HWND parent, const ParamTabContext& context, int /*firstId*/) {
  if (hwnd_) return false;
  context_ = context;
  if (!context_.instance) context_.instance = GetModuleHandleW(nullptr);
  hwnd_ = CreatePageWindow(parent, context_.instance, &PluginParamTab::TabProc, this);
  return hwnd_ != nullptr;
}

SIZE PluginParamTab::NeededSize(int dpi) {
  return SIZE{MulDiv(kPanelWidth + 2 * kMargin, dpi, 96),
              MulDiv(kPanelHeight + 2 * kMargin, dpi, 96)};
}

void PluginParamTab::Layout(int dpi) {
  // The plug-in laid its controls out in the panel's size: the panel keeps it.
  if (panel_)
    SetWindowPos(panel_, nullptr, MulDiv(kMargin, dpi, 96), MulDiv(kMargin, dpi, 96), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PluginParamTab::Load(const Persistent* params) {
  edited_ = dynamic_cast<const TActionParamsPlug*>(params);
}

bool PluginParamTab::ShowFor(const std::string& code) {
  if (code == code_ && panel_) return true;
  ClosePanel();
  working_.reset();
  code_.clear();
  const std::optional<PluginActionId> id = host_.Resolve(code);
  if (!id) return false;
  auto working = std::make_unique<TActionParamsPlug>();
  working->LibraryFile = id->libraryFile;
  working->ActionId = id->actionId;
  working->Params = host_.CreateParams(*id);
  // An action without settings has no panel.
  if (!working->Params) return false;
  if (edited_ && edited_->Params && edited_->LibraryFile == id->libraryFile &&
      edited_->ActionId == id->actionId)
    CopyProperties(*edited_->Params, *working->Params);
  const int dpi = WindowDpi(hwnd_);
  panel_ = CreatePageWindow(hwnd_, context_.instance, &PluginParamTab::PanelProc, nullptr);
  if (panel_)
    SetWindowPos(panel_, nullptr, MulDiv(kMargin, dpi, 96), MulDiv(kMargin, dpi, 96),
                 MulDiv(kPanelWidth, dpi, 96), MulDiv(kPanelHeight, dpi, 96),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  if (!panel_) return false;
  // The plug-in takes the editor's font from the panel.
  SendMessageW(panel_, WM_SETFONT, SendMessageW(GetParent(hwnd_), WM_GETFONT, 0, 0), FALSE);
  working_ = std::move(working);
  code_ = code;
  host_.ShowPanel(*working_, panel_);
  return true;
}

void PluginParamTab::ClosePanel() const {
  if (!panel_) return;
  HWND panel = panel_;
  panel_ = nullptr;
  if (working_) host_.ClosePanel(*working_, panel);
  DestroyWindow(panel);
}

void PluginParamTab::Store(Persistent& params) const {
  ClosePanel();
  auto* target = dynamic_cast<TActionParamsPlug*>(&params);
  if (target && target->Params && working_ && working_->Params &&
      target->LibraryFile == working_->LibraryFile && target->ActionId == working_->ActionId)
    CopyProperties(*working_->Params, *target->Params);
}

LRESULT CALLBACK PluginParamTab::PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFONT:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
      return 0;
    case WM_GETFONT:
      return GetWindowLongPtrW(hwnd, GWLP_USERDATA);
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK PluginParamTab::TabProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* tab = reinterpret_cast<PluginParamTab*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  // The editor goes without OK: the plug-in lets go of the panel while its controls still live,
  // and the working object is dropped with the tab.
  if (message == WM_DESTROY && tab && tab->hwnd_ == hwnd) tab->ClosePanel();
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace tavion
