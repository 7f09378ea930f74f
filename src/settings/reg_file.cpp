#include "settings/reg_file.h"

#include "base/utf8.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>
#include <vector>

namespace tavion {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";
constexpr std::array<std::string_view, 5> kRootNames = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                                        "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                                                        "HKEY_CURRENT_CONFIG"};
// A binary line is broken after the comma that takes it past this many characters.
constexpr std::size_t kWrapColumn = 76;
// Larger values are left out of a file rather than read whole.
constexpr std::size_t kValueBound = 16 * 1024 * 1024;
// The registry's own limits: key depth, key name and value name length (UTF-16 units).
constexpr std::size_t kMaxKeyDepth = 512;
constexpr std::size_t kMaxKeyNameUnits = 255;
constexpr std::size_t kMaxValueNameUnits = 16383;

// --- UTF-8 and UTF-16LE -------------------------------------------------------------------------

void AppendUnit(std::string& out, uint32_t unit) {
  out += static_cast<char>(unit & 0xFF);
  out += static_cast<char>(unit >> 8);
}

// UTF-16LE bytes of a UTF-8 text; an invalid sequence becomes U+FFFD.
std::string ToUtf16Le(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (std::size_t i = 0; i < text.size();) {
    const char32_t code = NextCodePoint(text, i).value_or(kReplacementCharacter);
    if (code < 0x10000) {
      AppendUnit(out, code);
    } else {
      AppendUnit(out, 0xD800 + ((code - 0x10000) >> 10));
      AppendUnit(out, 0xDC00 + ((code - 0x10000) & 0x3FF));
    }
  }
  return out;
}

// Length in UTF-16 units, the registry's measure of names.
std::size_t Utf16Length(std::string_view text) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < text.size();)
    units += NextCodePoint(text, i).value_or(kReplacementCharacter) < 0x10000 ? 1 : 2;
  return units;
}

// UTF-8 as it is; a byte that does not start a valid sequence is a Latin-1 character.
std::string FromUtf8OrLatin1(std::span<const uint8_t> bytes) {
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    const std::optional<char32_t> code = NextCodePoint(text, i);
    AppendUtf8(out, code ? *code : static_cast<unsigned char>(text[start]));
  }
  return out;
}

// --- Writing ------------------------------------------------------------------------------------

void AppendLine(std::string& text, std::string_view line) {
  text += line;
  text += "\r\n";
}

void AppendKeyLine(std::string& text, std::string_view opening, std::string_view name) {
  text += opening;
  text += name;
  text += "]\r\n";
}

std::string QuotedName(std::string_view name) {
  if (name.empty()) return "@";
  std::string quoted = "\"";
  quoted += name;
  quoted += '"';
  return quoted;
}

std::string EscapeString(std::string_view data) {
  std::string escaped;
  escaped.reserve(data.size() + 2);
  for (char c : data) {
    if (c == '\\' || c == '"') escaped += '\\';
    if (c == '\r') escaped += '\r';
    escaped += c;
  }
  return escaped;
}

void AppendBinary(std::string& text, std::string line, std::span<const uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  line += "hex:";
  std::size_t length = Utf16Length(line);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    line += kDigits[bytes[i] >> 4];
    line += kDigits[bytes[i] & 0xF];
    length += 2;
    if (i + 1 == bytes.size()) break;
    line += ',';
    ++length;
    if (length > kWrapColumn) {
      line += '\\';
      AppendLine(text, line);
      line = "  ";
      length = 2;
    }
  }
  AppendLine(text, line);
}

void AppendValue(std::string& text, const RegistryStore& store, const std::string& path,
                 const std::string& name) {
  const std::string prefix = QuotedName(name) + "=";
  switch (store.TypeOf(path, name).value_or(RegistryValueType::kOther)) {
    case RegistryValueType::kString:
      if (const auto data = store.ReadString(path, name, kValueBound))
        AppendLine(text, prefix + "\"" + EscapeString(*data) + "\"");
      break;
    case RegistryValueType::kInteger:
      if (const auto data = store.ReadInteger(path, name)) {
        char digits[9];
        std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(*data));
        AppendLine(text, prefix + "dword:" + digits);
      }
      break;
    case RegistryValueType::kBinary:
      if (const auto data = store.ReadBinary(path, name, kValueBound))
        AppendBinary(text, prefix, *data);
      break;
    case RegistryValueType::kOther:
      break;
  }
}

