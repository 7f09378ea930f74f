#include "ui/exec_options_tab_win.h"

#include <algorithm>
#include <optional>

#include "actions/exec_on.h"
#include "base/utf_win.h"
#include "lang/lang_win.h"
#include "ui/check_tree_win.h"
#include "ui/exec_options.h"
#include "ui/ok_frame_win.h"
#include "ui/window_picker_win.h"
#include "ui/form_tables_win.h"

namespace tavion {
namespace {

// Sizes at 96 dots per inch.
constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kButtonHeight = 26;
constexpr int kTreeHeight = 300;  // the least height the tab asks for its tree
constexpr int kTreeIdOffset = 10;

constexpr wchar_t kClassName[] = L"TavionExecOptionsTab";
constexpr const char* kSection = "Fr2";
constexpr const char* kButtons[] = {"b_add", "b_edit", "b_del", "b_expand", "b_help"};

CheckTreeKind TreeKind(OptionNodeKind kind) {
  switch (kind) {
    case OptionNodeKind::kCheck:
      return CheckTreeKind::kCheck;
    case OptionNodeKind::kRadio:
      return CheckTreeKind::kRadio;
    case OptionNodeKind::kWindowEntry:
      return CheckTreeKind::kWindowEntry;
    case OptionNodeKind::kGroup:
      break;
  }
  return CheckTreeKind::kGroup;
}

std::wstring NodeText(const OptionNode& node) {
  return node.key.empty() ? Utf8ToWide(node.text) : GetLangStrW(node.key, node.text, node.section);
}

}  // namespace

struct ExecOptionsTab::Impl {
  HWND hwnd = nullptr;
  ExecOptionsContext context;
  Win32Form bar;  // the toolbar's buttons and its label
  CheckTree tree;
  std::optional<ExecOptionsModel> model;
  std::vector<HTREEITEM> items;  // by node id; null for removed nodes
  int dpi = 96;

  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool CreateControls(int firstId);
  void Fill();
  HTREEITEM Show(size_t id);
  void RefreshChecks();
  void UpdateToolbar();
  OptionToolbar Toolbar() const {
    return model ? model->Toolbar(tree.SelectedTag()) : OptionToolbar{};
  }
  void Toggle(uint32_t id);
  void AddEntry();
  void EditEntry();
  void RemoveEntry();
  void Help() const {
    if (context.showHelp) context.showHelp("ex_property.htm");
  }
  bool TreeKey(UINT key);
  bool Command(const std::string& name);
  bool Pick(WindowEntry& entry) const {
    return PickWindow(context.dialog, entry.windowClass, entry.caption, true, context.showHelp);
  }
};

bool ExecOptionsTab::Impl::CreateControls(int firstId) {
  bar.SetLanguage(ExecOptionsLanguage());
  if (!bar.Create(hwnd, ExecOptionsBarControls(), firstId)) return false;
  HWND label = bar.Handle("l_forwin");
  SetWindowLongPtrW(label, GWL_STYLE, GetWindowLongPtrW(label, GWL_STYLE) | SS_CENTERIMAGE);
  CheckTree::Handlers handlers;
  handlers.toggle = [this](uint32_t id) { Toggle(id); };
  handlers.edit = [this](uint32_t) { EditEntry(); };
  handlers.key = [this](UINT key) { return TreeKey(key); };
  if (!tree.Create(hwnd, firstId + kTreeIdOffset, std::move(handlers))) return false;
  // The tree is read after the toolbar in the Tab order, as it sits below it.
  dpi = WindowDpi(hwnd);
  tree.SetLook(bar.Font(), dpi);
  UpdateToolbar();
  return true;
}

HTREEITEM ExecOptionsTab::Impl::Show(size_t id) {
  const OptionNode& node = model->Nodes()[id];
  const HTREEITEM parent = node.parent ? items[*node.parent] : nullptr;
  const HTREEITEM item = tree.Add(parent, NodeText(node), TreeKind(node.kind),
                                  static_cast<uint32_t>(id), node.checked);
  if (items.size() <= id) items.resize(id + 1);
  items[id] = item;
  return item;
}

void ExecOptionsTab::Impl::Fill() {
  TreeView_DeleteAllItems(tree.Handle());
  items.assign(model->Nodes().size(), nullptr);
  for (size_t id = 0; id < model->Nodes().size(); ++id)
    if (!model->Nodes()[id].removed) Show(id);
  tree.ExpandAll(true);
  TreeView_SelectSetFirstVisible(tree.Handle(), TreeView_GetRoot(tree.Handle()));
  TreeView_SelectItem(tree.Handle(), TreeView_GetRoot(tree.Handle()));
  UpdateToolbar();
}

void ExecOptionsTab::Impl::RefreshChecks() {
  for (size_t id = 0; id < items.size(); ++id)
    if (items[id]) tree.SetChecked(items[id], model->Nodes()[id].checked);
}

void ExecOptionsTab::Impl::UpdateToolbar() {
  const OptionToolbar state = Toolbar();
  EnableWindow(bar.Handle("b_add"), state.add);
  EnableWindow(bar.Handle("b_edit"), state.edit);
  EnableWindow(bar.Handle("b_del"), state.remove);
  EnableWindow(bar.Handle("b_help"), context.showHelp != nullptr);
}

void ExecOptionsTab::Impl::Toggle(uint32_t id) {
  if (model && model->Toggle(id)) RefreshChecks();
}

void ExecOptionsTab::Impl::AddEntry() {
  const std::optional<uint32_t> at = tree.SelectedTag();
  if (!model || !at || !Toolbar().add) return;
  WindowEntry entry;
  if (!Pick(entry)) return;
  const std::optional<size_t> id = model->AddEntry(*at, entry);
  if (!id) return;
  const HTREEITEM item = Show(*id);
  TreeView_SelectItem(tree.Handle(), item);
  TreeView_EnsureVisible(tree.Handle(), item);
  SetFocus(tree.Handle());
}

void ExecOptionsTab::Impl::EditEntry() {
  const std::optional<uint32_t> id = tree.SelectedTag();
  if (!model || !id || !Toolbar().edit) return;
  WindowEntry entry = model->Nodes()[*id].entry;
  if (!Pick(entry) || !model->EditEntry(*id, entry)) return;
  tree.SetText(items[*id], NodeText(model->Nodes()[*id]));
  SetFocus(tree.Handle());
}

void ExecOptionsTab::Impl::RemoveEntry() {
  const std::optional<uint32_t> id = tree.SelectedTag();
  if (!model || !id || !model->RemoveEntry(*id)) return;
  const HTREEITEM item = items[*id];
  items[*id] = nullptr;
  TreeView_DeleteItem(tree.Handle(), item);
  UpdateToolbar();
}

bool ExecOptionsTab::Impl::TreeKey(UINT key) {
  // The editing keys act only where their buttons do; elsewhere the tree has them.
  const OptionToolbar state = Toolbar();
  if (key == VK_INSERT && state.add) {
    AddEntry();
  } else if (key == VK_F2 && state.edit) {
    EditEntry();
  } else if (key == VK_DELETE && state.remove) {
    RemoveEntry();
  } else if (key == VK_F1) {
    Help();
  } else {
    return false;
  }
  return true;
}

bool ExecOptionsTab::Impl::Command(const std::string& name) {
  if (name == "b_add") {
    AddEntry();
  } else if (name == "b_edit") {
    EditEntry();
  } else if (name == "b_del") {
    RemoveEntry();
  } else if (name == "b_expand") {
    tree.ExpandAll(!tree.AllExpanded());
  } else if (name == "b_help") {
    Help();
  } else {
    return false;
  }
  return true;
}

LRESULT CALLBACK ExecOptionsTab::Impl::Procedure(HWND hwnd, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
  auto* self = reinterpret_cast<Impl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    self = static_cast<Impl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd = hwnd;
  } else if (self && message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    if (const std::optional<size_t> index = self->bar.IndexOfId(LOWORD(wParam)))
      if (self->Command(self->bar.Name(*index))) return 0;
  } else if (self && message == WM_NOTIFY &&
             reinterpret_cast<const NMHDR*>(lParam)->hwndFrom == self->tree.Handle() &&
             reinterpret_cast<const NMHDR*>(lParam)->code == TVN_SELCHANGEDW) {
    self->UpdateToolbar();
    return 0;
  } else if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (self) self->hwnd = nullptr;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

ExecOptionsTab::ExecOptionsTab() : impl_(new Impl) {}
ExecOptionsTab::~ExecOptionsTab() {
  if (impl_->hwnd) DestroyWindow(impl_->hwnd);
  delete impl_;
}

bool ExecOptionsTab::Create(HWND parent, const ExecOptionsContext& context, int firstId) {
  impl_->context = context;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  if (!GetClassInfoExW(instance, kClassName, &windowClass)) {
    windowClass.lpfnWndProc = &Impl::Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassExW(&windowClass)) return false;
  }
  if (!CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, L"", WS_CHILD, 0, 0, 0, 0, parent,
                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(firstId)), instance, impl_))
    return false;
  if (impl_->CreateControls(firstId + 1)) return true;
  DestroyWindow(impl_->hwnd);
  return false;
}

