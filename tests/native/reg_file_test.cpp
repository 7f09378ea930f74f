#include "settings/reg_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavion {
namespace {

constexpr const char* kRoot = "HKEY_CURRENT_USER";
constexpr const char* kKey = "Software\\Quillon\\Tavion";

// The text of an exported file that holds ASCII only: the BOM is checked and dropped, and every
// UTF-16 unit must have a zero high byte.
std::string AsciiText(const std::optional<std::string>& file) {
  if (!file) {
    ADD_FAILURE() << "no file";
    return {};
  }
  if (file->size() < 2 || file->substr(0, 2) != "\xFF\xFE") {
    ADD_FAILURE() << "no UTF-16LE byte-order mark";
    return {};
  }
  if (file->size() % 2 != 0) ADD_FAILURE() << "odd length";
  std::string text;
  for (std::size_t i = 2; i + 1 < file->size(); i += 2) {
    if ((*file)[i + 1] != '\0') ADD_FAILURE() << "not ASCII at byte " << i;
    text += (*file)[i];
  }
  return text;
}

std::vector<uint8_t> Utf16File(std::u16string_view text) {
  std::vector<uint8_t> bytes = {0xFF, 0xFE};
  for (char16_t unit : text) {
    bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  return bytes;
}

std::vector<uint8_t> Bytes(std::string_view text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> FileBytes(const std::optional<std::string>& file) {
  return file ? Bytes(*file) : std::vector<uint8_t>{};
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  if (start != text.size()) ADD_FAILURE() << "the last line has no CR LF";
  return lines;
}

std::string WriteAscii(const RegistryStore& store, bool recurse = true, bool deleteFirst = false) {
  return AsciiText(WriteRegText(store, kRoot, kKey, recurse, deleteFirst));
}

// --- Writing ------------------------------------------------------------------------------------

TEST(WriteRegText, WritesTheHeaderKeyLineAndEachValueType) {
  MemoryRegistry store;
  store.WriteString(kKey, "KERNEL", "4B.0(SOLID)");
  store.WriteInteger(kKey, "Priority", 0xABCDEF);
  store.WriteBinary(kKey, "LastUpdate", std::vector<uint8_t>{0x00, 0x1F, 0xA0, 0xFF});
  store.WriteString(kKey, "", "default");
  store.WriteString(kKey, "Empty", "");
  store.WriteBinary(kKey, "None", {});
  store.WriteOther(kKey, "Expand", Bytes("%w%"));
  EXPECT_EQ(
      "Windows Registry Editor Version 5.00\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\Software\\Quillon\\Tavion]\r\n"
      "\"KERNEL\"=\"4B.0(SOLID)\"\r\n"
      "\"Priority\"=dword:00abcdef\r\n"
      "\"LastUpdate\"=hex:00,1f,a0,ff\r\n"
      "@=\"default\"\r\n"
      "\"Empty\"=\"\"\r\n"
      "\"None\"=hex:\r\n",
      WriteAscii(store));
}

TEST(WriteRegText, DeleteLineComesFirstOnlyWhenAsked) {
  MemoryRegistry store;
  store.CreateKey(kKey);
  EXPECT_EQ(
      "Windows Registry Editor Version 5.00\r\n"
      "\r\n"
      "[-HKEY_CURRENT_USER\\Software\\Quillon\\Tavion]\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\Software\\Quillon\\Tavion]\r\n",
      WriteAscii(store, true, /*deleteFirst=*/true));
  EXPECT_EQ(
      "Windows Registry Editor Version 5.00\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\Software\\Quillon\\Tavion]\r\n",
      WriteAscii(store, true, /*deleteFirst=*/false));
}

TEST(WriteRegText, EscapesBackslashQuoteAndCarriageReturn) {
  struct Case {
    std::string data;
    std::string written;
  };
  const Case cases[] = {
      {"x\"y\\z", "\"x\\\"y\\\\z\""},
      {"C:\\Program Files\\", "\"C:\\\\Program Files\\\\\""},
      {"\\\"", "\"\\\\\\\"\""},
      {"a\rb", "\"a\r\rb\""},
      {"two\r\nlines", "\"two\r\r\nlines\""},
      {"line\nfeed", "\"line\nfeed\""},
      {"tab\there", "\"tab\there\""},
  };
  for (const Case& c : cases) {
    MemoryRegistry store;
    store.WriteString(kKey, "s", c.data);
    const std::string text = WriteAscii(store, false);
    const std::string expected = "\"s\"=" + c.written + "\r\n";
    ASSERT_GE(text.size(), expected.size());
    EXPECT_EQ(expected, text.substr(text.size() - expected.size())) << c.data;
  }
}

TEST(WriteRegText, ValueNamesAreQuotedAsTheyAre) {
  MemoryRegistry store;
  store.WriteInteger(kKey, "with space", 1);
  store.WriteInteger(kKey, "a\\b", 2);
  const std::vector<std::string> lines = Lines(WriteAscii(store));
  ASSERT_EQ(5u, lines.size());
  EXPECT_EQ("\"with space\"=dword:00000001", lines[3]);
  EXPECT_EQ("\"a\\b\"=dword:00000002", lines[4]);
}

// Line lengths of a binary value in bytes per line, for names and sizes around the wrap.
TEST(WriteRegText, BinaryWrapsAfterTheCommaPastColumn76) {
  struct Case {
    std::string name;
    std::size_t size;
    std::vector<std::size_t> bytesPerLine;
  };
  const std::string longName(70, 'n');
  std::string wideName;
  for (int i = 0; i < 35; ++i) wideName += "\xC3\xA9";  // 35 characters, 70 bytes of UTF-8
  const Case cases[] = {
      {"Bin", 1, {1}},       {"Bin", 23, {23}},  // the 23rd byte is the last: no continuation
      {"Bin", 24, {23, 1}},  {"Bin", 40, {23, 17}},   {"Bin", 100, {23, 25, 25, 25, 2}},
      {longName, 3, {1, 2}}, {wideName, 14, {12, 2}},  // characters count, not bytes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.size) + " bytes, name of " + std::to_string(c.name.size()));
    MemoryRegistry store;
    std::vector<uint8_t> bytes(c.size);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i);
    store.WriteBinary(kKey, c.name, bytes);
    const std::optional<std::string> file = WriteRegText(store, kRoot, kKey, false, false);
    ASSERT_TRUE(file);
    // The value's lines: everything after the key line, as UTF-16 units.
    std::u16string text;
    for (std::size_t i = 2; i + 1 < file->size(); i += 2)
      text += static_cast<char16_t>(static_cast<uint8_t>((*file)[i]) |
                                    static_cast<uint8_t>((*file)[i + 1]) << 8);
    text = text.substr(text.find(u"]\r\n") + 3);
    std::vector<std::u16string> lines;
    for (std::size_t end; (end = text.find(u"\r\n")) != std::u16string::npos;
         text = text.substr(end + 2))
      lines.push_back(text.substr(0, end));
    ASSERT_EQ(c.bytesPerLine.size(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const std::u16string& line = lines[i];
      const bool last = i + 1 == lines.size();
      const std::size_t start = i == 0 ? line.find(u"=hex:") + 5 : 2;
      if (i > 0) {
        EXPECT_EQ(u"  ", line.substr(0, 2)) << "line " << i;
      }
      if (!last) {
        EXPECT_EQ(u'\\', line.back()) << "line " << i;
        EXPECT_GT(line.size() - 1, 76u) << "wrapped only past column 76";
      } else if (!line.empty()) {
        EXPECT_NE(u',', line.back()) << "no comma after the last byte";
      }
      const std::size_t digits = line.size() - start - (last ? 0 : 1);
      EXPECT_EQ(c.bytesPerLine[i], (digits + 1) / 3) << "line " << i;
    }
  }
}

TEST(WriteRegText, ExactFortyByteBinary) {
  MemoryRegistry store;
  std::vector<uint8_t> bytes(40);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i);
  store.WriteBinary(kKey, "Bin", bytes);
  const std::vector<std::string> lines = Lines(WriteAscii(store, false));
  ASSERT_EQ(5u, lines.size());
  EXPECT_EQ("\"Bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\",
            lines[3]);
  EXPECT_EQ("  17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27", lines[4]);
}

TEST(WriteRegText, KeysComeSortedIgnoringCaseEachBeforeItsSubKeys) {
  MemoryRegistry store;
  for (const char* key : {"Zed", "beta\\inner", "alpha\\x\\y", "Beta-1", "BETA\\Inner2", "alpha"})
    store.CreateKey(std::string(kKey) + "\\" + key);
  store.WriteInteger(std::string(kKey) + "\\alpha\\x", "v", 1);
  std::vector<std::string> keyLines;
  for (const std::string& line : Lines(WriteAscii(store)))
    if (!line.empty() && line.front() == '[') keyLines.push_back(line);
  const std::string top = std::string("[") + kRoot + "\\" + kKey;
  EXPECT_EQ(
      (std::vector<std::string>{top + "]", top + "\\alpha]", top + "\\alpha\\x]",
                                top + "\\alpha\\x\\y]", top + "\\beta]", top + "\\beta\\inner]",
                                top + "\\beta\\Inner2]", top + "\\Beta-1]", top + "\\Zed]"}),
      keyLines);
}

TEST(WriteRegText, WithoutRecurseOnlyTheKeyItself) {
  MemoryRegistry store;
  store.WriteInteger(kKey, "top", 1);
  store.WriteInteger(std::string(kKey) + "\\Sub", "below", 2);
  EXPECT_EQ(
      "Windows Registry Editor Version 5.00\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\Software\\Quillon\\Tavion]\r\n"
      "\"top\"=dword:00000001\r\n",
      WriteAscii(store, /*recurse=*/false));
}

TEST(WriteRegText, ValuesInTheStoresOrder) {
  MemoryRegistry store;
  for (const char* name : {"zeta", "Alpha", "002", "001"}) store.WriteInteger(kKey, name, 0);
  const std::vector<std::string> lines = Lines(WriteAscii(store));
  ASSERT_EQ(7u, lines.size());
  EXPECT_EQ("\"zeta\"=dword:00000000", lines[3]);
  EXPECT_EQ("\"Alpha\"=dword:00000000", lines[4]);
  EXPECT_EQ("\"002\"=dword:00000000", lines[5]);
  EXPECT_EQ("\"001\"=dword:00000000", lines[6]);
}

TEST(WriteRegText, PathsAndRootNames) {
  MemoryRegistry store;
  store.WriteInteger("HKEY_LOCAL_MACHINE\\SYSTEM\\Layout", "v", 1);
  EXPECT_EQ(std::nullopt, WriteRegText(store, kRoot, "Missing", true, false));
  EXPECT_EQ(std::nullopt, WriteRegText(store, "", "", true, false)) << "a key with no name";
  const std::vector<std::string> lines =
      Lines(AsciiText(WriteRegText(store, "", "\\HKEY_LOCAL_MACHINE\\\\SYSTEM\\", true, true)));
  ASSERT_EQ(8u, lines.size());
  EXPECT_EQ("[-HKEY_LOCAL_MACHINE\\SYSTEM]", lines[2]);
  EXPECT_EQ("[HKEY_LOCAL_MACHINE\\SYSTEM]", lines[4]);
  EXPECT_EQ("[HKEY_LOCAL_MACHINE\\SYSTEM\\Layout]", lines[6]);
}

TEST(WriteRegText, TextIsUtf16WithSurrogatePairs) {
  MemoryRegistry store;
  store.WriteString("K", "\xE2\x82\xAC", "\xF0\x9F\x8E\xB9");  // euro sign = keyboard emoji
  const std::optional<std::string> file = WriteRegText(store, "HKEY_USERS", "K", false, false);
  ASSERT_TRUE(file);
  const std::string expectedValueLine = std::string("\"\0\xAC\x20\"\0=\0\"\0", 10) +
                                        "\x3C\xD8\xB9\xDF" + std::string("\"\0\r\0\n\0", 6);
  ASSERT_GE(file->size(), expectedValueLine.size());
  EXPECT_EQ(expectedValueLine, file->substr(file->size() - expectedValueLine.size()));
}

// --- Reading ------------------------------------------------------------------------------------

TEST(ParseRegText, ReadsEveryFormOfTheFile) {
  const std::u16string text =
      u"Windows Registry Editor Version 5.00\r\n"
      u"\r\n"
      u"; a comment\r\n"
      u"[hkey_current_user\\Software\\Test]\r\n"
      u"\"s\"=\"x\\\"y\\\\z \u00e9\"\r\n"
      u"@=\"default\"\r\n"
      u"\"short\"=dword:1F\r\n"
      u"\"bin\"=hex:01,2,ff,\\\r\n"
      u"  0a,\\\r\n"
      u"\t0B\r\n"
      u"\"none\"=hex:\r\n"
      u"\"binary3\"=hex(3):07\r\n"
      u"\"expand\"=hex(2):25,00,00,00\r\n"
      u"\"multi line\"=\"a\r\r\nb\"\r\n"
      u"  \"spaced\"  =  dword:00000002  \r\n"
      u"\r\n"
      u"[HKEY_CURRENT_USER\\Software\\Test\\Empty]\r\n";
  MemoryRegistry store;
  std::string error;
  ASSERT_TRUE(ParseRegText(Utf16File(text), store, &error)) << error;
  const std::string key = "HKEY_CURRENT_USER\\Software\\Test";
  EXPECT_EQ((std::vector<std::string>{"HKEY_CURRENT_USER"}), store.SubKeyNames(""));
  EXPECT_EQ("x\"y\\z \xC3\xA9", store.ReadString(key, "s"));
  EXPECT_EQ("default", store.ReadString(key, ""));
  EXPECT_EQ(0x1Fu, store.ReadInteger(key, "short"));
  EXPECT_EQ((std::vector<uint8_t>{1, 2, 0xFF, 0x0A, 0x0B}), store.ReadBinary(key, "bin"));
  EXPECT_EQ(std::vector<uint8_t>{}, store.ReadBinary(key, "none"));
  EXPECT_EQ(std::vector<uint8_t>{7}, store.ReadBinary(key, "binary3"));
  EXPECT_EQ(RegistryValueType::kOther, store.TypeOf(key, "expand"));
  EXPECT_EQ("a\r\nb", store.ReadString(key, "multi line"));
  EXPECT_EQ(2u, store.ReadInteger(key, "spaced"));
  EXPECT_TRUE(store.KeyExists(key + "\\Empty"));
  EXPECT_EQ((std::vector<std::string>{"s", "", "short", "bin", "none", "binary3", "expand",
                                      "multi line", "spaced"}),
            store.ValueNames(key));
}

TEST(ParseRegText, AppliesDeletionsToWhatIsThere) {
  MemoryRegistry store;
  store.WriteString("HKEY_CURRENT_USER\\Old\\Sub", "v", "1");
  store.WriteString("HKEY_CURRENT_USER\\Keep", "gone", "1");
  store.WriteString("HKEY_CURRENT_USER\\Keep", "stays", "1");
  const std::u16string text =
      u"Windows Registry Editor Version 5.00\r\n"
      u"[-HKEY_CURRENT_USER\\Old]\r\n"
      u"\"ignored\"=\"values of a deleted key belong nowhere\"\r\n"
      u"[HKEY_CURRENT_USER\\Keep]\r\n"
      u"\"gone\"=-\r\n"
      u"@=-\r\n"
      u"[-HKEY_CURRENT_USER\\Never\\There]\r\n";
  std::string error;
  ASSERT_TRUE(ParseRegText(Utf16File(text), store, &error)) << error;
  EXPECT_FALSE(store.KeyExists("HKEY_CURRENT_USER\\Old"));
  EXPECT_EQ((std::vector<std::string>{"stays"}), store.ValueNames("HKEY_CURRENT_USER\\Keep"));
  EXPECT_EQ((std::vector<std::string>{"Keep"}), store.SubKeyNames("HKEY_CURRENT_USER"));
}

TEST(ParseRegText, ReadsUtf8AndAnsiFiles) {
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"ANSI REGEDIT4", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"s\"=\"caf\xE9\"\r\n"},
      {"UTF-8 with BOM",
       "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\K]\n"
       "\"s\"=\"caf\xC3\xA9\"\n"},
      {"UTF-8, LF only", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"s\"=\"caf\xC3\xA9\""},
  };
  for (const Case& c : cases) {
    MemoryRegistry store;
    std::string error;
    ASSERT_TRUE(ParseRegText(Bytes(c.bytes), store, &error)) << c.what << ": " << error;
    EXPECT_EQ("caf\xC3\xA9", store.ReadString("HKEY_LOCAL_MACHINE\\K", "s")) << c.what;
  }
}

