// The page's commands: the toolbar, the context menu, the window keys and what they do.
#include <algorithm>

#include "actions/action.h"
#include "base/utf_win.h"
#include "forms/message_box_win.h"
#include "lang/lang.h"
#include "lang/lang_win.h"
#include "settings/settings.h"
#include "ui/actions_page_win.h"

namespace tavion {
namespace {

struct ToolButton {
  int id;
  const char* key;  // section Fr1
  const char* caption;
};

const ToolButton kToolButtons[] = {
    {ActionsPage::kIdAddFolder, "tb_addfolder", "Add folder"},
    {ActionsPage::kIdAdd, "tb_add", "Add"},
    {ActionsPage::kIdEdit, "tb_edit", "Edit"},
    {ActionsPage::kIdDelete, "tb_delete", "Delete"},
    {ActionsPage::kIdRun, "tb_run", "Run action"},
    {ActionsPage::kIdToggle, "tb_enable", "Enable/Disable action"},
    {ActionsPage::kIdDefault, "tb_default", "Default"},
    {ActionsPage::kIdExpand, "tb_expand", "Expand/Collapse all tree"},
    {ActionsPage::kIdViews, "tb_views", "Views"},
};

// The toolbar's images: the system's standard small images (IDB_STD_SMALL_COLOR, resource 120
// of the common controls), then the folder images, the launch and the window icons.
constexpr int kStandardImagesResource = 120;
constexpr int kStandardImageCount = 15;
enum : int { kClosedFolderImage = kStandardImageCount, kOpenFolderImage, kRunImage, kViewsImage };

int ToolImage(int id) {
  switch (id) {
    case ActionsPage::kIdAddFolder:
      return kClosedFolderImage;
    case ActionsPage::kIdAdd:
      return STD_FILENEW;
    case ActionsPage::kIdEdit:
      return STD_PROPERTIES;
    case ActionsPage::kIdDelete:
      return STD_DELETE;
    case ActionsPage::kIdRun:
      return kRunImage;
    case ActionsPage::kIdToggle:
      return STD_REPLACE;
    case ActionsPage::kIdDefault:
      return STD_UNDO;
    case ActionsPage::kIdExpand:
      return kOpenFolderImage;  // "open all"
    case ActionsPage::kIdViews:
      return kViewsImage;
  }
  return I_IMAGENONE;
}

std::wstring ToolCaption(int id) {
  for (const ToolButton& button : kToolButtons)
    if (button.id == id) return GetLangStrW(button.key, button.caption, "Fr1");
  return {};
}

}  // namespace

bool ActionsPage::CreateToolbar() {
  toolbar_ = CreateWindowExW(
      0, TOOLBARCLASSNAMEW, L"",
      WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_WRAPABLE | TBSTYLE_TOOLTIPS |
          CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_NORESIZE,
      0, 0, 10, 10, page_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdToolbar)),
      services_.instance, nullptr);
  if (!toolbar_) return false;
  SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(toolbar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS | TBSTYLE_EX_MIXEDBUTTONS);
  if (font_) SendMessageW(toolbar_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  // The standard images come at 16 pixels; they are copied at the size of the node images.
  HIMAGELIST standard = ImageList_LoadImageW(GetModuleHandleW(L"comctl32.dll"),
                                             MAKEINTRESOURCEW(kStandardImagesResource), 16, 4,
                                             CLR_DEFAULT, IMAGE_BITMAP, LR_CREATEDIBSECTION);
  int size = 16;
  if (images_) ImageList_GetIconSize(images_, &size, &size);
  toolImages_ = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, kStandardImageCount + 4, 0);
  if (standard && toolImages_ && ImageList_GetImageCount(standard) == kStandardImageCount) {
    for (int i = 0; i < kStandardImageCount; ++i) {
      UniqueIcon icon(ImageList_GetIcon(standard, i, ILD_NORMAL));
      ImageList_AddIcon(toolImages_, icon.get());
    }
    for (const int own : {0, 1, CodeImage("srun"), CodeImage("wm_wmax")}) {
      UniqueIcon icon(ImageList_GetIcon(images_, own, ILD_NORMAL));
      ImageList_AddIcon(toolImages_, icon.get());
    }
    SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolImages_));
  }
  if (standard) ImageList_Destroy(standard);
  std::vector<std::wstring> captions;
  for (const ToolButton& button : kToolButtons) captions.push_back(ToolCaption(button.id));
  std::vector<TBBUTTON> buttons;
  for (size_t i = 0; i < std::size(kToolButtons); ++i) {
    TBBUTTON b = {};
    b.iBitmap = ToolImage(kToolButtons[i].id);
    b.idCommand = kToolButtons[i].id;
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = BTNS_AUTOSIZE | BTNS_SHOWTEXT |
                (kToolButtons[i].id == kIdViews ? BTNS_WHOLEDROPDOWN : BTNS_BUTTON);
    b.iString = reinterpret_cast<INT_PTR>(captions[i].c_str());
    buttons.push_back(b);
  }
  return SendMessageW(toolbar_, TB_ADDBUTTONSW, buttons.size(),
                      reinterpret_cast<LPARAM>(buttons.data())) != FALSE;
}

