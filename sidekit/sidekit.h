#pragma once
// Sidekit32.dll: system hooks delivered as window messages, foreground and focus helpers,
// registry helpers, single-instance, animation and version helpers.
//
// Every function uses the standard Windows calling convention and is exported under its plain
// name (Sidekit32.def) in both the x86_64 and the i686 build. Texts are UTF-16. The program loads
// the library at run time and resolves these names with GetProcAddress; the typedefs at the end
// name the function types for that.

#include <windows.h>

#ifdef SIDEKIT_BUILDING
#define SIDEKIT_API extern "C"
#else
#define SIDEKIT_API extern "C" __declspec(dllimport)
#endif

// Installs hook `kind` (1 to 6, see HookKind in src/pipeline/hook_messages.h) and reports each of
// its events to `window` as `message`; `window` must belong to the calling process, except for
// kinds 1 and 6, whose events come from other processes as plain values. Installing a kind that
// is already installed only changes its receiver. `scratch` is the caller's 12-byte area: it is
// neither read nor written. Returns TRUE when the hook is in place; FALSE for an unknown kind, a
// `window` that is no window, or a window of another process for kinds 2 to 5.
// Kinds 2 to 5 (low-level keyboard and mouse) run on a thread of the library and send each event
// with lParam pointing to a KeyEventRecord / MouseEventRecord; an answer of 1 swallows the event,
// and an answer that does not come within 200 ms, or a receiver that is gone, lets it pass. A
// record stays readable after that too, until 256 later events have been delivered. Kinds 4 and 5
// deliver the buttons and the wheel only (IsDeliveredMouseMessage); moves never reach a receiver.
// Kind 1 reports `message` (wParam: WM_COMMAND or WM_SYSCOMMAND) and then `message` + 1 (the
// command's wParam and lParam) for each menu command chosen in another process. Kind 6 reports
// `message` with wParam 8 (lParam: the keyboard layout) or 12 (lParam: WM_APPCOMMAND's). The
// receivers of kinds 1 and 6 are shared by the session: the last process to install them wins.
SIDEKIT_API BOOL WINAPI InitHookEx(void* scratch, int kind, HWND window, UINT message);

// The receiver of InitHookCall: `wParam` and `lParam` as the message of InitHookEx would carry
// them; the result 1 swallows the event.
typedef LRESULT(WINAPI* SidekitHookProc)(void* context, WPARAM wParam, LPARAM lParam);

// Installs low-level hook `kind` (2 to 5) as InitHookEx does, but has each event handled by
// `proc(context, ...)` called directly on the library's hook thread instead of by a message: no
// thread switch, so it costs a key no more than the caller's own work. The record lives only for
// the call. The caller's work must be short and never wait for another thread of its own that may
// be waiting for the hook; keys injected from inside the call may come back into `proc` on the same
// thread before it returns. `proc` and `context` must stay valid until FreeHookEx of the kind, or
// another InitHookEx/InitHookCall of it, has returned; after that no call is under way. Not to be
// called from inside `proc`. Returns FALSE for another kind or a null `proc`.
SIDEKIT_API BOOL WINAPI InitHookCall(int kind, SidekitHookProc proc, void* context);

// Removes the hook of `kind`; removing a kind that is not installed does nothing. Returns TRUE
// when no hook of that kind remains, FALSE for an unknown kind. Safe from the user-interface
// thread while events arrive; for kinds 2 to 5 no event reaches the receiver after it returns.
// (Called from inside a receiver's handler of a kind 2 to 5 event, as InitHookEx too, it can only
// run once that event has timed out and passed.)
SIDEKIT_API BOOL WINAPI FreeHookEx(int kind);

// Brings `window` to the foreground (restoring it when minimised), also when the calling process
// is not the foreground process. Never waits for the window's thread (the hook thread calls it).
// Returns TRUE when `window` is the foreground window afterwards.
SIDEKIT_API BOOL WINAPI ForceForegroundWindow(HWND window);

// Returns the window that has the keyboard focus in the GUI thread `threadId`; 0 means the thread
// of the foreground window. Falls back to the foreground window when the thread has no focus.
SIDEKIT_API HWND WINAPI GetFocusedWindow(DWORD threadId);

// Registry helpers. `root` is a predefined key as a number: 0x80000001 (HKEY_CURRENT_USER) or
// 0x80000002 (HKEY_LOCAL_MACHINE); other predefined keys 0x80000000 to 0x80000005 work too, any
// other number fails. `path` is relative to the root; a null path fails. A null value name is the
// key's default value.
SIDEKIT_API BOOL WINAPI Reg1KeyExists(const wchar_t* path, DWORD root);
SIDEKIT_API BOOL WINAPI Reg1ValueExists(const wchar_t* path, const wchar_t* value, DWORD root);
// Returns the REG_DWORD value, or `def` when the key or value is missing or of another type/size.
SIDEKIT_API int WINAPI Reg1ReadInt(const wchar_t* path, const wchar_t* value, int def, DWORD root);
// Copies the REG_SZ/REG_EXPAND_SZ value (not expanded), or `def` when it is missing or of another
// type, into `buffer` of `bufferChars` characters and returns its length without the terminator.
// When the text does not fit, the buffer gets an empty text (when it has room for one) and the
// result is the size needed including the terminator (as GetEnvironmentVariable does). A null
// `def` reads as empty; a value stored in more than 64 KiB reads as `def`.
SIDEKIT_API DWORD WINAPI Reg1ReadStr(const wchar_t* path, const wchar_t* value, const wchar_t* def,
                                     DWORD root, wchar_t* buffer, DWORD bufferChars);
