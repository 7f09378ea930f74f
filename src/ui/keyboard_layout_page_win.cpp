#include "ui/keyboard_layout_page_win.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/handles_win.h"
#include "base/open_file_win.h"
#include "base/utf_win.h"
#include "forms/form_win.h"
#include "forms/message_box_win.h"
#include "lang/lang.h"
#include "lang/lang_win.h"
#include "settings/registry.h"
#include "syskeys/scancode_map.h"
#include "syskeys/scancode_map_win.h"
#include "ui/actions_page_win.h"
#include "ui/key_remap_dialog_win.h"
#include "ui/keyboard_layout_page.h"
#include "ui/list_page_win.h"
#include "ui/main_pages_win.h"
#include "ui/ok_frame_win.h"
#include "ui/form_tables_win.h"

namespace tavion {
namespace {

// Sizes at 96 dots per inch.
enum : int { kMargin = 8, kGap = 6, kGroupGap = 14, kButtonHeight = 26, kLabelHeight = 16 };
enum : int { kActionColumn = 50, kMinKeyColumn = 90 };
// The row image: this one of the action images, where they go that far.
constexpr int kRowImage = 10;

constexpr char kList[] = "l_lay", kTotal[] = "l_lay_total";

// The buttons' column, top to bottom; a wider gap comes before the mode switch and Help. They
// follow the count line and the list in the form's table.
enum Button : size_t { kAdd, kEdit, kDelete, kMode, kSave, kHelp, kButtonCount };
constexpr size_t kFirstButton = 2;
struct ButtonDesign {
  const char* name;
  const char* english;
  int tag;  // the standard caption a translation gives it (0: its own)
};
constexpr ButtonDesign kButtons[kButtonCount] = {
    {"b_l_add", "Add", 1001},     {"b_l_edt", "Edit", 1002},       {"b_l_del", "Delete", 1003},
    {"b_l_mode", "Turn off!", 0}, {"b_l_save", "Save to file", 0}, {"b_l_hlp", "Help", 1004}};

constexpr wchar_t kProposedFile[] = L"TavionLay.reg";

void ShowError(const std::string& text) {
  ShowMessageBox(text, MessageDialogType::Error, MessageButtons::Ok);
}

// Whether `path` takes a file: an existing one opens for writing as it is, a new one is made
// and goes again with its handle.
bool CanWriteFile(const std::wstring& path) {
  constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  const bool exists = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  const UniqueFileHandle file(CreateFileW(
      path.c_str(), GENERIC_WRITE, kShare, /*lpSecurityAttributes=*/nullptr,
      exists ? OPEN_EXISTING : CREATE_NEW,
      exists ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
      /*hTemplateFile=*/nullptr));
  return static_cast<bool>(file);
}

class KeyboardLayoutPage final : public Page {
 public:
  explicit KeyboardLayoutPage(std::unique_ptr<RegistryStore> machine)
      : machine_(std::move(machine)) {}
  ~KeyboardLayoutPage() override {
    if (images_) ImageList_Destroy(images_);
  }

  bool Create(HWND parent, const PageServices& services) override;
  HWND Handle() const override { return hwnd_; }
  std::wstring Title() const override {
    return GetLangStrW("PageKeyboardLayout", "Keyboard layout");
  }
  void Shown() override { Load(); }
  void Layout(int dpi) override;
  void ApplyLanguage() override {
    form_.ApplyLanguage();
    SetColumnCaptions();
    Refill(Selected());
    Layout(WindowDpi(hwnd_));
  }
  bool CommandEnabled(ListCommand command, HWND focus) const override;
  void RunCommand(ListCommand command, HWND focus) override;
  std::vector<ListMenuEntry> ContextMenu(HWND focus) const override;
  // The page window's messages (ListPageProcedure).
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  HWND List() const { return form_.Handle(kList); }
  HWND ButtonHandle(Button button) const { return form_.Handle(kFirstButton + button); }
  // A button's command; the list's commands only while they are enabled.
  void Press(Button button);
  int Selected() const { return SelectedListRow(List()); }
  RemapButtons Buttons() const { return RemapButtonsFor(state_, Selected() >= 0); }
  // Reads the registry afresh: the active map, or the switched-off one.
  void Load();
  // Shows the rows and selects row `select` (none for -1).
  void Refill(int select);
  void UpdateButtons();
  // The list's column captions: the main window's own texts, not the list's.
  void SetColumnCaptions();
  void MakeImages(int dpi);
  // Stores `rows` as the active map; they become the page's, with `select` selected. False when
  // the registry refused (told, and the page shows what is stored).
  bool Store(std::vector<KeyReplacement> rows, int select);
  void Refused(MapWrite result);
  void AddOrEdit(bool editing);
  void Delete();
  void SwitchMode();
  void SaveToFile();

