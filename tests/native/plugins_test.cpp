#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "plugins/plugin_params.h"
#include "registry_dump.h"

namespace tavion {
namespace {

// A plug-in's class in C terms: an integer, a boolean and a string field.
struct Fake {
  int32_t numbers[2] = {};
  std::string text;
};
const TavionParamsField kFields[] = {
    {"Count", TAVION_FIELD_INTEGER}, {"On", TAVION_FIELD_BOOLEAN}, {"Text", TAVION_FIELD_STRING}};
constexpr char kNoCode[] = "data";  // no code, and unreadable
const TavionParamsClass kGood = {
    sizeof(TavionParamsClass),
    3,
    kFields,
    []() -> void* { return new Fake; },
    [](void* o) { delete static_cast<Fake*>(o); },
    [](const void* o, uint32_t f) { return static_cast<const Fake*>(o)->numbers[f]; },
    [](void* o, uint32_t f, int32_t v) { static_cast<Fake*>(o)->numbers[f] = v; },
    [](const void* o, uint32_t, char* buffer, uint32_t size) {  // never terminated
      const std::string& text = static_cast<const Fake*>(o)->text;
      std::memcpy(buffer, text.data(), std::min<std::size_t>(size, text.size()));
      return static_cast<uint32_t>(text.size());
    },
    nullptr};

class FakeBoundary final : public PluginBoundary {
  bool Readable(const void* address, std::size_t) const override { return address != kNoCode; }
  bool Runnable(const void* function) const override { return function != kNoCode; }
  std::string ReadText(const char* text) const override { return text ? text : ""; }
  std::string AnsiToUtf8(std::string_view ansi) const override { return std::string(ansi); }
  std::string Utf8ToAnsi(std::string_view utf8) const override { return std::string(utf8); }
} boundary;

TEST(PluginParams, FieldsAreStoredAsTheirKindsAndTheirObjectsKeepThePluginLoaded) {
  TavionParamsClass good = kGood;
  good.setString = [](void*, uint32_t, const char*) {};
  auto owner = std::make_shared<int>();
  const std::weak_ptr<int> watch = owner;
  auto object = PluginParamsClass::Check(&good, boundary, std::move(owner))->Create();
  EXPECT_TRUE(SetPluginParamNumber(*object, "count", -3));
  EXPECT_TRUE(SetPluginParamNumber(*object, "On", 7));
  EXPECT_FALSE(SetPluginParamNumber(*object, "Text", 1));
  // Too long for the first buffer and for the bound: asked again, then cut.
  static_cast<Fake*>(object->Object())->text = std::string(TAVION_TEXT_LIMIT + 10, 'd');
  MemoryRegistry store;
  ASSERT_TRUE(WriteObject(*object, store, "", "", /*load=*/false));
  EXPECT_EQ((std::vector<std::string>{"Count=4294967293", "On=1",
                                      "Text='" + std::string(TAVION_TEXT_LIMIT - 1, 'd') + "'"}),
            DumpValues(store, ""));
  EXPECT_FALSE(watch.expired());
  object.reset();
  EXPECT_TRUE(watch.expired()) << "the last object lets the plug-in go";
}

TEST(PluginParams, ClassesTheProgramCannotUseAreRefused) {
  const TavionParamsField duplicate[] = {{"Text", 0}, {"text", 0}}, badName[] = {{"A-B", 0}},
                          noName[] = {{nullptr, 0}}, badKind[] = {{"Kind", 3}};
  std::vector<TavionParamsClass> refused(6, kGood);  // the first: setString missing
  refused[1].structSize -= 1;
  refused[2].fields = duplicate, refused[2].fieldCount = 2;
  refused[3].fields = badName, refused[3].fieldCount = 1;
  refused[4].fields = noName, refused[4].fieldCount = 1;
  refused[5].fields = badKind, refused[5].fieldCount = 1;
  refused.push_back(refused[4]), refused.back().fields = nullptr;
  for (const TavionParamsClass& cls : refused)
    EXPECT_EQ(nullptr, PluginParamsClass::Check(&cls, boundary, nullptr)) << &cls - &refused[0];
  TavionParamsClass numbersOnly = kGood;
  numbersOnly.fieldCount = 2;  // needs neither string function
  EXPECT_NE(nullptr, PluginParamsClass::Check(&numbersOnly, boundary, nullptr));
}

}  // namespace
}  // namespace tavion
