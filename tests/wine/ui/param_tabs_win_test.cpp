// The action editor's parameter tabs in a plain window: what they load comes back when they
// store, what the user changes in their controls is stored, their enabling rules and checks, and
// their layout at 96 and 144 dots per inch.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "actions/params.h"
#include "base/utf_win.h"
#include "native/registry_dump.h"
#include "settings/registry.h"
#include "ui/param_tab_win.h"
#include "wine/support/layout_check.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

constexpr int kFirstId = 3000;

std::unique_ptr<ParamTab> MakeTab(std::string_view code) {
  for (auto& tab : CreateParamTabs())
    if (tab->Code() == code) return std::move(tab);
  return nullptr;
}

// A tab of `code` made in `host`, across its client area.
std::unique_ptr<ParamTab> HostTab(HWND host, std::string_view code, const ParamTabContext& context,
                                  int dpi = 96) {
  std::unique_ptr<ParamTab> tab = MakeTab(code);
  if (!tab || !tab->Create(host, context, kFirstId)) return nullptr;
  RECT client = {};
  GetClientRect(host, &client);
  MoveWindow(tab->Handle(), 0, 0, client.right, client.bottom, FALSE);
  tab->Layout(dpi);
  ShowWindow(tab->Handle(), SW_SHOW);
  return tab;
}

// The field a label names (it follows its caption), or a button or check box by its caption.
HWND Field(HWND tab, const wchar_t* caption) {
  if (HWND label = FindWindowExW(tab, nullptr, L"Static", caption))
    return GetWindow(label, GW_HWNDNEXT);
  return FindWindowExW(tab, nullptr, L"Button", caption);
}

// Chooses entry `item` of a drop-down list as the user does: the parent hears of it.
void Choose(HWND combo, int item) {
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
  SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
}

void Type(HWND edit, const wchar_t* text) {
  SetWindowTextW(edit, text);
}

// The stored values of a parameter object.
std::vector<std::string> Stored(Persistent& params) {
  MemoryRegistry store;
  WriteObject(params, store, "", "P", /*load=*/false);
  return DumpTree(store, "P");
}

struct RoundTrip {
  const char* code;
  std::function<std::unique_ptr<Persistent>()> make;  // the parameters loaded
  std::function<void(HWND tab)> drive;                // what the user then changes
  std::function<void(Persistent&)> change;            // the same change on the parameters
};

template <class Params>
std::function<std::unique_ptr<Persistent>()> Make(std::function<void(Params&)> fill) {
  return [fill] {
    auto params = std::make_unique<Params>();
    fill(*params);
    return params;
  };
}

template <class Params>
std::function<void(Persistent&)> Change(std::function<void(Params&)> change) {
  return [change](Persistent& params) { change(dynamic_cast<Params&>(params)); };
}

