#include "ui/macros_page.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "macros/macro_format.h"
#include "settings/registry.h"

namespace tavion {
namespace {

constexpr uint8_t kInsert = 0x2D;

TEST(MacrosPage, ListsTheNamedTextValuesAndOffersTheNextNumber) {
  MemoryRegistry settings;
  EXPECT_TRUE(ListedMacroNames(settings).empty()) << "no Macros key";
  settings.WriteString("Macros", "Typing", "0,x");
  settings.WriteInteger("Macros", "Counter", 4);
  settings.WriteString("Macros", "", "0,x");
  const uint8_t bytes[] = {1, 2};
  settings.WriteBinary("Macros", "Raw", bytes);
  settings.WriteString("Macros", "Abc", "");
  EXPECT_EQ((std::vector<std::string>{"Typing", "Abc"}), ListedMacroNames(settings));
  EXPECT_EQ("Macros1", ProposedMacroName(0));
  EXPECT_EQ("Macros3", ProposedMacroName(2));
}

TEST(MacrosPage, DropsTheKeysThatStartedAndStoppedTheRecording) {
  const auto press = [](uint8_t key, bool released) {
    return MacroEventItem({.keyCode = key, .scanCode = 0, .released = released, .delayMs = 0});
  };
  const std::string insertUp = press(kInsert, true), insertDown = press(kInsert, false);
  const std::string aDown = press('A', false), aUp = press('A', true);
  const std::string shiftDown = press(0x10, false), shiftUp = press(0x10, true);
  struct Case {
    const char* what;
    std::vector<std::string> events, kept;
    std::set<uint8_t> held;
  };
  const Case cases[] = {
      {"Insert started and stopped it",
       {insertUp, aDown, aUp, insertDown},
       {aDown, aUp},
       {kInsert}},
      {"a key held when stopped, released inside",
       {shiftDown, aDown, aUp, shiftUp},
       {shiftDown, aDown, aUp, shiftUp},
       {0x10}},
      {"pressed again after its release and held",
       {shiftDown, shiftUp, shiftDown, shiftDown},
       {shiftDown, shiftUp},
       {0x10}},
      {"a press not held stays for the editor's check", {aDown, shiftDown}, {aDown, shiftDown}, {}},
      {"an item that is no event stays", {"x", aUp, aDown}, {"x", aDown}, {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> items = {"67699721", "settings"};
    items.insert(items.end(), c.events.begin(), c.events.end());
    DropRecordingGestures(items, [&](uint8_t key) { return c.held.count(key) > 0; });
    std::vector<std::string> expected = {"67699721", "settings"};
    expected.insert(expected.end(), c.kept.begin(), c.kept.end());
    EXPECT_EQ(expected, items) << c.what;
  }
}

// The user's answers in turn, and what the loop asked and stored.
struct Script {
  std::vector<std::optional<std::string>> names;  // the dialog's answers in turn
  std::set<std::string> stored;                   // names in use
  std::vector<bool> replies;                      // answers to "Exists" in turn
  std::set<std::string> failingOnce;              // names whose first write fails
  std::vector<std::string> shown{};               // the dialog's text each time
  std::vector<std::string> askedToReplace{};
  std::vector<std::string> written{};

  MacroNameQuestions Questions() {
    return {[this](const std::string& text) {
              shown.push_back(text);
              return names.at(shown.size() - 1);
            },
            [this](const std::string& name) { return stored.count(name) > 0; },
            [this](const std::string& name) {
              askedToReplace.push_back(name);
              return replies.at(askedToReplace.size() - 1);
            },
            [this](const std::string& name) {
              if (failingOnce.erase(name)) return false;
              written.push_back(name);
              return true;
            }};
  }
};

TEST(MacrosPage, TheNameDialogAsksUntilTheRecordingIsStoredOrCancelled) {
  using Names = std::vector<std::string>;
  struct Case {
    const char* what;
    Script script;
    std::optional<std::string> result;
    Names shown, askedToReplace, written;
  };
  const std::nullopt_t cancel = std::nullopt;
  Case cases[] = {
      {"the offered name", {{"Macros3"}, {}, {}, {}}, "Macros3", {"Macros3"}, {}, {"Macros3"}},
      {"Cancel discards", {{cancel}, {}, {}, {}}, cancel, {"Macros3"}, {}, {}},
      {"empty asks again", {{"", "m"}, {}, {}, {}}, "m", {"Macros3", "Macros3"}, {}, {"m"}},
      {"No to replacing asks again with the name",
       {{"a", "b"}, {"a"}, {false}, {}},
       "b",
       {"Macros3", "a"},
       {"a"},
       {"b"}},
      {"Yes replaces", {{"a"}, {"a"}, {true}, {}}, "a", {"Macros3"}, {"a"}, {"a"}},
      {"Cancel after No stores nothing",
       {{"a", cancel}, {"a"}, {false}, {}},
       cancel,
       {"Macros3", "a"},
       {"a"},
       {}},
      {"a failed write asks again", {{"a", "a"}, {}, {}, {"a"}}, "a", {"Macros3", "a"}, {}, {"a"}},
  };
  for (Case& c : cases) {
    EXPECT_EQ(c.result, StoreRecordedMacro("Macros3", c.script.Questions())) << c.what;
    EXPECT_EQ(c.shown, c.script.shown) << c.what;
    EXPECT_EQ(c.askedToReplace, c.script.askedToReplace) << c.what;
    EXPECT_EQ(c.written, c.script.written) << c.what;
  }
}

}  // namespace
}  // namespace tavion
