// The plug-in page in a plain window with the kit's sample plug-in, and the action editor's panel
// of its action: what the user is asked and shown, what lands in the folder and in the action.
// The page's decisions and texts are tested natively.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "actions/action_tree.h"
#include "actions/params.h"
#include "keys/hotkey.h"
#include "plugins/plugin_host_win.h"
#include "plugins/plugin_info.h"
#include "ui/action_editor_win.h"
#include "ui/plugins_page_win.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

using Texts = std::vector<std::wstring>;
const std::wstring kSample = L"TavionSample.dll";

// The sample's calls of Install and UnInstall, as it counts them in the registry.
std::vector<DWORD> InstallCounts() {
  std::vector<DWORD> counts(2, 0);
  for (DWORD i = 0, size = sizeof(DWORD); i < 2; ++i, size = sizeof(DWORD))
    RegGetValueW(HKEY_CURRENT_USER, L"Software\\Quillon\\Tavion\\SampleTest",
                 i == 0 ? L"InstallCalls" : L"UnInstallCalls", RRF_RT_DWORD, nullptr, &counts[i],
                 &size);
  return counts;
}

// EnumChildWindows: the sample's text field (an edit box, id 101) into `*found`.
BOOL CALLBACK FindSampleText(HWND child, LPARAM found) {
  wchar_t name[8] = {};
  GetClassNameW(child, name, 8);
  if (GetDlgCtrlID(child) == 101 && !lstrcmpiW(name, L"Edit"))
    *reinterpret_cast<HWND*>(found) = child;
  return TRUE;
}

