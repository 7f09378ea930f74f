#include "settings/registry_win.h"

#include <algorithm>
#include <atomic>
#include <limits>

#include "base/window_requests_win.h"
#include "base/handles_win.h"
#include "base/utf_win.h"

namespace tavion {
namespace {

// Longest key name the registry allows, plus the terminator.
constexpr DWORD kKeyNameChars = 256;
// Longest value name the registry allows, plus the terminator.
constexpr DWORD kValueNameChars = 16384;
// A save writes a key's values before it moves on, so a few kept keys serve it.
constexpr std::size_t kCachedKeys = 8;

constexpr REGSAM kRead = KEY_READ;
constexpr REGSAM kReadWrite = KEY_READ | KEY_WRITE;

// Counts the deletes and renames of every store of the process; a store whose kept keys are
// older closes them before it uses one.
std::atomic<uint64_t> g_structureChanges{1};

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

// Reads a value of at most `maxBytes` bytes into `value`. ERROR_MORE_DATA when it is larger.
LSTATUS QueryValue(HKEY key, const std::wstring& name, std::size_t maxBytes, RawValue& value) {
  // The value may change between the size query and the read; a few retries settle it.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &value.type, nullptr, &size);
    if (status != ERROR_SUCCESS) return status;
    if (size > maxBytes) return ERROR_MORE_DATA;
    value.data.resize(size);
    status = RegQueryValueExW(key, name.c_str(), nullptr, &value.type, value.data.data(), &size);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) return status;
    value.data.resize(size);
    return ERROR_SUCCESS;
  }
  return ERROR_MORE_DATA;
}

// Succeeds while the key exists; a key deleted since it was opened reports ERROR_KEY_DELETED.
LSTATUS ProbeKey(HKEY key) {
  return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr);
}

// The access flag of `view`. A 32-bit build passes one only under WOW64: Windows 2000 refuses the
// flags, and a 32-bit Windows has one view anyway.
REGSAM ViewFlag(RegistryView view) {
  if (view == RegistryView::kProcess) return 0;
#ifndef _WIN64
  using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
  static const auto isWow64Process =
      ResolveFunction<IsWow64ProcessFunction>(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process");
  BOOL wow64 = FALSE;
  if (isWow64Process == nullptr || !isWow64Process(GetCurrentProcess(), &wow64) || !wow64) return 0;
#endif
  return view == RegistryView::k64Bit ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

std::wstring SubKeyPath(const std::wstring& path, const std::wstring& name) {
  return path.empty() ? name : path + L'\\' + name;
}

// Deletes the sub-keys of `path` below `root` with everything in them, opening and deleting each
// from `root` in `view`: RegDeleteTreeW takes no view, and a 32-bit process's relative opens
// below a key of the 64-bit view would fall back into its own view.
LSTATUS DeleteSubKeys(HKEY root, const std::wstring& path, REGSAM view) {
  std::vector<std::wstring> names;
  {
    UniqueHKey key;
    LSTATUS status = RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.put());
    if (status != ERROR_SUCCESS) {
      key.release();
      return status;
    }
    wchar_t name[kKeyNameChars];
    for (DWORD index = 0;; ++index) {
      DWORD length = kKeyNameChars;
      status = RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (status == ERROR_NO_MORE_ITEMS) break;
      if (status != ERROR_SUCCESS) return status;
      names.emplace_back(name, length);
    }
  }
  for (const std::wstring& name : names) {
    const std::wstring child = SubKeyPath(path, name);
    LSTATUS status = DeleteSubKeys(root, child, view);
    if (status == ERROR_SUCCESS) status = RegDeleteKeyExW(root, child.c_str(), view, 0);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return status;
  }
  return ERROR_SUCCESS;
}

bool IsKeyName(std::string_view name) {
  return !name.empty() && name.find('\\') == std::string_view::npos;
}

using RegRenameKeyFunction = LSTATUS(WINAPI*)(HKEY, LPCWSTR, LPCWSTR);

// Vista's advapi32 has RegRenameKey; older systems do not.
RegRenameKeyFunction FindRegRenameKey() {
  return ResolveFunction<RegRenameKeyFunction>(GetModuleHandleW(L"advapi32.dll"), "RegRenameKey");
}

bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Wine's registry server (8.0 here) keeps sub-keys in a sorted array. When a renamed key's new
// place is the slot right after its old one (the new name sorts after the old one with no sibling
// in between) it writes the key over the next sibling, or past the array's end: the sibling is
// lost and the server crashes later. A sibling named old name + U+0001 sorts between the old name
// and any later one, so the rename never lands in that slot; it is volatile and lives only for the
// rename. Where it cannot be made (an old name of the longest length), the tree is copied.
bool RenameKeyOnWine(RegRenameKeyFunction regRenameKey, HKEY parent, const std::wstring& oldName,
                     const std::wstring& newName) {
  const std::wstring spacerName = oldName + L'\x01';
  if (newName == spacerName) return RenameKeyByCopy(parent, oldName, newName);
  UniqueHKey spacer;
  DWORD disposition = 0;
  if (RegCreateKeyExW(parent, spacerName.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_READ,
                      nullptr, spacer.put(), &disposition) != ERROR_SUCCESS) {
    spacer.release();
    return RenameKeyByCopy(parent, oldName, newName);
  }
  const bool renamed = regRenameKey(parent, oldName.c_str(), newName.c_str()) == ERROR_SUCCESS;
  spacer.reset();
  // A key of that name from before is someone's: it stays.
  if (disposition == REG_CREATED_NEW_KEY) RegDeleteKeyW(parent, spacerName.c_str());
  return renamed;
}

}  // namespace

