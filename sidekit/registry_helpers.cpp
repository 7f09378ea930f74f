// The Reg1* family: single-value registry access by path, wide calls, bounded reads.
#include <optional>
#include <string>
#include <vector>

#include "base/handles_win.h"
#include "sidekit.h"
#include "text_buffer.h"

namespace {

// Longest string value read or written, in characters with its terminator.
constexpr DWORD kMaxStringChars = 32 * 1024;

// 0x80000000 (HKEY_CLASSES_ROOT) to 0x80000005 (HKEY_CURRENT_CONFIG). A predefined key is a
// sign-extended 32-bit number in 64-bit processes.
std::optional<HKEY> PredefinedRoot(DWORD root) {
  if (root < 0x80000000u || root > 0x80000005u) return std::nullopt;
  return reinterpret_cast<HKEY>(static_cast<intptr_t>(static_cast<int32_t>(root)));
}

// `path` under `root` opened (or, with `create`, created) for `access`; empty on failure.
tavion::UniqueHKey OpenKey(const wchar_t* path, DWORD root, REGSAM access, bool create = false) {
  tavion::UniqueHKey key;
  const std::optional<HKEY> base = PredefinedRoot(root);
  if (!path || !base) return key;
  const LSTATUS status = create ? RegCreateKeyExW(*base, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                  access, nullptr, key.put(), nullptr)
                                : RegOpenKeyExW(*base, path, 0, access, key.put());
  if (status != ERROR_SUCCESS) key.release();  // the out-parameter holds nothing to close
  return key;
}

// The REG_SZ / REG_EXPAND_SZ value as stored (not expanded), up to its first NUL; nothing when
// it is missing, of another type or longer than the bound.
std::optional<std::wstring> ReadString(const wchar_t* path, const wchar_t* value, DWORD root) {
  const tavion::UniqueHKey key = OpenKey(path, root, KEY_QUERY_VALUE);
  if (!key) return std::nullopt;
  std::vector<wchar_t> data;
  // The value may change between asking its size and reading it; a few tries are enough.
  for (int attempt = 0; attempt < 3; ++attempt) {
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key.get(), value, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || bytes > kMaxStringChars * sizeof(wchar_t)) {
      return std::nullopt;
    }
    data.assign(bytes / sizeof(wchar_t) + 1, L'\0');
    const LSTATUS status = RegQueryValueExW(key.get(), value, nullptr, &type,
                                            reinterpret_cast<BYTE*>(data.data()), &bytes);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    // Stored strings need not end in a NUL, and an odd byte count leaves half a character.
    const std::wstring_view stored(data.data(), bytes / sizeof(wchar_t));
    return std::wstring(stored.substr(0, stored.find(L'\0')));
  }
  return std::nullopt;
}

}  // namespace

SIDEKIT_API BOOL WINAPI Reg1KeyExists(const wchar_t* path, DWORD root) {
  return static_cast<bool>(OpenKey(path, root, KEY_READ));
}

SIDEKIT_API BOOL WINAPI Reg1ValueExists(const wchar_t* path, const wchar_t* value, DWORD root) {
  const tavion::UniqueHKey key = OpenKey(path, root, KEY_QUERY_VALUE);
  return key &&
         RegQueryValueExW(key.get(), value, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

SIDEKIT_API int WINAPI Reg1ReadInt(const wchar_t* path, const wchar_t* value, int def, DWORD root) {
  const tavion::UniqueHKey key = OpenKey(path, root, KEY_QUERY_VALUE);
  if (!key) return def;
  DWORD type = 0;
  DWORD data = 0;
  DWORD bytes = sizeof data;
  if (RegQueryValueExW(key.get(), value, nullptr, &type, reinterpret_cast<BYTE*>(&data), &bytes) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || bytes != sizeof data) {
    return def;
  }
  return static_cast<int>(data);
}

SIDEKIT_API DWORD WINAPI Reg1ReadStr(const wchar_t* path, const wchar_t* value, const wchar_t* def,
                                     DWORD root, wchar_t* buffer, DWORD bufferChars) {
  const std::optional<std::wstring> text = ReadString(path, value, root);
  return tavion::sidekit::CopyToCallerBuffer(
      text ? std::wstring_view(*text) : std::wstring_view(def ? def : L""), buffer, bufferChars);
}

SIDEKIT_API BOOL WINAPI Reg1WriteStr(const wchar_t* path, const wchar_t* value, const wchar_t* text,
                                     DWORD root) {
  if (!text) return FALSE;
  const size_t chars = std::wstring_view(text).size() + 1;
  if (chars > kMaxStringChars) return FALSE;
  const tavion::UniqueHKey key = OpenKey(path, root, KEY_SET_VALUE, /*create=*/true);
  return key && RegSetValueExW(key.get(), value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                               static_cast<DWORD>(chars * sizeof(wchar_t))) == ERROR_SUCCESS;
}

SIDEKIT_API BOOL WINAPI Reg1DeleteValue(const wchar_t* path, const wchar_t* value, DWORD root) {
  const tavion::UniqueHKey key = OpenKey(path, root, KEY_SET_VALUE);
  if (!key) {
    // A missing key holds no value; anything else (a bad root, no access) is a failure.
    const std::optional<HKEY> base = PredefinedRoot(root);
    return path && base && !Reg1KeyExists(path, root);
  }
  const LSTATUS status = RegDeleteValueW(key.get(), value);
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

SIDEKIT_API BOOL WINAPI Reg1DeleteKey(const wchar_t* path, const wchar_t* subKey, DWORD root) {
  const std::optional<HKEY> base = PredefinedRoot(root);
  if (!path || !base) return FALSE;
  std::wstring target = path;
  if (subKey && *subKey) {
    if (!target.empty() && target.back() != L'\\') target += L'\\';
    target += subKey;
  }
  // An empty path would make RegDeleteTreeW empty the whole root.
  if (target.empty() || target.find_first_not_of(L'\\') == std::wstring::npos) return FALSE;
  const LSTATUS status = RegDeleteTreeW(*base, target.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}
