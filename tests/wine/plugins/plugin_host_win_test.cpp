#include "plugins/plugin_host_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/default_actions.h"
#include "base/utf_win.h"
#include "osd/notify_action.h"
#include "plugins/plugin_params.h"
#include "settings/registry_win.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

using Rows = std::vector<std::string>;
constexpr const wchar_t* kFiles[] = {L"TavionSample.dll", L"wrongver.dll", L"empty.dll",
                                     L"noexport.dll",     L"hostile.dll",  L"program.exe"};

// A plug-in folder of the test's own with the fixtures, the sample and a file of no plug-in.
class PluginHostTest : public testing::Test {
 protected:
  PluginHostTest() {
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    folder = temp + wine_test::UniqueName(L"plugins");
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* name : kFiles) {
      const wchar_t* from = name == kFiles[0] ? L"\\sample-plugin\\" : L"\\test-plugins\\";
      CopyFileW((wine_test::ProgramFolder() + from + name).c_str(), Path(name).c_str(), FALSE);
    }
    CloseHandle(CreateFileW(Path(L"readme.dll").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                            nullptr));
    host = std::make_unique<PluginHost>(folder, main.hwnd());
  }
  ~PluginHostTest() override {
    host.reset();  // frees the modules, so their files can go
    for (const wchar_t* name : kFiles) DeleteFileW(Path(name).c_str());
    DeleteFileW(Path(L"readme.dll").c_str());
    RemoveDirectoryW(folder.c_str());
  }
  std::wstring Path(const wchar_t* name) const { return folder + L"\\" + name; }
  std::string Call(const wchar_t* file, const char* function, Persistent* params = nullptr) {
    return host->Call(Path(file), function, 3, params, reinterpret_cast<HWND>(1));
  }

  std::wstring folder;
  wine_test::TestWindow main;
  std::unique_ptr<PluginHost> host;
};

TEST_F(PluginHostTest, DiscoveryTakesPluginsOfTheVersionAndReadsNonsenseSafely) {
  const PluginLoadReport report = host->Load("1.0");
  EXPECT_EQ(Rows{PluginVersionError("1.0", "wrongver.dll", "2A.1")}, report.versionErrors);
  ASSERT_EQ(3u, host->Plugins().size());
  const PluginRecord &hostile = host->Plugins()[0], &sample = host->Plugins()[2];
  // Cut at the limit, up to unreadable memory, a pointer to nowhere.
  EXPECT_EQ(
      (Rows{std::string(TAVION_TEXT_LIMIT, 'x'), std::string(300, 'x'), ""}),
      (Rows{host->Query(hostile, 3), Call(L"hostile.dll", "101"), host->Query(hostile, 102)}));
  for (const char* function : {"Garbage", "TooMany", "Unreadable"})
    EXPECT_EQ(nullptr, host->CreateParams({"hostile.dll", function})) << function;
  EXPECT_NE(std::string::npos, host->Description(sample).find("version 1.2."));

  Rows entries;
  for (const ActionCatalogueEntry& e : host->CatalogueEntries())
    entries.push_back(e.displayName + "|" + PluginCodeField(e.code, '2') + "|" + e.pluginName +
                      (e.MainThreadOnly ? "|main" : ""));
  EXPECT_EQ((Rows{"A|Garbage|hostile|main", "B|TooMany|hostile|main", "C|Unreadable|hostile|main",
                  "Say hello|/hello|Program fixture|main", "Settings|SetOpt|Program fixture|main",
                  "Say|Say|Tavion sample"}),
            entries);
  EXPECT_NE(nullptr, UniqueIcon(host->PluginIcon(sample, 16)).get());
  EXPECT_NE(nullptr,
            UniqueIcon(host->ActionIcon(MakePluginCode("tavionsample.dll", "Say"), 16)).get());

  EXPECT_EQ(PluginCheck::kOtherVersion, PluginHost::CheckFile(Path(L"wrongver.dll")).result);
  EXPECT_EQ(PluginCheck::kNotPlugin, PluginHost::CheckFile(Path(L"noexport.dll")).result);
  EXPECT_TRUE(PluginHost(Path(L"none"), nullptr).Load("1.0").folderMissing);
}

