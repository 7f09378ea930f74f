#pragma once
// The commands of the main window's lists. Portable.

#include <cstdint>

namespace tavion {

// The commands of a page's lists, run by the window keys (Insert, F2, Delete, F4, F5), the
// toolbars and the context menus alike.
enum class ListCommand : uint8_t {
  kAdd,        // Insert
  kAddFolder,  //
  kEdit,       // F2, double click
  kDelete,     // Delete
  kRun,        //
  kToggle,     // F4: enable or disable an action
  kRefresh,    // F5: read the list again
  kDefault,    //
  kExpandAll,  // expand or collapse every folder
};

}  // namespace tavion
