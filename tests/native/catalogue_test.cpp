#include "actions/catalogue.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fake_language.h"
#include "keys/key_names.h"
#include "lang/lang.h"
#include "settings/registry.h"

namespace tavion {
namespace {

struct Expected {
  const char* code;
  const char* name;
  bool mainThreadOnly;
};

// The program's own actions in catalogue order.
const Expected kExpected[] = {
    {"", "Folder", false},
    {"srun", "Open file/folder (ShellExec)", false},
    {"ms_wmsg", "Send message to window", false},
    {"ke_keyz", "Replace pressed key", true},
    {"mc_play", "Play macros", true},
    {"mc_text", "Type simple text", true},
    {"wa_wamp", "Launch Winamp", false},
    {"wa_s/\\h", "Show/hide Winamp", true},
    {"wa_play", "Start playback", false},
    {"wa_stop", "Stop playback", false},
    {"wa_prev", "Previous track", false},
    {"wa_next", "Next track", false},
    {"wa_song", "Show track name", false},
    {"wa_rrew", "Back 5 seconds", false},
    {"wa_ffor", "Frw 5 seconds", false},
    {"wa_rand", "Toggle shuffling", false},
    {"wa_loop", "Toggle repeating", false},
    {"wa_wvup", "Winamp sound - up", false},
    {"wa_wvdw", "Winamp sound - down", false},
    {"wa_pnew", "Load new playlist", false},
    {"wa_delf", "Physically remove selected file", false},
    {"wa_jump", "Jump to track", false},
    {"wa_focs", "Set focus to media player", false},
    {"wa_shw1", "Show/hide main window", false},
    {"wa_shw2", "Show/hide equalizer window", true},
    {"wa_shw3", "Show/hide playlist window", false},
    {"wa_libr", "Show/hide media library", false},
    {"wa_siz1", "Change size of main window", true},
    {"wa_siz2", "Change size of equalizer", false},
    {"wa_siz3", "Change size of playlist", false},
    {"tv_opts", "Tavion - show/hide", true},
    {"tv_beep", "Tavion - check", false},
    {"tv_e/\\d", "Tavion - enable/disable", false},
    {"tv_kill", "Tavion - close", false},
    {"wm_scroll", "Window - Scroll & Zoom", true},
    {"wm_wtop", "Window - StayOnTop", false},
    {"wm_wctr", "Window - Move to screen center", false},
    {"wm_wmax", "Window - Maximize/Restore", false},
    {"wm_wmin", "Window - Minimize", false},
    {"wm_wclz", "Window - Close active", false},
    {"wm_alfa", "Window - Transparent", false},
    {"wm_s/\\h", "Window - Show/hide active", false},
};

ActionCatalogueEntry PluginEntry(std::string plugin, std::string name, std::string code,
                                 bool mainThreadOnly, bool notifyBefore) {
  return {.displayName = std::move(name),
          .code = std::move(code),
          .MainThreadOnly = mainThreadOnly,
          .NotifyBefore = notifyBefore,
          .pluginName = std::move(plugin)};
}

class FixedPlugins : public CataloguePluginProvider {
 public:
  explicit FixedPlugins(std::vector<ActionCatalogueEntry> entries) : entries_(std::move(entries)) {}
  std::vector<ActionCatalogueEntry> CatalogueEntries() const override { return entries_; }

 private:
  std::vector<ActionCatalogueEntry> entries_;
};

std::vector<int> Positions(int first, int last) {
  std::vector<int> positions;
  for (int i = first; i <= last; ++i) positions.push_back(i);
  return positions;
}

class CatalogueTest : public testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }

  static void Reset() {
    SetLanguageSource(nullptr);
    SetCataloguePluginProvider(nullptr);
    ChangeKeyNamesTable([](TKeyNames& names) { names.Clear(); });
  }
};

