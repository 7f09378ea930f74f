// The "Shell keys" page in a plain window, its dialog played from a second thread: what lands in
// the shell's own AppKey key and how the shell's registry editor exports it, the replace and
// delete questions, what a refused write or deletion tells the user, and the layout at the
// display's DPI. The decisions behind OK are tested natively.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "base/utf_win.h"
#include "settings/registry_win.h"
#include "syskeys/shell_keys.h"
#include "ui/shell_keys_page_win.h"
#include "wine/support/layout_check.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

using Texts = std::vector<std::wstring>;

// A store that refuses every deletion and write, as HKEY_LOCAL_MACHINE does without rights.
class RefusingRegistry final : public MemoryRegistry {
 public:
  bool DeleteKey(std::string_view) override { return false; }
  bool WriteString(std::string_view, std::string_view, std::string_view) override { return false; }
};

// As Tavion.exe's manifest makes it: the display's own DPI, not a scaled 96.
[[maybe_unused]] const BOOL dpiAware = SetProcessDPIAware();

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

class ShellKeysPageTest : public testing::Test {
 protected:
  void Open(std::unique_ptr<Page> created) {
    page = std::move(created);
    PageServices services;
    services.window = window.hwnd();
    services.instance = GetModuleHandleW(nullptr);
    services.showHelp = [this](const std::string& topic) { help.push_back(topic); };
    ASSERT_TRUE(page->Create(window.hwnd(), services));
    RECT client = {};
    GetClientRect(window.hwnd(), &client);
    MoveWindow(page->Handle(), 0, 0, client.right, client.bottom, TRUE);
    ShowWindow(page->Handle(), SW_SHOW);
    page->Layout(ScreenDpi());
    page->Shown();
  }
  HWND List() const { return FindWindowExW(page->Handle(), nullptr, WC_LISTVIEWW, nullptr); }
  HWND Button(const wchar_t* caption) const {
    return FindWindowExW(page->Handle(), nullptr, L"Button", caption);
  }
  Texts Rows() const {
    Texts rows;
    for (int row = 0; row < ListView_GetItemCount(List()); ++row) {
      std::wstring line;
      for (int column = 0; column < 3; ++column) {
        wchar_t text[MAX_PATH] = {};
        ListView_GetItemText(List(), row, column, text, MAX_PATH);
        line += (column ? L"|" : L"") + std::wstring(text);
      }
      rows.push_back(line);
    }
    return rows;
  }
  std::wstring Count() const {
    return wine_test::WindowText(FindWindowExW(page->Handle(), nullptr, L"Static", nullptr));
  }
  // Clicks `caption` while a second thread plays the user: `play` in the dialog captioned
  // `dialog` (when given), then the message boxes answered with `answers`. The boxes' texts.
  Texts Click(const wchar_t* caption, const wchar_t* dialog, const std::function<void(HWND)>& play,
              std::vector<int> answers = {}) {
    Texts seen;
    std::thread user([&] {
      if (dialog) play(wine_test::WaitForWindow(L"#32770", GetCurrentProcessId(), dialog));
      // A box beyond those expected is recorded too, and cancelled.
      for (size_t i = 0;; ++i) {
        const std::optional<std::wstring> text =
            Answer(i < answers.size() ? answers[i] : IDCANCEL, i < answers.size() ? 10000 : 1000);
        if (!text) break;
        seen.push_back(*text);
      }
    });
    HWND button = Button(caption);
    SendMessageW(page->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    user.join();
    return seen;
  }
  // Answers the next message box with `button`; its text, nullopt when none came in time.
  static std::optional<std::wstring> Answer(int button, DWORD timeoutMs = 10000) {
    HWND box = wine_test::WaitForWindow(L"#32770", GetCurrentProcessId(), L"Tavion", timeoutMs);
    if (!box) return std::nullopt;
    const std::wstring text = wine_test::WindowText(GetDlgItem(box, 0xFFFF));
    PostMessageW(box, WM_COMMAND, button, 0);
    wine_test::PumpUntil([box] { return !IsWindow(box); });
    return text;
  }
  // Chooses `item` of the dialog's `n`th combo box as the user would.
  static void Choose(HWND dialog, int n, int item) {
    HWND combo = FindWindowExW(dialog, nullptr, WC_COMBOBOXW, nullptr);
    for (int i = 0; i < n; ++i) combo = FindWindowExW(dialog, combo, WC_COMBOBOXW, nullptr);
    SendMessageW(combo, CB_SETCURSEL, item, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
  }
  // Fills the dialog: key, action type and parameter.
  static void Fill(HWND dialog, int key, int type, const wchar_t* parameter) {
    Choose(dialog, 0, key);
    Choose(dialog, 1, type);
    SetWindowTextW(FindWindowExW(dialog, nullptr, L"Edit", nullptr), parameter);
  }

  wine_test::TestWindow window{{.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                .width = MulDiv(560, ScreenDpi(), 96),
                                .height = MulDiv(360, ScreenDpi(), 96)}};
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
  Open(CreateShellKeysPage());
  EXPECT_EQ(L"Total sum of keys - 0", Count());
  EXPECT_FALSE(IsWindowEnabled(Button(L"Edit")));

  // Browse is offered for a program alone; the folder variable is written out.
  BOOL browsable[3] = {};
  EXPECT_EQ(Texts{}, Click(L"Add", L"Add shell key", [&](HWND dialog) {
              HWND browse = FindWindowExW(dialog, nullptr, L"Button", L"...");
              for (const int type : {1, 2, 0}) {
                Choose(dialog, 1, type);
                browsable[type] = IsWindowEnabled(browse);
              }
              Fill(dialog, 7, 0, L"%WINDIR%\\notepad.exe");
              PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            }));
  EXPECT_EQ((std::vector<BOOL>{TRUE, FALSE, FALSE}), std::vector<BOOL>(browsable, browsable + 3));
  wchar_t windows[MAX_PATH] = {};
  ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_WINDOWS, nullptr, 0, windows));
  const std::wstring notepad = std::wstring(windows) + L"\\notepad.exe";
  EXPECT_EQ(Texts{L"Mail|ShellExecute|" + notepad}, Rows());
  EXPECT_EQ(0, ListView_GetNextItem(List(), -1, LVNI_SELECTED));
  EXPECT_EQ(machine.ReadString(std::string(kAppKeyPath) + "\\15", "ShellExecute"),
            WideToUtf8(notepad));

