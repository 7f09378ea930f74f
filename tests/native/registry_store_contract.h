#pragma once
// What every RegistryStore must do, as a type-parameterised test suite. A test file instantiates
// it with a factory type that has `static std::unique_ptr<RegistryStore> Make()`, an empty store:
//   INSTANTIATE_TYPED_TEST_SUITE_P(Memory, RegistryStoreContract, MemoryRegistryFactory);

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "registry_dump.h"
#include "settings/registry.h"

namespace tavion {

template <typename Factory>
class RegistryStoreContract : public testing::Test {
 protected:
  std::unique_ptr<RegistryStore> store_ = Factory::Make();
  RegistryStore& store() { return *store_; }
};

TYPED_TEST_SUITE_P(RegistryStoreContract);

TYPED_TEST_P(RegistryStoreContract, MissingReadsAsNothingAndPathsIgnoreCaseAndEmptyParts) {
  RegistryStore& r = this->store();
  EXPECT_FALSE(r.KeyExists("Nope"));
  EXPECT_EQ(std::nullopt, r.ReadString("Nope", "v"));
  EXPECT_EQ(std::nullopt, r.TypeOf("Nope", "v"));
  EXPECT_TRUE(r.ValueNames("Nope").empty());
  EXPECT_TRUE(r.SubKeyNames("Nope").empty());
  EXPECT_TRUE(r.DeleteValue("Nope", "v"));
  EXPECT_TRUE(r.DeleteKey("Nope\\Deeper"));
  ASSERT_TRUE(r.WriteString("One\\Two\\Three", "v", "x"));
  EXPECT_TRUE(r.KeyExists("\\One\\\\two\\three\\"));
  EXPECT_EQ("x", r.ReadString("ONE\\two\\THREE", "V"));
  EXPECT_EQ(std::nullopt, r.ReadString("One", "v"));
  EXPECT_EQ(std::vector<std::string>{"Two"}, r.SubKeyNames("one"));
  ASSERT_TRUE(r.CreateKey("One\\Four\\Five"));
  EXPECT_TRUE(r.KeyExists("One\\Four\\Five"));
}

// Each type reads back only as itself; a string ends at its first NUL.
TYPED_TEST_P(RegistryStoreContract, TypedValuesRoundTripAndReadOnlyAsTheirType) {
  RegistryStore& r = this->store();
  const std::string utf8 = "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC \xF0\x9F\x8E\xB9";
  std::string longText;
  while (longText.size() < 100 * 1024) longText += utf8 + "\x0E\x0E";
  const std::vector<uint8_t> bytes = {0, 1, 0xFF, 0, 0x80};
  ASSERT_TRUE(r.WriteString("K", "text", utf8));
  ASSERT_TRUE(r.WriteString("K", "long", longText));
  ASSERT_TRUE(r.WriteString("K", "", "default value"));
  ASSERT_TRUE(r.WriteString("K", "nul", std::string_view("ab\0cd", 5)));
  ASSERT_TRUE(r.WriteInteger("K", "max", 0xFFFFFFFF));
  ASSERT_TRUE(r.WriteBinary("K", "bytes", bytes));
  ASSERT_TRUE(r.WriteBinary("K", "none", {}));
  EXPECT_EQ(utf8, r.ReadString("k", "TEXT"));
  EXPECT_EQ(longText, r.ReadString("K", "long"));
  EXPECT_EQ("default value", r.ReadString("K", ""));
  EXPECT_EQ("ab", r.ReadString("K", "nul"));
  EXPECT_EQ(0xFFFFFFFFu, r.ReadInteger("K", "max"));
  EXPECT_EQ(bytes, r.ReadBinary("K", "bytes"));
  EXPECT_EQ(std::vector<uint8_t>{}, r.ReadBinary("K", "none"));
  EXPECT_EQ(RegistryValueType::kString, r.TypeOf("K", ""));
  EXPECT_EQ(RegistryValueType::kInteger, r.TypeOf("K", "max"));
  EXPECT_EQ(RegistryValueType::kBinary, r.TypeOf("K", "none"));
  ASSERT_TRUE(r.WriteBinary("K", "b4", std::vector<uint8_t>{12, 0, 0, 0}));
  EXPECT_EQ(std::nullopt, r.ReadInteger("K", "b4"));
  EXPECT_EQ(std::nullopt, r.ReadString("K", "b4"));
  EXPECT_EQ(std::nullopt, r.ReadInteger("K", "text"));
  EXPECT_EQ(std::nullopt, r.ReadBinary("K", "text"));
  EXPECT_EQ(std::nullopt, r.ReadString("K", "max"));
  EXPECT_EQ(std::nullopt, r.ReadBinary("K", "max"));
  ASSERT_TRUE(r.WriteInteger("K", "text", 2));
  EXPECT_EQ(RegistryValueType::kInteger, r.TypeOf("K", "text"));
  ASSERT_TRUE(r.DeleteValue("K", "max"));
  EXPECT_EQ(std::nullopt, r.TypeOf("K", "max"));
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
  ASSERT_TRUE(r.WriteString("P\\Old\\Sub", "v", "1"));
  ASSERT_TRUE(r.WriteString("P\\Gone\\Sub", "v", "1"));
  ASSERT_TRUE(r.RenameKey("P\\Old", "New"));
  ASSERT_TRUE(r.WriteString("P\\Old\\Sub", "v", "2"));
  ASSERT_TRUE(r.DeleteKey("P\\Gone"));
  ASSERT_TRUE(r.WriteString("P\\Gone\\Sub", "v", "2"));
  EXPECT_EQ("1", r.ReadString("P\\New\\Sub", "v"));
  EXPECT_EQ("2", r.ReadString("P\\Old\\Sub", "v"));
  EXPECT_EQ("2", r.ReadString("P\\Gone\\Sub", "v"));
}

TYPED_TEST_P(RegistryStoreContract, RenameKeyRefusesAndChangesNothing) {
  RegistryStore& r = this->store();
  ASSERT_TRUE(r.WriteString("P\\A", "v", "a"));
  ASSERT_TRUE(r.WriteString("P\\B", "v", "b"));
  const std::pair<const char*, const char*> cases[] = {
      {"P\\A", "B"},       {"P\\A", "b"},       {"P\\A", "a"},  // exists, in any case; the same key
      {"P\\Missing", "C"}, {"Missing\\A", "C"},                 // the key or its parent is missing
      {"P\\A", ""},        {"P\\A", "X\\Y"},    {"", "Root"},  {"\\\\", "Root"},
  };
  for (const auto& [path, newName] : cases) EXPECT_FALSE(r.RenameKey(path, newName)) << path;
  EXPECT_EQ((std::vector<std::string>{"A", "B"}), r.SubKeyNames("P"));
  EXPECT_EQ("a", r.ReadString("P\\A", "v"));
  EXPECT_EQ("b", r.ReadString("P\\B", "v"));
  EXPECT_EQ((std::vector<std::string>{"P"}), r.SubKeyNames(""));
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
