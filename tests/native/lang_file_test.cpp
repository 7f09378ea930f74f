// Language files: how their bytes are read, and what GetLangStr makes of their texts.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "lang/lang.h"
#include "lang/language_choice.h"
#include "lang/lng_file.h"
#include "settings/registry.h"

namespace tavion {
namespace {

std::vector<uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

std::vector<uint8_t> Utf16Le(std::u16string_view text) {
  std::vector<uint8_t> bytes = {0xFF, 0xFE};
  for (char16_t unit : text) {
    bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  return bytes;
}

// A code page of its own: byte 0xC1 is Cyrillic "Б", the rest is ASCII.
std::string FakeAnsi(std::string_view ansi) {
  std::string out;
  for (char c : ansi) out += c == '\xC1' ? std::string("Б") : std::string(1, c);
  return out;
}

std::optional<std::string> Read(const std::vector<uint8_t>& bytes, std::string_view section,
                                std::string_view key) {
  return LanguageFile(bytes, &FakeAnsi).Find(section, key);
}

TEST(LanguageFile, ReadsEveryEncodingWithSectionsAndKeysInAnyCase) {
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
  } files[] = {
      {"UTF-16LE", Utf16Le(u"[Fr1]\r\nTrayIcon = Значок\r\n")},
      {"UTF-8", Bytes("\xEF\xBB\xBF[Fr1]\nTrayIcon=Значок\n")},
      {"ANSI", Bytes("; comment\r\n[fr1]\r\n  trayicon\t=\t\xC1\r\n")},
  };
  for (const auto& file : files) {
    const std::string expected = std::string(file.name) == "ANSI" ? "Б" : "Значок";
    EXPECT_EQ(expected, Read(file.bytes, "FR1", "TRAYICON").value_or("-")) << file.name;
    EXPECT_EQ(std::nullopt, Read(file.bytes, "Fr2", "TrayIcon")) << file.name;
  }
}

TEST(LanguageFile, KeepsTheFirstOfADuplicateAndCutsLongValues) {
  const std::string longValue(3000, 'x');
  const auto bytes = Bytes("[S]\nk=first\nK=second\n[s]\nk=third\nlong=" + longValue +
                           "\nsmile=" + std::string(2046, 'y') + "\xF0\x9F\x98\x80");
  EXPECT_EQ("first", Read(bytes, "s", "k"));
  EXPECT_EQ(std::string(kLangValueUnits, 'x'), Read(bytes, "S", "long"));
  // A character of two UTF-16 units past the bound is left out whole.
  EXPECT_EQ(std::string(2046, 'y'), Read(bytes, "S", "smile"));
}

TEST(LanguageFile, BrokenInputLosesOnlyWhatCannotBeRead) {
  std::vector<uint8_t> oddFile = Utf16Le(u"[A]\nk=v\nw=last");
  oddFile.push_back('!');
  const auto nuls = Bytes(std::string_view("[A]\nk=v\0al\nw=\0last", 18));
  const auto unclosed =
      Bytes("k=before any section\n[A\nk=v\nno equals sign\n=no key\n[B]x\nw=last");
  for (const std::vector<uint8_t>* bytes : {&std::as_const(oddFile), &nuls, &unclosed}) {
    EXPECT_EQ(std::nullopt, Read(*bytes, "A", ""));
    EXPECT_EQ("last", Read(*bytes, bytes == &unclosed ? "B" : "A", "w").value_or("-"));
  }
  EXPECT_EQ((std::vector<std::optional<std::string>>{"v", "val", "v"}),
            (std::vector{Read(oddFile, "A", "k"), Read(nuls, "A", "k"), Read(unclosed, "A", "k")}));
  EXPECT_EQ(0u, LanguageFile(Utf16Le(u""), nullptr).Size());
}

TEST(GetLangStr, TurnsEveryCodeOfTheFileIntoItsCharacter) {
  SetLanguageSource(
      std::make_shared<LanguageFile>(Bytes("[Strings]\nInfo=one#13#13two#9three\n"), nullptr));
  EXPECT_EQ("one\r\rtwo\tthree", GetLangStr("info", "default"));
  EXPECT_EQ("x\r", GetLangStr("missing", "x#13", "Nowhere"));
  SetLanguageSource(nullptr);
}

TEST(ChosenLanguage, AFirstStartTakesTheInstallersLanguageWhenItsFileIsThere) {
  const struct {
    const char* name;
    uint32_t installer;
    bool fileThere;
    const char* expected;
  } cases[] = {
      {"nil", 1049, true, "Russian"}, {"nil", 1058, true, "Ukrainian"}, {"nil", 1049, false, "nil"},
      {"nil", 1031, true, "nil"},     {"German", 1049, true, "German"},
  };
  for (const auto& c : cases) {
    MemoryRegistry settings;
    settings.WriteInteger("Setup", "Lang", c.installer);
    // Only the file of the expected language is there: asking for another one finds nothing.
    EXPECT_EQ(c.expected, ChosenLanguage(c.name, settings,
                                         [&](const std::string& language) {
                                           return c.fileThere && language == c.expected;
                                         }))
        << c.name << " " << c.installer;
  }
}

}  // namespace
}  // namespace tavion
