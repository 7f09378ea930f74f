#include "plugins/plugin_boundary_win.h"

#include <algorithm>
#include <cstring>

#include "base/utf_win.h"

namespace tavion {
namespace {

constexpr DWORD kReadableProtection = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY |
                                      PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE |
                                      PAGE_EXECUTE_WRITECOPY;
constexpr DWORD kRunnableProtection =
    PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

// The committed region at `address` with one of the protections `wanted`: how many bytes from
// `address` it still holds; 0 when the address is not such memory.
std::size_t RegionFrom(uintptr_t address, DWORD wanted) {
  MEMORY_BASIC_INFORMATION info = {};
  if (VirtualQuery(reinterpret_cast<const void*>(address), &info, sizeof info) != sizeof info)
    return 0;
  if (info.State != MEM_COMMIT || (info.Protect & (PAGE_GUARD | PAGE_NOACCESS)) != 0 ||
      (info.Protect & wanted) == 0)
    return 0;
  return reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize - address;
}

class Win32Boundary final : public PluginBoundary {
 public:
  bool Readable(const void* address, std::size_t size) const override {
    uintptr_t at = reinterpret_cast<uintptr_t>(address);
    const uintptr_t end = at + size;
    if (address == nullptr || end < at) return false;
    while (at < end) {
      const std::size_t region = RegionFrom(at, kReadableProtection);
      if (region == 0) return false;
      at += region;
    }
    return true;
  }

  bool Runnable(const void* function) const override {
    return function != nullptr &&
           RegionFrom(reinterpret_cast<uintptr_t>(function), kRunnableProtection) != 0;
  }

  std::string ReadText(const char* text) const override {
    std::string bytes;
    uintptr_t at = reinterpret_cast<uintptr_t>(text);
    while (text != nullptr && bytes.size() < TAVION_TEXT_LIMIT) {
      const std::size_t region = RegionFrom(at, kReadableProtection);
      if (region == 0) break;
      const auto* start = reinterpret_cast<const char*>(at);
      const std::size_t count = std::min(region, TAVION_TEXT_LIMIT - bytes.size());
      if (const void* end = std::memchr(start, 0, count)) {
        bytes.append(start, static_cast<const char*>(end));
        break;
      }
      bytes.append(start, count);
      at += count;
    }
    return AnsiToUtf8(bytes);
  }

  std::string AnsiToUtf8(std::string_view ansi) const override {
    return WideToUtf8(AnsiToWide(ansi));
  }
  std::string Utf8ToAnsi(std::string_view utf8) const override {
    return WideToAnsi(Utf8ToWide(utf8));
  }
};

}  // namespace

const PluginBoundary& Win32PluginBoundary() {
  static const Win32Boundary boundary;
  return boundary;
}

std::optional<std::string> ResourceString(HMODULE module, UINT id) {
  // Strings are stored in blocks of 16, each a length word and that many UTF-16 units.
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id / 16 + 1), MAKEINTRESOURCEW(6));
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const auto* units = loaded ? static_cast<const WCHAR*>(LockResource(loaded)) : nullptr;
  if (units == nullptr) return std::nullopt;
  const std::size_t total = SizeofResource(module, found) / sizeof(WCHAR);
  std::size_t at = 0;
  for (UINT i = 0; i < id % 16; ++i) {
    if (at >= total) return std::nullopt;
    at += 1 + units[at];
  }
  if (at >= total || units[at] == 0 || units[at] > total - at - 1) return std::nullopt;
  return WideToUtf8(std::wstring_view(units + at + 1, units[at]));
}

}  // namespace tavion
