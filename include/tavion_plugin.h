/* Tavion plug-in interface, for plug-ins written in C, C++ or any language that can export
 * stdcall functions by their plain names.
 *
 * A plug-in is a library (".dll") or a program (".exe") in the folder "PlugIns" beside
 * Tavion.exe. The 64-bit Tavion loads x86_64 plug-ins, the 32-bit Tavion i686 ones; the interface
 * is the same in both (TAVION_STDCALL is __stdcall in the i686 build and the one convention of
 * x86_64 there). Build an i686 library with undecorated exports (MinGW: -Wl,--kill-at, or a .def
 * file): Tavion looks every function up by its plain name.
 *
 * Texts cross the interface as zero-terminated ANSI strings (the system code page). Tavion reads
 * every text a plug-in returns with a bound (TAVION_TEXT_LIMIT bytes; anything longer is cut) and
 * copies it at once, so a plug-in may answer with a static or per-call buffer that stays valid
 * until its next call on the same thread.
 *
 * LIBRARY PLUG-INS export:
 *
 *   const char* TAVION_STDCALL GetPlugInfo(void* mainWindow, uint32_t number);
 *       Required. Answers information query `number` (only its low 16 bits count):
 *         TAVION_INFO_VERSION      "2A.0" (TAVION_PLUGIN_VERSION); any other answer, or none,
 *                                  and the library is not loaded.
 *         TAVION_INFO_NAME         the display name; empty: the file name without extension.
 *         TAVION_INFO_ACTIONS      the actions, two lines each (CR LF, LF or CR between lines):
 *                                  display name, then the name of the function that runs it.
 *                                  A last line without a partner is ignored.
 *         TAVION_INFO_DESCRIPTION  the description; "%ver%" in it is replaced by the file's
 *                                  version.
 *         TAVION_INFO_FLAGS        a decimal number Tavion keeps for the plug-in (0 when none).
 *       Numbers above 100 are the plug-in's own: an action whose function is a decimal number
 *       above 100 and not an export is answered by this query. A null answer reads as empty.
 *
 *   const char* TAVION_STDCALL GetPlugInfoEx(uint32_t query, uint32_t reserved,
 *                                            const char* functionName);
 *       Optional; `reserved` is 0. For the action whose function is `functionName`:
 *         TAVION_INFOEX_ANY_THREAD  "1": the action may run on a worker thread; anything else:
 *                                   only on Tavion's user-interface thread (also without the
 *                                   export).
 *         TAVION_INFOEX_NOTIFY_FIRST "1": the notification of the action is shown before it runs
 *                                   instead of after it.
 *
 *   intptr_t TAVION_STDCALL <function>(intptr_t a, uint32_t mode, intptr_t data, intptr_t extra);
 *       One per function named in the action list (see TavionActionFn and the TAVION_MODE_*
 *       values for what each mode passes and returns).
 *
 *   void TAVION_STDCALL SetOpt(void* window);      optional: show the plug-in's options
 *   void TAVION_STDCALL ShowHelp(void* window);    optional: show the plug-in's help
 *   void TAVION_STDCALL Install(void* window);     optional: called once after "Add" copied it
 *   void TAVION_STDCALL UnInstall(void* window);   optional: called before "Delete" removes it
 *       `window` is Tavion's main window, the owner for any window the plug-in shows.
 *
 *   Icons (optional): icon resource 1100 (TAVION_ICON_PLUGIN) is the plug-in's icon in the list
 *   of plug-ins; the icon resource named "ACTION_" + function name (resource names ignore case)
 *   is that action's image in the catalogue.
 *
 * PROGRAM PLUG-INS are never run to be asked: Tavion reads their string resources with the file
 * loaded as data. String 1000 + n answers information query n (a byte 0x01 in it stands for a
 * line break): 1002 is the action list (its presence enables the "Actions" button) and 1003 the
 * description. Strings 1004 to 1007 (TAVION_PROGRAM_*) hold the command texts of ShowHelp,
 * SetOpt, Install and UnInstall. To run an action, or one of those functions, Tavion starts the
 * program with the command line
 *     <command text> <main window handle in decimal>
 * where the command text of an action is its function name. Install and UnInstall are waited
 * for; everything else is not. A program plug-in has no parameter objects.
 *
 * THREADS. Queries, modes 2, 3, 5 and 6, SetOpt, ShowHelp, Install, UnInstall and the functions
 * of a TavionParamsClass are called on Tavion's user-interface thread. Mode 4 (run the action)
 * is called on that thread too, unless GetPlugInfoEx allowed a worker thread for the action:
 * then several runs may overlap, each on its own thread, while the user-interface thread may
 * read (never change) the same parameter object.
 *
 * SERVICES of Tavion.exe, found with GetProcAddress(GetModuleHandle(NULL), name) from a library
 * plug-in (they are not there for program plug-ins, which run in their own process):
 *     PlugShowOSD, SendKeyPressEx, IsKeyPressed, FormateErrorStr (the TavionXxxFn types below),
 * and the message TAVION_WM_QUERY to Tavion's main window.
 */
