#include "syskeys/shell_keys.h"

#include <algorithm>
#include <limits>

#include "lang/lang.h"

namespace tavion {

int ShellKeyIndex(int number) {
  for (size_t i = 0; i < kShellKeyNames.size(); ++i)
    if (kShellKeyNames[i].number == number) return static_cast<int>(i);
  return 0;
}

std::optional<int> ShellKeyNumber(std::string_view subKey) {
  if (subKey.empty()) return std::nullopt;
  long long number = 0;
  for (const char c : subKey) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + (c - '0');
    if (number > std::numeric_limits<int>::max()) return std::nullopt;
  }
  return static_cast<int>(number);
}

std::vector<ShellKeyRow> ReadShellKeys(const RegistryStore& appKey) {
  std::vector<ShellKeyRow> rows;
  for (const std::string& subKey : appKey.SubKeyNames("")) {
    const std::optional<int> number = ShellKeyNumber(subKey);
    if (!number) continue;
    ShellKeyRow row{
        std::string(kShellKeyNames[ShellKeyIndex(*number)].name), *number, subKey, {}, {}};
    const std::vector<std::string> values = appKey.ValueNames(subKey);
    if (!values.empty()) {
      row.action = values.front();
      row.parameter = appKey.ReadString(subKey, row.action).value_or("");
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

int ShellKeyRowNamed(const std::vector<ShellKeyRow>& rows, std::string_view name) {
  const auto found = std::find_if(rows.begin(), rows.end(),
                                  [&](const ShellKeyRow& row) { return row.name == name; });
  return found == rows.end() ? -1 : static_cast<int>(found - rows.begin());
}

std::string ShellKeyCountText(int count) {
  return FormatLangText(GetLangStr("AltogetherKeys", "Total sum of keys - %d"),
                        {std::to_string(count)});
}

ShellKeyDialogData EditShellKeyData(const ShellKeyRow& row) {
  ShellKeyDialogData data;
  data.editing = true;
  data.keyIndex = ShellKeyIndex(row.number);
  const auto type =
      std::find_if(kShellKeyTypes.begin(), kShellKeyTypes.end(),
                   [&](std::string_view t) { return RegistryNameEqual(t, row.action); });
  data.typeIndex =
      type == kShellKeyTypes.end() ? -1 : static_cast<int>(type - kShellKeyTypes.begin());
  data.parameter = row.parameter;
  return data;
}

std::optional<ShellKeyCheckFailure> CheckShellKeyData(const ShellKeyDialogData& data) {
  if (data.keyIndex < 0 || data.keyIndex >= static_cast<int>(kShellKeyNames.size()))
    return ShellKeyCheckFailure{GetLangStr("ErrorKey", "Choose the key", "Fr5"), kShellKeyCombo};
  if (data.typeIndex < 0 || data.typeIndex >= static_cast<int>(kShellKeyTypes.size()))
    return ShellKeyCheckFailure{GetLangStr("ErrorAction", "Choose the action", "Fr5"),
                                kShellKeyTypeCombo};
  return std::nullopt;
}

int ConflictingShellKeyRow(const std::vector<ShellKeyRow>& rows, const ShellKeyDialogData& data,
                           int editedRow) {
  const std::string_view name = kShellKeyNames[data.keyIndex].name;
  for (size_t i = 0; i < rows.size(); ++i)
    if (static_cast<int>(i) != editedRow && rows[i].name == name) return static_cast<int>(i);
  return -1;
}

std::string ShellKeyExistsQuestion(std::string_view name) {
  return FormatLangText(
      GetLangStr("Exists", "Action for key %s is already appointed,#13do you want to replace it?",
                 "Fr5"),
      {name});
}

ShellKeyChange PlanShellKeyChange(const std::vector<ShellKeyRow>& rows, int editedRow,
                                  const ShellKeyDialogData& data,
                                  const std::function<std::string(std::string_view)>& expand) {
  ShellKeyChange change;
  const auto remove = [&](int row) {
    if (row >= 0 && row < static_cast<int>(rows.size()))
      change.deletions.push_back(rows[row].subKey);
  };
  if (data.editing) remove(editedRow);
  remove(data.replacedRow);
  const ShellKeyName& key = kShellKeyNames[data.keyIndex];
  change.subKey = std::to_string(key.number);
  change.valueName = std::string(kShellKeyTypes[data.typeIndex]);
  change.data = expand(data.parameter);
  change.name = std::string(key.name);
  return change;
}

ShellKeyOutcome ApplyShellKeyChange(RegistryStore& appKey, const ShellKeyChange& change) {
  for (const std::string& subKey : change.deletions)
    if (!appKey.DeleteKey(subKey)) return ShellKeyOutcome::kDeleteFailed;
  if (!appKey.WriteString(change.subKey, change.valueName, change.data))
    return ShellKeyOutcome::kWriteFailed;
  return ShellKeyOutcome::kDone;
}

std::string ShellKeyFailureText(ShellKeyOutcome outcome, std::string_view name) {
  if (outcome == ShellKeyOutcome::kDone) return {};
  const bool deleting = outcome == ShellKeyOutcome::kDeleteFailed;
  const std::string pattern =
      deleting ? GetLangStr("ErrorShellKeyDelete",
                            "Can't delete the shell key %s.#13#13The shell keys belong to the "
                            "whole computer: changing them needs administrator rights.")
               : GetLangStr("ErrorShellKeyWrite",
                            "Can't save the shell key %s.#13#13The shell keys belong to the "
                            "whole computer: changing them needs administrator rights.");
  return FormatLangText(pattern, {name});
}

}  // namespace tavion
