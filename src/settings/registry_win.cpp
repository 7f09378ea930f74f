#include "settings/registry_win.h"

#include <algorithm>
#include <limits>

#include "base/handles_win.h"
#include "base/utf_win.h"

namespace tavion {
namespace {

// Longest key name the registry allows, plus the terminator.
constexpr DWORD kKeyNameChars = 256;
// Longest value name the registry allows, plus the terminator.
constexpr DWORD kValueNameChars = 16384;

struct RawValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

// On failure the key owns nothing: what the call left in the out-parameter is dropped.
UniqueHKey OpenKey(HKEY root, const std::wstring& path, REGSAM access) {
  UniqueHKey key;
  if (RegOpenKeyExW(root, path.c_str(), 0, access, key.put()) != ERROR_SUCCESS) key.release();
  return key;
}

UniqueHKey CreateOrOpenKey(HKEY root, const std::wstring& path, REGSAM access) {
  UniqueHKey key;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                      key.put(), nullptr) != ERROR_SUCCESS)
    key.release();
  return key;
}

// Reads a value of at most `maxBytes` bytes; nullopt when it is missing or larger.
std::optional<RawValue> QueryValue(HKEY key, const std::wstring& name, std::size_t maxBytes) {
  // The value may change between the size query and the read; a few retries settle it.
  for (int attempt = 0; attempt < 4; ++attempt) {
    RawValue value;
    DWORD size = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
      return std::nullopt;
    if (size > maxBytes) return std::nullopt;
    value.data.resize(size);
    const LSTATUS status =
        RegQueryValueExW(key, name.c_str(), nullptr, &value.type, value.data.data(), &size);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) return std::nullopt;
    value.data.resize(size);
    return value;
  }
  return std::nullopt;
}

}  // namespace

Win32Registry::Win32Registry(HKEY root, std::string_view basePath)
    : root_(root), basePath_(basePath) {}

std::wstring Win32Registry::FullPath(std::string_view path) const {
  std::string joined;
  for (std::string_view source : {std::string_view(basePath_), path}) {
    for (std::string_view part : SplitRegistryPath(source)) {
      if (!joined.empty()) joined += '\\';
      joined += part;
    }
  }
  return Utf8ToWide(joined);
}

bool Win32Registry::KeyExists(std::string_view path) const {
  return static_cast<bool>(OpenKey(root_, FullPath(path), KEY_QUERY_VALUE));
}

bool Win32Registry::CreateKey(std::string_view path) {
  return static_cast<bool>(CreateOrOpenKey(root_, FullPath(path), KEY_QUERY_VALUE));
}

bool Win32Registry::DeleteKey(std::string_view path) {
  const std::wstring full = FullPath(path);
  LSTATUS status;
  if (SplitRegistryPath(path).empty()) {
    // The store's own root is emptied, not removed: its parent is not ours.
    UniqueHKey key = OpenKey(root_, full, KEY_ALL_ACCESS);
    if (!key) return !KeyExists(path);
    status = RegDeleteTreeW(key.get(), nullptr);
  } else {
    status = RegDeleteTreeW(root_, full.c_str());
  }
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

std::vector<std::string> Win32Registry::SubKeyNames(std::string_view path) const {
  std::vector<std::string> names;
  const UniqueHKey key = OpenKey(root_, FullPath(path), KEY_ENUMERATE_SUB_KEYS);
  if (!key) return names;
  wchar_t name[kKeyNameChars];
  for (DWORD index = 0;; ++index) {
    DWORD length = kKeyNameChars;
    const LSTATUS status =
        RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) break;
    names.push_back(WideToUtf8(std::wstring_view(name, length)));
  }
  return names;
}

std::vector<std::string> Win32Registry::ValueNames(std::string_view path) const {
  std::vector<std::string> names;
  const UniqueHKey key = OpenKey(root_, FullPath(path), KEY_QUERY_VALUE);
  if (!key) return names;
  std::wstring name(kValueNameChars, L'\0');
  for (DWORD index = 0;; ++index) {
    DWORD length = kValueNameChars;
    const LSTATUS status =
        RegEnumValueW(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) break;
    names.push_back(WideToUtf8(std::wstring_view(name.data(), length)));
  }
  return names;
}