HWND ExecOptionsTab::Handle() const {
  return impl_->hwnd;
}
HWND ExecOptionsTab::Tree() const {
  return impl_->tree.Handle();
}

SIZE ExecOptionsTab::NeededSize(int dpi) const {
  const auto scale = [dpi](int v) { return MulDiv(v, dpi, 96); };
  // The buttons are measured with the font they have now, made for the tab's current DPI.
  int row = 0;
  for (const char* name : kButtons) row += ButtonWidth(impl_->bar.Handle(name), impl_->dpi);
  wchar_t label[128] = {};
  GetWindowTextW(impl_->bar.Handle("l_forwin"), label, 128);
  row += TextWidth(impl_->bar.Font(), label);
  const int width = MulDiv(row, dpi, impl_->dpi) + scale(2 * kMargin + 5 * kGap);
  return {width, scale(2 * kMargin + kButtonHeight + kGap + kTreeHeight)};
}

void ExecOptionsTab::Layout(int dpi) {
  Impl& impl = *impl_;
  RECT client = {};
  GetClientRect(impl.hwnd, &client);
  impl.bar.Layout(client.right, dpi);
  if (dpi != impl.dpi) {
    impl.dpi = dpi;
    impl.tree.SetLook(impl.bar.Font(), dpi);
  }
  const auto scale = [dpi](int v) { return MulDiv(v, dpi, 96); };
  const int height = scale(kButtonHeight);
  int left = scale(kMargin);
  const int top = scale(kMargin);
  for (const char* name : kButtons) {
    HWND button = impl.bar.Handle(name);
    const int width = ButtonWidth(button, dpi);
    MoveWindow(button, left, top, width, height, TRUE);
    left += width + scale(kGap);
  }
  HWND label = impl.bar.Handle("l_forwin");
  wchar_t text[128] = {};
  GetWindowTextW(label, text, 128);
  const int labelWidth = TextWidth(impl.bar.Font(), text);
  MoveWindow(label, left, top, labelWidth + scale(2), height, TRUE);
  const int treeTop = top + height + scale(kGap);
  MoveWindow(impl.tree.Handle(), scale(kMargin), treeTop,
             std::max(0, static_cast<int>(client.right) - 2 * scale(kMargin)),
             std::max(0, static_cast<int>(client.bottom) - treeTop - scale(kMargin)), TRUE);
}

void ExecOptionsTab::Load(const TActionExecOn& options) {
  std::vector<LayoutChoice> layouts;
  for (const KeyboardLayoutEntry& layout : impl_->context.layouts)
    layouts.push_back({layout.handle, WideToUtf8(layout.name)});
  impl_->model.emplace(options, layouts);
  impl_->Fill();
}

void ExecOptionsTab::Store(TActionExecOn& options) const {
  if (impl_->model) impl_->model->Store(options);
}

std::vector<ControlDecl> ExecOptionsBarControls() {
  return {PlacedControl("b_add", ControlKind::kButton, "Add"),
          PlacedControl("b_edit", ControlKind::kButton, "Edit"),
          PlacedControl("b_del", ControlKind::kButton, "Delete"),
          PlacedControl("b_expand", ControlKind::kButton, "Expand/Collapse"),
          PlacedControl("b_help", ControlKind::kButton, "Help"),
          PlacedControl("l_forwin", ControlKind::kLabel, " for window items only")};
}

FormLanguage ExecOptionsLanguage() {
  return {std::string(kSection)};
}

}  // namespace tavion
