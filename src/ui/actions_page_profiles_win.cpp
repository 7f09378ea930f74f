// The page's profile bar: the selector that switches the current profile, and "Add", "Edit"
// (rename), "Delete" and "Help".
#include <algorithm>

#include "actions/actions_registry.h"
#include "actions/profiles.h"
#include "base/utf_win.h"
#include "forms/message_box_win.h"
#include "lang/lang.h"
#include "settings/settings.h"
#include "ui/actions_page_win.h"
#include "ui/ok_frame_win.h"
#include "ui/text_query_win.h"

namespace tavion {
namespace {

// Sizes at 96 dots per inch.
constexpr int kSelectorWidth = 200;
constexpr int kSelectorMinWidth = 120;  // narrower, and the buttons go to a row of their own
constexpr int kGap = 6;

constexpr const char* kProfileButtons[] = {"b_pf_add", "b_pf_edit", "b_pf_del", "b_pf_help"};

ControlDecl BarControl(const char* name, ControlKind kind, const char* caption) {
  ControlDecl control;
  control.name = name;
  control.kind = kind;
  control.caption = caption;
  return control;
}

void TellError(const std::string& text) {
  ShowMessageBox(text, MessageDialogType::Error, MessageButtons::Ok);
}

}  // namespace

std::vector<ControlDecl> ProfileBarControls() {
  return {BarControl("l_profile", ControlKind::kLabel, "Profile"),
          BarControl("cb_profile2", ControlKind::kComboBox, ""),
          BarControl("b_pf_add", ControlKind::kButton, "Add"),
          BarControl("b_pf_edit", ControlKind::kButton, "Edit"),
          BarControl("b_pf_del", ControlKind::kButton, "Delete"),
          BarControl("b_pf_help", ControlKind::kButton, "Help")};
}

int ActionsPage::LayoutProfileBar(int left, int top, int width) {
  const auto scale = [this](int v) { return MulDiv(v, dpi_, 96); };
  HWND label = form_.Handle("l_profile");
  HWND selector = form_.Handle("cb_profile2");
  // The row is as high as the closed selector, which its font decides.
  RECT selectorRect{};
  GetWindowRect(selector, &selectorRect);
  const int rowHeight = selectorRect.bottom - selectorRect.top;
  std::vector<int> buttonWidths;
  int buttonsWidth = 0;
  for (const char* name : kProfileButtons) {
    buttonWidths.push_back(ButtonWidth(form_.Handle(name), dpi_));
    buttonsWidth += scale(kGap) + buttonWidths.back();
  }

  std::wstring caption(static_cast<size_t>(GetWindowTextLengthW(label)), L'\0');
  GetWindowTextW(label, caption.data(), static_cast<int>(caption.size()) + 1);
  const int labelWidth = TextWidth(font_, caption);
  SetWindowLongPtrW(label, GWL_STYLE, GetWindowLongPtrW(label, GWL_STYLE) | SS_CENTERIMAGE);
  MoveWindow(label, left, top, labelWidth, rowHeight, TRUE);
  const int selectorLeft = left + labelWidth + scale(kGap);
  // The selector gives up width before the buttons leave its row.
  const int room = left + width - selectorLeft - buttonsWidth;
  const bool beside = room >= scale(kSelectorMinWidth);
  const int selectorWidth = std::clamp(room, scale(kSelectorMinWidth), scale(kSelectorWidth));
  MoveWindow(selector, selectorLeft, top, selectorWidth, scale(200), TRUE);

  int x = beside ? selectorLeft + selectorWidth : left - scale(kGap);
  const int y = beside ? top : top + rowHeight + scale(kGap);
  for (size_t i = 0; i < std::size(kProfileButtons); ++i) {
    x += scale(kGap);
    MoveWindow(form_.Handle(kProfileButtons[i]), x, y, buttonWidths[i], rowHeight, TRUE);
    x += buttonWidths[i];
  }
  return y - top + rowHeight;
}

void ActionsPage::FillProfiles() {
  HWND selector = form_.Handle("cb_profile2");
  const std::string& current = Settings().ProfileNm;
  profiles_ = services_.user ? ProfileChoices(*services_.user, kKeysRegistryPath, current)
                             : ProfileChoices({}, current);
  fillingProfiles_ = true;
  SendMessageW(selector, CB_RESETCONTENT, 0, 0);
  int selected = 0;
  for (size_t i = 0; i < profiles_.size(); ++i) {
    SendMessageW(selector, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(Utf8ToWide(profiles_[i]).c_str()));
    if (profiles_[i] == current) selected = static_cast<int>(i);
  }
  SendMessageW(selector, CB_SETCURSEL, selected, 0);
  fillingProfiles_ = false;
  UpdateProfileButtons();
}

void ActionsPage::UpdateProfileButtons() {
  const auto selected =
      static_cast<size_t>(SendMessageW(form_.Handle("cb_profile2"), CB_GETCURSEL, 0, 0));
  const bool editable = selected < profiles_.size() && ProfileEditable(profiles_[selected]);
  for (const auto& [name, enabled] :
       {std::pair{"b_pf_edit", editable}, std::pair{"b_pf_del", editable},
        std::pair{"b_pf_help", static_cast<bool>(services_.showHelp)}}) {
    // The keyboard stays on the bar when the button it is on goes grey.
    if (!enabled && GetFocus() == form_.Handle(name)) SetFocus(form_.Handle("cb_profile2"));
    form_.SetEnabled(*form_.Find(name), enabled);
  }
}

void ActionsPage::OnProfileBarCommand(const std::string& control, WORD notification) {
  if (control == "cb_profile2") {
    HWND selector = form_.Handle(control);
    // Walking the open list is no choice yet; the choice comes with its closing.
    if (notification == CBN_SELENDOK ||
        (notification == CBN_SELCHANGE && !SendMessageW(selector, CB_GETDROPPEDSTATE, 0, 0)))
      OnProfileChosen();
    return;
  }
  if (notification != BN_CLICKED) return;
  if (control == "b_pf_add") AddProfile();
  if (control == "b_pf_edit") RenameProfile();
  if (control == "b_pf_del") DeleteProfile();
  if (control == "b_pf_help" && services_.showHelp) services_.showHelp("ex_profile.htm");
}

void ActionsPage::OnProfileChosen() {
  // Only a user's choice switches: none comes before the window was shown.
  if (fillingProfiles_ || !IsWindowVisible(page_)) return;
  const auto selected =
      static_cast<size_t>(SendMessageW(form_.Handle("cb_profile2"), CB_GETCURSEL, 0, 0));
  if (selected >= profiles_.size()) return;
  const std::string name = profiles_[selected];
  if (name != Settings().ProfileNm && services_.switchProfile)
    services_.switchProfile(name, /*saveCurrent=*/true);
  // After a switch that failed, the selector shows the profile that stayed current.
  FillProfiles();
}

std::optional<std::string> ActionsPage::AskProfileName(bool renaming) {
  if (!services_.user) return std::nullopt;
  return ChooseProfileName(
      *services_.user, kKeysRegistryPath, Settings().ProfileNm, renaming,
      [this](const std::string& text) {
        return AskText(services_.window, GetLangStr("ProfileRename", "Rename profile"),
                       GetLangStr("ProfileInputName", "Input new profile name"), text);
      },
      TellError);
}

void ActionsPage::AddProfile() {
  if (!services_.saveProfileAs || !services_.switchProfile) return;
  const std::optional<std::string> name = AskProfileName(/*renaming=*/false);
  // The new profile starts as a copy of the current one, which stays as it was saved.
  if (name && services_.saveProfileAs(*name)) services_.switchProfile(*name, /*saveCurrent=*/false);
  FillProfiles();
}

void ActionsPage::RenameProfile() {
  const std::string old = Settings().ProfileNm;
  if (!ProfileEditable(old) || !services_.saveProfileAs || !services_.switchProfile) return;
  const std::optional<std::string> name = AskProfileName(/*renaming=*/true);
  // The old key goes only once the actions are safe under the new name.
  if (name && services_.saveProfileAs(*name)) {
    if (!RemoveRenamedProfile(*services_.user, kKeysRegistryPath, old, *name))
      TellError(DeleteProfileErrorText(old));
    services_.switchProfile(*name, /*saveCurrent=*/false);
  }
  FillProfiles();
}

void ActionsPage::DeleteProfile() {
  const std::string name = Settings().ProfileNm;
  if (!ProfileEditable(name) || !services_.user || !services_.switchProfile) return;
  const std::string question = FormatLangText(
      GetLangStr("QuestDeleteAction", "Are you sure you want to delete '%s?'"), {name});
  if (ShowMessageBox(question, MessageDialogType::Confirmation, MessageButtons::YesNo) != IDYES)
    return;
  // Leaving the profile first lets a save of it that is on its way land before the key goes, so
  // that nothing brings it back.
  services_.switchProfile(std::string(kDefaultProfile), /*saveCurrent=*/false);
  if (!tavion::DeleteProfile(*services_.user, kKeysRegistryPath, name))
    TellError(DeleteProfileErrorText(name));
  FillProfiles();
}

}  // namespace tavion
