#include "settings/reg_file.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "registry_dump.h"
#include "registry_store_contract.h"

namespace tavion {
namespace {

// The memory store keeps every promise of a registry store, as the Win32 registry does.
struct MemoryRegistryFactory {
  static std::unique_ptr<RegistryStore> Make() { return std::make_unique<MemoryRegistry>(); }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, RegistryStoreContract, MemoryRegistryFactory);

constexpr const char* kRoot = "HKEY_CURRENT_USER";
constexpr const char* kKey = "Software\\Quillon\\Tavion";
const std::string kHeader = "Windows Registry Editor Version 5.00\r\n";

std::u16string Widened(std::string_view ascii) {
  return {ascii.begin(), ascii.end()};
}
std::vector<uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

// The UTF-16 units of an exported file after its byte-order mark.
std::u16string Units(const std::optional<std::string>& file) {
  if (!file || !file->starts_with("\xFF\xFE") || file->size() % 2 != 0) return u"<not UTF-16LE>";
  std::u16string units;
  for (std::size_t i = 2; i < file->size(); i += 2)
    units += static_cast<char16_t>(static_cast<uint8_t>((*file)[i]) |
                                   static_cast<uint8_t>((*file)[i + 1]) << 8);
  return units;
}

std::vector<uint8_t> Utf16File(std::u16string_view text) {
  std::vector<uint8_t> bytes = {0xFF, 0xFE};
  for (char16_t unit : text) bytes.insert(bytes.end(), {uint8_t(unit & 0xFF), uint8_t(unit >> 8)});
  return bytes;
}

// A file written, parsed over an older tree with its delete line and written again is the same: it
// replaced that tree and nothing beside it.
TEST(RegText, WritesKeysSortedValuesEscapedInStoreOrderAndParsesBackOverAnOlderTree) {
  MemoryRegistry store;
  const std::string top = kKey;
  const std::string exotic = "Software\\Quillon\\Exotic", user = std::string(kRoot) + "\\";
  PutTree(store, exotic,
          {"Text='one\rtwo\r\nthree\n\\\"\x0E'", "U='\xE2\x82\xAC \xF0\x9F\x8E\xB9'",
           "Max=4294967295"});
  std::vector<uint8_t> bytes(300);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  store.WriteBinary(exotic, "HKey", bytes);
  store.WriteString(top, "KERNEL", "C:\\x \"y\"\r\nz\ttab");
  store.WriteInteger(top, "with space", 0xABCDEF);
  store.WriteBinary(top, "a\\b", std::vector<uint8_t>{0x00, 0x1F, 0xA0, 0xFF});
  store.WriteString(top, "", "default");
  store.WriteBinary(top, "None", {});
  store.WriteOther(top, "Expand", Bytes("%w%"));
  for (const char* key : {"Zed", "beta\\inner", "alpha\\x", "Beta-1"})
    store.CreateKey(top + "\\" + key);
  const std::string k = "[HKEY_CURRENT_USER\\Software\\Quillon\\Tavion";
  const std::string values =
      "\"KERNEL\"=\"C:\\\\x \\\"y\\\"\r\r\nz\ttab\"\r\n\"with space\"=dword:00abcdef\r\n"
      "\"a\\b\"=hex:00,1f,a0,ff\r\n@=\"default\"\r\n\"None\"=hex:\r\n";
  std::string all = kHeader + "\r\n" + k + "]\r\n" + values;
  for (const char* sub : {"alpha", "alpha\\x", "beta", "beta\\inner", "Beta-1", "Zed"})
    all += "\r\n" + k + "\\" + sub + "]\r\n";
  EXPECT_EQ(Widened(all), Units(WriteRegText(store, kRoot, kKey, true, false)));
  EXPECT_EQ(Widened(kHeader + "\r\n[-" + k.substr(1) + "]\r\n\r\n" + k + "]\r\n" + values),
            Units(WriteRegText(store, kRoot, kKey, /*recurse=*/false, /*deleteFirst=*/true)));
  EXPECT_EQ(std::nullopt, WriteRegText(store, kRoot, "Missing", true, false));
  EXPECT_EQ(std::nullopt, WriteRegText(store, "", "", true, false)) << "a key with no name";
  EXPECT_EQ(Widened(kHeader + "\r\n[Software\\Quillon\\Tavion\\Zed]\r\n"),
            Units(WriteRegText(store, "", "\\Software\\\\Quillon\\Tavion\\Zed\\", true, false)));

  const std::optional<std::string> file =
      WriteRegText(store, kRoot, "Software\\Quillon", true, true);
  MemoryRegistry target;
  PutTree(target, kRoot,
          {"[Software\\Other]", "v='kept'", "[Software\\Quillon\\Stale]", "v='old'"});
  std::string error;
  ASSERT_TRUE(ParseRegText(Bytes(*file), target, &error)) << error;
  EXPECT_EQ(file, WriteRegText(target, "", user + "Software\\Quillon", true, true));
  EXPECT_EQ((Lines{"[]", "v='kept'"}), DumpTree(target, user + "Software\\Other"));
  EXPECT_EQ("one\rtwo\r\nthree\n\\\"\x0E", target.ReadString(user + exotic, "Text"));
}

// Bytes per line of a binary value: lines wrap after the comma that passes column 76, counted in
// characters, not bytes.
TEST(WriteRegText, BinaryWrapsAfterTheCommaPastColumn76) {
  std::string wideName;
  for (int i = 0; i < 35; ++i) wideName += "\xC3\xA9";  // 35 characters, 70 bytes of UTF-8
  const std::tuple<std::string, std::size_t, std::vector<std::size_t>> cases[] = {
      {"Bin", 23, {23}},
      {"Bin", 24, {23, 1}},
      {"Bin", 100, {23, 25, 25, 25, 2}},
      {std::string(70, 'n'), 3, {1, 2}},
      {wideName, 14, {12, 2}}};
  for (const auto& [name, size, bytesPerLine] : cases) {
    SCOPED_TRACE(std::to_string(size) + " bytes, name of " + std::to_string(name.size()));
    MemoryRegistry store;
    store.WriteBinary(kKey, name, std::vector<uint8_t>(size));
    std::u16string text = Units(WriteRegText(store, kRoot, kKey, false, false));
    text = text.substr(text.find(u"=hex:") + 5);
    std::vector<std::size_t> perLine;
    for (std::size_t end = 0; end != std::u16string::npos; text = text.substr(end + 6)) {
      end = text.find(u",\\\r\n  ");  // a line that goes on: the next one is indented by two
      perLine.push_back((std::min(end, text.find(u"\r\n")) + 1) / 3);
      if (end == std::u16string::npos) break;
    }
    EXPECT_EQ(bytesPerLine, perLine);
  }
}

TEST(ParseRegText, ReadsEveryFormOfTheFile) {
  const std::u16string text =
      u"Windows Registry Editor Version 5.00\r\n\r\n; a comment\r\n"
      u"[hkey_current_user\\Software\\Test]\r\n\"s\"=\"x\\\"y\\\\z \u00e9\"\r\n@=\"default\"\r\n"
      u"\"short\"=dword:1F\r\n\"bin\"=hex:01,2,ff,\\\r\n  0a,\\\r\n\t0B\r\n\"none\"=hex:\r\n"
      u"\"binary3\"=hex(3):07\r\n\"expand\"=hex(2):25,00,00,00\r\n\"multi line\"=\"a\r\r\nb\"\r\n"
      u"  \"spaced\"  =  dword:00000002  \r\n\r\n[HKEY_CURRENT_USER\\Software\\Test\\Empty]\r\n";
  MemoryRegistry store;
  std::string error;
  ASSERT_TRUE(ParseRegText(Utf16File(text), store, &error)) << error;
  EXPECT_EQ(
      (Lines{"[]", "[HKEY_CURRENT_USER]", "[HKEY_CURRENT_USER\\Software]",
             "[HKEY_CURRENT_USER\\Software\\Test]", "s='x\"y\\z \xC3\xA9'", "='default'",
             "short=31", "bin=hex:01,02,ff,0a,0b", "none=hex:", "binary3=hex:07", "expand?",
             "multi line='a\r\nb'", "spaced=2", "[HKEY_CURRENT_USER\\Software\\Test\\Empty]"}),
      DumpTree(store, ""));
}

TEST(ParseRegText, ReadsUtf8AndAnsiFilesAndAppliesDeletions) {
  const std::string keep = "[HKEY_CURRENT_USER\\Keep]\r\n\"gone\"=-\r\n@=-\r\n";
  const std::pair<const char*, std::string> cases[] = {
      {"ANSI REGEDIT4", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"s\"=\"caf\xE9\"\r\n" + keep},
      {"UTF-8 with BOM, LF only",
       "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\K]\n"
       "\"s\"=\"caf\xC3\xA9\"\n[-HKEY_CURRENT_USER\\Old]\n\"ignored\"=\"in no key\"\n" +
           keep},
      {"UTF-8, no last line end", "REGEDIT4\n[-HKEY_CURRENT_USER\\Never\\There]\n" + keep +
                                      "[HKEY_LOCAL_MACHINE\\K]\n\"s\"=\"caf\xC3\xA9\""},
  };
  for (const auto& [what, bytes] : cases) {
    MemoryRegistry store;
    PutTree(store, "HKEY_CURRENT_USER", {"[Old\\Sub]", "v='1'", "[Keep]", "gone='1'", "stays='1'"});
    std::string error;
    ASSERT_TRUE(ParseRegText(Bytes(bytes), store, &error)) << what << ": " << error;
    EXPECT_EQ("caf\xC3\xA9", store.ReadString("HKEY_LOCAL_MACHINE\\K", "s")) << what;
    EXPECT_EQ((std::vector<std::string>{"stays"}), store.ValueNames("HKEY_CURRENT_USER\\Keep"));
  }
}

// The store is left as it was, also when the error comes after a deletion and a new key.
TEST(ParseRegText, BadInputFailsWithTheLineAndChangesNothing) {
  const std::string header = kHeader;
  const std::string key = "[HKEY_CURRENT_USER\\K]\r\n";
  std::string deep = "[HKEY_CURRENT_USER";
  for (int i = 0; i < 513; ++i) deep += "\\k";
  const std::pair<std::string, std::string> cases[] = {
      {"", "line 1: not a registry file"},
      {std::string("\xFE\xFF\0R", 4), "UTF-16 big-endian"},
      {header + "\"v\"=\"x\"\r\n", "line 2: a value before the first key line"},
      {header + "[HKEY_NOWHERE\\K]\r\n", "line 2: unknown root key \"HKEY_NOWHERE\""},
      {header + "[HKEY_CURRENT_USER\\K\r\n", "line 2: a key line must end with ']'"},
      {header + "[]\r\n", "line 2: a key line names no key"},
      {header + "\r\n" + deep + "]\r\n", "line 3: the key path is too deep"},
      {header + "[HKEY_CURRENT_USER\\" + std::string(256, 'k') + "]", "line 2: a key name is too"},
      {header + key + "\"v\"=\"open\r\n[HKEY_CURRENT_USER\\L]\r\n", "line 3: a string without"},
      {header + key + "\"v=\"x\"\r\n", "line 3: '=' expected"},
      {header + key + "\"v\"=qword:1\r\n", "line 3: unknown value type"},
      {header + key + "\"v\"=dword:123456789\r\n", "line 3: a dword needs 1 to 8"},
      {header + key + "\"v\"=hex:01,zz\r\n", "line 3: a hexadecimal byte expected"},
      {header + key + "\"v\"=hex:01,\\", "line 3: the file ends after a continuing"},
      {header + key + "\"v\"=hex(2)00\r\n", "line 3: ':' expected after hex"},
      {header + key + "garbage\r\n", "line 3: unexpected text"},
      {header +
           "[-HKEY_CURRENT_USER\\K]\r\n[HKEY_CURRENT_USER\\New]\r\n\"v\"=\"2\"\r\n\"w\"=dword:zz",
       "line 5: a dword needs 1 to 8"},
  };
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(text.substr(0, 80));
    MemoryRegistry store;
    store.WriteString("HKEY_CURRENT_USER\\K", "before", "1");
    std::string error;
    EXPECT_FALSE(ParseRegText(Bytes(text), store, &error));
    EXPECT_EQ(message, error.substr(0, message.size()));
    EXPECT_FALSE(ParseRegText(Utf16File(Widened(text)), store))
        << "also as UTF-16 and without an error text";
    EXPECT_EQ((Lines{"[]", "[HKEY_CURRENT_USER]", "[HKEY_CURRENT_USER\\K]", "before='1'"}),
              DumpTree(store, ""));
  }
}

}  // namespace
}  // namespace tavion
