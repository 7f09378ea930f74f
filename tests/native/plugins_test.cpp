#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "actions/action.h"
#include "actions/default_actions.h"
#include "plugins/plugin_info.h"
#include "plugins/plugin_params.h"
#include "registry_dump.h"

namespace tavion {
namespace {

using Lines = std::vector<PluginActionLine>;

TEST(PluginInfo, ActionLinesPairUpWhateverTheLineBreaks) {
  const std::pair<std::string_view, Lines> cases[] = {
      {"Eject\r\nCDRom\nMute\r105\r\nOdd", {{"Eject", "CDRom"}, {"Mute", "105"}}},
      {"A\r\n\r\nB\nfb\n", {{"B", "fb"}}},  // no function: dropped
      {"", {}},
  };
  for (const auto& [text, lines] : cases) EXPECT_EQ(lines, SplitPluginActions(text)) << text;
}

TEST(PluginInfo, CodesAndAnswersReadAsTheHostNeedsThem) {
  const std::string code = MakePluginCode("Corvex.dll", "103");
  EXPECT_EQ(std::string("plug\x02"
                        "1Corvex.dll\x02"
                        "2103"),
            code);
  EXPECT_EQ("Corvex.dll", PluginCodeField(code, '1'));
  EXPECT_EQ("103", PluginCodeField(code, '2'));
  EXPECT_EQ("", PluginCodeField("plug\x02"
                                "1only",
                                '2'));

  for (const auto& [text, number] : std::vector<std::pair<std::string, std::optional<uint32_t>>>{
           {"101", 101}, {"100", {}}, {"4294967296", {}}, {"+101", {}}, {"10a", {}}, {"", {}}})
    EXPECT_EQ(number, PluginInfoNumber(text)) << text;
  EXPECT_EQ(std::vector<uint8_t>({7, 0, 1}),
            std::vector<uint8_t>({PluginFlags("7"), PluginFlags("x"), PluginFlags("257")}));
  EXPECT_EQ(1005, ProgramPluginCommandId("SetOpt"));
  EXPECT_EQ(0, ProgramPluginCommandId("TrayPopup"));
  EXPECT_EQ(std::nullopt, ProgramPluginCommandId("/Options"));
  EXPECT_EQ("v1.2 (1.2)", PluginDescriptionText("v%ver% (%ver%)", "1.2"));
  EXPECT_EQ("a\rb", ProgramPluginText("a\x01"
                                      "b"));
  EXPECT_EQ("/x 1234", ProgramPluginParameters("/x", 1234));
  EXPECT_EQ(
      "Tavion 1.0 support PlugIns version - 2A.0.\r'a.dll' has another PlugIn version - "
      "2A.1\rand can't be loaded",
      PluginVersionError("1.0", "a.dll", "2A.1"));
  EXPECT_EQ((PluginActionFlags{true, false}), PluginFlagsFromAnswers({}, {}));
  EXPECT_EQ((PluginActionFlags{false, true}), PluginFlagsFromAnswers("1", "1"));
  EXPECT_EQ((PluginActionFlags{true, false}), PluginFlagsFromAnswers("0", "11"));
}

TEST(PluginInfo, QueryMessageComparesTheLowByteOrTheLowWord) {
  const std::pair<uint64_t, PluginQuery> cases[] = {
      {1, PluginQuery::kSettingsKey}, {0x301, PluginQuery::kSettingsKey},
      {2, PluginQuery::kLanguage},    {0x1002, PluginQuery::kLanguage},
      {100, PluginQuery::kAppWindow}, {0x10064, PluginQuery::kAppWindow},
      {0x164, PluginQuery::kEmpty},   {3, PluginQuery::kEmpty}};
  for (const auto& [wParam, query] : cases) EXPECT_EQ(query, ClassifyPluginQuery(wParam)) << wParam;
}

// A plug-in's class in C terms: three fields kept in a struct.
struct Fake {
  int32_t numbers[2] = {5, 0};
  std::string text = "default";
};
int destroyed = 0;
constexpr char kNoCode[] = "data";  // where Runnable says no

const TavionParamsField kFields[] = {{"Operation", TAVION_FIELD_INTEGER},
                                     {"On", TAVION_FIELD_BOOLEAN},
                                     {"Drive", TAVION_FIELD_STRING}};
const TavionParamsClass kGood = {
    sizeof(TavionParamsClass),
    3,
    kFields,
    []() -> void* { return new Fake; },
    [](void* o) { delete static_cast<Fake*>(o), ++destroyed; },
    [](const void* o, uint32_t f) { return static_cast<const Fake*>(o)->numbers[f]; },
    [](void* o, uint32_t f, int32_t v) { static_cast<Fake*>(o)->numbers[f] = v; },
    [](const void* o, uint32_t, char* buffer, uint32_t size) {
      const std::string& text = static_cast<const Fake*>(o)->text;
      std::snprintf(buffer, size, "%s", text.c_str());
      return static_cast<uint32_t>(text.size());
    },
    [](void* o, uint32_t, const char* text) { static_cast<Fake*>(o)->text = text; }};

class FakeBoundary final : public PluginBoundary {
 public:
  bool Readable(const void* address, std::size_t) const override { return address != kNoCode; }
  bool Runnable(const void* function) const override { return function != kNoCode; }
  std::string ReadText(const char* text) const override {
    return text ? std::string(text, strnlen(text, TAVION_TEXT_LIMIT)) : std::string();
  }
  std::string AnsiToUtf8(std::string_view ansi) const override { return std::string(ansi); }
  std::string Utf8ToAnsi(std::string_view utf8) const override { return std::string(utf8); }
} boundary;

TEST(PluginParams, FieldsAreStoredAsTheirKindsAndLoadBack) {
  auto owner = std::make_shared<int>();
  std::weak_ptr<int> watch = owner;
  auto cls = PluginParamsClass::Check(&kGood, boundary, std::move(owner));
  ASSERT_NE(nullptr, cls);
  auto saved = cls->Create(), loaded = cls->Create();
  ASSERT_TRUE(saved && loaded);
  EXPECT_TRUE(SetPluginParamNumber(*saved, "operation", -3));
  EXPECT_TRUE(SetPluginParamNumber(*saved, "On", 7));
  EXPECT_FALSE(SetPluginParamNumber(*saved, "Drive", 1));
  EXPECT_EQ(1, static_cast<Fake*>(saved->Object())->numbers[1]) << "a boolean is 0 or 1";
  static_cast<Fake*>(saved->Object())->text = std::string(1000, 'd');  // asked again, larger
  MemoryRegistry store;
  ASSERT_TRUE(WriteObject(*saved, store, "", "P", /*load=*/false));
  EXPECT_EQ((std::vector<std::string>{"Operation=4294967293", "On=1",
                                      "Drive='" + std::string(1000, 'd') + "'"}),
            DumpValues(store, "P"));
  WriteObject(*loaded, store, "", "P", /*load=*/true);
  const auto* fake = static_cast<const Fake*>(loaded->Object());
  EXPECT_EQ(-3, fake->numbers[0]);
  EXPECT_EQ(1, fake->numbers[1]);
  EXPECT_EQ(1000u, fake->text.size());

  destroyed = 0;
  saved.reset(), cls.reset();
  EXPECT_EQ(1, destroyed);
  EXPECT_FALSE(watch.expired()) << "an object still holds the plug-in";
  loaded.reset();
  EXPECT_TRUE(watch.expired());
}

TEST(PluginParams, ClassesTheProgramCannotUseAreRefused) {
  const TavionParamsField duplicate[] = {{"Drive", 0}, {"drive", 0}};
  const TavionParamsField badName[] = {{"Bad-Name", 0}};
  const TavionParamsField noName[] = {{nullptr, 0}};
  const TavionParamsField badKind[] = {{"Kind", 3}};
  const auto with = [](auto change) {
    TavionParamsClass cls = kGood;
    change(cls);
    return cls;
  };
  const TavionParamsClass refused[] = {
      with([](auto& c) { c.structSize -= 1; }),
      with([](auto& c) { c.fieldCount = TAVION_MAX_FIELDS + 1; }),
      with([](auto& c) { c.fields = nullptr; }),
      with([&](auto& c) { c.fields = duplicate, c.fieldCount = 2; }),
      with([&](auto& c) { c.fields = badName, c.fieldCount = 1; }),
      with([&](auto& c) { c.fields = noName, c.fieldCount = 1; }),
      with([&](auto& c) { c.fields = badKind, c.fieldCount = 1; }),
      with([](auto& c) { c.create = nullptr; }),
      with([](auto& c) { c.getString = nullptr; }),
      with([](auto& c) { c.setNumber = reinterpret_cast<decltype(c.setNumber)>(kNoCode); }),
  };
  for (const TavionParamsClass& cls : refused)
    EXPECT_EQ(nullptr, PluginParamsClass::Check(&cls, boundary, nullptr)) << &cls - refused;
  EXPECT_EQ(nullptr, PluginParamsClass::Check(kNoCode, boundary, nullptr));
  const TavionParamsClass numbersOnly =
      with([](auto& c) { c.fieldCount = 2, c.getString = nullptr, c.setString = nullptr; });
  EXPECT_NE(nullptr, PluginParamsClass::Check(&numbersOnly, boundary, nullptr));
}

TEST(PluginParams, AStringThatNeverFitsIsCut) {
  TavionParamsClass greedy = kGood;
  greedy.getString = [](const void*, uint32_t, char* buffer, uint32_t size) {
    std::memset(buffer, 'x', size);  // no terminator, and always twice as long
    return size * 2;
  };
  auto object = PluginParamsClass::Check(&greedy, boundary, nullptr)->Create();
  const Property& drive = object->Properties()[2];
  const std::string text = drive.getString(*object, drive);
  EXPECT_LT(text.size(), TAVION_TEXT_LIMIT);
  EXPECT_EQ(std::string::npos, text.find_first_not_of('x'));
}

// The plug-ins of the default set, as loaded: Corvex with the class above for "CDRom" and "Power".
class DefaultSetResolver final : public PluginCodeResolver {
 public:
  std::optional<PluginActionId> Resolve(std::string_view code) const override {
    return PluginActionId{PluginCodeField(code, '1'), PluginCodeField(code, '2')};
  }
  PluginParams CreateParams(const PluginActionId& id) override {
    if (id.actionId != "CDRom" && id.actionId != "Power") return nullptr;
    return PluginParams(PluginParamsClass::Check(&kGood, boundary, nullptr)->Create().release(),
                        {});
  }
};

TEST(DefaultActions, LoadedSiblingPluginsGetAFolderEach) {
  DefaultSetResolver resolver;
  SetPluginCodeResolver(&resolver);
  TActionsList list;
  BuildDefaults(list, 0,
                {.corvex = {{"corvex.DLL", "Corvex tools"}}, .panora = {{"Panora.exe", "Panora"}}});
  SetPluginCodeResolver(nullptr);
  std::vector<std::string> rows;
  bool plugins = false;
  for (std::size_t i = 0; i < list.Count(); ++i) {
    const TAction& action = *list.At(i);
    plugins = plugins || action.Name() == "Corvex tools";
    if (!plugins) continue;
    std::string row = action.Name() + "|" + PluginCodeField(action.Exec(), '1') + "|" +
                      PluginCodeField(action.Exec(), '2') + "|" +
                      std::to_string(action.Key0().HKey());
    const auto* plug = action.ParamsAs<TActionParamsPlug>();
    if (plug && plug->Params)
      row +=
          "|" + std::to_string(static_cast<const Fake*>(
                                   static_cast<const PluginParamsObject&>(*plug->Params).Object())
                                   ->numbers[0]);
    rows.push_back(row);
  }
  const auto key = [](uint8_t vk, uint8_t flags = 0) {
    return std::to_string(PackHotKey(vk, 0, flags, kModWin));
  };
  EXPECT_EQ((std::vector<std::string>{
                "Corvex tools|||0",
                "|corvex.DLL|ShowTime|" + key(36, 1),
                "|corvex.DLL|103|" + key(190),
                "|corvex.DLL|104|" + key(188),
                "|corvex.DLL|105|" + key(83),
                "Open CD-ROM|corvex.DLL|CDRom|" + key(34, 1) + "|0",
                "Close CD-ROM|corvex.DLL|CDRom|" + key(33, 1) + "|1",
                "Restart Computer|corvex.DLL|Power|" + key(45, 1) + "|0",
                "Turn Off Computer|corvex.DLL|Power|" + key(46, 1) + "|1",
                "Log Off|corvex.DLL|Power|" + key(35, 1) + "|2",
                "Panora|||0",
                "|Panora.exe|/Options|" + key(192),
                "|Panora.exe|X|" + key(48),
                "|Panora.exe|0|" + key(49),
                "|Panora.exe|1|" + key(50),
                "|Panora.exe|2|" + key(51),
                "|Panora.exe|3|" + key(52),
            }),
            rows);
}

}  // namespace
}  // namespace tavion
