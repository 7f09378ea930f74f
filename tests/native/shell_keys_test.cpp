#include "syskeys/shell_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "doubles/failing_registry.h"

namespace tavion {
namespace {

using Names = std::vector<std::string>;

TEST(ShellKeyRows, ListTheShellsNumbersAndSkipSubKeysThatAreNoNumbers) {
  MemoryRegistry appKey;
  appKey.WriteString("15", "ShellExecute", "C:\\mail.exe");
  appKey.WriteString("015", "RegisteredApp", "Mail");
  appKey.WriteString("8", "Association", ".htm");
  appKey.CreateKey("16");
  appKey.WriteInteger("17", "ShellExecute", 1);
  for (const char* foreign : {"Mail", "-3", "1 ", "99999999999"})
    appKey.WriteString(foreign, "ShellExecute", "x");
  std::vector<std::string> rows;
  for (const ShellKeyRow& row : ReadShellKeys(appKey))
    rows.push_back(row.name + "|" + std::to_string(row.number) + "|" + row.subKey + "|" +
                   row.action + "|" + row.parameter);
  // In the registry's order; a number the table lacks shows the first name but keeps its own.
  EXPECT_EQ((Names{"Mail|15|015|RegisteredApp|Mail", "Mail|15|15|ShellExecute|C:\\mail.exe",
                   "Multimedia|16|16||", "My computer|17|17|ShellExecute|",
                   "iePreview|8|8|Association|.htm"}),
            rows);
}

TEST(ShellKeyDialog, StartsFromTheRowAndRefusesAMissingChoice) {
  ShellKeyDialogData data = EditShellKeyData({"iePreview", 8, "8", "registeredapp", "Outlook"});
  EXPECT_EQ((std::tuple{true, 0, 2, std::string("Outlook")}),
            std::tuple(data.editing, data.keyIndex, data.typeIndex, data.parameter));
  EXPECT_EQ(std::nullopt, CheckShellKeyData(data));
  data = EditShellKeyData({"Calc", 18, "18", "", ""});
  EXPECT_EQ(10, data.keyIndex);
  EXPECT_EQ(kShellKeyTypeCombo, CheckShellKeyData(data).value_or(ShellKeyCheckFailure{}).control)
      << "no stored type";
  data.typeIndex = 0;
  data.keyIndex = 11;
  EXPECT_EQ(kShellKeyCombo, CheckShellKeyData(data).value_or(ShellKeyCheckFailure{}).control);
}

TEST(ShellKeyChanges, DeleteTheEditedAndTheReplacedRowThenWriteTheKeyExpanded) {
  const std::vector<ShellKeyRow> rows = {{"iePreview", 8, "8", "ShellExecute", "a"},
                                         {"Mail", 15, "015", "RegisteredApp", "Mail"},
                                         {"Calc", 18, "18", "Association", ".calc"}};
  const auto data = [](bool editing, int key, int type) {
    return ShellKeyDialogData{editing, key, type, "%windir%\\x.exe", -1};
  };
  const auto expand = [](std::string_view text) { return "<" + std::string(text) + ">"; };
  // What; the dialog's data; the row edited; the row it conflicts with; deleted; written.
  const std::tuple<const char*, ShellKeyDialogData, int, int, Names, std::string> cases[] = {
      {"a new key", data(false, 9, 0), -1, -1, {}, "17"},
      {"a key another row has", data(false, 7, 1), -1, 1, {"015"}, "15"},
      {"an unknown number as iePreview", data(false, 0, 2), -1, 0, {"8"}, "1"},
      {"a row keeping its key", data(true, 7, 2), 1, -1, {"015"}, "15"},
      {"a row moved to a free key", data(true, 4, 2), 2, -1, {"18"}, "5"},
      {"a row moved onto another", data(true, 10, 0), 1, 2, {"015", "18"}, "18"},
  };
  for (const auto& [what, start, edited, conflict, deleted, written] : cases) {
    ShellKeyDialogData confirmed = start;
    confirmed.replacedRow = ConflictingShellKeyRow(rows, confirmed, edited);
    EXPECT_EQ(conflict, confirmed.replacedRow) << what;
    const ShellKeyChange change = PlanShellKeyChange(rows, edited, confirmed, expand);
    EXPECT_EQ(deleted, change.deletions) << what;
    EXPECT_EQ(written, change.subKey) << what;
    EXPECT_EQ(kShellKeyTypes[start.typeIndex], change.valueName) << what;
    EXPECT_EQ("<%windir%\\x.exe>", change.data) << what;
  }
}

TEST(ShellKeyChanges, StopAtARefusedDeletionAndLeaveOneValueInTheSubKey) {
  const ShellKeyChange change{{"015"}, "15", "ShellExecute", "C:\\mail.exe", "Mail"};
  FailingRegistry appKey;
  appKey.WriteString("015", "RegisteredApp", "Mail");
  appKey.FailFrom(1);
  EXPECT_EQ(ShellKeyOutcome::kDeleteFailed, ApplyShellKeyChange(appKey, change));
  EXPECT_EQ(Names{"015"}, appKey.SubKeyNames("")) << "nothing written beside the old value";
  appKey.FailFrom(FailingRegistry::kNever);
  EXPECT_EQ(ShellKeyOutcome::kDone, ApplyShellKeyChange(appKey, change));
  EXPECT_EQ(Names{"15"}, appKey.SubKeyNames(""));
  EXPECT_EQ(Names{"ShellExecute"}, appKey.ValueNames("15"));
}

}  // namespace
}  // namespace tavion
