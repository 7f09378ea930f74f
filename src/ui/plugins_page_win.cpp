#include "ui/plugins_page_win.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/file_exists_win.h"
#include "base/handles_win.h"
#include "base/open_file_win.h"
#include "base/utf_win.h"
#include "forms/form_win.h"
#include "forms/message_box_win.h"
#include "lang/lang.h"
#include "lang/lang_win.h"
#include "plugins/plugin_host_win.h"
#include "ui/form_languages.h"
#include "ui/list_page_win.h"
#include "ui/main_pages_win.h"
#include "ui/ok_frame_win.h"
#include "ui/plugins_page.h"
#include "ui/form_tables_win.h"

extern "C" const char* WINAPI FormateErrorStr(DWORD code);

namespace tavion {
namespace {

// Sizes at 96 dots per inch: margin, gap, button height, the description box's height.
enum : int { kMargin = 8, kGap = 6, kButtonHeight = 26, kDescriptionHeight = 84 };

// The language section of the page's texts, the list and the description box.
constexpr char kSection[] = "TabPlugins", kList[] = "l_plg", kDescription[] = "m_plg_info";

// The toolbar's buttons, left to right; the context menu offers them, but Help, in that order too.
enum Button : size_t { kOptions, kDelete, kInfo, kActions, kAdd, kHelp, kButtonCount };
struct ButtonDesign {
  const char* name;
  const char* english;
  const wchar_t* shortcut;  // shown in the menu
};
constexpr ButtonDesign kButtons[kButtonCount] = {
    {"b_plg_opt", "Options", nullptr}, {"b_plg_del", "Delete", L"Del"},
    {"b_plg_info", "Info", nullptr},   {"b_plg_act", "Actions", nullptr},
    {"b_plg_add", "Add", nullptr},     {"b_help", "Help", nullptr}};
// The menu's ids: a button's is its number + 1 (0 is "nothing chosen"), then "Refresh".
constexpr UINT kMenuRefresh = kButtonCount + 1;

// "Window 1" of CallPlugin: the host passes the main window.
HWND MainWindowArgument() {
  return reinterpret_cast<HWND>(static_cast<intptr_t>(1));
}

std::string SystemErrorText(DWORD code) {
  const char* text = FormateErrorStr(code);
  std::string reason = text ? WideToUtf8(AnsiToWide(text)) : std::string();
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
  return reason.empty() ? "error " + std::to_string(code) : reason;
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
  wchar_t fullA[MAX_PATH] = {}, fullB[MAX_PATH] = {};
  if (!GetFullPathNameW(a.c_str(), MAX_PATH, fullA, nullptr) ||
      !GetFullPathNameW(b.c_str(), MAX_PATH, fullB, nullptr))
    return false;
  return lstrcmpiW(fullA, fullB) == 0;
}

// The message box shows `icon` in place of the information sign: once the box has set up its
// own, a hook of this thread sees its WM_INITDIALOG return.
thread_local HICON boxIcon = nullptr;

BOOL CALLBACK SetIconOfStatic(HWND child, LPARAM icon) {
  wchar_t className[16] = {};
  GetClassNameW(child, className, static_cast<int>(std::size(className)));
  if (lstrcmpiW(className, L"Static") != 0 ||
      (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
    return TRUE;
  SendMessageW(child, STM_SETICON, static_cast<WPARAM>(icon), 0);
  return FALSE;
}

LRESULT CALLBACK BoxIconHook(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  wchar_t className[16] = {};
  if (code == HC_ACTION && boxIcon && call->message == WM_INITDIALOG &&
      GetClassNameW(call->hwnd, className, 16) && lstrcmpW(className, L"#32770") == 0) {
    EnumChildWindows(call->hwnd, &SetIconOfStatic, reinterpret_cast<LPARAM>(boxIcon));
    boxIcon = nullptr;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void ShowInformationWithIcon(const std::string& text, HICON icon) {
  boxIcon = icon;
  // Without the hook the box still shows, with the information sign.
  const UniqueHook hook(
      icon ? SetWindowsHookExW(WH_CALLWNDPROCRET, &BoxIconHook, nullptr, GetCurrentThreadId())
           : nullptr);
  ShowMessageBox(text, MessageDialogType::Information, MessageButtons::Ok);
  boxIcon = nullptr;
}

class PluginsPage final : public Page {
 public:
  ~PluginsPage() override {
    if (images_) ImageList_Destroy(images_);
  }

  bool Create(HWND parent, const PageServices& services) override;
  HWND Handle() const override { return hwnd_; }
  std::wstring Title() const override { return GetLangStrW("PagePlugins", "Plugins"); }
  // The host may have loaded or reloaded since: the list shows what it holds now.
  void Shown() override { Fill(SelectedFile()); }
  void ApplyLanguage() override {
    form_.ApplyLanguage();
    Layout(dpi_);
  }
  void Layout(int dpi) override;
  // The list's column widths are kept with the settings.
  FormControls* Options() override { return &form_; }
  bool CommandEnabled(ListCommand command, HWND focus) const override;
  void RunCommand(ListCommand command, HWND focus) override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  HWND List() const { return form_.Handle(kList); }
  int Selected() const { return SelectedListRow(List()); }
  const PluginRecord* SelectedRecord() const;
  std::wstring SelectedFile() const;
  // Shows the host's plug-ins and selects the one of file `select` (else the first).
  void Fill(const std::wstring& select);
  // Loads the plug-ins anew, with the catalogue, then shows them.
  void Reload(const std::wstring& select);
  // The buttons and the description follow the selection.
  void SelectionChanged();
  void Call(const char* function);
  void ShowActions();
  void Add();
  // Puts `source` into the plug-in folder as `target`; false when it did not (the user was told).
  bool CopyIntoFolder(const std::wstring& source, const std::wstring& target);
  void Delete();
  void ShowMenu(LPARAM lParam);
  // A button's command, when the button is enabled.
  void Press(Button button);
  bool Enabled(Button button) const {
    return IsWindowVisible(form_.Handle(button)) && IsWindowEnabled(form_.Handle(button));
  }

  HWND hwnd_ = nullptr;
  PageServices services_;
  Win32Form form_;
  HIMAGELIST images_ = nullptr;
  bool folderMissing_ = false;
  int dpi_ = 96;
};

bool PluginsPage::Create(HWND parent, const PageServices& services) {
  services_ = services;
  hwnd_ = CreatePageWindow(parent, services.instance, &ListPageProcedure<PluginsPage>, this);
  if (!hwnd_) return false;
  dpi_ = WindowDpi(hwnd_);
  form_.SetLanguage(PluginsPageLanguage());
  if (!form_.Create(hwnd_, PluginsPageControls())) return false;
  SetWindowLongPtrW(List(), GWL_STYLE,
                    GetWindowLongPtrW(List(), GWL_STYLE) | LVS_SINGLESEL | LVS_SHOWSELALWAYS);
  SendMessageW(List(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  SendMessageW(form_.Handle(kDescription), EM_SETREADONLY, TRUE, 0);
  Fill({});
  return true;
}

std::optional<LRESULT> PluginsPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      // The buttons come first in the table.
      const std::optional<size_t> index = form_.IndexOfId(LOWORD(wParam));
      if (HIWORD(wParam) != BN_CLICKED || !index || *index >= kButtonCount) return std::nullopt;
      Press(static_cast<Button>(*index));
      return 0;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom != List()) return std::nullopt;
      if (header->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if ((change->uChanged & LVIF_STATE) &&
            ((change->uNewState ^ change->uOldState) & LVIS_SELECTED))
          SelectionChanged();
      }
      if (header->code == NM_DBLCLK || header->code == NM_RETURN) Press(kOptions);
      return 0;
    }
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) != List()) return std::nullopt;
      ShowMenu(lParam);
      return 0;
  }
  return std::nullopt;
}

void PluginsPage::Layout(int dpi) {
  dpi_ = dpi;
  const auto scale = [dpi](int v) { return MulDiv(v, dpi, 96); };
  RECT client;
  GetClientRect(hwnd_, &client);
  const int margin = scale(kMargin);
  const int width = std::max(0, static_cast<int>(client.right) - 2 * margin);
  // The toolbar's buttons flow left to right and wrap to the page's width.
  int x = margin;
  int y = margin;
  for (const ButtonDesign& design : kButtons) {
    HWND button = form_.Handle(design.name);
    const int buttonWidth = ButtonWidth(button, dpi);
    if (x > margin && x + buttonWidth > margin + width) {
      x = margin;
      y += scale(kButtonHeight + kGap);
    }
    MoveWindow(button, x, y, buttonWidth, scale(kButtonHeight), TRUE);
    ShowWindow(button, folderMissing_ ? SW_HIDE : SW_SHOW);
    x += buttonWidth + scale(kGap);
  }
  const int listTop = folderMissing_ ? margin : y + scale(kButtonHeight + kGap);
  const int descriptionHeight = scale(kDescriptionHeight);
  const int descriptionTop =
      std::max(listTop, static_cast<int>(client.bottom) - margin - descriptionHeight);
  MoveWindow(form_.Handle(kDescription), margin, descriptionTop, width, descriptionHeight, TRUE);
  MoveWindow(List(), margin, listTop, width, std::max(0, descriptionTop - scale(kGap) - listTop),
             TRUE);
}

const PluginRecord* PluginsPage::SelectedRecord() const {
  const int row = Selected();
  if (!services_.plugins || row < 0) return nullptr;
  const std::span<const PluginRecord> plugins = services_.plugins->Plugins();
  return static_cast<size_t>(row) < plugins.size() ? &plugins[static_cast<size_t>(row)] : nullptr;
}

std::wstring PluginsPage::SelectedFile() const {
  const PluginRecord* record = SelectedRecord();
  return record ? record->fileName : std::wstring();
}

void PluginsPage::Fill(const std::wstring& select) {
  const std::wstring folder =
      services_.plugins ? services_.plugins->Folder() : services_.pluginFolder;
  folderMissing_ = !FolderExists(folder);
  const std::span<const PluginRecord> plugins = services_.plugins && !folderMissing_
                                                    ? services_.plugins->Plugins()
                                                    : std::span<const PluginRecord>();
  const int size = MulDiv(16, dpi_, 96);
  HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 4, 4);
  SendMessageW(List(), WM_SETREDRAW, FALSE, 0);
  SendMessageW(List(), LVM_DELETEALLITEMS, 0, 0);
  // The list view lets go of the old images when it takes the new ones.
  SendMessageW(List(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
  if (images_) ImageList_Destroy(images_);
  images_ = images;
  int selectRow = plugins.empty() ? -1 : 0;
  for (size_t i = 0; i < plugins.size(); ++i) {
    const PluginRecord& plugin = plugins[i];
    UniqueIcon icon(services_.plugins->PluginIcon(plugin, size));
    const int image =
        images ? ImageList_AddIcon(images, icon ? icon.get() : LoadIconW(nullptr, IDI_APPLICATION))
               : -1;
    const std::wstring texts[] = {Utf8ToWide(plugin.caption), plugin.fileName,
                                  Utf8ToWide(FileSizeText(plugin.fileSize))};
    for (int column = 0; column < 3; ++column) {
      LVITEMW item = {};
      item.mask = LVIF_TEXT | (column == 0 ? LVIF_IMAGE : 0);
      item.iItem = static_cast<int>(i);
      item.iSubItem = column;
      item.iImage = image;
      item.pszText = const_cast<wchar_t*>(texts[column].c_str());
      SendMessageW(List(), column == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, i,
                   reinterpret_cast<LPARAM>(&item));
    }
    if (!select.empty() && lstrcmpiW(plugin.fileName.c_str(), select.c_str()) == 0)
      selectRow = static_cast<int>(i);
  }
  SendMessageW(List(), WM_SETREDRAW, TRUE, 0);
  SelectListRow(List(), selectRow);
  SelectionChanged();
  Layout(dpi_);
}

void PluginsPage::Reload(const std::wstring& select) {
  if (services_.reloadPlugins) {
    services_.reloadPlugins();
  } else if (services_.plugins) {
    services_.plugins->Load(services_.shortVersion);
  }
  Fill(select);
}

void PluginsPage::SelectionChanged() {
  const PluginRecord* record = SelectedRecord();
  PluginRowFacts facts;
  if (record) {
    PluginHost& host = *services_.plugins;
    facts.hasOptions = host.HasFunction(*record, "SetOpt");
    facts.hasHelp = host.HasFunction(*record, "ShowHelp");
    facts.hasActions =
        record->program ? host.HasFunction(*record, "GetProc") : !host.Query(*record, 2).empty();
  }
  const PluginButtons buttons = PluginButtonsFor(record ? &facts : nullptr);
  const bool enabled[kButtonCount] = {buttons.options,
                                      buttons.remove,
                                      buttons.info,
                                      buttons.actions,
                                      services_.plugins != nullptr,
                                      static_cast<bool>(services_.showHelp)};
  for (size_t i = 0; i < kButtonCount; ++i) form_.SetEnabled(i, enabled[i]);
  std::string description;
  if (folderMissing_) {
    description = MissingPluginFolderText(
        WideToUtf8(services_.plugins ? services_.plugins->Folder() : services_.pluginFolder));
  } else if (record) {
    description = services_.plugins->Description(*record);
  }
  form_.SetText(*form_.Find(kDescription), description);
  const bool anyRows = SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0) > 0;
  ShowWindow(form_.Handle(kDescription), folderMissing_ || anyRows ? SW_SHOW : SW_HIDE);
  // A button that lost its use keeps no keyboard focus: the list takes it.
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd_, focus) && !IsWindowEnabled(focus)) SetFocus(List());
}