TEST_F(CatalogueTest, BuiltInEntriesInOrderWithEnglishNamesAndFlags) {
  const ActionCatalogue catalogue = ActionCatalogue::WithBuiltIns();
  ASSERT_EQ(static_cast<int>(std::size(kExpected)), catalogue.Count());
  for (int i = 0; i < catalogue.Count(); ++i) {
    const ActionCatalogueEntry entry = catalogue.Entry(i);
    EXPECT_EQ(kExpected[i].code, entry.code) << i;
    EXPECT_EQ(kExpected[i].name, entry.displayName) << i;
    EXPECT_EQ(kExpected[i].mainThreadOnly, entry.MainThreadOnly) << entry.code;
    EXPECT_FALSE(entry.NotifyBefore) << entry.code;
    EXPECT_EQ("", entry.pluginName) << entry.code;
    EXPECT_EQ(i, catalogue.IndexOf(entry.code)) << entry.code;
    EXPECT_EQ(entry, catalogue.Find(entry.code));
  }
}

TEST_F(CatalogueTest, UnknownCodesGiveTheEmptyEntry) {
  const ActionCatalogue catalogue = ActionCatalogue::WithBuiltIns();
  for (const char* code : {"hd_info", "WA_PLAY", "wa_play ", "plug", "x"}) {
    EXPECT_EQ(-1, catalogue.IndexOf(code)) << code;
    EXPECT_EQ(ActionCatalogueEntry{}, catalogue.Find(code)) << code;
  }
  for (int position : {-1, catalogue.Count(), 1000}) {
    EXPECT_EQ(ActionCatalogueEntry{}, catalogue.Entry(position)) << position;
  }
  EXPECT_EQ(0, ActionCatalogue().Count());
  EXPECT_EQ(ActionCatalogueEntry{}, ActionCatalogue().Find(""));
}

TEST_F(CatalogueTest, NamesComeFromTheActionsSectionWithTheFolderUnderNil) {
  auto language = std::make_shared<FakeLanguage>(FakeLanguage::Texts{
      {{"Actions", "nil"}, "Dossier"},
      {{"Actions", "wa_play"}, "Lecture#9!"},
      {{"Strings", "srun"}, "wrong section"},
  });
  SetLanguageSource(language);
  const ActionCatalogue catalogue = ActionCatalogue::WithBuiltIns();
  EXPECT_EQ("Dossier", catalogue.Find("").displayName);
  EXPECT_EQ("Lecture\t!", catalogue.Find("wa_play").displayName);
  EXPECT_EQ("Open file/folder (ShellExec)", catalogue.Find("srun").displayName);
  ASSERT_GE(language->asked.size(), 2u);
  EXPECT_EQ("Actions/nil", language->asked[0]);
  EXPECT_EQ("Actions/srun", language->asked[1]);
}

TEST_F(CatalogueTest, PluginEntriesFollowTheBuiltInsAsGiven) {
  const ActionCatalogue catalogue = ActionCatalogue::WithBuiltIns({
      PluginEntry("Clock", "Show time",
                  "plug\x02"
                  "1Clock.dll\x02"
                  "2ShowTime",
                  false, true),
      PluginEntry("Clock", "Alarm",
                  "plug\x02"
                  "1Clock.dll\x02"
                  "2Alarm",
                  true, false),
  });
  ASSERT_EQ(ActionCatalogue::kBuiltInCount + 2, catalogue.Count());
  const ActionCatalogueEntry first = catalogue.Entry(ActionCatalogue::kBuiltInCount);
  EXPECT_EQ("Show time", first.displayName);
  EXPECT_FALSE(first.MainThreadOnly);
  EXPECT_TRUE(first.NotifyBefore);
  EXPECT_EQ("Clock", first.pluginName);
  EXPECT_EQ(ActionCatalogue::kBuiltInCount + 1, catalogue.IndexOf("plug\x02"
                                                                  "1Clock.dll\x02"
                                                                  "2Alarm"));
  EXPECT_TRUE(catalogue.Entry(ActionCatalogue::kBuiltInCount + 1).MainThreadOnly);
}

TEST_F(CatalogueTest, ChooserGroupsStartAtTheFirstCodeOfEachPrefix) {
  const std::vector<CatalogueGroup> expected = {
      {.caption = "Common actions", .entries = Positions(0, 5)},
      {.caption = "Winamp", .entries = Positions(6, 29)},
      {.caption = "Tavion", .entries = Positions(30, 33)},
      {.caption = "Windows", .entries = Positions(34, 41)},
      {.caption = "PlugIns"},
  };
  EXPECT_EQ(expected, ActionCatalogue::WithBuiltIns().Groups());
}