// `path` and, with `recurse`, its sub-keys in pre-order, siblings sorted ignoring case.
std::vector<std::string> KeyList(const RegistryStore& store, std::string path, bool recurse) {
  std::vector<std::string> keys;
  std::vector<std::string> pending{std::move(path)};
  while (!pending.empty()) {
    std::string key = std::move(pending.back());
    pending.pop_back();
    if (recurse) {
      std::vector<std::string> names = store.SubKeyNames(key);
      std::sort(names.begin(), names.end(), RegistryNameLess);
      for (auto name = names.rbegin(); name != names.rend(); ++name)
        pending.push_back(JoinRegistryPath(key, *name));
    }
    keys.push_back(std::move(key));
  }
  return keys;
}

// --- Reading ------------------------------------------------------------------------------------

using Operation = RegOperation;

std::optional<int> HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return std::nullopt;
}

// Reads the text of a registry file into a list of operations; nothing is applied, so that a bad
// file changes nothing.
class RegTextParser {
 public:
  explicit RegTextParser(std::string_view text) : text_(text) {}

  bool Parse(std::vector<Operation>& operations, std::string& error) {
    if (!ParseHeader()) return Fail(error);
    while (!AtEnd()) {
      SkipBlanks();
      if (AtLineEnd()) {
        NextLine();
        continue;
      }
      const char c = text_[pos_];
      bool ok = false;
      if (c == ';') {
        SkipToLineEnd();
        ok = true;
      } else if (c == '[') {
        ok = ParseKeyLine(operations);
      } else if (c == '"' || c == '@') {
        ok = ParseValueLine(operations);
      } else {
        ok = Problem("unexpected text");
      }
      if (!ok) return Fail(error);
    }
    return true;
  }

 private:
  enum class Section : uint8_t { kNone, kKey, kDeleted };