void PluginsPage::Call(const char* function) {
  const PluginRecord* record = SelectedRecord();
  if (!record) return;
  // Copied: the plug-in's call may end in a reload that replaces the records.
  const std::wstring path = record->path;
  services_.plugins->Call(path, function, 1, nullptr, MainWindowArgument());
}

void PluginsPage::ShowActions() {
  const PluginRecord* record = SelectedRecord();
  if (!record) return;
  std::vector<std::string> names;
  for (const PluginActionLine& line : record->actions) names.push_back(line.displayName);
  const int size = MulDiv(32, dpi_, 96);
  UniqueIcon icon(services_.plugins->PluginIcon(*record, size));
  ShowInformationWithIcon(PluginActionsText(record->caption, names), icon.get());
}

bool PluginsPage::CopyIntoFolder(const std::wstring& source, const std::wstring& target) {
  const std::string folder = WideToUtf8(services_.plugins->Folder());
  const auto tell = [&](DWORD error) {
    ShowMessageBox(PluginCopyError(folder, SystemErrorText(error)), MessageDialogType::Error,
                   MessageButtons::Ok);
    return false;
  };
  if (SameFile(source, target)) return true;
  const std::wstring fileName = target.substr(target.find_last_of(L'\\') + 1);
  const std::span<const PluginRecord> plugins = services_.plugins->Plugins();
  const auto loaded = std::find_if(plugins.begin(), plugins.end(), [&](const PluginRecord& p) {
    return lstrcmpiW(p.fileName.c_str(), fileName.c_str()) == 0;
  });
  if (loaded == plugins.end()) {
    if (!CopyFileW(source.c_str(), target.c_str(), /*bFailIfExists=*/FALSE))
      return tell(GetLastError());
    return true;
  }
  // A loaded plug-in's file cannot be overwritten: the new file waits beside it while the old
  // one is removed, so that a failure on the way leaves the old plug-in in place.
  const std::wstring waiting = target + L".new";
  if (!CopyFileW(source.c_str(), waiting.c_str(), /*bFailIfExists=*/FALSE))
    return tell(GetLastError());
  if (!services_.plugins->Remove(static_cast<size_t>(loaded - plugins.begin()),
                                 services_.actions)) {
    DeleteFileW(waiting.c_str());
    ShowMessageBox(GetLangStr("ErrorPlugDel", "Error on PlugIn delete. Perhaps library is loaded."),
                   MessageDialogType::Error, MessageButtons::Ok);
    Fill(fileName);
    return false;
  }
  if (!MoveFileExW(waiting.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    const DWORD error = GetLastError();
    DeleteFileW(waiting.c_str());
    Reload({});
    return tell(error);
  }
  return true;
}

void PluginsPage::Add() {
  if (!services_.plugins || folderMissing_) return;
  wchar_t file[MAX_PATH] = {};
  const std::wstring filter = FileDialogFilter(
      {{GetLangStrW("FilterPlugins", "PlugIns", kSection) + L" (*.dll;*.exe)", L"*.dll;*.exe"},
       {AllFilesCaption(), L"*.*"}});
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = services_.window;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_FILEMUSTEXIST;
  if (!GetOpenFileNameW(&dialog)) return;
  const std::wstring source = file;
  const std::wstring fileName = source.substr(source.find_last_of(L"\\/") + 1);
  const std::wstring target = services_.plugins->Folder() + L"\\" + fileName;

  const PluginFileCheck check = PluginHost::CheckFile(source);
  PluginAddFacts facts;
  facts.answer = check.result == PluginCheck::kPlugin         ? PluginAnswer::kPlugin
                 : check.result == PluginCheck::kOtherVersion ? PluginAnswer::kOtherVersion
                                                              : PluginAnswer::kNotPlugin;
  facts.versionAnswer = check.version;
  facts.fileName = WideToUtf8(fileName);
  facts.exists = GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (facts.exists) {
    facts.oldVersion = PluginHost::FileVersion(target);
    facts.newVersion = PluginHost::FileVersion(source);
  }
  const PluginAddDecision decision = DecideAddPlugin(facts, services_.shortVersion);
  if (decision.step == PluginAddStep::kRefuse) {
    ShowMessageBox(decision.text, MessageDialogType::Error, MessageButtons::Ok);
    return;
  }
  if (decision.step == PluginAddStep::kAsk &&
      ShowMessageBox(decision.text, MessageDialogType::Confirmation, MessageButtons::YesNo) !=
          IDYES)
    return;
  if (!CopyIntoFolder(source, target)) return;
  Reload(fileName);
  services_.plugins->Call(target, "Install", 1, nullptr, MainWindowArgument());
}

void PluginsPage::Delete() {
  const int row = Selected();
  const PluginRecord* record = SelectedRecord();
  if (!record) return;
  if (ShowMessageBox(PluginDeleteQuestion(record->caption), MessageDialogType::Confirmation,
                     MessageButtons::YesNo) != IDYES)
    return;
  if (!services_.plugins->Remove(static_cast<size_t>(row), services_.actions)) {
    ShowMessageBox(GetLangStr("ErrorPlugDel", "Error on PlugIn delete. Perhaps library is loaded."),
                   MessageDialogType::Error, MessageButtons::Ok);
    Fill(SelectedFile());
    return;
  }
  // The catalogue must no longer offer the plug-in's actions.
  Reload({});
  const int count = static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0));
  SelectListRow(List(), std::min(row, count - 1));
  SelectionChanged();
}

