#include "plugins/plugin_host_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/utf_win.h"
#include "plugins/plugin_params.h"
#include "settings/registry_win.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

using Rows = std::vector<std::string>;

std::wstring TempFolder() {
  wchar_t path[MAX_PATH] = L"";
  GetTempPathW(MAX_PATH, path);
  return path;
}

class PluginHostTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)); }
  void TearDown() override {
    host.reset();  // frees the modules, so their files can go
    for (const wchar_t* name : kAll) DeleteFileW((folder + L"\\" + name).c_str());
    RemoveDirectoryW((folder + L"\\dir.dll").c_str());
    RemoveDirectoryW(folder.c_str());
  }

  void Put(std::initializer_list<const wchar_t*> names) {
    for (const wchar_t* name : names)
      ASSERT_TRUE(CopyFileW((wine_test::ProgramFolder() + L"\\test-plugins\\" + name).c_str(),
                            (folder + L"\\" + name).c_str(), FALSE));
  }
  static std::string Logged(const char* value) {
    return fixture.ReadString("", value).value_or("");
  }
  std::string Window() const { return std::to_string(reinterpret_cast<uintptr_t>(main.hwnd())); }
  std::string Call(const wchar_t* file, const char* function, int mode = 3) {
    return host->Call(folder + L"\\" + file, function, mode, nullptr, reinterpret_cast<HWND>(1));
  }

  static constexpr const wchar_t* kAll[] = {L"good.dll",     L"wrongver.dll", L"empty.dll",
                                            L"noexport.dll", L"hostile.dll",  L"program.exe",
                                            L"readme.txt"};
  static inline Win32Registry fixture{HKEY_CURRENT_USER, "Software\\Quillon\\PluginFixture"};
  std::wstring folder = TempFolder() + wine_test::UniqueName(L"plugins");
  wine_test::TestWindow main;
  std::unique_ptr<PluginHost> host = std::make_unique<PluginHost>(folder, main.hwnd());
};

