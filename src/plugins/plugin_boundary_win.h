#pragma once
// Reading what plug-ins hand over without trusting it: their memory, their texts and the string
// resources of program plug-ins.
#include <windows.h>

#include <optional>
#include <string>

#include "plugins/plugin_params.h"

namespace tavion {

// The boundary of this process: every read is preceded by VirtualQuery of the pages it touches.
const PluginBoundary& Win32PluginBoundary();

// String `id` of the string resources of `module` (also one loaded as data), as UTF-8; nullopt
// when the module has no such string or its table is broken.
std::optional<std::string> ResourceString(HMODULE module, UINT id);

}  // namespace tavion
