#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <tuple>

#include "doubles/failing_registry.h"
#include "registry_dump.h"
#include "settings/section_view.h"
#include "ui/main_options.h"

namespace tavion {
namespace {

using Lines = std::vector<std::string>;
constexpr double kNow = 46000.25;

// A window on a 1024 x 768 screen that records what the settings did to it; its bounds are left,
// top, width and height.
class FakeWindow final : public MainWindowGeometry {
 public:
  int ScreenWidth() const override { return 1024; }
  int ScreenHeight() const override { return 768; }
  void SetSize(int width, int height) override { bounds[2] = width, bounds[3] = height; }
  void SetLeft(int left) override { bounds[0] = left, leftSet = true; }
  void SetTop(int top) override { bounds[1] = top; }
  void Maximize() override { maximized = true; }
  bool IsMaximized() const override { return maximized; }
  std::optional<WindowRect> NormalBounds() const override {
    return placementKnown ? std::optional(WindowRect{bounds[0], bounds[1], bounds[2], bounds[3]})
                          : std::nullopt;
  }

  std::array<int, 4> bounds{7, 7, 1, 1};
  bool maximized = false, leftSet = false, placementKnown = true;
};

class SettingsStoreTest : public testing::Test {
 protected:
  void SetUp() override { ResetSettings(); }
  void TearDown() override { ResetSettings(); }
  // Phase 1 answering the conflict question with `answer` (none: nobody to ask).
  bool Phase1(std::optional<AskAnswer> answer = AskAnswer::kNo) {
    OptLoadStart start{.fullVersion = "1.0.0.1",
                       .ask = nullptr,
                       .applyPriority = [this](ProcessPriority p) { priorities.push_back(p); }};
    if (answer) {
      start.ask = [this, answer](const std::string& message) {
        questions.push_back(message);
        return *answer;
      };
    }
    return OptLoadPhase1(store, Settings(), start);
  }
  LoadedLists Phase2(bool autorunStart = false, int dpi = 96) {
    return OptLoadPhase2(store, Settings(), form, window, {autorunStart, "1.0", kNow, dpi});
  }
  bool Save(const Lines* ignoredKeys = nullptr, RegistryStore* to = nullptr,
            std::function<void()> saveActions = {}) {
    return OptSave(to ? *to : store, Settings(), form, window,
                   {"1.0.0.1", "C:\\Tavion", ignoredKeys, std::move(saveActions)});
  }

