#include "ui/navigation.h"

#include <array>

namespace tavion {
namespace {

constexpr std::array kPanels = {
    NavigationPanel{"Opt_ip0", "PanelHelp", "Help"},
    NavigationPanel{"Opt_ip1", "PanelTavion", "Options - Tavion"},
    NavigationPanel{"Opt_ip2", "PanelWindows", "Options - Windows"},
};

constexpr NavigationEntry PageEntry(uint8_t panel, size_t page, std::string_view icon) {
  return {panel, page, {}, {}, {}, icon};
}

constexpr std::array kEntries = {
    PageEntry(0, 0, ""),
    NavigationEntry{0, std::nullopt, "about.htm", "ButtonHlp", "Help topics", "osd_default.ico"},
    NavigationEntry{0, std::nullopt, "history.htm", "ver_history", "Version history",
                    "osd_default.ico", "Fr1"},
    PageEntry(1, 1, "osd_program.ico"),
    PageEntry(1, 2, "osd_player.ico"),
    PageEntry(1, 3, "osd_launch.ico"),
    PageEntry(1, 4, "osd_message.ico"),
    PageEntry(1, 5, "osd_macro.ico"),
    PageEntry(1, 6, "osd_key.ico"),
    PageEntry(1, 7, "osd_plugin.ico"),
    PageEntry(2, 8, "osd_language.ico"),
    PageEntry(2, 9, "osd_window.ico"),
};

}  // namespace

std::span<const NavigationPanel> NavigationPanels() {
  return kPanels;
}

std::span<const NavigationEntry> NavigationEntries() {
  return kEntries;
}

std::optional<size_t> PanelEntry(uint8_t panel, size_t position) {
  for (size_t i = 0; i < kEntries.size(); ++i)
    if (kEntries[i].panel == panel && position-- == 0) return i;
  return std::nullopt;
}

std::optional<size_t> FirstPageEntry(uint8_t panel) {
  for (size_t i = 0; i < kEntries.size(); ++i)
    if (kEntries[i].panel == panel && kEntries[i].page) return i;
  return std::nullopt;
}

std::optional<size_t> NavigationEntryOfPage(size_t page) {
  for (size_t i = 0; i < kEntries.size(); ++i)
    if (kEntries[i].page == page) return i;
  return std::nullopt;
}

}  // namespace tavion