  // No keeps the dialog open on the key; Yes replaces the old entry.
  HWND focus = nullptr, keyCombo = nullptr;
  std::optional<std::wstring> question;
  const Texts asked =
      Click(L"Add", L"Add shell key",
            [&](HWND dialog) {
              keyCombo = FindWindowExW(dialog, nullptr, WC_COMBOBOXW, nullptr);
              HWND parameter = FindWindowExW(dialog, nullptr, L"Edit", nullptr);
              Fill(dialog, 7, 2, L"Mail");
              const auto focusIs = [&](HWND control) {
                return wine_test::PumpUntil([&] {
                  GUITHREADINFO thread = {};
                  thread.cbSize = sizeof thread;
                  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread);
                  return (focus = thread.hwndFocus) == control;
                });
              };
              PostMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(parameter), TRUE);
              focusIs(parameter);
              PostMessageW(dialog, WM_COMMAND, IDOK, 0);
              question = Answer(IDNO);
              focusIs(keyCombo);
              PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            },
            {IDYES});
  EXPECT_EQ(keyCombo, focus);
  const std::wstring replace =
      L"Action for key Mail is already appointed,\rdo you want to replace it?";
  EXPECT_EQ(replace, question.value_or(L"(none)"));
  EXPECT_EQ(Texts{replace}, asked);
  EXPECT_EQ(Texts{L"Mail|RegisteredApp|Mail"}, Rows());
  EXPECT_EQ(std::vector<std::string>{"15"}, machine.SubKeyNames(kAppKeyPath));
  EXPECT_EQ(std::vector<std::string>{"RegisteredApp"},
            machine.ValueNames(std::string(kAppKeyPath) + "\\15"));

  // The registry editor exports the key as the shell reads it: one string value.
  const std::wstring file = wine_test::ProgramFolder() + L"\\" + wine_test::UniqueName(L"appkey");
  wine_test::Process regedit;
  ASSERT_TRUE(regedit.Start(L"regedit.exe /E \"" + file + L"\" \"HKEY_LOCAL_MACHINE\\" +
                            Utf8ToWide(kAppKeyPath) + L"\""));
  ASSERT_EQ(0u, regedit.WaitForExit().value_or(1));
  std::ifstream in(std::filesystem::path(file), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  DeleteFileW(file.c_str());
  std::wstring exported(bytes.size() / 2, L'\0');
  memcpy(exported.data(), bytes.data(), exported.size() * 2);
  std::erase(exported, L'\r');
  const std::wstring block = L"\\Explorer\\AppKey\\15]\n\"RegisteredApp\"=\"Mail\"\n";
  const size_t at = exported.find(block);
  ASSERT_NE(std::wstring::npos, at) << WideToUtf8(exported);
  EXPECT_NE(L'"', exported[at + block.size()]) << "one value: " << WideToUtf8(exported);

  EXPECT_EQ(Texts{L"Are you sure you want to delete 'Mail?'"},
            Click(L"Delete", nullptr, nullptr, {IDYES}));
  EXPECT_EQ(Texts{}, Rows());
  EXPECT_EQ(std::vector<std::string>{}, machine.SubKeyNames(kAppKeyPath));
  EXPECT_EQ(L"Total sum of keys - 0", Count());
  EXPECT_FALSE(IsWindowEnabled(Button(L"Delete")));

  Click(L"Help", nullptr, nullptr);
  EXPECT_EQ(std::vector<std::string>{"shellkeys.htm"}, help);
}

