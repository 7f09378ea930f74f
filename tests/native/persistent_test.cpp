#include "actions/persistent.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "doubles/failing_registry.h"
#include "registry_dump.h"

namespace tavion {
namespace {

enum class Shade : uint8_t { kRed, kGreen, kBlue };

class Leaf final : public Persistent {
 public:
  std::span<const Property> Properties() const override {
    static constexpr Property kProperties[] = {StringField<&Leaf::Note>("Note"),
                                               IntegerField<&Leaf::Count>("Count")};
    return kProperties;
  }

  std::string Note;
  int32_t Count = 0;
};

// One property of every kind and integer width.
class Sample final : public Persistent {
 public:
  std::span<const Property> Properties() const override {
    static constexpr Property kProperties[] = {
        IntegerField<&Sample::I8>("I8"),
        IntegerField<&Sample::U8>("U8"),
        IntegerField<&Sample::I16>("I16"),
        IntegerField<&Sample::U16>("U16"),
        IntegerField<&Sample::I32>("I32"),
        IntegerField<&Sample::U32>("U32"),
        BooleanField<&Sample::Flag>("Flag"),
        EnumerationField<&Sample::Colour>("Colour", static_cast<uint32_t>(Shade::kBlue)),
        StringField<&Sample::Text>("Text"),
        ObjectField<&Sample::Inner>("Inner"),
        ObjectField<&Sample::Extra>("Extra"),
    };
    return kProperties;
  }

