#pragma once
// The main window's navigation: three collapsible panels of entries, each entry showing a page
// or opening a help topic. Portable; main_window_frame_win.cpp shows it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tavion {

struct NavigationPanel {
  std::string_view option;   // the option control that keeps its expanded state
  std::string_view textKey;  // its title: language key and English text
  std::string_view text;
};

struct NavigationEntry {
  uint8_t panel = 0;
  // The page it shows, as a position in CreateMainPages' order; nullopt for a help entry.
  std::optional<size_t> page;
  std::string_view helpTopic;  // help entries: the topic they open
  std::string_view textKey;    // help entries: their text; a page entry shows the page's title
  std::string_view text;
  std::string_view icon;  // its image: a file of the "Resource" folder; empty for the program's
  std::string_view textSection = "Strings";  // help entries: the language section of textKey
};

// "Help", "Options - Tavion", "Options - Windows".
std::span<const NavigationPanel> NavigationPanels();
// The entries in panel order.
std::span<const NavigationEntry> NavigationEntries();

// The panel the window starts on: "Options - Tavion".
inline constexpr uint8_t kMainNavigationPanel = 1;
// The position of "Macros" in its panel.
inline constexpr size_t kMacrosEntry = 4;
// Entry `position` (from 0) of panel `panel`, as a position in NavigationEntries(); nullopt
// beyond the panel.
std::optional<size_t> PanelEntry(uint8_t panel, size_t position);
// The first entry of panel `panel` that shows a page, or nullopt.
std::optional<size_t> FirstPageEntry(uint8_t panel);

// The entry that shows `page`, or nullopt.
std::optional<size_t> NavigationEntryOfPage(size_t page);

}  // namespace tavion
