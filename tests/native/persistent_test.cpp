#include "actions/persistent.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
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

// Only values that are not the default are saved, in table order, and load back at the edges of
// their widths; an object present has its key even when all its values are defaults.
TEST(Walker, SavesOnlyValuesThatAreNotDefaultAndLoadsThemBack) {
  MemoryRegistry store;
  Sample sample;
  ASSERT_TRUE(Save(sample, store));
  EXPECT_EQ((std::vector<std::string>{"[]", "[Inner]"}), DumpTree(store, kKey));
  sample.I8 = -128, sample.U8 = 255, sample.I16 = -5, sample.U16 = 65535;
  sample.I32 = std::numeric_limits<int32_t>::min(), sample.U32 = 0xFFFFFFFF;
  sample.Colour = Shade::kBlue;
  sample.Flag = true;
  sample.Text = "a\r\nb";
  sample.Extra = std::make_unique<Leaf>();
  sample.Extra->Count = 3;
  ASSERT_TRUE(Save(sample, store));
  EXPECT_EQ((std::vector<std::string>{"I8=4294967168", "U8=255", "I16=4294967291", "U16=65535",
                                      "I32=2147483648", "U32=4294967295", "Flag=1", "Colour=2",
                                      "Text='a\x0E\x0E"
                                      "b'"}),
            DumpValues(store, kKey));
  EXPECT_EQ((std::vector<std::string>{"Extra", "Inner"}), store.SubKeyNames(kKey));
  while (sample.Text.size() < 100 * 1024) sample.Text += "Gr\xC3\xBC\xC3\x9F\x65 \r\n";
  ASSERT_TRUE(Save(sample, store));
  Sample loaded;
  loaded.Extra = std::make_unique<Leaf>();
  Load(loaded, store);
  EXPECT_EQ(std::tuple(sample.I8, sample.U8, sample.I16, sample.U16, sample.I32, sample.U32),
            std::tuple(loaded.I8, loaded.U8, loaded.I16, loaded.U16, loaded.I32, loaded.U32));
  EXPECT_EQ(std::tuple(true, Shade::kBlue, 3),
            std::tuple(loaded.Flag, loaded.Colour, loaded.Extra->Count));
  EXPECT_EQ(sample.Text, loaded.Text);
}

// Whatever is stored, loading assigns every property: missing values, values of another type and
// ordinals out of range load as defaults, wider numbers are narrowed, names match in any case.
TEST(Walker, LoadsAnyStoredValuesSafely) {
  MemoryRegistry store;
  store.WriteInteger("root\\objects\\s", "i8", 0x1FF);
  store.WriteInteger(kKey, "U8", 0x1FF);
  store.WriteInteger(kKey, "I16", 0x18000);
  store.WriteString(kKey, "I32", "12");
  store.WriteBinary(kKey, "U32", std::vector<uint8_t>{1, 0, 0, 0});
  store.WriteInteger(kKey, "Flag", 0x100);
  store.WriteInteger(kKey, "Text", 5);
  store.WriteInteger("Root\\Objects\\S\\Extra", "Count", 8);
  Sample sample;
  sample.I32 = 1, sample.U32 = 1, sample.Text = "x", sample.Inner.Count = 4;
  Load(sample, store);
  EXPECT_EQ(-1, sample.I8);
  EXPECT_EQ(0xFF, sample.U8);
  EXPECT_EQ(-32768, sample.I16);
  EXPECT_EQ(0, sample.I32);
  EXPECT_EQ(0u, sample.U32);
  EXPECT_TRUE(sample.Flag);
  EXPECT_EQ("", sample.Text);
  EXPECT_EQ(0, sample.Inner.Count);
  EXPECT_EQ(nullptr, sample.Extra) << "loading makes no object";
  EXPECT_FALSE(store.KeyExists("Root\\Objects\\S\\Inner")) << "loading creates no key";

  const std::pair<uint32_t, Shade> ordinals[] = {
      {2, Shade::kBlue}, {3, Shade::kRed}, {0xFFFFFFFF, Shade::kRed}, {0x101, Shade::kRed}};
  for (const auto& [stored, expected] : ordinals) {
    store.WriteInteger(kKey, "Colour", stored);
    sample.Colour = Shade::kGreen;
    Load(sample, store);
    EXPECT_EQ(expected, sample.Colour) << stored;
  }
}

TEST(Walker, AFailedWriteEndsTheSaveWithFalse) {
  Sample sample;
  sample.U8 = 1;
  sample.Text = "t";
  sample.Extra = std::make_unique<Leaf>();
  sample.Extra->Count = 2;
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

TEST(LineBreaks, CarriageReturnLineFeedPairsAndOnlyThemBecomeTwoShiftOutBytes) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\r\nb",
       "a\x0E\x0E"
       "b"},
      {"\r\n\r\n", "\x0E\x0E\x0E\x0E"},
      {"lone\rcr\nlf", "lone\rcr\nlf"},
      {"\n\r", "\n\r"},
      {"\r\r\n", "\r\x0E\x0E"},
      {"one\x0E"
       "byte",
       "one\x0E"
       "byte"},
  };
  for (const auto& [plain, stored] : cases) {
    EXPECT_EQ(stored, EncodeLineBreaks(plain));
    EXPECT_EQ(plain, DecodeLineBreaks(stored));
  }
  // Stored text that no plain text encodes to still decodes pair by pair from the left.
  EXPECT_EQ("\r\n\x0E", DecodeLineBreaks("\x0E\x0E\x0E"));
}

// A table built at run time may lack accessors: such properties are neither saved nor loaded.
class Partial final : public Persistent {
 public:
  std::span<const Property> Properties() const override {
    static constexpr Property kProperties[] = {
        {.name = "n", .kind = PropertyKind::kInteger, .getNumber = &Number},
        {.name = "s", .kind = PropertyKind::kString, .setString = &SetText},
        {.name = "o", .kind = PropertyKind::kObject}};
    return kProperties;
  }
  static uint32_t Number(const Persistent&, const Property&) { return 4; }
  static void SetText(Persistent& o, const Property&, std::string) {
    static_cast<Partial&>(o).textSet = true;
  }
  bool textSet = false;
};

TEST(Walker, SkipsPropertiesWithoutAccessors) {
  MemoryRegistry store;
  Partial partial;
  ASSERT_TRUE(Save(partial, store));
  EXPECT_EQ((std::vector<std::string>{"[]"}), DumpTree(store, kKey));
  store.WriteString(kKey, "s", "t");
  Load(partial, store);
  EXPECT_FALSE(partial.textSet);
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
  for (; store.KeyExists(key + "\\Self"); ++depth) key += "\\Self";
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

}  // namespace
}  // namespace tavion
