// The main window's frame: the navigation column on the left, the visible page with its title,
// and the bottom row, laid out for the window's DPI.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "base/utf_win.h"
#include "forms/control_text_win.h"
#include "forms/form_win.h"
#include "lang/lang_win.h"
#include "pipeline/sidekit_library_win.h"
#include "macros/macro_format.h"
#include "settings/settings.h"
#include "ui/action_editor_win.h"
#include "ui/main_pages_win.h"
#include "ui/main_window_parts_win.h"
#include "ui/navigation.h"
#include "ui/form_tables_win.h"
#include "update/update_check_win.h"

namespace tavion {
namespace {

constexpr int kFirstButtonId = 2000;
constexpr int kNavigationId = 1900;
constexpr int kUpdateNoticeId = 1901;
constexpr int kPageTitleId = 1902;

}  // namespace

std::vector<ControlDecl> MainWindowButtons() {
  std::vector<ControlDecl> table;
  for (const auto& [name, key, caption] : {std::tuple{"b_close", "ButtonClose", "Close"},
                                           std::tuple{"b_disable", "ButtonDisable", "Disable"},
                                           std::tuple{"b_ok", "ButtonMinimize", "Minimize"}}) {
    ControlDecl button;
    button.name = name;
    button.kind = ControlKind::kButton;
    button.caption = GetLangStr(key, caption);
    table.push_back(std::move(button));
  }
  return table;
}

namespace {

// The system's message font at `dpi`, `scale` percent of its size, bold when `bold`.
UniqueFont MessageFont(int dpi, int scale, bool bold) {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    return UniqueFont();
  LOGFONTW font = metrics.lfMessageFont;
  const WindowDc screen(nullptr);
  const int systemDpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
  font.lfHeight = MulDiv(font.lfHeight, dpi * scale, std::max(1, systemDpi) * 100);
  if (bold) font.lfWeight = FW_BOLD;
  return UniqueFont(CreateFontIndirectW(&font));
}

// Tree items carry the entry's position; a panel's item carries kPanelItem + its position.
constexpr LPARAM kPanelItem = 1000;

}  // namespace

UniqueIcon FolderIcon() {
  HICON icon = nullptr;
  // Resource 4 of the shell's library is its closed folder (a negative index names a resource).
  if (ExtractIconExW(L"shell32.dll", -4, nullptr, &icon, 1) == 0) return UniqueIcon();
  return UniqueIcon(icon);
}

PageServices MainWindow::MakePageServices(HINSTANCE instance) {
  PageServices services;
  services.window = hwnd_;
  services.instance = instance;
  services.settings = &registry_;
  services.user = &userRegistry_;
  services.actions = &actions_;
  services.tree = &tree_;
  services.resourceFolder = startup_.resourceFolder;
  services.languageFolder = startup_.languageFolder;
  services.pluginFolder = startup_.pluginFolder;
  services.plugins = plugins_.get();
  services.reloadPlugins = [this] { ReloadPlugins(); };
  services.fullVersion = startup_.fullVersion;
  services.shortVersion = startup_.shortVersion;
  services.buildDate = startup_.buildDate;
  services.execute = [](const std::string& code, int index, bool useThread) {
    ExecuteAction(code, index, useThread);
  };
  services.saveActions = [this] { return SaveProfile(); };
  services.loadDefaultActions = [this] { LoadDefaultProfile(); };
  services.actionsChanged = [this] { ActionsChanged(); };
  services.optionChanged = [this](const std::string& name) { ApplyOptionChange(name); };
  services.captureHooks = {library_.InitHookEx, library_.FreeHookEx};
  services.rawInputReady = [this] { return rawInput_.Registered(); };
  services.upOnlyKeys = [this] {
    return UpOnlyKeys{OptionChecked("Opt_tr_upkeys"), parts_->lists.upOnlyKeys};
  };
  services.setTrayImage = [this](int index, HICON image) { SetTrayImage(index, image); };
  services.editAction = [this, instance](ListCommand command, std::optional<std::size_t> selected) {
    return EditAction(instance, command, selected);
  };
  services.recordMacro = [this](std::vector<std::string>* list) { RecordMacro(list); };
  services.editMacro = [this](const std::string& name) { return EditMacro(name); };
  services.addMacroAction = [this, instance](const std::string& name) {
    return AddMacroAction(instance, name);
  };
  services.switchProfile = [this](const std::string& name, bool saveCurrent) {
    SwitchProfile(name, saveCurrent);
  };
  services.saveProfileAs = [this](const std::string& name) { return SaveProfileAs(name); };
  services.saveSettingsFile = [this] { SaveSettingsFile(); };
  services.loadSettingsFile = [this] { LoadSettingsFile(); };
  services.changeLanguage = [this](const std::string& language) { ChangeLanguage(language); };
  services.showHelp = [this](const std::string& topic) { ShowHelp(topic); };
  return services;
}

std::optional<std::size_t> MainWindow::EditAction(HINSTANCE instance, ListCommand command,
                                                  std::optional<std::size_t> selected) {
  ActionEditorRequest request;
  request.isNew = command != ListCommand::kEdit;
  request.startMode =
      command == ListCommand::kAddFolder ? EditorStartMode::kFolder : EditorStartMode::kNormal;
  request.selected = selected;
  return EditAction(instance, request);
}

std::optional<std::size_t> MainWindow::EditAction(HINSTANCE instance,
                                                  const ActionEditorRequest& request) {
  ActionEditorContext context;
  context.owner = hwnd_;
  context.instance = instance;
  context.tree = &tree_;
  context.actions = &actions_;
  context.resourceFolder = startup_.resourceFolder;
  context.plugins = plugins_.get();
  context.captureHooks = {library_.InitHookEx, library_.FreeHookEx};
  context.rawInputReady = rawInput_.Registered();
  context.upOnlyKeys = UpOnlyKeys{OptionChecked("Opt_tr_upkeys"), parts_->lists.upOnlyKeys};
  context.severalActionsOnOneKey = OptionChecked("Opt_SemiKeyAc");
  context.macroNames = MacroNames(registry_);
  context.blendMin = &Settings().Blend_VMin;
  context.blendMax = &Settings().Blend_VMax;
  context.editMacro = [this](const std::string& name) { return EditMacro(name); };
  context.showHelp = [this](const std::string& topic) { ShowHelp(topic); };
  context.bringToFront = [this](HWND window) {
    if (!library_.ForceForegroundWindow || !library_.ForceForegroundWindow(window))
      SetForegroundWindow(window);
  };
  editorOpen_ = true;
  const std::optional<std::size_t> changed = ShowActionEditor(context, request);
  editorOpen_ = false;
  // Saved at once, so that nothing entered is lost to a crash; the page then tells the window.
  if (changed) SaveProfile();
  return changed;
}

void MainWindow::CreateFrame(HINSTANCE instance) {
  parts_->navigation = CreateWindowExW(
      WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS |
          TVS_FULLROWSELECT | TVS_DISABLEDRAGDROP | TVS_NOHSCROLL,
      0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kNavigationId)), instance,
      nullptr);
  parts_->pageTitle = CreateWindowExW(
      0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_NOPREFIX, 0, 0, 0, 0, hwnd_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPageTitleId)), instance, nullptr);
  const PageServices services = MakePageServices(instance);
  std::vector<FormControls*> forms = {&parts_->navigationPanels};
  parts_->pages = CreateMainPages();
  for (auto& page : parts_->pages) {
    // A page that cannot be created stays empty; the others still work.
    page->Create(hwnd_, services);
    forms.push_back(page->Options());
  }
  parts_->options = std::make_unique<CompositeForm>(std::move(forms));
  parts_->buttons.Create(hwnd_, MainWindowButtons(), kFirstButtonId);
  // The update notice (p_upd) waits at the left of the bottom row until there is news.
  parts_->updateNotice = CreateWindowExW(
      0, L"STATIC", L"", WS_CHILD | SS_NOTIFY | SS_NOPREFIX | SS_LEFTNOWORDWRAP, 0, 0, 0, 0, hwnd_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kUpdateNoticeId)), instance, nullptr);
  FillNavigation();
  const auto first = FirstPageEntry(kMainNavigationPanel);
  ShowPage(first ? NavigationEntries()[*first].page.value_or(0) : 0);
}

