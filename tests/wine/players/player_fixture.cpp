#include "wine/players/player_fixture.h"

#include <cstring>

#include "base/utf_win.h"
#include "settings/settings.h"

namespace players_test {
namespace {

std::wstring DoublePath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  folder.erase(folder.find_last_of(L'\\') + 1);
  return folder + L"tavion_player_double.exe";
}

void Pump(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(10);
  } while (GetTickCount() - start < ms);
}

}  // namespace

PlayerDouble::PlayerDouble(PlayerDoubleBlock& block, std::initializer_list<const wchar_t*> sets) {
  std::wstring commandLine = L"\"" + DoublePath() + L"\"";
  for (const wchar_t* set : sets) commandLine += std::wstring(L" ") + set;
  InterlockedExchange(&block.ready, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process_))
    return;
  for (int i = 0; i < 1000 && !block.ready; ++i) Sleep(10);
  ready_ = block.ready != 0;
}

PlayerDouble::~PlayerDouble() {
  if (!process_.hProcess) return;
  TerminateProcess(process_.hProcess, 0);
  WaitForSingleObject(process_.hProcess, 5000);
  CloseHandle(process_.hProcess);
  CloseHandle(process_.hThread);
}

PlayerTest::PlayerTest() {
  mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                sizeof(PlayerDoubleBlock), tavion::test::kPlayerDoubleBlockName);
  if (mapping_)
    block_ = static_cast<PlayerDoubleBlock*>(
        MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(PlayerDoubleBlock)));
  if (block_) std::memset(block_, 0, sizeof *block_);
  tavion::ResetSettings();
  options_.autodetect = false;
  options_.extraText = true;
  options_.playerPath.clear();
  sidekit_ = LoadLibraryW(L"Sidekit32.dll");
  if (sidekit_)
    forceForeground_ = reinterpret_cast<ForceForegroundWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(sidekit_, "ForceForegroundWindow")));
  if (!forceForeground_) ADD_FAILURE() << "no ForceForegroundWindow from Sidekit32.dll";
  owner_ = CreateWindowExW(0, L"STATIC", L"player test owner", 0, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

PlayerTest::~PlayerTest() {
  doubles_.clear();
  if (owner_) DestroyWindow(owner_);
  if (other_) DestroyWindow(other_);
  if (block_) UnmapViewOfFile(block_);
  if (sidekit_) FreeLibrary(sidekit_);
  if (mapping_) CloseHandle(mapping_);
}

void PlayerTest::StartDouble(std::initializer_list<const wchar_t*> sets) {
  ASSERT_NE(nullptr, block_);
  doubles_.push_back(std::make_unique<PlayerDouble>(*block_, sets));
  ASSERT_TRUE(doubles_.back()->ready()) << "the player double did not start";
}

void PlayerTest::ClearMessages() {
  Pump(50);
  InterlockedExchange(&block_->count, 0);
}

tavion::MediaPlayerServices PlayerTest::Services() {
  tavion::MediaPlayerServices services;
  services.options = [this] { return options_; };
  services.sendKeys = [this](uint8_t modifiers, uint16_t key, uint16_t, uint16_t, uintptr_t target,
                             bool, uint16_t, const char*, const wchar_t*) {
    keys_.push_back({modifiers, key, reinterpret_cast<HWND>(target)});
    return true;
  };
  services.launch = [this](const std::string& path) {
    launched_.push_back(path);
    if (!launchStarts_.empty()) {
      doubles_.push_back(std::make_unique<PlayerDouble>(
          *block_, std::initializer_list<const wchar_t*>{launchStarts_.front()}));
      launchStarts_.erase(launchStarts_.begin());
    }
    return true;
  };
  services.shellExecute = [this](const std::string& file, const std::string& verb,
                                 const std::string& parameters, int show) {
    shellCalls_.push_back(file + "|" + verb + "|" + parameters + "|" + std::to_string(show));
    return true;
  };
  services.executeAction = [this](const std::string& code) { executed_.push_back(code); };
  services.foobarInstallDir = [this] { return foobarDir_; };
  services.ownerWindow = owner_;
  services.forceForeground = forceForeground_;
  return services;
}

void PlayerTest::Run(int type, const char* code) {
  tavion::PlayerControl(type, code, Services());
}

std::string PlayerTest::TrackInfo(const char* code) {
  return tavion::PlayerTrackInfo(code, Services());
}

std::vector<PlayerDoubleRecord> PlayerTest::Messages() const {
  const LONG count = block_->count;
  const size_t n = count < 0 ? 0
                             : std::min<size_t>(static_cast<size_t>(count),
                                                tavion::test::kPlayerDoubleRecordCapacity);
  return std::vector<PlayerDoubleRecord>(block_->records, block_->records + n);
}

void PlayerTest::ExpectMessages(const std::vector<Message>& expected, const std::string& context) {
  const DWORD start = GetTickCount();
  while (static_cast<size_t>(block_->count) < expected.size() && GetTickCount() - start < 3000)
    Pump(10);
  Pump(100);  // posted strays would arrive meanwhile
  const std::vector<PlayerDoubleRecord> actual = Messages();
  ASSERT_EQ(expected.size(), actual.size()) << context;
  for (size_t i = 0; i < expected.size(); ++i) {
    const Message& e = expected[i];
    const PlayerDoubleRecord& a = actual[i];
    EXPECT_EQ(reinterpret_cast<uint64_t>(e.window), a.window) << context << " #" << i;
    EXPECT_EQ(e.message, a.message) << context << " #" << i;
    EXPECT_EQ(e.sent ? 1u : 0u, a.sent) << context << " #" << i << " sent or posted";
    EXPECT_EQ(static_cast<uint64_t>(e.wParam), a.wParam) << context << " #" << i;
    EXPECT_EQ(static_cast<int64_t>(e.lParam), a.lParam) << context << " #" << i;
  }
}

HWND PlayerTest::OtherWindow() {
  if (!other_) {
    other_ = CreateWindowExW(0, L"STATIC", L"other window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300,
                             300, 200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  return other_;
}

std::string PlayerTest::SelfPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return tavion::WideToUtf8(path);
}

HWND PlayerTest::Window(const wchar_t* windowClass, const wchar_t* caption) {
  return FindWindowW(windowClass, caption);
}

HWND PlayerTest::ForegroundSoon(HWND expected) {
  for (int i = 0; i < 100 && GetForegroundWindow() != expected; ++i) Pump(10);
  return GetForegroundWindow();
}

bool PlayerTest::MakeForeground(HWND window) {
  SetForegroundWindow(window);
  for (int i = 0; i < 100 && GetForegroundWindow() != window; ++i) Pump(10);
  return GetForegroundWindow() == window;
}

}  // namespace players_test