bool Win32Registry::ValueExists(std::string_view path, std::string_view name) const {
  const UniqueHKey key = OpenKey(root_, FullPath(path), KEY_QUERY_VALUE);
  return key && RegQueryValueExW(key.get(), Utf8ToWide(name).c_str(), nullptr, nullptr, nullptr,
                                 nullptr) == ERROR_SUCCESS;
}

std::optional<std::string> Win32Registry::DoReadString(std::string_view path, std::string_view name,
                                                       std::size_t maxBytes) const {
  const UniqueHKey key = OpenKey(root_, FullPath(path), KEY_QUERY_VALUE);
  if (!key) return std::nullopt;
  // A text of at most maxBytes UTF-8 bytes has at most as many UTF-16 units, plus a terminator.
  constexpr std::size_t kMaxUnits = std::numeric_limits<DWORD>::max() / sizeof(wchar_t) - 1;
  const std::size_t rawBound = (std::min(maxBytes, kMaxUnits) + 1) * sizeof(wchar_t);
  const std::optional<RawValue> raw = QueryValue(key.get(), Utf8ToWide(name), rawBound);
  if (!raw || (raw->type != REG_SZ && raw->type != REG_EXPAND_SZ)) return std::nullopt;
  std::wstring_view text(reinterpret_cast<const wchar_t*>(raw->data.data()),
                         raw->data.size() / sizeof(wchar_t));
  // Stored texts need not end in a terminator, and may hold more than one.
  text = text.substr(0, text.find(L'\0'));
  std::string utf8 = WideToUtf8(text);
  if (utf8.size() > maxBytes) return std::nullopt;
  return utf8;
}

std::optional<uint32_t> Win32Registry::ReadInteger(std::string_view path,
                                                   std::string_view name) const {
  const UniqueHKey key = OpenKey(root_, FullPath(path), KEY_QUERY_VALUE);
  if (!key) return std::nullopt;
  const std::optional<RawValue> raw = QueryValue(key.get(), Utf8ToWide(name), sizeof(DWORD));
  if (!raw || raw->type != REG_DWORD || raw->data.size() != sizeof(DWORD)) return std::nullopt;
  return uint32_t{raw->data[0]} | uint32_t{raw->data[1]} << 8 | uint32_t{raw->data[2]} << 16 |
         uint32_t{raw->data[3]} << 24;
}

std::optional<std::vector<uint8_t>> Win32Registry::DoReadBinary(std::string_view path,
                                                                std::string_view name,
                                                                std::size_t maxBytes) const {
  const UniqueHKey key = OpenKey(root_, FullPath(path), KEY_QUERY_VALUE);
  if (!key) return std::nullopt;
  std::optional<RawValue> raw = QueryValue(key.get(), Utf8ToWide(name), maxBytes);
  if (!raw || raw->type != REG_BINARY) return std::nullopt;
  return std::vector<uint8_t>(raw->data.begin(), raw->data.end());
}

bool Win32Registry::Write(std::string_view path, std::string_view name, DWORD type,
                          const void* data, DWORD size) {
  const UniqueHKey key = CreateOrOpenKey(root_, FullPath(path), KEY_SET_VALUE);
  return key && RegSetValueExW(key.get(), Utf8ToWide(name).c_str(), 0, type,
                               static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

bool Win32Registry::WriteString(std::string_view path, std::string_view name,
                                std::string_view text) {
  const std::wstring wide = Utf8ToWide(text);
  const std::size_t size = (wide.size() + 1) * sizeof(wchar_t);
  if (size > std::numeric_limits<DWORD>::max()) return false;
  return Write(path, name, REG_SZ, wide.c_str(), static_cast<DWORD>(size));
}

bool Win32Registry::WriteInteger(std::string_view path, std::string_view name, uint32_t value) {
  const DWORD data = value;
  return Write(path, name, REG_DWORD, &data, sizeof data);
}

bool Win32Registry::WriteBinary(std::string_view path, std::string_view name,
                                std::span<const uint8_t> bytes) {
  if (bytes.size() > std::numeric_limits<DWORD>::max()) return false;
  return Write(path, name, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

bool Win32Registry::DeleteValue(std::string_view path, std::string_view name) {
  const UniqueHKey key = OpenKey(root_, FullPath(path), KEY_SET_VALUE);
  if (!key) return !KeyExists(path);
  const LSTATUS status = RegDeleteValueW(key.get(), Utf8ToWide(name).c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace tavion