  MemoryRegistry store;
  MemoryForm form{MainOptionControls()};
  FakeWindow window;
  Lines questions;
  std::vector<ProcessPriority> priorities;
};

// Another settings version: Yes empties the root but for the version, No and nobody to ask keep
// everything, Cancel ends the program; Phase 1 then reads what is left.
TEST_F(SettingsStoreTest, KernelConflictYesEmptiesTheRootNoKeepsItCancelEnds) {
  const Lines kept = {"[]", "KERNEL='4A.0'", "Beep_Enab=1", "[Keys]", "ProfileNm='Work'"};
  const std::tuple<std::optional<AskAnswer>, bool, Lines> cases[] = {
      {AskAnswer::kYes, true, {"[]", "VER='1.0.0.1'"}},
      {AskAnswer::kNo, true, kept},
      {std::nullopt, true, kept},
      {AskAnswer::kCancel, false, kept},
  };
  for (const auto& [answer, continues, treeAfter] : cases) {
    SCOPED_TRACE(answer ? static_cast<int>(*answer) : -1);
    store.DeleteKey("");
    ResetSettings();
    questions.clear();
    PutTree(store, "", kept);
    EXPECT_EQ(continues, Phase1(answer));
    EXPECT_EQ(answer ? Lines{KernelConflictMessage("4A.0")} : Lines{}, questions);
    EXPECT_EQ(treeAfter, DumpTree(store, ""));
    EXPECT_EQ(answer == AskAnswer::kNo || !answer ? "Work" : "Default", Settings().ProfileNm);
  }
}

// Only the two raised priorities are applied; normal and anything unknown leave the process alone.
TEST_F(SettingsStoreTest, AStoredRaisedPriorityIsApplied) {
  for (uint32_t stored : {0u, 1u, 2u, 3u}) {
    store.WriteInteger("", "Priority", stored);
    ASSERT_TRUE(Phase1());
  }
  EXPECT_EQ((std::vector{ProcessPriority::kAboveNormal, ProcessPriority::kHigh}), priorities);
}

TEST_F(SettingsStoreTest, GeometryIsAppliedAndAnAutorunStartStaysOffScreenButSavesCentred) {
  PutTree(store, "", {"[]", "_FWidth=800", "_FHeight=600", "_FLeft=4294967276", "_FTop=30"});
  Phase2();
  EXPECT_EQ((std::array{-20, 30, 800, 600}), window.bounds);

  window = FakeWindow();
  Phase2(/*autorunStart=*/true);
  EXPECT_EQ(1024, window.bounds[0]);
  window.bounds = {1024, 40, 700, 400};
  ASSERT_TRUE(Save());
  EXPECT_EQ(std::pair((1024 - 700) / 2, 40),
            std::pair(ReadInt(store, "", "_FLeft", 0), ReadInt(store, "", "_FTop", 0)));
  Settings().FLeft = window.bounds[0] = 300;  // shown since: the placement's own left is kept
  ASSERT_TRUE(Save());
  EXPECT_EQ(300, ReadInt(store, "", "_FLeft", 0));

  window = FakeWindow();
  store.WriteInteger("", "_FMax", 1);
  Phase2(/*autorunStart=*/true);
  EXPECT_EQ(std::pair(true, false), std::pair(window.maximized, window.leftSet))
      << "a maximised window keeps its left";

  MemoryRegistry fresh;
  window.placementKnown = false;
  ASSERT_TRUE(Save(nullptr, &fresh));
  EXPECT_EQ("_FMax=1", DumpValues(fresh, "").at(7)) << "without a placement, no bounds before it";
}

// Interrupted at any write, the save says so.
TEST_F(SettingsStoreTest, AFailedWriteFailsTheSave) {
  FailingRegistry counting;
  ASSERT_TRUE(Save(nullptr, &counting));
  for (std::size_t step = 1; step <= counting.MutatingCalls(); ++step) {
    FailingRegistry failing(step);
    EXPECT_FALSE(Save(nullptr, &failing)) << "failing from write " << step;
  }
}

TEST_F(SettingsStoreTest, ValuesOfTheWrongTypeOrSizeReadAsDefaults) {
  PutTree(
      store, "",
      {"[]", "KERNEL=4", "ThirstRun='0'", "_FWidth='800'", "_FHeight=0", "_FTop=1",
       "Opt_TrayIcon='x'", "TrayIcon='0'", "ClearRawMouseDevice=1", "[Keys]", "ProfileNm=3",
       "[Desk]", "Show_Time='100'", "[Misc]", "ClearRawKeyboardDevice=1"});  // raw input: Misc only
  store.WriteBinary("Misc", "LastUpdate", std::vector<uint8_t>(4));
  store.WriteBinary("Misc", "LastUpdateNaN", std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0xF8, 0x7F});
  store.WriteOther("Desk", "AlphaVal", std::vector<uint8_t>{5, 0});
  ASSERT_TRUE(Phase1());
  EXPECT_TRUE(Phase2().profileNames.empty());
  const SettingsRecord& s = Settings();
  EXPECT_EQ(std::tuple(0u, 0u, true, "Default", 2500, 220, kNow + 5, false, true, false, true),
            std::tuple(questions.size(), priorities.size(), s.ThirstRun, s.ProfileNm, s.Show_Time,
                       s.AlphaVal, s.LastUpdate, s.ClearRawMouseDevice, s.ClearRawKeyboardDevice,
                       window.maximized, form.Checked(*form.Find("Opt_TrayIcon"))));
  EXPECT_DOUBLE_EQ(kNow, ReadDateTime(store, "Misc", "LastUpdateNaN", kNow));
  EXPECT_EQ((std::array{(1024 - 650) / 2, 1, 650, 500}), window.bounds) << "centred";
  store.DeleteValue("", "_FWidth");
  Phase2(/*autorunStart=*/false, /*dpi=*/144);
  EXPECT_EQ((std::array{975, 750}), (std::array{window.bounds[2], window.bounds[3]}))
      << "at 144 dpi";
}

// The remembered newer version outlives only runs older than it, by number (running "1.0").
TEST_F(SettingsStoreTest, ARememberedVersionIsKeptOnlyWhileItIsNewerByNumber) {
  const std::pair<const char*, const char*> cases[] = {
      {"1.1", "1.1"}, {"01.5", "01.5"}, {"1.00", ""}, {"0.9", ""}};
  for (const auto& [stored, kept] : cases) {
    WriteStr(store, "Misc", "LastUpdateVersion", stored);
    Phase2();
    EXPECT_EQ(kept, Settings().LastUpdateVersion) << stored;
  }
}

// The root is written in its order, the actions last, values that are only read never, and an
// empty ignore list as no key; what is saved loads back and saves again as the same tree.
TEST_F(SettingsStoreTest, SaveLoadSaveGivesTheSameTreeWrittenInItsOrder) {
  SettingsRecord& s = Settings();
  s.Lang_Icon = false, s.Lang_Icon_Set = 2, s.Language = "Deutsch", s.ProfileNm = "Work";
  s.Beep_Enab = true, s.PosX = -40, s.Font_Name = "Tahoma", s.ColorBack = 0x00FFEEDD;
  s.Show_Time = 900, s.Alpha = true, s.AlphaVal = 128, s.Blend_VMin = -3, s.FormInput_Top = -1;
  s.LastUpdate = 45000.5, s.LastUpdateVersion = "9.9", s.Fr2_Size = (300 << 16) | 200;
  s.Priority = 2, s.ClearRawKeyboardDevice = true, s.TR_upkeys_list = "a,b";
  s.var_datetime = "dd", s.foobar2000_class = "Foo";
  window.bounds = {11, 22, 700, 450};
  form.SetChecked(*form.Find("Opt_TrayIcon"), false);
  form.SetItemIndex(*form.Find("OPT_OSD_SKIN"), 6);
  form.SetText(*form.Find("Opt_WAmp_Path"), "D:\\Winamp\\winamp.exe");
  form.SetExpanded(*form.Find("Opt_ip1"), false);
  const Lines keys = {"F1", "Win + R"}, profiles = {"[Keys\\Work]", "[Keys\\Default]"}, none;
  PutTree(store, "", profiles);
  Lines deskWhenActionsSaved;
  ASSERT_TRUE(Save(&keys, nullptr, [&] { deskWhenActionsSaved = DumpValues(store, "Desk"); }));
  const Lines first = DumpTree(store, "");
  Lines root = DumpValues(store, "");
  EXPECT_EQ("Beep_Enab=1", root.back());
  root.resize(12);
  EXPECT_EQ((Lines{"VER='1.0.0.1'", "KERNEL='4B.0(SOLID)'", "ThirstRun=0", "Lang_Icon=0",
                   "Lang_Icon_Set=2", "Language='Deutsch'", "Path='C:\\Tavion'", "_FTop=22",
                   "_FLeft=11", "_FWidth=700", "_FHeight=450", "_FMax=0"}),
            root);
  for (const char* section : {"", "Misc"}) {
    for (const char* name : {"Priority", "TR_upkeys_list", "ClearRawKeyboardDevice", "var_datetime",
                             "foobar2000_class"})
      EXPECT_FALSE(store.ValueExists(section, name)) << section << "\\" << name;
  }
  EXPECT_EQ(DumpValues(store, "Desk"), deskWhenActionsSaved);
  EXPECT_EQ(8u, store.ReadBinary("Misc", "LastUpdate")->size());

  ResetSettings();
  form = MemoryForm{MainOptionControls()};
  Settings().Language = ReadInterfaceLanguage(store);
  window = FakeWindow();
  ASSERT_TRUE(Phase1());
  EXPECT_TRUE(questions.empty()) << "the settings of this version ask nothing";
  const LoadedLists lists = Phase2();
  EXPECT_EQ((Lines{"Default", "Work"}), lists.profileNames);
  EXPECT_EQ(6, Settings().SkinType);
  store.DeleteKey("");
  PutTree(store, "", profiles);
  ASSERT_TRUE(Save(&lists.ignoredKeys));
  EXPECT_EQ(first, DumpTree(store, ""));
  ASSERT_TRUE(Save(&none));
  EXPECT_FALSE(store.KeyExists("ExKeys\\IgnoreList")) << "an empty ignore list is no key";
}

}  // namespace
}  // namespace tavion
