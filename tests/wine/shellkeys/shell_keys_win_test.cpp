// The "Shell keys" page, its dialog played from a second thread: what lands in the shell's AppKey
// key, the questions, what a refused change tells, the layout. OK's decisions are tested natively.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "base/utf_win.h"
#include "doubles/failing_registry.h"
#include "forms/form_win.h"
#include "settings/registry_win.h"
#include "syskeys/shell_keys.h"
#include "ui/list_page_win.h"
#include "ui/shell_keys_page_win.h"
#include "wine/support/layout_check.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

using Texts = std::vector<std::wstring>;

// As Tavion.exe's manifest makes it: the display's own DPI, not a scaled 96.
[[maybe_unused]] const BOOL dpiAware = SetProcessDPIAware();

// Chooses, as the user would, the key (item `key` of the first combo box) and the action type
// (`type` of the second) of the shell-key dialog, and types `parameter`.
void Fill(HWND dialog, int key, int type, const wchar_t* parameter = L"") {
  HWND combo = nullptr;
  for (const int item : {key, type}) {
    combo = FindWindowExW(dialog, combo, WC_COMBOBOXW, nullptr);
    SendMessageW(combo, CB_SETCURSEL, item, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
  }
  SetWindowTextW(FindWindowExW(dialog, nullptr, L"Edit", nullptr), parameter);
}

class ShellKeysPageTest : public testing::Test {
 protected:
  void Open(std::unique_ptr<RegistryStore> appKey) {
    page = appKey ? CreateShellKeysPage(std::move(appKey)) : CreateShellKeysPage();
    PageServices services;
    services.window = window.hwnd();
    services.instance = GetModuleHandleW(nullptr);
    services.showHelp = [this](const std::string& topic) { help.push_back(topic); };
    ASSERT_TRUE(page->Create(window.hwnd(), services));
    RECT client = {};
    GetClientRect(window.hwnd(), &client);
    MoveWindow(page->Handle(), 0, 0, client.right, client.bottom, TRUE);
    ShowWindow(page->Handle(), SW_SHOW);
    page->Layout(WindowDpi(nullptr));
    page->Shown();
  }
  HWND List() const { return FindWindowExW(page->Handle(), nullptr, WC_LISTVIEWW, nullptr); }
  // The count line, then the list's rows with their columns joined by "|".
  Texts Shown() const {
    Texts shown = {wine_test::WindowText(FindWindowExW(page->Handle(), nullptr, L"Static", 0))};
    for (int row = 0; row < ListView_GetItemCount(List()); ++row) {
      wchar_t text[3][MAX_PATH] = {};
      for (int column = 0; column < 3; ++column)
        ListView_GetItemText(List(), row, column, text[column], MAX_PATH);
      shown.push_back(std::wstring(text[0]) + L"|" + text[1] + L"|" + text[2]);
    }
    return shown;
  }
  // Clicks the button `caption` while a second thread plays the user: `play` in the dialog
  // captioned `dialog` (when given), then the message boxes answered with `answers`. Returns the
  // boxes' texts; one more box is recorded too, and cancelled.
  Texts Click(const wchar_t* caption, const wchar_t* dialog = nullptr,
              const std::function<void(HWND)>& play = {}, std::vector<int> answers = {}) {
    Texts seen;
    std::thread user([&] {
      if (dialog) play(wine_test::WaitForWindow(L"#32770", GetCurrentProcessId(), dialog));
      for (size_t i = 0; i <= answers.size(); ++i) {
        const bool expected = i < answers.size();
        const auto text =
            wine_test::AnswerBox(expected ? answers[i] : IDCANCEL, expected ? 10000 : 1000);
        if (text) seen.push_back(*text);
      }
    });
    HWND button = FindWindowExW(page->Handle(), nullptr, L"Button", caption);
    SendMessageW(page->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    user.join();
    return seen;
  }

  wine_test::TestWindow window{{.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                .width = MulDiv(560, WindowDpi(nullptr), 96),
                                .height = MulDiv(360, WindowDpi(nullptr), 96)}};
  std::unique_ptr<Page> page;
  std::vector<std::string> help;
};

// The shell's own key, emptied for the test and put back afterwards.
TEST_F(ShellKeysPageTest, MailAddedTwiceIsReplacedAfterAskingAndDeletedAgainInTheShellsKey) {
  Win32Registry machine(HKEY_LOCAL_MACHINE);
  MemoryRegistry saved;
  const bool had = CopyRegistryKey(machine, kAppKeyPath, saved, "AppKey");
  ASSERT_TRUE(machine.DeleteKey(kAppKeyPath));
  const wine_test::ScopeExit restore([&] {
    machine.DeleteKey(kAppKeyPath);
    if (had) CopyRegistryKey(saved, "AppKey", machine, kAppKeyPath);
  });
  const std::string mail = std::string(kAppKeyPath) + "\\15";
  Open(nullptr);
  EXPECT_EQ(Texts{L"Total sum of keys - 0"}, Shown());

  // Browse is offered for a program alone; the folder variable is written out.
  std::vector<BOOL> browsable;
  EXPECT_EQ(Texts{}, Click(L"Add", L"Add shell key", [&](HWND dialog) {
              for (const int type : {1, 2, 0}) {
                Fill(dialog, 7, type);
                browsable.push_back(IsWindowEnabled(FindWindowExW(dialog, 0, L"Button", L"...")));
              }
              Fill(dialog, 7, 0, L"%WINDIR%\\notepad.exe");
              PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            }));
  EXPECT_EQ((std::vector<BOOL>{FALSE, FALSE, TRUE}), browsable);
  wchar_t windows[MAX_PATH] = {};
  ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_WINDOWS, nullptr, 0, windows));
  const std::wstring notepad = std::wstring(windows) + L"\\notepad.exe";
  EXPECT_EQ((Texts{L"Total sum of keys - 1", L"Mail|ShellExecute|" + notepad}), Shown());
  EXPECT_EQ(0, ListView_GetNextItem(List(), -1, LVNI_SELECTED));
  EXPECT_EQ(WideToUtf8(notepad), machine.ReadString(mail, "ShellExecute"));

  // No keeps the dialog open on the key, wherever the focus was; Yes replaces the old entry.
  HWND focus = nullptr, keyCombo = nullptr;
  std::optional<std::wstring> question;
  const Texts asked = Click(
      L"Add", L"Add shell key",
      [&](HWND dialog) {
        keyCombo = FindWindowExW(dialog, nullptr, WC_COMBOBOXW, nullptr);
        HWND parameter = FindWindowExW(dialog, nullptr, L"Edit", nullptr);
        Fill(dialog, 7, 2, L"Mail");
        const auto focusIs = [&](HWND control) {
          wine_test::PumpUntil([&] { return (focus = wine_test::FocusIn(dialog)) == control; });
        };
        PostMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(parameter), TRUE);
        focusIs(parameter);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        question = wine_test::AnswerBox(IDNO);
        focusIs(keyCombo);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
      },
      {IDYES});
  const std::wstring replace =
      L"Action for key Mail is already appointed,\rdo you want to replace it?";
  EXPECT_EQ(std::tuple(keyCombo, replace, Texts{replace}),
            std::tuple(focus, question.value_or(L"(none)"), asked));
  EXPECT_EQ((Texts{L"Total sum of keys - 1", L"Mail|RegisteredApp|Mail"}), Shown());
  EXPECT_EQ(std::vector<std::string>{"RegisteredApp"}, machine.ValueNames(mail));
  EXPECT_EQ(RegistryValueType::kString, machine.TypeOf(mail, "RegisteredApp"));

  EXPECT_EQ(Texts{L"Are you sure you want to delete 'Mail?'"}, Click(L"Delete", 0, {}, {IDYES}));
  EXPECT_EQ(Texts{L"Total sum of keys - 0"}, Shown());
  EXPECT_EQ(std::vector<std::string>{}, machine.SubKeyNames(kAppKeyPath));
  Click(L"Help");
  EXPECT_EQ(std::vector<std::string>{"shellkeys.htm"}, help);
}