bool RenameKeyByCopy(HKEY parent, const std::wstring& oldName, const std::wstring& newName) {
  if (!OpenKey(parent, oldName, kRead)) return false;
  UniqueHKey target;
  DWORD disposition = 0;
  if (RegCreateKeyExW(parent, newName.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kReadWrite,
                      nullptr, target.put(), &disposition) != ERROR_SUCCESS) {
    target.release();
    return false;
  }
  if (disposition != REG_CREATED_NEW_KEY) return false;
  if (RegCopyTreeW(parent, oldName.c_str(), target.get()) != ERROR_SUCCESS) {
    target.reset();
    // Undoing the partial copy; the source is whole either way.
    RegDeleteTreeW(parent, newName.c_str());
    return false;
  }
  return RegDeleteTreeW(parent, oldName.c_str()) == ERROR_SUCCESS;
}

Win32Registry::Win32Registry(HKEY root, std::string_view basePath, RegistryView view)
    : root_(root), basePath_(basePath), view_(ViewFlag(view)) {}

Win32Registry::~Win32Registry() = default;

std::wstring Win32Registry::FullPath(std::string_view path) const {
  return Utf8ToWide(JoinRegistryPath(basePath_, path));
}

HKEY Win32Registry::OpenCached(std::string_view path, REGSAM access, bool create, LSTATUS& status,
                               bool* kept) const {
  const uint64_t generation = g_structureChanges.load();
  if (cacheGeneration_ != generation) {
    cache_.clear();
    cacheGeneration_ = generation;
  }
  std::string name = JoinRegistryPath(path);
  for (auto entry = cache_.begin(); entry != cache_.end(); ++entry) {
    if (RegistryNameEqual(entry->path, name) && (entry->access & access) == access) {
      std::rotate(cache_.begin(), entry, entry + 1);
      status = ERROR_SUCCESS;
      if (kept != nullptr) *kept = true;
      return cache_.front().key.get();
    }
  }
  if (kept != nullptr) *kept = false;
  UniqueHKey key;
  const std::wstring full = FullPath(path);
  status = create ? RegCreateKeyExW(root_, full.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    access | view_, nullptr, key.put(), nullptr)
                  : RegOpenKeyExW(root_, full.c_str(), 0, access | view_, key.put());
  if (status != ERROR_SUCCESS) {
    key.release();
    return nullptr;
  }
  std::erase_if(cache_,
                [&](const CachedKey& entry) { return RegistryNameEqual(entry.path, name); });
  if (cache_.size() >= kCachedKeys) cache_.pop_back();
  cache_.insert(cache_.begin(), CachedKey{std::move(name), access, std::move(key)});
  return cache_.front().key.get();
}

template <typename Operation>
LSTATUS Win32Registry::WithKey(std::string_view path, REGSAM access, bool create,
                               Operation operation) const {
  LSTATUS status = ERROR_SUCCESS;
  HKEY key = OpenCached(path, access, create, status);
  if (key == nullptr) return status;
  status = operation(key);
  if (status != ERROR_KEY_DELETED) return status;
  // Deleted behind our back: the other kept keys may be gone too.
  cache_.clear();
  key = OpenCached(path, access, create, status);
  return key == nullptr ? status : operation(key);
}

