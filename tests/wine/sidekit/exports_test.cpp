// Sidekit32.dll exports every function under its plain name, the way Tavion looks them up.
#include <windows.h>

#include <gtest/gtest.h>

#include "sidekit_api.h"

namespace {

TEST(Exports, EveryFunctionIsFoundByItsPlainName) {
  ASSERT_NE(nullptr, sidekit_test::SidekitModule());
  const char* const names[] = {
      "InitHookEx",       "FreeHookEx",    "ForceForegroundWindow",
      "GetFocusedWindow", "Reg1KeyExists", "Reg1ValueExists",
      "Reg1ReadInt",      "Reg1ReadStr",   "Reg1WriteStr",
      "Reg1DeleteValue",  "Reg1DeleteKey", "IsExeLoaded",
      "GetAnimation",     "SetAnimation",  "GetBuildTime",
      "GetFileVerEx",     "GetFileVer",    "CutVer",
      "CheckWrite",
  };
  for (const char* name : names) {
    EXPECT_NE(nullptr, GetProcAddress(sidekit_test::SidekitModule(), name)) << name;
  }
}

}  // namespace