#ifndef TAVION_PLUGIN_H
#define TAVION_PLUGIN_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define TAVION_STDCALL __stdcall
#else
#define TAVION_STDCALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- SendKeyPressEx: one key press, mouse click, macro or text --------------------------- */

/* A plug-in fills a TavionKeyPress block and calls SendKeyPressEx. The call presses one key (with
 * the modifiers of the mask, the user's own modifiers released meanwhile), clicks a mouse button,
 * plays a stored macro or types a text. The block is 24 bytes in the i686 build; the x86_64 build
 * has the same fields in natural alignment (40 bytes). */

/* Modifier mask bits. */
#define TAVION_MOD_ALT 0x01
#define TAVION_MOD_CTRL 0x02
#define TAVION_MOD_SHIFT 0x04
#define TAVION_MOD_WIN 0x08

/* Modes in place of a key code. */
#define TAVION_SEND_PLAY_MACRO 0x1000 /* play the macro named by `text` */
#define TAVION_SEND_ANSI_TEXT 0x1001  /* type `text` (system ANSI code page) */
#define TAVION_SEND_WIDE_TEXT 0x1003  /* type `wideText` (UTF-16) */

/* Key codes below 256 that are mouse actions at the cursor. */
#define TAVION_MOUSE_LEFT_CLICK 1
#define TAVION_MOUSE_RIGHT_CLICK 2
#define TAVION_MOUSE_MIDDLE_CLICK 4
#define TAVION_MOUSE_LEFT_DOUBLE_CLICK 14
#define TAVION_MOUSE_WHEEL_UP 136
#define TAVION_MOUSE_WHEEL_DOWN 137

/* Key flags. */
#define TAVION_KEY_EXTENDED 0x0001

typedef struct TavionKeyPress {
  uint8_t modifiers;       /* TAVION_MOD_* */
  uint8_t reserved1;       /* 0 */
  uint16_t keyCode;        /* virtual-key code, mouse action or TAVION_SEND_* mode */
  uint16_t scanCode;       /* 0: derived from the key code */
  uint16_t keyFlags;       /* TAVION_KEY_EXTENDED */
  void* window;            /* HWND brought to the foreground first, or NULL */
  uint8_t restore;         /* non-zero: the previous foreground window comes back afterwards */
  uint8_t reserved2;       /* 0 */
  uint16_t delayMs;        /* before the key-down, between down and up, after the key-up */
  const char* text;        /* zero-terminated ANSI text: macro name or text to type; or NULL */
  const wchar_t* wideText; /* zero-terminated UTF-16 text to type, or NULL */
} TavionKeyPress;

#ifdef __cplusplus
#define TAVION_STATIC_ASSERT(condition, message) static_assert(condition, message)
#else
#define TAVION_STATIC_ASSERT(condition, message) _Static_assert(condition, message)
#endif

