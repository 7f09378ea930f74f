#include "ui/actions_page_win.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <thread>

#include "actions/action.h"
#include "base/utf_win.h"
#include "forms/message_box_win.h"
#include "lang/lang.h"
#include "lang/lang_win.h"
#include "osd/osd_icons.h"
#include "plugins/plugin_host_win.h"
#include "settings/settings.h"
#include "ui/main_pages_win.h"

namespace tavion {
namespace {

// Sizes at 96 dots per inch.
constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kFilterWidth = 220;

SIZE TextSize(HWND window, HFONT font, const std::wstring& text) {
  SIZE size{};
  const WindowDc dc(window);
  if (!dc) return size;
  const ScopedSelection selection(dc.get(), font);
  GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

}  // namespace

ActionsPage::~ActionsPage() {
  if (page_ && IsWindow(page_)) DestroyWindow(page_);
  for (HIMAGELIST list : {images_, toolImages_})
    if (list) ImageList_Destroy(list);
}

std::wstring ActionsPage::Title() const {
  return GetLangStrW("PageActions", "HotKeys Actions");
}

bool ActionsPage::Create(HWND parent, const PageServices& services) {
  if (page_) return false;
  services_ = services;
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES |
                                              ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  page_ = CreatePageWindow(parent, services.instance, &ActionsPage::PageProc, this);
  if (!page_) return false;
  dpi_ = WindowDpi(page_);

  // Created in reading order: Tab follows it.
  form_.SetLanguage({"Fr1"});
  if (!form_.Create(page_, ProfileBarControls(), kIdFirstForm)) return false;
  font_ = reinterpret_cast<HFONT>(SendMessageW(form_.Handle("cb_profile2"), WM_GETFONT, 0, 0));
  LOGFONTW struck{};
  if (font_ && GetObjectW(font_, sizeof struck, &struck)) {
    struck.lfStrikeOut = TRUE;
    struckFont_.reset(CreateFontIndirectW(&struck));
  }
  CreateImages();
  if (!CreateToolbar()) return false;

  const auto child = [&](DWORD exStyle, const wchar_t* cls, const std::wstring& text, DWORD style,
                         int id) {
    HWND hwnd = CreateWindowExW(exStyle, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 10,
                                10, page_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                services_.instance, nullptr);
    if (hwnd && font_) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return hwnd;
  };
  totals_ = child(0, L"STATIC", L"", SS_LEFT | SS_NOPREFIX, -1);
  filterLabel_ = child(0, L"STATIC", GetLangStrW("l_filter", "Filter:", "Fr1"), SS_LEFT, -1);
  filter_ = child(WS_EX_CLIENTEDGE, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP, kIdFilter);
  tree_ = child(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS |
                    TVS_NOTOOLTIPS | WS_TABSTOP,
                kIdTree);
  details_ = child(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                   LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP, kIdDetails);
  if (!totals_ || !filterLabel_ || !filter_ || !tree_ || !details_) return false;
  SetWindowSubclass(filter_, &ActionsPage::FilterProc, 0, reinterpret_cast<DWORD_PTR>(this));

  TreeView_SetImageList(tree_, images_, TVSIL_NORMAL);
  ListView_SetImageList(details_, images_, LVSIL_SMALL);
  ListView_SetExtendedListViewStyle(details_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  for (auto [index, text, width] :
       {std::tuple{0, GetLangStrW("l_keys.Col0", "Name", "Fr1"), 260},
        std::tuple{1, GetLangStrW("l_keys.Col1", "HotKey", "Fr1"), 160}}) {
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = text.data();
    column.cx = MulDiv(width, dpi_, 96);
    ListView_InsertColumn(details_, index, &column);
  }
  CreateTip();

  view_ = KeysViewOf(Settings().KeysView);
  Refill();
  return true;
}

HIMAGELIST CreateActionImages(const std::wstring& resourceFolder, int dpi,
                              const PluginHost* plugins) {
  const int size = MulDiv(16, dpi, 96);
  HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 16, 4);
  if (!images) return nullptr;
  for (const UINT open : {0u, static_cast<UINT>(SHGFI_OPENICON)}) {
    SHFILEINFOW info = {};
    if (SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                       SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES | open) &&
        info.hIcon) {
      ImageList_AddIcon(images, info.hIcon);
      DestroyIcon(info.hIcon);
    } else {
      ImageList_AddIcon(images, LoadIconW(nullptr, IDI_APPLICATION));
    }
  }
  for (const std::string_view file : OsdIconFiles()) {
    const std::wstring path = resourceFolder + L"\\" + Utf8ToWide(file);
    UniqueIcon icon(static_cast<HICON>(
        LoadImageW(nullptr, path.c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE)));
    // A missing file keeps its place, so the images after it keep their numbers.
    ImageList_AddIcon(images, icon ? icon.get() : LoadIconW(nullptr, IDI_APPLICATION));
  }
  const std::shared_ptr<const ActionCatalogue> catalogue = CurrentCatalogue();
  const int pluginPicture = CodeImage("plug");
  for (int i = ActionCatalogue::kBuiltInCount; i < catalogue->Count(); ++i) {
    UniqueIcon own(plugins ? plugins->ActionIcon(catalogue->Entry(i).code, size) : nullptr);
    if (own) {
      ImageList_AddIcon(images, own.get());
    } else {
      UniqueIcon picture(ImageList_GetIcon(images, pluginPicture, ILD_NORMAL));
      ImageList_AddIcon(images, picture ? picture.get() : LoadIconW(nullptr, IDI_APPLICATION));
    }
  }
  return images;
}

void ActionsPage::CreateImages() {
  imagesCatalogue_ = CurrentCatalogue();
  HIMAGELIST old = images_;
  images_ = CreateActionImages(services_.resourceFolder, dpi_, services_.plugins);
  if (!old) return;
  TreeView_SetImageList(tree_, images_, TVSIL_NORMAL);
  ListView_SetImageList(details_, images_, LVSIL_SMALL);
  ImageList_Destroy(old);
}

void ActionsPage::Layout(int dpi) {
  if (!page_) return;
  dpi_ = dpi;
  const auto scale = [dpi](int v) { return MulDiv(v, dpi, 96); };
  RECT client{};
  GetClientRect(page_, &client);
  const int width = client.right - 2 * scale(kMargin);
  const int left = scale(kMargin);
  int top = scale(kMargin);
  const int lineHeight = TextSize(page_, font_, L"Ag").cy;
  const int fieldHeight = lineHeight + scale(8);

  top += LayoutProfileBar(left, top, width) + scale(kGap);

  // The toolbar wraps its buttons to the page's width; its height follows.
  MoveWindow(toolbar_, left, top, width, scale(200), FALSE);
  SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
  const int buttons = static_cast<int>(SendMessageW(toolbar_, TB_BUTTONCOUNT, 0, 0));
  int toolbarBottom = 0;
  RECT button{};
  for (int i = 0; i < buttons; ++i) {
    if (SendMessageW(toolbar_, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&button)))
      toolbarBottom = std::max<int>(toolbarBottom, button.bottom);
  }
  MoveWindow(toolbar_, left, top, width, toolbarBottom, TRUE);
  top += toolbarBottom + scale(kGap);

