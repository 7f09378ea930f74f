#include "actions/persistent.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "doubles/failing_registry.h"
#include "registry_dump.h"

namespace tavion {
namespace {

using Lines = std::vector<std::string>;

class Leaf final : public Persistent {
 public:
  std::span<const Property> Properties() const override {
    static constexpr Property kProperties[] = {
        StringField<&Leaf::Note>("Note"), IntegerField<&Leaf::Count>("Count"),
        ObjectField<&Leaf::Child>("Child"), ObjectField<&Leaf::Key>("Key")};
    return kProperties;
  }
  std::string Note;
  int32_t Count = 0;
  std::unique_ptr<Leaf> Child;
  PersistentHotKey Key;
};

constexpr const char* kKey = "Root\\Objects\\S";

bool Save(Persistent& object, RegistryStore& store) {
  return WriteObject(object, store, "Root\\Objects", "S", /*load=*/false);
}
void Load(Persistent& object, RegistryStore& store) {
  EXPECT_TRUE(WriteObject(object, store, "Root\\Objects", "S", /*load=*/true));
}

// A saved object loads back (a hot key as its three values); interrupted at any write, the save
// fails there and tries nothing more.
TEST(Walker, ObjectsLoadBackAndAFailedWriteEndsTheSaveWithFalse) {
  Leaf leaf, loaded;
  leaf.Note = "t", leaf.Count = 1;
  leaf.Child = std::make_unique<Leaf>();
  leaf.Child->Count = 2;
  leaf.Key.SetHKey(PackHotKey(65, 30, 1, kModCtrl));
  leaf.Key.SetInputMode(TkeInputMode::keHid);
  leaf.Key.SetKeyPolyglot("HID#1\r\n");
  FailingRegistry counting;
  ASSERT_TRUE(Save(leaf, counting));
  EXPECT_EQ((Lines{"[]", "Note='t'", "Count=1", "[Child]", "Count=2", "[Child\\Key]", "[Key]",
                   "InputMode=1", "KeyPolyglot='HID#1\016\016'",
                   "HKey=" + std::to_string(PackHotKey(65, 30, 1, kModCtrl))}),
            DumpTree(counting, kKey));
  Load(loaded, counting);
  EXPECT_EQ(static_cast<const TActionHKey&>(leaf.Key), static_cast<const TActionHKey&>(loaded.Key));
  for (std::size_t step = 1; step <= counting.MutatingCalls(); ++step) {
    FailingRegistry store(step);
    EXPECT_FALSE(Save(leaf, store)) << step;
    EXPECT_EQ(step, store.MutatingCalls()) << "nothing is tried after the failure, step " << step;
  }
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

}  // namespace
}  // namespace tavion
