#include "osd/osd_icons_win.h"

#include <map>
#include <mutex>
#include <string>

#include "actions/action.h"
#include "base/handles_win.h"
#include "base/utf_win.h"
#include "exec/sounds.h"
#include "osd/notify_action.h"
#include "osd/osd_icons.h"
#include "settings/settings.h"

namespace tavion {
namespace {

constexpr int kIconSize = 16;

std::mutex cacheLock;
// A missing file is cached as an empty handle, so that the painter does not ask the disk again.
std::map<std::string, UniqueIcon> cache;

HICON CachedIcon(const std::string& file) {
  const std::lock_guard hold(cacheLock);
  const auto found = cache.find(file);
  if (found != cache.end()) return found->second.get();
  const std::wstring path = Utf8ToWide(SoundResourceFolder() + "\\" + file);
  UniqueIcon icon(static_cast<HICON>(LoadImageW(/*hInst=*/nullptr, path.c_str(), IMAGE_ICON,
                                                kIconSize, kIconSize, LR_LOADFROMFILE)));
  const HICON handle = icon.get();
  cache.emplace(file, std::move(icon));
  return handle;
}

uint16_t ForegroundLanguage() {
  const HWND foreground = GetForegroundWindow();
  const DWORD thread =
      foreground != nullptr ? GetWindowThreadProcessId(foreground, /*lpdwProcessId=*/nullptr) : 0;
  return LOWORD(reinterpret_cast<uintptr_t>(GetKeyboardLayout(thread)));
}

}  // namespace

HICON OsdIcon(std::string_view code, uint8_t kind) {
  if (kind == kOsdKindLanguage) {
    const std::string setFile = LanguageIconFile(Settings().Lang_Icon_Set, ForegroundLanguage());
    if (!setFile.empty()) {
      if (const HICON icon = CachedIcon(setFile)) return icon;
    }
  }
  return CachedIcon(OsdIconFile(code, kind));
}

HICON OsdIconForIndex(int iconIndex, uint8_t kind,
                      const std::function<const TAction*(int index)>& actionAt) {
  const TAction* action = iconIndex >= 0 && actionAt ? actionAt(iconIndex) : nullptr;
  return OsdIcon(action != nullptr ? std::string_view(action->Exec()) : std::string_view(), kind);
}

void FreeOsdIcons() {
  const std::lock_guard hold(cacheLock);
  cache.clear();
}

}  // namespace tavion
