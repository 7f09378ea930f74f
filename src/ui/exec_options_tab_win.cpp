#include "ui/exec_options_tab_win.h"

#include "actions/exec_on.h"

namespace tavion {

// Interim: a blank tab that keeps the options as they were, until the check tree arrives.
struct ExecOptionsTab::Impl {
  HWND hwnd = nullptr;
};

ExecOptionsTab::ExecOptionsTab() : impl_(new Impl) {}
ExecOptionsTab::~ExecOptionsTab() {
  if (impl_->hwnd) DestroyWindow(impl_->hwnd);
  delete impl_;
}

bool ExecOptionsTab::Create(HWND parent, const ExecOptionsContext&, int firstId) {
  impl_->hwnd = CreateWindowExW(WS_EX_CONTROLPARENT, L"STATIC", L"", WS_CHILD, 0, 0, 0, 0, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(firstId)), nullptr,
                                nullptr);
  return impl_->hwnd != nullptr;
}
HWND ExecOptionsTab::Handle() const { return impl_->hwnd; }
HWND ExecOptionsTab::Tree() const { return impl_->hwnd; }
SIZE ExecOptionsTab::NeededSize(int) const { return {0, 0}; }
void ExecOptionsTab::Layout(int) {}
void ExecOptionsTab::Load(const TActionExecOn&) {}
void ExecOptionsTab::Store(TActionExecOn&) const {}

}  // namespace tavion
