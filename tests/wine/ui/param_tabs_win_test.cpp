// The action editor's parameter tabs in a plain window: what they load comes back when they
// store, with what the user changed in their controls; their enabling rules, checks and menu
// capture; their layout at 96 and 144 dots per inch.
#include <windows.h>

#include <gtest/gtest.h>

#include "actions/params.h"
#include "base/utf_win.h"
#include "native/registry_dump.h"
#include "ui/param_tab_win.h"
#include "wine/support/layout_check.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

// A tab of `code` made in `host` across its client area, laid out at `dpi` and shown.
std::unique_ptr<ParamTab> HostTab(HWND host, std::string_view code,
                                  const ParamTabContext& context = {}, int dpi = 96) {
  for (auto& tab : CreateParamTabs()) {
    if (tab->Code() != code || !tab->Create(host, context, 3000)) continue;
    RECT client = {};
    GetClientRect(host, &client);
    MoveWindow(tab->Handle(), 0, 0, client.right, client.bottom, FALSE);
    tab->Layout(dpi);
    ShowWindow(tab->Handle(), SW_SHOW);
    return std::move(tab);
  }
  return nullptr;
}

// The field a label names (it follows its caption), or a button by its caption.
HWND Field(HWND tab, const wchar_t* caption) {
  if (HWND label = FindWindowExW(tab, nullptr, L"Static", caption))
    return GetWindow(label, GW_HWNDNEXT);
  return FindWindowExW(tab, nullptr, L"Button", caption);
}

void Click(HWND tab, const wchar_t* caption) {
  SendMessageW(Field(tab, caption), BM_CLICK, 0, 0);
}

// Chooses entry `item` of the drop-down list `caption` names, as the user does.
void Choose(HWND tab, const wchar_t* caption, int item) {
  HWND combo = Field(tab, caption);
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
  SendMessageW(tab, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
}

std::vector<std::string> Stored(Persistent& params) {
  MemoryRegistry store;
  WriteObject(params, store, "", "P", /*load=*/false);
  return DumpTree(store, "P");
}

// Loads parameters made by `fill` into the tab of `code` and expects them back from Store; then
// `drive` acts as the user, and Store gives them with `change` made.
template <class Params, class Fill, class Drive, class Change>
void ExpectRoundTrip(const char* code, Fill fill, Drive drive, Change change) {
  SCOPED_TRACE(code);
  wine_test::TestWindow host({.width = 500, .height = 400});
  ParamTabContext context;
  context.macroNames = {"first", "second"};
  const auto tab = HostTab(host.hwnd(), code, context);
  ASSERT_NE(nullptr, tab);
  Params loaded, stored;
  fill(loaded);
  tab->Load(&loaded);
  tab->Store(stored);
  EXPECT_EQ(Stored(loaded), Stored(stored)) << "as loaded";
  drive(tab->Handle());
  change(loaded);
  tab->Store(stored);
  EXPECT_EQ(Stored(loaded), Stored(stored)) << "as changed";
}

TEST(ParamTabs, StoreWhatTheyLoadedWithTheUsersChanges) {
  ExpectRoundTrip<TActionParamsSExec>(
      "srun",
      [](auto& p) {
        p.Oper = "Print", p.Path = "C:\\x y.exe", p.Parm = "%input%", p.Fold = "%temp%";
        p.Show = 3, p.Switch = true;
      },
      [](HWND tab) {
        Choose(tab, L"Action type", 2);
        Choose(tab, L"Visibility flag", 10);
        Click(tab, L"Do not launch second program copy");
      },
      [](auto& p) { p.Oper = "Explore", p.Show = 10, p.Switch = false; });
  // A verb of the user's own is kept.
  ExpectRoundTrip<TActionParamsSExec>(
      "srun", [](auto& p) { p.Oper = "runas", p.Path = "cmd"; }, [](HWND) {}, [](auto&) {});
  ExpectRoundTrip<TActionParamsSMsg>(
      "ms_wmsg",
      [](auto& p) {
        p.AddWindow("Notepad", "");
        p.SMsg = 273, p.Wprm = 40001, p.Lprm = -1;
      },
      [](HWND tab) {
        Choose(tab, L"Type of window", 3);
        SetWindowTextW(Field(tab, L"wParam"), L" 4294967294 ");
      },
      [](auto& p) { p.Mode = 3, p.Wprm = -2; });
  ExpectRoundTrip<TActionParamsMacr>(
      "mc_play", [](auto& p) { p.Name = "second"; },
      [](HWND tab) { Choose(tab, L"Macros name", 0); }, [](auto& p) { p.Name = "first"; });
  ExpectRoundTrip<TActionParamsMacrText>(
      "mc_text",
      [](auto& p) {
        p.Mode = 1, p.Text = "one\r\ntwo", p.FileName = "C:\\t.txt", p.FileEncoding = 1;
      },
      [](HWND tab) { Click(tab, L"Type this text:"); }, [](auto& p) { p.Mode = 0; });
  ExpectRoundTrip<TActionParamsAlfa>(
      "wm_alfa", [](auto& p) { p.Mode = 2, p.Value = 200; },
      [](HWND tab) { Click(tab, L"Decrease window transparency"); }, [](auto& p) { p.Mode = 1; });
  ExpectRoundTrip<TActionParamsScroll>(
      "wm_scroll", [](auto& p) { p.Mode = 4, p.hWndType = 1, p.Speed = 7, p.Pages = false; },
      [](HWND tab) {
        Choose(tab, L"Action", 1);
        SendMessageW(Field(tab, L"Scroll speed"), WM_KEYDOWN, VK_RIGHT, 0);
      },
      [](auto& p) { p.Mode = 1, p.Speed = 8; });
}

TEST(ParamTabs, ReplacementKeyAndLanguageComeBackAndLoadingRenamesNothing) {
  wine_test::TestWindow host({.width = 500, .height = 300});
  std::vector<std::string> chosen;
  ParamTabContext context;
  context.replacementKeyChosen = [&](const std::string& text) { chosen.push_back(text); };
  const auto tab = HostTab(host.hwnd(), "ke_keyz", context);
  constexpr uint32_t kKeyA = PackHotKey('A', 0x1E, 0, 0);
  const auto installed = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(GetKeyboardLayout(0)));
  // A layout no longer installed is kept too.
  for (const uint32_t lang : {0u, installed, 0x0BAD0BADu}) {
    TActionParamsRKey loaded, stored;
    loaded.Key.SetHKey(kKeyA);
    loaded.Lang = lang;
    tab->Load(&loaded);
    tab->Store(stored);
    EXPECT_EQ(std::pair(kKeyA, lang), std::pair(stored.Key.HKey(), stored.Lang));
    EXPECT_FALSE(stored.Key.KeyPolyglot().empty());
  }
  EXPECT_EQ(std::vector<std::string>{}, chosen);
}

