// CheckSettingsFile and ImportSettings on any bytes: never a crash; a refused file says why and
// hands out nothing to apply; an accepted file writes only inside the settings key, which then
// holds what the file says, and leaves every other key as it was.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "settings/settings_file.h"

namespace {

constexpr char kSibling[] = "Software\\Quillon\\TavionX";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const tavion::SettingsFileCheck check = tavion::CheckSettingsFile({data, size});
  if (!check.accepted) {
    if (check.reason.empty() || !check.operations.empty()) std::abort();
    return 0;
  }
  tavion::MemoryRegistry user;
  user.WriteString(tavion::kSettingsRootPath, "Old", "old");
  user.WriteString(kSibling, "Keep", "keep");
  const std::optional<tavion::SettingsBackup> backup = tavion::BackUpSettings(user);
  if (!backup) std::abort();
  if (tavion::ImportSettings(user, check.operations, backup->operations) !=
      tavion::ImportOutcome::kImported)
    std::abort();
  const std::vector<std::string> top = user.SubKeyNames("");
  const std::vector<std::string> quillon = user.SubKeyNames("Software\\Quillon");
  if (top != std::vector<std::string>{"Software"} || user.SubKeyNames("Software").size() != 1 ||
      quillon.size() > 2 || user.ReadString(kSibling, "Keep") != "keep" ||
      user.ValueNames(kSibling).size() != 1)
    std::abort();
  return 0;
}
