#include "ui/main_window_options.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "base/version_text.h"
#include "exec/media_player.h"
#include "pipeline/command_line.h"
#include "ui/main_options.h"

namespace tavion {
namespace {

// Checks one box at a time: only the field read for it may be on.
template <typename Read>
void ExpectEachBoxItsOwnField(MemoryForm& form, const std::vector<const char*>& names, Read read) {
  for (size_t on = 0; on < names.size(); ++on) {
    for (size_t i = 0; i < names.size(); ++i) form.SetChecked(*form.Find(names[i]), i == on);
    std::vector<bool> expected(names.size());
    expected[on] = true;
    EXPECT_EQ(expected, read()) << names[on];
  }
}

TEST(MainWindowOptions, EachCheckBoxTurnsOnItsOwnFieldAndTheListsAreMapped) {
  MemoryForm form(MainOptionControls());
  ExpectEachBoxItsOwnField(
      form, {"Opt_TYPE_NOTIFY", "Opt_SemiKeyAc", "Opt_LockState", "Opt_MiceKeyAc", "Opt_tr_upkeys"},
      [&] {
        const DispatchOptions o = DispatchOptionsFromForm(form);
        return std::vector<bool>{o.keyPressSound, o.severalActionsOnOneKey, o.showLockState,
                                 o.mouseHotKeys, o.emulateUpOnlyKeys};
      });
  const std::pair<int, ModifierSides> sides[] = {{1, ModifierSides::kLeftOnly},
                                                 {2, ModifierSides::kRightOnly}};
  for (const auto& [index, expected] : sides) {
    form.SetItemIndex(*form.Find("Opt_Mod_Proc"), index);
    EXPECT_EQ(expected, DispatchOptionsFromForm(form).modifierSides) << index;
  }
  form.SetText(*form.Find("Opt_WAmp_Path"), "D:\\bs\\bsplayer.exe");
  form.SetItemIndex(*form.Find("Opt_PlayerType"), kPlayerBSPlayer);
  ExpectEachBoxItsOwnField(form,
                           {"Opt_Secn_Exit", "Opt_Auto_Play", "Opt_SetFoc_SH", "Opt_Play_Paus",
                            "Opt_AutodePlayer", "Opt_Desk_TextEx"},
                           [&] {
                             const MediaPlayerOptions o = MediaPlayerOptionsFromForm(form, "Foo");
                             return std::vector<bool>{o.closeOnSecondLaunch, o.autoPlay,
                                                      o.focusBeforeHide,     o.playPause,
                                                      o.autodetect,          o.extraText};
                           });
  const MediaPlayerOptions o = MediaPlayerOptionsFromForm(form, "Foo");
  EXPECT_EQ(std::tuple("D:\\bs\\bsplayer.exe", kPlayerBSPlayer, "Foo"),
            std::tuple(o.playerPath, o.playerType, o.foobarClass));
}

TEST(MainWindowOptions, AWindowParkedOffTheScreenComesBackToItsSavedEdgeOrTheCentre) {
  // Its left edge now, the saved one, where it goes: a window whose left edge is still on the
  // screen stays; one whose saved edge is off the screen too goes to the centre.
  const std::tuple<int, int, std::optional<WindowPlace>> cases[] = {
      {1279, 300, std::nullopt},           {1280, 300, WindowPlace{300, 50}},
      {5000, 1280, WindowPlace{440, 200}}, {5000, -400, WindowPlace{440, 200}},
      {5000, -399, WindowPlace{-399, 50}},
  };
  for (const auto& [left, savedLeft, expected] : cases)
    EXPECT_EQ(expected, RestoredPlace({left, 50}, 400, 400, savedLeft, 1280, 800)) << left;
}

TEST(CommandLineTest, WholeSwitchesWithoutRegardToCaseTheHelpPrefixExactlyLinksInTheirOrder) {
  const CommandLine none =
      ParseCommandLine(std::vector<std::string>{"/ab", "a", "/link", "-a", "/link4"});
  EXPECT_FALSE(none.autorun || none.preKill || none.backup || none.restart ||
               none.removeShortcuts || none.help || !none.shortcutSets.empty());
  const CommandLine all = ParseCommandLine(std::vector<std::string>{
      "/A", "/PRE_KILL", "/Sr", "/LR", "/LINK_REMOTE", "/HELP=other.htm", "/help=keys.htm",
      "/help=second.htm", "/linkx", "/link2", "/LINK1", "/link3", "/link0"});
  EXPECT_TRUE(all.autorun && all.preKill && all.backup && all.restart && all.removeShortcuts);
  EXPECT_EQ("keys.htm", all.help.value_or("none"));
  EXPECT_EQ((std::vector<int>{1, 2, 3, 4, kShortcutSetAll}), all.shortcutSets);
}

}  // namespace
}  // namespace tavion
