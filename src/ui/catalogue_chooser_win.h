#pragma once
// The action editor's catalogue tree: every catalogue entry under its chooser group, in a pop-up
// beside the plus button. Enter or a double click on an entry chooses it and closes the tree;
// Escape, or a click elsewhere, closes it.
#include <windows.h>
#include <commctrl.h>

#include <optional>

namespace tavion {

class ActionCatalogue;

// Shows the tree over `owner` with its top left at `place` (screen coordinates), the entry at
// catalogue position `current` selected, entries drawn from `images` (the action images:
// NodeImage's numbers). Returns the chosen position, or nullopt when it was closed.
std::optional<int> ChooseCatalogueEntry(HWND owner, POINT place, const ActionCatalogue& catalogue,
                                        HIMAGELIST images, int current);

}  // namespace tavion
