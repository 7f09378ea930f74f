/* Tavion plug-in interface: the key sender that Tavion.exe exports to plug-ins.
 *
 * A plug-in fills a TavionKeyPress block and calls SendKeyPressEx, found with
 * GetProcAddress(GetModuleHandle(NULL), "SendKeyPressEx"). The call presses one key (with the
 * modifiers of the mask, the user's own modifiers released meanwhile), clicks a mouse button,
 * plays a stored macro or types a text, and returns 1 on success.
 *
 * The block is 24 bytes in the 32-bit build. The 64-bit build has the same fields in natural
 * alignment (40 bytes). Plain C; usable from C and C++. */
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

/* The export of Tavion.exe: 1 on success, 0 on failure or a null block. */
typedef uint8_t(TAVION_STDCALL* TavionSendKeyPressExFn)(const TavionKeyPress* block);

#ifdef __cplusplus
}
#endif

#endif /* TAVION_PLUGIN_H */