// A few rows and the Edit dialog: nothing cut or overlapping at the display's DPI, and their
// screenshots (run once more in a prefix at 144 dots per inch). Then the store refuses: the
// user is told, and the list shows what is stored.
TEST_F(ShellKeysPageTest, LaysOutUncutAndTellsOfARefusedWriteOrDeletion) {
  auto owned = std::make_unique<FailingRegistry>();
  FailingRegistry& store = *owned;
  store.WriteString("15", "RegisteredApp", "Mail");
  store.WriteString("17", "ShellExecute", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
  store.WriteString("18", "Association", ".calc");
  Open(std::move(owned));
  const int dpi = WindowDpi(nullptr);
  EXPECT_EQ(std::vector<std::string>{}, wine_test::LayoutFaults(page->Handle(), dpi));
  SelectListRow(List(), 1);
  RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  wine_test::PumpThroughSentinel();
  wine_test::SaveScreenshot("shellkeys-page-" + std::to_string(dpi));
  std::vector<std::string> faults;
  Click(L"Edit", L"Edit shell key", [&](HWND dialog) {
    faults = wine_test::LayoutFaults(dialog, dpi, 8);
    wine_test::SaveScreenshot("shellkeys-dialog-" + std::to_string(dpi));
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(std::vector<std::string>{}, faults);

  store.FailFrom(1);
  const Texts stored = Shown();
  const Texts added = Click(L"Add", L"Add shell key",
                            [](HWND dialog) {
                              Fill(dialog, 4, 0, L"find.exe");
                              PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                            },
                            {IDOK});
  ASSERT_EQ(1u, added.size());
  EXPECT_EQ(0u, added[0].find(L"Can't save the shell key Find.")) << WideToUtf8(added[0]);
  SelectListRow(List(), 2);
  const Texts deleted = Click(L"Delete", 0, {}, {IDYES, IDOK});
  ASSERT_EQ(2u, deleted.size());
  EXPECT_EQ(0u, deleted[1].find(L"Can't delete the shell key Calc.")) << WideToUtf8(deleted[1]);
  EXPECT_EQ(stored, Shown());
}

}  // namespace
}  // namespace tavion
