// Version and file helpers: the library's own version resource, build times, CheckWrite.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "sidekit_api.h"
#include "tavion_version.h"
#include "test_windows.h"

namespace {

using sidekit_test::CheckWrite;
using sidekit_test::CutVer;
using sidekit_test::GetBuildTime;
using sidekit_test::GetFileVer;
using sidekit_test::GetFileVerEx;

std::wstring LibraryPath() {
  return sidekit_test::ProgramFolder() + L"\\Sidekit32.dll";
}

// A file in the temporary folder, removed when the test ends.
class TempFile {
 public:
  explicit TempFile(const wchar_t* stem) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    path_ = std::wstring(folder) + sidekit_test::UniqueName(stem) + L".tmp";
  }
  ~TempFile() { DeleteFileW(path_.c_str()); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const wchar_t* path() const { return path_.c_str(); }
  bool Write(const std::string& bytes) const {
    HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    CloseHandle(file);
    return ok;
  }
  std::string Read() const {
    HANDLE file = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    char data[256] = {};
    DWORD read = 0;
    ReadFile(file, data, sizeof data, &read, nullptr);
    CloseHandle(file);
    return std::string(data, read);
  }
  bool SetLastWrite(const FILETIME& time) const {
    HANDLE file = CreateFileW(path_.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool ok = SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
    return ok;
  }

 private:
  std::wstring path_;
};

uint64_t Ticks(const FILETIME& time) {
  return static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

FILETIME FileTimeOf(int year, int month, int day) {
  SYSTEMTIME system{};
  system.wYear = static_cast<WORD>(year);
  system.wMonth = static_cast<WORD>(month);
  system.wDay = static_cast<WORD>(day);
  FILETIME time{};
  SystemTimeToFileTime(&system, &time);
  return time;
}

// The smallest file that reads as a PE image: a DOS header pointing at "PE\0\0" and a file
// header with the link time `stamp`.
std::string PeImageWithStamp(uint32_t stamp) {
  std::string bytes(0x80 + 4 + sizeof(IMAGE_FILE_HEADER), '\0');
  IMAGE_DOS_HEADER dos{};
  dos.e_magic = IMAGE_DOS_SIGNATURE;
  dos.e_lfanew = 0x80;
  memcpy(bytes.data(), &dos, sizeof dos);
  const DWORD signature = IMAGE_NT_SIGNATURE;
  memcpy(bytes.data() + 0x80, &signature, sizeof signature);
  IMAGE_FILE_HEADER header{};
  header.Machine = IMAGE_FILE_MACHINE_AMD64;
  header.TimeDateStamp = stamp;
  memcpy(bytes.data() + 0x84, &header, sizeof header);
  return bytes;
}

TEST(VersionHelpers, LibraryCarriesTheProjectVersion) {
  DWORD major = 99, minor = 99, release = 99, build = 99;
  ASSERT_TRUE(GetFileVerEx(LibraryPath().c_str(), &major, &minor, &release, &build));
  EXPECT_EQ(static_cast<DWORD>(TAVION_VERSION_MAJOR), major);
  EXPECT_EQ(static_cast<DWORD>(TAVION_VERSION_MINOR), minor);
  EXPECT_EQ(static_cast<DWORD>(TAVION_VERSION_PATCH), release);
  EXPECT_EQ(static_cast<DWORD>(TAVION_VERSION_BUILD), build);

  wchar_t text[32] = {};
  const DWORD length = GetFileVer(LibraryPath().c_str(), text, 32);
  EXPECT_EQ(std::wstring(L"" TAVION_VERSION_TEXT), text);
  EXPECT_EQ(wcslen(text), length);
  // Too small: the size needed, terminator included.
  EXPECT_EQ(length + 1, GetFileVer(LibraryPath().c_str(), text, length));
  EXPECT_EQ(std::wstring(), text);
}

TEST(VersionHelpers, FilesWithoutAVersionGiveZerosAndAnEmptyText) {
  TempFile plain(L"plain");
  ASSERT_TRUE(plain.Write("no version here"));
  const std::wstring missing = sidekit_test::ProgramFolder() + L"\\no-such-file.dll";
  for (const wchar_t* path :
       {plain.path(), missing.c_str(), static_cast<const wchar_t*>(nullptr)}) {
    SCOPED_TRACE(path ? path : L"(null)");
    DWORD numbers[4] = {9, 9, 9, 9};
    EXPECT_FALSE(GetFileVerEx(path, &numbers[0], &numbers[1], &numbers[2], &numbers[3]));
    for (DWORD number : numbers) EXPECT_EQ(0u, number);
    wchar_t text[8] = {L'x'};
    EXPECT_EQ(0u, GetFileVer(path, text, 8));
    EXPECT_EQ(std::wstring(), text);
  }
  // The numbers a caller does not want may be null.
  DWORD major = 0;
  EXPECT_TRUE(GetFileVerEx(LibraryPath().c_str(), &major, nullptr, nullptr, nullptr));
  EXPECT_EQ(static_cast<DWORD>(TAVION_VERSION_MAJOR), major);
}

TEST(VersionHelpers, CutVerDropsTrailingZeroParts) {
  const struct {
    const wchar_t* version;
    const wchar_t* expected;
  } cases[] = {
      {L"2.5.0.0", L"2.5"},     {L"2.5.1.0", L"2.5.1"}, {L"3.0.0.0", L"3.0"},
      {L"2.5.0.3", L"2.5.0.3"}, {L"1.10.0.0", L"1.10"}, {L"", L""},
      {nullptr, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version ? c.version : L"(null)");
    wchar_t text[16] = {L'x'};
    EXPECT_EQ(wcslen(c.expected), CutVer(c.version, text, 16));
    EXPECT_EQ(std::wstring(c.expected), text);
  }
  EXPECT_EQ(4u, CutVer(L"2.5.0.0", nullptr, 0));
}

TEST(BuildTime, TakesTheLinkTimeOrElseTheLastWriteTime) {
  TempFile stamped(L"stamped");
  TempFile unstamped(L"unstamped");
  TempFile plain(L"plain");
  ASSERT_TRUE(stamped.Write(PeImageWithStamp(1000000000)));  // 2001-09-09 01:46:40 UTC
  ASSERT_TRUE(unstamped.Write(PeImageWithStamp(0)));
  ASSERT_TRUE(plain.Write("MZ but nothing more"));
  const FILETIME written = FileTimeOf(2004, 5, 6);
  ASSERT_TRUE(unstamped.SetLastWrite(written));
  ASSERT_TRUE(plain.SetLastWrite(written));

  const struct {
    const char* name;
    const wchar_t* path;
    uint64_t expected;
  } cases[] = {
      {"PE image", stamped.path(),
       Ticks(FileTimeOf(2001, 9, 9)) + (1 * 3600 + 46 * 60 + 40) * 10000000ull},
      {"PE image without a link time", unstamped.path(), Ticks(written)},
      {"no PE image", plain.path(), Ticks(written)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FILETIME time{};
    ASSERT_TRUE(GetBuildTime(c.path, &time));
    EXPECT_EQ(c.expected, Ticks(time));
  }
}

TEST(BuildTime, LibraryWasBuiltRecently) {
  FILETIME built{};
  ASSERT_TRUE(GetBuildTime(LibraryPath().c_str(), &built));
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const uint64_t day = 24ull * 3600 * 10000000;
  EXPECT_LE(Ticks(built), Ticks(now) + day / 24 / 60);  // not in the future (a minute's slack)
  EXPECT_GE(Ticks(built), Ticks(now) - 30 * day);
}

TEST(BuildTime, MissingFileOrNullArgumentsFail) {
  FILETIME time{};
  const std::wstring missing = sidekit_test::ProgramFolder() + L"\\no-such-file.dll";
  EXPECT_FALSE(GetBuildTime(missing.c_str(), &time));
  EXPECT_FALSE(GetBuildTime(nullptr, &time));
  EXPECT_FALSE(GetBuildTime(LibraryPath().c_str(), nullptr));
}

TEST(CheckWrite, WritableFilesPassAndAreLeftAsTheyWere) {
  TempFile existing(L"existing");
  ASSERT_TRUE(existing.Write("keep me"));
  EXPECT_TRUE(CheckWrite(existing.path(), 0, nullptr, L"error", L"Tavion"));
  EXPECT_EQ("keep me", existing.Read());

  TempFile fresh(L"fresh");
  EXPECT_TRUE(CheckWrite(fresh.path(), 0, nullptr, L"error", L"Tavion"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(fresh.path()));
}

TEST(CheckWrite, UnwritablePathsFailWithoutAMessageWhenNoneIsAskedFor) {
  TempFile locked(L"locked");
  ASSERT_TRUE(locked.Write("locked"));
  HANDLE lock = CreateFileW(locked.path(), GENERIC_READ, /*dwShareMode=*/0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, lock);
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring missingFolder = std::wstring(temp) + L"no-such-folder\\file.reg";

  const struct {
    const char* name;
    const wchar_t* path;
  } cases[] = {
      {"file in a missing folder", missingFolder.c_str()},
      {"a folder", temp},
      {"file opened without sharing", locked.path()},
      {"read-only file system", L"Z:\\proc\\sidekit-check-write.reg"},
      {"empty name", L""},
      {"null name", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // showError 0: a message box here would stop the test.
    EXPECT_FALSE(CheckWrite(c.path, 0, nullptr, L"error", L"Tavion"));
  }
  CloseHandle(lock);
  EXPECT_EQ("locked", locked.Read());
}

}  // namespace