TEST(ParamTabs, StoreWhatTheyLoadedWithTheUsersChanges) {
  const auto none = [](HWND) {};
  const RoundTrip cases[] = {
      {"srun", Make<TActionParamsSExec>([](auto& p) {
         p.Oper = "Print", p.Path = "C:\\x y.exe", p.Parm = "%input%", p.Fold = "%temp%";
         p.Show = 3, p.Switch = true;
       }),
       [](HWND tab) {
         Choose(Field(tab, L"Action type"), 2);
         SendMessageW(Field(tab, L"Do not launch second program copy"), BM_CLICK, 0, 0);
         Choose(Field(tab, L"Visibility flag"), 10);
       },
       Change<TActionParamsSExec>(
           [](auto& p) { p.Oper = "Explore", p.Switch = false, p.Show = 10; })},
      {"srun", Make<TActionParamsSExec>([](auto& p) { p.Oper = "runas", p.Path = "cmd"; }), none,
       nullptr},
      {"ms_wmsg", Make<TActionParamsSMsg>([](auto& p) {
         p.AddWindow("Notepad", "");
         p.SMsg = 273, p.Wprm = 40001, p.Lprm = -1;
       }),
       [](HWND tab) {
         Choose(Field(tab, L"Type of window"), 3);
         Type(Field(tab, L"wParam"), L" 4294967294 ");
       },
       Change<TActionParamsSMsg>([](auto& p) { p.Mode = 3, p.Wprm = -2; })},
      {"mc_play", Make<TActionParamsMacr>([](auto& p) { p.Name = "second"; }),
       [](HWND tab) { Choose(Field(tab, L"Macros name"), 0); },
       Change<TActionParamsMacr>([](auto& p) { p.Name = "first"; })},
      {"mc_text", Make<TActionParamsMacrText>([](auto& p) {
         p.Mode = 1, p.Text = "one\r\ntwo", p.FileName = "C:\\t.txt", p.FileEncoding = 1;
       }),
       [](HWND tab) {
         SendMessageW(FindWindowExW(tab, nullptr, L"Button", L"Type this text:"), BM_CLICK, 0, 0);
       },
       Change<TActionParamsMacrText>([](auto& p) { p.Mode = 0; })},
      {"wm_alfa", Make<TActionParamsAlfa>([](auto& p) { p.Mode = 2, p.Value = 200; }),
       [](HWND tab) {
         SendMessageW(FindWindowExW(tab, nullptr, L"Button", L"Decrease window transparency"),
                      BM_CLICK, 0, 0);
       },
       Change<TActionParamsAlfa>([](auto& p) { p.Mode = 1; })},
      {"wm_scroll", Make<TActionParamsScroll>([](auto& p) {
         p.Mode = 4, p.hWndType = 1, p.Speed = 7, p.Pages = false;
       }),
       [](HWND tab) {
         Choose(Field(tab, L"Action"), 1);
         SendMessageW(Field(tab, L"Scroll speed"), WM_KEYDOWN, VK_RIGHT, 0);
       },
       Change<TActionParamsScroll>([](auto& p) { p.Mode = 1, p.Speed = 8; })},
  };
  wine_test::TestWindow host({.width = 500, .height = 400});
  ParamTabContext context;
  context.macroNames = {"first", "second"};
  for (const RoundTrip& row : cases) {
    SCOPED_TRACE(row.code);
    const std::unique_ptr<ParamTab> tab = HostTab(host.hwnd(), row.code, context);
    ASSERT_NE(nullptr, tab);
    const std::unique_ptr<Persistent> loaded = row.make();
    tab->Load(loaded.get());
    std::unique_ptr<Persistent> stored = row.make();
    tab->Store(*stored);
    EXPECT_EQ(Stored(*loaded), Stored(*stored)) << "unchanged";
    row.drive(tab->Handle());
    if (row.change) row.change(*loaded);
    tab->Store(*stored);
    EXPECT_EQ(Stored(*loaded), Stored(*stored)) << "changed";
  }
}

TEST(ParamTabs, ReplacementKeyAndLanguageComeBackAndLoadingRenamesNothing) {
  wine_test::TestWindow host({.width = 500, .height = 300});
  ParamTabContext context;
  std::vector<std::string> chosen;
  context.replacementKeyChosen = [&](const std::string& text) { chosen.push_back(text); };
  const std::unique_ptr<ParamTab> tab = HostTab(host.hwnd(), "ke_keyz", context);
  ASSERT_NE(nullptr, tab);
  const HKL installed = GetKeyboardLayout(0);
  constexpr uint32_t kKeyA = PackHotKey('A', 0x1E, 0, 0);
  for (const uint32_t lang :
       {0u, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(installed)), 0x0BAD0BADu}) {
    TActionParamsRKey loaded;
    loaded.Key.SetHKey(kKeyA);
    loaded.Lang = lang;
    tab->Load(&loaded);
    TActionParamsRKey stored;
    tab->Store(stored);
    EXPECT_EQ(std::pair(kKeyA, lang), std::pair(stored.Key.HKey(), stored.Lang));
    EXPECT_FALSE(stored.Key.KeyPolyglot().empty());
  }
  EXPECT_EQ(std::vector<std::string>{}, chosen);
}