  int8_t I8 = 0;
  uint8_t U8 = 0;
  int16_t I16 = 0;
  uint16_t U16 = 0;
  int32_t I32 = 0;
  uint32_t U32 = 0;
  bool Flag = false;
  Shade Colour = Shade::kRed;
  std::string Text;
  Leaf Inner;
  std::unique_ptr<Leaf> Extra;
};

constexpr const char* kPath = "Root\\Objects";
constexpr const char* kKey = "Root\\Objects\\S";

bool Save(Persistent& object, RegistryStore& store) {
  return WriteObject(object, store, kPath, "S", /*load=*/false);
}
void Load(Persistent& object, RegistryStore& store) {
  EXPECT_TRUE(WriteObject(object, store, kPath, "S", /*load=*/true));
}

TEST(Walker, SavesOnlyValuesThatAreNotDefaultInTableOrder) {
  MemoryRegistry store;
  Sample sample;
  sample.Text = "hello";
  sample.U32 = 7;
  sample.Colour = Shade::kBlue;
  sample.Flag = true;
  sample.I16 = -5;
  sample.Inner.Count = 3;
  ASSERT_TRUE(Save(sample, store));
  EXPECT_EQ(
      (std::vector<std::string>{"I16=4294967291", "U32=7", "Flag=1", "Colour=2", "Text='hello'"}),
      DumpValues(store, kKey));
  EXPECT_EQ((std::vector<std::string>{"Count=3"}), DumpValues(store, "Root\\Objects\\S\\Inner"));
}

TEST(Walker, DefaultsLeaveEmptyKeysForEveryObjectPresentAndNoneForAbsentOnes) {
  MemoryRegistry store;
  Sample sample;
  ASSERT_TRUE(Save(sample, store));
  EXPECT_TRUE(store.KeyExists(kKey));
  EXPECT_TRUE(store.ValueNames(kKey).empty());
  EXPECT_EQ(std::vector<std::string>{"Inner"}, store.SubKeyNames(kKey));
  EXPECT_TRUE(store.ValueNames("Root\\Objects\\S\\Inner").empty());

  sample.Extra = std::make_unique<Leaf>();
  ASSERT_TRUE(Save(sample, store));
  EXPECT_EQ((std::vector<std::string>{"Extra", "Inner"}), store.SubKeyNames(kKey));
}

TEST(Walker, EveryKindRoundTripsAtTheEdgesOfItsWidth) {
  struct Case {
    int8_t i8;
    uint8_t u8;
    int16_t i16;
    uint16_t u16;
    int32_t i32;
    uint32_t u32;
  };
  const Case cases[] = {
      {-128, 255, -32768, 65535, std::numeric_limits<int32_t>::min(), 0xFFFFFFFF},
      {127, 1, 32767, 1, std::numeric_limits<int32_t>::max(), 1},
      {-1, 128, -1, 32768, -1, 0x80000000},
  };
  for (const Case& c : cases) {
    MemoryRegistry store;
    Sample saved;
    saved.I8 = c.i8;
    saved.U8 = c.u8;
    saved.I16 = c.i16;
    saved.U16 = c.u16;
    saved.I32 = c.i32;
    saved.U32 = c.u32;
    saved.Flag = true;
    saved.Colour = Shade::kGreen;
    saved.Text = "Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC";
    saved.Inner.Note = "inner";
    saved.Extra = std::make_unique<Leaf>();
    saved.Extra->Count = -9;
    ASSERT_TRUE(Save(saved, store));

    Sample loaded;
    loaded.Extra = std::make_unique<Leaf>();
    Load(loaded, store);
    EXPECT_EQ(c.i8, loaded.I8);
    EXPECT_EQ(c.u8, loaded.U8);
    EXPECT_EQ(c.i16, loaded.I16);
    EXPECT_EQ(c.u16, loaded.U16);
    EXPECT_EQ(c.i32, loaded.I32);
    EXPECT_EQ(c.u32, loaded.U32);
    EXPECT_TRUE(loaded.Flag);
    EXPECT_EQ(Shade::kGreen, loaded.Colour);
    EXPECT_EQ(saved.Text, loaded.Text);
    EXPECT_EQ("inner", loaded.Inner.Note);
    EXPECT_EQ(-9, loaded.Extra->Count);
  }
}

TEST(Walker, LoadedDwordsAreNarrowedIntoTheWidth) {
  MemoryRegistry store;
  store.WriteInteger(kKey, "I8", 0x1FF);
  store.WriteInteger(kKey, "U8", 0x1FF);
  store.WriteInteger(kKey, "I16", 0x18000);
  store.WriteInteger(kKey, "U16", 0x12345);
  Sample sample;
  Load(sample, store);
  EXPECT_EQ(-1, sample.I8);
  EXPECT_EQ(0xFF, sample.U8);
  EXPECT_EQ(-32768, sample.I16);
  EXPECT_EQ(0x2345, sample.U16);
}

TEST(Walker, BooleansLoadAnyNonZeroAsTrueAndSaveAsOne) {
  MemoryRegistry store;
  store.WriteInteger(kKey, "Flag", 0x100);
  Sample sample;
  Load(sample, store);
  EXPECT_TRUE(sample.Flag);

  MemoryRegistry saved;
  ASSERT_TRUE(Save(sample, saved));
  EXPECT_EQ(1u, saved.ReadInteger(kKey, "Flag"));
}

TEST(Walker, OrdinalsOutOfRangeLoadAsTheFirst) {
  const std::pair<uint32_t, Shade> cases[] = {
      {2, Shade::kBlue}, {3, Shade::kRed}, {0xFFFFFFFF, Shade::kRed}, {0x101, Shade::kRed}};
  for (const auto& [stored, expected] : cases) {
    MemoryRegistry store;
    store.WriteInteger(kKey, "Colour", stored);
    Sample sample;
    sample.Colour = Shade::kGreen;
    Load(sample, store);
    EXPECT_EQ(expected, sample.Colour) << stored;
  }
}

TEST(Walker, LoadAssignsDefaultsForMissingValuesAndKeys) {
  MemoryRegistry store;
  Sample sample;
  sample.I32 = 5;
  sample.Flag = true;
  sample.Colour = Shade::kBlue;
  sample.Text = "old";
  sample.Inner.Count = 4;
  Load(sample, store);
  EXPECT_EQ(0, sample.I32);
  EXPECT_FALSE(sample.Flag);
  EXPECT_EQ(Shade::kRed, sample.Colour);
  EXPECT_EQ("", sample.Text);
  EXPECT_EQ(0, sample.Inner.Count);
  EXPECT_FALSE(store.KeyExists("Root")) << "loading creates no key";
}

TEST(Walker, ValuesOfAnotherTypeOrSizeLoadAsDefaults) {
  MemoryRegistry store;
  store.WriteString(kKey, "I32", "12");
  store.WriteBinary(kKey, "U32", std::vector<uint8_t>{1, 0, 0, 0});
  store.WriteBinary(kKey, "Flag", std::vector<uint8_t>{1});
  store.WriteInteger(kKey, "Text", 5);
  store.WriteBinary(kKey, "Colour", std::vector<uint8_t>{1, 0, 0, 0, 0, 0, 0, 0});
  store.WriteInteger(kKey, "U16", 9);  // one value of the right type among them
  Sample sample;
  sample.I32 = 1;
  sample.U32 = 1;
  sample.Flag = true;
  sample.Text = "x";
  sample.Colour = Shade::kBlue;
  Load(sample, store);
  EXPECT_EQ(0, sample.I32);
  EXPECT_EQ(0u, sample.U32);
  EXPECT_FALSE(sample.Flag);
  EXPECT_EQ("", sample.Text);
  EXPECT_EQ(Shade::kRed, sample.Colour);
  EXPECT_EQ(9, sample.U16);
}

TEST(Walker, AStringOfAnyLengthLoadsWhole) {
  std::string text;
  while (text.size() < 100 * 1024)
    text +=
        "Gr\xC3\xBC\xC3\x9F"
        "e, line " +
        std::to_string(text.size()) + "\r\n";
  Sample sample;
  sample.Text = text;
  sample.U32 = 3;
  MemoryRegistry store;
  ASSERT_TRUE(Save(sample, store));
  Sample loaded;
  Load(loaded, store);
  EXPECT_EQ(text, loaded.Text);
  EXPECT_EQ(3u, loaded.U32);
}

TEST(Walker, AFailedWriteEndsTheSaveWithFalse) {
  Sample sample;
  sample.U8 = 1;
  sample.Text = "t";
  sample.Inner.Count = 2;
  sample.Extra = std::make_unique<Leaf>();
  sample.Extra->Note = "n";
  MemoryRegistry counted;
  FailingRegistry counting(counted);
  ASSERT_TRUE(Save(sample, counting));
  const std::size_t steps = counting.MutatingCalls();
  ASSERT_GT(steps, 4u);

  for (std::size_t step = 1; step <= steps; ++step) {
    MemoryRegistry inner;
    FailingRegistry store(inner, step);
    EXPECT_FALSE(Save(sample, store)) << step;
    EXPECT_EQ(step, store.MutatingCalls()) << "nothing is tried after the failure, step " << step;
  }
}

TEST(Walker, ValueNamesMatchIgnoringCase) {
  MemoryRegistry store;
  store.WriteInteger("root\\objects\\s", "i32", 42);
  store.WriteString(kKey, "TEXT", "t");
  Sample sample;
  Load(sample, store);
  EXPECT_EQ(42, sample.I32);
  EXPECT_EQ("t", sample.Text);
}

TEST(Walker, LoadRecursesOnlyIntoObjectsThatExist) {
  MemoryRegistry store;
  store.WriteInteger("Root\\Objects\\S\\Extra", "Count", 8);
  Sample without;
  Load(without, store);
  EXPECT_EQ(nullptr, without.Extra) << "loading makes no object";

  Sample with;
  with.Extra = std::make_unique<Leaf>();
  Load(with, store);
  EXPECT_EQ(8, with.Extra->Count);
}

TEST(Walker, AnEmptyPathStoresTheSectionAtTheRoot) {
  MemoryRegistry store;
  Sample sample;
  sample.U8 = 1;
  ASSERT_TRUE(WriteObject(sample, store, "", "Top", /*load=*/false));
  EXPECT_EQ(1u, store.ReadInteger("Top", "U8"));
}

TEST(LineBreaks, CarriageReturnLineFeedPairsBecomeTwoShiftOutBytes) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\r\nb",
       "a\x0E\x0E"
       "b"},
      {"\r\n\r\n", "\x0E\x0E\x0E\x0E"},
      {"lone\rcr", "lone\rcr"},
      {"lone\nlf", "lone\nlf"},
      {"\n\r", "\n\r"},
      {"\r\r\n", "\r\x0E\x0E"},
      {"", ""},
  };
  for (const auto& [plain, stored] : cases) {
    EXPECT_EQ(stored, EncodeLineBreaks(plain));
    EXPECT_EQ(plain, DecodeLineBreaks(stored));
  }
  // Stored text that no plain text encodes to still decodes pair by pair from the left.
  EXPECT_EQ("\r\n\x0E", DecodeLineBreaks("\x0E\x0E\x0E"));
  EXPECT_EQ("x\x0E", DecodeLineBreaks("x\x0E"));
}

