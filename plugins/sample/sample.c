/* TavionSample.dll: the worked example of the plug-in kit.
 *
 * One action, "Say": it adds its text to the notification of the action (PlugShowOSD), or beeps
 * when the text is empty. Its parameter object has a string field "Text" and a boolean field
 * "Upper" (show the text in capitals), edited on a settings panel with an edit box and a check
 * box. SetOpt and ShowHelp show a message box; Install and UnInstall count their calls under
 * HKCU\Software\Quillon\Tavion\SampleTest ("InstallCalls", "UnInstallCalls").
 *
 * Build (both architectures; -Wl,--kill-at keeps the i686 exports undecorated):
 *   i686-w64-mingw32-gcc -shared -static -O2 -Wl,--kill-at -o TavionSample.dll sample.c sample.res.o \
 *       -luser32 -lgdi32 -ladvapi32
 */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include "tavion_plugin.h"

#define SAMPLE_EXPORT __declspec(dllexport)

#define ID_TEXT_LABEL 100
#define ID_TEXT_EDIT 101
#define ID_UPPER_CHECK 102

/* Longest text the object keeps; a longer one (from a damaged registry) is cut. */
#define SAMPLE_TEXT_LIMIT 4096u

static HINSTANCE g_instance;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    g_instance = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

/* ---- Information ------------------------------------------------------------------------ */

SAMPLE_EXPORT const char* TAVION_STDCALL GetPlugInfo(void* mainWindow, uint32_t number) {
  (void)mainWindow;
  switch (number & 0xFFFFu) {
    case TAVION_INFO_VERSION:
      return TAVION_PLUGIN_VERSION;
    case TAVION_INFO_NAME:
      return "Tavion sample";
    case TAVION_INFO_ACTIONS:
      return "Say\r\nSay\r\n";
    case TAVION_INFO_DESCRIPTION:
      return "The sample plug-in of the Tavion plug-in kit, version %ver%.\r\n"
             "Its action \"Say\" shows a text in the notification.";
    case TAVION_INFO_FLAGS:
      return "0";
    default:
      return "";
  }
}

/* "Say" only reads its object and calls PlugShowOSD: it may run on a worker thread. */
SAMPLE_EXPORT const char* TAVION_STDCALL GetPlugInfoEx(uint32_t query, uint32_t reserved,
                                                       const char* functionName) {
  (void)reserved;
  if (functionName != NULL && strcmp(functionName, "Say") == 0 && query == TAVION_INFOEX_ANY_THREAD)
    return "1";
  return "0";
}

/* ---- The parameter object of "Say" ------------------------------------------------------ */

typedef struct SayParams {
  char* text; /* never NULL */
  int32_t upper;
} SayParams;

enum { FIELD_TEXT, FIELD_UPPER };

static const TavionParamsField g_sayFields[] = {
    {"Text", TAVION_FIELD_STRING},
    {"Upper", TAVION_FIELD_BOOLEAN},
};

static char* CopyText(const char* text) {
  size_t length = 0;
  char* copy;
  if (text != NULL)
    while (length < SAMPLE_TEXT_LIMIT && text[length] != '\0') ++length;
  copy = (char*)malloc(length + 1);
  if (copy == NULL) return NULL;
  if (length > 0) memcpy(copy, text, length);
  copy[length] = '\0';
  return copy;
}

static void* TAVION_STDCALL SayCreate(void) {
  SayParams* params = (SayParams*)calloc(1, sizeof(SayParams));
  if (params == NULL) return NULL;
  params->text = CopyText("");
  if (params->text == NULL) {
    free(params);
    return NULL;
  }
  return params;
}

static void TAVION_STDCALL SayDestroy(void* object) {
  SayParams* params = (SayParams*)object;
  if (params == NULL) return;
  free(params->text);
  free(params);
}

static int32_t TAVION_STDCALL SayGetNumber(const void* object, uint32_t field) {
  const SayParams* params = (const SayParams*)object;
  return params != NULL && field == FIELD_UPPER ? params->upper : 0;
}