TEST(ParseRegText, BadInputFailsWithTheLineAndChangesNothing) {
  struct Case {
    std::string text;
    std::string error;
  };
  const std::string header = "Windows Registry Editor Version 5.00\r\n";
  const std::string key = "[HKEY_CURRENT_USER\\K]\r\n";
  std::string deep = "[HKEY_CURRENT_USER";
  for (int i = 0; i < 513; ++i) deep += "\\k";
  const Case cases[] = {
      {"", "line 1: not a registry file"},
      {"Windows Registry Editor Version 4.00\r\n", "line 1: not a registry file"},
      {header + "\"v\"=\"x\"\r\n", "line 2: a value before the first key line"},
      {header + "[HKEY_NOWHERE\\K]\r\n", "line 2: unknown root key \"HKEY_NOWHERE\""},
      {header + "[HKEY_CURRENT_USER\\K\r\n", "line 2: a key line must end with ']'"},
      {header + "[]\r\n", "line 2: a key line names no key"},
      {header + "\r\n" + deep + "]\r\n", "line 3: the key path is too deep"},
      {header + "[HKEY_CURRENT_USER\\" + std::string(256, 'k') + "]",
       "line 2: a key name is too long"},
      {header + key + "\"v\"=\"open\r\n[HKEY_CURRENT_USER\\L]\r\n",
       "line 3: a string without its closing quote"},
      {header + key + "\"v=\"x\"\r\n", "line 3: '=' expected"},
      {header + key + "\"v\r\n", "line 3: a value name without its closing quote"},
      {header + key + "\"v\"\"x\"\r\n", "line 3: '=' expected"},
      {header + key + "\"v\"=qword:1\r\n", "line 3: unknown value type"},
      {header + key + "\"v\"=dword:\r\n", "line 3: a dword needs 1 to 8"},
      {header + key + "\"v\"=dword:123456789\r\n", "line 3: a dword needs 1 to 8"},
      {header + key + "\"v\"=dword:1 2\r\n", "line 3: unexpected text after the value"},
      {header + key + "\"v\"=hex:0g\r\n", "line 3: unexpected text after the value"},
      {header + key + "\"v\"=hex:01,zz\r\n", "line 3: a hexadecimal byte expected"},
      {header + key + "\"v\"=hex:01,\\", "line 3: the file ends after a continuing"},
      {header + key + "\"v\"=hex:01,\\ 02\r\n", "line 3: a line may not go on"},
      {header + key + "\"v\"=hex:01,\\\r\n\r\n", "line 4: a hexadecimal byte expected"},
      {header + key + "\"v\"=hex(2:00\r\n", "line 3: a value type hex(N) needs"},
      {header + key + "\"v\"=hex(2)00\r\n", "line 3: ':' expected after hex"},
      {header + key + "\"v\"=\"x\" trailing\r\n", "line 3: unexpected text after the value"},
      {header + key + "garbage\r\n", "line 3: unexpected text"},
      {header + key + "\"v\"=" + std::string(1, '\0'), "line 3: unknown value type"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 80));
    MemoryRegistry store;
    store.WriteString("HKEY_CURRENT_USER\\K", "before", "1");
    std::string error;
    EXPECT_FALSE(ParseRegText(Bytes(c.text), store, &error));
    EXPECT_EQ(c.error, error.substr(0, c.error.size()));
    EXPECT_EQ("1", store.ReadString("HKEY_CURRENT_USER\\K", "before"));
    EXPECT_EQ((std::vector<std::string>{"K"}), store.SubKeyNames("HKEY_CURRENT_USER"));
    EXPECT_FALSE(ParseRegText(Utf16File(std::u16string(c.text.begin(), c.text.end())), store))
        << "also as UTF-16 and without an error text";
  }
}