  MoveWindow(totals_, left, top, width, lineHeight, TRUE);
  top += lineHeight + scale(kGap);

  const int filterLabelWidth = TextSize(page_, font_, GetLangStrW("l_filter", "Filter:", "Fr1")).cx;
  MoveWindow(filterLabel_, left, top + (fieldHeight - lineHeight) / 2, filterLabelWidth, lineHeight,
             TRUE);
  const int filterLeft = left + filterLabelWidth + scale(kGap);
  MoveWindow(filter_, filterLeft, top, std::min(scale(kFilterWidth), left + width - filterLeft),
             fieldHeight, TRUE);
  top += fieldHeight + scale(kGap);

  const int viewHeight = std::max(0, static_cast<int>(client.bottom) - scale(kMargin) - top);
  MoveWindow(tree_, left, top, width, viewHeight, TRUE);
  MoveWindow(details_, left, top, width, viewHeight, TRUE);
  // The name column takes what the hot-key column leaves.
  const int keyWidth = ListView_GetColumnWidth(details_, 1);
  ListView_SetColumnWidth(
      details_, 0,
      std::max(scale(120), width - keyWidth - GetSystemMetrics(SM_CXVSCROLL) - scale(4)));
}

void ActionsPage::Shown() {
  view_ = KeysViewOf(Settings().KeysView);
  Refill();
}