  bool AtEnd() const { return pos_ >= text_.size(); }
  bool AtLineEnd() const { return AtEnd() || text_[pos_] == '\n'; }
  void NextLine() {
    if (!AtEnd()) ++pos_;
    ++line_;
  }
  // Carriage returns outside quotes count as blanks, so that CR LF and LF both end a line.
  void SkipBlanks() {
    while (!AtEnd() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\r')) ++pos_;
  }
  void SkipToLineEnd() {
    while (!AtLineEnd()) ++pos_;
  }
  bool Consume(char c) {
    if (AtEnd() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }
  bool ConsumeWord(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }
  std::string_view RestOfLine() {
    const std::size_t start = pos_;
    SkipToLineEnd();
    std::string_view line = text_.substr(start, pos_ - start);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
      line.remove_suffix(1);
    return line;
  }
  bool Problem(std::string message) {
    problem_ = "line " + std::to_string(line_) + ": " + std::move(message);
    return false;
  }
  bool Fail(std::string& error) const {
    error = problem_;
    return false;
  }

  bool ParseHeader() {
    while (!AtEnd()) {
      SkipBlanks();
      if (!AtLineEnd()) break;
      NextLine();
    }
    const std::string_view header = RestOfLine();
    if (header != kHeader && header != kOldHeader)
      return Problem("not a registry file: the header \"" + std::string(kHeader) + "\" is missing");
    return true;
  }

  bool ParseKeyLine(std::vector<Operation>& operations) {
    std::string_view line = RestOfLine();
    if (line.size() < 2 || line.back() != ']') return Problem("a key line must end with ']'");
    line = line.substr(1, line.size() - 2);
    const bool remove = !line.empty() && line.front() == '-';
    if (remove) line.remove_prefix(1);
    std::string path;
    if (!KeyPath(line, path)) return false;
    operations.push_back({remove ? Operation::Kind::kDeleteKey : Operation::Kind::kCreateKey,
                          path,
                          {},
                          RegistryValueType::kOther,
                          {}});
    section_ = remove ? Section::kDeleted : Section::kKey;
    path_ = std::move(path);
    return true;
  }

  // The store path of a key line's text: the root's name in upper case, then the key names.
  bool KeyPath(std::string_view text, std::string& path) {
    const std::vector<std::string_view> parts = SplitRegistryPath(text);
    if (parts.empty()) return Problem("a key line names no key");
    const auto root =
        std::find_if(kRootNames.begin(), kRootNames.end(),
                     [&](std::string_view name) { return RegistryNameEqual(name, parts.front()); });
    if (root == kRootNames.end())
      return Problem("unknown root key \"" + std::string(parts.front()) + "\"");
    if (parts.size() - 1 > kMaxKeyDepth) return Problem("the key path is too deep");
    path = *root;
    for (std::size_t i = 1; i < parts.size(); ++i) {
      if (Utf16Length(parts[i]) > kMaxKeyNameUnits) return Problem("a key name is too long");
      path += '\\';
      path += parts[i];
    }
    return true;
  }

  bool ParseValueLine(std::vector<Operation>& operations) {
    if (section_ == Section::kNone) return Problem("a value before the first key line");
    Operation operation{Operation::Kind::kSetValue, path_, {}, RegistryValueType::kString, {}};
    if (!Consume('@')) {
      ++pos_;  // the opening quote
      std::optional<std::string> name = QuotedText(/*acrossLines=*/false);
      if (!name) return Problem("a value name without its closing quote");
      if (Utf16Length(*name) > kMaxValueNameUnits) return Problem("a value name is too long");
      operation.name = std::move(*name);
    }
    SkipBlanks();
    if (!Consume('=')) return Problem("'=' expected after the value name");
    SkipBlanks();
    if (!ParseData(operation)) return false;
    SkipBlanks();
    if (!AtLineEnd()) return Problem("unexpected text after the value");
    // The registry editor skips the values of a deleted key's section.
    if (section_ == Section::kKey) operations.push_back(std::move(operation));
    return true;
  }

  bool ParseData(Operation& operation) {
    if (Consume('"')) {
      const std::size_t start = line_;
      std::optional<std::string> data = QuotedText(/*acrossLines=*/true);
      if (!data) {
        line_ = start;
        return Problem("a string without its closing quote");
      }
      operation.data.assign(data->begin(), data->end());
      return true;
    }
    if (Consume('-')) {
      operation.kind = Operation::Kind::kDeleteValue;
      return true;
    }
    if (ConsumeWord("dword:")) {
      uint32_t value = 0;
      std::size_t digits = 0;
      for (; digits < 9 && !AtEnd(); ++digits) {
        const std::optional<int> digit = HexDigit(text_[pos_]);
        if (!digit) break;
        value = value << 4 | static_cast<uint32_t>(*digit);
        ++pos_;
      }
      if (digits == 0 || digits > 8) return Problem("a dword needs 1 to 8 hexadecimal digits");
      operation.type = RegistryValueType::kInteger;
      operation.data = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                        static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
      return true;
    }
    if (ConsumeWord("hex")) {
      operation.type = RegistryValueType::kBinary;
      if (Consume('(')) {
        uint32_t kind = 0;
        std::size_t digits = 0;
        for (; !AtEnd() && HexDigit(text_[pos_]); ++pos_, ++digits)
          kind = digits < 8 ? kind << 4 | static_cast<uint32_t>(*HexDigit(text_[pos_])) : kind;
        if (digits == 0 || digits > 8 || !Consume(')'))
          return Problem("a value type hex(N) needs a hexadecimal N");
        // Type 3 is REG_BINARY itself.
        if (kind != 3) operation.type = RegistryValueType::kOther;
      }
      if (!Consume(':')) return Problem("':' expected after hex");
      return HexBytes(operation.data);
    }
    return Problem("unknown value type");
  }

  // The text up to the closing quote, whose opening quote has been read: "\\" and "\"" stand for
  // a backslash and a quote (any other backslash is itself), a doubled CR for one CR. nullopt
  // when the text ends first (or the line, unless `acrossLines`).
  std::optional<std::string> QuotedText(bool acrossLines) {
    std::string out;
    while (!AtEnd()) {
      const char c = text_[pos_++];
      if (c == '"') return out;
      if (c == '\\' && !AtEnd() && (text_[pos_] == '\\' || text_[pos_] == '"')) {
        out += text_[pos_++];
      } else if (c == '\r' && !AtEnd() && text_[pos_] == '\r') {
        out += c;
        ++pos_;
      } else if (c == '\n') {
        if (!acrossLines) return std::nullopt;
        out += c;
        ++line_;
      } else {
        out += c;
      }
    }
    return std::nullopt;
  }

  // Two-digit (or one-digit) hexadecimal bytes separated by commas; a backslash after a comma
  // continues the list on the next line.
  bool HexBytes(std::vector<uint8_t>& bytes) {
    SkipBlanks();
    if (AtLineEnd()) return true;
    for (;;) {
      const std::optional<int> high = AtEnd() ? std::nullopt : HexDigit(text_[pos_]);
      if (!high) return Problem("a hexadecimal byte expected");
      ++pos_;
      const std::optional<int> low = AtEnd() ? std::nullopt : HexDigit(text_[pos_]);
      if (low) ++pos_;
      bytes.push_back(static_cast<uint8_t>(low ? *high << 4 | *low : *high));
      SkipBlanks();
      if (!Consume(',')) return true;
      SkipBlanks();
      if (Consume('\\')) {
        SkipBlanks();
        if (!AtLineEnd()) return Problem("a line may not go on after its continuing '\\'");
        if (AtEnd()) return Problem("the file ends after a continuing '\\'");
        NextLine();
        SkipBlanks();
      } else if (AtLineEnd()) {
        return true;
      }
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t line_ = 1;
  Section section_ = Section::kNone;
  std::string path_;
  std::string problem_;
};

}  // namespace

std::optional<std::string> WriteRegText(const RegistryStore& store, std::string_view rootName,
                                        std::string_view keyPath, bool recurse, bool deleteFirst) {
  const std::string top = JoinRegistryPath(keyPath);
  const std::string topName = JoinRegistryPath(rootName, top);
  if (topName.empty() || !store.KeyExists(top)) return std::nullopt;
  std::string text;
  AppendLine(text, kHeader);
  if (deleteFirst) {
    AppendLine(text, "");
    AppendKeyLine(text, "[-", topName);
  }
  for (const std::string& key : KeyList(store, top, recurse)) {
    AppendLine(text, "");
    AppendKeyLine(text, "[", JoinRegistryPath(rootName, key));
    for (const std::string& name : store.ValueNames(key)) AppendValue(text, store, key, name);
  }
  std::string file = "\xFF\xFE";  // the byte-order mark of UTF-16LE
  file += ToUtf16Le(text);
  return file;
}

bool ParseRegOperations(std::span<const uint8_t> fileBytes, std::vector<RegOperation>& operations,
                        std::string& error) {
  std::string text;
  if (fileBytes.size() >= 2 && fileBytes[0] == 0xFF && fileBytes[1] == 0xFE) {
    if (fileBytes.size() % 2 != 0) {
      error = "the file ends inside a character: it has been cut short";
      return false;
    }
    text = FromUtf16Le(fileBytes.subspan(2));
  } else if (fileBytes.size() >= 2 && fileBytes[0] == 0xFE && fileBytes[1] == 0xFF) {
    error = "UTF-16 big-endian registry files are not supported";
    return false;
  } else if (fileBytes.size() >= 3 && fileBytes[0] == 0xEF && fileBytes[1] == 0xBB &&
             fileBytes[2] == 0xBF) {
    text = FromUtf8OrLatin1(fileBytes.subspan(3));
  } else {
    text = FromUtf8OrLatin1(fileBytes);
  }
  std::vector<RegOperation> parsed;
  if (!RegTextParser(text).Parse(parsed, error)) return false;
  operations = std::move(parsed);
  return true;
}

bool ApplyRegOperation(const RegOperation& operation, RegistryStore& into) {
  const std::span<const uint8_t> data = operation.data;
  switch (operation.kind) {
    case RegOperation::Kind::kCreateKey:
      return into.CreateKey(operation.path);
    case RegOperation::Kind::kDeleteKey:
      return into.DeleteKey(operation.path);
    case RegOperation::Kind::kDeleteValue:
      return into.DeleteValue(operation.path, operation.name);
    case RegOperation::Kind::kSetValue:
      break;
  }
  switch (operation.type) {
    case RegistryValueType::kString:
      return into.WriteString(
          operation.path, operation.name,
          std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    case RegistryValueType::kInteger:
      return data.size() == 4 &&
             into.WriteInteger(operation.path, operation.name,
                               uint32_t{data[0]} | uint32_t{data[1]} << 8 |
                                   uint32_t{data[2]} << 16 | uint32_t{data[3]} << 24);
    case RegistryValueType::kBinary:
      return into.WriteBinary(operation.path, operation.name, data);
    case RegistryValueType::kOther:
      if (auto* memory = dynamic_cast<MemoryRegistry*>(&into))
        return memory->WriteOther(operation.path, operation.name, data);
      return false;
  }
  return false;
}

bool ParseRegText(std::span<const uint8_t> fileBytes, MemoryRegistry& into, std::string* error) {
  std::vector<RegOperation> operations;
  std::string problem;
  if (!ParseRegOperations(fileBytes, operations, problem)) {
    if (error != nullptr) *error = std::move(problem);
    return false;
  }
  for (const RegOperation& operation : operations) ApplyRegOperation(operation, into);
  return true;
}

}  // namespace tavion