TEST(ParseRegText, AnErrorLateInTheFileUndoesNothingEarlier) {
  MemoryRegistry store;
  store.WriteString("HKEY_CURRENT_USER\\Old", "v", "1");
  const std::u16string text =
      u"Windows Registry Editor Version 5.00\r\n"
      u"[-HKEY_CURRENT_USER\\Old]\r\n"
      u"[HKEY_CURRENT_USER\\New]\r\n"
      u"\"v\"=\"2\"\r\n"
      u"\"w\"=dword:zz\r\n";
  std::string error;
  EXPECT_FALSE(ParseRegText(Utf16File(text), store, &error));
  EXPECT_EQ("line 5: a dword needs 1 to 8 hexadecimal digits", error);
  EXPECT_EQ("1", store.ReadString("HKEY_CURRENT_USER\\Old", "v"));
  EXPECT_FALSE(store.KeyExists("HKEY_CURRENT_USER\\New"));
}

TEST(ParseRegText, BigEndianFilesAreRefused) {
  MemoryRegistry store;
  std::string error;
  EXPECT_FALSE(ParseRegText(std::vector<uint8_t>{0xFE, 0xFF, 0, 'R'}, store, &error));
  EXPECT_NE(std::string::npos, error.find("big-endian"));
}

// --- Both ways ----------------------------------------------------------------------------------

