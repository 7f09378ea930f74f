#include "hook_thread.h"

#include "base/handles_win.h"

namespace tavion::sidekit {

namespace {

// A task for the hook thread, posted as the lParam of kRunTaskMessage.
constexpr UINT kRunTaskMessage = WM_APP + 1;

struct TaskRequest {
  bool (*task)(void*) = nullptr;
  void* context = nullptr;
  bool result = false;
  HANDLE done = nullptr;
};

struct ThreadStart {
  HMODULE module = nullptr;  // the reference the thread owns and gives back as it leaves
  HANDLE ready = nullptr;
};

using KernelHandle = UniqueKernelHandle;

KernelHandle NewEvent() {
  return KernelHandle(
      CreateEventW(nullptr, /*bManualReset=*/TRUE, /*bInitialState=*/FALSE, nullptr));
}

// The running hook thread; only touched under the caller's hook lock.
HANDLE g_thread = nullptr;
DWORD g_threadId = 0;

DWORD WINAPI HookThreadMain(void* parameter) {
  const auto* start = static_cast<const ThreadStart*>(parameter);
  const HMODULE module = start->module;
  // The system calls the hooks with messages, and the creator posts tasks: create the queue
  // before telling the creator the thread is ready.
  MSG msg;
  PeekMessageW(&msg, /*hWnd=*/nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  // Every input event of the system waits for this thread while a hook is in place.
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
  SetEvent(start->ready);  // `start` belongs to the creator from here on

  while (GetMessageW(&msg, /*hWnd=*/nullptr, 0, 0) > 0) {
    if (msg.hwnd == nullptr && msg.message == kRunTaskMessage) {
      auto* request = reinterpret_cast<TaskRequest*>(msg.lParam);
      request->result = request->task(request->context);
      SetEvent(request->done);
      continue;
    }
    DispatchMessageW(&msg);
  }
  // The library may have been freed by its user meanwhile: only this reference keeps the code
  // that runs here loaded, and this call returns it without coming back.
  FreeLibraryAndExitThread(module, 0);
}

bool StartHookThread() {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          reinterpret_cast<LPCWSTR>(&HookThreadMain), &module)) {
    return false;
  }
  const KernelHandle ready = NewEvent();
  ThreadStart start{module, ready.get()};
  DWORD threadId = 0;
  KernelHandle thread(ready ? CreateThread(nullptr, 0, &HookThreadMain, &start, 0, &threadId)
                            : nullptr);
  if (!thread) {
    FreeLibrary(module);  // the caller's own reference keeps the library loaded
    return false;
  }
  if (!WaitHandlingSentMessages(ready.get(), thread.get())) return false;
  g_thread = thread.release();
  g_threadId = threadId;
  return true;
}

}  // namespace

bool WaitHandlingSentMessages(HANDLE object, HANDLE thread) {
  const HANDLE handles[] = {object, thread};
  for (;;) {
    const DWORD woken =
        MsgWaitForMultipleObjectsEx(2, handles, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
    if (woken == WAIT_OBJECT_0) return true;
    if (woken == WAIT_OBJECT_0 + 1) return false;  // the thread ended
    if (woken != WAIT_OBJECT_0 + 2) {
      // The wait itself failed; the thread may still write to the caller's request, so wait
      // without the messages rather than leave.
      return WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0;
    }
    // Handles the sent messages only; posted ones stay for the caller's own loop.
    MSG msg;
    PeekMessageW(&msg, /*hWnd=*/nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

bool RunOnHookThread(bool (*task)(void* context), void* context) {
  if (!g_thread && !StartHookThread()) return false;
  // A message handled during the wait may call back into the library and release the thread;
  // the wait keeps a handle of its own.
  KernelHandle thread;
  if (!DuplicateHandle(GetCurrentProcess(), g_thread, GetCurrentProcess(), thread.put(),
                       SYNCHRONIZE, FALSE, 0)) {
    return false;
  }
  const KernelHandle done = NewEvent();
  TaskRequest request{task, context, false, done.get()};
  bool ran = false;
  if (done &&
      PostThreadMessageW(g_threadId, kRunTaskMessage, 0, reinterpret_cast<LPARAM>(&request))) {
    ran = WaitHandlingSentMessages(done.get(), thread.get());
  }
  if (!ran && g_thread && WaitForSingleObject(g_thread, 0) == WAIT_OBJECT_0) {
    // The thread is gone; the next call starts a new one.
    CloseHandle(g_thread);
    g_thread = nullptr;
    g_threadId = 0;
  }
  return ran && request.result;
}

void ReleaseHookThread() {
  if (!g_thread) return;
  // Tasks posted before this still run: the thread's queue is first in, first out.
  PostThreadMessageW(g_threadId, WM_QUIT, 0, 0);
  CloseHandle(g_thread);
  g_thread = nullptr;
  g_threadId = 0;
}

}  // namespace tavion::sidekit
