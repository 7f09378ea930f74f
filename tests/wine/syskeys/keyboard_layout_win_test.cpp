// The "Keyboard layout" page driven from a second thread: a key remapped with keys typed into the
// dialog, remapping switched off and on, saved to a file, a 255th key and a refused write.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "doubles/failing_registry.h"
#include "forms/form_win.h"
#include "keys/key_input_win.h"
#include "pipeline/sidekit_library_win.h"
#include "syskeys/scancode_map.h"
#include "syskeys/scancode_map_win.h"
#include "ui/keyboard_layout_page_win.h"
#include "wine/support/layout_check.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

using Bytes = std::vector<uint8_t>;
using wine_test::Inject;
using wine_test::KeyInput;
using wine_test::WindowText;

// DPI-aware as the program is: run in a prefix of another DPI, the windows lay out at it.
const bool kDpiAware = SetProcessDPIAware();

const Bytes kCapsToCtrl = {0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0x1D, 0, 0x3A, 0, 0, 0, 0, 0};

// The page in a window of the main window's page size at `dpi`, run by the test thread while
// `drive` acts from a second one.
class PageHost {
 public:
  PageHost(std::unique_ptr<RegistryStore> machine, const CaptureHooks& hooks, int dpi = 96)
      : host_({.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
               .width = MulDiv(490, dpi, 96),
               .height = MulDiv(460, dpi, 96)}) {
    services_.window = host_.hwnd();
    services_.captureHooks = hooks;
    services_.showHelp = [this](const std::string& topic) { help_ = topic; };
    page_ = CreateKeyboardLayoutPage(std::move(machine));
    EXPECT_TRUE(page_->Create(host_.hwnd(), services_));
    RECT client;
    GetClientRect(host_.hwnd(), &client);
    MoveWindow(page_->Handle(), 0, 0, client.right, client.bottom, FALSE);
    ShowWindow(page_->Handle(), SW_SHOW);
    page_->Shown();
    page_->Layout(dpi);
    wine_test::MakeForeground(host_.hwnd());
  }
  void Run(const std::function<void()>& drive) {
    std::atomic<bool> done = false;
    std::thread driver([&] {
      drive();
      done = true;
    });
    EXPECT_TRUE(wine_test::PumpUntil([&] { return done.load(); }, 120000));
    driver.join();
  }
  HWND Control(const wchar_t* className, const wchar_t* text) const {
    return FindWindowExW(page_->Handle(), nullptr, className, text);
  }
  // Clicks the page's button captioned `caption`; posted, it does not wait for what it opens.
  void Click(const wchar_t* caption) const {
    HWND button = Control(L"Button", caption);
    PostMessageW(page_->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
  }
  int Rows() const {
    return static_cast<int>(SendMessageW(Control(WC_LISTVIEWW, nullptr), LVM_GETITEMCOUNT, 0, 0));
  }

  wine_test::TestWindow host_;
  PageServices services_;
  std::unique_ptr<Page> page_;
  std::string help_;
};

// Waits for the dialog of this process captioned `caption`.
HWND Wait(const wchar_t* caption) {
  return wine_test::WaitForWindow(L"#32770", GetCurrentProcessId(), caption);
}

std::wstring AnswerBox(int button) {
  return wine_test::AnswerBox(button).value_or(L"(no message)");
}

// Presses `key` once `dialog` has handled what came before, until `done` holds (5 tries): the
// capture hooks follow the focus on the library's own thread, a moment after the focus moved.
void Press(HWND dialog, WORD key, const std::function<bool()>& done) {
  SendMessageW(dialog, WM_NULL, 0, 0);
  for (int i = 0; i < 5 && !done(); ++i) {
    Inject({KeyInput(key, false), KeyInput(key, true)});
    wine_test::PumpUntil(done, 1000);
  }
}

std::optional<Bytes> Stored(std::string_view value) {
  return OpenKeyboardLayoutStore()->ReadBinary("", value);
}

void ForgetMap() {
  for (const std::string_view value : {kScancodeMapValue, kScancodeMapOffValue})
    OpenKeyboardLayoutStore()->DeleteValue("", value);
}

// A file of UTF-16 text, read whole.
std::wstring FileText(const std::wstring& path) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), {});
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