void MainWindow::FillNavigation() {
  HWND tree = parts_->navigation;
  const int dpi = WindowDpi(hwnd_);
  const int size = MulDiv(16, dpi, 96);
  parts_->navigationImages.reset(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 16, 4));
  HIMAGELIST images = parts_->navigationImages.get();
  auto addIcon = [&](HICON icon) {
    if (!icon) icon = icon_;
    return ImageList_AddIcon(images, icon);
  };
  const int folderImage = addIcon(FolderIcon().get());
  std::vector<int> entryImages;
  for (const NavigationEntry& entry : NavigationEntries()) {
    HICON icon = nullptr;
    if (!entry.icon.empty()) {
      const std::wstring path = startup_.resourceFolder + L"\\" + Utf8ToWide(entry.icon);
      icon = static_cast<HICON>(
          LoadImageW(nullptr, path.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE));
    }
    entryImages.push_back(addIcon(icon));
    if (icon) DestroyIcon(icon);
  }
  TreeView_SetImageList(tree, images, TVSIL_NORMAL);
  TreeView_DeleteAllItems(tree);
  parts_->navigationItems.assign(NavigationEntries().size(), nullptr);
  parts_->panelItems.clear();
  const auto panels = NavigationPanels();
  for (size_t p = 0; p < panels.size(); ++p) {
    const std::wstring title = GetLangStrW(panels[p].textKey, panels[p].text);
    TVINSERTSTRUCTW insert = {};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    insert.item.pszText = const_cast<wchar_t*>(title.c_str());
    insert.item.lParam = kPanelItem + static_cast<LPARAM>(p);
    insert.item.iImage = insert.item.iSelectedImage = folderImage;
    insert.item.state = insert.item.stateMask = TVIS_BOLD;
    HTREEITEM panel = TreeView_InsertItem(tree, &insert);
    parts_->panelItems.push_back(panel);
    for (size_t e = 0; e < NavigationEntries().size(); ++e) {
      const NavigationEntry& entry = NavigationEntries()[e];
      if (entry.panel != p) continue;
      const std::wstring text = entry.page && *entry.page < parts_->pages.size()
                                    ? parts_->pages[*entry.page]->Title()
                                    : GetLangStrW(entry.textKey, entry.text, entry.textSection);
      insert.hParent = panel;
      insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
      insert.item.pszText = const_cast<wchar_t*>(text.c_str());
      insert.item.lParam = static_cast<LPARAM>(e);
      insert.item.iImage = insert.item.iSelectedImage = entryImages[e];
      parts_->navigationItems[e] = TreeView_InsertItem(tree, &insert);
    }
  }
  ApplyNavigationPanels();
}