  std::unique_ptr<RegistryStore> machine_;
  HWND hwnd_ = nullptr;
  PageServices services_;
  Win32Form form_;
  HIMAGELIST images_ = nullptr;
  int imagesDpi_ = 0;
  RemapState state_;
};

bool KeyboardLayoutPage::Create(HWND parent, const PageServices& services) {
  services_ = services;
  if (!machine_) machine_ = OpenKeyboardLayoutStore();
  hwnd_ = CreatePageWindow(parent, services.instance, &ListPageProcedure<KeyboardLayoutPage>, this);
  if (!hwnd_) return false;
  form_.SetLanguage({"Fr1"});
  if (!form_.Create(hwnd_, KeyboardLayoutPageControls())) return false;
  SetWindowLongPtrW(List(), GWL_STYLE,
                    GetWindowLongPtrW(List(), GWL_STYLE) | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                        LVS_SHAREIMAGELISTS);
  SendMessageW(List(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  SetColumnCaptions();
  MakeImages(WindowDpi(hwnd_));
  UpdateButtons();
  return true;
}

void KeyboardLayoutPage::SetColumnCaptions() {
  const std::wstring captions[] = {GetLangStrW("l1", "Key to replace", kRemapSection),
                                   GetLangStrW("ColAction", "Action", "TabShellKeys"),
                                   GetLangStrW("l2", "Key to replace to", kRemapSection)};
  for (int i = 0; i < 3; ++i) {
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT;
    column.pszText = const_cast<wchar_t*>(captions[i].c_str());
    SendMessageW(List(), LVM_SETCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
}

void KeyboardLayoutPage::MakeImages(int dpi) {
  if (dpi == imagesDpi_) return;
  HIMAGELIST images = CreateActionImages(services_.resourceFolder, dpi, services_.plugins);
  if (images && ImageList_GetImageCount(images) <= kRowImage) {
    ImageList_Destroy(images);
    images = nullptr;
  }
  SendMessageW(List(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
  if (images_) ImageList_Destroy(images_);
  images_ = images;
  imagesDpi_ = dpi;
}

std::optional<LRESULT> KeyboardLayoutPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const std::optional<size_t> index = form_.IndexOfId(LOWORD(wParam));
      if (HIWORD(wParam) != BN_CLICKED || !index || *index < kFirstButton) return std::nullopt;
      Press(static_cast<Button>(*index - kFirstButton));
      return 0;
    }
    case WM_NOTIFY:
    case WM_CONTEXTMENU:
      return OnListMessage(*this, List(), message, wParam, lParam, [this] { UpdateButtons(); });
  }
  return std::nullopt;
}

void KeyboardLayoutPage::Press(Button button) {
  switch (button) {
    case kAdd:
      RunCommand(ListCommand::kAdd, List());
      break;
    case kEdit:
      RunCommand(ListCommand::kEdit, List());
      break;
    case kDelete:
      RunCommand(ListCommand::kDelete, List());
      break;
    case kMode:
      SwitchMode();
      break;
    case kSave:
      SaveToFile();
      break;
    case kHelp:
      if (services_.showHelp) services_.showHelp("layout.htm");
      break;
    case kButtonCount:
      break;
  }
}

void KeyboardLayoutPage::Layout(int dpi) {
  MakeImages(dpi);
  const auto scale = [dpi](int v) { return MulDiv(v, dpi, 96); };
  RECT client;
  GetClientRect(hwnd_, &client);
  // The controls take the font of the new DPI; their places follow below.
  if (dpi != form_.Dpi()) form_.Layout(client.right, dpi);
  const int margin = scale(kMargin);
  // The column is as wide as its widest caption, the switch's other one included.
  HWND mode = ButtonHandle(kMode);
  int width = ButtonWidth(mode, dpi) +
              TextWidth(ControlFont(mode), Utf8ToWide(RemapModeCaption(!state_.on))) -
              TextWidth(ControlFont(mode), Utf8ToWide(RemapModeCaption(state_.on)));
  for (const ButtonDesign& design : kButtons)
    width = std::max(width, ButtonWidth(form_.Handle(design.name), dpi));
  const int left = std::max(margin, static_cast<int>(client.right) - margin - width);
  int top = margin;
  for (size_t button = 0; button < kButtonCount; ++button) {
    if (button == kMode || button == kHelp) top += scale(kGroupGap - kGap);
    MoveWindow(ButtonHandle(static_cast<Button>(button)), left, top, width, scale(kButtonHeight),
               TRUE);
    top += scale(kButtonHeight + kGap);
  }
  const int listWidth = std::max(0, left - scale(kGap) - margin);
  MoveWindow(form_.Handle(kTotal), margin, margin, listWidth, scale(kLabelHeight), TRUE);
  const int listTop = margin + scale(kLabelHeight + kGap);
  MoveWindow(List(), margin, listTop, listWidth,
             std::max(0, static_cast<int>(client.bottom) - margin - listTop), TRUE);
  // The two key columns share what the arrow column and the scroll bar leave.
  RECT list;
  GetClientRect(List(), &list);
  const int action = scale(kActionColumn);
  const int keys =
      std::max(scale(kMinKeyColumn),
               (static_cast<int>(list.right) - action - GetSystemMetrics(SM_CXVSCROLL)) / 2);
  for (const int column : {0, 2})
    SendMessageW(List(), LVM_SETCOLUMNWIDTH, column, MAKELPARAM(keys, 0));
  SendMessageW(List(), LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(action, 0));
}

void KeyboardLayoutPage::Load() {
  state_ = ReadRemapState(*machine_);
  Refill(state_.rows.empty() ? -1 : 0);
}

void KeyboardLayoutPage::Refill(int select) {
  const bool images = images_ != nullptr;
  SendMessageW(List(), WM_SETREDRAW, FALSE, 0);
  SendMessageW(List(), LVM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < state_.rows.size(); ++i) {
    const RemapRowTexts texts = RemapRowTextsOf(state_.rows[i]);
    const std::string columns[] = {texts.from, texts.action, texts.to};
    InsertListRow(List(), static_cast<int>(i), columns, images ? kRowImage : -1);
  }
  SendMessageW(List(), WM_SETREDRAW, TRUE, 0);
  SetWindowTextW(form_.Handle(kTotal),
                 Utf8ToWide(KeyNamesCountText(static_cast<int>(state_.rows.size()))).c_str());
  SelectListRow(List(), select);
  UpdateButtons();
}

void KeyboardLayoutPage::UpdateButtons() {
  const RemapButtons buttons = Buttons();
  const bool enabled[kButtonCount] = {buttons.add,    buttons.edit,
                                      buttons.remove, buttons.mode,
                                      buttons.save,   static_cast<bool>(services_.showHelp)};
  for (size_t button = 0; button < kButtonCount; ++button)
    form_.SetEnabled(kFirstButton + button, enabled[button]);
  form_.SetCaption(kFirstButton + kMode, RemapModeCaption(state_.on));
  // A hidden list that had the focus hands it to the switch, the one control left to act.
  if (!buttons.listShown && GetFocus() == List()) SetFocus(ButtonHandle(kMode));
  ShowWindow(List(), buttons.listShown ? SW_SHOWNA : SW_HIDE);
}

bool KeyboardLayoutPage::Store(std::vector<KeyReplacement> rows, int select) {
  const MapWrite result = WriteScancodeMap(*machine_, kScancodeMapValue, rows);
  if (result != MapWrite::kDone) {
    Refused(result);
    return false;
  }
  state_.rows = std::move(rows);
  state_.stored = machine_->ValueExists("", kScancodeMapValue) ||
                  machine_->ValueExists("", kScancodeMapOffValue);
  Refill(select);
  return true;
}

void KeyboardLayoutPage::Refused(MapWrite result) {
  ShowError(result == MapWrite::kTooMany ? RemapFullText() : RemapRefusedText());
  Load();
}

void KeyboardLayoutPage::AddOrEdit(bool editing) {
  int row = Selected();
  if (editing && (row < 0 || static_cast<size_t>(row) >= state_.rows.size())) return;
  KeyRemapDialogData data;
  data.editing = editing;
  if (editing) data.row = state_.rows[static_cast<size_t>(row)];
  if (services_.upOnlyKeys) data.upOnlyKeys = services_.upOnlyKeys();
  for (;;) {
    if (!data.editing && state_.rows.size() >= kMaxKeyReplacements) {
      ShowError(RemapFullText());
      return;
    }
    if (!ShowKeyRemapDialog(services_.window, services_.captureHooks, data)) return;
    std::vector<KeyReplacement> rows = state_.rows;
    if (data.editing) {
      rows[static_cast<size_t>(row)] = data.row;
    } else {
      rows.push_back(data.row);
      row = static_cast<int>(rows.size()) - 1;
    }
    if (!Store(std::move(rows), row) || !data.addAnother) return;
    data.editing = false;
    data.row = {};
  }
}

void KeyboardLayoutPage::Delete() {
  const int row = Selected();
  if (!Buttons().remove || row < 0 || static_cast<size_t>(row) >= state_.rows.size()) return;
  const std::string question =
      FormatLangText(GetLangStr("QuestDeleteAction", "Are you sure you want to delete '%s?'"),
                     {RemapRowTextsOf(state_.rows[static_cast<size_t>(row)]).from});
  if (ShowMessageBox(question, MessageDialogType::Confirmation, MessageButtons::YesNo) != IDYES)
    return;
  std::vector<KeyReplacement> rows = state_.rows;
  rows.erase(rows.begin() + row);
  const int count = static_cast<int>(rows.size());
  Store(std::move(rows), RowAfterDeletion(row, count));
}

void KeyboardLayoutPage::SwitchMode() {
  const bool on = !state_.on;
  const MapWrite result = SetRemapMode(*machine_, on, state_.rows);
  if (result != MapWrite::kDone) {
    Refused(result);
    return;
  }
  state_.on = on;
  state_.stored = !state_.rows.empty();
  UpdateButtons();
  ShowMessageBox(RemapRebootText(), MessageDialogType::Information, MessageButtons::Ok);
}

void KeyboardLayoutPage::SaveToFile() {
  wchar_t file[MAX_PATH] = {};
  wcscpy(file, kProposedFile);
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = services_.window;
  const std::wstring filter = RegistryFileFilter();
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrDefExt = L"reg";
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_OVERWRITEPROMPT;
  if (!GetSaveFileNameW(&dialog)) return;
  const std::string cannotWrite =
      GetLangStr("ErrorFileWrite", "Cant't write to file, perhaps disk is write protected.");
  if (!CanWriteFile(file)) {
    ShowError(cannotWrite);
    return;
  }
  // A key that cannot be opened has been told by the export itself.
  if (!ExportKeyboardLayout(file) && machine_->KeyExists("")) ShowError(cannotWrite);
}

bool KeyboardLayoutPage::CommandEnabled(ListCommand command, HWND focus) const {
  if (focus != List()) return false;
  const RemapButtons buttons = Buttons();
  switch (command) {
    case ListCommand::kAdd:
      return buttons.add;
    case ListCommand::kEdit:
      return buttons.edit;
    case ListCommand::kDelete:
      return buttons.remove;
    default:
      return false;
  }
}

void KeyboardLayoutPage::RunCommand(ListCommand command, HWND focus) {
  if (!CommandEnabled(command, focus)) return;
  if (command == ListCommand::kAdd) AddOrEdit(/*editing=*/false);
  if (command == ListCommand::kEdit) AddOrEdit(/*editing=*/true);
  if (command == ListCommand::kDelete) Delete();
}

std::vector<ListMenuEntry> KeyboardLayoutPage::ContextMenu(HWND focus) const {
  const auto entry = [&](ListCommand command, const char* key, const char* text,
                         const wchar_t* shortcut) {
    const std::wstring caption = GetLangStrW(key, text) + L"\t" + shortcut;
    return ListMenuEntry{command, caption, CommandEnabled(command, focus), false};
  };
  return {entry(ListCommand::kAdd, "ButtonAdd", "Add", L"Ins"),
          entry(ListCommand::kEdit, "ButtonEdt", "Edit", L"F2"),
          entry(ListCommand::kDelete, "ButtonDel", "Delete", L"Del")};
}

}  // namespace

std::unique_ptr<Page> CreateKeyboardLayoutPage(std::unique_ptr<RegistryStore> machine) {
  return std::make_unique<KeyboardLayoutPage>(std::move(machine));
}

std::vector<ControlDecl> KeyboardLayoutPageControls() {
  std::vector<ControlDecl> table = {PlacedControl(kTotal, ControlKind::kLabel),
                                    PlacedControl(kList, ControlKind::kListView)};
  for (const ButtonDesign& design : kButtons) {
    table.push_back(PlacedControl(design.name, ControlKind::kButton, design.english));
    table.back().tag = design.tag;
  }
  table[1].columns = {
      {"Key to replace", 150}, {"Action", kActionColumn}, {"Key to replace to", 150}};
  table[kFirstButton + kSave].hint = "Save to file";
  return table;
}

}  // namespace tavion
