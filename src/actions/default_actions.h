#pragma once
// The default action set of a new or reset profile. Portable.

#include <cstdint>
#include <optional>
#include <string>

namespace tavion {

class TActionsList;

// A loaded plug-in that the default set gives a folder: its file name as found in the plug-in
// folder and its caption.
struct DefaultSetPlugin {
  std::string fileName;
  std::string caption;
};
struct DefaultSetPlugins {
  std::optional<DefaultSetPlugin> corvex;  // "Corvex.dll"
  std::optional<DefaultSetPlugin> panora;  // "Panora.exe"
};

// Appends the default actions to `list`: the folders "Winamp", "Tavion", "Other" (a disk entry for
// every drive A to L whose bit is set in `existingDrives`, bit 0 = A, as GetLogicalDrives gives
// them), "Windows" and "Apps", each followed by its entries one level deeper. Entries without a
// name take their catalogue display name when the tree is built. Then a folder, named by the
// plug-in's caption, for each of `plugins` that is loaded; their actions' parameter objects come
// from the process's plug-in resolver, and those of "CDRom" and "Power" get their "Operation".
void BuildDefaults(TActionsList& list, uint32_t existingDrives,
                   const DefaultSetPlugins& plugins = {});

}  // namespace tavion