TEST_F(PluginHostTest, DiscoveryLoadsPluginsOfTheVersionAndReadsNonsenseSafely) {
  Put({L"good.dll", L"wrongver.dll", L"empty.dll", L"noexport.dll", L"hostile.dll",
       L"program.exe"});
  CreateDirectoryW((folder + L"\\dir.dll").c_str(), nullptr);
  CloseHandle(CreateFileW((folder + L"\\readme.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          0, nullptr));
  const PluginLoadReport report = host->Load("1.0");
  EXPECT_FALSE(report.folderMissing);
  EXPECT_EQ(Rows{PluginVersionError("1.0", "wrongver.dll", "2A.1")}, report.versionErrors);
  Rows plugins;
  for (const PluginRecord& p : host->Plugins())
    plugins.push_back(WideToUtf8(p.fileName) + "|" + p.caption + "|" + std::to_string(p.flags) +
                      "|" + std::to_string(p.actions.size()) + (p.program ? "|program" : ""));
  EXPECT_EQ((Rows{"good.dll|Fixture|9|3", "hostile.dll|hostile|0|3",
                  "program.exe|Program fixture|0|2|program"}),
            plugins);
  ASSERT_EQ(3u, plugins.size());
  const PluginRecord &good = host->Plugins()[0], &hostile = host->Plugins()[1];
  EXPECT_EQ("Version 1.2", host->Description(good));
  EXPECT_EQ(std::string(TAVION_TEXT_LIMIT, 'x'), host->Query(hostile, 3)) << "cut at the limit";
  EXPECT_EQ(std::string(300, 'x'), host->Query(hostile, 101)) << "up to unreadable memory";
  EXPECT_EQ("", host->Query(hostile, 102)) << "a pointer to nowhere";
  for (const char* function : {"Garbage", "TooMany", "Unreadable"})
    EXPECT_EQ(nullptr, host->CreateParams({"hostile.dll", function})) << function;

  Rows entries;
  for (const ActionCatalogueEntry& e : host->CatalogueEntries())
    entries.push_back(e.displayName + "|" + PluginCodeField(e.code, '2') + "|" + e.pluginName +
                      (e.MainThreadOnly ? "|main" : "") + (e.NotifyBefore ? "|before" : ""));
  EXPECT_EQ((Rows{"Run it|Run|Fixture", "With settings|Settings|Fixture|main|before",
                  "Gone|Missing|Fixture|main", "A|Garbage|hostile|main", "B|TooMany|hostile|main",
                  "C|Unreadable|hostile|main", "Say hello|/hello|Program fixture|main",
                  "Settings|SetOpt|Program fixture|main"}),
            entries);
  EXPECT_NE(nullptr, UniqueIcon(host->PluginIcon(good, 16)).get());
  EXPECT_NE(nullptr, UniqueIcon(host->PluginIcon(host->Plugins()[2], 16)).get()) << "the shell's";
  EXPECT_NE(nullptr, UniqueIcon(host->ActionIcon(MakePluginCode("good.dll", "Run"), 16)).get());
  EXPECT_EQ(nullptr, host->ActionIcon(MakePluginCode("good.dll", "Settings"), 16));

  EXPECT_EQ(PluginCheck::kOtherVersion, PluginHost::CheckFile(folder + L"\\wrongver.dll").result);
  for (const wchar_t* file : {L"empty.dll", L"noexport.dll", L"readme.txt"})
    EXPECT_EQ(PluginCheck::kNotPlugin, PluginHost::CheckFile(folder + L"\\" + file).result);
  EXPECT_EQ(PluginCheck::kPlugin, PluginHost::CheckFile(folder + L"\\program.exe").result);
  EXPECT_TRUE(PluginHost(folder + L"\\none", nullptr).Load("1.0").folderMissing);
}

TEST_F(PluginHostTest, CallsReachLibraryAndProgramFunctionsOrAnswerNil) {
  Put({L"good.dll", L"program.exe"});
  host->Load("1.0");
  EXPECT_EQ("", Call(L"good.dll", "Run"));
  EXPECT_EQ("", host->Call(L"Z:\\elsewhere\\GOOD.DLL", "SetOpt", 1, nullptr, main.hwnd()));
  EXPECT_EQ("Run " + Window() + ";SetOpt " + Window() + ";", Logged("Calls"));
  EXPECT_EQ((Rows{"nil", "answer 101", "nil", "nil"}),
            (Rows{Call(L"good.dll", "Missing"), Call(L"good.dll", "101"), Call(L"good.dll", "100"),
                  Call(L"gone.dll", "Run")}));

  const std::pair<const char*, std::string> programCalls[] = {{"/hello", "/hello "},
                                                              {"SetOpt", "/options "}};
  for (const auto& [function, line] : programCalls) {
    fixture.DeleteKey("");
    EXPECT_EQ("", Call(L"program.exe", function, 1));
    EXPECT_TRUE(wine_test::PumpUntil([&] { return Logged("Program") == line + Window(); }))
        << function;
  }
  EXPECT_EQ("nil", Call(L"program.exe", "ShowHelp", 1)) << "it has no such command";
}

TEST_F(PluginHostTest, APluginActionKeepsItsSettingsInTheRegistryAndAcrossReloadAndRemoval) {
  Put({L"good.dll"});
  host->Load("1.0");
  SetPluginCodeResolver(host.get());
  const wine_test::ScopeExit noResolver([] { SetPluginCodeResolver(nullptr); });
  const std::string code = MakePluginCode("good.dll", "Settings");
  Win32Registry profile(HKEY_CURRENT_USER, "Software\\Quillon\\Tavion\\Keys\\Test");
  {
    TAction saved;
    saved.SetExec(code);
    Persistent* params = saved.ParamsAs<TActionParamsPlug>()->Params.get();
    ASSERT_NE(nullptr, params);
    SetPluginParamNumber(*params, "Count", 42);
    params->Properties()[1].setString(*params, params->Properties()[1], "Zürich");
    ASSERT_TRUE(WriteObject(saved, profile, "", "000", /*load=*/false));
  }
  EXPECT_EQ(42u, profile.ReadInteger("000\\ActionParams\\Params", "Count"));
  EXPECT_EQ("Zürich", profile.ReadString("000\\ActionParams\\Params", "Text"));
  {
    TActionsList list;
    WriteObject(list.Add(), profile, "", "000", /*load=*/true);
    host->Load("1.0");  // a reload keeps the module of a live object in place
    TAction& loaded = *list.At(0);
    EXPECT_EQ("", host->Call(folder + L"\\good.dll", "Settings", 3, loaded.ActionParams(),
                             reinterpret_cast<HWND>(1)));
    wine_test::TestWindow panel;
    host->ShowPanel(*loaded.ActionParams(), panel.hwnd());
    EXPECT_NE(nullptr, GetDlgItem(panel.hwnd(), 100));
    host->ClosePanel(*loaded.ActionParams(), panel.hwnd());
    EXPECT_EQ(
        "Settings 3042 Zürich;Settings 4042 Zürich;Settings 5042 Zürich;"
        "Settings 6042 Zürich;",
        Logged("Calls"));
    fixture.DeleteKey("");

    EXPECT_TRUE(host->Remove(0, &list));
    EXPECT_EQ("UnInstall " + Window() + ";Settings 3042 Zürich;", Logged("Calls"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((folder + L"\\good.dll").c_str()));
    EXPECT_TRUE(host->Plugins().empty());
    const auto* plug = loaded.ParamsAs<TActionParamsPlug>();
    ASSERT_TRUE(plug->Params == nullptr && plug->StoredParams != nullptr);
    EXPECT_EQ(42u, plug->StoredParams->ReadInteger("", "Count")) << "kept to be saved back";
    EXPECT_EQ("nil", Call(L"good.dll", "Settings"));
  }
}

}  // namespace
}  // namespace tavion
