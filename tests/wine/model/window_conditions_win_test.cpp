#include "actions/window_system_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "actions/exec_on.h"
#include "base/utf_win.h"
#include "pipeline/sidekit_library_win.h"

namespace tavion {
namespace {

// A visible top-level window of this thread with its own class, destroyed with the object.
class TestWindow {
 public:
  TestWindow(const std::wstring& className, const std::wstring& caption) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className.c_str();
    // The class stays registered for the other tests once made.
    RegisterClassExW(&wc);
    hwnd_ = CreateWindowExW(0, className.c_str(), caption.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                            100, 100, 300, 200, /*hWndParent=*/nullptr, /*hMenu=*/nullptr,
                            wc.hInstance, /*lpParam=*/nullptr);
    Pump();
  }
  ~TestWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  WindowHandle handle() const { return ToWindowHandle(hwnd_); }

  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }

 private:
  HWND hwnd_ = nullptr;
};

// Brings `window` to the foreground the ordinary way and waits until the system says so.
bool MakeForeground(HWND window) {
  for (int i = 0; i < 100; ++i) {
    SetForegroundWindow(window);
    TestWindow::Pump();
    if (GetForegroundWindow() == window) return true;
    Sleep(10);
  }
  return false;
}

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\'));
}

TActionExecOnWItem Item(std::initializer_list<std::pair<const char*, std::string>> pairs) {
  TActionExecOnWItem item;
  for (const auto& [windowClass, caption] : pairs) item.AddWindow(windowClass, caption);
  item.Enbl = true;
  return item;
}

TEST(Win32WindowSystem, ReadsClassNamesAndCaptions) {
  const TestWindow plain(L"TavionModelPlain", L"Model test - plain");
  const TestWindow accented(L"TavionModel\u00C9t\u00E9", L"Gr\u00F6\u00DFe \u2013 \u00DCbersicht");
  const Win32WindowSystem windows;
  EXPECT_EQ("TavionModelPlain", windows.ClassName(plain.handle()));
  EXPECT_EQ("Model test - plain", windows.Caption(plain.handle()));
  EXPECT_EQ("TavionModel\xC3\x89t\xC3\xA9", windows.ClassName(accented.handle()));
  EXPECT_EQ(
      "Gr\xC3\xB6\xC3\x9F"
      "e \xE2\x80\x93 \xC3\x9C"
      "bersicht",
      windows.Caption(accented.handle()));
  EXPECT_EQ("", windows.ClassName(0));
  EXPECT_EQ("", windows.Caption(0));
}

TEST(Win32WindowSystem, CutsCaptionsTo255Characters) {
  // Class names cannot be longer: the system keeps them as atoms.
  const std::wstring longCaption(300, L'\u00E9');
  const TestWindow window(L"TavionModelLong", longCaption);
  ASSERT_NE(nullptr, window.hwnd());
  const Win32WindowSystem windows;
  EXPECT_EQ(WideToUtf8(std::wstring(255, L'\u00E9')), windows.Caption(window.handle()));

  // So a condition naming the whole caption does not match it, but one naming 255 characters does.
  constexpr uint8_t kExact = kMatchAbsent;
  TMyWindow list(kExact);
  EXPECT_FALSE(list.MatchWindow("nil", WideToUtf8(longCaption), window.handle(), windows));
  EXPECT_TRUE(
      list.MatchWindow("nil", WideToUtf8(std::wstring(255, L'\u00E9')), window.handle(), windows));
}

