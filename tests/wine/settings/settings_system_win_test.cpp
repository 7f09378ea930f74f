#include "settings/settings_system_win.h"

#include <gtest/gtest.h>

#include <ctime>

#include "native/registry_dump.h"
#include "settings/registry_win.h"
#include "settings/section_view.h"
#include "ui/main_options.h"
#include "test_window.h"

namespace tavion {
namespace {

class SettingsSystemTest : public testing::Test {
 protected:
  void SetUp() override { ResetSettings(); }
  void TearDown() override { ResetSettings(); }
};

TEST_F(SettingsSystemTest, HiddenWindowTakesTheLoadedGeometryAndShowsMaximisedLater) {
  TestWindow window(300, 200);
  Win32WindowGeometry geometry(window.get());
  Win32Registry store(HKEY_CURRENT_USER, kSettingsRootPath);
  ASSERT_TRUE(store.WriteInteger("", "_FWidth", 520));
  ASSERT_TRUE(store.WriteInteger("", "_FHeight", 410));
  ASSERT_TRUE(store.WriteInteger("", "_FLeft", 33));
  ASSERT_TRUE(store.WriteInteger("", "_FTop", 44));
  MemoryForm form(MainOptionControls());
  OptLoadPhase2(store, Settings(), form, geometry, OptLoadFull{false, "1.0", 45000});

  RECT r = {};
  GetWindowRect(window.get(), &r);
  EXPECT_EQ(33, r.left);
  EXPECT_EQ(44, r.top);
  EXPECT_EQ(520, r.right - r.left);
  EXPECT_EQ(410, r.bottom - r.top);
  EXPECT_EQ(SW_SHOWNORMAL, geometry.ShowCommandForFirstShow(SW_SHOWNORMAL));

  ASSERT_TRUE(store.WriteInteger("", "_FMax", 1));
  OptLoadPhase2(store, Settings(), form, geometry, OptLoadFull{false, "1.0", 45000});
  EXPECT_FALSE(IsWindowVisible(window.get())) << "loading never shows the window";
  EXPECT_TRUE(geometry.IsMaximized());
  EXPECT_EQ(SW_SHOWMAXIMIZED, geometry.ShowCommandForFirstShow(SW_SHOWNORMAL));
}

TEST_F(SettingsSystemTest, MaximisedWindowKeepsAndReportsItsRestoredBounds) {
  TestWindow window(300, 200);
  Win32WindowGeometry geometry(window.get());
  ShowWindow(window.get(), SW_SHOWNORMAL);
  geometry.SetSize(400, 300);
  geometry.SetLeft(50);
  geometry.SetTop(60);
  geometry.Maximize();
  ASSERT_TRUE(IsZoomed(window.get()));
  geometry.SetLeft(70);
  ASSERT_TRUE(IsZoomed(window.get()));

  const std::optional<WindowRect> bounds = geometry.NormalBounds();
  ASSERT_TRUE(bounds.has_value());
  EXPECT_EQ(70, bounds->left);
  EXPECT_EQ(60, bounds->top);
  EXPECT_EQ(400, bounds->width);
  EXPECT_EQ(300, bounds->height);
  ShowWindow(window.get(), SW_RESTORE);
  RECT r = {};
  GetWindowRect(window.get(), &r);
  EXPECT_EQ(70, r.left);
  EXPECT_EQ(400, r.right - r.left);
}

TEST_F(SettingsSystemTest, OptSaveWritesTheStoredTypesAndSurvivesARoundTrip) {
  TestWindow window(300, 200);
  Win32WindowGeometry geometry(window.get());
  Win32Registry store(HKEY_CURRENT_USER, kSettingsRootPath);
  MemoryForm form(MainOptionControls());
  SettingsRecord& s = Settings();
  ASSERT_TRUE(OptLoadPhase1(store, s, OptLoadStart{"1.0.0.1", nullptr, nullptr}));
  OptLoadPhase2(store, s, form, geometry, OptLoadFull{false, "1.0", 45000});
  s.FontStyle = 0x0B;
  s.LastUpdateVersion = "2.0";
  const std::vector<std::string> ignored = {"F1", "Ctrl + \"Q\""};
  OptSaveContext context{"1.0.0.1", "C:\\Tavion", &ignored, nullptr};
  ASSERT_TRUE(OptSave(store, s, form, geometry, context));

  EXPECT_EQ(RegistryValueType::kBinary, store.TypeOf("Misc", "LastUpdate"));
  EXPECT_EQ(8u, store.ReadBinary("Misc", "LastUpdate")->size());
  EXPECT_DOUBLE_EQ(45005, ReadDateTime(store, "Misc", "LastUpdate", 0));
  EXPECT_EQ(RegistryValueType::kInteger, store.TypeOf("Desk", "FontStyle"));
  EXPECT_EQ(0x0Bu, store.ReadInteger("Desk", "FontStyle"));
  EXPECT_EQ(RegistryValueType::kInteger, store.TypeOf("", "_FMax"));
  EXPECT_EQ(RegistryValueType::kString, store.TypeOf("ExKeys\\IgnoreList", "Items"));
  const std::vector<std::string> first = DumpTree(store, "");

  ResetSettings();
  MemoryForm fresh(MainOptionControls());
  s.Language = ReadInterfaceLanguage(store);
  ASSERT_TRUE(OptLoadPhase1(store, s, OptLoadStart{"1.0.0.1", nullptr, nullptr}));
  const LoadedLists lists = OptLoadPhase2(store, s, fresh, geometry, OptLoadFull{false, "1.0", 0});
  EXPECT_EQ(ignored, lists.ignoredKeys);
  ASSERT_TRUE(store.DeleteKey(""));
  context.ignoredKeys = &lists.ignoredKeys;
  ASSERT_TRUE(OptSave(store, s, fresh, geometry, context));
  EXPECT_EQ(first, DumpTree(store, ""));
}

TEST_F(SettingsSystemTest, KernelYesLeavesOnlyTheVersionInTheRealRegistry) {
  Win32Registry store(HKEY_CURRENT_USER, kSettingsRootPath);
  ASSERT_TRUE(store.WriteString("", "KERNEL", "4A.0"));
  ASSERT_TRUE(store.WriteInteger("Desk", "AlphaVal", 3));
  const OptLoadStart start{"1.0.0.1", [](const std::string&) { return AskAnswer::kYes; }, nullptr};
  ASSERT_TRUE(OptLoadPhase1(store, Settings(), start));
  EXPECT_EQ((std::vector<std::string>{"[]", "VER='1.0.0.1'"}), DumpTree(store, ""));
}

TEST_F(SettingsSystemTest, PriorityRaisesTheProcessClass) {
  ASSERT_TRUE(ApplyProcessPriority(ProcessPriority::kAboveNormal));
  EXPECT_EQ(static_cast<DWORD>(ABOVE_NORMAL_PRIORITY_CLASS), GetPriorityClass(GetCurrentProcess()));
  EXPECT_EQ(THREAD_PRIORITY_ABOVE_NORMAL, GetThreadPriority(GetCurrentThread()));
  ASSERT_TRUE(ApplyProcessPriority(ProcessPriority::kHigh));
  EXPECT_EQ(static_cast<DWORD>(HIGH_PRIORITY_CLASS), GetPriorityClass(GetCurrentProcess()));
  EXPECT_EQ(THREAD_PRIORITY_HIGHEST, GetThreadPriority(GetCurrentThread()));
  // Back to normal for the tests that follow.
  SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
}

TEST_F(SettingsSystemTest, CurrentDateTimeIsTodayWithinTheTimeZone) {
  const double utcDays = 25569 + static_cast<double>(std::time(nullptr)) / 86400;
  EXPECT_NEAR(utcDays, CurrentDateTime(), 15.0 / 24);
}

}  // namespace
}  // namespace tavion
