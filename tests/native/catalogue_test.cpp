#include "actions/catalogue.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "native/support/fake_language.h"
#include "lang/lang.h"

namespace tavion {
namespace {

ActionCatalogueEntry Plugin(std::string plugin, std::string code, bool notifyBefore = false) {
  return {"Run " + code, code, /*MainThreadOnly=*/false, notifyBefore, std::move(plugin)};
}

class FixedPlugins : public CataloguePluginProvider {
 public:
  explicit FixedPlugins(std::vector<ActionCatalogueEntry> entries) : entries_(std::move(entries)) {}
  std::vector<ActionCatalogueEntry> CatalogueEntries() const override { return entries_; }

 private:
  std::vector<ActionCatalogueEntry> entries_;
};

class CatalogueTest : public testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    SetLanguageSource(nullptr);
    SetCataloguePluginProvider(nullptr);
  }
};

// Each prefix group holds exactly the codes of its prefix, the common group the rest before them;
// plug-ins are grouped by plug-in name in the order the names first appear. Each code is found at
// its own position; unknown codes give the empty entry.
TEST_F(CatalogueTest, ChooserGroupsFollowTheCodePrefixesAndLookupsAgree) {
  SetLanguageSource(std::make_shared<FakeLanguage>(FakeLanguage::Texts{
      {{"Strings", "TreeComm"}, "Allgemein"},
      {{"Strings", "TreeWindows"}, "Fenster"},
      {{"Strings", "Winamp"}, "not translated"},
  }));
  const int base = ActionCatalogue::kBuiltInCount;
  const ActionCatalogue catalogue = ActionCatalogue::WithBuiltIns(
      {Plugin("Clock", "plug1"), Plugin("Disc", "plug2"), Plugin("Clock", "plug3")});
  const std::vector<CatalogueGroup> groups = catalogue.Groups();
  ASSERT_EQ(5u, groups.size());
  const std::pair<const char*, std::string> prefixes[] = {
      {"Allgemein", ""}, {"Winamp", "wa_"}, {"Tavion", "tv_"}, {"Fenster", "wm_"}};
  int next = 0;
  for (std::size_t g = 0; g < std::size(prefixes); ++g) {
    EXPECT_EQ(prefixes[g].first, groups[g].caption);
    for (int position : groups[g].entries) {
      EXPECT_EQ(next++, position);
      EXPECT_EQ(position, catalogue.IndexOf(catalogue.Entry(position).code));
      const std::string prefix = catalogue.Entry(position).code.substr(0, 3);
      const bool grouped = prefix == "wa_" || prefix == "tv_" || prefix == "wm_";
      EXPECT_EQ(prefixes[g].second, grouped ? prefix : "") << catalogue.Entry(position).code;
    }
  }
  EXPECT_EQ(base, next);
  const CatalogueGroup plugins{.caption = "PlugIns",
                               .subGroups = {{.caption = "Clock", .entries = {base, base + 2}},
                                             {.caption = "Disc", .entries = {base + 1}}}};
  EXPECT_EQ(plugins, groups[4]);
  const ActionCatalogueEntry none;
  for (const char* code : {"hd_info", "WA_PLAY", "wa_play ", "plug"})
    EXPECT_EQ(std::pair(-1, none), std::pair(catalogue.IndexOf(code), catalogue.Find(code)))
        << code;
  EXPECT_EQ(std::pair(none, none),
            std::pair(catalogue.Entry(-1), catalogue.Entry(catalogue.Count())));
}

}  // namespace
}  // namespace tavion
