// The option pages hosted in a plain window: every caption fits its control and no two controls
// overlap, at 96 and 144 dots per inch; and what their controls change.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/handles_win.h"
#include "base/utf_win.h"
#include "settings/form.h"
#include "settings/settings.h"
#include "ui/about_page_win.h"
#include "ui/main_options_page_win.h"
#include "ui/osd_page_win.h"
#include "ui/player_page_win.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

bool IsClass(HWND hwnd, const wchar_t* name) {
  wchar_t found[64] = {};
  GetClassNameW(hwnd, found, 64);
  return _wcsicmp(found, name) == 0;
}

RECT RectIn(HWND parent, HWND child) {
  RECT r = {};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The widest line of `text` in `hwnd`'s font ("&&" is one "&", a lone "&" marks a key), and the
// height of its lines.
SIZE TextNeed(HWND hwnd, const std::wstring& text) {
  std::wstring shown;
  for (size_t i = 0; i < text.size(); ++i) shown += text[i] == L'&' ? text[++i] : text[i];
  const WindowDc dc(hwnd);
  const ScopedSelection font(dc.get(),
                             reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
  SIZE need = {0, 0};
  for (size_t start = 0, end = 0; start <= shown.size(); start = end + 2) {
    end = std::min(shown.find(L"\r\n", start), shown.size());
    SIZE line = {};
    GetTextExtentPoint32W(dc.get(), shown.c_str() + start, static_cast<int>(end - start), &line);
    need = {std::max(need.cx, line.cx), need.cy + line.cy};
  }
  return need;
}

// Faults of the page's layout, one line each.
std::vector<std::string> LayoutFaults(HWND page, int dpi) {
  std::vector<std::string> faults;
  std::vector<HWND> controls;
  for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) controls.push_back(child);
  if (controls.size() < 5) faults.push_back("hardly any controls");
  RECT area = {};
  GetClientRect(page, &area);
  for (HWND control : controls) {
    const std::wstring text = wine_test::WindowText(control);
    const std::string name = "'" + WideToUtf8(text) + "'";
    RECT client = {};
    GetClientRect(control, &client);
    if (RectIn(page, control).right > area.right) faults.push_back(name + " reaches past the page");
    std::vector<std::wstring> captions = {text};
    int room = client.right;
    if (IsClass(control, L"Button")) {
      // A themed check box's or radio button's inset, box and gap, a push button's frame, a
      // group box's corners.
      const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
      room -= MulDiv(type == BS_GROUPBOX ? 16 : type == BS_PUSHBUTTON ? 6 : 22, dpi, 96);
    } else if (IsClass(control, L"ComboBox")) {
      room -= GetSystemMetrics(SM_CXVSCROLL);
      captions.clear();
      for (int i = 0; i < SendMessageW(control, CB_GETCOUNT, 0, 0); ++i) {
        wchar_t item[256] = {};
        if (SendMessageW(control, CB_GETLBTEXTLEN, i, 0) < 255)
          SendMessageW(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        captions.push_back(item);
      }
    } else if (!IsClass(control, L"Static")) {
      continue;
    }
    for (const std::wstring& caption : captions) {
      const SIZE need = TextNeed(control, caption);
      if (need.cx > room || (IsClass(control, L"Static") && need.cy > client.bottom))
        faults.push_back(name + " cuts '" + WideToUtf8(caption) + "'");
    }
  }
  // Nothing overlaps but a group box and what lies wholly inside it, and spin arrows on the
  // border of their edit.
  const auto mayOverlap = [&](HWND outer, HWND inner) {
    const RECT o = RectIn(page, outer), i = RectIn(page, inner);
    const bool inside =
        i.left >= o.left && i.right <= o.right && i.top >= o.top && i.bottom <= o.bottom;
    return (IsClass(outer, L"Button") &&
            (GetWindowLongW(outer, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX && inside) ||
           (IsClass(outer, UPDOWN_CLASSW) &&
            reinterpret_cast<HWND>(SendMessageW(outer, UDM_GETBUDDY, 0, 0)) == inner);
  };
  for (HWND a : controls) {
    for (HWND b : controls) {
      const RECT ra = RectIn(page, a), rb = RectIn(page, b);
      RECT both = {};
      if (a < b && IntersectRect(&both, &ra, &rb) && !mayOverlap(a, b) && !mayOverlap(b, a))
        faults.push_back("'" + WideToUtf8(wine_test::WindowText(a)) + "' overlaps '" +
                         WideToUtf8(wine_test::WindowText(b)) + "'");
    }
  }
  return faults;
}

PageServices TestServices(HWND window) {
  PageServices services;
  services.window = window;
  services.fullVersion = "1.0.0.12", services.buildDate = "07.12.2026 14:48:32";
  return services;
}

TEST(OptionPages, EveryCaptionFitsAndNoControlsOverlapAt96And144Dpi) {
  for (auto* create :
       {&CreateAboutPage, &CreateMainOptionsPage, &CreatePlayerPage, &CreateOsdPage}) {
    for (const int dpi : {96, 144}) {
      // The main window's page area at its designed size.
      wine_test::TestWindow host({.width = MulDiv(470, dpi, 96), .height = MulDiv(420, dpi, 96)});
      std::unique_ptr<Page> page = create();
      ASSERT_TRUE(page->Create(host.hwnd(), TestServices(host.hwnd())));
      SCOPED_TRACE(WideToUtf8(page->Title()) + " at " + std::to_string(dpi));
      page->Layout(dpi);
      EXPECT_EQ(std::vector<std::string>{}, LayoutFaults(page->Handle(), dpi));
    }
  }
}

TEST(OptionPages, ClickedOptionsAreToldByNameAndTheOsdOnesGoToTheSettingsAtOnce) {
  wine_test::TestWindow host(
      {.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, .width = 600, .height = 500});
  std::vector<std::string> changed;
  PageServices services = TestServices(host.hwnd());
  services.optionChanged = [&](const std::string& name) { changed.push_back(name); };
  const std::unique_ptr<Page> main = CreateMainOptionsPage();
  ASSERT_TRUE(main->Create(host.hwnd(), services));
  const auto click = [](const Page& page, const wchar_t* caption) {
    SendMessageW(FindWindowExW(page.Handle(), nullptr, L"Button", caption), BM_CLICK, 0, 0);
  };
  click(*main, L"Show program icon in system tray");
  click(*main, L"Right only");
  EXPECT_EQ((std::vector<std::string>{"Opt_TrayIcon", "Opt_Mod_Proc"}), changed);
  // The keyboard reaches the last box, below the page's bottom: the page scrolls to it.
  ShowWindow(main->Handle(), SW_SHOW);
  HWND last = FindWindowExW(main->Handle(), nullptr, L"Button", L"Delay 8 seconds on autorun");
  RECT view = {};
  GetClientRect(main->Handle(), &view);
  ASSERT_GT(RectIn(main->Handle(), last).bottom, view.bottom);
  SetFocus(last);
  EXPECT_LE(RectIn(main->Handle(), last).bottom, view.bottom);

  ResetSettings();
  Settings().FullScr = false;
  Settings().PosX = 70;
  const std::unique_ptr<Page> osd = CreateOsdPage();
  ASSERT_TRUE(osd->Create(host.hwnd(), services));
  click(*osd, L"Ignore TaskBar size in osd position");
  EXPECT_EQ((std::tuple{true, true}), std::tuple(Settings().NoTaskBar, Settings().FullScr));
  FormControls& desk = *osd->Options();
  EXPECT_TRUE(desk.Checked(*desk.Find("cb_fullscr"))) << "the coupled box follows";
  osd->OnWindowStatus(3);
  EXPECT_EQ((std::tuple{5, 70, 5}),
            (std::tuple<int, int, int>(Settings().DPosition, Settings().PosX,
                                       desk.ItemIndex(*desk.Find("cb_pos")))))
      << "a dragged notification keeps its place";
}

}  // namespace
}  // namespace tavion