TEST(ParamTabs, ChecksReportTheMessageAndTheControlToFocus) {
  wine_test::TestWindow host({.width = 500, .height = 400});
  ParamTabContext context;
  context.macroNames = {"first"};
  struct Case {
    const char* code;
    std::function<std::unique_ptr<Persistent>()> make;
    const wchar_t* field;  // the control to be focused
    const char* message;
  };
  const Case cases[] = {
      {"srun", Make<TActionParamsSExec>([](auto&) {}), L"File or folder",
       "Input command or path to file"},
      {"ms_wmsg", Make<TActionParamsSMsg>([](auto& p) { p.Mode = 1, p.SMsg = -1; }), nullptr,
       nullptr},
      {"mc_play", Make<TActionParamsMacr>([](auto& p) { p.Name = "gone"; }), L"Macros name",
       "Macros not selected."},
      {"mc_text", Make<TActionParamsMacrText>([](auto& p) { p.Mode = 1, p.FileName = "Z:\\no"; }),
       nullptr, "File not found - Z:\\no"},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.code);
    const std::unique_ptr<ParamTab> tab = HostTab(host.hwnd(), row.code, context);
    ASSERT_NE(nullptr, tab);
    const auto params = row.make();
    tab->Load(params.get());
    const std::optional<ParamCheckFailure> failure = tab->Check();
    if (!row.message) {
      EXPECT_FALSE(failure) << "a stored -1 reads back as 4294967295";
      continue;
    }
    ASSERT_TRUE(failure);
    EXPECT_EQ(row.message, failure->message);
    if (row.field) {
      EXPECT_EQ(Field(tab->Handle(), row.field), failure->control);
    }
    EXPECT_NE(nullptr, failure->control);
  }
  // A typed number that is not one is refused, and its field is the one to fix.
  const std::unique_ptr<ParamTab> message = HostTab(host.hwnd(), "ms_wmsg", context);
  TActionParamsSMsg any;
  any.Mode = 2;
  message->Load(&any);
  Type(Field(message->Handle(), L"lParam"), L"-1");
  const auto failure = message->Check();
  ASSERT_TRUE(failure);
  EXPECT_EQ(
      std::pair(std::string("LParam must be decimal number."), Field(message->Handle(), L"lParam")),
      std::pair(failure->message, failure->control));
}

TEST(ParamTabs, ControlsAreEnabledByTheChoicesThatGiveThemMeaning) {
  wine_test::TestWindow host({.width = 500, .height = 400});
  ParamTabContext context;
  context.pickWindow = [](std::string& cls, std::string& caption) {
    cls = "Picked", caption = "Title";
    return true;
  };
  const std::unique_ptr<ParamTab> scroll = HostTab(host.hwnd(), "wm_scroll", context);
  scroll->Load(nullptr);
  HWND tab = scroll->Handle();
  HWND speed = Field(tab, L"Scroll speed");
  HWND pages = Field(tab, L"Scrooll pages (fast scroll)");
  const auto enabled = [&] {
    return std::pair<bool, bool>(IsWindowEnabled(speed), IsWindowEnabled(pages));
  };
  const std::tuple<int, bool, std::pair<bool, bool>> steps[] = {{2, false, {false, false}},
                                                                {1, false, {true, true}},
                                                                {1, true, {false, true}},
                                                                {5, true, {false, false}},
                                                                {3, false, {true, true}}};
  for (const auto& [mode, ticked, expected] : steps) {
    Choose(Field(tab, L"Action"), mode);
    if ((SendMessageW(pages, BM_GETCHECK, 0, 0) == BST_CHECKED) != ticked)
      SendMessageW(pages, BM_CLICK, 0, 0);
    EXPECT_EQ(expected, enabled()) << mode << ticked;
  }

  const std::unique_ptr<ParamTab> message = HostTab(host.hwnd(), "ms_wmsg", context);
  message->Load(nullptr);
  HWND browse = Field(message->Handle(), L"Browse...");
  EXPECT_TRUE(IsWindowEnabled(browse));
  SendMessageW(browse, BM_CLICK, 0, 0);
  EXPECT_NE(nullptr, FindWindowExW(message->Handle(), nullptr, L"Static", L"Class: Picked"));
  Choose(Field(message->Handle(), L"Type of window"), 1);
  EXPECT_FALSE(IsWindowEnabled(browse));
  Choose(Field(message->Handle(), L"Type of window"), 0);
  EXPECT_TRUE(IsWindowEnabled(browse));
  EXPECT_FALSE(message->Check()) << "the picked window is the target";
}