TEST(KeyboardLayoutPage, RemapsAKeyTypedInTheDialogSwitchesSavesAndRefusesA255thKey) {
  ForgetMap();
  const wine_test::ScopeExit forget([] { ForgetMap(); });
  InstallSystemKeyNames();
  SidekitLibrary library;
  ASSERT_TRUE(library.Load(wine_test::ProgramFolder().c_str()));
  PageHost page(nullptr, {library.InitHookEx, library.FreeHookEx});
  const std::wstring file =
      wine_test::ProgramFolder() + L"\\" + wine_test::UniqueName(L"lay") + L".reg";
  std::vector<std::wstring> seen;
  std::vector<std::string> faults;
  page.Run([&] {
    page.Click(L"Add");
    HWND dialog = Wait(L"Add key");
    const std::vector<HWND> fields = wine_test::ChildrenOfClass(dialog, L"Edit");
    const std::vector<HWND> keys = wine_test::ChildrenOfClass(dialog, kKeyEditClass.data());
    if (!dialog || fields.size() != 4 || keys.size() != 2) return;
    Press(dialog, VK_CAPITAL, [&] { return WindowText(fields[0]) == L"58"; });
    Press(dialog, VK_TAB, [&] { return wine_test::FocusIn(dialog) == keys[1]; });
    Press(dialog, VK_LCONTROL, [&] { return WindowText(fields[2]) == L"29"; });
    for (HWND field : fields) seen.push_back(WindowText(field));
    wine_test::SaveScreenshot("key_remap_dialog_" + std::to_string(WindowDpi(dialog)));
    faults = wine_test::LayoutFaults(dialog, WindowDpi(dialog));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    wine_test::PumpUntil([dialog] { return !IsWindow(dialog); });
    seen.push_back(std::to_wstring(page.Rows()));
    seen.push_back(Stored(kScancodeMapValue) == kCapsToCtrl ? L"20 bytes" : L"other bytes");

    page.Click(L"Turn off!");
    seen.push_back(AnswerBox(IDOK));
    const bool off = Stored(kScancodeMapOffValue) == kCapsToCtrl && !Stored(kScancodeMapValue);
    seen.push_back(off ? L"moved off" : L"not moved off");
    seen.push_back(IsWindowVisible(page.Control(WC_LISTVIEWW, nullptr)) ? L"shown" : L"hidden");
    page.Click(L"Turn on!");
    AnswerBox(IDOK);
    const bool on = Stored(kScancodeMapValue) == kCapsToCtrl && !Stored(kScancodeMapOffValue);
    seen.push_back(on ? L"moved on" : L"not moved on");

    page.Click(L"Save to file");
    HWND save = Wait(L"Save As");
    SetDlgItemTextW(save, GetDlgItem(save, 0x47C) ? 0x47C : 0x480, file.c_str());
    PostMessageW(save, WM_COMMAND, IDOK, 0);
    wine_test::PumpUntil([save] { return !IsWindow(save); });
    page.Click(L"Help");
  });
  EXPECT_EQ(std::vector<std::string>{}, faults);
  EXPECT_EQ((std::vector<std::wstring>{L"58", L"No", L"29", L"No", L"1", L"20 bytes",
                                       L"To apply changes, you must restart computer.",
                                       L"moved off", L"hidden", L"moved on"}),
            seen);
  EXPECT_EQ("layout.htm", page.help_);
  const std::wstring saved = FileText(file);
  DeleteFileW(file.c_str());
  for (const wchar_t* line :
       {L"[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Keyboard Layout]\r\n",
        L"\"Scancode Map\"=hex:00,00,00,00,00,00,00,00,02,00,00,00,1d,00,3a,00,00,00,00,00\r\n"})
    EXPECT_NE(std::wstring::npos, saved.find(line)) << saved.size();

  const Bytes full =
      BuildScancodeMap(std::vector<KeyReplacement>(kMaxKeyReplacements, {1, 2})).value();
  ASSERT_TRUE(OpenKeyboardLayoutStore()->WriteBinary("", kScancodeMapValue, full));
  page.page_->Shown();
  std::wstring refusal;
  page.Run([&] {
    page.Click(L"Add");
    refusal = AnswerBox(IDOK);
  });
  EXPECT_EQ(L"Windows takes at most 254 replaced keys.\rDelete a key before you add another.",
            refusal);
  EXPECT_EQ(full, Stored(kScancodeMapValue)) << "the full map stays";
}

TEST(KeyboardLayoutPage, AWriteTheRegistryRefusesIsToldAndTheListShowsWhatIsStored) {
  InstallSystemKeyNames();
  auto machine = std::make_unique<FailingRegistry>();
  FailingRegistry& store = *machine;
  ASSERT_TRUE(store.WriteBinary("", kScancodeMapValue, kCapsToCtrl));
  PageHost page(std::move(machine), {});
  // Another program adds a key meanwhile; then the registry refuses.
  const Bytes two = BuildScancodeMap(std::vector<KeyReplacement>{{0x3A, 0x1D}, {0x46, 0}}).value();
  ASSERT_TRUE(store.WriteBinary("", kScancodeMapValue, two));
  store.FailFrom(1);
  std::vector<std::wstring> seen;
  wchar_t name[64] = {};
  ListView_GetItemText(page.Control(WC_LISTVIEWW, nullptr), 0, 0, name, 64);
  page.Run([&] {
    page.Click(L"Delete");
    seen.push_back(AnswerBox(IDYES));
    seen.push_back(AnswerBox(IDOK));
  });
  ASSERT_EQ(size_t{2}, seen.size());
  EXPECT_EQ(L"Are you sure you want to delete '" + std::wstring(name) + L"?'", seen[0]);
  EXPECT_NE(std::wstring::npos, seen[1].find(L"administrator rights")) << seen[1];
  EXPECT_EQ(2, page.Rows()) << "the list shows what is stored";
  EXPECT_EQ(two, store.ReadBinary("", kScancodeMapValue));
}

// Three rows at 96 and 144 dots per inch: every caption fits, no control covers another.
TEST(KeyboardLayoutPage, LaysOutUnclippedAt96And144Dpi) {
  InstallSystemKeyNames();
  const Bytes three = BuildScancodeMap(std::vector<KeyReplacement>{
                                           {0x3A, 0x1D}, {0x38, 0, true}, {0x5B, 0x1D, true, true}})
                          .value();
  for (const int dpi : {96, 144}) {
    auto machine = std::make_unique<MemoryRegistry>();
    ASSERT_TRUE(machine->WriteBinary("", kScancodeMapValue, three));
    PageHost page(std::move(machine), {}, dpi);
    EXPECT_EQ(3, page.Rows()) << dpi;
    EXPECT_EQ(std::vector<std::string>{}, wine_test::LayoutFaults(page.page_->Handle(), dpi))
        << dpi;
    page.Run([dpi] {
      Sleep(300);
      wine_test::SaveScreenshot("keyboard_layout_page_" + std::to_string(dpi));
    });
  }
}

}  // namespace
}  // namespace tavion
