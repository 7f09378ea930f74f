// The tabs of the codes that act on windows: "ms_wmsg", "wm_alfa" and "wm_scroll".
#include <algorithm>

#include "actions/params.h"
#include "base/utf_win.h"
#include "lang/lang.h"
#include "ui/main_options.h"
#include "ui/param_tab_form_win.h"

namespace tavion {
namespace {

constexpr char kAnyWindow[] = "nil";

class MessageTab final : public FormParamTab {
 public:
  std::string_view Code() const override { return "ms_wmsg"; }

  void Load(const Persistent* params) override {
    const TActionParamsSMsg* send = &ParamsOrDefaults<TActionParamsSMsg>(params);
    MessageFields fields;
    fields.mode = std::clamp<int32_t>(send->Mode, 0, 4);
    if (const auto window = send->GetWindow(0)) {
      fields.windowClass = window->windowClass == kAnyWindow ? "" : window->windowClass;
      fields.caption = window->caption == kAnyWindow ? "" : window->caption;
    }
    fields.message = MessageNumberText(send->SMsg);
    fields.wParam = MessageNumberText(send->Wprm);
    fields.lParam = MessageNumberText(send->Lprm);
    Show(fields);
    Form().SetChecked(At("cb_hook"), false);
  }

  std::optional<ParamCheckFailure> Check() const override {
    return Failure(CheckMessageFields(Fields()));
  }

  void Store(Persistent& params) const override {
    auto* send = dynamic_cast<TActionParamsSMsg*>(&params);
    if (!send) return;
    const MessageFields fields = Fields();
    send->Mode = fields.mode;
    send->AddWindow(fields.windowClass, fields.caption);
    send->SMsg = static_cast<int32_t>(ParseMessageNumber(fields.message).value_or(0));
    send->Wprm = static_cast<int32_t>(ParseMessageNumber(fields.wParam).value_or(0));
    send->Lprm = static_cast<int32_t>(ParseMessageNumber(fields.lParam).value_or(0));
  }

  bool OnMenuCapture(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (!Form().Checked(At("cb_hook"))) return false;
    MessageFields fields = Fields();
    if (!TakeMenuCapture(message, wParam, static_cast<uint64_t>(lParam), fields)) return false;
    Show(fields);
    return true;
  }

 private:
  std::vector<ControlDecl> Controls() const override {
    ControlDecl type =
        TabChoice(ControlKind::kComboBox, "cb_wtype", "Type of window",
                  {"Custom", "Active window", "Focus window", "Window under mouse cursor (child)",
                   "Window under mouse cursor (parent)"});
    type.itemIndex = 0;
    return {type,
            TabControl(ControlKind::kGroup, "g_custom", "Custom window"),
            In("g_custom", TabControl(ControlKind::kLabel, "l_class", "Class:")),
            In("g_custom", TabControl(ControlKind::kLabel, "l_caption", "Caption:")),
            In("g_custom", TabControl(ControlKind::kButton, "b_browse", "Browse...")),
            TabControl(ControlKind::kEdit, "e_msg", "Message"),
            TabControl(ControlKind::kEdit, "e_wparam", "wParam"),
            TabControl(ControlKind::kEdit, "e_lparam", "lParam"),
            TabControl(ControlKind::kCheckBox, "cb_hook", "Hook menu press")};
  }

  void OnControl(size_t index, WORD code) override {
    const std::string& name = Form().Name(index);
    if (name == "cb_wtype" && code == CBN_SELCHANGE) Enable();
    if (name == "b_browse" && code == BN_CLICKED && Context().pickWindow) {
      MessageFields fields = Fields();
      if (Context().pickWindow(fields.windowClass, fields.caption)) Show(fields);
    }
  }

  MessageFields Fields() const {
    MessageFields fields;
    fields.mode = std::max(0, Form().ItemIndex(At("cb_wtype")));
    fields.windowClass = windowClass_;
    fields.caption = caption_;
    fields.message = Form().Text(At("e_msg"));
    fields.wParam = Form().Text(At("e_wparam"));
    fields.lParam = Form().Text(At("e_lparam"));
    return fields;
  }

  void Show(const MessageFields& fields) {
    Form().SetItemIndex(At("cb_wtype"), fields.mode);
    windowClass_ = fields.windowClass;
    caption_ = fields.caption;
    // The labels keep their translated lead and show the window after it.
    Form().SetCaption(At("l_class"), LangCaption("l_class", "Class:", "Fr2") + " " + windowClass_);
    Form().SetCaption(At("l_caption"),
                      LangCaption("l_caption", "Caption:", "Fr2") + " " + caption_);
    Form().SetText(At("e_msg"), fields.message);
    Form().SetText(At("e_wparam"), fields.wParam);
    Form().SetText(At("e_lparam"), fields.lParam);
    Enable();
  }

  // The window of its own is asked for only with "Custom".
  void Enable() {
    const bool custom = Form().ItemIndex(At("cb_wtype")) <= 0;
    for (const char* name : {"g_custom", "l_class", "l_caption"})
      Form().SetEnabled(At(name), custom);
    Form().SetEnabled(At("b_browse"), custom && Context().pickWindow);
  }