LSTATUS Win32Registry::CheckKey(std::string_view path, REGSAM access, bool create) const {
  LSTATUS status = ERROR_SUCCESS;
  bool kept = false;
  if (OpenCached(path, access, create, status, &kept) == nullptr || !kept) return status;
  // Only a kept key can have been deleted since it was opened.
  return WithKey(path, access, create, ProbeKey);
}

void Win32Registry::ForgetKeys() const {
  cache_.clear();
  cacheGeneration_ = ++g_structureChanges;
}

bool Win32Registry::KeyExists(std::string_view path) const {
  return CheckKey(path, kRead, /*create=*/false) == ERROR_SUCCESS;
}

bool Win32Registry::CreateKey(std::string_view path) {
  const LSTATUS status = CheckKey(path, kReadWrite, /*create=*/true);
  // A key we may read but not write still exists.
  if (status == ERROR_ACCESS_DENIED) return CheckKey(path, kRead, /*create=*/true) == ERROR_SUCCESS;
  return status == ERROR_SUCCESS;
}

bool Win32Registry::DeleteKey(std::string_view path) {
  const std::wstring full = FullPath(path);
  LSTATUS status = DeleteSubKeys(root_, full, view_);
  if (status == ERROR_SUCCESS && SplitRegistryPath(path).empty()) {
    // The store's own root is emptied, not removed: its parent is not ours.
    const UniqueHKey key = OpenKey(root_, full, kReadWrite | view_);
    std::wstring name(kValueNameChars, L'\0');
    while (key && status == ERROR_SUCCESS) {
      DWORD length = kValueNameChars;
      if (RegEnumValueW(key.get(), 0, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
        break;
      status = RegDeleteValueW(key.get(), name.c_str());
    }
    // The key was just read: what fails now is the right to write it.
    if (!key) status = ERROR_ACCESS_DENIED;
  } else if (status == ERROR_SUCCESS) {
    status = RegDeleteKeyExW(root_, full.c_str(), view_, 0);
  }
  ForgetKeys();
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool Win32Registry::RenameKey(std::string_view path, std::string_view newName) {
  const std::vector<std::string_view> parts = SplitRegistryPath(path);
  if (parts.empty() || !IsKeyName(newName)) return false;
  const std::string_view leaf = parts.back();
  const UniqueHKey parent =
      OpenKey(root_, FullPath(path.substr(0, static_cast<std::size_t>(leaf.data() - path.data()))),
              kReadWrite | view_);
  if (!parent) return false;
  const std::wstring oldName = Utf8ToWide(leaf);
  const std::wstring wideNewName = Utf8ToWide(newName);
  // Checked here so that both ways agree; a name differing only in case opens the same key.
  if (!OpenKey(parent.get(), oldName, kRead) || OpenKey(parent.get(), wideNewName, kRead))
    return false;
  static const RegRenameKeyFunction regRenameKey = FindRegRenameKey();
  static const bool underWine = RunningUnderWine();
  bool renamed = false;
  if (regRenameKey == nullptr) {
    renamed = RenameKeyByCopy(parent.get(), oldName, wideNewName);
  } else if (underWine) {
    renamed = RenameKeyOnWine(regRenameKey, parent.get(), oldName, wideNewName);
  } else {
    renamed = regRenameKey(parent.get(), oldName.c_str(), wideNewName.c_str()) == ERROR_SUCCESS;
  }
  // Kept keys below the old name now stand under the new one.
  ForgetKeys();
  return renamed;
}

std::vector<std::string> Win32Registry::SubKeyNames(std::string_view path) const {
  std::vector<std::string> names;
  WithKey(path, kRead, /*create=*/false, [&](HKEY key) {
    names.clear();
    wchar_t name[kKeyNameChars];
    for (DWORD index = 0;; ++index) {
      DWORD length = kKeyNameChars;
      const LSTATUS status =
          RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (status != ERROR_SUCCESS) return status == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : status;
      names.push_back(WideToUtf8(std::wstring_view(name, length)));
    }
  });
  return names;
}

std::vector<std::string> Win32Registry::ValueNames(std::string_view path) const {
  std::vector<std::string> names;
  WithKey(path, kRead, /*create=*/false, [&](HKEY key) {
    names.clear();
    std::wstring name(kValueNameChars, L'\0');
    for (DWORD index = 0;; ++index) {
      DWORD length = kValueNameChars;
      const LSTATUS status =
          RegEnumValueW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
      if (status != ERROR_SUCCESS) return status == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : status;
      names.push_back(WideToUtf8(std::wstring_view(name.data(), length)));
    }
  });
  return names;
}

bool Win32Registry::ValueExists(std::string_view path, std::string_view name) const {
  const std::wstring wideName = Utf8ToWide(name);
  return WithKey(path, kRead, /*create=*/false, [&](HKEY key) {
           return RegQueryValueExW(key, wideName.c_str(), nullptr, nullptr, nullptr, nullptr);
         }) == ERROR_SUCCESS;
}

std::optional<RegistryValueType> Win32Registry::TypeOf(std::string_view path,
                                                       std::string_view name) const {
  const std::wstring wideName = Utf8ToWide(name);
  DWORD type = REG_NONE;
  DWORD size = 0;
  const LSTATUS status = WithKey(path, kRead, /*create=*/false, [&](HKEY key) {
    return RegQueryValueExW(key, wideName.c_str(), nullptr, &type, nullptr, &size);
  });
  if (status != ERROR_SUCCESS) return std::nullopt;
  switch (type) {
    case REG_SZ:
      return RegistryValueType::kString;
    case REG_DWORD:
      return size == sizeof(DWORD) ? RegistryValueType::kInteger : RegistryValueType::kOther;
    case REG_BINARY:
      return RegistryValueType::kBinary;
    default:
      return RegistryValueType::kOther;
  }
}

std::optional<std::string> Win32Registry::DoReadString(std::string_view path, std::string_view name,
                                                       std::size_t maxBytes) const {
  // A text of at most maxBytes UTF-8 bytes has at most as many UTF-16 units, plus a terminator.
  constexpr std::size_t kMaxUnits = std::numeric_limits<DWORD>::max() / sizeof(wchar_t) - 1;
  const std::size_t rawBound = (std::min(maxBytes, kMaxUnits) + 1) * sizeof(wchar_t);
  const std::wstring wideName = Utf8ToWide(name);
  RawValue raw;
  if (WithKey(path, kRead, /*create=*/false,
              [&](HKEY key) { return QueryValue(key, wideName, rawBound, raw); }) != ERROR_SUCCESS)
    return std::nullopt;
  if (raw.type != REG_SZ && raw.type != REG_EXPAND_SZ) return std::nullopt;
  std::wstring_view text(reinterpret_cast<const wchar_t*>(raw.data.data()),
                         raw.data.size() / sizeof(wchar_t));
  // Stored texts need not end in a terminator, and may hold more than one.
  text = text.substr(0, text.find(L'\0'));
  std::string utf8 = WideToUtf8(text);
  if (utf8.size() > maxBytes) return std::nullopt;
  return utf8;
}

std::optional<uint32_t> Win32Registry::ReadInteger(std::string_view path,
                                                   std::string_view name) const {
  const std::wstring wideName = Utf8ToWide(name);
  RawValue raw;
  if (WithKey(path, kRead, /*create=*/false, [&](HKEY key) {
        return QueryValue(key, wideName, sizeof(DWORD), raw);
      }) != ERROR_SUCCESS)
    return std::nullopt;
  if (raw.type != REG_DWORD || raw.data.size() != sizeof(DWORD)) return std::nullopt;
  return uint32_t{raw.data[0]} | uint32_t{raw.data[1]} << 8 | uint32_t{raw.data[2]} << 16 |
         uint32_t{raw.data[3]} << 24;
}

std::optional<std::vector<uint8_t>> Win32Registry::DoReadBinary(std::string_view path,
                                                                std::string_view name,
                                                                std::size_t maxBytes) const {
  const std::wstring wideName = Utf8ToWide(name);
  RawValue raw;
  if (WithKey(path, kRead, /*create=*/false,
              [&](HKEY key) { return QueryValue(key, wideName, maxBytes, raw); }) != ERROR_SUCCESS)
    return std::nullopt;
  if (raw.type != REG_BINARY) return std::nullopt;
  return std::vector<uint8_t>(raw.data.begin(), raw.data.end());
}

bool Win32Registry::Write(std::string_view path, std::string_view name, DWORD type,
                          const void* data, DWORD size) {
  const std::wstring wideName = Utf8ToWide(name);
  return WithKey(path, kReadWrite, /*create=*/true, [&](HKEY key) {
           return RegSetValueExW(key, wideName.c_str(), 0, type, static_cast<const BYTE*>(data),
                                 size);
         }) == ERROR_SUCCESS;
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
  const std::wstring wideName = Utf8ToWide(name);
  const LSTATUS status = WithKey(path, kReadWrite, /*create=*/false,
                                 [&](HKEY key) { return RegDeleteValueW(key, wideName.c_str()); });
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace tavion