void PluginsPage::Press(Button button) {
  if (!Enabled(button)) return;
  switch (button) {
    case kOptions:
      Call("SetOpt");
      break;
    case kDelete:
      Delete();
      break;
    case kInfo:
      Call("ShowHelp");
      break;
    case kActions:
      ShowActions();
      break;
    case kAdd:
      Add();
      break;
    case kHelp:
      services_.showHelp("PlugIns.htm");
      break;
    case kButtonCount:
      break;
  }
}

void PluginsPage::ShowMenu(LPARAM lParam) {
  UniqueMenu menu(CreatePopupMenu());
  if (!menu) return;
  const auto add = [&](UINT id, const char* key, const char* english, const wchar_t* shortcut,
                       bool enabled) {
    std::wstring text = GetLangStrW(key, english, kSection);
    if (shortcut) text += std::wstring(L"\t") + shortcut;
    AppendMenuW(menu.get(), MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), id, text.c_str());
  };
  // The menu is about the list's plug-ins: the page's help stays a button.
  for (size_t i = 0; i < kHelp; ++i) {
    if (i == kAdd) AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    const ButtonDesign& button = kButtons[i];
    add(static_cast<UINT>(i + 1), button.name, button.english, button.shortcut,
        Enabled(static_cast<Button>(i)));
  }
  add(kMenuRefresh, "MenuRefresh", "Refresh", L"F5", services_.plugins != nullptr);
  const POINT at = ListMenuPoint(List(), lParam);
  const UINT chosen =
      TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr);
  if (chosen == kMenuRefresh) Reload(SelectedFile());
  if (chosen >= 1 && chosen <= kButtonCount) Press(static_cast<Button>(chosen - 1));
}