  std::string windowClass_;
  std::string caption_;
};

class TransparencyTab final : public FormParamTab {
 public:
  std::string_view Code() const override { return "wm_alfa"; }

  void Load(const Persistent* params) override {
    const TActionParamsAlfa* alpha = &ParamsOrDefaults<TActionParamsAlfa>(params);
    if (Context().blendMin) Form().SetItemIndex(At("tb_min"), *Context().blendMin);
    if (Context().blendMax) Form().SetItemIndex(At("tb_max"), *Context().blendMax);
    Form().SetItemIndex(At("rg_alfa"), std::min<int>(alpha->Mode, 2));
    Form().SetItemIndex(At("tb_value"), alpha->Value);
    Enable();
  }

  std::optional<ParamCheckFailure> Check() const override { return std::nullopt; }

  void Store(Persistent& params) const override {
    if (auto* alpha = dynamic_cast<TActionParamsAlfa*>(&params)) {
      alpha->Mode = static_cast<uint8_t>(std::max(0, Form().ItemIndex(At("rg_alfa"))));
      alpha->Value = static_cast<int16_t>(Form().ItemIndex(At("tb_value")));
    }
    if (Context().blendMin)
      *Context().blendMin = static_cast<int16_t>(Form().ItemIndex(At("tb_min")));
    if (Context().blendMax)
      *Context().blendMax = static_cast<int16_t>(Form().ItemIndex(At("tb_max")));
  }

 private:
  std::vector<ControlDecl> Controls() const override {
    ControlDecl mode = TabChoice(ControlKind::kRadioGroup, "rg_alfa", "Options for this actions",
                                 {"Increase window transparency", "Decrease window transparency",
                                  "Set window transparency"});
    mode.itemIndex = 0;
    return {TabControl(ControlKind::kGroup, "g_common", "Common options for all actions"),
            In("g_common", TabSlider("tb_min", "Minimal transparency value:", 0, 255)),
            In("g_common", TabSlider("tb_max", "Maximal transparency value:", 0, 255)), mode,
            TabSlider("tb_value", "", 0, 255)};
  }

  void OnControl(size_t index, WORD code) override {
    if (Form().Name(index) == "rg_alfa" && code == BN_CLICKED) Enable();
  }

  // The value is for "Set window transparency" only.
  void Enable() { Form().SetEnabled(At("tb_value"), Form().ItemIndex(At("rg_alfa")) == 2); }
};

class ScrollTab final : public FormParamTab {
 public:
  std::string_view Code() const override { return "wm_scroll"; }

  void Load(const Persistent* params) override {
    const TActionParamsScroll* scroll = &ParamsOrDefaults<TActionParamsScroll>(params);
    Form().SetItemIndex(At("cb_mode"), scroll->Mode);
    // 1 is the focused window; every other value the window under the cursor.
    Form().SetItemIndex(At("cb_target"), scroll->hWndType == 1 ? 1 : 0);
    Form().SetItemIndex(At("tb_speed"), scroll->Speed);
    Form().SetChecked(At("cb_pages"), scroll->Pages);
    Enable();
  }

  std::optional<ParamCheckFailure> Check() const override { return std::nullopt; }

  void Store(Persistent& params) const override {
    auto* scroll = dynamic_cast<TActionParamsScroll*>(&params);
    if (!scroll) return;
    scroll->Mode = static_cast<uint8_t>(std::max(0, Form().ItemIndex(At("cb_mode"))));
    if (const int target = Form().ItemIndex(At("cb_target")); target >= 0)
      scroll->hWndType = static_cast<uint8_t>(target);
    scroll->Speed = static_cast<uint8_t>(Form().ItemIndex(At("tb_speed")));
    scroll->Pages = Form().Checked(At("cb_pages"));
  }

 private:
  std::vector<ControlDecl> Controls() const override {
    return {TabChoice(
                ControlKind::kComboBox, "cb_mode", "Action",
                {"Scroll up", "Scroll down", "Zoom in", "Scroll left", "Scroll right", "Zoom out"}),
            TabChoice(ControlKind::kComboBox, "cb_target", "Type of window",
                      {"Window under mouse cursor (child)", "Focus window"}),
            TabSlider("tb_speed", "Scroll speed", 1, 20),
            TabControl(ControlKind::kCheckBox, "cb_pages", "Scrooll pages (fast scroll)")};
  }

  void OnControl(size_t index, WORD code) override {
    const std::string& name = Form().Name(index);
    if ((name == "cb_mode" && code == CBN_SELCHANGE) || (name == "cb_pages" && code == BN_CLICKED))
      Enable();
  }

  void Enable() {
    const ScrollEnabling enabled =
        ScrollControlsEnabled(Form().ItemIndex(At("cb_mode")), Form().Checked(At("cb_pages")));
    Form().SetEnabled(At("tb_speed"), enabled.speed);
    Form().SetEnabled(At("cb_pages"), enabled.pages);
  }
};

}  // namespace

std::unique_ptr<ParamTab> CreateMessageTab() {
  return std::make_unique<MessageTab>();
}

std::unique_ptr<ParamTab> CreateTransparencyTab() {
  return std::make_unique<TransparencyTab>();
}

std::unique_ptr<ParamTab> CreateScrollTab() {
  return std::make_unique<ScrollTab>();
}

}  // namespace tavion