void ActionsPage::TranslateToolbar() {
  for (const ToolButton& button : kToolButtons) {
    std::wstring text = ToolCaption(button.id);
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT;
    info.pszText = text.data();
    SendMessageW(toolbar_, TB_SETBUTTONINFOW, button.id, reinterpret_cast<LPARAM>(&info));
  }
}

ActionCommands ActionsPage::Commands() const {
  if (!services_.tree) return {};
  return EnabledActionCommands(*services_.tree, Selected(),
                               static_cast<bool>(services_.editAction));
}

void ActionsPage::UpdateCommands() {
  const ActionCommands commands = Commands();
  for (const auto& [id, enabled] :
       {std::pair{kIdAddFolder, commands.add}, std::pair{kIdAdd, commands.add},
        std::pair{kIdEdit, commands.edit}, std::pair{kIdDelete, commands.remove},
        std::pair{kIdRun, commands.run}, std::pair{kIdToggle, commands.toggle},
        std::pair{kIdDefault, commands.defaults}, std::pair{kIdExpand, commands.expandAll}}) {
    SendMessageW(toolbar_, TB_ENABLEBUTTON, id, MAKELPARAM(enabled ? TRUE : FALSE, 0));
  }
  SendMessageW(toolbar_, TB_ENABLEBUTTON, kIdExpand, MAKELPARAM(view_ == 0, 0));
}

bool ActionsPage::CommandEnabled(ListCommand command, HWND focus) const {
  if (focus != tree_ && focus != details_) return false;
  const ActionCommands commands = Commands();
  switch (command) {
    case ListCommand::kAdd:
    case ListCommand::kAddFolder:
      return commands.add;
    case ListCommand::kEdit:
      return commands.edit;
    case ListCommand::kDelete:
      return commands.remove;
    case ListCommand::kRun:
      return commands.run;
    case ListCommand::kToggle:
      return commands.toggle;
    case ListCommand::kDefault:
      return commands.defaults;
    case ListCommand::kExpandAll:
      return true;
    case ListCommand::kRefresh:
      return false;
  }
  return false;
}

void ActionsPage::RunCommand(ListCommand command, HWND focus) {
  if (!CommandEnabled(command, focus)) return;
  switch (command) {
    case ListCommand::kAdd:
    case ListCommand::kAddFolder:
    case ListCommand::kEdit:
      EditCommand(command);
      break;
    case ListCommand::kDelete:
      DeleteSelected();
      break;
    case ListCommand::kRun:
      RunSelected();
      break;
    case ListCommand::kToggle:
      ToggleSelected();
      break;
    case ListCommand::kDefault:
      LoadDefaults();
      break;
    case ListCommand::kExpandAll:
      ToggleExpandAll();
      break;
    case ListCommand::kRefresh:
      break;
  }
}