TEST_F(PluginHostTest, ProgramsRunWithTheirCommandAndTheMainWindowUnknownCallsAnswerNil) {
  host->Load("1.0");
  Win32Registry fixture(HKEY_CURRENT_USER, "Software\\Quillon\\PluginFixture");
  const std::string window = std::to_string(reinterpret_cast<uintptr_t>(main.hwnd()));
  for (const auto& [function, line] : {std::pair{"/hello", "/hello "}, {"SetOpt", "/options "}}) {
    fixture.DeleteKey("");
    EXPECT_EQ("", Call(L"program.exe", function));
    EXPECT_TRUE(wine_test::PumpUntil([&] {
      return fixture.ReadString("", "Program") == line + window;
    })) << function;
  }
  EXPECT_EQ((Rows{"nil", "nil", "", "nil", "nil"}),
            (Rows{Call(L"program.exe", "ShowHelp"), Call(L"TavionSample.dll", "Missing"),
                  Call(L"TavionSample.dll", "101"), Call(L"TavionSample.dll", "100"),
                  Call(L"gone.dll", "Say")}));
}

TEST_F(PluginHostTest, APluginActionKeepsItsSettingsInTheRegistryAcrossReloadAndRemoval) {
  host->Load("1.0");
  SetPluginCodeResolver(host.get());
  const wine_test::ScopeExit noResolver([] { SetPluginCodeResolver(nullptr); });
  Win32Registry profile(HKEY_CURRENT_USER, "Software\\Quillon\\Tavion\\Keys\\Test");
  TActionsList list;
  TAction& saved = list.Add();
  saved.SetExec(MakePluginCode("TavionSample.dll", "Say"));
  Persistent* params = saved.ParamsAs<TActionParamsPlug>()->Params.get();
  ASSERT_NE(nullptr, params);
  SetPluginParamNumber(*params, "Upper", 1);
  params->Properties()[0].setString(*params, params->Properties()[0], "Zürich");
  ASSERT_TRUE(WriteObject(saved, profile, "", "000", /*load=*/false));
  EXPECT_EQ("Zürich", profile.ReadString("000\\ActionParams\\Params", "Text"));
  TAction& loaded = list.Add();
  WriteObject(loaded, profile, "", "000", /*load=*/true);
  host->Load("1.0");  // a reload keeps the module of a live object in place
  params = loaded.ActionParams();
  EXPECT_EQ("", Call(L"TavionSample.dll", "Say", params));
  EXPECT_EQ("ZÜRICH", TakePendingOsdText());
  wine_test::TestWindow panel;
  host->ShowPanel(*params, panel.hwnd());
  SetDlgItemTextW(panel.hwnd(), 101, L"edited");
  host->ClosePanel(*params, panel.hwnd());
  Call(L"TavionSample.dll", "Say", params);
  EXPECT_EQ("EDITED", TakePendingOsdText());

  ASSERT_TRUE(host->Remove(2, &list));
  EXPECT_EQ(1u, Win32Registry(HKEY_CURRENT_USER, "Software\\Quillon\\Tavion\\SampleTest")
                    .ReadInteger("", "UnInstallCalls"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(Path(L"TavionSample.dll").c_str()));
  const auto* plug = loaded.ParamsAs<TActionParamsPlug>();
  ASSERT_TRUE(plug->Params == nullptr && plug->StoredParams != nullptr);
  EXPECT_EQ("edited", plug->StoredParams->ReadString("", "Text")) << "kept to be saved back";
  EXPECT_EQ("nil", Call(L"TavionSample.dll", "Say"));
}

// Our own plug-ins as built: the default set chooses what Corvex's CD-ROM and power actions do.
TEST_F(PluginHostTest, TheDefaultSetSetsTheOperationOfCorvexsActions) {
  PluginHost own(wine_test::ProgramFolder() + L"\\PlugIns", main.hwnd());
  own.Load("1.0");
  SetPluginCodeResolver(&own);
  const wine_test::ScopeExit noResolver([] { SetPluginCodeResolver(nullptr); });
  TActionsList list;
  BuildDefaults(list, 0, {.corvex = DefaultSetPlugin{"Corvex.dll", "Corvex"}, .panora = {}});
  Rows operations;
  for (std::size_t i = 0; i < list.Count(); ++i)
    if (auto* plug = list.At(i)->ParamsAs<TActionParamsPlug>(); plug && plug->Params)
      for (const Property& p : plug->Params->Properties())
        if (p.name == "Operation")
          operations.push_back(list.At(i)->Name() + "=" +
                               std::to_string(p.getNumber(*plug->Params, p)));
  EXPECT_EQ((Rows{"Open CD-ROM=0", "Close CD-ROM=1", "Restart Computer=0", "Turn Off Computer=1",
                  "Log Off=2"}),
            operations);
}

}  // namespace
}  // namespace tavion
