#include "settings/settings_file.h"

#include "lang/lang.h"
#include "settings/settings.h"

namespace tavion {
namespace {

constexpr std::string_view kUserRoot = "HKEY_CURRENT_USER";

bool IsSettingsPath(std::string_view fullPath) {
  const std::vector<std::string_view> parts = SplitRegistryPath(fullPath);
  const std::vector<std::string_view> root = SplitRegistryPath(kSettingsRootPath);
  if (parts.size() < root.size() + 1 || parts.front() != kUserRoot) return false;
  for (std::size_t i = 0; i < root.size(); ++i)
    if (!RegistryNameEqual(parts[i + 1], root[i])) return false;
  return true;
}

// A file of ours ends with a line end; one cut short between two values does not.
bool EndsWithLineEnd(std::span<const uint8_t> bytes) {
  const bool utf16 = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
  if (utf16) return bytes.size() >= 4 && bytes[bytes.size() - 2] == '\n' && bytes.back() == 0;
  return !bytes.empty() && bytes.back() == '\n';
}

SettingsFileCheck Refused(std::string reason) {
  SettingsFileCheck check;
  check.reason = std::move(reason);
  return check;
}

// Writes `operations` in place of the settings key; false at the first step that fails.
bool ReplaceSettings(RegistryStore& user, std::span<const RegOperation> operations) {
  if (!user.DeleteKey(kSettingsRootPath)) return false;
  for (const RegOperation& operation : operations) {
    if (!IsSettingsPath(operation.path)) return false;
    RegOperation local = operation;
    local.path = JoinRegistryPath(operation.path.substr(kUserRoot.size()));
    if (!ApplyRegOperation(local, user)) return false;
  }
  return true;
}

}  // namespace

SettingsFileCheck CheckSettingsFile(std::span<const uint8_t> bytes) {
  std::vector<RegOperation> operations;
  std::string error;
  if (!ParseRegOperations(bytes, operations, error))
    return Refused(FormatLangText(
        GetLangStr("ErrorSettingsFileDamaged", "it is not a registry file, or a damaged one (%s)"),
        {error}));
  if (!EndsWithLineEnd(bytes))
    return Refused(
        GetLangStr("ErrorSettingsFileCut", "the file ends inside a line: it has been cut short"));
  bool writesSettings = false;
  for (const RegOperation& operation : operations) {
    if (!IsSettingsPath(operation.path))
      return Refused(FormatLangText(
          GetLangStr("ErrorSettingsFileKey",
                     "it changes the key \"%s\", which is not the key of Tavion's settings"),
          {operation.path}));
    if (operation.kind == RegOperation::Kind::kSetValue &&
        operation.type == RegistryValueType::kOther)
      return Refused(FormatLangText(
          GetLangStr("ErrorSettingsFileType",
                     "the value \"%s\" of \"%s\" has a type that Tavion's settings never hold"),
          {operation.name, operation.path}));
    if (operation.kind == RegOperation::Kind::kCreateKey) writesSettings = true;
  }
  if (!writesSettings)
    return Refused(GetLangStr("ErrorSettingsFileEmpty", "it holds no settings of Tavion"));
  SettingsFileCheck check;
  check.accepted = true;
  check.operations = std::move(operations);
  return check;
}

std::optional<SettingsBackup> BackUpSettings(const RegistryStore& user) {
  std::optional<std::string> text =
      WriteRegText(user, kUserRoot, kSettingsRootPath, /*recurse=*/true, /*deleteFirst=*/true);
  if (!text) return std::nullopt;
  SettingsBackup backup;
  backup.fileBytes = std::move(*text);
  const auto* data = reinterpret_cast<const uint8_t*>(backup.fileBytes.data());
  std::string error;
  if (!ParseRegOperations({data, backup.fileBytes.size()}, backup.operations, error))
    return std::nullopt;
  return backup;
}

ImportOutcome ImportSettings(RegistryStore& user, std::span<const RegOperation> file,
                             std::span<const RegOperation> backup) {
  if (ReplaceSettings(user, file)) return ImportOutcome::kImported;
  return ReplaceSettings(user, backup) ? ImportOutcome::kRestored : ImportOutcome::kRestoreFailed;
}

std::string BackupFilePath(std::string_view chosenFile, std::string_view folder) {
  if (folder.empty()) {
    const std::size_t slash = chosenFile.find_last_of("\\/");
    folder = slash == std::string_view::npos ? std::string_view() : chosenFile.substr(0, slash);
  }
  std::string path(folder);
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  const std::string plain = path + kBackupBeforeLoadName;
  // Names compare as the file system does: ignoring case.
  if (!RegistryNameEqual(plain, chosenFile)) return plain;
  const std::string_view name = kBackupBeforeLoadName;
  return path + std::string(name.substr(0, name.size() - 4)) + "-1.reg";
}

}  // namespace tavion
