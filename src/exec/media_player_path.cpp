#include "exec/media_player_path.h"

#include <string_view>

namespace tavion {

std::string WinampPathFromCommand(std::string command) {
  for (const std::string_view part : {std::string_view("\" \"%1\""), std::string_view("\"")}) {
    for (size_t at; (at = command.find(part)) != std::string::npos;) command.erase(at, part.size());
  }
  return command;
}

}  // namespace tavion
