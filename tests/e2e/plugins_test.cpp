// "Plugins" as a user meets it: the kit's sample added through "Add" and the open-file dialog,
// listed, then deleted again with the Delete key, from the keyboard alone; and what the running
// Tavion tells plug-ins through its query message.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tavion_plugin.h"
#include "tavion_process.h"

namespace tavion::e2e {
namespace {

TEST(Plugins, TheSampleAddedThroughThePageIsInstalledAndDeletedAgain) {
  const std::wstring installed = wine_test::ProgramFolder() + L"\\PlugIns\\TavionSample.dll";
  const wine_test::ScopeExit cleanUp([&] { DeleteFileW(installed.c_str()); });
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);

  // The navigation's eleventh row below the top, all panels open.
  Press({VK_HOME});
  for (int i = 0; i < 11; ++i) Press({VK_DOWN});
  Press({VK_RETURN});
  ASSERT_TRUE(WaitUntil([&] { return PageTitle(main) == L"Plugins"; })) << PageTitle(main);
  // Tab by Tab, each waited for, through the toolbar to "Add"; "Help" and the list follow it.
  for (int i = 0; i < 8 && wine_test::WindowText(FocusOf(main)) != L"Add"; ++i) {
    HWND before = FocusOf(main);
    Press({VK_TAB});
    WaitUntil([&] { return FocusOf(main) != before; }, 3000);
  }
  HWND list = GetWindow(GetWindow(FocusOf(main), GW_HWNDNEXT), GW_HWNDNEXT);
  const LRESULT before = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
  ASSERT_EQ(L"Add", wine_test::WindowText(FocusOf(main)));
  Press({VK_SPACE});
  ASSERT_NE(nullptr, wine_test::WaitForWindow(L"#32770", tavion.Id()));
  Sleep(500);  // the dialog takes the focus in its file name field
  Type(wine_test::ProgramFolder() + L"\\sample-plugin\\TavionSample.dll");
  Press({VK_RETURN});
  ASSERT_TRUE(WaitUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == before + 1; }));
  Sleep(300);
  SaveScreenshot("page-plugins-" + std::to_string(ScreenDpi()));

  // The new row is selected; Delete asks first (the question is tested in the Wine tier), Enter
  // is Yes.
  Press({VK_TAB});
  Press({VK_TAB});
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == list; })) << "Add, Help, then the list";
  Press({VK_DELETE});
  ASSERT_NE(nullptr, wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Tavion"));
  Press({VK_RETURN});
  EXPECT_TRUE(WaitUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == before; }));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(installed.c_str()));
  ExitConfirmed(tavion, main);
}

TEST(Plugins, TheQueryMessageAnswersTheSettingsRootTheLanguageAndTheWindow) {
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);
  const auto text = [&](WPARAM wParam) {  // the answer points into Tavion's process
    char buffer[64] = {};
    const LRESULT answer = SendMessageW(main, TAVION_WM_QUERY, wParam, 0);
    ReadProcessMemory(tavion.info.hProcess, reinterpret_cast<const void*>(answer), buffer, 63,
                      nullptr);
    return std::string(buffer);
  };
  EXPECT_EQ((std::vector<std::string>{"Software\\Quillon\\Tavion", "English", ""}),
            (std::vector<std::string>{text(0x301), text(2), text(0x164)}));
  EXPECT_EQ(reinterpret_cast<LRESULT>(main), SendMessageW(main, TAVION_WM_QUERY, 0x10064, 0));
  ExitConfirmed(tavion, main);
}

}  // namespace
}  // namespace tavion::e2e
