#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "actions/masks.h"
#include "actions/masks_win.h"
#include "base/handles_win.h"
#include "base/utf_win.h"

namespace tavion {
namespace {

class Win32UpperCaseTest : public testing::Test {
 protected:
  void SetUp() override { InstallWin32UpperCase(); }
  void TearDown() override { SetUpperCaseFunction(nullptr); }
};

TEST_F(Win32UpperCaseTest, MapsLettersOfManyScripts) {
  struct Case {
    std::string text, expected;
  };
  const Case cases[] = {
      {"notepad", "NOTEPAD"},
      {"caf\xC3\xA9 \xC3\xBF", "CAF\xC3\x89 \xC5\xB8"},             // é ÿ
      {"\xD0\xB1\xD0\xBB\xD0\xBE\xD0\xBA\xD0\xBD\xD0\xBE\xD1\x82",  // блокнот
       "\xD0\x91\xD0\x9B\xD0\x9E\xD0\x9A\xD0\x9D\xD0\x9E\xD0\xA2"},
      {"\xCE\xB1\xCE\xB2\xCE\xB3", "\xCE\x91\xCE\x92\xCE\x93"},  // αβγ
      {"\xD5\xA2\xD5\xA1\xD6\x80\xD5\xA5\xD5\xBE",               // Armenian
       "\xD4\xB2\xD4\xB1\xD5\x90\xD4\xB5\xD5\x8E"},
      {"\xE4\xB8\xAD\xE6\x96\x87", "\xE4\xB8\xAD\xE6\x96\x87"},          // CJK: no case
      {std::string("a\xFF") + "b\xC3", std::string("A\xFF") + "B\xC3"},  // stray bytes kept
      {"\xF0\x9F\x8E\xB9x", "\xF0\x9F\x8E\xB9X"},                        // outside the BMP
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, UpperCaseText(c.text)) << c.text;
}

// The portable mapping stands in on other systems and in native tests; where it maps a letter it
// must agree with the system.
TEST_F(Win32UpperCaseTest, AgreesWithThePortableMappingWhereThatMapsAtAll) {
  int mapped = 0;
  for (char32_t c = 1; c < 0x500; ++c) {
    std::u32string portable(1, c), system(1, c);
    PortableUpperCase(portable);
    if (portable[0] == c) continue;
    ++mapped;
    Win32UpperCase(system);
    EXPECT_EQ(uint32_t(portable[0]), uint32_t(system[0])) << "U+" << std::hex << uint32_t(c);
  }
  EXPECT_GT(mapped, 250);  // the loop did compare letters of every script
}

TEST_F(Win32UpperCaseTest, LeavesUnitsThatAreNoCharacters) {
  std::u32string text = {U'a', 0x110000 + 0xFF, 0xFFFFFFFF, U'b'};
  Win32UpperCase(text);
  EXPECT_EQ((std::u32string{U'A', 0x110000 + 0xFF, 0xFFFFFFFF, U'B'}), text);
  std::u32string empty;
  Win32UpperCase(empty);
  EXPECT_TRUE(empty.empty());
}

struct WindowTraits {
  using Handle = HWND;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle window) { DestroyWindow(window); }
};

// A caption as the window conditions read it: through GetWindowTextW, converted to UTF-8.
std::string CaptionOf(const std::wstring& caption) {
  UniqueHandle<WindowTraits> window(CreateWindowExW(
      0, L"STATIC", caption.c_str(), WS_OVERLAPPED, 0, 0, 100, 50,
      /*hWndParent=*/nullptr, /*hMenu=*/nullptr, GetModuleHandleW(nullptr), /*lpParam=*/nullptr));
  EXPECT_NE(nullptr, window.get());
  wchar_t buffer[256] = {};
  GetWindowTextW(window.get(), buffer, 256);
  return WideToUtf8(buffer);
}

TEST_F(Win32UpperCaseTest, MasksMatchNonAsciiCaptionsRegardlessOfCase) {
  const std::string russian = CaptionOf(
      L"\u0411\u0435\u0437 \u0438\u043C\u0435\u043D\u0438 - "
      L"\u0411\u043B\u043E\u043A\u043D\u043E\u0442");
  EXPECT_TRUE(MatchesMask(russian, "%*%\xD0\xB1\xD0\xBB\xD0\xBE\xD0\xBA\xD0\xBD\xD0\xBE\xD1\x82"));
  EXPECT_FALSE(MatchesMask(russian, "%*%\xD0\xB1\xD0\xBB\xD0\xBE\xD0\xBA"));

  const std::string armenian = CaptionOf(L"\u0532\u0561\u0580\u0565\u057E \u2014 Editor");
  EXPECT_TRUE(MatchesMask(armenian, "\xD5\xA2%?%\xD6\x80%*%editor"));
  EXPECT_FALSE(MatchesMask(armenian, "\xD5\xA2%?%%?%\xD6\x80%*%editor"));

  const std::string accented = CaptionOf(L"R\u00E9sum\u00E9.txt - \u00C9diteur");
  EXPECT_TRUE(MatchesMask(accented, "R\xC3\x89SUM\xC3\x89%*%%?%DITEUR"));
}

}  // namespace
}  // namespace tavion