std::vector<ListMenuEntry> ActionsPage::ContextMenu(HWND focus) const {
  if (focus != tree_ && focus != details_) return {};
  const ActionCommands commands = Commands();
  const auto entry = [](ListCommand command, int id, const wchar_t* key, bool enabled) {
    std::wstring text = ToolCaption(id);
    if (*key) text += std::wstring(L"\t") + key;
    return ListMenuEntry{command, text, enabled, false};
  };
  return {entry(ListCommand::kAdd, kIdAdd, L"Ins", commands.add),
          entry(ListCommand::kEdit, kIdEdit, L"F2", commands.edit),
          entry(ListCommand::kDelete, kIdDelete, L"Del", commands.remove),
          ListMenuEntry{ListCommand::kAdd, {}, true, true},
          entry(ListCommand::kRun, kIdRun, L"", commands.run),
          entry(ListCommand::kToggle, kIdToggle, L"F4", commands.toggle),
          // The toolbar is not a tab stop: from the keyboard these two are reached here.
          ListMenuEntry{ListCommand::kAdd, {}, true, true},
          entry(ListCommand::kDefault, kIdDefault, L"", commands.defaults),
          entry(ListCommand::kExpandAll, kIdExpand, L"", true)};
}

bool ActionsPage::NextView() {
  SetView(NextKeysView(view_));
  return true;
}

void ActionsPage::SetView(int view) {
  view_ = KeysViewOf(view);
  Settings().KeysView = view_;
  const bool hadFocus = GetFocus() == tree_ || GetFocus() == details_;
  if (view_ == 1) FillDetails();
  ShowWindow(tree_, view_ == 0 ? SW_SHOW : SW_HIDE);
  ShowWindow(details_, view_ == 1 ? SW_SHOW : SW_HIDE);
  if (hadFocus) SetFocus(view_ == 0 ? tree_ : details_);
  UpdateCommands();
}

void ActionsPage::ShowViewsMenu() {
  UniqueMenu menu(CreatePopupMenu());
  if (!menu) return;
  AppendMenuW(menu.get(), MF_STRING, kIdViewTree,
              GetLangStrW("tb_views.Item0", "Tree", "Fr1").c_str());
  AppendMenuW(menu.get(), MF_STRING, kIdViewDetails,
              GetLangStrW("tb_views.Item1", "Details", "Fr1").c_str());
  CheckMenuRadioItem(menu.get(), kIdViewTree, kIdViewDetails, kIdViewTree + view_, MF_BYCOMMAND);
  RECT r{};
  SendMessageW(toolbar_, TB_GETRECT, kIdViews, reinterpret_cast<LPARAM>(&r));
  MapWindowPoints(toolbar_, nullptr, reinterpret_cast<POINT*>(&r), 2);
  const UINT chosen = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN,
                                     r.left, r.bottom, 0, page_, nullptr);
  if (chosen == kIdViewTree || chosen == kIdViewDetails)
    SetView(static_cast<int>(chosen) - kIdViewTree);
}

void ActionsPage::OnToolbarCommand(int id) {
  const HWND focus = view_ == 0 ? tree_ : details_;
  switch (id) {
    case kIdAddFolder:
      return RunCommand(ListCommand::kAddFolder, focus);
    case kIdAdd:
      return RunCommand(ListCommand::kAdd, focus);
    case kIdEdit:
      return RunCommand(ListCommand::kEdit, focus);
    case kIdDelete:
      return RunCommand(ListCommand::kDelete, focus);
    case kIdRun:
      return RunCommand(ListCommand::kRun, focus);
    case kIdToggle:
      return RunCommand(ListCommand::kToggle, focus);
    case kIdDefault:
      return RunCommand(ListCommand::kDefault, focus);
    case kIdExpand:
      return ToggleExpandAll();
    case kIdViews:
      return ShowViewsMenu();
  }
}

void ActionsPage::RunSelected() {
  const auto selected = Selected();
  const TAction* action = selected ? services_.tree->ActionByIndex(*selected) : nullptr;
  if (!action || !services_.execute) return;
  services_.execute(action->Exec(), static_cast<int>(*selected), /*useThread=*/true);
}