TEST(ParamTabs, MenuCaptureFillsTheMessageOnlyWhileHooked) {
  wine_test::TestWindow host({.width = 500, .height = 400});
  const std::unique_ptr<ParamTab> tab = HostTab(host.hwnd(), "ms_wmsg", {});
  tab->Load(nullptr);
  const auto text = [&](const wchar_t* field) {
    return WideToUtf8(wine_test::WindowText(Field(tab->Handle(), field)));
  };
  EXPECT_FALSE(tab->OnMenuCapture(0x465, 273, 0));
  EXPECT_EQ("0", text(L"Message"));
  SendMessageW(Field(tab->Handle(), L"Hook menu press"), BM_CLICK, 0, 0);
  EXPECT_TRUE(tab->OnMenuCapture(0x465, 273, 0));
  EXPECT_TRUE(tab->OnMenuCapture(0x466, 40001, static_cast<LPARAM>(-2)));
  EXPECT_EQ((std::vector<std::string>{"273", "40001", "4294967294"}),
            (std::vector{text(L"Message"), text(L"wParam"), text(L"lParam")}));
}

TEST(ParamTabs, EveryTabLaysOutUnclippedAt96And144Dpi) {
  ParamTabContext context;
  context.macroNames = {"A macro with a rather long name"};
  for (auto& probe : CreateParamTabs()) {
    for (const int dpi : {96, 144}) {
      const std::string code(probe->Code());
      SCOPED_TRACE(code + " at " + std::to_string(dpi));
      // Sized as the tab asks, as the editor does.
      wine_test::TestWindow host({.caption = Utf8ToWide("ts_" + code).c_str(),
                                  .style = WS_POPUP | WS_CAPTION | WS_VISIBLE,
                                  .width = 100,
                                  .height = 100});
      std::unique_ptr<ParamTab> tab = MakeTab(code);
      ASSERT_TRUE(tab->Create(host.hwnd(), context, kFirstId));
      const SIZE need = tab->NeededSize(dpi);
      RECT frame = {0, 0, std::max<LONG>(need.cx, MulDiv(360, dpi, 96)), need.cy};
      AdjustWindowRectEx(&frame, WS_POPUP | WS_CAPTION, FALSE, 0);
      SetWindowPos(host.hwnd(), nullptr, 40, 40, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOZORDER);
      RECT client = {};
      GetClientRect(host.hwnd(), &client);
      MoveWindow(tab->Handle(), 0, 0, client.right, client.bottom, FALSE);
      tab->Load(nullptr);
      tab->Layout(dpi);
      ShowWindow(tab->Handle(), SW_SHOW);
      EXPECT_EQ(std::vector<std::string>{}, wine_test::LayoutFaults(tab->Handle(), dpi, 2));
      for (HWND child = GetWindow(tab->Handle(), GW_CHILD); child;
           child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child)) {
          EXPECT_LE(wine_test::RectIn(tab->Handle(), child).bottom, client.bottom);
        }
      }
      if (GetEnvironmentVariableW(L"TAVION_SCREENSHOTS", nullptr, 0)) {
        RedrawWindow(host.hwnd(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        wine_test::PumpPending();
        wine_test::SaveScreenshot("tab-" + code + "-" + std::to_string(dpi));
      }
    }
  }
}

}  // namespace
}  // namespace tavion