TEST(LineBreaks, TheWalkerStoresAndRestoresThem) {
  MemoryRegistry store;
  Sample sample;
  sample.Text = "line 1\r\nline 2\r\n";
  ASSERT_TRUE(Save(sample, store));
  EXPECT_EQ("line 1\x0E\x0Eline 2\x0E\x0E", store.ReadString(kKey, "Text"));
  Sample loaded;
  Load(loaded, store);
  EXPECT_EQ(sample.Text, loaded.Text);
}

// An object whose table is built at run time, as a plug-in's would be: the slot selects the field.
class Bag final : public Persistent {
 public:
  explicit Bag(std::vector<std::string> names)
      : numbers_(names.size()), texts_(names.size()), names_(std::move(names)) {
    for (std::size_t i = 0; i < names_.size(); ++i) {
      const bool isText = names_[i].starts_with("s");
      properties_.push_back({.name = names_[i],
                             .kind = isText ? PropertyKind::kString : PropertyKind::kInteger,
                             .getNumber = isText ? nullptr : &GetNumber,
                             .setNumber = isText ? nullptr : &SetNumber,
                             .getString = isText ? &GetText : nullptr,
                             .setString = isText ? &SetText : nullptr,
                             .slot = i});
    }
  }
  std::span<const Property> Properties() const override { return properties_; }

