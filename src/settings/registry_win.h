#pragma once
// The Win32 registry behind RegistryStore: a subtree given by a root key and a base path.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/handles_win.h"
#include "settings/registry.h"

namespace tavion {

// Which of the registry's two views a store opens on 64-bit Windows. A 32-bit process sees
// HKEY_LOCAL_MACHINE\SOFTWARE redirected to its WOW6432Node; the machine-wide keys that Windows
// itself reads (the key map, the shell's application keys) must be written in the 64-bit view.
enum class RegistryView : uint8_t {
  kProcess,  // the process's own view
  k64Bit,    // the view 64-bit programs see
  k32Bit,    // the view 32-bit programs see
};

// A store keeps the keys it used last open, so that a save writing many values into each key
// opens it once. One object serves one thread at a time; make one per thread. Deleting or renaming
// a key through any Win32Registry of the process closes them all; a key deleted by another program
// is noticed at its next use and opened afresh. A key renamed by another program may still be
// reached under its old path until this process next deletes or renames a key.
class Win32Registry final : public RegistryStore {
 public:
  // Paths of this store are relative to `root`\`basePath` ("" for the root key itself). `root` is
  // a predefined key (HKEY_CURRENT_USER, ...) or a key the caller keeps open while the store is
  // used. Every open, create and delete of the store goes to `view`.
  explicit Win32Registry(HKEY root, std::string_view basePath = {},
                         RegistryView view = RegistryView::kProcess);
  ~Win32Registry() override;
  Win32Registry(const Win32Registry&) = delete;
  Win32Registry& operator=(const Win32Registry&) = delete;

  bool KeyExists(std::string_view path) const override;
  bool CreateKey(std::string_view path) override;
  bool DeleteKey(std::string_view path) override;
  // With RegRenameKey (advapi32, looked up at run time) the rename is atomic; under Wine a
  // short-lived empty sibling works around a fault of its registry server. Without RegRenameKey
  // the tree is copied with RegCopyTreeW and the source deleted afterwards (RenameKeyByCopy).
  bool RenameKey(std::string_view path, std::string_view newName) override;
  std::vector<std::string> SubKeyNames(std::string_view path) const override;
  std::vector<std::string> ValueNames(std::string_view path) const override;
  bool ValueExists(std::string_view path, std::string_view name) const override;
  // REG_SZ, REG_DWORD of 4 bytes and REG_BINARY; every other type and size is kOther (even
  // REG_EXPAND_SZ, which ReadString accepts).
  std::optional<RegistryValueType> TypeOf(std::string_view path,
                                          std::string_view name) const override;
  std::optional<uint32_t> ReadInteger(std::string_view path, std::string_view name) const override;
  bool WriteString(std::string_view path, std::string_view name, std::string_view text) override;
  bool WriteInteger(std::string_view path, std::string_view name, uint32_t value) override;
  bool WriteBinary(std::string_view path, std::string_view name,
                   std::span<const uint8_t> bytes) override;
  bool DeleteValue(std::string_view path, std::string_view name) override;

 protected:
  std::optional<std::string> DoReadString(std::string_view path, std::string_view name,
                                          std::size_t maxBytes) const override;
  std::optional<std::vector<uint8_t>> DoReadBinary(std::string_view path, std::string_view name,
                                                   std::size_t maxBytes) const override;

 private:
  struct CachedKey {
    std::string path;  // JoinRegistryPath of the store path
    REGSAM access;
    UniqueHKey key;
  };

  // The full wide path below root_ of `path`.
  std::wstring FullPath(std::string_view path) const;
  // Runs `operation` (LSTATUS(HKEY)) on the key `path` opened with at least `access`, created
  // first when `create`. A kept key that turns out deleted is opened afresh and the operation run
  // again. Returns the operation's status, or the open's when the key cannot be opened.
  template <typename Operation>
  LSTATUS WithKey(std::string_view path, REGSAM access, bool create, Operation operation) const;
  // The kept key for `path` with `access`, or a newly opened one that is kept; null on failure,
  // with the status in `status`. `kept` tells whether the key was kept from before.
  HKEY OpenCached(std::string_view path, REGSAM access, bool create, LSTATUS& status,
                  bool* kept = nullptr) const;
  // Opens the key as WithKey does and checks that it exists.
  LSTATUS CheckKey(std::string_view path, REGSAM access, bool create) const;
  void ForgetKeys() const;
  bool Write(std::string_view path, std::string_view name, DWORD type, const void* data,
             DWORD size);

  HKEY root_;
  std::string basePath_;
  REGSAM view_;                           // the KEY_WOW64_ flag added to every access
  mutable std::vector<CachedKey> cache_;  // most recently used first
  mutable uint64_t cacheGeneration_ = 0;
};

// Renames `parent`\`oldName` to `newName` by copying the tree (RegCopyTreeW) and deleting the
// source: the way where RegRenameKey is missing. Not atomic: a failure or crash after the copy
// leaves both keys, the new one complete. False when `oldName` is missing, when `newName` exists
// (nothing is changed then) or when a step fails.
bool RenameKeyByCopy(HKEY parent, const std::wstring& oldName, const std::wstring& newName);

}  // namespace tavion
