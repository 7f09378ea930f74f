#include "exec/shell_launch_win.h"

#include <objbase.h>
#include <shellapi.h>

#include <atomic>
#include <map>
#include <memory>
#include <vector>

#include "base/handles_win.h"
#include "base/message_wait_win.h"
#include "exec/launch.h"

namespace tavion {
namespace {

// One shell call. The worker and the waiting caller share it; whichever is last frees it. The
// state tells who closes the started process's handle: the caller when it takes the result,
// the worker when the caller has given up waiting.
struct LaunchJob {
  enum State { kRunning, kFinished, kAbandoned };

  std::wstring verb, file, parameters, folder;
  SHELLEXECUTEINFOW info = {};
  std::atomic<int> state{kRunning};
};

const wchar_t* OrNull(const std::wstring& text) {
  return text.empty() ? nullptr : text.c_str();
}

DWORD WINAPI RunLaunchJob(void* parameter) {
  const std::unique_ptr<std::shared_ptr<LaunchJob>> holder(
      static_cast<std::shared_ptr<LaunchJob>*>(parameter));
  LaunchJob& job = **holder;
  // Shell extensions that handle a verb may be COM objects.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  // A failure is in hInstApp, which the caller reads.
  ShellExecuteExW(&job.info);
  if (SUCCEEDED(com)) CoUninitialize();
  int expected = LaunchJob::kRunning;
  if (!job.state.compare_exchange_strong(expected, LaunchJob::kFinished) &&
      job.info.hProcess != nullptr) {
    CloseHandle(job.info.hProcess);
  }
  return 0;
}

}  // namespace

intptr_t ShellLaunch(const std::wstring& verb, const std::wstring& file,
                     const std::wstring& parameters, const std::wstring& folder, int showCommand,
                     DWORD timeoutMs, const std::function<bool()>& terminating) {
  auto job = std::make_shared<LaunchJob>();
  job->verb = verb;
  job->file = file;
  job->parameters = parameters;
  job->folder = folder;
  SHELLEXECUTEINFOW& info = job->info;
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = OrNull(job->verb);
  info.lpFile = job->file.c_str();
  info.lpParameters = OrNull(job->parameters);
  info.lpDirectory = OrNull(job->folder);
  info.nShow = showCommand;

  auto* handed = new std::shared_ptr<LaunchJob>(job);
  UniqueKernelHandle thread(CreateThread(nullptr, 0, RunLaunchJob, handed, 0, nullptr));
  if (!thread) {
    delete handed;
    return 0;
  }

  const ULONGLONG start = GetTickCount64();
  bool threadEnded = false;
  for (;;) {
    if (timeoutMs != INFINITE && GetTickCount64() - start >= timeoutMs) break;
    if (terminating && terminating()) break;
    if (!WaitProcessingMessages(10)) break;
    if (!threadEnded) {
      threadEnded = WaitForSingleObject(thread.get(), 100) == WAIT_OBJECT_0;
      if (threadEnded && (timeoutMs != INFINITE || job->info.hProcess == nullptr)) break;
    } else if (WaitForSingleObject(job->info.hProcess, 100) == WAIT_OBJECT_0) {
      break;
    }
  }

  int expected = LaunchJob::kRunning;
  if (job->state.compare_exchange_strong(expected, LaunchJob::kAbandoned)) {
    // The shell call cannot be interrupted, and ending a thread inside it would leave the
    // shell's locks held: the worker finishes on its own and cleans up after itself.
    return 0;
  }
  if (job->info.hProcess != nullptr) CloseHandle(job->info.hProcess);
  return reinterpret_cast<intptr_t>(job->info.hInstApp);
}

std::wstring ProcessImagePath(DWORD processId) {
  // The limited right is granted for elevated processes too, and the image name is read without
  // reading the process's memory.
  UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return {};
  // Long enough for any path the system gives a process (32,767 characters).
  std::wstring image(32768, L'\0');
  DWORD length = static_cast<DWORD>(image.size());
  if (!QueryFullProcessImageNameW(process.get(), 0, image.data(), &length)) return {};
  image.resize(length);
  return image;
}

namespace {

std::wstring FileNameOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool SameFileName(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), /*bIgnoreCase=*/TRUE) == CSTR_EQUAL;
}

struct CopySearch {
  std::wstring fileName;
  std::map<DWORD, HWND> windowByProcess;  // the first counting window of each process
  std::map<DWORD, bool> processMatches;   // asked once per process
};

bool ProcessRunsFile(DWORD processId, const std::wstring& fileName) {
  const std::wstring image = ProcessImagePath(processId);
  return !image.empty() && SameFileName(FileNameOf(image), fileName);
}

BOOL CALLBACK CollectCopyWindow(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<CopySearch*>(parameter);
  if (GetWindow(window, GW_OWNER) != nullptr || GetWindowTextLengthW(window) == 0 ||
      !IsWindowVisible(window)) {
    return TRUE;
  }
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (search.windowByProcess.contains(processId)) return TRUE;
  auto [known, added] = search.processMatches.try_emplace(processId, false);
  if (added) known->second = ProcessRunsFile(processId, search.fileName);
  if (known->second) search.windowByProcess.emplace(processId, window);
  return TRUE;
}

}  // namespace

bool ActivateRunningCopy(const std::wstring& path, ForceForegroundWindowFn forceForeground) {
  CopySearch search;
  search.fileName = FileNameOf(path);
  if (search.fileName.empty()) return false;
  EnumWindows(CollectCopyWindow, reinterpret_cast<LPARAM>(&search));
  if (search.windowByProcess.empty()) return false;

  std::vector<uint32_t> processIds;
  std::vector<HWND> windows;
  for (const auto& [processId, window] : search.windowByProcess) {
    processIds.push_back(processId);
    windows.push_back(window);
  }
  DWORD foregroundProcess = 0;
  if (HWND foreground = GetForegroundWindow()) {
    GetWindowThreadProcessId(foreground, &foregroundProcess);
  }
  const HWND target = windows[NextRunningCopy(processIds, foregroundProcess)];
  if (forceForeground != nullptr) {
    forceForeground(target);
  } else {
    SetForegroundWindow(target);
  }
  return true;
}

}  // namespace tavion
