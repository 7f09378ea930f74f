// The plug-in page in a plain window with the kit's sample plug-in, and the action editor's panel
// of its action: what the user is asked and shown, what lands in the folder and in the action.
// The page's decisions and texts are tested natively.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "actions/catalogue.h"
#include "actions/params.h"
#include "base/utf_win.h"
#include "forms/form_win.h"
#include "keys/hotkey.h"
#include "plugins/plugin_host_win.h"
#include "plugins/plugin_info.h"
#include "settings/registry.h"
#include "ui/action_editor_win.h"
#include "ui/plugins_page.h"
#include "ui/plugins_page_win.h"
#include "wine/support/layout_check.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

const std::wstring kSample = L"TavionSample.dll";

std::wstring SamplePath() {
  return wine_test::ProgramFolder() + L"\\sample-plugin\\" + kSample;
}

// What the sample counted under HKCU\Software\Quillon\Tavion\SampleTest.
DWORD SampleCount(const wchar_t* name) {
  DWORD count = 0, size = sizeof count;
  RegGetValueW(HKEY_CURRENT_USER, L"Software\\Quillon\\Tavion\\SampleTest", name, RRF_RT_DWORD,
               nullptr, &count, &size);
  return count;
}

// Waits for the program's message box, answers it with `button`; its text.
std::wstring Answer(int button, HICON* icon = nullptr) {
  HWND box = wine_test::WaitForWindow(L"#32770", GetCurrentProcessId(), L"Tavion");
  const std::wstring text = wine_test::WindowText(GetDlgItem(box, 0xFFFF));
  for (HWND child : wine_test::ChildrenOfClass(box, L"Static"))
    if (icon && (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
      *icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
  wine_test::PumpUntil([box] { return !IsWindow(box); });
  return text;
}

// The edit box with id `id` inside `root`, at any depth.
HWND EditOf(HWND root, int id) {
  std::pair<int, HWND> search{id, nullptr};
  EnumChildWindows(
      root,
      [](HWND child, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<std::pair<int, HWND>*>(data);
        wchar_t name[16] = {};
        GetClassNameW(child, name, 16);
        if (GetDlgCtrlID(child) == s->first && lstrcmpiW(name, L"Edit") == 0) s->second = child;
        return s->second == nullptr;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.second;
}

// Types `path` into the open-file dialog and confirms it.
void ChooseFile(const std::wstring& path) {
  HWND dialog = wine_test::WaitForWindow(L"#32770", GetCurrentProcessId());
  HWND name = GetDlgItem(dialog, 0x47C);  // cmb13, the file name
  if (!name) name = GetDlgItem(dialog, 0x480);
  SetWindowTextW(name, path.c_str());
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

class PluginsPageTest : public testing::Test {
 protected:
  void SetUp() override {
    root = wine_test::ProgramFolder() + L"\\" + wine_test::UniqueName(L"plugins");
    folder = root + L"\\PlugIns";
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(SamplePath().c_str()));
    Open(folder);
  }
  void TearDown() override {
    page.reset();
    host.reset();
    for (const std::wstring& name : {kSample, kSample + L"\\"}) {
      DeleteFileW((folder + L"\\" + name).c_str());
      RemoveDirectoryW((folder + L"\\" + name).c_str());
    }
    RemoveDirectoryW(folder.c_str());
    RemoveDirectoryW(root.c_str());
  }

  void Open(const std::wstring& pluginFolder) {
    page.reset();
    host = std::make_unique<PluginHost>(pluginFolder, window.hwnd());
    host->Load("1.0");
    PageServices services;
    services.window = window.hwnd();
    services.instance = GetModuleHandleW(nullptr);
    services.pluginFolder = pluginFolder;
    services.plugins = host.get();
    services.actions = &list;
    services.shortVersion = "1.0";
    services.reloadPlugins = [this] { host->Load("1.0"); };
    page = CreatePluginsPage();
    ASSERT_TRUE(page->Create(window.hwnd(), services));
    RECT client{};
    GetClientRect(window.hwnd(), &client);
    MoveWindow(page->Handle(), 0, 0, client.right, client.bottom, TRUE);
    ShowWindow(page->Handle(), SW_SHOW);
    page->Shown();
    page->Layout(96);
  }

  HWND Control(const wchar_t* className, const wchar_t* text = nullptr) const {
    return FindWindowExW(page->Handle(), nullptr, className, text);
  }
  HWND List() const { return Control(WC_LISTVIEWW); }
  void Click(const wchar_t* caption) {
    HWND button = Control(L"Button", caption);
    SendMessageW(page->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
  }
  std::vector<BOOL> Buttons() const {
    std::vector<BOOL> enabled;
    for (const wchar_t* caption : {L"Options", L"Delete", L"Info", L"Actions", L"Add"})
      enabled.push_back(IsWindowVisible(Control(L"Button", caption)) &&
                        IsWindowEnabled(Control(L"Button", caption)));
    return enabled;
  }
  std::wstring Row(int row) const {
    std::wstring texts;
    for (int column = 0; column < 3; ++column) {
      wchar_t text[128] = {};
      ListView_GetItemText(List(), row, column, text, 128);
      texts += (column ? L"|" : L"") + std::wstring(text);
    }
    return texts;
  }
  // Adds `path` through "Add", answering each question of the page with `answers` in turn.
  std::vector<std::wstring> Add(const std::wstring& path, std::vector<int> answers) {
    std::vector<std::wstring> seen;
    std::thread driver([&] {
      ChooseFile(path);
      for (const int answer : answers) seen.push_back(Answer(answer));
    });
    Click(L"Add");
    driver.join();
    return seen;
  }

  wine_test::TestWindow window{
      {.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, .width = 560, .height = 420}};
  std::wstring root, folder;
  TActionsList list;
  std::unique_ptr<PluginHost> host;
  std::unique_ptr<Page> page;
};

TEST_F(PluginsPageTest, AddInstallsAsksBeforeReplacingAndDeleteUninstalls) {
  const std::wstring installed = folder + L"\\" + kSample;
  EXPECT_EQ(std::vector<std::wstring>{}, Add(SamplePath(), {}));
  EXPECT_EQ(1u, SampleCount(L"InstallCalls"));
  ASSERT_EQ(1, ListView_GetItemCount(List()));
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW(installed.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(L"Tavion sample|TavionSample.dll|" + Utf8ToWide(FileSizeText(data.nFileSizeLow)),
            Row(0));
  EXPECT_EQ((std::vector<BOOL>{TRUE, TRUE, TRUE, TRUE, TRUE}), Buttons());
  EXPECT_NE(std::wstring::npos,
            wine_test::WindowText(Control(L"Edit")).find(L"the Tavion plug-in kit, version 1.2"));
  EXPECT_EQ(std::vector<std::string>{}, wine_test::LayoutFaults(page->Handle(), 96));
  wine_test::SaveScreenshot("plugins_page");

  // The same file again: both carry a version; No keeps the installed one.
  const std::wstring question =
      L"File already exists: TavionSample.dll, version 1.2\rreplace it by: TavionSample.dll, "
      L"version 1.2?";
  EXPECT_EQ(std::vector<std::wstring>{question}, Add(SamplePath(), {IDNO}));
  EXPECT_EQ(std::vector<DWORD>({1, 0}),
            std::vector<DWORD>({SampleCount(L"InstallCalls"), SampleCount(L"UnInstallCalls")}));
  // Yes: the loaded one is uninstalled and removed, the new one copied and installed.
  EXPECT_EQ(std::vector<std::wstring>{question}, Add(SamplePath(), {IDYES}));
  EXPECT_EQ(std::vector<DWORD>({2, 1}),
            std::vector<DWORD>({SampleCount(L"InstallCalls"), SampleCount(L"UnInstallCalls")}));
  EXPECT_EQ(1, ListView_GetItemCount(List()));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((installed + L".new").c_str()));

  // "Actions" names them beside the plug-in's own icon.
  HICON icon = nullptr;
  std::wstring actions;
  std::thread driver([&] { actions = Answer(IDOK, &icon); });
  Click(L"Actions");
  driver.join();
  EXPECT_EQ(L"Tavion sample\rcontains actions:\r\nSay", actions);
  EXPECT_NE(nullptr, icon);
  EXPECT_NE(LoadIconW(nullptr, IDI_INFORMATION), icon);

  // The Delete key of the list, with the question first.
  std::vector<std::wstring> seen;
  driver = std::thread([&] {
    seen.push_back(Answer(IDNO));
    seen.push_back(Answer(IDYES));
  });
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(page->CommandEnabled(ListCommand::kDelete, List()));
    page->RunCommand(ListCommand::kDelete, List());
    EXPECT_EQ(i == 0, GetFileAttributesW(installed.c_str()) != INVALID_FILE_ATTRIBUTES);
  }
  driver.join();
  EXPECT_EQ(std::vector<std::wstring>(2, L"Are you sure you want to delete 'Tavion sample?'"),
            seen);
  EXPECT_EQ(2u, SampleCount(L"UnInstallCalls"));
  EXPECT_EQ(0, ListView_GetItemCount(List()));
  EXPECT_EQ((std::vector<BOOL>{FALSE, FALSE, FALSE, FALSE, TRUE}), Buttons());
}

TEST_F(PluginsPageTest, RefusesWhatIsNoPluginAndSaysWhyAFileCannotBeWritten) {
  const std::wstring notPlugin = wine_test::ProgramFolder() + L"\\Sidekit32.dll";
  EXPECT_EQ(std::vector<std::wstring>{L"'Sidekit32.dll' is not PlugIn for Tavion"},
            Add(notPlugin, {IDOK}));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((folder + L"\\Sidekit32.dll").c_str()));

  // A folder in the way of the file: the copy fails, and the message names the folder.
  ASSERT_TRUE(CreateDirectoryW((folder + L"\\" + kSample).c_str(), nullptr));
  const std::vector<std::wstring> seen = Add(SamplePath(), {IDYES, IDOK});
  ASSERT_EQ(2u, seen.size());
  EXPECT_EQ(L"File - TavionSample.dll already exists, replace it?)", seen[0]);
  EXPECT_EQ(L"Can't copy the PlugIn into the folder:\r" + folder + L"\r\r",
            seen[1].substr(0, folder.size() + 41));
  EXPECT_GT(seen[1].size(), folder.size() + 41) << "with the system's reason";
  EXPECT_EQ(0u, SampleCount(L"InstallCalls"));
}

TEST_F(PluginsPageTest, WithoutItsFolderThePageSaysSoAndHidesTheToolbar) {
  const std::wstring missing = root + L"\\Missing";
  Open(missing);
  EXPECT_EQ(L"Fatal error - folder not found:\r\n" + missing,
            wine_test::WindowText(Control(L"Edit")));
  EXPECT_EQ((std::vector<BOOL>{FALSE, FALSE, FALSE, FALSE, FALSE}), Buttons());
  EXPECT_FALSE(page->CommandEnabled(ListCommand::kDelete, List()));
}

// The editor's plug-in tab: the panel shows a copy, OK stores it, Cancel drops it.
TEST_F(PluginsPageTest, TheEditorsPanelEditsACopyThatOnlyOkStores) {
  ASSERT_TRUE(CopyFileW(SamplePath().c_str(), (folder + L"\\" + kSample).c_str(), FALSE));
  host->Load("1.0");
  SetPluginCodeResolver(host.get());
  const wine_test::ScopeExit unset([] { SetPluginCodeResolver(nullptr); });
  MemoryRegistry store;
  BuildCatalogue(store);
  ActionTree tree;
  TAction& say = list.Add();
  say.SetName("Say hello");
  say.SetExec(MakePluginCode("TavionSample.dll", "Say"));
  say.Key0().SetHKey(PackHotKey(VK_F9, 0, 0, 2));
  auto* params = say.ParamsAs<TActionParamsPlug>();
  ASSERT_TRUE(params && params->Params);
  tree.Rebuild(list, [](TAction& action) { return action.Name(); });
  const auto text = [&] {
    for (const Property& property : params->Params->Properties())
      if (property.name == "Text") return property.getString(*params->Params, property);
    return std::string("?");
  };
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
      HWND tabs = FindWindowExW(dialog, nullptr, WC_TABCONTROLW, nullptr);
      TabCtrl_SetCurFocus(tabs, 1);
      HWND edit = nullptr;  // the sample's text field
      wine_test::PumpUntil([&] { return (edit = EditOf(dialog, 101)) != nullptr; });
      SetWindowTextW(edit, button == IDOK ? L"stored" : L"dropped");
      Sleep(300);
      if (button == IDOK) wine_test::SaveScreenshot("action_editor_plugin_panel");
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    });
    ShowActionEditor(context, request);
    driver.join();
    EXPECT_EQ(button == IDOK ? "stored" : "", text());
  }
}

}  // namespace
}  // namespace tavion
