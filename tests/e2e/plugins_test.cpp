// What the running Tavion tells plug-ins through its query message.
#include <gtest/gtest.h>

#include "tavion_plugin.h"
#include "tavion_process.h"

namespace tavion::e2e {
namespace {

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