/* A stored value other than 0 or 1 is not a boolean: the default (0) replaces it. */
static void TAVION_STDCALL SaySetNumber(void* object, uint32_t field, int32_t value) {
  SayParams* params = (SayParams*)object;
  if (params != NULL && field == FIELD_UPPER) params->upper = value == 1 ? 1 : 0;
}

static uint32_t TAVION_STDCALL SayGetString(const void* object, uint32_t field, char* buffer,
                                            uint32_t size) {
  const SayParams* params = (const SayParams*)object;
  const char* text = params != NULL && field == FIELD_TEXT ? params->text : "";
  uint32_t length = (uint32_t)strlen(text);
  if (buffer != NULL && size > 0) {
    uint32_t copied = length < size - 1 ? length : size - 1;
    memcpy(buffer, text, copied);
    buffer[copied] = '\0';
  }
  return length;
}

/* Out of memory keeps the old text. */
static void TAVION_STDCALL SaySetString(void* object, uint32_t field, const char* text) {
  SayParams* params = (SayParams*)object;
  char* copy;
  if (params == NULL || field != FIELD_TEXT) return;
  copy = CopyText(text);
  if (copy == NULL) return;
  free(params->text);
  params->text = copy;
}

static const TavionParamsClass g_sayClass = {
    sizeof(TavionParamsClass),
    sizeof(g_sayFields) / sizeof(g_sayFields[0]),
    g_sayFields,
    SayCreate,
    SayDestroy,
    SayGetNumber,
    SaySetNumber,
    SayGetString,
    SaySetString,
};

/* ---- Running "Say" ---------------------------------------------------------------------- */

static void ShowLine(const char* text) {
  TavionPlugShowOSDFn show =
      (TavionPlugShowOSDFn)(void (*)(void))GetProcAddress(GetModuleHandleW(NULL), "PlugShowOSD");
  if (show != NULL)
    show(text);
  else
    MessageBeep(MB_OK); /* not loaded by Tavion: nothing to show the text in */
}

static void RunSay(const SayParams* params) {
  char* line;
  if (params == NULL || params->text[0] == '\0') {
    MessageBeep(MB_OK);
    return;
  }
  if (!params->upper) {
    ShowLine(params->text);
    return;
  }
  line = CopyText(params->text);
  if (line == NULL) return;
  CharUpperA(line);
  ShowLine(line);
  free(line);
}

/* ---- The settings panel ----------------------------------------------------------------- */

static HWND AddControl(HWND panel, const wchar_t* className, const wchar_t* text, DWORD style,
                       int id, int x, int y, int width, int height, HFONT font) {
  HWND control = CreateWindowExW(wcscmp(className, L"EDIT") == 0 ? WS_EX_CLIENTEDGE : 0, className,
                                 text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, panel,
                                 (HMENU)(INT_PTR)id, g_instance, NULL);
  if (control != NULL) SendMessageW(control, WM_SETFONT, (WPARAM)font, FALSE);
  return control;
}

/* Label, edit box below it, check box below that, each as wide as the panel less a margin and
 * as high as the panel's font needs. */
static void ShowPanel(HWND panel, const SayParams* params) {
  HFONT font = (HFONT)SendMessageW(panel, WM_GETFONT, 0, 0);
  HDC dc = GetDC(panel);
  HGDIOBJ old = NULL;
  TEXTMETRICW metrics;
  RECT client;
  int line, margin, width, y;
  HWND edit;
  if (dc == NULL) return;
  if (font != NULL) old = SelectObject(dc, font);
  if (!GetTextMetricsW(dc, &metrics)) metrics.tmHeight = 16;
  if (old != NULL) SelectObject(dc, old);
  ReleaseDC(panel, dc);
  GetClientRect(panel, &client);
  line = metrics.tmHeight;
  margin = line / 2;
  width = client.right - 2 * margin;
  if (width < line) width = line;
  y = margin;
  AddControl(panel, L"STATIC", L"&Text to show (empty: a beep):", SS_LEFT, ID_TEXT_LABEL, margin, y,
             width, line, font);
  y += line + 2;
  edit = AddControl(panel, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, ID_TEXT_EDIT, margin, y,
                    width, line + 8, font);
  if (edit != NULL) {
    SendMessageW(edit, EM_LIMITTEXT, SAMPLE_TEXT_LIMIT, 0);
    SetWindowTextA(edit, params->text);
  }
  y += line + 8 + margin;
  AddControl(panel, L"BUTTON", L"Show in &capitals", WS_TABSTOP | BS_AUTOCHECKBOX, ID_UPPER_CHECK,
             margin, y, width, line + 4, font);
  CheckDlgButton(panel, ID_UPPER_CHECK, params->upper ? BST_CHECKED : BST_UNCHECKED);
}

