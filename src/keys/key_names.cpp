#include "keys/key_names.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <optional>
#include <utility>

#include "settings/registry.h"
#include "settings/staged_key.h"

namespace tavion {
namespace {

constexpr char kHidSeparator = '\x01';

struct DefaultName {
  const char* name;
  uint8_t keyCode;
};

constexpr DefaultName kDefaultNames[] = {
    {"Browser Back", 166},
    {"Browser Forward", 167},
    {"Browser Refresh", 168},
    {"Browser Stop", 169},
    {"Browser Search", 170},
    {"Browser Favorites", 171},
    {"Browser Home", 172},
    {"Volume Mute", 173},
    {"Volume Down", 174},
    {"Volume Up", 175},
    {"Next Track", 176},
    {"Previous Track", 177},
    {"Stop", 178},
    {"Play/Pause", 179},
    {"Launch Mail", 180},
    {"Launch Media select", 181},
    {"Launch App1", 182},
    {"Launch App2", 183},
    {"Mouse Left", 1},
    {"Mouse Right", 2},
    {"Mouse Middle", 4},
    {"Mouse DblClick", 14},
    {"Mouse XButton1", 5},
    {"Mouse XButton2", 6},
    {"Mouse WheelUp", 136},
    {"Mouse WheelDown", 137},
};

// The parts of a line: name before the first '=', number up to the HID separator, HID text after.
struct LineParts {
  std::string_view name;
  std::string_view number;
  std::string_view hidText;
};

LineParts SplitLine(std::string_view line) {
  LineParts parts;
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return parts;
  parts.name = line.substr(0, equals);
  const std::string_view value = line.substr(equals + 1);
  const std::size_t separator = value.find(kHidSeparator);
  parts.number = value.substr(0, separator);
  if (separator != std::string_view::npos) parts.hidText = value.substr(separator + 1);
  return parts;
}

// Lines hold the value as a signed decimal ("%d"); an unsigned form is read as well.
uint32_t ParseKeyValue(std::string_view number) {
  if (!number.empty() && number.front() == '+') number.remove_prefix(1);
  int64_t parsed = 0;
  const char* end = number.data() + number.size();
  const auto [stop, error] = std::from_chars(number.data(), end, parsed);
  if (number.empty() || error != std::errc() || stop != end) return 0;
  if (parsed < INT32_MIN || parsed > int64_t{UINT32_MAX}) return 0;
  return static_cast<uint32_t>(parsed);
}

std::string MakeLine(std::string_view name, uint32_t value, std::string_view hidText) {
  std::string line(name);
  line += '=';
  line += std::to_string(static_cast<int32_t>(value));
  if (!hidText.empty() && hidText != "None") {
    line += kHidSeparator;
    line += hidText;
  }
  return line;
}

// Orders by name, case-insensitively; lines with equal names by the rest.
bool LineLess(const std::string& a, const std::string& b) {
  const std::string_view nameA = SplitLine(a).name;
  const std::string_view nameB = SplitLine(b).name;
  if (!RegistryNameEqual(nameA, nameB)) return RegistryNameLess(nameA, nameB);
  return RegistryNameLess(a, b);
}

std::string ValueName(std::size_t index) {
  char name[24];
  std::snprintf(name, sizeof name, "%03zu", index);
  return name;
}

}  // namespace

bool TKeyNames::Delete(int index) {
  if (index < 0 || index >= Count()) return false;
  lines_.erase(lines_.begin() + index);
  return true;
}

std::string TKeyNames::NameAt(int index) const {
  if (index < 0 || index >= Count()) return {};
  return std::string(SplitLine(lines_[index]).name);
}

uint32_t TKeyNames::KeyValueAt(int index) const {
  if (index < 0 || index >= Count()) return 0;
  return ParseKeyValue(SplitLine(lines_[index]).number);
}

std::string TKeyNames::HidTextAt(int index) const {
  if (index < 0 || index >= Count()) return {};
  return std::string(SplitLine(lines_[index]).hidText);
}

int TKeyNames::IndexOfKey(uint32_t value, bool fullComparison) const {
  for (int i = 0; i < Count(); ++i) {
    if (SameHotKey(KeyValueAt(i), value, fullComparison)) return i;
  }
  return -1;
}

int TKeyNames::IndexOfHidText(std::string_view text) const {
  if (text.empty()) return -1;
  for (int i = 0; i < Count(); ++i) {
    if (SplitLine(lines_[i]).hidText == text) return i;
  }
  return -1;
}

int TKeyNames::IndexOfName(std::string_view name) const {
  for (int i = 0; i < Count(); ++i) {
    if (RegistryNameEqual(SplitLine(lines_[i]).name, name)) return i;
  }
  return -1;
}

void TKeyNames::Sort() {
  std::stable_sort(lines_.begin(), lines_.end(), LineLess);
}

int TKeyNames::AddKey(std::string_view name, uint32_t value, std::string_view hidText) {
  lines_.push_back(MakeLine(name, value, hidText));
  const std::string added = lines_.back();
  Sort();
  // The stable sort leaves the new line last among lines that compare equal to it.
  const auto after = std::upper_bound(lines_.begin(), lines_.end(), added, LineLess);
  return static_cast<int>(after - lines_.begin()) - 1;
}

bool TKeyNames::PutKey(int index, std::string_view name, uint32_t value, std::string_view hidText) {
  if (index < 0 || index >= Count()) return false;
  lines_[index] = MakeLine(name, value, hidText);
  Sort();
  return true;
}

void TKeyNames::LoadDefaultKeyNames() {
  lines_.clear();
  for (const DefaultName& entry : kDefaultNames)
    lines_.push_back(MakeLine(entry.name, PackHotKey(entry.keyCode, 0, 0, 0), {}));
}

void TKeyNames::LoadKeyNames(const RegistryStore& registry, std::string_view path) {
  const std::optional<std::string> key =
      path.empty() ? std::nullopt : WholeStagedKey(registry, path);
  // The settings save writes the ignore list below the key; a key that holds nothing else is no
  // table of names yet.
  if (!key || (registry.ValueNames(*key).empty() && !registry.SubKeyNames(*key).empty())) {
    LoadDefaultKeyNames();
    return;
  }
  lines_.clear();
  for (const std::string& valueName : registry.ValueNames(*key)) {
    // A value of another type is not a line of ours; it is skipped.
    if (std::optional<std::string> line = registry.ReadString(*key, valueName))
      lines_.push_back(std::move(*line));
  }
}

bool TKeyNames::SaveKeyNames(RegistryStore& registry, std::string_view path) const {
  if (path.empty()) return false;
  RecoverStagedKey(registry, path);
  const std::string staging = SiblingKeyPath(path, kStagingKeyPrefix);
  const std::string ignoreList = JoinRegistryPath(path, kIgnoreListKey);
  if (!registry.DeleteKey(staging) || !registry.CreateKey(staging)) return false;
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (!registry.WriteString(staging, ValueName(i), lines_[i])) return false;
  if (registry.KeyExists(ignoreList) &&
      !CopyRegistryKey(registry, ignoreList, registry, JoinRegistryPath(staging, kIgnoreListKey)))
    return false;
  return SwapInStagedKey(registry, path);
}

bool DeleteKeyNames(RegistryStore& registry, std::string_view path) {
  if (path.empty()) return false;
  RecoverStagedKey(registry, path);
  for (const std::string& name : registry.ValueNames(path))
    if (!registry.DeleteValue(path, name)) return false;
  return !registry.SubKeyNames(path).empty() || registry.DeleteKey(path);
}

namespace {

struct ProcessKeyNames {
  std::mutex lock;
  std::shared_ptr<const TKeyNames> table = std::make_shared<const TKeyNames>();
};

ProcessKeyNames& Process() {
  static ProcessKeyNames names;
  return names;
}

}  // namespace

std::shared_ptr<const TKeyNames> KeyNamesTable() {
  ProcessKeyNames& process = Process();
  const std::lock_guard guard(process.lock);
  return process.table;
}

void ChangeKeyNamesTable(const std::function<void(TKeyNames&)>& change) {
  auto changed = std::make_shared<TKeyNames>(*KeyNamesTable());
  change(*changed);
  ProcessKeyNames& process = Process();
  const std::lock_guard guard(process.lock);
  process.table = std::move(changed);
}

}  // namespace tavion
