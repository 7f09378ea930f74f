#pragma once
// The decisions of the "Macros" page: which stored values it lists, the name a new recording is
// offered, and the loop of the name dialog that stores it. Portable.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavion {

class RegistryStore;

// The macros the page lists: the named text values under "Macros" of the settings root, in the
// registry's order. The unnamed value and values of other types are no macros.
std::vector<std::string> ListedMacroNames(const RegistryStore& settings);

// "Macros" followed by `count` + 1: the name offered for a new recording beside `count` macros.
std::string ProposedMacroName(std::size_t count);

// Drops from the items of a finished recording the key events of the gestures that started and
// stopped it: a release of a key that the recording has not pressed before, and at the end the
// last press (with its repeats and release) of each key that `held` says is still down when it
// stopped, which would otherwise stay pressed or be typed again by playback. Other items stay.
void DropRecordingGestures(std::vector<std::string>& items,
                           const std::function<bool(uint8_t keyCode)>& held);

// What storing a new recording asks of the user and of the registry.
struct MacroNameQuestions {
  // The name dialog with `text` in its field: the text after OK, nullopt after Cancel.
  std::function<std::optional<std::string>(const std::string& text)> askName;
  // Whether a macro named `name` is stored.
  std::function<bool(const std::string& name)> exists;
  // "Exists": true only when the user answers Yes to replacing the macro `name`.
  std::function<bool(const std::string& name)> confirmReplace;
  // Writes the recording as `name`; false when it could not (the user has been told).
  std::function<bool(const std::string& name)> store;
};

// Asks for a name, starting from `proposed`, until the recording is stored under it or the user
// cancels: an empty name asks again; a name in use asks whether to replace it, and anything but
// Yes asks again; a failed write asks again, so that the recording is not lost. The dialog then
// shows the name last typed. Returns the name stored under, nullopt after Cancel.
std::optional<std::string> StoreRecordedMacro(const std::string& proposed,
                                              const MacroNameQuestions& questions);

}  // namespace tavion