void MainWindow::ApplyNavigationPanels() {
  for (size_t p = 0; p < parts_->panelItems.size(); ++p) {
    const auto option = parts_->navigationPanels.Find(NavigationPanels()[p].option);
    const bool expanded = !option || parts_->navigationPanels.Expanded(*option);
    TreeView_Expand(parts_->navigation, parts_->panelItems[p],
                    expanded ? TVE_EXPAND : TVE_COLLAPSE);
  }
}

LRESULT MainWindow::OnNavigationNotify(const NMHDR& header) {
  HWND tree = parts_->navigation;
  switch (header.code) {
    case TVN_ITEMEXPANDEDW: {
      const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
      const LPARAM param = change.itemNew.lParam;
      if (param >= kPanelItem) {
        const auto panel = static_cast<size_t>(param - kPanelItem);
        if (const auto option = parts_->navigationPanels.Find(NavigationPanels()[panel].option))
          parts_->navigationPanels.SetExpanded(*option, change.action == TVE_EXPAND);
      }
      return 0;
    }
    case TVN_SELCHANGEDW: {
      // A click shows the page at once; the arrows only move, Enter or Space shows.
      const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
      if (change.action == TVC_BYMOUSE) ActivateNavigationItem(change.itemNew.hItem);
      return 0;
    }
    case TVN_KEYDOWN: {
      const auto& key = reinterpret_cast<const NMTVKEYDOWN&>(header);
      if (key.wVKey == VK_SPACE || key.wVKey == VK_RETURN) {
        ActivateNavigationItem(TreeView_GetSelection(tree));
        return TRUE;  // no incremental search for the space
      }
      return 0;
    }
  }
  return 0;
}

void MainWindow::ActivateNavigationItem(HTREEITEM item) {
  if (!item) return;
  TVITEMW data = {};
  data.mask = TVIF_PARAM;
  data.hItem = item;
  if (!TreeView_GetItem(parts_->navigation, &data)) return;
  if (data.lParam >= kPanelItem) {
    // A panel's title opens or closes it, as its button does.
    TreeView_Expand(parts_->navigation, item, TVE_TOGGLE);
    return;
  }
  const NavigationEntry& entry = NavigationEntries()[static_cast<size_t>(data.lParam)];
  if (entry.page) {
    ShowPage(*entry.page);
    return;
  }
  ShowHelp(std::string(entry.helpTopic));
  // The mark goes back to the page that shows, so the same entry can be chosen again.
  MarkShownEntry();
}

