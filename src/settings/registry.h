#pragma once
// One registry subtree behind a small interface: the Win32 registry (registry_win.h) or an
// in-memory tree (MemoryRegistry). Portable.
//
// Paths are key names joined by backslashes, relative to the store's root ("" is the root
// itself); empty parts are ignored. Key and value names compare case-insensitively (ASCII).
// Texts are UTF-8.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavion {

// The kinds of value this program stores (REG_SZ, REG_DWORD of 4 bytes, REG_BINARY); kOther is
// everything else, such as expandable strings, multi-strings or a DWORD of another size.
enum class RegistryValueType : uint8_t { kString, kInteger, kBinary, kOther };

class RegistryStore {
 public:
  // A string read has no bound of its own by default: what a write stored reads back whole. The
  // registry bounds it (a value's size is a 32-bit count).
  static constexpr std::size_t kDefaultStringBound = std::numeric_limits<std::size_t>::max();
  // Largest binary value a read accepts by default.
  static constexpr std::size_t kDefaultBinaryBound = 64 * 1024;

  virtual ~RegistryStore() = default;

  virtual bool KeyExists(std::string_view path) const = 0;
  // Creates the key and any missing parents. Returns whether the key exists afterwards.
  virtual bool CreateKey(std::string_view path) = 0;
  // Deletes the key with all its sub-keys and values. Returns whether it is gone afterwards (also
  // when it never existed). Deleting the root ("") empties it.
  virtual bool DeleteKey(std::string_view path) = 0;
  // Renames the key `path` to `newName` (same parent), atomically where the system allows;
  // false when `path` is missing or `newName` exists. `newName` is one key name: false when it is
  // empty or holds a backslash, and for the root (""). A name that differs only in case names the
  // same key, so it counts as existing.
  virtual bool RenameKey(std::string_view path, std::string_view newName) = 0;

  // Names of the direct sub-keys (resp. values) in the order the registry enumerates them:
  // sub-keys sorted case-insensitively; values in the order they were created on Windows, sorted
  // by name under Wine. Empty when the key is missing.
  virtual std::vector<std::string> SubKeyNames(std::string_view path) const = 0;
  virtual std::vector<std::string> ValueNames(std::string_view path) const = 0;

  virtual bool ValueExists(std::string_view path, std::string_view name) const = 0;
  // The kind of the value, or nullopt when it is missing.
  virtual std::optional<RegistryValueType> TypeOf(std::string_view path,
                                                  std::string_view name) const = 0;

  // Reads return nullopt when the key or value is missing, when the value has another type (or,
  // for an integer, another size than 4 bytes), or when it is longer than the bound; callers
  // then use their default.
  std::optional<std::string> ReadString(std::string_view path, std::string_view name,
                                        std::size_t maxBytes = kDefaultStringBound) const {
    return DoReadString(path, name, maxBytes);
  }
  virtual std::optional<uint32_t> ReadInteger(std::string_view path,
                                              std::string_view name) const = 0;
  std::optional<std::vector<uint8_t>> ReadBinary(std::string_view path, std::string_view name,
                                                 std::size_t maxBytes = kDefaultBinaryBound) const {
    return DoReadBinary(path, name, maxBytes);
  }

  // Writes create the key when it is missing and replace a value of any type. Return success.
  virtual bool WriteString(std::string_view path, std::string_view name, std::string_view text) = 0;
  virtual bool WriteInteger(std::string_view path, std::string_view name, uint32_t value) = 0;
  virtual bool WriteBinary(std::string_view path, std::string_view name,
                           std::span<const uint8_t> bytes) = 0;
  // Returns whether the value is gone afterwards (also when it never existed).
  virtual bool DeleteValue(std::string_view path, std::string_view name) = 0;

 protected:
  virtual std::optional<std::string> DoReadString(std::string_view path, std::string_view name,
                                                  std::size_t maxBytes) const = 0;
  virtual std::optional<std::vector<uint8_t>> DoReadBinary(std::string_view path,
                                                           std::string_view name,
                                                           std::size_t maxBytes) const = 0;
};

// Orders names as the registry enumerates sub-keys: case-insensitively, by upper case.
bool RegistryNameLess(std::string_view a, std::string_view b);
bool RegistryNameEqual(std::string_view a, std::string_view b);

// The non-empty parts of a backslash-separated path.
std::vector<std::string_view> SplitRegistryPath(std::string_view path);
// The non-empty parts of `first`, then of `second`, joined by single backslashes.
std::string JoinRegistryPath(std::string_view first, std::string_view second = {});

// Copies the key `fromPath` of `from` with its strings, integers, binaries and sub-keys into
// `toPath` of `to`, creating it; values of other kinds, which the stores cannot read, are left
// out. False when the key is missing or a write fails.
bool CopyRegistryKey(const RegistryStore& from, std::string_view fromPath, RegistryStore& to,
                     std::string_view toPath);

// A registry tree in memory, for tests and for parsing registry files without the system. It
// enumerates as Windows does: values in creation order, sub-keys sorted by upper case.
class MemoryRegistry : public RegistryStore {
 public:
  using ValueType = RegistryValueType;

  MemoryRegistry();
  ~MemoryRegistry() override;
  MemoryRegistry(const MemoryRegistry&) = delete;
  MemoryRegistry& operator=(const MemoryRegistry&) = delete;

  bool KeyExists(std::string_view path) const override;
  bool CreateKey(std::string_view path) override;
  bool DeleteKey(std::string_view path) override;
  bool RenameKey(std::string_view path, std::string_view newName) override;
  std::vector<std::string> SubKeyNames(std::string_view path) const override;
  std::vector<std::string> ValueNames(std::string_view path) const override;
  bool ValueExists(std::string_view path, std::string_view name) const override;
  std::optional<RegistryValueType> TypeOf(std::string_view path,
                                          std::string_view name) const override;
  std::optional<uint32_t> ReadInteger(std::string_view path, std::string_view name) const override;
  bool WriteString(std::string_view path, std::string_view name, std::string_view text) override;
  bool WriteInteger(std::string_view path, std::string_view name, uint32_t value) override;
  bool WriteBinary(std::string_view path, std::string_view name,
                   std::span<const uint8_t> bytes) override;
  bool DeleteValue(std::string_view path, std::string_view name) override;

  // Stores a value of a kind this program does not write (kOther), as a registry file may hold
  // one; the reads treat it as of another type.
  bool WriteOther(std::string_view path, std::string_view name, std::span<const uint8_t> bytes);

 protected:
  std::optional<std::string> DoReadString(std::string_view path, std::string_view name,
                                          std::size_t maxBytes) const override;
  std::optional<std::vector<uint8_t>> DoReadBinary(std::string_view path, std::string_view name,
                                                   std::size_t maxBytes) const override;

 private:
  struct Value {
    std::string name;
    ValueType type;
    std::vector<uint8_t> data;  // strings as their UTF-8 bytes, integers as 4 bytes LE
  };
  struct NameLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return RegistryNameLess(a, b); }
  };
  struct Node {
    std::vector<Value> values;  // in creation order
    std::map<std::string, std::unique_ptr<Node>, NameLess> children;
  };

  const Node* Find(std::string_view path) const;
  Node* Find(std::string_view path);
  Node* FindOrCreate(std::string_view path);
  const Value* FindValue(std::string_view path, std::string_view name) const;
  bool Write(std::string_view path, std::string_view name, ValueType type,
             std::vector<uint8_t> data);

  std::unique_ptr<Node> root_;
};

}  // namespace tavion