// Writes a REG_SZ value, creating the key. Returns TRUE on success; FALSE for a null `text` or
// one longer than 32,767 characters.
SIDEKIT_API BOOL WINAPI Reg1WriteStr(const wchar_t* path, const wchar_t* value, const wchar_t* text,
                                     DWORD root);
// Returns TRUE when the value no longer exists (also when it, or its key, never did).
SIDEKIT_API BOOL WINAPI Reg1DeleteValue(const wchar_t* path, const wchar_t* value, DWORD root);
// Deletes `path`\`subKey` with all its sub-keys; an empty or null `subKey` deletes `path` itself.
// Returns TRUE when the key no longer exists (also when it never did). Refuses (FALSE) when
// `path` and `subKey` together name no key below the root: a root is never emptied.
SIDEKIT_API BOOL WINAPI Reg1DeleteKey(const wchar_t* path, const wchar_t* subKey, DWORD root);

// Returns TRUE when another process of this user session already runs the product `name`.
// Every process that asks shares the claim from then until it exits, so the claim outlives the
// process that made it; asking again from a process that shares it returns FALSE. A null or empty
// `name` returns FALSE.
SIDEKIT_API BOOL WINAPI IsExeLoaded(const wchar_t* name);

// Returns 1 when the system's minimise/restore animation is on, else 0.
SIDEKIT_API int WINAPI GetAnimation();
// Switches the animation on (1) or off (0) for this logon session, without writing the user's
// profile. Returns TRUE on success.
SIDEKIT_API BOOL WINAPI SetAnimation(int on);

// Fills `utc` with the link time recorded in the PE header of the file `path`, or with the file's
// last write time when the header carries none. Returns FALSE when the file cannot be read.
SIDEKIT_API BOOL WINAPI GetBuildTime(const wchar_t* path, FILETIME* utc);
// Fills the four numbers of the file version in the version resource of `path` (major, minor,
// release, build). Returns FALSE, and fills zeros, when the file has no version resource.
SIDEKIT_API BOOL WINAPI GetFileVerEx(const wchar_t* path, DWORD* major, DWORD* minor,
                                     DWORD* release, DWORD* build);
// Copies "major.minor.release.build" of `path` into `buffer` (empty when the file has no version)
// and returns its length; buffer rules as Reg1ReadStr.
SIDEKIT_API DWORD WINAPI GetFileVer(const wchar_t* path, wchar_t* buffer, DWORD bufferChars);
// Shortens a dotted version text by dropping trailing ".0" parts, keeping at least two parts:
// "2.5.0.0" -> "2.5", "2.5.1.0" -> "2.5.1", "3.0.0.0" -> "3.0". Buffer rules as Reg1ReadStr.
SIDEKIT_API DWORD WINAPI CutVer(const wchar_t* version, wchar_t* buffer, DWORD bufferChars);
// Returns TRUE when the file `fileName` can be written (an existing file is opened for writing
// and left unchanged; a new one is created and removed again). Otherwise, when `showError` is 1,
// shows `errorText` with `caption` in an error box owned by `owner`, and returns FALSE. A null
// or empty `fileName` cannot be written.
SIDEKIT_API BOOL WINAPI CheckWrite(const wchar_t* fileName, int showError, HWND owner,
                                   const wchar_t* errorText, const wchar_t* caption);

// Function types for GetProcAddress.
using InitHookExFn = BOOL(WINAPI*)(void*, int, HWND, UINT);
using InitHookCallFn = BOOL(WINAPI*)(int, SidekitHookProc, void*);
using FreeHookExFn = BOOL(WINAPI*)(int);
using ForceForegroundWindowFn = BOOL(WINAPI*)(HWND);
using GetFocusedWindowFn = HWND(WINAPI*)(DWORD);
using Reg1KeyExistsFn = BOOL(WINAPI*)(const wchar_t*, DWORD);
using Reg1ValueExistsFn = BOOL(WINAPI*)(const wchar_t*, const wchar_t*, DWORD);
using Reg1ReadIntFn = int(WINAPI*)(const wchar_t*, const wchar_t*, int, DWORD);
using Reg1ReadStrFn = DWORD(WINAPI*)(const wchar_t*, const wchar_t*, const wchar_t*, DWORD,
                                     wchar_t*, DWORD);
using Reg1WriteStrFn = BOOL(WINAPI*)(const wchar_t*, const wchar_t*, const wchar_t*, DWORD);
using Reg1DeleteValueFn = BOOL(WINAPI*)(const wchar_t*, const wchar_t*, DWORD);
using Reg1DeleteKeyFn = BOOL(WINAPI*)(const wchar_t*, const wchar_t*, DWORD);
using IsExeLoadedFn = BOOL(WINAPI*)(const wchar_t*);
using GetAnimationFn = int(WINAPI*)();
using SetAnimationFn = BOOL(WINAPI*)(int);
using GetBuildTimeFn = BOOL(WINAPI*)(const wchar_t*, FILETIME*);
using GetFileVerExFn = BOOL(WINAPI*)(const wchar_t*, DWORD*, DWORD*, DWORD*, DWORD*);
using GetFileVerFn = DWORD(WINAPI*)(const wchar_t*, wchar_t*, DWORD);
using CutVerFn = DWORD(WINAPI*)(const wchar_t*, wchar_t*, DWORD);
using CheckWriteFn = BOOL(WINAPI*)(const wchar_t*, int, HWND, const wchar_t*, const wchar_t*);
