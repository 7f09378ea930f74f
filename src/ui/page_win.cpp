#include "ui/page_win.h"

#include "base/handles_win.h"

namespace tavion {

std::optional<ListCommand> ShowListMenu(HWND owner, POINT screenPoint,
                                        const std::vector<ListMenuEntry>& entries) {
  UniqueMenu menu(CreatePopupMenu());
  if (!menu || entries.empty()) return std::nullopt;
  // Menu ids start at 1: TrackPopupMenu reports "nothing chosen" as 0.
  for (size_t i = 0; i < entries.size(); ++i) {
    const ListMenuEntry& entry = entries[i];
    if (entry.separator) {
      AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(menu.get(), MF_STRING | (entry.enabled ? MF_ENABLED : MF_GRAYED), i + 1,
                  entry.text.c_str());
    }
  }
  const UINT chosen = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screenPoint.x,
                                     screenPoint.y, 0, owner, nullptr);
  if (chosen == 0 || chosen > entries.size()) return std::nullopt;
  return entries[chosen - 1].command;
}

}  // namespace tavion
