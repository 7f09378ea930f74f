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
#include "wine/support/layout_check.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

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
      EXPECT_EQ(std::vector<std::string>{}, wine_test::LayoutFaults(page->Handle(), dpi));
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
  ASSERT_GT(wine_test::RectIn(main->Handle(), last).bottom, view.bottom);
  SetFocus(last);
  EXPECT_LE(wine_test::RectIn(main->Handle(), last).bottom, view.bottom);

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
