#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry_dump.h"

namespace tavion {
namespace {

constexpr char kSettings[] = "Software\\Quillon\\Tavion";

std::vector<uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

// A store whose writes of one value name fail, as a full or locked registry does.
class FailingRegistry final : public MemoryRegistry {
 public:
  std::string failing;
  bool WriteString(std::string_view path, std::string_view name, std::string_view text) override {
    return name != failing && MemoryRegistry::WriteString(path, name, text);
  }
};

void PutSettings(RegistryStore& store) {
  PutTree(store, kSettings,
          {"KERNEL='4B.0(SOLID)'", "TrayIcon=1", "[Desk]", "Show_Time=2500", "[Keys\\Default\\000]",
           "Name='Notepad'"});
  store.WriteString("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Other", "x.exe");
}

std::string Exported(const RegistryStore& store) {
  return BackUpSettings(store).value_or(SettingsBackup{}).fileBytes;
}

TEST(SettingsFile, AcceptsOnlyWholeRegistryFilesOfTheSettingsKey) {
  MemoryRegistry store;
  PutSettings(store);
  const std::string own = Exported(store);
  const std::string head = "Windows Registry Editor Version 5.00\r\n\r\n";
  struct Row {
    const char* what;
    std::string file;
    const char* reason;  // nullptr: accepted
  } rows[] = {
      {"our own export", own, nullptr},
      {"another case, old header",
       "REGEDIT4\r\n\r\n[hkey_current_user\\SOFTWARE\\quillon\\tavion\\Desk]\r\n\"A\"=dword:1\r\n",
       nullptr},
      {"a text file", "Dear diary,\r\ntoday...\r\n", "not a registry file"},
      {"an empty file", "", "not a registry file"},
      {"cut inside a string", own.substr(0, own.find("N\0o\0t", 0, 5) + 4), "not a registry file"},
      {"odd UTF-16 byte count", own.substr(0, own.size() - 1), "cut short"},
      {"cut inside a number",
       head + "[HKEY_CURRENT_USER\\Software\\Quillon\\Tavion]\r\n\"A\"=dword:00", "cut short"},
      {"the Run key",
       head + "[HKEY_CURRENT_USER\\Software\\Quillon\\Tavion]\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
              "\"x\"=\"evil.exe\"\r\n",
       "CurrentVersion\\Run\", which is not"},
      {"a sibling named alike", head + "[HKEY_CURRENT_USER\\Software\\Quillon\\TavionX]\r\n",
       "TavionX"},
      {"a delete of the parent",
       head + "[-HKEY_CURRENT_USER\\Software\\Quillon]\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Quillon\\Tavion]\r\n",
       "Quillon\", which is not"},
      {"the machine's key", head + "[HKEY_LOCAL_MACHINE\\Software\\Quillon\\Tavion]\r\n",
       "HKEY_LOCAL_MACHINE"},
      {"a type the settings never hold",
       head + "[HKEY_CURRENT_USER\\Software\\Quillon\\Tavion]\r\n\"P\"=hex(2):25,00,00,00\r\n",
       "type"},
      {"only the delete line", head + "[-HKEY_CURRENT_USER\\Software\\Quillon\\Tavion]\r\n",
       "no settings"},
  };
  for (const Row& row : rows) {
    const SettingsFileCheck check = CheckSettingsFile(Bytes(row.file));
    EXPECT_EQ(row.reason == nullptr, check.accepted) << row.what << ": " << check.reason;
    if (row.reason != nullptr) {
      EXPECT_NE(std::string::npos, check.reason.find(row.reason))
          << row.what << ": " << check.reason;
    }
  }
}

TEST(SettingsFile, ImportReplacesTheSettingsOrPutsTheBackupBack) {
  MemoryRegistry source;
  PutTree(source, kSettings, {"Language='Deutsch'", "[Macros]", "M1='a'", "[Keys]", "Bad='x'"});
  const std::string file = Exported(source);
  const SettingsFileCheck check = CheckSettingsFile(Bytes(file));
  ASSERT_TRUE(check.accepted) << check.reason;

  struct Row {
    const char* failing;  // the value name whose writes fail
    bool backupHoldsIt;
    ImportOutcome outcome;
  } rows[] = {
      {"", false, ImportOutcome::kImported},
      {"Bad", false, ImportOutcome::kRestored},
      {"Bad", true, ImportOutcome::kRestoreFailed},
  };
  for (const Row& row : rows) {
    FailingRegistry user;
    PutSettings(user);
    if (row.backupHoldsIt) user.MemoryRegistry::WriteString(kSettings, "Bad", "old");
    user.failing = row.failing;
    const std::optional<SettingsBackup> backup = BackUpSettings(user);
    ASSERT_TRUE(backup);
    EXPECT_EQ(row.outcome, ImportSettings(user, check.operations, backup->operations))
        << row.failing;
    if (row.outcome == ImportOutcome::kImported) {
      EXPECT_EQ(file, Exported(user));
    } else if (row.outcome == ImportOutcome::kRestored) {
      EXPECT_EQ(backup->fileBytes, Exported(user));
    }
    EXPECT_EQ(std::optional<std::string>("x.exe"),
              user.ReadString("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Other"))
        << "keys beside the settings stay as they were";
  }
}

TEST(SettingsFile, BackupGoesBesideTheChosenFileWithoutReplacingIt) {
  const struct {
    const char* chosen;
    const char* folder;
    const char* expected;
  } rows[] = {
      {"C:\\dir\\TavionBackUp2.reg", "", "C:\\dir\\TavionBackUp-before-load.reg"},
      {"C:\\dir\\tavionbackup-BEFORE-load.reg", "", "C:\\dir\\TavionBackUp-before-load-1.reg"},
      {"Z:\\ro\\a.reg", "C:\\users\\me\\AppData\\Roaming\\Tavion\\",
       "C:\\users\\me\\AppData\\Roaming\\Tavion\\TavionBackUp-before-load.reg"},
      {"a.reg", "", "TavionBackUp-before-load.reg"},
  };
  for (const auto& row : rows) EXPECT_EQ(row.expected, BackupFilePath(row.chosen, row.folder));
}

}  // namespace
}  // namespace tavion