TEST_F(CatalogueTest, ChooserGroupsTranslateTwoCaptionsAndGroupPluginsByName) {
  SetLanguageSource(std::make_shared<FakeLanguage>(FakeLanguage::Texts{
      {{"Strings", "TreeComm"}, "Allgemein"},
      {{"Strings", "TreeWindows"}, "Fenster"},
      {{"Strings", "Winamp"}, "not translated"},
  }));
  const int base = ActionCatalogue::kBuiltInCount;
  const std::vector<CatalogueGroup> groups =
      ActionCatalogue::WithBuiltIns({
                                        PluginEntry("Clock", "Show time", "plug1", false, false),
                                        PluginEntry("Disc", "Open", "plug2", true, false),
                                        PluginEntry("Clock", "Alarm", "plug3", true, false),
                                    })
          .Groups();
  ASSERT_EQ(5u, groups.size());
  EXPECT_EQ("Allgemein", groups[0].caption);
  EXPECT_EQ("Winamp", groups[1].caption);
  EXPECT_EQ("Fenster", groups[3].caption);
  EXPECT_EQ(Positions(34, 41), groups[3].entries);
  const CatalogueGroup plugins{.caption = "PlugIns",
                               .subGroups = {{.caption = "Clock", .entries = {base, base + 2}},
                                             {.caption = "Disc", .entries = {base + 1}}}};
  EXPECT_EQ(plugins, groups[4]);
}

TEST_F(CatalogueTest, BuildReloadsKeyNamesAndPublishesTheCatalogue) {
  MemoryRegistry registry;
  registry.WriteString(kKeyNamesRegistryPath, "000", "Fancy=44288");
  ChangeKeyNamesTable([](TKeyNames& names) { names.LoadDefaultKeyNames(); });
  BuildCatalogue(registry);
  ASSERT_EQ(1, KeyNamesTable()->Count());
  EXPECT_EQ("Fancy", KeyNamesTable()->NameAt(0));

  registry.WriteString("Elsewhere", "000", "Other=1");
  BuildCatalogue(registry, "Elsewhere");
  EXPECT_EQ("Other", KeyNamesTable()->NameAt(0));

  BuildCatalogue(MemoryRegistry());
  EXPECT_EQ(26, KeyNamesTable()->Count());  // no key: the default names

  EXPECT_EQ(ActionCatalogue::kBuiltInCount, CurrentCatalogue()->Count());
  EXPECT_EQ(7, CatalogueIndexOf("wa_s/\\h"));
  EXPECT_TRUE(FindCatalogueEntry("wa_s/\\h").MainThreadOnly);
  EXPECT_EQ("Window - Transparent", CatalogueEntry(40).displayName);
  EXPECT_EQ(ActionCatalogueEntry{}, FindCatalogueEntry("hd_info"));
}

TEST_F(CatalogueTest, RebuildTakesTheCurrentLanguageAndPlugins) {
  const MemoryRegistry registry;
  BuildCatalogue(registry);
  const std::shared_ptr<const ActionCatalogue> before = CurrentCatalogue();

  SetLanguageSource(
      std::make_shared<FakeLanguage>(FakeLanguage::Texts{{{"Actions", "tv_kill"}, "Beenden"}}));
  SetCataloguePluginProvider(std::make_shared<FixedPlugins>(
      std::vector<ActionCatalogueEntry>{PluginEntry("Disc", "Open", "plugX", false, true)}));
  BuildCatalogue(registry);

  EXPECT_EQ("Beenden", FindCatalogueEntry("tv_kill").displayName);
  EXPECT_EQ(ActionCatalogue::kBuiltInCount, CatalogueIndexOf("plugX"));
  EXPECT_TRUE(FindCatalogueEntry("plugX").NotifyBefore);
  // A reader that took the catalogue before keeps it whole.
  EXPECT_EQ("Tavion - close", before->Find("tv_kill").displayName);
  EXPECT_EQ(-1, before->IndexOf("plugX"));

  SetCataloguePluginProvider(nullptr);
  BuildCatalogue(registry);
  EXPECT_EQ(-1, CatalogueIndexOf("plugX"));
}

}  // namespace
}  // namespace tavion