TAVION_STATIC_ASSERT(offsetof(TavionKeyPress, modifiers) == 0, "modifiers at 0");
TAVION_STATIC_ASSERT(offsetof(TavionKeyPress, keyCode) == 2, "keyCode at 2");
TAVION_STATIC_ASSERT(offsetof(TavionKeyPress, scanCode) == 4, "scanCode at 4");
TAVION_STATIC_ASSERT(offsetof(TavionKeyPress, keyFlags) == 6, "keyFlags at 6");
TAVION_STATIC_ASSERT(offsetof(TavionKeyPress, window) == 8, "window at 8");
#if UINTPTR_MAX == 0xFFFFFFFFu
TAVION_STATIC_ASSERT(offsetof(TavionKeyPress, restore) == 12, "restore at 12");
TAVION_STATIC_ASSERT(offsetof(TavionKeyPress, delayMs) == 14, "delayMs at 14");
TAVION_STATIC_ASSERT(offsetof(TavionKeyPress, text) == 16, "text at 16");
TAVION_STATIC_ASSERT(offsetof(TavionKeyPress, wideText) == 20, "wideText at 20");
TAVION_STATIC_ASSERT(sizeof(TavionKeyPress) == 24, "24 bytes in the 32-bit build");
#else
TAVION_STATIC_ASSERT(offsetof(TavionKeyPress, restore) == 16, "restore at 16");
TAVION_STATIC_ASSERT(offsetof(TavionKeyPress, delayMs) == 18, "delayMs at 18");
TAVION_STATIC_ASSERT(offsetof(TavionKeyPress, text) == 24, "text at 24");
TAVION_STATIC_ASSERT(offsetof(TavionKeyPress, wideText) == 32, "wideText at 32");
TAVION_STATIC_ASSERT(sizeof(TavionKeyPress) == 40, "natural alignment in the 64-bit build");
#endif

/* ---- Information queries ---------------------------------------------------------------- */

#define TAVION_PLUGIN_VERSION "2A.0"
#define TAVION_TEXT_LIMIT 65536u

#define TAVION_INFO_VERSION 0
#define TAVION_INFO_NAME 1
#define TAVION_INFO_ACTIONS 2
#define TAVION_INFO_DESCRIPTION 3
#define TAVION_INFO_FLAGS 6

#define TAVION_INFOEX_ANY_THREAD 1
#define TAVION_INFOEX_NOTIFY_FIRST 2

#define TAVION_ICON_PLUGIN 1100

/* String resources of a program plug-in: 1000 + query, and the command texts. */
#define TAVION_PROGRAM_STRING_BASE 1000
#define TAVION_PROGRAM_GETPROC 1002
#define TAVION_PROGRAM_GETINFO 1003
#define TAVION_PROGRAM_SHOWHELP 1004
#define TAVION_PROGRAM_SETOPT 1005
#define TAVION_PROGRAM_INSTALL 1006
#define TAVION_PROGRAM_UNINSTALL 1007

typedef const char*(TAVION_STDCALL* TavionGetPlugInfoFn)(void* mainWindow, uint32_t number);
typedef const char*(TAVION_STDCALL* TavionGetPlugInfoExFn)(uint32_t query, uint32_t reserved,
                                                           const char* functionName);
typedef void(TAVION_STDCALL* TavionWindowFn)(void* window); /* SetOpt, ShowHelp, (Un)Install */

/* ---- Action functions ------------------------------------------------------------------- */

/* `mode` of an action function, with what the other arguments hold:
 *
 * TAVION_MODE_PARAMS_CLASS (2): an action of this function was created or loaded.
 *     a: -1 (an object is made before its action has a place in the tree); data, extra: 0.
 *     Returns a pointer to the function's TavionParamsClass (static: it must stay valid while
 *     the library is loaded), or 0 when the action has no settings. Tavion then makes one object
 *     with the class's `create` and keeps it with the action; the object is saved in the registry
 *     with the action (under its "ActionParams\Params" key, one value per field) and loaded
 *     back into a new object.
 * TAVION_MODE_RELEASE (3): an action's object is about to be destroyed.
 *     a: 1; data: the object; extra: 0. Tavion calls the class's `destroy` afterwards.
 * TAVION_MODE_RUN (4): run the action.
 *     a: the main window; data: the action's object, or 0 (no class, or run without an action);
 *     extra: 0.
 * TAVION_MODE_SHOW_PANEL (5): the action editor shows the action's settings.
 *     a: 1; data: the object being edited (a copy: Cancel throws it away); extra: the panel
 *     window (HWND), an empty child window of the editor sized for the settings. Create child
 *     controls of the panel and fill them from the object; give them control identifiers from
 *     100 to 199, the WS_TABSTOP style where they take the focus, and the font of the panel
 *     (WM_GETFONT). The panel keeps its size; lay out within its client rectangle.
 * TAVION_MODE_CLOSE_PANEL (6): the action editor closes (OK or Cancel).
 *     a: 1; data: the object shown in mode 5; extra: the panel window. Store the controls' values
 *     into the object. Tavion destroys the panel with its children afterwards.
 * The result is ignored except in mode 2. */
