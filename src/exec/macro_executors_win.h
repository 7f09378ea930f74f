#pragma once
// The executors of "mc_play" (play a stored macro) and "mc_text" (type a text or a text file).

#include <functional>
#include <string>

#include "macros/key_sender_win.h"

namespace tavion {

class RegistryStore;

struct MacroServices {
  const RegistryStore* macros = nullptr;      // rooted at the settings root
  KeySender sendKeys;                         // empty: SendKeys
  std::function<std::string()> dateTimeText;  // the text of "%datetime%"; empty: left as it is
};

// Registers "mc_play" and "mc_text" with the dispatcher. `services` is copied.
void RegisterMacroExecutors(const MacroServices& services);

}  // namespace tavion
