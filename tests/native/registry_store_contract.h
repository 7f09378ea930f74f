#pragma once
// What every RegistryStore must do, as a type-parameterised test suite. A test file instantiates
// it with a factory type that has `static std::unique_ptr<RegistryStore> Make()`, an empty store:
//   INSTANTIATE_TYPED_TEST_SUITE_P(Memory, RegistryStoreContract, MemoryRegistryFactory);

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "settings/registry.h"

namespace tavion {

template <typename Factory>
class RegistryStoreContract : public testing::Test {
 protected:
  std::unique_ptr<RegistryStore> store_ = Factory::Make();
  RegistryStore& store() { return *store_; }
};

TYPED_TEST_SUITE_P(RegistryStoreContract);

TYPED_TEST_P(RegistryStoreContract, MissingKeysAndValuesReadAsNothing) {
  RegistryStore& r = this->store();
  EXPECT_FALSE(r.KeyExists("Nope"));
  EXPECT_FALSE(r.ValueExists("Nope", "v"));
  EXPECT_EQ(std::nullopt, r.ReadString("Nope", "v"));
  EXPECT_EQ(std::nullopt, r.ReadInteger("Nope", "v"));
  EXPECT_EQ(std::nullopt, r.ReadBinary("Nope", "v"));
  EXPECT_TRUE(r.ValueNames("Nope").empty());
  EXPECT_TRUE(r.SubKeyNames("Nope").empty());
  ASSERT_TRUE(r.CreateKey("Empty"));
  EXPECT_EQ(std::nullopt, r.ReadString("Empty", "v"));
  EXPECT_TRUE(r.DeleteValue("Empty", "v"));
  EXPECT_TRUE(r.DeleteValue("Nope", "v"));
  EXPECT_TRUE(r.DeleteKey("Nope\\Deeper"));
}

TYPED_TEST_P(RegistryStoreContract, WritesCreateTheKeyPathAndPathsIgnoreCaseAndEmptyParts) {
  RegistryStore& r = this->store();
  ASSERT_TRUE(r.WriteString("One\\Two\\Three", "v", "x"));
  EXPECT_TRUE(r.KeyExists("One"));
  EXPECT_TRUE(r.KeyExists("one\\TWO"));
  EXPECT_TRUE(r.KeyExists("\\One\\\\two\\three\\"));
  EXPECT_EQ("x", r.ReadString("ONE\\two\\THREE", "V"));
  EXPECT_EQ(std::vector<std::string>{"Two"}, r.SubKeyNames("one"));
  ASSERT_TRUE(r.CreateKey("One\\Four\\Five"));
  EXPECT_TRUE(r.KeyExists("One\\Four\\Five"));
}

TYPED_TEST_P(RegistryStoreContract, TypedValuesRoundTrip) {
  RegistryStore& r = this->store();
  const std::string utf8 =
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x82\xAC \xF0\x9F\x8E\xB9";
  const std::vector<uint8_t> bytes = {0, 1, 0xFF, 0, 0x80};
  std::string longText;
  while (longText.size() < 100 * 1024) longText += utf8 + "\x0E\x0E";
  ASSERT_TRUE(r.WriteString("K", "text", utf8));
  ASSERT_TRUE(r.WriteString("K", "long", longText));
  ASSERT_TRUE(r.WriteString("K", "empty", ""));
  ASSERT_TRUE(r.WriteString("K", "", "default value"));
  ASSERT_TRUE(r.WriteInteger("K", "max", 0xFFFFFFFF));
  ASSERT_TRUE(r.WriteInteger("K", "zero", 0));
  ASSERT_TRUE(r.WriteBinary("K", "bytes", bytes));
  ASSERT_TRUE(r.WriteBinary("K", "none", {}));
  EXPECT_EQ(utf8, r.ReadString("K", "text"));
  EXPECT_EQ(longText, r.ReadString("K", "long"));
  EXPECT_EQ("", r.ReadString("K", "empty"));
  EXPECT_EQ("default value", r.ReadString("K", ""));
  EXPECT_EQ(0xFFFFFFFFu, r.ReadInteger("K", "max"));
  EXPECT_EQ(0u, r.ReadInteger("K", "zero"));
  EXPECT_EQ(bytes, r.ReadBinary("K", "bytes"));
  EXPECT_EQ(std::vector<uint8_t>{}, r.ReadBinary("K", "none"));
  EXPECT_TRUE(r.ValueExists("k", "TEXT"));
}

TYPED_TEST_P(RegistryStoreContract, ValuesOfAnotherTypeOrSizeReadAsNothing) {
  RegistryStore& r = this->store();
  ASSERT_TRUE(r.WriteString("K", "s", "12"));
  ASSERT_TRUE(r.WriteInteger("K", "i", 12));
  ASSERT_TRUE(r.WriteBinary("K", "b4", std::vector<uint8_t>{12, 0, 0, 0}));
  EXPECT_EQ(std::nullopt, r.ReadInteger("K", "s"));
  EXPECT_EQ(std::nullopt, r.ReadBinary("K", "s"));
  EXPECT_EQ(std::nullopt, r.ReadString("K", "i"));
  EXPECT_EQ(std::nullopt, r.ReadBinary("K", "i"));
  EXPECT_EQ(std::nullopt, r.ReadString("K", "b4"));
  EXPECT_EQ(std::nullopt, r.ReadInteger("K", "b4"));
  EXPECT_TRUE(r.ValueExists("K", "b4"));
}

TYPED_TEST_P(RegistryStoreContract, ReadsAreBounded) {
  RegistryStore& r = this->store();
  ASSERT_TRUE(r.WriteString("K", "s", "0123456789"));
  ASSERT_TRUE(r.WriteString("K", "wide", "\xC3\xA9\xC3\xA9"));  // 2 characters, 4 bytes
  ASSERT_TRUE(r.WriteBinary("K", "b", std::vector<uint8_t>(8, 7)));
  EXPECT_EQ("0123456789", r.ReadString("K", "s", 10));
  EXPECT_EQ(std::nullopt, r.ReadString("K", "s", 9));
  EXPECT_EQ("\xC3\xA9\xC3\xA9", r.ReadString("K", "wide", 4));
  EXPECT_EQ(std::nullopt, r.ReadString("K", "wide", 3));
  EXPECT_EQ(std::vector<uint8_t>(8, 7), r.ReadBinary("K", "b", 8));
  EXPECT_EQ(std::nullopt, r.ReadBinary("K", "b", 7));
}

TYPED_TEST_P(RegistryStoreContract, StringsEndAtTheFirstNul) {
  RegistryStore& r = this->store();
  ASSERT_TRUE(r.WriteString("K", "s", std::string_view("ab\0cd", 5)));
  EXPECT_EQ("ab", r.ReadString("K", "s"));
}

// Windows lists values in creation order, Wine sorted by name; both list each value once, and a
// value replaced keeps the spelling it was created with.
TYPED_TEST_P(RegistryStoreContract, ValuesEnumerateOnceEach) {
  RegistryStore& r = this->store();
  for (const char* name : {"zeta", "Alpha", "002", "001", "mid"})
    ASSERT_TRUE(r.WriteInteger("K", name, 1));
  ASSERT_TRUE(r.WriteString("K", "ALPHA", "now a string"));
  ASSERT_TRUE(r.DeleteValue("K", "002"));
  ASSERT_TRUE(r.WriteInteger("K", "002", 2));
  std::vector<std::string> names = r.ValueNames("K");
  std::sort(names.begin(), names.end());
  EXPECT_EQ((std::vector<std::string>{"001", "002", "Alpha", "mid", "zeta"}), names);
  EXPECT_EQ("now a string", r.ReadString("K", "alpha"));
  EXPECT_EQ(std::nullopt, r.ReadInteger("K", "alpha"));
  EXPECT_EQ(2u, r.ReadInteger("K", "002"));
}

// Names with characters between 'Z' and 'a' sort differently in Windows (by upper case) and in
// Wine (by lower case); these names sort alike in both.
TYPED_TEST_P(RegistryStoreContract, SubKeysEnumerateSortedIgnoringCase) {
  RegistryStore& r = this->store();
  for (const char* name : {"beta", "Zed", "Alpha", "123", "gamma", "ALPHA2"})
    ASSERT_TRUE(r.CreateKey(std::string("K\\") + name));
  ASSERT_TRUE(r.CreateKey("k\\BETA"));  // the same key again
  EXPECT_EQ((std::vector<std::string>{"123", "Alpha", "ALPHA2", "beta", "gamma", "Zed"}),
            r.SubKeyNames("K"));
}

TYPED_TEST_P(RegistryStoreContract, DeleteKeyRemovesTheWholeTreeOnly) {
  RegistryStore& r = this->store();
  ASSERT_TRUE(r.WriteString("A", "keep", "1"));
  ASSERT_TRUE(r.WriteString("A\\B", "v", "2"));
  ASSERT_TRUE(r.WriteString("A\\B\\C\\D", "v", "3"));
  ASSERT_TRUE(r.WriteString("A\\Bee", "v", "4"));
  ASSERT_TRUE(r.DeleteKey("a\\b"));
  EXPECT_FALSE(r.KeyExists("A\\B"));
  EXPECT_FALSE(r.KeyExists("A\\B\\C\\D"));
  EXPECT_EQ("1", r.ReadString("A", "keep"));
  EXPECT_EQ("4", r.ReadString("A\\Bee", "v"));
  EXPECT_EQ(std::vector<std::string>{"Bee"}, r.SubKeyNames("A"));
}

TYPED_TEST_P(RegistryStoreContract, DeletingTheRootEmptiesIt) {
  RegistryStore& r = this->store();
  ASSERT_TRUE(r.WriteString("", "top", "1"));
  ASSERT_TRUE(r.WriteString("A\\B", "v", "2"));
  ASSERT_TRUE(r.DeleteKey(""));
  EXPECT_TRUE(r.ValueNames("").empty());
  EXPECT_TRUE(r.SubKeyNames("").empty());
  EXPECT_FALSE(r.KeyExists("A"));
  ASSERT_TRUE(r.WriteString("A", "again", "3"));
  EXPECT_EQ("3", r.ReadString("A", "again"));
}

TYPED_TEST_P(RegistryStoreContract, TypeOfTellsTheStoredKind) {
  RegistryStore& r = this->store();
  ASSERT_TRUE(r.WriteString("K", "s", "1"));
  ASSERT_TRUE(r.WriteString("K", "", "default"));
  ASSERT_TRUE(r.WriteInteger("K", "i", 1));
  ASSERT_TRUE(r.WriteBinary("K", "b", std::vector<uint8_t>{1, 0, 0, 0}));
  ASSERT_TRUE(r.WriteBinary("K", "empty", {}));
  EXPECT_EQ(RegistryValueType::kString, r.TypeOf("k", "S"));
  EXPECT_EQ(RegistryValueType::kString, r.TypeOf("K", ""));
  EXPECT_EQ(RegistryValueType::kInteger, r.TypeOf("K", "i"));
  EXPECT_EQ(RegistryValueType::kBinary, r.TypeOf("K", "b"));
  EXPECT_EQ(RegistryValueType::kBinary, r.TypeOf("K", "empty"));
  EXPECT_EQ(std::nullopt, r.TypeOf("K", "missing"));
  EXPECT_EQ(std::nullopt, r.TypeOf("Missing", "s"));
  ASSERT_TRUE(r.WriteInteger("K", "s", 2));
  EXPECT_EQ(RegistryValueType::kInteger, r.TypeOf("K", "s"));
  ASSERT_TRUE(r.DeleteValue("K", "i"));
  EXPECT_EQ(std::nullopt, r.TypeOf("K", "i"));
}

TYPED_TEST_P(RegistryStoreContract, RenameKeyMovesTheWholeTree) {
  RegistryStore& r = this->store();
  ASSERT_TRUE(r.WriteString("P\\Old", "s", "top"));
  ASSERT_TRUE(r.WriteInteger("P\\Old\\Sub\\Deep", "i", 7));
  ASSERT_TRUE(r.WriteBinary("P\\Old\\Sub", "b", std::vector<uint8_t>{1, 2}));
  ASSERT_TRUE(r.CreateKey("P\\Other"));
  ASSERT_TRUE(r.RenameKey("p\\OLD", "Zulu"));
  EXPECT_FALSE(r.KeyExists("P\\Old"));
  EXPECT_EQ("top", r.ReadString("P\\Zulu", "s"));
  EXPECT_EQ(7u, r.ReadInteger("P\\Zulu\\Sub\\Deep", "i"));
  EXPECT_EQ((std::vector<uint8_t>{1, 2}), r.ReadBinary("P\\Zulu\\Sub", "b"));
  EXPECT_EQ((std::vector<std::string>{"Other", "Zulu"}), r.SubKeyNames("P"))
      << "the new name takes its sorted place";
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
  EXPECT_EQ((std::vector<std::string>{"Gone", "New", "Old"}), r.SubKeyNames("P"));
}

TYPED_TEST_P(RegistryStoreContract, RenameKeyRefusesAndChangesNothing) {
  RegistryStore& r = this->store();
  ASSERT_TRUE(r.WriteString("P\\A", "v", "a"));
  ASSERT_TRUE(r.WriteString("P\\B", "v", "b"));
  struct Case {
    const char* path;
    const char* newName;
    const char* why;
  };
  for (const Case& c :
       {Case{"P\\A", "B", "the new name exists"},
        Case{"P\\A", "b", "the new name exists in another case"},
        Case{"P\\A", "a", "only the case differs: the same key"},
        Case{"P\\Missing", "C", "the key is missing"},
        Case{"Missing\\A", "C", "the parent is missing"}, Case{"P\\A", "", "no new name"},
        Case{"P\\A", "X\\Y", "the new name is a path"},
        Case{"", "Root", "the root has no parent here"},
        Case{"\\\\", "Root", "the root, spelled with separators"}}) {
    EXPECT_FALSE(r.RenameKey(c.path, c.newName)) << c.why;
  }
  EXPECT_EQ((std::vector<std::string>{"A", "B"}), r.SubKeyNames("P"));
  EXPECT_EQ("a", r.ReadString("P\\A", "v"));
  EXPECT_EQ("b", r.ReadString("P\\B", "v"));
  EXPECT_EQ((std::vector<std::string>{"P"}), r.SubKeyNames(""));
}

// Renames that move a key among its siblings: to the slot right after its own, past the last one,
// backwards, and from a full row of siblings. Every sibling stays, with its own value.
TYPED_TEST_P(RegistryStoreContract, RenameKeyKeepsEverySibling) {
  RegistryStore& r = this->store();
  struct Case {
    std::vector<std::string> siblings;
    std::string from;
    std::string to;
  };
  std::vector<Case> cases = {
      {{"B", "C", "E"}, "C", "D"},
      {{"B", "C", "E", "G"}, "C", "F"},
      {{"B", "C", "E"}, "E", "A"},
      {{"B", "C", "E"}, "B", "Z"},
      {{"Default", "~saving~Default"}, "Default", "~previous~Default"},
      {{"~previous~Default", "~saving~Default"}, "~saving~Default", "Default"},
  };
  for (std::size_t count = 1; count <= 12; ++count) {
    Case last{{}, {}, "z"};
    for (std::size_t i = 0; i < count; ++i) last.siblings.push_back("k" + std::to_string(100 + i));
    last.from = last.siblings.back();
    cases.push_back(last);
  }
  for (std::size_t c = 0; c < cases.size(); ++c) {
    const Case& test = cases[c];
    const std::string parent = "R" + std::to_string(c);
    SCOPED_TRACE(parent + ": " + test.from + " -> " + test.to);
    for (const std::string& name : test.siblings)
      ASSERT_TRUE(r.WriteString(parent + "\\" + name, "v", name));
    ASSERT_TRUE(r.RenameKey(parent + "\\" + test.from, test.to));
    std::vector<std::string> expected;
    for (const std::string& name : test.siblings) {
      if (name != test.from) expected.push_back(name);
    }
    expected.push_back(test.to);
    std::sort(expected.begin(), expected.end(), RegistryNameLess);
    EXPECT_EQ(expected, r.SubKeyNames(parent));
    for (const std::string& name : test.siblings) {
      const std::string now = name == test.from ? test.to : name;
      EXPECT_EQ(name, r.ReadString(parent + "\\" + now, "v")) << now;
    }
  }
}

REGISTER_TYPED_TEST_SUITE_P(RegistryStoreContract, MissingKeysAndValuesReadAsNothing,
                            WritesCreateTheKeyPathAndPathsIgnoreCaseAndEmptyParts,
                            TypedValuesRoundTrip, ValuesOfAnotherTypeOrSizeReadAsNothing,
                            ReadsAreBounded, StringsEndAtTheFirstNul, ValuesEnumerateOnceEach,
                            SubKeysEnumerateSortedIgnoringCase, DeleteKeyRemovesTheWholeTreeOnly,
                            DeletingTheRootEmptiesIt, TypeOfTellsTheStoredKind,
                            RenameKeyMovesTheWholeTree, OldPathsNameNewKeysAfterRenameOrDelete,
                            RenameKeyRefusesAndChangesNothing, RenameKeyKeepsEverySibling);

}  // namespace tavion
