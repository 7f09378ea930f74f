#include "update/update_check_win.h"

#include <shellapi.h>
#include <wininet.h>

#include <memory>

#include "base/handles_win.h"
#include "base/utf_win.h"
#include "exec/main_messages.h"
#include "forms/message_box_win.h"
#include "settings/settings.h"
#include "ui/about_page.h"
#include "update/update_check.h"

namespace tavion {
namespace {

using UniqueInternet = UniqueHandle<NullHandleTraits<HINTERNET, &InternetCloseHandle>>;

constexpr DWORD kChunkBytes = 1024;
// An unanswered server must not keep the interactive check's hourglass up for minutes.
constexpr DWORD kTimeoutMs = 20000;

// The whole reply of `address`, or nothing when it cannot be had or is longer than `limit`.
std::optional<std::string> FetchReply(const std::string& address, size_t limit) {
  UniqueInternet internet(
      InternetOpenA("Tavion", INTERNET_OPEN_TYPE_PRECONFIG, /*proxy=*/nullptr, nullptr, 0));
  if (!internet) return std::nullopt;
  DWORD timeout = kTimeoutMs;
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
    InternetSetOptionA(internet.get(), option, &timeout, sizeof timeout);  // a hint only
  // A cached page would hide a release made since the last check.
  UniqueInternet page(InternetOpenUrlA(
      internet.get(), address.c_str(), /*headers=*/nullptr, 0,
      INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE, 0));
  if (!page) return std::nullopt;
  DWORD status = 0, size = sizeof status;
  // Other schemes have no status; an HTTP error page is no reply.
  if (HttpQueryInfoA(page.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                     nullptr) &&
      status != HTTP_STATUS_OK)
    return std::nullopt;
  std::string reply;
  char chunk[kChunkBytes];
  for (;;) {
    DWORD read = 0;
    if (!InternetReadFile(page.get(), chunk, sizeof chunk, &read)) return std::nullopt;
    if (read == 0) return reply;
    if (reply.size() + read > limit) return std::nullopt;
    reply.append(chunk, read);
  }
}

DWORD WINAPI BackgroundCheck(void* parameter) {
  const std::unique_ptr<std::pair<HWND, std::string>> job(
      static_cast<std::pair<HWND, std::string>*>(parameter));
  auto found = std::make_unique<std::string>(FetchUpdateVersion(job->second));
  // The window may be gone by now; the version then goes with the thread.
  if (PostMessageW(job->first, WM_TV_UPDATE_RESULT, 0, reinterpret_cast<LPARAM>(found.get())))
    found.release();
  return 0;
}

// Shows the hourglass until the scope ends, then the cursor there was.
class WaitCursor {
 public:
  WaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(previous_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR previous_;
};

}  // namespace

std::string FetchUpdateVersion(const std::string& address) {
  const std::optional<std::string> reply = FetchReply(address, kUpdateReplyLimit);
  return reply ? UpdateReplyVersion(*reply) : std::string();
}

bool StartBackgroundUpdateCheck(HWND mainWindow, std::string address) {
  auto job = std::make_unique<std::pair<HWND, std::string>>(mainWindow, std::move(address));
  UniqueKernelHandle thread(CreateThread(nullptr, 0, &BackgroundCheck, job.get(), 0, nullptr));
  if (!thread) return false;
  job.release();  // the thread owns it now
  return true;
}

bool TakeBackgroundUpdateResult(HWND mainWindow, LPARAM lParam, SettingsRecord& settings,
                                std::string_view running) {
  const std::unique_ptr<std::string> found(reinterpret_cast<std::string*>(lParam));
  if (!found) return false;
  const BackgroundUpdate result = BackgroundUpdateResult(*found, running);
  // Added to the stored date, not to today: a long-unused program catches up one step per run.
  if (result.advance) settings.LastUpdate += kUpdateCheckIntervalDays;
  if (!result.newVersion) return false;
  settings.LastUpdateVersion = *result.newVersion;
  return PostMessageW(mainWindow, WM_TV_STATUS, kStatusUpdateNotice, 0) != FALSE;
}

void RunInteractiveUpdateCheck(const std::string& address, std::string_view running) {
  std::string found;
  {
    WaitCursor hourglass;
    found = FetchUpdateVersion(address);
  }
  const UpdateVerdict verdict = InteractiveUpdateVerdict(found, running);
  const std::string text = UpdateVerdictText(verdict, found, running);
  switch (verdict) {
    case UpdateVerdict::kError:
      ShowMessageBox(text, MessageDialogType::Error, MessageButtons::Ok);
      break;
    case UpdateVerdict::kNewer:
      if (ShowMessageBox(text, MessageDialogType::Confirmation, MessageButtons::YesNo) == IDYES)
        OpenMakerSite();
      break;
    case UpdateVerdict::kLatest:
    case UpdateVerdict::kOlder:
      ShowMessageBox(text, MessageDialogType::Information, MessageButtons::Ok);
      break;
  }
}

bool OpenMakerSite() {
  // ShellExecute reports success as a value above 32.
  return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", Utf8ToWide(kMakerSite).c_str(),
                                                 nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

}  // namespace tavion
