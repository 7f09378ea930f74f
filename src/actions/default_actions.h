#pragma once
// The default action set of a new or reset profile. Portable.

#include <cstdint>

namespace tavion {

class TActionsList;

// Appends the default actions to `list`: the folders "Winamp", "Tavion", "Other" (a disk entry for
// every drive A to L whose bit is set in `existingDrives`, bit 0 = A, as GetLogicalDrives gives
// them), "Windows" and "Apps", each followed by its entries one level deeper. Entries without a
// name take their catalogue display name when the tree is built.
void BuildDefaults(TActionsList& list, uint32_t existingDrives);

}  // namespace tavion
