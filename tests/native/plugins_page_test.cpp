#include "ui/plugins_page.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "native/support/fake_language.h"

namespace tavion {
namespace {

TEST(PluginAdd, RefusesAsksOrCopiesWithTheFilesNamesAndVersions) {
  const auto facts = [](PluginAnswer answer, bool exists, std::string oldVersion = {},
                        std::string newVersion = {}) {
    return PluginAddFacts{answer, "2A.1", "Sample.dll", exists, oldVersion, newVersion};
  };
  const auto plugin = PluginAnswer::kPlugin;
  const auto ask = PluginAddStep::kAsk;
  const std::string plain = "File - Sample.dll already exists, replace it?)";
  // What; the facts; the step and its text.
  const std::tuple<const char*, PluginAddFacts, PluginAddStep, std::string> cases[] = {
      {"no answer", facts(PluginAnswer::kNotPlugin, true), PluginAddStep::kRefuse,
       "'Sample.dll' is not PlugIn for Tavion"},
      {"another version", facts(PluginAnswer::kOtherVersion, true), PluginAddStep::kRefuse,
       "Tavion 1.2 support PlugIns version - 2A.0.\r'Sample.dll' has another PlugIn version - "
       "2A.1\rand can't be loaded"},
      {"a new file", facts(plugin, false, "1.0", "1.1"), PluginAddStep::kCopy, ""},
      {"both with versions: the name again, then the new version",
       facts(plugin, true, "1.0", "1.1"), ask,
       "File already exists: Sample.dll, version 1.0\rreplace it by: Sample.dll, version 1.1?"},
      {"the old one without a version", facts(plugin, true, "", "1.1"), ask, plain},
      {"the new one without a version", facts(plugin, true, "1.0", ""), ask, plain},
  };
  for (const auto& [what, f, step, text] : cases) {
    const PluginAddDecision decision = DecideAddPlugin(f, "1.2");
    EXPECT_EQ(std::tuple(step, text), std::tuple(decision.step, decision.text)) << what;
  }
}

TEST(PluginFileSize, CountsBytesThenTheLargestFittingUnit) {
  const std::pair<uint64_t, const char*> cases[] = {
      {1023, "1023 bytes"}, {1536, "1.5 KB"},       {1048575, "1.0 MB"},
      {5u << 20, "5.0 MB"}, {3ull << 30, "3.0 GB"}, {1ull << 50, "1024.0 TB"}};
  for (const auto& [bytes, text] : cases) EXPECT_EQ(text, FileSizeText(bytes)) << bytes;
  SetLanguageSource(
      std::make_shared<FakeLanguage>(FakeLanguage::Texts{{{"Strings", "StrBytes"}, "байт"},
                                                         {{"Strings", "StrKB"}, "КБ"},
                                                         {{"Strings", "StrGB"}, "ГБ"}}));
  EXPECT_EQ(
      (std::vector<std::string>{"12 байт", "1.5 КБ", "3.0 ГБ"}),
      (std::vector<std::string>{FileSizeText(12), FileSizeText(1536), FileSizeText(3ull << 30)}));
  SetLanguageSource(nullptr);
}

}  // namespace
}  // namespace tavion
