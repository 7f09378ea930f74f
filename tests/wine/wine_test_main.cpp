// Entry of every Wine test program: each test starts from an empty HKCU\Software\Quillon and
// without the program's autorun value.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

void ClearQuillonKey() {
  // A missing key is the state we want; any other failure would leak state between tests.
  const LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillon");
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
    ADD_FAILURE() << "cannot clear HKCU\\Software\\Quillon, status " << status;
  }
}

// The autorun value a first start of the program writes: a later session of the prefix would
// start the program by it.
void ClearAutorunValue() {
  RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                     L"Tavion");
}

class CleanRegistryListener : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override {
    ClearQuillonKey();
    ClearAutorunValue();
  }
  void OnTestProgramEnd(const testing::UnitTest&) override { ClearAutorunValue(); }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleMock(&argc, argv);
  testing::UnitTest::GetInstance()->listeners().Append(new CleanRegistryListener);
  return RUN_ALL_TESTS();
}
