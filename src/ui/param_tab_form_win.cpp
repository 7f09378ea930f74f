#include "ui/param_tab_form_win.h"

#include "base/open_file_win.h"
#include "base/utf_win.h"
#include "lang/lang.h"
#include "ui/main_options.h"
#include "ui/main_pages_win.h"

namespace tavion {
namespace {

constexpr std::string_view kSection = "Fr2";

}  // namespace

FormParamTab::~FormParamTab() {
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

bool FormParamTab::Create(HWND parent, const ParamTabContext& context, int firstId) {
  if (hwnd_) return false;
  context_ = context;
  firstId_ = firstId;
  HINSTANCE instance = context.instance ? context.instance : GetModuleHandleW(nullptr);
  hwnd_ = CreatePageWindow(parent, instance, &FormParamTab::WindowProc, this);
  if (!hwnd_) return false;
  // A group box paints only its frame: the tab must paint its face beneath it too.
  SetWindowLongPtrW(hwnd_, GWL_STYLE, GetWindowLongPtrW(hwnd_, GWL_STYLE) & ~WS_CLIPCHILDREN);
  form_.SetLanguage({std::string(kSection)});
  if (!form_.Create(hwnd_, Controls(), firstId)) {
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    return false;
  }
  Created();
  return true;
}

SIZE FormParamTab::NeededSize(int dpi) {
  // Laid out across no width, the form takes the least width its rows need.
  form_.Layout(0, dpi);
  return SIZE{form_.ContentWidth(), form_.ContentHeight()};
}

void FormParamTab::Layout(int dpi) {
  RECT client = {};
  GetClientRect(hwnd_, &client);
  form_.Layout(client.right, dpi);
  LaidOut();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

std::optional<ParamCheckFailure> FormParamTab::Failure(
    const std::optional<ParamProblem>& problem) const {
  if (!problem) return std::nullopt;
  return ParamCheckFailure{ParamProblemText(*problem), ControlHandle(problem->control)};
}

std::optional<std::string> FormParamTab::ChooseFile(const std::string& path) const {
  return AskFileToOpen(context_.dialog ? context_.dialog : hwnd_, path);
}

LRESULT CALLBACK FormParamTab::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* tab = reinterpret_cast<FormParamTab*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (tab && message == WM_COMMAND && lParam) {
    if (const auto index = tab->form_.IndexOfId(LOWORD(wParam)))
      tab->OnControl(*index, HIWORD(wParam));
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

ControlDecl TabControl(ControlKind kind, std::string name, std::string_view english) {
  ControlDecl decl;
  decl.caption = english;
  decl.name = std::move(name);
  decl.kind = kind;
  return decl;
}

ControlDecl TabChoice(ControlKind kind, std::string name, std::string_view english,
                      const std::vector<std::string>& items) {
  ControlDecl decl = TabControl(kind, std::move(name), english);
  for (size_t i = 0; i < items.size(); ++i) decl.items.push_back(items[i]);
  return decl;
}

ControlDecl TabList(std::string name, std::string_view english, std::vector<std::string> items) {
  ControlDecl decl = TabControl(ControlKind::kComboBox, std::move(name), english);
  decl.items = std::move(items);
  decl.valueItems = true;
  return decl;
}

ControlDecl SmallButton(std::string name, std::string_view english) {
  ControlDecl decl = TabControl(ControlKind::kButton, std::move(name), english);
  decl.compact = true;
  decl.beside = true;
  return decl;
}

std::string ComboItemText(HWND combo, int item) {
  const auto length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(item), 0);
  if (length <= 0 || length > 1024) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(item),
               reinterpret_cast<LPARAM>(text.data()));
  return WideToUtf8(text.c_str());
}

ControlDecl TabSlider(std::string name, std::string_view english, int minValue, int maxValue) {
  ControlDecl decl = TabControl(ControlKind::kSlider, std::move(name), english);
  decl.minValue = minValue;
  decl.maxValue = maxValue;
  decl.itemIndex = minValue;
  return decl;
}

}  // namespace tavion
