#pragma once
// Crash-safe replacement of a registry key. The new content is written whole under a staging
// sibling ("~saving~name") and only then swapped in by renaming, the old key moved aside
// ("~previous~name") until the new one is in place. An interruption at any step leaves the old or
// the new content whole; the next save (or RecoverStagedKey) finishes or undoes the swap.
// Portable.

#include <optional>
#include <string>
#include <string_view>

namespace tavion {

class RegistryStore;

inline constexpr std::string_view kStagingKeyPrefix = "~saving~";
inline constexpr std::string_view kPreviousKeyPrefix = "~previous~";

// The sibling of `path` whose last name carries `prefix`.
std::string SiblingKeyPath(std::string_view path, std::string_view prefix);

// Replaces `path` by its complete staging sibling. False when a step failed; the old or the new
// key is whole then, possibly under its sibling's name.
bool SwapInStagedKey(RegistryStore& store, std::string_view path);

// Finishes or undoes an interrupted swap, so that `path` holds the whole old or new content (or,
// when the interrupted save was the first, does not exist), and removes the siblings.
void RecoverStagedKey(RegistryStore& store, std::string_view path);

// Where the whole content of `path` is now without changing anything: `path`, or during an
// interrupted swap the sibling that RecoverStagedKey would move into its place; nullopt when there
// is none.
std::optional<std::string> WholeStagedKey(const RegistryStore& store, std::string_view path);

}  // namespace tavion