void ActionsPage::DeleteSelected() {
  const auto selected = Selected();
  const ActionTree::Node* node = selected ? services_.tree->NodeAt(*selected) : nullptr;
  if (!node) return;
  const std::string question = FormatLangText(
      GetLangStr("QuestDeleteAction", "Are you sure you want to delete '%s?'"), {node->text});
  if (ShowMessageBox(question, MessageDialogType::Confirmation, MessageButtons::YesNo) != IDYES)
    return;
  services_.tree->DeleteNode(*selected, *services_.actions);
  services_.actions->Modified = true;
  if (services_.actionsChanged) services_.actionsChanged();
  // The node that took the deleted one's place, else the one before it. The views follow
  // before the save, which may stop at an error box.
  const std::size_t count = services_.tree->Count();
  AfterChange(count == 0 ? std::nullopt
                         : std::optional<std::size_t>(std::min(*selected, count - 1)));
  if (services_.saveActions) services_.saveActions();
}

void ActionsPage::ToggleSelected() {
  const auto selected = Selected();
  TAction* action = selected ? services_.tree->ActionByIndex(*selected) : nullptr;
  if (!action) return;
  action->ActionExecOn().Nevr = !action->ActionExecOn().Nevr;
  services_.actions->Modified = true;
  // The key handler works on a copy of the switches.
  if (services_.actionsChanged) services_.actionsChanged();
  if (HTREEITEM item = ItemOf(*selected)) {
    RECT r{};
    if (TreeView_GetItemRect(tree_, item, &r, FALSE)) InvalidateRect(tree_, &r, TRUE);
  }
  InvalidateRect(details_, nullptr, TRUE);
}

void ActionsPage::LoadDefaults() {
  if (ShowMessageBox(
          GetLangStr("QuestDefault", "Warning! All current settings will be deleted, continue?"),
          MessageDialogType::Confirmation, MessageButtons::YesNo) != IDYES)
    return;
  if (services_.loadDefaultActions) services_.loadDefaultActions();
  if (services_.actionsChanged) services_.actionsChanged();
  AfterChange(std::nullopt);
}

void ActionsPage::EditCommand(ListCommand command) {
  const auto selected = Selected();
  if (command == ListCommand::kEdit) {
    const TAction* action = selected ? services_.tree->ActionByIndex(*selected) : nullptr;
    if (!action) return;
    const auto refusal = EditRefusal(*action, [this](std::string_view file) {
      const std::wstring path = services_.pluginFolder + L"\\" + Utf8ToWide(file);
      return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    });
    if (refusal) {
      ShowMessageBox(*refusal, MessageDialogType::Error, MessageButtons::Ok);
      return;
    }
  }
  if (!services_.editAction) return;
  if (const auto changed = services_.editAction(command, selected)) {
    if (services_.actionsChanged) services_.actionsChanged();
    AfterChange(changed);
  }
}

void ActionsPage::AfterChange(std::optional<std::size_t> select) {
  FillTree();
  if (view_ == 1) FillDetails();
  if (select) Select(*select);
  UpdateTotals();
  UpdateCommands();
}

void ActionsPage::ToggleExpandAll() {
  allExpanded_ = !allExpanded_;
  ExpandAll(allExpanded_);
  // The button shows what it does next: an open folder to open all, a closed one to close all.
  TBBUTTONINFOW info = {};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_IMAGE;
  info.iImage = allExpanded_ ? kClosedFolderImage : kOpenFolderImage;
  SendMessageW(toolbar_, TB_SETBUTTONINFOW, kIdExpand, reinterpret_cast<LPARAM>(&info));
  HTREEITEM selected = TreeView_GetSelection(tree_);
  if (!selected) {
    selected = TreeView_GetRoot(tree_);
    if (selected) TreeView_SelectItem(tree_, selected);
  }
  if (selected) TreeView_EnsureVisible(tree_, selected);
}

}  // namespace tavion
