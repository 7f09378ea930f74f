#include "ui/window_picker.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tavion {
namespace {

BrowsedWindow Visible(std::string windowClass) {
  BrowsedWindow window;
  window.windowClass = std::move(windowClass);
  window.visible = true;
  return window;
}

TEST(WindowPickerBrowse, ListsVisibleWindowsButNotItselfTheProgramsHiddenOnesOrEmptyDelphiShells) {
  const struct {
    const char* what;
    BrowsedWindow window;
    bool shown;
  } cases[] = {
      {"plain", Visible("Notepad"), true},
      {"invisible",
       [] {
         auto w = Visible("Notepad");
         w.visible = false;
         return w;
       }(),
       false},
      {"picker",
       [] {
         auto w = Visible("#32770");
         w.isPicker = true;
         return w;
       }(),
       false},
      {"own hidden",
       [] {
         auto w = Visible("X");
         w.ownHiddenWindow = true;
         return w;
       }(),
       false},
      {"empty TApplication", Visible("TApplication"), false},
      {"TApplication with a form",
       [] {
         auto w = Visible("TApplication");
         w.hasChildren = true;
         return w;
       }(),
       true},
      {"lower-case class is another class", Visible("tapplication"), true},
  };
  for (const auto& c : cases) EXPECT_EQ(c.shown, ShownInBrowseMenu(c.window)) << c.what;
}

TEST(WindowPickerBrowse, EntryTextNamesTheExecutableOnlyWhenKnown) {
  const struct {
    const char* path;
    const char* text;
  } cases[] = {
      {R"(C:\windows\system32\notepad.exe)", "Notepad | Untitled   (notepad.exe)"},
      {"/usr/bin/wine-notepad", "Notepad | Untitled   (wine-notepad)"},
      {"notepad.exe", "Notepad | Untitled   (notepad.exe)"},
      {"", "Notepad | Untitled"},
      {R"(C:\odd\)", "Notepad | Untitled"},
  };
  for (const auto& c : cases) {
    BrowsedWindow window = Visible("Notepad");
    window.caption = "Untitled";
    window.executablePath = c.path;
    EXPECT_EQ(c.text, BrowseMenuText(window)) << c.path;
  }
}

TEST(WindowPickerBrowse, ChosenEntrySplitsBackIntoClassAndCaptionWhateverTheyHold) {
  for (const PickedWindow& window : {PickedWindow{"Notepad", "a | b"}, PickedWindow{"", "only"},
                                     PickedWindow{"only", ""}, PickedWindow{"", ""}}) {
    EXPECT_EQ(window, SplitPickedWindow(JoinPickedWindow(window.windowClass, window.caption)));
  }
  EXPECT_EQ((PickedWindow{"NoJoin", ""}), SplitPickedWindow("NoJoin"));
}

TEST(WindowPickerCheck, RefusesOnlyWhenClassAndCaptionAreBothEmpty) {
  EXPECT_EQ(std::optional<std::string>("WCls"), CheckPickedWindow({"", ""}));
  EXPECT_EQ(std::nullopt, CheckPickedWindow({"nil", ""}));
  EXPECT_EQ(std::nullopt, CheckPickedWindow({"", "Calculator"}));
}

}  // namespace
}  // namespace tavion
