#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include "registry_dump.h"
#include "native/support/fake_language.h"

namespace tavion {
namespace {

constexpr char kSettings[] = "Software\\Quillon\\Tavion";
constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string Exported(const RegistryStore& store) {
  return BackUpSettings(store).value_or(SettingsBackup{}).fileBytes;
}

SettingsFileCheck Check(const std::string& file) {
  return CheckSettingsFile(std::vector<uint8_t>(file.begin(), file.end()));
}

TEST(SettingsFile, AcceptsOnlyWholeFilesOfTheSettingsKey) {
  const std::string head = "Windows Registry Editor Version 5.00\r\n\r\n[";
  const std::string key = "HKEY_CURRENT_USER\\Software\\Quillon\\Tavion";
  const std::pair<std::string, const char*> rows[] = {
      {"REGEDIT4\r\n\r\n[hkey_current_user\\SOFTWARE\\quillon\\TAVION\\Desk]\r\n", nullptr},
      {head + key + "]\r\n\"A\"=\"cut", "closing quote"},
      {head + key + "]\r\n\"A\"=dword:00", "cut short"},
      {head + key + "]\r\n\r\n[HKEY_CURRENT_USER\\" + kRun + "]\r\n", "CurrentVersion\\Run\""},
      {head + key + "X]\r\n", "TavionX\""},
      {head + "-HKEY_CURRENT_USER\\Software\\Quillon]\r\n\r\n[" + key + "]\r\n", "Quillon\""},
      {head + "HKEY_LOCAL_MACHINE\\Software\\Quillon\\Tavion]\r\n", "HKEY_LOCAL_MACHINE"},
      {head + key + "]\r\n\"P\"=hex(2):25,00\r\n", "type"},
      {head + "-" + key + "]\r\n", "no settings"},
  };
  for (const auto& [file, reason] : rows) {
    const SettingsFileCheck check = Check(file);
    EXPECT_EQ(reason == nullptr, check.accepted) << file;
    EXPECT_NE(std::string::npos, check.reason.find(reason ? reason : "")) << check.reason;
  }
}

TEST(SettingsFile, RefusalsSpeakTheLanguage) {
  const std::string head = "Windows Registry Editor Version 5.00\r\n\r\n[";
  const std::string key = "HKEY_CURRENT_USER\\Software\\Quillon\\Tavion";
  const auto strings = [](const char* name) {
    return std::pair<std::string, std::string>("Strings", name);
  };
  SetLanguageSource(std::make_shared<FakeLanguage>(
      FakeLanguage::Texts{{strings("ErrorSettingsFileDamaged"), "kaputt: %s"},
                          {strings("ErrorSettingsFileCut"), "gekürzt"},
                          {strings("ErrorSettingsFileKey"), "fremd: %s"},
                          {strings("ErrorSettingsFileType"), "Typ von %s in %s"},
                          {strings("ErrorSettingsFileEmpty"), "leer"}}));
  const std::pair<std::string, std::string> rows[] = {
      {"REGEDIT", "kaputt: "},
      {head + key + "]\r\n\"A\"=dword:00", "gekürzt"},
      {head + key + "X]\r\n", "fremd: " + key + "X"},
      {head + key + "]\r\n\"P\"=hex(2):25,00\r\n", "Typ von P in " + key},
      {head + "-" + key + "]\r\n", "leer"},
  };
  // The parser's own words follow the damaged file's text.
  for (const auto& [file, reason] : rows)
    EXPECT_EQ(reason, Check(file).reason.substr(0, reason.size()));
  SetLanguageSource(nullptr);
}

TEST(SettingsFile, ImportReplacesTheSettingsOrPutsTheBackupBackFromBesideTheFile) {
  MemoryRegistry source, user;
  PutTree(source, kSettings, {"Language='Deutsch'", "[Keys]", "A='x'"});
  PutTree(user, kSettings, {"KERNEL='4B.0(SOLID)'", "[Desk]", "Show_Time=2500"});
  user.WriteString(kRun, "Other", "x.exe");
  // As the system's registry editor writes it: without a line deleting the key first.
  const std::string file =
      WriteRegText(source, "HKEY_CURRENT_USER", kSettings, true, /*deleteFirst=*/false).value();
  const SettingsBackup backup = BackUpSettings(user).value();
  // A step that fails after others were written (here one outside the settings).
  std::vector<RegOperation> broken = Check(file).operations;
  broken.push_back({RegOperation::Kind::kCreateKey, "HKEY_CURRENT_USER\\Elsewhere", "", {}, {}});
  EXPECT_EQ(ImportOutcome::kRestored, ImportSettings(user, broken, backup.operations));
  EXPECT_EQ(backup.fileBytes, Exported(user));
  EXPECT_EQ(ImportOutcome::kRestoreFailed, ImportSettings(user, broken, broken));
  EXPECT_EQ(ImportOutcome::kImported, ImportSettings(user, Check(file).operations, {}));
  EXPECT_EQ(Exported(source), Exported(user)) << "the file replaced the settings";
  EXPECT_EQ("x.exe", user.ReadString(kRun, "Other").value_or(""))
      << "keys beside the settings stay as they were";
  // The backup goes beside the chosen file, which it never replaces.
  EXPECT_EQ("C:\\d\\TavionBackUp-before-load.reg", BackupFilePath("C:\\d\\TavionBackUp2.reg"));
  EXPECT_EQ("C:\\d\\TavionBackUp-before-load-1.reg",
            BackupFilePath("C:\\d\\tavionbackup-BEFORE-load.reg"));
  EXPECT_EQ("C:\\A\\Tavion\\TavionBackUp-before-load.reg",
            BackupFilePath("Z:\\a.reg", "C:\\A\\Tavion\\"));
}

}  // namespace
}  // namespace tavion
