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

using Lines = std::vector<std::string>;
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
  auto Numbers() const { return std::tuple(I8, U8, I16, U16, I32, U32, Flag, Colour); }
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

// Tables built at run time may lack accessors (neither saved nor loaded) or name the object itself
// as its child (saved and loaded down to a bounded depth).
class Faulty final : public Persistent {
 public:
  std::span<const Property> Properties() const override {
    static constexpr Property kProperties[] = {
        IntegerField<&Faulty::Value>("Value"),
        {.name = "n", .kind = PropertyKind::kInteger, .getNumber = &Number},
        {.name = "s", .kind = PropertyKind::kString, .setString = &SetText},
        {.name = "o", .kind = PropertyKind::kObject},
        {.name = "Self",
         .kind = PropertyKind::kObject,
         .getObject = [](Persistent& o, const Property&) -> Persistent* { return &o; }}};
    return kProperties;
  }
  static uint32_t Number(const Persistent&, const Property&) { return 4; }
  static void SetText(Persistent& o, const Property&, std::string) {
    static_cast<Faulty&>(o).textSet = true;
  }
  uint32_t Value = 1;
  bool textSet = false;
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
  EXPECT_EQ((Lines{"[]", "[Inner]"}), DumpTree(store, kKey));
  sample.I8 = -128, sample.U8 = 255, sample.I16 = -5, sample.U16 = 65535;
  sample.I32 = std::numeric_limits<int32_t>::min(), sample.U32 = 0xFFFFFFFF;
  sample.Colour = Shade::kBlue, sample.Flag = true, sample.Text = "a\r\nb";
  sample.Extra = std::make_unique<Leaf>();
  sample.Extra->Count = 3;
  ASSERT_TRUE(Save(sample, store));
  EXPECT_EQ((Lines{"I8=4294967168", "U8=255", "I16=4294967291", "U16=65535", "I32=2147483648",
                   "U32=4294967295", "Flag=1", "Colour=2", "Text='a\016\016b'"}),
            DumpValues(store, kKey));
  EXPECT_EQ((Lines{"Extra", "Inner"}), store.SubKeyNames(kKey));
  while (sample.Text.size() < 100 * 1024) sample.Text += "Gr\xC3\xBC\xC3\x9F\x65 \r\n";
  ASSERT_TRUE(Save(sample, store));
  Sample loaded;
  loaded.Extra = std::make_unique<Leaf>();
  Load(loaded, store);
  EXPECT_EQ(sample.Numbers(), loaded.Numbers());
  EXPECT_EQ(3, loaded.Extra->Count);
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
  EXPECT_EQ(
      std::tuple(int8_t{-1}, uint8_t{0xFF}, int16_t{-32768}, uint16_t{0}, 0, 0u, true, Shade::kRed),
      sample.Numbers());
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
  sample.U8 = 1, sample.Text = "t";
  sample.Extra = std::make_unique<Leaf>();
  sample.Extra->Count = 2;
  MemoryRegistry counted;
  FailingRegistry counting(counted);
  ASSERT_TRUE(Save(sample, counting));
  ASSERT_GT(counting.MutatingCalls(), 4u);
  for (std::size_t step = 1; step <= counting.MutatingCalls(); ++step) {
    MemoryRegistry inner;
    FailingRegistry store(inner, step);
    EXPECT_FALSE(Save(sample, store)) << step;
    EXPECT_EQ(step, store.MutatingCalls()) << "nothing is tried after the failure, step " << step;
  }
}

TEST(Walker, PropertiesWithoutAccessorsAreSkippedAndSelfNestingIsBounded) {
  MemoryRegistry store;
  Faulty faulty;
  ASSERT_TRUE(Save(faulty, store));
  std::string key = kKey;
  int depth = 0;
  for (; store.KeyExists(key + "\\Self"); ++depth) key += "\\Self";
  EXPECT_GT(depth, 2);
  EXPECT_LT(depth, 64);
  EXPECT_EQ(Lines{"Value=1"}, DumpValues(store, kKey));
  store.WriteString(kKey, "s", "t");
  Load(faulty, store);
  EXPECT_FALSE(faulty.textSet);
}

// Stored text holds a line break as two 0x0E bytes; text that no plain text encodes to still
// decodes pair by pair from the left.
TEST(LineBreaks, CarriageReturnLineFeedPairsAndOnlyThemBecomeTwoShiftOutBytes) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\r\nb", "a\016\016b"}, {"\r\n\r\n", "\016\016\016\016"}, {"lone\rcr\nlf", "lone\rcr\nlf"},
      {"\n\r", "\n\r"},         {"\r\r\n", "\r\016\016"},         {"one\016byte", "one\016byte"},
  };
  for (const auto& [plain, stored] : cases) {
    EXPECT_EQ(stored, EncodeLineBreaks(plain));
    EXPECT_EQ(plain, DecodeLineBreaks(stored));
  }
  EXPECT_EQ("\r\n\016", DecodeLineBreaks("\016\016\016"));
}

TEST(PersistentHotKey, StoresTheThreeValuesUnderTheirNames) {
  MemoryRegistry store;
  PersistentHotKey key(PackHotKey(65, 30, 1, kModCtrl));
  key.SetInputMode(TkeInputMode::keHid);
  key.SetKeyPolyglot("HID#1\r\n");
  ASSERT_TRUE(Save(key, store));
  EXPECT_EQ((Lines{"InputMode=1", "KeyPolyglot='HID#1\016\016'",
                   "HKey=" + std::to_string(PackHotKey(65, 30, 1, kModCtrl))}),
            DumpValues(store, kKey));
  PersistentHotKey loaded;
  Load(loaded, store);
  EXPECT_EQ(static_cast<const TActionHKey&>(key), static_cast<const TActionHKey&>(loaded));
}

}  // namespace
}  // namespace tavion
