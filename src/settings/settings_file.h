#pragma once
// Loading all settings from a registry file safely: the file is read and checked by our own
// reader before anything changes, and applied by our own writer, with the settings as they were
// kept to put back when the writing fails. Portable.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/reg_file.h"
#include "settings/registry.h"

namespace tavion {

// The name of the copy of the settings made before a load.
inline constexpr char kBackupBeforeLoadName[] = "TavionBackUp-before-load.reg";

struct SettingsFileCheck {
  bool accepted = false;
  std::vector<RegOperation> operations;  // when accepted: every key inside the settings key
  std::string reason;                    // when refused: why, in a few words
};

// Checks the bytes of a settings file. Refused: what is not a registry file, a file cut short (in
// a value, in a character, or without its last line end), any key or value outside
// HKEY_CURRENT_USER\Software\Quillon\Tavion (the key itself or below, ignoring case; a delete of a
// parent is outside), a value of a type the settings never hold, and a file that writes no key
// of the settings.
SettingsFileCheck CheckSettingsFile(std::span<const uint8_t> bytes);

struct SettingsBackup {
  std::string fileBytes;                 // the registry file of the settings, with its delete line
  std::vector<RegOperation> operations;  // the same, read back: what a restore applies
};

// The settings of `user` (a store rooted at HKEY_CURRENT_USER) as they are now; nullopt when
// there are none.
std::optional<SettingsBackup> BackUpSettings(const RegistryStore& user);

enum class ImportOutcome : uint8_t {
  kImported,       // the settings are the file's
  kRestored,       // writing the file failed; the settings are the backup's again
  kRestoreFailed,  // the backup could not be written back either
};

// Replaces the settings key of `user` by what `file` (checked by CheckSettingsFile) writes. When
// a step fails, the settings key is deleted again and `backup` applied in its place.
ImportOutcome ImportSettings(RegistryStore& user, std::span<const RegOperation> file,
                             std::span<const RegOperation> backup);

// Where the backup before loading `chosenFile` goes: `folder` (the folder of `chosenFile` when
// empty) + "\" + kBackupBeforeLoadName, or a name with "-1" added when that is `chosenFile`
// itself, which must not be overwritten.
std::string BackupFilePath(std::string_view chosenFile, std::string_view folder = {});

}  // namespace tavion
