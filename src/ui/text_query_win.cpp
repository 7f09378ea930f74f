#include "ui/text_query_win.h"

#include <algorithm>
#include <vector>

#include "base/utf_win.h"
#include "ui/ok_frame_win.h"

namespace tavion {
namespace {

// Sizes at 96 dots per inch.
constexpr int kMargin = 8;
constexpr int kLabelHeight = 16;
constexpr int kEditHeight = 22;
constexpr int kMinWidth = 300;

class TextQuery final : public ModalDialog {
 public:
  TextQuery(const std::string& prompt, std::string& text) : prompt_(prompt), text_(text) {}

 private:
  bool Init() override {
    std::vector<ControlDecl> table = {PlacedControl("l_prompt", ControlKind::kLabel, prompt_),
                                      PlacedControl("e_text", ControlKind::kEdit)};
    table[1].text = text_;
    if (!form_.Create(dialog_, table)) return false;
    LayOut();
    SetFocus(form_.Handle("e_text"));
    SendMessageW(form_.Handle("e_text"), EM_SETSEL, 0, -1);
    return true;
  }

  bool Accept() override {
    text_ = form_.Text(*form_.Find("e_text"));
    return true;
  }

  void LayOut() {
    const int dpi = WindowDpi(dialog_);
    const auto scale = [dpi](int v) { return MulDiv(v, dpi, 96); };
    HWND label = form_.Handle("l_prompt");
    const int width = std::max(
        {scale(kMinWidth), MinClientWidth(dpi), ControlTextWidth(label) + 2 * scale(kMargin)});
    const int inner = width - 2 * scale(kMargin);
    int top = scale(kMargin);
    const int labelHeight = LabelHeight(label, scale(kLabelHeight));
    MoveWindow(label, scale(kMargin), top, inner, labelHeight, TRUE);
    top += labelHeight;
    MoveWindow(form_.Handle("e_text"), scale(kMargin), top, inner, scale(kEditHeight), TRUE);
    top += scale(kEditHeight);
    SetClientSize(width, top + ok_.Height(dpi));
    RECT client;
    GetClientRect(dialog_, &client);
    ok_.Layout(client, dpi);
  }

  const std::string& prompt_;
  std::string& text_;
  Win32Form form_;
};

}  // namespace

std::optional<std::string> AskText(HWND owner, const std::string& caption,
                                   const std::string& prompt, const std::string& text) {
  std::string result = text;
  TextQuery dialog(prompt, result);
  if (!dialog.Run(owner, Utf8ToWide(caption))) return std::nullopt;
  return result;
}

}  // namespace tavion