Page* MainWindow::CurrentPage() const {
  if (!parts_ || parts_->currentPage >= parts_->pages.size()) return nullptr;
  return parts_->pages[parts_->currentPage].get();
}

void MainWindow::ShowPage(size_t page) {
  if (!parts_ || page >= parts_->pages.size()) return;
  Page* previous = CurrentPage();
  parts_->currentPage = page;
  Page* next = CurrentPage();
  SetWindowTextW(parts_->pageTitle, next->Title().c_str());
  LayoutControls();
  if (previous && previous != next && previous->Handle()) ShowWindow(previous->Handle(), SW_HIDE);
  if (next->Handle()) ShowWindow(next->Handle(), SW_SHOW);
  MarkShownEntry();
  next->Shown();
}

void MainWindow::MarkShownEntry() {
  // The entry of the shown page is marked, whichever way it was chosen.
  if (const auto entry = NavigationEntryOfPage(parts_->currentPage);
      entry && *entry < parts_->navigationItems.size()) {
    HTREEITEM item = parts_->navigationItems[*entry];
    for (HTREEITEM other : parts_->navigationItems)
      TreeView_SetItemState(parts_->navigation, other, other == item ? TVIS_BOLD : 0, TVIS_BOLD);
    if (TreeView_GetSelection(parts_->navigation) != item)
      TreeView_SelectItem(parts_->navigation, item);
  }
}

void MainWindow::ShowUpdateNotice(const std::wstring& text) {
  SetWindowTextW(parts_->updateNotice, text.c_str());
  ShowWindow(parts_->updateNotice, SW_SHOW);
  LayoutControls();
}

void MainWindow::OnUpdateNoticeClick() {
  OpenMakerSite();
  // The notice has been seen: it does not come back at the next start.
  Settings().LastUpdateVersion.clear();
  ShowWindow(parts_->updateNotice, SW_HIDE);
  LayoutControls();
}

void MainWindow::RefreshFrameTexts() {
  const std::vector<ControlDecl> buttons = MainWindowButtons();
  for (const ControlDecl& button : buttons)
    if (const auto index = parts_->buttons.Find(button.name))
      parts_->buttons.SetCaption(*index, button.caption);
  // "Disable" reads "Enable" while hot keys are disabled.
  if (hotKeysDisabled_)
    SetWindowTextW(parts_->buttons.Handle("b_disable"),
                   GetLangStrW("ButtonEnable", "Enable").c_str());
  FillNavigation();
  MarkShownEntry();
  if (const Page* page = CurrentPage()) SetWindowTextW(parts_->pageTitle, page->Title().c_str());
}

void MainWindow::SetFrameFonts(int dpi) {
  parts_->frameFont = MessageFont(dpi, 100, /*bold=*/false);
  parts_->titleFont = MessageFont(dpi, 135, /*bold=*/true);
  auto set = [](HWND hwnd, HFONT font) {
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  };
  set(parts_->pageTitle, parts_->titleFont.get());
  set(parts_->navigation, parts_->frameFont.get());
  set(parts_->updateNotice, parts_->frameFont.get());
  for (const char* name : {"b_close", "b_disable", "b_ok"})
    set(parts_->buttons.Handle(name), parts_->frameFont.get());
  parts_->fontDpi = dpi;
}

MainWindow::FrameMetrics MainWindow::MeasureFrame(int dpi) {
  if (parts_->fontDpi != dpi || !parts_->frameFont) SetFrameFonts(dpi);
  FrameMetrics m;
  m.margin = MulDiv(8, dpi, 96);
  HFONT font = parts_->frameFont.get();
  // The navigation is as wide as its longest text with the indent, image and scroll bar.
  int widest = 0;
  auto measure = [&](HTREEITEM item) {
    wchar_t text[256] = {};
    TVITEMW data = {};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = static_cast<int>(std::size(text));
    if (TreeView_GetItem(parts_->navigation, &data))
      widest = std::max(widest, TextWidth(font, text));
  };
  for (HTREEITEM item : parts_->panelItems) measure(item);
  for (HTREEITEM item : parts_->navigationItems) measure(item);
  // Panel titles are bold: a tenth more.
  m.navigationWidth = widest + widest / 10 +
                      2 * static_cast<int>(TreeView_GetIndent(parts_->navigation)) +
                      MulDiv(16 + 12, dpi, 96) + GetSystemMetrics(SM_CXVSCROLL);
  m.buttonHeight = MulDiv(26, dpi, 96);
  for (const char* name : {"b_close", "b_disable", "b_ok"}) {
    HWND button = parts_->buttons.Handle(name);
    wchar_t text[128] = {};
    GetWindowTextW(button, text, static_cast<int>(std::size(text)));
    m.buttonWidth = std::max(m.buttonWidth, TextWidth(font, text) + MulDiv(24, dpi, 96));
  }
  // "Disable" and "Enable" take turns: the button fits both.
  for (const auto& [key, text] :
       {std::pair{"ButtonDisable", "Disable"}, {"ButtonEnable", "Enable"}})
    m.buttonWidth =
        std::max(m.buttonWidth, TextWidth(font, GetLangStrW(key, text)) + MulDiv(24, dpi, 96));
  m.buttonWidth = std::max(m.buttonWidth, MulDiv(90, dpi, 96));
  m.titleHeight = MulDiv(30, dpi, 96);
  return m;
}