TEST(ParamTabs, ChecksGiveTheMessageAndTheFieldToFix) {
  wine_test::TestWindow host({.width = 500, .height = 400});
  const auto tab = HostTab(host.hwnd(), "ms_wmsg");
  TActionParamsSMsg params;
  params.Mode = 2, params.SMsg = -1;
  tab->Load(&params);
  EXPECT_FALSE(tab->Check()) << "a stored -1 reads back as 4294967295";
  SetWindowTextW(Field(tab->Handle(), L"lParam"), L"-1");
  const auto failure = tab->Check();
  ASSERT_TRUE(failure);
  EXPECT_EQ(
      std::pair(std::string("LParam must be decimal number."), Field(tab->Handle(), L"lParam")),
      std::pair(failure->message, failure->control));

  const auto text = HostTab(host.hwnd(), "mc_text");
  TActionParamsMacrText missing;
  missing.Mode = 1, missing.FileName = "Z:\\no such file";
  text->Load(&missing);
  ASSERT_TRUE(text->Check());
  EXPECT_EQ("File not found - Z:\\no such file", text->Check()->message);
}

TEST(ParamTabs, ControlsAreEnabledByTheChoicesThatGiveThemMeaning) {
  wine_test::TestWindow host({.width = 500, .height = 400});
  const auto scroll = HostTab(host.hwnd(), "wm_scroll");
  scroll->Load(nullptr);
  HWND tab = scroll->Handle();
  HWND speed = Field(tab, L"Scroll speed");
  HWND pages = Field(tab, L"Scrooll pages (fast scroll)");
  const auto enabled = [&] {
    return std::pair<bool, bool>(IsWindowEnabled(speed), IsWindowEnabled(pages));
  };
  Choose(tab, L"Action", 2);
  EXPECT_EQ(std::pair(false, false), enabled()) << "zoom";
  Choose(tab, L"Action", 1);
  EXPECT_EQ(std::pair(false, true), enabled()) << "pages";
  SendMessageW(pages, BM_CLICK, 0, 0);
  EXPECT_EQ(std::pair(true, true), enabled()) << "lines";

  ParamTabContext context;
  context.pickWindow = [](std::string& cls, std::string&) {
    cls = "Picked";
    return true;
  };
  const auto message = HostTab(host.hwnd(), "ms_wmsg", context);
  message->Load(nullptr);
  tab = message->Handle();
  HWND browse = Field(tab, L"Browse...");
  SendMessageW(browse, BM_CLICK, 0, 0);
  EXPECT_NE(nullptr, FindWindowExW(tab, nullptr, L"Static", L"Class: Picked"));
  EXPECT_FALSE(message->Check()) << "the picked window is the target";
  Choose(tab, L"Type of window", 1);
  EXPECT_FALSE(IsWindowEnabled(browse));
  Choose(tab, L"Type of window", 0);
  EXPECT_TRUE(IsWindowEnabled(browse));
}

