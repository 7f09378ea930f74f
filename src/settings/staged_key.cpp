#include "settings/staged_key.h"

#include "settings/registry.h"

namespace tavion {
namespace {

std::string_view LastName(std::string_view path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string PrefixedName(std::string_view path, std::string_view prefix) {
  return std::string(prefix) + std::string(LastName(path));
}

}  // namespace

std::string SiblingKeyPath(std::string_view path, std::string_view prefix) {
  const size_t slash = path.find_last_of('\\');
  const std::string_view parent =
      slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash);
  return JoinRegistryPath(parent, PrefixedName(path, prefix));
}

bool SwapInStagedKey(RegistryStore& store, std::string_view path) {
  const std::string previous = SiblingKeyPath(path, kPreviousKeyPrefix);
  if (store.KeyExists(path)) {
    if (!store.DeleteKey(previous)) return false;
    if (!store.RenameKey(path, PrefixedName(path, kPreviousKeyPrefix))) return false;
  }
  if (!store.RenameKey(SiblingKeyPath(path, kStagingKeyPrefix), LastName(path))) return false;
  // The new key is in place; what is left of the old one is only garbage from here on.
  store.DeleteKey(previous);
  return true;
}

std::optional<std::string> WholeStagedKey(const RegistryStore& store, std::string_view path) {
  if (store.KeyExists(path)) return std::string(path);
  const std::string previous = SiblingKeyPath(path, kPreviousKeyPrefix);
  if (!store.KeyExists(previous)) return std::nullopt;
  // Interrupted inside the swap. The old key is moved aside only once the staging key is
  // complete, so a staging key that exists is the new content.
  const std::string staging = SiblingKeyPath(path, kStagingKeyPrefix);
  return store.KeyExists(staging) ? staging : previous;
}

void RecoverStagedKey(RegistryStore& store, std::string_view path) {
  const std::string staging = SiblingKeyPath(path, kStagingKeyPrefix);
  const std::string previous = SiblingKeyPath(path, kPreviousKeyPrefix);
  const std::optional<std::string> whole = WholeStagedKey(store, path);
  // Without the rename the siblings may hold the only whole content: they stay for next time.
  if (whole && *whole != path && !store.RenameKey(*whole, LastName(path))) return;
  // Whatever is left beside the key is an incomplete staging key or an old key already replaced.
  store.DeleteKey(staging);
  store.DeleteKey(previous);
}

}  // namespace tavion