void MainWindow::LayoutControls() {
  if (!parts_ || !parts_->pageTitle) return;
  const int dpi = WindowDpi(hwnd_);
  const FrameMetrics m = MeasureFrame(dpi);
  RECT client;
  GetClientRect(hwnd_, &client);
  const int width = client.right;
  const int bottomTop = client.bottom - m.margin - m.buttonHeight;
  const int buttonsLeft = width - 3 * (m.buttonWidth + m.margin);
  // The update notice stands beside the buttons, or on a row of its own above them when its
  // text does not fit there.
  int contentBottom = bottomTop;
  if (IsWindowVisible(parts_->updateNotice)) {
    wchar_t text[256] = {};
    GetWindowTextW(parts_->updateNotice, text, static_cast<int>(std::size(text)));
    const int textWidth = TextWidth(parts_->frameFont.get(), text);
    const int lineHeight = m.buttonHeight * 3 / 4;
    if (textWidth + 2 * m.margin <= buttonsLeft) {
      MoveWindow(parts_->updateNotice, m.margin, bottomTop + (m.buttonHeight - lineHeight) / 2,
                 buttonsLeft - 2 * m.margin, lineHeight, TRUE);
    } else {
      contentBottom -= lineHeight + m.margin;
      MoveWindow(parts_->updateNotice, m.margin, contentBottom + m.margin / 2, width - 2 * m.margin,
                 lineHeight, TRUE);
    }
  }
  const int navigationWidth = std::min(m.navigationWidth, width / 2);
  MoveWindow(parts_->navigation, m.margin, m.margin, navigationWidth,
             std::max(0, contentBottom - 2 * m.margin), TRUE);
  const int pageLeft = 2 * m.margin + navigationWidth;
  const int pageWidth = std::max(0, width - pageLeft);
  MoveWindow(parts_->pageTitle, pageLeft, m.margin, pageWidth - m.margin, m.titleHeight, TRUE);
  const int pageTop = m.margin + m.titleHeight;
  if (Page* page = CurrentPage(); page && page->Handle()) {
    MoveWindow(page->Handle(), pageLeft, pageTop, pageWidth,
               std::max(0, contentBottom - m.margin - pageTop), TRUE);
    page->Layout(dpi);
  }
  int x = width - m.margin - m.buttonWidth;
  for (const char* name : {"b_ok", "b_disable", "b_close"}) {
    MoveWindow(parts_->buttons.Handle(name), x, bottomTop, m.buttonWidth, m.buttonHeight, TRUE);
    x -= m.buttonWidth + m.margin;
  }
}

void MainWindow::MinimumTrackSize(MINMAXINFO& info) {
  if (!parts_ || !parts_->pageTitle) return;
  const int dpi = WindowDpi(hwnd_);
  const FrameMetrics m = MeasureFrame(dpi);
  RECT frame = {0, 0, 0, 0};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
  // The widest page shows its controls whole: longer texts widen the window.
  int pageWidth = MulDiv(380, dpi, 96);
  for (const auto& page : parts_->pages) pageWidth = std::max(pageWidth, page->MinimumWidth());
  const int clientWidth = std::max(2 * m.margin + m.navigationWidth + pageWidth,
                                   3 * m.buttonWidth + 4 * m.margin + MulDiv(160, dpi, 96));
  const int clientHeight = MulDiv(360, dpi, 96);
  info.ptMinTrackSize.x = clientWidth + frame.right - frame.left;
  info.ptMinTrackSize.y = clientHeight + frame.bottom - frame.top;
}

}  // namespace tavion
