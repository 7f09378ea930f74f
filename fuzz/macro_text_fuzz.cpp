// Stored macros as the registry (or an imported registry file) gives them: the items must write
// back to the same items, the playback settings must read back from their own text, and the
// event items must parse or be refused, never crash.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "macros/macro_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> items = tavion::MacroItemsFromText(input);
  if (tavion::MacroItemsFromText(tavion::MacroItemsToText(items)) != items) std::abort();

  const std::string_view settingsText = items.size() > 1 ? std::string_view(items[1]) : input;
  const tavion::PlaybackSettings settings = tavion::ParsePlaybackSettings(settingsText);
  if (tavion::ParsePlaybackSettings(tavion::PlaybackSettingsText(settings)) != settings)
    std::abort();

  if (items.size() > tavion::kMacroFirstEventItem) {
    const std::span<const std::string> events(items.begin() + tavion::kMacroFirstEventItem,
                                              items.end());
    for (const std::string& item : events) (void)tavion::ParseMacroNumber(item);
    (void)tavion::CheckStuckKeys(events);
  }
  return 0;
}
