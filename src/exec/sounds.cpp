#include "exec/sounds.h"

#include <mutex>

namespace tavion {
namespace {

struct ResourceFolder {
  std::mutex lock;
  std::string path;
};

ResourceFolder& TheResourceFolder() {
  static ResourceFolder folder;
  return folder;
}

}  // namespace

void SetSoundResourceFolder(std::string_view folder) {
  ResourceFolder& resource = TheResourceFolder();
  std::lock_guard guard(resource.lock);
  resource.path = folder;
}

std::string SoundResourceFolder() {
  ResourceFolder& resource = TheResourceFolder();
  std::lock_guard guard(resource.lock);
  return resource.path;
}

SoundChoice ChooseSound(std::string_view file, bool honourOption, bool beepWhenMissing,
                        bool enabled, std::string_view resourceFolder,
                        const std::function<bool(const std::string&)>& fileExists) {
  if (honourOption && !enabled) return {};
  std::string path(file);
  if (!fileExists(path)) {
    path.insert(0, std::string(resourceFolder) + "\\");
    if (!fileExists(path)) return {"", beepWhenMissing};
  }
  return {std::move(path), false};
}

}  // namespace tavion
