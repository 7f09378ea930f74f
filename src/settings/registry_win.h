#pragma once
// The Win32 registry behind RegistryStore: a subtree given by a root key and a base path.

#include <windows.h>

#include <string>
#include <string_view>

#include "settings/registry.h"

namespace tavion {

class Win32Registry final : public RegistryStore {
 public:
  // Paths of this store are relative to `root`\`basePath` ("" for the root key itself). `root` is
  // a predefined key (HKEY_CURRENT_USER, ...) or a key the caller keeps open while the store is
  // used.
  explicit Win32Registry(HKEY root, std::string_view basePath = {});

  bool KeyExists(std::string_view path) const override;
  bool CreateKey(std::string_view path) override;
  bool DeleteKey(std::string_view path) override;
  std::vector<std::string> SubKeyNames(std::string_view path) const override;
  std::vector<std::string> ValueNames(std::string_view path) const override;
  bool ValueExists(std::string_view path, std::string_view name) const override;
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
  // The full wide path below root_ of `path`.
  std::wstring FullPath(std::string_view path) const;
  bool Write(std::string_view path, std::string_view name, DWORD type, const void* data,
             DWORD size);

  HKEY root_;
  std::string basePath_;
};

}  // namespace tavion
