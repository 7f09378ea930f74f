// What the running Tavion tells plug-ins through its query message.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tavion_plugin.h"
#include "tavion_process.h"

namespace tavion::e2e {
namespace {

TEST(Plugins, TheQueryMessageAnswersTheSettingsRootTheLanguageAndTheWindow) {
  WriteSetting(L"", L"Language", L"Deutsch");
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);
  // The answer is an address in Tavion's process.
  const auto text = [&](WPARAM wParam) {
    const LRESULT address = SendMessageW(main, TAVION_WM_QUERY, wParam, 0);
    char buffer[64] = {};
    ReadProcessMemory(tavion.info.hProcess, reinterpret_cast<const void*>(address), buffer,
                      sizeof buffer - 1, nullptr);
    return std::string(buffer);
  };
  EXPECT_EQ("Software\\Quillon\\Tavion", text(0x301));
  EXPECT_EQ("Deutsch", text(2));
  EXPECT_EQ("", text(0x164));
  EXPECT_EQ(reinterpret_cast<LRESULT>(main), SendMessageW(main, TAVION_WM_QUERY, 0x10064, 0));
  ExitConfirmed(tavion, main);
}

}  // namespace
}  // namespace tavion::e2e