static void ClosePanel(HWND panel, SayParams* params) {
  HWND edit = GetDlgItem(panel, ID_TEXT_EDIT);
  if (edit != NULL) {
    int length = GetWindowTextLengthA(edit);
    char* text = (char*)malloc((size_t)length + 1);
    if (text != NULL) {
      GetWindowTextA(edit, text, length + 1);
      SaySetString(params, FIELD_TEXT, text);
      free(text);
    }
  }
  if (GetDlgItem(panel, ID_UPPER_CHECK) != NULL)
    params->upper = IsDlgButtonChecked(panel, ID_UPPER_CHECK) == BST_CHECKED ? 1 : 0;
}

/* ---- The action function ---------------------------------------------------------------- */

SAMPLE_EXPORT intptr_t TAVION_STDCALL Say(intptr_t a, uint32_t mode, intptr_t data,
                                          intptr_t extra) {
  (void)a;
  switch (mode) {
    case TAVION_MODE_PARAMS_CLASS:
      return (intptr_t)&g_sayClass;
    case TAVION_MODE_RUN:
      RunSay((const SayParams*)data);
      break;
    case TAVION_MODE_SHOW_PANEL:
      if (data != 0 && extra != 0) ShowPanel((HWND)extra, (const SayParams*)data);
      break;
    case TAVION_MODE_CLOSE_PANEL:
      if (data != 0 && extra != 0) ClosePanel((HWND)extra, (SayParams*)data);
      break;
    default: /* mode 3: nothing of ours to release; Tavion calls the class's destroy */
      break;
  }
  return 0;
}

/* ---- Options, help, install and uninstall ----------------------------------------------- */

SAMPLE_EXPORT void TAVION_STDCALL SetOpt(void* window) {
  MessageBoxW((HWND)window,
              L"The sample plug-in has no options of its own.\n"
              L"Each \"Say\" action keeps its text in the action editor.",
              L"Tavion sample", MB_OK | MB_ICONINFORMATION);
}

SAMPLE_EXPORT void TAVION_STDCALL ShowHelp(void* window) {
  MessageBoxW((HWND)window,
              L"\"Say\" shows its text in the notification of the action, in capitals when "
              L"\"Show in capitals\" is ticked. Without a text it beeps.",
              L"Tavion sample", MB_OK | MB_ICONINFORMATION);
}

/* Adds one to the DWORD `name` under HKCU\Software\Quillon\Tavion\SampleTest; a value of another
 * type or size counts from 0. */
static void CountCall(const wchar_t* name) {
  HKEY key;
  DWORD count = 0, type = 0, size = sizeof(count);
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quillon\\Tavion\\SampleTest", 0, NULL, 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, NULL, &key, NULL) != ERROR_SUCCESS)
    return;
  if (RegQueryValueExW(key, name, NULL, &type, (BYTE*)&count, &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(count))
    count = 0;
  ++count;
  RegSetValueExW(key, name, 0, REG_DWORD, (const BYTE*)&count, sizeof(count));
  RegCloseKey(key);
}

SAMPLE_EXPORT void TAVION_STDCALL Install(void* window) {
  (void)window;
  CountCall(L"InstallCalls");
}

SAMPLE_EXPORT void TAVION_STDCALL UnInstall(void* window) {
  (void)window;
  CountCall(L"UnInstallCalls");
}
