// Panora.exe against real windows: this program's own and Wine's notepad.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "panora/options_win.h"
#include "wine/support/layout_check.h"
#include "wine/support/test_support.h"

namespace {

using wine_test::Process;

constexpr wchar_t kPanoraKey[] = L"Software\\Quillon\\Tavion\\Panora";

std::wstring PanoraCommand(const std::wstring& args) {
  return L"\"" + wine_test::ProgramFolder() + L"\\PlugIns\\Panora.exe\" " + args;
}

HWND Resident() {
  return FindWindowW(L"PanoraResidentWindow", nullptr);
}

bool Visible(HWND window) {
  return IsWindowVisible(window) != FALSE;
}

std::wstring HiddenValue() {
  wchar_t text[512] = {};
  DWORD bytes = sizeof(text);
  return RegGetValueW(HKEY_CURRENT_USER, kPanoraKey, L"Hidden", RRF_RT_REG_SZ, nullptr, text,
                      &bytes) == ERROR_SUCCESS
             ? text
             : L"";
}

std::wstring Entry(HWND window) {
  return std::to_wstring(reinterpret_cast<uintptr_t>(window)) + L":" +
         std::to_wstring(GetCurrentProcessId());
}

class PanoraTest : public testing::Test {
 protected:
  ~PanoraTest() override {
    if (resident_.info.hProcess && Resident()) Hand(L"X");
  }

  // The first start stays resident; it is waited for until its window is there.
  void StartResident(const std::wstring& args) {
    ASSERT_TRUE(resident_.Start(PanoraCommand(args)));
    ASSERT_TRUE(wine_test::PumpUntil([] { return Resident() != nullptr; }, 10000));
  }
  // A later start hands its command over and ends.
  void Hand(const std::wstring& args) {
    Process second;
    ASSERT_TRUE(second.Start(PanoraCommand(args))) << GetLastError();
    EXPECT_EQ(0u, second.WaitForExit()) << "Panora.exe " << std::string(args.begin(), args.end());
  }
  bool ResidentEnded() {
    return wine_test::PumpUntil(
        [&] { return WaitForSingleObject(resident_.info.hProcess, 0) == WAIT_OBJECT_0; }, 10000);
  }

  Process resident_;
};

wine_test::WindowDesign Shown(const wchar_t* caption, DWORD exStyle = 0, HWND owner = nullptr) {
  return {.caption = caption,
          .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
          .exStyle = exStyle,
          .parent = owner};
}

TEST_F(PanoraTest, DesktopsHideAndShowApplicationWindowsAndXShowsThemAll) {
  wine_test::TestWindow app(Shown(L"app"));
  wine_test::TestWindow tool(Shown(L"tool", WS_EX_TOOLWINDOW));
  wine_test::TestWindow owned(Shown(L"owned", 0, app.hwnd()));
  // The second notepad stands for Tavion, named by its window handle; it comes up first, so
  // that it is not the active window when desktop 0 is left.
  Process host, notepad;
  ASSERT_TRUE(host.Start(L"notepad.exe"));
  const HWND hostWindow = wine_test::WaitForWindow(L"Notepad", host.info.dwProcessId);
  ASSERT_TRUE(hostWindow && notepad.Start(L"notepad.exe"));
  const HWND editor = wine_test::WaitForWindow(L"Notepad", notepad.info.dwProcessId);
  ASSERT_TRUE(editor);
  const std::wstring handle = L" " + std::to_wstring(reinterpret_cast<uintptr_t>(hostWindow));
  // Wine now and then leaves no window active while a notepad comes up: whichever of the two
  // is active when desktop 0 is left must be active again when it comes back.
  HWND active = nullptr;
  for (int attempt = 0; attempt < 3 && active != app.hwnd() && active != editor; ++attempt) {
    wine_test::MakeForeground(app.hwnd());
    active = GetForegroundWindow();
  }
  ASSERT_TRUE(active == app.hwnd() || active == editor);

  StartResident(L"1" + handle);
  EXPECT_TRUE(wine_test::PumpUntil([&] { return !Visible(app.hwnd()) && !Visible(editor); }));
  EXPECT_TRUE(Visible(tool.hwnd()) && Visible(owned.hwnd()) && Visible(hostWindow));
  EXPECT_NE(std::wstring::npos, HiddenValue().find(Entry(app.hwnd())));

  Hand(L"0" + handle);
  EXPECT_TRUE(wine_test::PumpUntil([&] { return Visible(app.hwnd()) && Visible(editor); }));
  EXPECT_TRUE(wine_test::PumpUntil([&] { return GetForegroundWindow() == active; }));
  EXPECT_EQ(L"", HiddenValue());

  // Desktop 2 holds the windows, desktop 0 (empty) is left for desktop 3, then X.
  Hand(L"2" + handle);
  EXPECT_TRUE(wine_test::PumpUntil([&] { return !Visible(app.hwnd()) && !Visible(editor); }));
  Hand(L"3" + handle);
  Hand(L"x" + handle);
  EXPECT_TRUE(ResidentEnded());
  EXPECT_TRUE(wine_test::PumpUntil([&] { return Visible(app.hwnd()) && Visible(editor); }));
  EXPECT_EQ(L"", HiddenValue());
}

// After a crash the next start shows the stored windows, passing over entries that are dead or
// not windows at all.
TEST_F(PanoraTest, ANewStartShowsWhatACrashedRunLeftHidden) {
  wine_test::TestWindow app(Shown(L"app"));
  StartResident(L"1");
  ASSERT_TRUE(wine_test::PumpUntil([&] { return !Visible(app.hwnd()); }));
  TerminateProcess(resident_.info.hProcess, 3);
  ASSERT_TRUE(ResidentEnded());
  const std::wstring stored = L"junk;12345678:1;" + HiddenValue();
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetKeyValueW(HKEY_CURRENT_USER, kPanoraKey, L"Hidden", REG_SZ, stored.c_str(),
                            static_cast<DWORD>((stored.size() + 1) * sizeof(wchar_t))));