void FillSample(RegistryStore& store, const std::string& top) {
  store.WriteString(top, "KERNEL", "4B.0(SOLID)");
  store.WriteString(top, "", "default");
  store.WriteInteger(top, "Show_Time", 0xFFFFFFFF);
  store.WriteString(top + "\\Keys", "ProfileNm", "Default");
  store.WriteString(top + "\\Keys\\Default\\000", "Name", "Run \"notepad\" from C:\\Windows");
  store.WriteString(top + "\\Keys\\Default\\000", "Text", "one\rtwo\r\nthree\n\\\"");
  store.WriteString(top + "\\Keys\\Default\\000", "Unicode", "\xE2\x82\xAC \xF0\x9F\x8E\xB9");
  std::vector<uint8_t> bytes(300);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  store.WriteBinary(top + "\\Keys\\Default\\000\\Key0", "HKey", bytes);
  store.WriteBinary(top + "\\Desk", "Empty", {});
  store.CreateKey(top + "\\ExKeys\\IgnoreList");
  store.CreateKey(top + "\\Macros");
}

TEST(RegText, WriteParseWriteGivesTheSameFile) {
  for (const bool deleteFirst : {false, true}) {
    MemoryRegistry original;
    FillSample(original, kKey);
    const std::optional<std::string> first = WriteRegText(original, kRoot, kKey, true, deleteFirst);
    ASSERT_TRUE(first);
    MemoryRegistry parsed;
    std::string error;
    ASSERT_TRUE(ParseRegText(FileBytes(first), parsed, &error)) << error;
    const std::optional<std::string> second =
        WriteRegText(parsed, "", std::string(kRoot) + "\\" + kKey, /*recurse=*/true, deleteFirst);
    EXPECT_EQ(first, second);
    EXPECT_EQ("one\rtwo\r\nthree\n\\\"",
              parsed.ReadString(std::string(kRoot) + "\\" + kKey + "\\Keys\\Default\\000", "Text"));
  }
}

TEST(RegText, ImportingAFileWithItsDeleteLineReplacesTheTree) {
  MemoryRegistry source;
  FillSample(source, kKey);
  const std::optional<std::string> file = WriteRegText(source, kRoot, kKey, true, true);
  MemoryRegistry target;
  const std::string top = std::string(kRoot) + "\\" + kKey;
  target.WriteString(top + "\\Stale", "v", "old");
  target.WriteString(top, "KERNEL", "old");
  target.WriteString(std::string(kRoot) + "\\Software\\Other", "v", "kept");
  ASSERT_TRUE(ParseRegText(FileBytes(file), target));
  EXPECT_FALSE(target.KeyExists(top + "\\Stale"));
  EXPECT_EQ("4B.0(SOLID)", target.ReadString(top, "KERNEL"));
  EXPECT_EQ("kept", target.ReadString(std::string(kRoot) + "\\Software\\Other", "v"));
  EXPECT_EQ(file, WriteRegText(target, "", top, true, true));
}

}  // namespace
}  // namespace tavion
