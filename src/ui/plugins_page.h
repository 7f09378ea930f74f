#pragma once
// The decisions of the "Plugins" page: which buttons a row offers, the texts of a row and of the
// page's messages, and what "Add" does with a chosen file. Portable.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavion {

// What the page knows of the selected plug-in.
struct PluginRowFacts {
  bool hasOptions = false;  // SetOpt
  bool hasHelp = false;     // ShowHelp
  bool hasActions = false;  // a library's query 2 answers text; a program has string 1002
};

struct PluginButtons {
  bool options = false;
  bool remove = false;
  bool info = false;
  bool actions = false;
  friend bool operator==(const PluginButtons&, const PluginButtons&) = default;
};

// The buttons for the selected row; all off without one (`selected` null).
PluginButtons PluginButtonsFor(const PluginRowFacts* selected);

// A file size as the lists show it: "512 bytes", "1.5 KB", "12.0 MB", "2.3 GB".
std::string FileSizeText(uint64_t bytes);

// "Fatal error - folder not found:" CR LF + the folder: the page's text box without a folder.
std::string MissingPluginFolderText(std::string_view folder);

// "InfoPlugActions1" with the plug-in's caption, then one line per action display name.
std::string PluginActionsText(std::string_view caption, const std::vector<std::string>& actions);

// "QuestDeleteAction" with the row's caption.
std::string PluginDeleteQuestion(std::string_view caption);

// "ErrorPlugCopy": the plug-in could not be written into `folder`; `reason` is the system's.
std::string PluginCopyError(std::string_view folder, std::string_view reason);

// How a file chosen for "Add" answers query 0.
enum class PluginAnswer : uint8_t { kPlugin, kNotPlugin, kOtherVersion };

// What "Add" does with a chosen file.
enum class PluginAddStep : uint8_t {
  kRefuse,  // show `text` (an error) and stop
  kAsk,     // ask `text`; only Yes goes on to copy
  kCopy,    // copy without asking
};

struct PluginAddDecision {
  PluginAddStep step = PluginAddStep::kRefuse;
  std::string text;
};

struct PluginAddFacts {
  PluginAnswer answer = PluginAnswer::kNotPlugin;
  std::string versionAnswer;  // query 0's answer
  std::string fileName;       // without folder
  bool exists = false;        // a file of that name is in the plug-in folder
  std::string oldVersion;     // the file versions, empty when a file carries none
  std::string newVersion;
};

// "ErrorNotPlugIn" for a file without an answer, "ErrorPlugVer" for another version; a file of
// the same name asks "QuestPlugExists2" when both files carry a version, else "QuestPlugExists1".
PluginAddDecision DecideAddPlugin(const PluginAddFacts& facts, std::string_view shortVersion);

}  // namespace tavion