bool PluginsPage::CommandEnabled(ListCommand command, HWND focus) const {
  if (focus != List() || !services_.plugins) return false;
  switch (command) {
    case ListCommand::kDelete:
      return Enabled(kDelete);
    case ListCommand::kRefresh:
      return true;
    default:
      return false;
  }
}

void PluginsPage::RunCommand(ListCommand command, HWND /*focus*/) {
  if (command == ListCommand::kDelete) Delete();
  if (command == ListCommand::kRefresh) Reload(SelectedFile());
}

}  // namespace

std::unique_ptr<Page> CreatePluginsPage() {
  return std::make_unique<PluginsPage>();
}

std::vector<ControlDecl> PluginsPageControls() {
  std::vector<ControlDecl> table;
  for (const ButtonDesign& button : kButtons)
    table.push_back(PlacedControl(button.name, ControlKind::kButton, button.english));
  table.push_back(PlacedControl(kList, ControlKind::kListView));
  table.push_back(PlacedControl(kDescription, ControlKind::kMemo));
  const std::pair<const char*, int> columns[] = {{"Name", 170}, {"File", 130}, {"Size", 80}};
  for (size_t i = 0; i < std::size(columns); ++i)
    table[kButtonCount].columns.push_back({columns[i].first, columns[i].second});
  return table;
}

FormLanguage PluginsPageLanguage() {
  return {kSection, 0, &ApplyMainWindowExtras};
}

}  // namespace tavion