class PluginsPageTest : public testing::Test {
 protected:
  void SetUp() override {
    CreateDirectoryW(root.c_str(), nullptr);
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    Open(folder);
  }
  void TearDown() override {
    page.reset();
    host.reset();
    DeleteFileW((folder + L"\\" + kSample).c_str());
    for (const std::wstring& path : {folder + L"\\" + kSample, folder, root})
      RemoveDirectoryW(path.c_str());
  }
  void Open(const std::wstring& pluginFolder) {
    page.reset();
    host = std::make_unique<PluginHost>(pluginFolder, window.hwnd());
    host->Load("1.0");
    PageServices services;
    services.window = window.hwnd();
    services.instance = GetModuleHandleW(nullptr);
    services.plugins = host.get();
    services.actions = &list;
    services.shortVersion = "1.0";
    services.reloadPlugins = [this] { host->Load("1.0"); };
    page = CreatePluginsPage();
    ASSERT_TRUE(page->Create(window.hwnd(), services));
    MoveWindow(page->Handle(), 0, 0, 540, 380, TRUE);
    ShowWindow(page->Handle(), SW_SHOW);
    page->Layout(96);
  }
  HWND Control(const wchar_t* className, const wchar_t* text = nullptr) const {
    return FindWindowExW(page->Handle(), nullptr, className, text);
  }
  // Presses `button`; a second thread types `path` into the open-file dialog (when given) and
  // answers the page's boxes with `answers`. Their texts; `icon` takes the icon a box showed.
  Texts Press(const wchar_t* caption, const std::wstring& path, std::vector<int> answers,
              HICON* icon = nullptr) {
    Texts seen;
    std::thread driver([&] {
      if (!path.empty()) {
        HWND dialog = wine_test::WaitForWindow(L"#32770", GetCurrentProcessId());
        SetWindowTextW(GetDlgItem(dialog, 0x47C), path.c_str());  // the file name
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
      }
      // A box beyond those expected is recorded too, and answered No.
      for (size_t i = 0;; ++i) {
        HWND box = wine_test::WaitForWindow(L"#32770", GetCurrentProcessId(), L"Tavion",
                                            i < answers.size() ? 10000 : 1000);
        if (!box) break;
        for (HWND child : wine_test::ChildrenOfClass(box, L"Static"))
          if (icon && (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            *icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
        seen.push_back(wine_test::WindowText(GetDlgItem(box, 0xFFFF)));
        PostMessageW(box, WM_COMMAND, i < answers.size() ? answers[i] : IDNO, 0);
        wine_test::PumpUntil([box] { return !IsWindow(box); });
      }
    });
    HWND button = Control(L"Button", caption);
    SendMessageW(page->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    driver.join();
    return seen;
  }

  wine_test::TestWindow window{{.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, .width = 560}};
  const std::wstring root = wine_test::ProgramFolder() + L"\\" + wine_test::UniqueName(L"plug");
  const std::wstring folder = root + L"\\PlugIns";
  const std::wstring sample = wine_test::ProgramFolder() + L"\\sample-plugin\\" + kSample;
  TActionsList list;
  std::unique_ptr<PluginHost> host;
  std::unique_ptr<Page> page;
};

TEST_F(PluginsPageTest, AddInstallsAsksBeforeReplacingAndDeleteUninstalls) {
  const std::wstring installed = folder + L"\\" + kSample;
  EXPECT_EQ(Texts{}, Press(L"Add", sample, {}));
  wchar_t texts[2][64] = {};
  for (int column = 0; column < 2; ++column)
    ListView_GetItemText(Control(WC_LISTVIEWW), 0, column, texts[column], 64);
  EXPECT_EQ((Texts{L"Tavion sample", kSample}), (Texts{texts[0], texts[1]}));
  EXPECT_NE(std::wstring::npos,
            wine_test::WindowText(Control(L"Edit")).find(L"the Tavion plug-in kit, version 1.2"));
  wine_test::SaveScreenshot("plugins_page");

  // The same file again, both with a version: No keeps the installed one; Yes uninstalls and
  // removes it, then copies and installs the new one.
  const std::wstring question =
      L"File already exists: TavionSample.dll, version 1.2\rreplace it "
      L"by: TavionSample.dll, version 1.2?";
  for (const int answer : {IDNO, IDYES})
    EXPECT_EQ(Texts{question}, Press(L"Add", sample, {answer}));
  EXPECT_EQ((std::vector<DWORD>{2, 1}), InstallCounts());

  HICON icon = nullptr;
  EXPECT_EQ(Texts{L"Tavion sample\rcontains actions:\r\nSay"},
            Press(L"Actions", {}, {IDOK}, &icon));
  EXPECT_NE(LoadIconW(nullptr, IDI_INFORMATION), icon) << "the plug-in's own icon";

  EXPECT_EQ(Texts{L"Are you sure you want to delete 'Tavion sample?'"},
            Press(L"Delete", {}, {IDYES}));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(installed.c_str()));
  EXPECT_EQ((std::vector<DWORD>{2, 2}), InstallCounts());
  EXPECT_EQ(0, ListView_GetItemCount(Control(WC_LISTVIEWW)));
  EXPECT_FALSE(IsWindowEnabled(Control(L"Button", L"Options"))) << "no row selected";
}

TEST_F(PluginsPageTest, SaysWhyAFileCannotBeWrittenOrTheFolderIsMissing) {
  // A folder in the way of the file: the copy fails, and the message names the folder and why.
  ASSERT_TRUE(CreateDirectoryW((folder + L"\\" + kSample).c_str(), nullptr));
  const Texts seen = Press(L"Add", sample, {IDYES, IDOK});
  EXPECT_EQ(L"File - TavionSample.dll already exists, replace it?)", seen.at(0));
  const std::wstring start = L"Can't copy the PlugIn into the folder:\r" + folder + L"\r\r";
  EXPECT_EQ(start, seen.at(1).substr(0, start.size()));
  EXPECT_GT(seen.at(1).size(), start.size()) << "the system's reason";

  const std::wstring missing = root + L"\\Missing";
  Open(missing);
  EXPECT_EQ(L"Fatal error - folder not found:\r\n" + missing,
            wine_test::WindowText(Control(L"Edit")));
  EXPECT_FALSE(IsWindowVisible(Control(L"Button", L"Add"))) << "no toolbar";
}

// The editor's plug-in tab: the panel shows a copy that OK stores and Cancel drops.
TEST_F(PluginsPageTest, TheEditorsPanelEditsACopyThatOnlyOkStores) {
  ASSERT_TRUE(CopyFileW(sample.c_str(), (folder + L"\\" + kSample).c_str(), FALSE));
  host->Load("1.0");
  SetPluginCodeResolver(host.get());
  const wine_test::ScopeExit unset([] { SetPluginCodeResolver(nullptr); });
  ActionTree tree;
  TAction& say = list.Add();
  say.SetExec(MakePluginCode("TavionSample.dll", "Say"));
  say.Key0().SetHKey(PackHotKey(VK_F9, 0, 0, 2));
  const Persistent& params = *say.ParamsAs<TActionParamsPlug>()->Params;
  tree.Rebuild(list, [](TAction&) { return std::string("Say hello"); });
  ActionEditorContext context;
  context.owner = window.hwnd();
  context.instance = GetModuleHandleW(nullptr);
  context.tree = &tree;
  context.actions = &list;
  context.plugins = host.get();
  ActionEditorRequest request;
  request.isNew = false;
  request.selected = 0;
  for (const int button : {IDCANCEL, IDOK}) {
    std::thread driver([&] {
      HWND dialog = wine_test::WaitForWindow(L"#32770", GetCurrentProcessId(), L"Edit action");
      TabCtrl_SetCurFocus(FindWindowExW(dialog, nullptr, WC_TABCONTROLW, nullptr), 1);
      HWND edit = nullptr;
      wine_test::PumpUntil([&] {
        EnumChildWindows(dialog, &FindSampleText, reinterpret_cast<LPARAM>(&edit));
        return edit != nullptr;
      });
      SetWindowTextW(edit, button == IDOK ? L"stored" : L"dropped");
      if (button == IDOK) wine_test::SaveScreenshot("action_editor_plugin_panel");
      PostMessageW(dialog, WM_COMMAND, button, 0);
    });
    ShowActionEditor(context, request);
    driver.join();
    const Property& text = params.Properties()[0];  // the sample's "Text"
    EXPECT_EQ(button == IDOK ? "stored" : "", text.getString(params, text));
  }
}

}  // namespace
}  // namespace tavion
