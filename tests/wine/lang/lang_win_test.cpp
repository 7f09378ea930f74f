// Language files opened from a "Lang" folder; forms of real controls translated when made and
// again in place, with their hints, looks and selections.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "forms/form_win.h"
#include "lang/lang.h"
#include "lang/language_win.h"
#include "lang/lng_file.h"
#include "base/utf_win.h"
#include "settings/registry_win.h"
#include "settings/settings.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

void UseLanguage(std::string_view text) {
  SetLanguageSource(
      std::make_shared<LanguageFile>(std::vector<uint8_t>(text.begin(), text.end()), nullptr));
}

ControlDecl Decl(ControlKind kind, const char* name, const char* caption, int tag = 0,
                 std::vector<std::string> items = {}) {
  ControlDecl decl;
  decl.name = name, decl.kind = kind, decl.caption = caption, decl.tag = tag;
  decl.items = std::move(items);
  return decl;
}

std::wstring TipText(HWND tip, HWND owner, HWND control) {
  wchar_t text[256] = {};
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text;
  SendMessageW(tip, TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&tool));
  return text;
}

TEST(Win32FormLanguage, TranslatedWhenMadeAndAgainInPlaceKeepingTheChoices) {
  const wine_test::ScopeExit english([] { SetLanguageSource(nullptr); });
  UseLanguage(
      "[Fr9]\nl_head=Heading made longer than it was\ncb_size.Item1=Mittel\n"
      "rb_mode.Item0=Erste Art\ncb_tray=Show the tray icon|hidden part\ncb_tray.hint=Tray hint\n");
  wine_test::TestWindow window({.width = 420, .height = 400});
  std::vector<ControlDecl> table = {
      Decl(ControlKind::kLabel, "l_head", "Heading", 50),
      Decl(ControlKind::kCheckBox, "cb_tray", "Tray icon"),
      Decl(ControlKind::kComboBox, "cb_size", "Size:", 0, {"Small", "Medium", "Large"}),
      Decl(ControlKind::kRadioGroup, "rb_mode", "Mode", 0, {"First", "Second"})};
  Win32Form form;
  form.SetLanguage({"Fr9"});
  ASSERT_TRUE(form.Create(window.hwnd(), table));
  EXPECT_EQ(L"Heading made longer than it was", wine_test::WindowText(form.Handle("l_head")));
  EXPECT_EQ(L"Show the tray icon", wine_test::WindowText(form.Handle("cb_tray")));
  EXPECT_NE(nullptr, FindWindowExW(window.hwnd(), nullptr, L"Button", L"Erste Art"));
  // The styled label: bold, and blue through its parent's WM_CTLCOLORSTATIC.
  EXPECT_NE(SendMessageW(form.Handle("cb_tray"), WM_GETFONT, 0, 0),
            SendMessageW(form.Handle("l_head"), WM_GETFONT, 0, 0));
  HDC dc = CreateCompatibleDC(nullptr);
  SendMessageW(window.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(form.Handle("l_head")));
  EXPECT_EQ(RGB(0x35, 0x70, 0xB8), GetTextColor(dc));
  DeleteDC(dc);
  HWND tip = nullptr;
  while ((tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) &&
         GetWindow(tip, GW_OWNER) != window.hwnd()) {
  }
  ASSERT_NE(nullptr, tip) << "the hint's tooltip";
  EXPECT_EQ(L"Tray hint", TipText(tip, window.hwnd(), form.Handle("cb_tray")));

  // A page chose an entry and added one of its own; then another language comes.
  SendMessageW(form.Handle("cb_size"), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Own entry"));
  form.SetItemIndex(*form.Find("cb_size"), 1);
  form.SetItemIndex(*form.Find("rb_mode"), 1);
  UseLanguage("[Fr9]\ncb_size.Item0=Petit\ncb_size.Item3=Propre\ncb_tray.hint=Indice\n");
  form.ApplyLanguage();
  form.Layout(420, 96);
  EXPECT_EQ(L"Heading", wine_test::WindowText(form.Handle("l_head")));
  EXPECT_EQ(L"Tray icon", wine_test::WindowText(form.Handle("cb_tray")));
  EXPECT_NE(nullptr, FindWindowExW(window.hwnd(), nullptr, L"Button", L"First"));
  EXPECT_EQ(std::pair(1, 1), std::pair(form.ItemIndex(*form.Find("cb_size")),
                                       form.ItemIndex(*form.Find("rb_mode"))));
  std::vector<std::wstring> items(4, std::wstring(64, L'\0'));
  for (int i = 0; i < 4; ++i)
    items[i].resize(SendMessageW(form.Handle("cb_size"), CB_GETLBTEXT, i,
                                 reinterpret_cast<LPARAM>(items[i].data())));
  EXPECT_EQ((std::vector<std::wstring>{L"Petit", L"Medium", L"Large", L"Propre"}), items);
  EXPECT_EQ(L"Indice", TipText(tip, window.hwnd(), form.Handle("cb_tray")));
}

TEST(LanguageFileOnWindows, AFirstStartOpensTheInstallersLanguageFromTheLangFolder) {
  const wine_test::ScopeExit english([] { SetLanguageSource(nullptr); });
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + wine_test::UniqueName(L"Lang");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring file = folder + L"\\Russian.lng";
  const wine_test::ScopeExit removeFolder([&] {
    DeleteFileW(file.c_str());
    RemoveDirectoryW(folder.c_str());
  });
  // No byte-order mark: the system's ANSI code page, where byte 0xE9 is a letter of its own.
  ASSERT_TRUE(wine_test::WriteWholeFile(file, "[Strings]\r\nButtonOK=Fertig \xE9\r\n"));
  Win32Registry settings(HKEY_CURRENT_USER, kSettingsRootPath);
  ASSERT_TRUE(settings.WriteInteger("Setup", "Lang", 1049));

  EXPECT_FALSE(SetLanguage("nil", folder, settings)) << "no catalogue is built for a first start";
  EXPECT_EQ("Russian", Settings().Language);
  wchar_t letter[2] = {};
  MultiByteToWideChar(CP_ACP, 0, "\xE9", 1, letter, 1);
  EXPECT_EQ(L"Fertig " + std::wstring(letter), Utf8ToWide(GetLangStr("ButtonOK", "OK")));

  Settings().Language = "English";
}

}  // namespace
}  // namespace tavion