  std::vector<uint32_t> numbers_;
  std::vector<std::string> texts_;
  std::vector<Property> properties_;

 private:
  static uint32_t GetNumber(const Persistent& o, const Property& p) {
    return static_cast<const Bag&>(o).numbers_[p.slot];
  }
  static void SetNumber(Persistent& o, const Property& p, uint32_t value) {
    static_cast<Bag&>(o).numbers_[p.slot] = value;
  }
  static std::string GetText(const Persistent& o, const Property& p) {
    return static_cast<const Bag&>(o).texts_[p.slot];
  }
  static void SetText(Persistent& o, const Property& p, std::string text) {
    static_cast<Bag&>(o).texts_[p.slot] = std::move(text);
  }

  std::vector<std::string> names_;
};

TEST(Walker, ServesTablesBuiltAtRunTime) {
  MemoryRegistry store;
  Bag saved({"n1", "s1", "n2"});
  saved.numbers_ = {0, 0, 12};
  saved.texts_ = {"", "drive", ""};
  ASSERT_TRUE(Save(saved, store));
  EXPECT_EQ((std::vector<std::string>{"s1='drive'", "n2=12"}), DumpValues(store, kKey));

  Bag loaded({"n1", "s1", "n2"});
  Load(loaded, store);
  EXPECT_EQ(saved.numbers_, loaded.numbers_);
  EXPECT_EQ(saved.texts_, loaded.texts_);
}

TEST(Walker, SkipsPropertiesWithoutAccessors) {
  MemoryRegistry store;
  Bag bag({"n1", "s1"});
  bag.numbers_ = {4, 0};
  bag.texts_ = {"", "t"};
  bag.properties_[0].setNumber = nullptr;
  bag.properties_[1].getString = nullptr;
  bag.properties_.push_back({.name = "obj", .kind = PropertyKind::kObject});
  ASSERT_TRUE(Save(bag, store));
  EXPECT_TRUE(store.ValueNames(kKey).empty());
  EXPECT_TRUE(store.SubKeyNames(kKey).empty());
  Load(bag, store);
  EXPECT_EQ(4u, bag.numbers_[0]);
}

// An object that holds itself, as a faulty run-time table might say.
class Loop final : public Persistent {
 public:
  std::span<const Property> Properties() const override {
    static constexpr Property kProperties[] = {
        IntegerField<&Loop::Value>("Value"),
        {.name = "Self",
         .kind = PropertyKind::kObject,
         .getObject = [](Persistent& o, const Property&) -> Persistent* { return &o; }}};
    return kProperties;
  }
  uint32_t Value = 1;
};

TEST(Walker, AnObjectThatHoldsItselfEndsAtABoundedDepth) {
  MemoryRegistry store;
  Loop loop;
  ASSERT_TRUE(Save(loop, store));
  std::string key = kKey;
  int depth = 0;
  while (store.KeyExists(key + "\\Self")) {
    key += "\\Self";
    ++depth;
  }
  EXPECT_GT(depth, 2);
  EXPECT_LT(depth, 64);
  Load(loop, store);
  EXPECT_EQ(1u, loop.Value);
}

TEST(PersistentHotKey, StoresTheThreeValuesUnderTheirNames) {
  MemoryRegistry store;
  PersistentHotKey key(PackHotKey(65, 30, 1, kModCtrl));
  key.SetInputMode(TkeInputMode::keHid);
  key.SetKeyPolyglot("HID#1\r\n");
  ASSERT_TRUE(Save(key, store));
  EXPECT_EQ((std::vector<std::string>{"InputMode=1", "KeyPolyglot='HID#1\x0E\x0E'",
                                      "HKey=" + std::to_string(PackHotKey(65, 30, 1, kModCtrl))}),
            DumpValues(store, kKey));

  PersistentHotKey loaded;
  Load(loaded, store);
  EXPECT_EQ(static_cast<const TActionHKey&>(key), static_cast<const TActionHKey&>(loaded));
}

TEST(PersistentHotKey, LoadsBadValuesSafely) {
  MemoryRegistry store;
  store.WriteInteger(kKey, "InputMode", 2);
  store.WriteString(kKey, "KeyPolyglot", std::string(1000, 'k'));
  store.WriteString(kKey, "HKey", "65");
  PersistentHotKey key(0x1234);
  key.SetInputMode(TkeInputMode::keHid);
  Load(key, store);
  EXPECT_EQ(TkeInputMode::keNormal, key.InputMode());
  EXPECT_EQ(std::string(TActionHKey::kMaxKeyPolyglot, 'k'), key.KeyPolyglot());
  EXPECT_EQ(0u, key.HKey());
}

}  // namespace
}  // namespace tavion
