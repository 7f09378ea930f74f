// The translation of declared forms by the rules of the language files.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "lang/form_language.h"
#include "lang/lang.h"
#include "lang/lng_file.h"
#include "ui/form_languages.h"
#include "ui/main_options.h"

namespace tavion {
namespace {

class FormLanguageTest : public testing::Test {
 protected:
  static void UseFile(std::string_view text) {
    SetLanguageSource(
        std::make_shared<LanguageFile>(std::vector<uint8_t>(text.begin(), text.end()), nullptr));
  }
  void TearDown() override { SetLanguageSource(nullptr); }
};

ControlDecl Decl(ControlKind kind, std::string name, std::string caption, int tag = 0) {
  ControlDecl decl = Plain(kind, std::move(name), caption);
  decl.tag = tag;
  return decl;
}

TEST_F(FormLanguageTest, CaptionsHintsItemsAndColumnsFollowTheirKeys) {
  UseFile(
      "[Fr1]\n"
      "TrayIcon=Icon#13#13shown|in the tray\nTrayIcon.hint=tray hint\n"
      "e_path=Path|Full path:\nm_info=short|long text\n"
      "l_own=list\nl_own.Col0=ignored\nl_cols.Col1=Second\n"
      "cb_named=Named\ncb_named.Item0=Eins\ncb_plain.Item1=Two\ncb_bare=x\ncb_bare.Item0=ignored\n"
      "rb_mode=Mode\nrb_mode.Item0=First\n");
  std::vector<ControlDecl> table = {
      CheckBox("Opt_TrayIcon", "Show icon", true),
      Edit("e_path", "Path:", {}),
      Decl(ControlKind::kMemo, "m_info", {}),
      Decl(ControlKind::kListView, "l_own", {}),
      Decl(ControlKind::kListView, "l_cols", {}),
      Choice(ControlKind::kComboBox, "cb_named", "Named:", {"one"}, 0),
      Choice(ControlKind::kComboBox, "cb_plain", "Plain:", {"one", "two"}, 0),
      Choice(ControlKind::kRadioGroup, "rb_mode", "Modes", {"a", "b"}, 0),
      Choice(ControlKind::kComboBox, "cb_bare", "", {"one"}, 0),
      CheckBox("cb_untranslated", "Stays", false)};
  table[3].columns = table[4].columns = {{"A", 10}, {"B", 10}};
  ApplyLanguage(table, {"Fr1"});

  EXPECT_EQ("Icon\r\n\r\nshown", table[0].caption);
  EXPECT_EQ("tray hint", table[0].hint);
  EXPECT_EQ("Full path:", table[1].caption) << "a labelled edit takes the hint part";
  EXPECT_EQ("long text", table[2].text);
  EXPECT_EQ("A", table[3].columns[0].caption) << "a list with its own key keeps its columns";
  EXPECT_EQ((std::vector<std::string>{"A", "Second"}),
            (std::vector{table[4].columns[0].caption, table[4].columns[1].caption}));
  EXPECT_EQ((std::vector<std::string>{"Eins"}), table[5].items) << "its own key is its label's";
  EXPECT_EQ((std::vector<std::string>{"one", "Two"}), table[6].items);
  EXPECT_EQ("Mode", table[7].caption);
  EXPECT_EQ((std::vector<std::string>{"First", "b"}), table[7].items) << "radio items always";
  EXPECT_EQ((std::vector<std::string>{"one"}), table[8].items) << "a bare combo's key is its own";
  EXPECT_EQ("Stays", table[9].caption);
}

TEST_F(FormLanguageTest, TagsGiveStandardTextsAndLooks) {
  UseFile("[Strings]\nButtonAdd=Plus\nButtonBrowse=Find...\nStrKey=Taste\n[Fr1]\nl_head=Head\n");
  std::vector<ControlDecl> table = {Decl(ControlKind::kButton, "b_add", "Add", 1001),
                                    Decl(ControlKind::kButton, "b_find", "Browse", 53),
                                    Decl(ControlKind::kButton, "b_hint", "x", 2001),
                                    Decl(ControlKind::kLabel, "l_key", "Key", 3001),
                                    Decl(ControlKind::kLabel, "l_head", "Heading", 50),
                                    Decl(ControlKind::kLabel, "l_red", "Warning", 52),
                                    Decl(ControlKind::kButton, "b_any", "Any", 6000)};
  std::vector<ControlDecl> quiet = table;
  ApplyLanguage(table, {"Fr1"});
  EXPECT_EQ((std::vector<std::string>{"Plus", "Find...", "x", "Taste", "Head", "Warning", "Any"}),
            (std::vector{table[0].caption, table[1].caption, table[2].caption, table[3].caption,
                         table[4].caption, table[5].caption, table[6].caption}));
  EXPECT_EQ("Plus", table[2].hint);
  EXPECT_EQ((std::vector{LabelLook::kHeading, LabelLook::kHeading, LabelLook::kWarning}),
            (std::vector{table[3].look, table[4].look, table[5].look}));

  // The key-remap dialog's labels: grey, with one colon, none on an empty text.
  quiet[4].caption = "Ends with:";
  quiet.push_back(Decl(ControlKind::kLabel, "l_empty", "", 50));
  ApplyLanguage(quiet, {"Fr_lay", kQuietLabelsFormTag});
  EXPECT_EQ((std::vector<std::string>{"Taste:", "Ends with:", ""}),
            (std::vector{quiet[3].caption, quiet[4].caption, quiet[7].caption}));
  EXPECT_EQ(LabelLook::kQuiet, quiet[3].look);
}

TEST_F(FormLanguageTest, TheMainWindowTakesItsExtrasFromOtherSections) {
  UseFile(
      "[TabMain]\nStartPlay=Play at once|Starts the player's playback\n"
      "[TabOSD]\nAnim2=Fading\n[Fr1]\nAuto_Play=ignored by the extra\n");
  std::vector<ControlDecl> table = {
      CheckBox("Opt_Auto_Play", "Begin play on start", true),
      Choice(ControlKind::kComboBox, "OPT_DESKANIM", "Animation:", {"No", "Damping"}, 1)};
  ApplyLanguage(table, MainWindowLanguage());
  EXPECT_EQ("Play at once", table[0].caption);
  EXPECT_EQ("Starts the player's playback", table[0].hint);
  EXPECT_EQ((std::vector<std::string>{"No", "Fading"}), table[1].items);
}

}  // namespace
}  // namespace tavion
