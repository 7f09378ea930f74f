#pragma once
// What every RegistryStore must do, as a type-parameterised test suite. A test file instantiates
// it with a factory type that has `static std::unique_ptr<RegistryStore> Make()`, an empty store:
//   INSTANTIATE_TYPED_TEST_SUITE_P(Memory, RegistryStoreContract, MemoryRegistryFactory);

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "registry_dump.h"
#include "settings/registry.h"

namespace tavion {

using Lines = std::vector<std::string>;

template <typename Factory>
class RegistryStoreContract : public testing::Test {
 protected:
  std::unique_ptr<RegistryStore> store_ = Factory::Make();
  RegistryStore& store() { return *store_; }
};

TYPED_TEST_SUITE_P(RegistryStoreContract);

TYPED_TEST_P(RegistryStoreContract, MissingReadsAsNothingAndPathsIgnoreCaseAndEmptyParts) {
  RegistryStore& r = this->store();
  EXPECT_EQ(std::tuple(false, std::nullopt, std::nullopt, true, true),
            std::tuple(r.KeyExists("Nope"), r.ReadString("Nope", "v"), r.TypeOf("Nope", "v"),
                       r.DeleteValue("Nope", "v"), r.DeleteKey("Nope\\Deeper")));
  EXPECT_EQ(Lines{"[]"}, DumpTree(r, "Nope"));
  ASSERT_TRUE(r.WriteString("One\\Two\\Three", "v", "x"));
  EXPECT_TRUE(r.KeyExists("\\One\\\\two\\three\\"));
  EXPECT_EQ("x", r.ReadString("ONE\\two\\THREE", "V"));
  ASSERT_TRUE(r.CreateKey("One\\Four\\Five"));
  EXPECT_EQ((Lines{"[]", "[Four]", "[Four\\Five]", "[Two]", "[Two\\Three]", "v='x'"}),
            DumpTree(r, "one"));
}

// Each type reads back only as itself; a string ends at its first NUL; a value written again takes
// the new type.
TYPED_TEST_P(RegistryStoreContract, TypedValuesRoundTripAndReadOnlyAsTheirType) {
  RegistryStore& r = this->store();
  const std::string utf8 = "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC \xF0\x9F\x8E\xB9";
  std::string longText;
  while (longText.size() < 100 * 1024) longText += utf8 + "\x0E\x0E";
  ASSERT_TRUE(r.WriteString("L", "long", longText));
  EXPECT_EQ(longText, r.ReadString("L", "long"));
  ASSERT_TRUE(r.WriteString("K", "nul", std::string_view("ab\0cd", 5)));
  ASSERT_TRUE(r.WriteBinary("K", "bytes", std::vector<uint8_t>{0, 1, 0xFF, 0, 0x80}));
  ASSERT_TRUE(r.WriteBinary("K", "none", {}));
  ASSERT_TRUE(r.WriteBinary("K", "b4", std::vector<uint8_t>{12, 0, 0, 0}));
  ASSERT_TRUE(r.WriteInteger("K", "gone", 2) && r.DeleteValue("K", "gone"));
  PutTree(r, "K",
          {"text='" + utf8 + "'", "='default value'", "max=4294967295", "was=1", "was='now text'"});
  Lines values = DumpValues(r, "k");
  std::sort(values.begin(), values.end());
  EXPECT_EQ(
      (Lines{"='default value'", "b4=hex:0c,00,00,00", "bytes=hex:00,01,ff,00,80", "max=4294967295",
             "none=hex:", "nul='ab'", "text='" + utf8 + "'", "was='now text'"}),
      values);
  EXPECT_EQ(
      std::tuple(std::nullopt, std::nullopt, std::nullopt),
      std::tuple(r.ReadString("K", "max"), r.ReadBinary("K", "max"), r.ReadBinary("K", "text")));
  EXPECT_EQ((std::array<std::optional<RegistryValueType>, 4>{
                RegistryValueType::kString, RegistryValueType::kInteger, RegistryValueType::kBinary,
                std::nullopt}),
            (std::array{r.TypeOf("K", ""), r.TypeOf("K", "max"), r.TypeOf("K", "none"),
                        r.TypeOf("K", "gone")}));
}

TYPED_TEST_P(RegistryStoreContract, ReadsAreBounded) {
  RegistryStore& r = this->store();
  ASSERT_TRUE(r.WriteString("K", "wide", "\xC3\xA9\xC3\xA9"));  // 2 characters, 4 bytes
  ASSERT_TRUE(r.WriteBinary("K", "b", std::vector<uint8_t>(8, 7)));
  EXPECT_EQ("\xC3\xA9\xC3\xA9", r.ReadString("K", "wide", 4));
  EXPECT_EQ(std::nullopt, r.ReadString("K", "wide", 3));
  EXPECT_EQ(std::vector<uint8_t>(8, 7), r.ReadBinary("K", "b", 8));
  EXPECT_EQ(std::nullopt, r.ReadBinary("K", "b", 7));
}

// Windows lists values in creation order, Wine sorted by name; both list each value once, and a
// value replaced keeps the spelling it was created with. Sub-keys come sorted ignoring case
// (names between 'Z' and 'a' sort differently in the two; these sort alike).
TYPED_TEST_P(RegistryStoreContract, ValuesEnumerateOnceEachAndSubKeysSorted) {
  RegistryStore& r = this->store();
  for (const char* name : {"zeta", "Alpha", "002", "001"})
    ASSERT_TRUE(r.WriteInteger("K", name, 1));
  ASSERT_TRUE(r.WriteString("K", "ALPHA", "now a string"));
  ASSERT_TRUE(r.DeleteValue("K", "002"));
  ASSERT_TRUE(r.WriteInteger("K", "002", 2));
  std::vector<std::string> names = r.ValueNames("K");
  std::sort(names.begin(), names.end());
  EXPECT_EQ((std::vector<std::string>{"001", "002", "Alpha", "zeta"}), names);
  for (const char* name : {"beta", "Zed", "Alpha", "123", "ALPHA2", "BETA"})
    ASSERT_TRUE(r.CreateKey(std::string("K\\") + name));
  EXPECT_EQ((std::vector<std::string>{"123", "Alpha", "ALPHA2", "beta", "Zed"}),
            r.SubKeyNames("K"));
}

TYPED_TEST_P(RegistryStoreContract, DeleteKeyRemovesTheWholeTreeOnly) {
  RegistryStore& r = this->store();
  PutTree(r, "A", {"keep='1'", "[B\\C\\D]", "v='3'", "[Bee]", "v='4'"});
  ASSERT_TRUE(r.DeleteKey("a\\b"));
  EXPECT_EQ((std::vector<std::string>{"[]", "keep='1'", "[Bee]", "v='4'"}), DumpTree(r, "A"));
  ASSERT_TRUE(r.DeleteKey(""));
  EXPECT_EQ(std::vector<std::string>{"[]"}, DumpTree(r, ""));
  ASSERT_TRUE(r.WriteString("A", "again", "3"));
  EXPECT_EQ("3", r.ReadString("A", "again"));
}

// A store that keeps keys open must not write through to a key after it was renamed or deleted.
TYPED_TEST_P(RegistryStoreContract, OldPathsNameNewKeysAfterRenameOrDelete) {
  RegistryStore& r = this->store();
  PutTree(r, "P", {"[Old\\Sub]", "v='1'", "[Gone\\Sub]", "v='1'"});
  ASSERT_TRUE(r.RenameKey("P\\Old", "New"));
  ASSERT_TRUE(r.WriteString("P\\Old\\Sub", "v", "2"));
  ASSERT_TRUE(r.DeleteKey("P\\Gone"));
  ASSERT_TRUE(r.WriteString("P\\Gone\\Sub", "v", "2"));
  EXPECT_EQ((Lines{"[]", "[Gone]", "[Gone\\Sub]", "v='2'", "[New]", "[New\\Sub]", "v='1'", "[Old]",
                   "[Old\\Sub]", "v='2'"}),
            DumpTree(r, "P"));
}

TYPED_TEST_P(RegistryStoreContract, RenameKeyRefusesAndChangesNothing) {
  RegistryStore& r = this->store();
  PutTree(r, "P", {"[A]", "v='a'", "[B]", "v='b'"});
  const std::pair<const char*, const char*> cases[] = {
      {"P\\A", "B"},       {"P\\A", "b"},       {"P\\A", "a"},  // exists, in any case; the same key
      {"P\\Missing", "C"}, {"Missing\\A", "C"},                 // the key or its parent is missing
      {"P\\A", ""},        {"P\\A", "X\\Y"},    {"", "Root"},  {"\\\\", "Root"},
  };
  for (const auto& [path, newName] : cases) EXPECT_FALSE(r.RenameKey(path, newName)) << path;
  EXPECT_EQ((Lines{"[]", "[P]", "[P\\A]", "v='a'", "[P\\B]", "v='b'"}), DumpTree(r, ""));
}

// Renames that move a key among its siblings: to the slot right after its own, past the last one,
// backwards, and the last of a growing row. The whole tree moves; every sibling stays.
TYPED_TEST_P(RegistryStoreContract, RenameKeyMovesTheTreeAndKeepsEverySibling) {
  RegistryStore& r = this->store();
  using Names = std::vector<std::string>;
  std::vector<std::tuple<Names, std::string, std::string>> cases = {
      {{"B", "C", "E"}, "C", "D"},
      {{"B", "C", "E", "G"}, "C", "F"},
      {{"B", "C", "E"}, "E", "A"},
      {{"Default", "~saving~Default"}, "Default", "~previous~Default"},
      {{"~previous~Default", "~saving~Default"}, "~saving~Default", "Default"},
  };
  for (Names row; row.size() < 12; cases.emplace_back(row, row.back(), "z"))
    row.push_back("k" + std::to_string(100 + row.size()));
  for (std::size_t c = 0; c < cases.size(); ++c) {
    const auto& [siblings, from, to] = cases[c];
    const std::string parent = "R" + std::to_string(c) + "\\";
    SCOPED_TRACE(parent + from + " -> " + to);
    for (const std::string& name : siblings) ASSERT_TRUE(r.WriteString(parent + name, "v", name));
    ASSERT_TRUE(r.WriteInteger(parent + from + "\\Sub\\Deep", "i", 7));
    ASSERT_TRUE(r.RenameKey("r" + parent.substr(1) + from, to));
    Names expected = {to};
    for (const std::string& name : siblings) {
      if (name != from) expected.push_back(name);
      EXPECT_EQ(name, r.ReadString(parent + (name == from ? to : name), "v"));
    }
    std::sort(expected.begin(), expected.end(), RegistryNameLess);
    EXPECT_EQ(expected, r.SubKeyNames(parent));
    EXPECT_EQ(7u, r.ReadInteger(parent + to + "\\Sub\\Deep", "i"));
  }
}

REGISTER_TYPED_TEST_SUITE_P(RegistryStoreContract,
                            MissingReadsAsNothingAndPathsIgnoreCaseAndEmptyParts,
                            TypedValuesRoundTripAndReadOnlyAsTheirType, ReadsAreBounded,
                            ValuesEnumerateOnceEachAndSubKeysSorted,
                            DeleteKeyRemovesTheWholeTreeOnly,
                            OldPathsNameNewKeysAfterRenameOrDelete,
                            RenameKeyRefusesAndChangesNothing,
                            RenameKeyMovesTheTreeAndKeepsEverySibling);

}  // namespace tavion
