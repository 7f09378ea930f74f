// The language keys the program reads, gathered from every translated form and every lookup in
// the sources; the English template written from them; the shipped language files checked
// against them, both ways.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "lang/lang.h"
#include "lang/lng_file.h"
#include "ui/form_tables_win.h"
#include "wine/lang/lang_keys.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

namespace fs = std::filesystem;

// Every text of a table, in a fixed order.
std::vector<std::string> FieldTexts(const std::vector<ControlDecl>& table) {
  std::vector<std::string> fields;
  for (const ControlDecl& decl : table) {
    for (const std::string* field : {&decl.caption, &decl.hint, &decl.text})
      fields.push_back(*field);
    fields.insert(fields.end(), decl.items.begin(), decl.items.end());
    for (const ColumnDecl& column : decl.columns) fields.push_back(column.caption);
  }
  return fields;
}

// The keys a form reads: its table as built and translated.
void CollectForm(const TranslatedFormWin& form, LanguageKeys& keys) {
  AddLookedUp(keys, form.name, [&form] {
    std::vector<ControlDecl> table = form.table();
    ApplyLanguage(table, form.language());
    return FieldTexts(table);
  });
}

fs::path SourceRoot() {
  return fs::path(L"Z:" TAVION_SOURCE_DIR_W);
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Files whose lookups take computed keys, and what gives every key they can take: a form's
// table (its builder runs above), a list the program keeps, or a wrapper listed below.
const std::map<std::string, std::string, std::less<>> kComputedLookups = {
    {"src/lang/lang.h", "the lookup itself"},
    {"src/lang/lang.cpp", "the lookup itself"},
    {"src/lang/lang_win.h", "the lookup itself"},
    {"src/lang/form_language.cpp", "the translation of the forms above"},
    {"src/ui/form_languages.cpp", "the main window's extras, run with its pages above"},
    {"src/ui/main_options.h", "LangCaption"},
    {"src/ui/main_options.cpp", "LangCaption"},
    {"src/ui/main_window_frame_win.cpp", "the navigation list and the bottom buttons"},
    {"src/actions/catalogue.cpp", "the action catalogue"},
    {"src/ui/param_tabs.cpp", "the parameter checks' messages"},
    {"src/ui/exec_options_tab_win.cpp", "the execution options' tree"},
    {"src/ui/window_picker_win.cpp", "the window picker's form"},
    {"src/ui/actions_page_commands_win.cpp", "kToolButtons"},
    {"src/ui/keyboard_layout_page_win.cpp", "the context menu's entry()"},
    {"src/ui/key_names_page_win.cpp", "the context menu's entry()"},
    {"src/ui/plugins_page_win.cpp", "the context menu's add(), and the page's buttons"},
};

// Functions and arrays of one file that take keys: the file, the name, where the key, the
// English text and the section are.
struct LocalLookups {
  std::string_view file;
  bool array;
  LookupCall call;
};
const LocalLookups kLocalLookups[] = {
    {"src/ui/keyboard_layout_page_win.cpp", false, {"entry", 1, 2, -1}},
    {"src/ui/key_names_page_win.cpp", false, {"entry", 1, 2, -1, "KeyNames"}},
    {"src/ui/plugins_page_win.cpp", false, {"add", 1, 2, -1, "TabPlugins"}},
    {"src/ui/actions_page_commands_win.cpp", true, {"kToolButtons", 1, 2, -1, "Fr1"}},
};

LanguageKeys ProgramKeys() {
  LanguageKeys keys;
  for (const TranslatedFormWin& form : AllTranslatedForms()) CollectForm(form, keys);
  AddProgramLists(keys);
  std::set<std::string> formSources;
  for (const TranslatedFormWin& form : AllTranslatedForms()) formSources.emplace(form.source);
  const fs::path root = SourceRoot();
  std::map<std::string, std::string> sources;
  for (const auto& entry : fs::recursive_directory_iterator(root / "src"))
    if (entry.is_regular_file())
      sources[fs::relative(entry.path(), root).generic_string()] = ReadFile(entry.path());
  std::vector<std::string> texts;
  for (const auto& [file, text] : sources) texts.push_back(text);
  const std::map<std::string, std::string> constants = FindConstants(texts);
  for (const auto& [file, text] : sources) {
    std::vector<Lookup> lookups;
    const auto take = [&lookups](std::vector<Lookup> found) {
      lookups.insert(lookups.end(), found.begin(), found.end());
    };
    for (const LookupCall& call : kLookupCalls) take(FindLookups(text, call, constants));
    for (const LocalLookups& local : kLocalLookups) {
      if (local.file != file) continue;
      take(local.array ? FindListed(text, local.call.name, local.call, constants)
                       : FindLookups(text, local.call, constants));
    }
    for (const Lookup& lookup : lookups) {
      if (lookup.resolved) {
        keys.Add(lookup.section, lookup.key, lookup.english, file);
      } else {
        EXPECT_TRUE(kComputedLookups.contains(file))
            << file << ":" << lookup.line
            << ": a lookup whose key is not written out; list where its keys come from";
      }
    }
    EXPECT_TRUE(text.find(".SetLanguage(") == std::string::npos || formSources.contains(file))
        << file << " translates a form that AllTranslatedForms() does not list";
  }
  return keys;
}

TEST(LanguageKeys, TheTemplateHoldsEveryKeyAndTheShippedFilesMatchIt) {
  const LanguageKeys keys = ProgramKeys();
  ASSERT_GT(keys.Texts().size(), 300u) << "the forms and the sources were read";

  const fs::path tmpl = fs::path(wine_test::ProgramFolder()) / L"English-template.lng";
  {
    std::ofstream out(tmpl, std::ios::binary);
    out << keys.Template();
  }
  const std::string written = ReadFile(tmpl);
  const LanguageFile english(std::vector<uint8_t>(written.begin(), written.end()), nullptr);
  EXPECT_EQ(keys.Texts().size(), english.Size()) << "the template reads back whole";

  int files = 0;
  for (const auto& entry : fs::directory_iterator(SourceRoot() / "resources" / "lang")) {
    if (entry.path().extension() != ".lng") continue;
    ++files;
    SCOPED_TRACE(entry.path().filename().string());
    const std::string bytes = ReadFile(entry.path());
    const LanguageFile file(std::vector<uint8_t>(bytes.begin(), bytes.end()), nullptr);
    const std::vector<std::string> have = file.Keys();
    const std::set<std::string> held(have.begin(), have.end());
    for (const auto& [id, text] : keys.Texts())
      EXPECT_TRUE(held.contains(id))
          << "missing: " << Printable(id) << " (\"" << text.english << "\", " << text.from << ")";
    for (const std::string& id : have)
      EXPECT_TRUE(keys.Reads(id)) << "never read: " << Printable(id);
  }
  EXPECT_EQ(2, files) << "Russian and Ukrainian";
}

}  // namespace
}  // namespace tavion