#define TAVION_MODE_PARAMS_CLASS 2
#define TAVION_MODE_RELEASE 3
#define TAVION_MODE_RUN 4
#define TAVION_MODE_SHOW_PANEL 5
#define TAVION_MODE_CLOSE_PANEL 6

typedef intptr_t(TAVION_STDCALL* TavionActionFn)(intptr_t a, uint32_t mode, intptr_t data,
                                                  intptr_t extra);

/* ---- Parameter objects ------------------------------------------------------------------ */

/* Kinds of field, each stored as one registry value named after the field. */
#define TAVION_FIELD_INTEGER 0 /* int32_t, a DWORD */
#define TAVION_FIELD_BOOLEAN 1 /* 0 or 1, a DWORD */
#define TAVION_FIELD_STRING 2  /* ANSI text, a string value */

#define TAVION_MAX_FIELDS 64

typedef struct TavionParamsField {
  const char* name; /* registry value name: letters and digits, unique in the class */
  uint32_t kind;    /* TAVION_FIELD_* */
} TavionParamsField;

/* The description of a parameter object, owned by the plug-in. Tavion calls these functions only
 * with objects that `create` made. Field numbers are positions in `fields`. */
typedef struct TavionParamsClass {
  uint32_t structSize; /* sizeof(TavionParamsClass): Tavion refuses a smaller one */
  uint32_t fieldCount; /* at most TAVION_MAX_FIELDS */
  const TavionParamsField* fields;
  /* A new object with the defaults of every field; NULL when out of memory. */
  void*(TAVION_STDCALL* create)(void);
  /* Frees an object made by `create`. */
  void(TAVION_STDCALL* destroy)(void* object);
  /* Integer and boolean fields. A loaded value is given as stored: check its range. */
  int32_t(TAVION_STDCALL* getNumber)(const void* object, uint32_t field);
  void(TAVION_STDCALL* setNumber)(void* object, uint32_t field, int32_t value);
  /* String fields. getString copies the text into `buffer` (`size` bytes, always terminated,
   * cut when too long) and returns the text's whole length in bytes without the terminator;
   * Tavion asks again with a larger buffer when it was cut. setString copies `text`. */
  uint32_t(TAVION_STDCALL* getString)(const void* object, uint32_t field, char* buffer,
                                      uint32_t size);
  void(TAVION_STDCALL* setString)(void* object, uint32_t field, const char* text);
} TavionParamsClass;

/* ---- Services of Tavion.exe ------------------------------------------------------------- */

/* PlugShowOSD: adds `text` as a line of the notification of the action being run (NULL
 * clears it). */
typedef void(TAVION_STDCALL* TavionPlugShowOSDFn)(const char* text);
/* SendKeyPressEx: 1 on success, 0 on failure or a null block. */
typedef uint8_t(TAVION_STDCALL* TavionSendKeyPressExFn)(const TavionKeyPress* block);
/* IsKeyPressed: whether virtual key `key` (0 to 255) is down, or with `toggled` toggled on; in
 * the calling thread's key state, or with `asynchronous` the physical one. */
typedef int(TAVION_STDCALL* TavionIsKeyPressedFn)(int key, int toggled, int asynchronous);
/* FormateErrorStr: the system's text of a Windows error code in the user's language ("" when
 * there is none). Tavion owns the text; it stays valid until the same thread calls again. */
typedef const char*(TAVION_STDCALL* TavionFormateErrorStrFn)(uint32_t code);

/* Sent to Tavion's main window (class "TAVION_ROOTWINDOW"); the answer is a pointer into
 * Tavion's process (useless to a program plug-in) or a window handle:
 *   wParam TAVION_QUERY_APP_WINDOW      the application window's handle
 *   wParam TAVION_QUERY_SETTINGS_KEY    "Software\Quillon\Tavion" (under HKEY_CURRENT_USER)
 *   wParam TAVION_QUERY_LANGUAGE        the current language's name
 *   any other wParam                    "" */
#define TAVION_WM_QUERY (0x0400 + 30)
#define TAVION_QUERY_SETTINGS_KEY 1
#define TAVION_QUERY_LANGUAGE 2
#define TAVION_QUERY_APP_WINDOW 100

#ifdef __cplusplus
}
#endif

#endif /* TAVION_PLUGIN_H */