TEST(Win32WindowSystem, ListsTopLevelWindowsInZOrder) {
  const TestWindow lower(L"TavionModelLower", L"lower");
  const TestWindow upper(L"TavionModelUpper", L"upper");
  ASSERT_TRUE(SetWindowPos(upper.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
  const Win32WindowSystem windows;
  std::vector<WindowHandle> all = windows.TopLevelWindows();
  const auto at = [&](const TestWindow& w) {
    return std::find(all.begin(), all.end(), w.handle());
  };
  ASSERT_NE(all.end(), at(lower));
  ASSERT_NE(all.end(), at(upper));
  EXPECT_LT(at(upper), at(lower));

  ASSERT_TRUE(SetWindowPos(lower.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
  all = windows.TopLevelWindows();
  EXPECT_LT(at(lower), at(upper));
}

TEST(WindowConditions, ActiveWindowByClassCaptionAndMask) {
  const TestWindow editor(L"TavionModelEditor", L"notes.txt - Model Editor");
  const TestWindow other(L"TavionModelOther", L"Something else");
  ASSERT_TRUE(MakeForeground(editor.hwnd()));
  const Win32WindowSystem windows;

  EXPECT_TRUE(Item({{"TavionModelEditor", "nil"}}).IfActive(windows));
  EXPECT_TRUE(Item({{"nil", "%*%model editor"}}).IfActive(windows));
  EXPECT_TRUE(Item({{"TavionModel%*%", "notes.txt%*%"}}).IfActive(windows));
  EXPECT_FALSE(Item({{"TavionModelOther", "nil"}}).IfActive(windows));
  EXPECT_TRUE(Item({{"TavionModelOther", "nil"}}).IfNotActive(windows));
  EXPECT_FALSE(Item({{"nil", "notes.txt"}}).IfActive(windows)) << "a mask matches the whole text";

  ASSERT_TRUE(MakeForeground(other.hwnd()));
  EXPECT_FALSE(Item({{"TavionModelEditor", "nil"}}).IfActive(windows));
  EXPECT_TRUE(Item({{"TavionModelEditor", "nil"}}).IfNotActive(windows));
}

TEST(WindowConditions, ExistingWindows) {
  const TestWindow player(L"TavionModelPlayer", L"1. Artist - Title - Player");
  Win32WindowSystem windows;
  EXPECT_TRUE(Item({{"TavionModelPlayer", "nil"}}).IfExists(windows, /*activate=*/false));
  EXPECT_TRUE(Item({{"nil", "%*% - Player"}}).IfExists(windows, /*activate=*/false));
  EXPECT_FALSE(Item({{"nil", "%*% - Player"}}).IfNotExists(windows));
  EXPECT_FALSE(Item({{"TavionModelMissing", "nil"}}).IfExists(windows, /*activate=*/false));
  EXPECT_TRUE(Item({{"TavionModelMissing", "nil"}}).IfNotExists(windows));
}

// Raising through the support library and through SetForegroundWindow.
class SetFocusBeforeStart : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam()) {
      ASSERT_TRUE(sidekit_.Load(ProgramFolder().c_str()));
      ASSERT_NE(nullptr, sidekit_.ForceForegroundWindow);
    }
  }
  Win32WindowSystem System() {
    return Win32WindowSystem(GetParam() ? sidekit_.ForceForegroundWindow : nullptr);
  }

  SidekitLibrary sidekit_;
};

TEST_P(SetFocusBeforeStart, BringsTheFirstNamedWindowToTheForeground) {
  const TestWindow target(L"TavionModelTarget", L"Target window");
  const TestWindow second(L"TavionModelTarget", L"Second target");
  const TestWindow current(L"TavionModelCurrent", L"Current window");
  ASSERT_TRUE(MakeForeground(current.hwnd()));
  Win32WindowSystem windows = System();

  // Of two windows that a pair names, the upper one.
  EXPECT_TRUE(Item({{"TavionModelTarget", "nil"}}).IfExists(windows, /*activate=*/true));
  TestWindow::Pump();
  EXPECT_EQ(second.hwnd(), GetForegroundWindow());

  // The first pair names no window; the second names only the lower target.
  ASSERT_TRUE(MakeForeground(current.hwnd()));
  const TActionExecOnWItem stfw =
      Item({{"TavionModelMissing", "nil"}, {"TavionModelTarget", "Target%*%"}});
  EXPECT_TRUE(stfw.IfExists(windows, /*activate=*/true));
  TestWindow::Pump();
  EXPECT_EQ(target.hwnd(), GetForegroundWindow());
}

TEST_P(SetFocusBeforeStart, RestoresAMinimisedWindowWithTheSupportLibrary) {
  const TestWindow target(L"TavionModelMinimised", L"Minimised target");
  const TestWindow current(L"TavionModelCurrent", L"Current window");
  ShowWindow(target.hwnd(), SW_MINIMIZE);
  ASSERT_TRUE(MakeForeground(current.hwnd()));
  Win32WindowSystem windows = System();

  const bool raised = windows.BringToForeground(target.handle());
  TestWindow::Pump();
  if (GetParam()) {
    EXPECT_TRUE(raised);
    EXPECT_FALSE(IsIconic(target.hwnd()));
  }
  EXPECT_EQ(raised, GetForegroundWindow() == target.hwnd());
}

INSTANTIATE_TEST_SUITE_P(Raise, SetFocusBeforeStart, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& param) {
                           return param.param ? std::string("WithSidekit")
                                              : std::string("WithSetForegroundWindow");
                         });

}  // namespace
}  // namespace tavion