TEST(ParamTabs, MenuCaptureFillsTheMessageOnlyWhileHooked) {
  wine_test::TestWindow host({.width = 500, .height = 400});
  const auto tab = HostTab(host.hwnd(), "ms_wmsg");
  tab->Load(nullptr);
  const auto text = [&](const wchar_t* field) {
    return WideToUtf8(wine_test::WindowText(Field(tab->Handle(), field)));
  };
  EXPECT_FALSE(tab->OnMenuCapture(0x465, 273, 0));
  EXPECT_EQ("0", text(L"Message"));
  Click(tab->Handle(), L"Hook menu press");
  EXPECT_TRUE(tab->OnMenuCapture(0x465, static_cast<WPARAM>(0x1'0000'0111), 0));
  EXPECT_TRUE(tab->OnMenuCapture(0x466, 40001, -2));
  EXPECT_FALSE(tab->OnMenuCapture(0x467, 5, 5));
  EXPECT_EQ((std::vector<std::string>{"273", "40001", "4294967294"}),
            (std::vector{text(L"Message"), text(L"wParam"), text(L"lParam")}));
}

TEST(ParamTabs, EveryTabLaysOutUnclippedAt96And144Dpi) {
  for (const auto& probe : CreateParamTabs()) {
    for (const int dpi : {96, 144}) {
      const std::string code(probe->Code());
      SCOPED_TRACE(code + " at " + std::to_string(dpi));
      const DWORD style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
      wine_test::TestWindow host({.caption = Utf8ToWide("ts_" + code).c_str(), .style = style});
      ParamTabContext context;
      context.macroNames = {"A rather long macro name"};
      const auto sized = HostTab(host.hwnd(), code, context);
      // Sized as the tab asks, as the editor sizes it.
      const SIZE need = sized->NeededSize(dpi);
      RECT frame = {0, 0, std::max<LONG>(need.cx, MulDiv(360, dpi, 96)), need.cy};
      AdjustWindowRectEx(&frame, style, FALSE, 0);
      SetWindowPos(host.hwnd(), nullptr, 40, 40, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOZORDER);
      RECT client = {};
      GetClientRect(host.hwnd(), &client);
      MoveWindow(sized->Handle(), 0, 0, client.right, client.bottom, FALSE);
      sized->Load(nullptr);
      sized->Layout(dpi);
      EXPECT_EQ(std::vector<std::string>{}, wine_test::LayoutFaults(sized->Handle(), dpi, 2));
      for (HWND child = GetWindow(sized->Handle(), GW_CHILD); child;
           child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child)) {
          EXPECT_LE(wine_test::RectIn(sized->Handle(), child).bottom, client.bottom);
        }
      }
      if (GetEnvironmentVariableW(L"TAVION_SCREENSHOTS", nullptr, 0)) {
        RedrawWindow(host.hwnd(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        wine_test::SaveScreenshot("tab-" + code + "-" + std::to_string(dpi));
      }
    }
  }
}

}  // namespace
}  // namespace tavion