  Hand(L"X");
  EXPECT_TRUE(wine_test::PumpUntil([&] { return Visible(app.hwnd()); }));
  EXPECT_EQ(L"", HiddenValue());
}

// The end of the session and a close show the hidden windows; one closed meanwhile is dropped.
TEST_F(PanoraTest, EndOfSessionAndCloseShowTheWindowsLeft) {
  wine_test::TestWindow kept(Shown(L"kept"));
  auto closed = std::make_unique<wine_test::TestWindow>(Shown(L"closed"));
  StartResident(L"2");
  ASSERT_TRUE(wine_test::PumpUntil([&] { return !Visible(kept.hwnd()); }));
  closed.reset();
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(Resident(), WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 5000, &answer);
  EXPECT_TRUE(wine_test::PumpUntil([&] { return Visible(kept.hwnd()); }));
  EXPECT_EQ(L"", HiddenValue());

  Hand(L"3");
  ASSERT_TRUE(wine_test::PumpUntil([&] { return !Visible(kept.hwnd()); }));
  PostMessageW(Resident(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(ResidentEnded());
  EXPECT_TRUE(wine_test::PumpUntil([&] { return Visible(kept.hwnd()); }));
}

// A command Panora does not know is refused with a message, and nothing stays resident.
TEST(PanoraStart, RefusesAnUnknownCommand) {
  Process start;
  ASSERT_TRUE(start.Start(PanoraCommand(L"5 12")));
  const HWND box = wine_test::WaitForWindow(L"#32770", start.info.dwProcessId);
  ASSERT_TRUE(box);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(2u, start.WaitForExit());
  EXPECT_FALSE(Resident());
}

// Laid out in this process, where the layout check can read the controls' font.
TEST(PanoraOptions, TextsFitAtTheScreensDpi) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  ASSERT_TRUE(panora::RegisterPanoraWindows(instance));
  const HWND options = panora::ShowOptions(instance, 3);
  ASSERT_TRUE(options);
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(std::vector<std::string>{}, wine_test::LayoutFaults(options, dpi, 4));
  EXPECT_EQ(L"Current desktop: Desktop 4", wine_test::WindowText(GetWindow(options, GW_CHILD)));
  wine_test::PumpPending();
  wine_test::SaveScreenshot("panora_options_" + std::to_string(dpi));
  DestroyWindow(options);
}

TEST_F(PanoraTest, OptionsWindowWorksFromTheKeyboardAndStoresTheNotice) {
  StartResident(L"/Options");
  HWND options = wine_test::WaitForWindow(L"PanoraOptions");
  ASSERT_TRUE(options);

  // Space ticks the focused check box, Tab Tab reaches Cancel: Enter there keeps the option off.
  const auto press = [](WORD key) {
    return wine_test::Inject({wine_test::KeyInput(key, false), wine_test::KeyInput(key, true)});
  };
  ASSERT_TRUE(wine_test::MakeForeground(options));
  ASSERT_TRUE(press(VK_SPACE) && press(VK_TAB) && press(VK_TAB) && press(VK_RETURN));
  EXPECT_TRUE(wine_test::PumpUntil([&] { return !IsWindow(options); }));
  DWORD notice = 0, bytes = sizeof(notice);
  EXPECT_NE(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, kPanoraKey, L"ShowNotice",
                                        RRF_RT_REG_DWORD, nullptr, &notice, &bytes));

  // Space and Enter (OK, the default button) store it; the next switch shows the notice.
  Hand(L"/options");
  options = wine_test::WaitForWindow(L"PanoraOptions");
  ASSERT_TRUE(options && wine_test::MakeForeground(options));
  ASSERT_TRUE(press(VK_SPACE) && press(VK_RETURN));
  EXPECT_TRUE(wine_test::PumpUntil([&] { return !IsWindow(options); }));
  EXPECT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, kPanoraKey, L"ShowNotice",
                                        RRF_RT_REG_DWORD, nullptr, &notice, &bytes));
  EXPECT_EQ(1u, notice);
  Hand(L"1");
  EXPECT_TRUE(wine_test::WaitForWindow(L"PanoraNotice"));

  // Escape closes without storing.
  Hand(L"/Options");
  options = wine_test::WaitForWindow(L"PanoraOptions");
  ASSERT_TRUE(options && wine_test::MakeForeground(options));
  ASSERT_TRUE(press(VK_SPACE) && press(VK_ESCAPE));
  EXPECT_TRUE(wine_test::PumpUntil([&] { return !IsWindow(options); }));
  RegGetValueW(HKEY_CURRENT_USER, kPanoraKey, L"ShowNotice", RRF_RT_REG_DWORD, nullptr, &notice,
               &bytes);
  EXPECT_EQ(1u, notice);
}

}  // namespace
