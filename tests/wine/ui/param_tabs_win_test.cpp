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

// A tab of `code` made in `host` across its client area, laid out and shown.
std::unique_ptr<ParamTab> HostTab(HWND host, std::string_view code,
                                  const ParamTabContext& context = {}) {
  for (auto& tab : CreateParamTabs()) {
    if (tab->Code() != code || !tab->Create(host, context, 3000)) continue;
    RECT client = {};
    GetClientRect(host, &client);
    MoveWindow(tab->Handle(), 0, 0, client.right, client.bottom, FALSE);
    tab->Layout(96);
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
  context.pickWindow = [](std::string& windowClass, std::string&) {
    windowClass = "Picked";
    return true;
  };
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
        Click(tab, L"Browse...");
        Choose(tab, L"Type of window", 3);
        EXPECT_FALSE(IsWindowEnabled(Field(tab, L"Browse..."))) << "a window of its own only";
        SetWindowTextW(Field(tab, L"wParam"), L" 4294967294 ");
      },
      [](auto& p) {
        p.AddWindow("Picked", "");
        p.Mode = 3, p.Wprm = -2;
      });
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
        HWND speed = Field(tab, L"Scroll speed"), fast = Field(tab, L"Scrooll pages (fast scroll)");
        Choose(tab, L"Action", 2);
        EXPECT_FALSE(IsWindowEnabled(speed) || IsWindowEnabled(fast)) << "zoom";
        Choose(tab, L"Action", 1);
        SendMessageW(speed, WM_KEYDOWN, VK_RIGHT, 0);
        Click(tab, L"Scrooll pages (fast scroll)");
        EXPECT_EQ(std::pair(FALSE, TRUE), std::pair(IsWindowEnabled(speed), IsWindowEnabled(fast)))
            << "fast scroll";
      },
      [](auto& p) { p.Mode = 1, p.Speed = 8, p.Pages = true; });
}

TEST(ParamTabs, ReplacementKeyAndLanguageComeBackAndLoadingRenamesNothing) {
  wine_test::TestWindow host({.width = 500, .height = 300});
  bool renamed = false;
  ParamTabContext context;
  context.replacementKeyChosen = [&](const std::string&) { renamed = true; };
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
  EXPECT_FALSE(renamed);
}

TEST(ParamTabs, MessageTabTakesMenuCommandsWhileHookedAndChecksNameTheFieldToFix) {
  wine_test::TestWindow host({.width = 500, .height = 400});
  const auto message = HostTab(host.hwnd(), "ms_wmsg");
  message->Load(nullptr);
  HWND tab = message->Handle();
  EXPECT_FALSE(message->OnMenuCapture(0x465, 273, 0));
  Click(tab, L"Hook menu press");
  EXPECT_TRUE(message->OnMenuCapture(0x465, static_cast<WPARAM>(0x1'0000'0111), 0));
  EXPECT_TRUE(message->OnMenuCapture(0x466, 40001, -2));
  EXPECT_FALSE(message->OnMenuCapture(0x467, 5, 5));
  std::vector<std::string> shown;
  for (const wchar_t* field : {L"Message", L"wParam", L"lParam"})
    shown.push_back(WideToUtf8(wine_test::WindowText(Field(tab, field))));
  EXPECT_EQ((std::vector<std::string>{"273", "40001", "4294967294"}), shown);

  Choose(tab, L"Type of window", 1);
  SetWindowTextW(Field(tab, L"lParam"), L"-1");
  const auto failure = message->Check().value_or(ParamCheckFailure{});
  EXPECT_EQ(std::pair(std::string("LParam must be decimal number."), Field(tab, L"lParam")),
            std::pair(failure.message, failure.control));
  const auto text = HostTab(host.hwnd(), "mc_text");
  TActionParamsMacrText missing;
  missing.Mode = 1, missing.FileName = "Z:\\no such file";
  text->Load(&missing);
  EXPECT_EQ("File not found - Z:\\no such file",
            text->Check().value_or(ParamCheckFailure{}).message);
}

TEST(ParamTabs, EveryTabLaysOutUnclippedAt96And144Dpi) {
  ParamTabContext context;
  context.macroNames = {"A rather long macro name"};
  for (const auto& probe : CreateParamTabs()) {
    for (const int dpi : {96, 144}) {
      SCOPED_TRACE(std::string(probe->Code()) + " at " + std::to_string(dpi));
      wine_test::TestWindow host({.style = WS_POPUP | WS_VISIBLE});
      const auto tab = HostTab(host.hwnd(), probe->Code(), context);
      // Sized as the tab asks, as the editor sizes it.
      const SIZE need = tab->NeededSize(dpi);
      const int width = std::max<int>(need.cx, MulDiv(360, dpi, 96));
      MoveWindow(tab->Handle(), 0, 0, width, need.cy, FALSE);
      tab->Load(nullptr);
      tab->Layout(dpi);
      EXPECT_EQ(std::vector<std::string>{}, wine_test::LayoutFaults(tab->Handle(), dpi, 2));
      for (HWND child = GetWindow(tab->Handle(), GW_CHILD); child;
           child = GetWindow(child, GW_HWNDNEXT))
        EXPECT_LE(IsWindowVisible(child) ? wine_test::RectIn(tab->Handle(), child).bottom : 0,
                  need.cy);
    }
  }
}

}  // namespace
}  // namespace tavion
