#include "ui/macros_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "macros/macro_format.h"
#include "settings/registry.h"

namespace tavion {
namespace {

TEST(MacrosPage, ListsTheNamedTextValuesAndOffersTheNextNumber) {
  MemoryRegistry settings;
  for (const char* name : {"Typing", "", "Abc"}) settings.WriteString("Macros", name, "0,x");
  settings.WriteInteger("Macros", "Counter", 4);
  EXPECT_EQ((std::vector<std::string>{"Typing", "Abc"}), ListedMacroNames(settings));
  EXPECT_EQ("Macros3", ProposedMacroName(2));
}

// "A+" a press of key A, "A-" its release; anything else is no event.
std::vector<std::string> Recorded(const std::vector<std::string>& events) {
  std::vector<std::string> items = {"67699721", "settings"};
  for (const std::string& e : events)
    items.push_back(e.size() != 2 ? e
                                  : MacroEventItem({.keyCode = static_cast<uint8_t>(e[0]),
                                                    .released = e[1] == '-'}));
  return items;
}

TEST(MacrosPage, DropsTheKeysThatStartedAndStoppedTheRecording) {
  struct Case {
    std::vector<std::string> events, kept;
    std::string held;  // the keys down when it stopped
  };
  const Case cases[] = {
      {{"I-", "A+", "A-", "I+"}, {"A+", "A-"}, "I"},  // Insert started and stopped it
      {{"B+", "B-", "I+", "I-"}, {"B+", "B-"}, "I"},  // its release came before the stop
      {{"S+", "A+", "A-", "S-"}, {"S+", "A+", "A-", "S-"}, "S"},  // held, but not at the end
      {{"S+", "S-", "S+", "S+"}, {"S+", "S-"}, "S"},              // pressed again and held
      {{"x", "A-", "A+"}, {"x", "A+"}, ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> items = Recorded(c.events);
    DropRecordingGestures(items,
                          [&](uint8_t key) { return c.held.find(char(key)) != c.held.npos; });
    EXPECT_EQ(Recorded(c.kept), items) << testing::PrintToString(c.events);
  }
}

TEST(MacrosPage, TheNameDialogAsksUntilTheRecordingIsStoredOrCancelled) {
  struct Case {
    std::vector<std::string> answers;  // the user's, to the dialog and to "Exists", in turn
    std::string log;                   // what was asked and written
    std::optional<std::string> result;
  };
  const Case cases[] = {
      {{"Macros3"}, "ask Macros3; store Macros3; ", "Macros3"},
      {{"Cancel"}, "ask Macros3; ", std::nullopt},
      {{"", "m"}, "ask Macros3; ask Macros3; store m; ", "m"},
      {{"old", "No", "b"}, "ask Macros3; replace old?; ask old; store b; ", "b"},
      {{"bad", "bad"}, "ask Macros3; store bad failed; ask bad; store bad; ", "bad"},
  };
  for (const Case& c : cases) {
    std::string log;
    size_t next = 0;
    const auto answer = [&](const std::string& question) {
      log += question + "; ";
      return c.answers.at(next++);
    };
    MacroNameQuestions questions;
    questions.askName = [&](const std::string& text) -> std::optional<std::string> {
      const std::string name = answer("ask " + text);
      return name == "Cancel" ? std::nullopt : std::optional(name);
    };
    questions.exists = [](const std::string& name) { return name == "old"; };
    questions.confirmReplace = [&](const std::string& name) {
      return answer("replace " + name + "?") == "Yes";
    };
    questions.store = [&](const std::string& name) {  // the first write of "bad" fails
      const bool fails = name == "bad" && log.find("store bad") == std::string::npos;
      log += "store " + name + (fails ? " failed; " : "; ");
      return !fails;
    };
    EXPECT_EQ(c.result, StoreRecordedMacro("Macros3", questions)) << c.log;
    EXPECT_EQ(c.log, log);
  }
}

}  // namespace
}  // namespace tavion