void ActionsPage::Refill() {
  if (!page_) return;
  if (imagesCatalogue_ != CurrentCatalogue()) CreateImages();
  FillProfiles();
  FillTree();
  if (view_ == 1) FillDetails();
  ShowWindow(tree_, view_ == 0 ? SW_SHOW : SW_HIDE);
  ShowWindow(details_, view_ == 1 ? SW_SHOW : SW_HIDE);
  UpdateTotals();
  UpdateCommands();
}

void ActionsPage::ApplyLanguage() {
  if (!page_) return;
  form_.ApplyLanguage();
  TranslateToolbar();
  SetWindowTextW(filterLabel_, GetLangStrW("l_filter", "Filter:", "Fr1").c_str());
  UpdateTotals();
  Layout(dpi_);
}

void ActionsPage::UpdateTotals() {
  if (services_.tree) SetWindowTextW(totals_, Utf8ToWide(TotalKeysText(*services_.tree)).c_str());
}

LRESULT CALLBACK ActionsPage::PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* page = reinterpret_cast<ActionsPage*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (page && page->page_ == hwnd) return page->HandleMessage(message, wParam, lParam);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT ActionsPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kIdFilter && HIWORD(wParam) == EN_CHANGE) {
        FillTree();
        if (view_ == 1) FillDetails();
        UpdateCommands();
        return 0;
      }
      if (reinterpret_cast<HWND>(lParam) == toolbar_) OnToolbarCommand(LOWORD(wParam));
      if (const auto control = form_.IndexOfId(LOWORD(wParam)))
        OnProfileBarCommand(form_.Name(*control), HIWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_SIZE:
      Layout(dpi_);
      return 0;
    case WM_MOUSEMOVE:
      if (dragged_) DragMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_LBUTTONUP:
      if (dragged_) EndDrag(/*drop=*/true);
      return 0;
    case WM_CAPTURECHANGED:
      if (dragged_ && reinterpret_cast<HWND>(lParam) != page_) EndDrag(/*drop=*/false);
      return 0;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == tree_ || reinterpret_cast<HWND>(wParam) == details_) {
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (at.x == -1 && at.y == -1) {
          // From the keyboard: below the focused view's top left corner.
          at = {0, 0};
          ClientToScreen(reinterpret_cast<HWND>(wParam), &at);
        }
        ShowContextMenu(at);
        return 0;
      }
      break;
  }
  return DefWindowProcW(page_, message, wParam, lParam);
}

LRESULT ActionsPage::OnNotify(const NMHDR& header) {
  if (header.hwndFrom == tree_) return OnTreeNotify(header);
  if (header.hwndFrom == details_) return OnDetailsNotify(header);
  if (header.hwndFrom == tip_ && header.code == TTN_GETDISPINFOW) {
    auto& info = *reinterpret_cast<NMTTDISPINFOW*>(const_cast<NMHDR*>(&header));
    info.lpszText = tipText_.empty() ? nullptr : tipText_.data();
    info.szText[0] = L'\0';
    return 0;
  }
  if (header.hwndFrom == toolbar_ && header.code == TBN_DROPDOWN) {
    ShowViewsMenu();
    return TBDDRET_DEFAULT;
  }
  return 0;
}

LRESULT CALLBACK ActionsPage::FilterProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR /*id*/, DWORD_PTR /*data*/) {
  const bool escape =
      (message == WM_KEYDOWN && wParam == VK_ESCAPE) || (message == WM_CHAR && wParam == 27);
  const bool hasText = GetWindowTextLengthW(hwnd) > 0;
  if (message == WM_GETDLGCODE && lParam && hasText) {
    // The window's dialog keys would take Escape as "close": while there is a filter, it is ours.
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE)
      return DefSubclassProc(hwnd, message, wParam, lParam) | DLGC_WANTMESSAGE;
  }
  if (escape && hasText) {
    if (message == WM_KEYDOWN) SetWindowTextW(hwnd, L"");
    return 0;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace tavion