TEST_F(ShellKeysPageTest, ARefusedWriteOrDeletionIsToldAndTheListShowsWhatIsStored) {
  auto store = std::make_unique<RefusingRegistry>();
  store->MemoryRegistry::WriteString("16", "RegisteredApp", "Media");
  Open(CreateShellKeysPage(std::move(store)));
  const Texts added = Click(L"Add", L"Add shell key",
                            [](HWND dialog) {
                              Fill(dialog, 10, 1, L".calc");
                              PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                            },
                            {IDOK});
  ASSERT_EQ(1u, added.size());
  EXPECT_EQ(0u, added[0].find(L"Can't save the shell key Calc.")) << WideToUtf8(added[0]);
  EXPECT_EQ(Texts{L"Multimedia|RegisteredApp|Media"}, Rows());

  ListView_SetItemState(List(), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  const Texts deleted = Click(L"Delete", nullptr, nullptr, {IDYES, IDOK});
  ASSERT_EQ(2u, deleted.size());
  EXPECT_EQ(0u, deleted[1].find(L"Can't delete the shell key Multimedia."))
      << WideToUtf8(deleted[1]);
  EXPECT_EQ(Texts{L"Multimedia|RegisteredApp|Media"}, Rows());
}

// A few rows and the Edit dialog: nothing cut or overlapping at the display's DPI, and their
// screenshots (run once more in a prefix at 144 dots per inch).
TEST_F(ShellKeysPageTest, PageAndDialogLayOutUncutAtTheDisplaysDpi) {
  auto store = std::make_unique<MemoryRegistry>();
  store->WriteString("15", "RegisteredApp", "Mail");
  store->WriteString("17", "ShellExecute", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
  store->WriteString("18", "Association", ".calc");
  Open(CreateShellKeysPage(std::move(store)));
  const int dpi = ScreenDpi();
  EXPECT_EQ(std::vector<std::string>{}, wine_test::LayoutFaults(page->Handle(), dpi));
  ListView_SetItemState(List(), 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
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
}

}  // namespace
}  // namespace tavion
