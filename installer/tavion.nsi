; Tavion's installer and uninstaller: per user, no administrator rights.
; Built by package.cmake, which defines VERSION (four parts), ARCH (x86_64 or i686), STAGE (the
; folder holding the files to install), FILE_LIST (the generated list of those files for the
; uninstaller) and OUTFILE.
;
; Silent switches of the installer, besides NSIS's own /S and /D=FOLDER:
;   /LANG=1033|1049|1058  the interface language (English, Russian, Ukrainian) without asking
;   /LINKS=DIGITS         exactly the shortcuts named by the digits: 1 the group in the main menu,
;                         2 the main menu entry, 3 the desktop, 4 quick launch (/LINKS=none: none)
;   /AUTORUN=0|1          whether Tavion starts with Windows
; Of the uninstaller, besides /S: /REMOVESETTINGS removes the settings key without asking (a silent
; uninstall keeps it otherwise).

Unicode true
; The x86_64 package gets a 64-bit installer: it runs where the program runs, and nowhere else.
!if "${ARCH}" == "x86_64"
  Target amd64-unicode
!else
  Target x86-unicode
!endif
!ifndef VERSION | ARCH | STAGE | FILE_LIST | OUTFILE
  !error "package.cmake defines VERSION, ARCH, STAGE, FILE_LIST and OUTFILE"
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include "${FILE_LIST}"

!define SETTINGS_KEY "Software\Quillon\Tavion"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavion"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define QUICK_LAUNCH "$APPDATA\Microsoft\Internet Explorer\Quick Launch"
!define MAIN_WINDOW_CLASS "TAVION_ROOTWINDOW"
; WM_TV_CLOSE with wParam 0 (a forced exit, as at logoff: the program asks nothing) and lParam 1
; (at once).
!define WM_TV_CLOSE 0x405

Name "Tavion"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Tavion"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
ManifestDPIAware true
BrandingText "Tavion ${VERSION} (${ARCH})"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Tavion"
VIAddVersionKey /LANG=1033 "CompanyName" "Quillon"
VIAddVersionKey /LANG=1033 "FileDescription" "Tavion setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Quillon"

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tavion.exe"
!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
; Shorter than the stock text, which Wine's fonts clip at the right edge.
!define MUI_DIRECTORYPAGE_TEXT_TOP "$(FolderText)"
; The uninstaller speaks the language chosen at install; the value goes with the uninstall entry.
!define MUI_LANGDLL_REGISTRY_ROOT HKCU
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "Installer Language"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The LANGID of the chosen language is what the program reads from Setup\Lang.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Russian"
!insertmacro MUI_LANGUAGE "Ukrainian"

LangString WelcomeText ${LANG_ENGLISH} "Setup will install Tavion ${VERSION}, the resident hot-key manager, for the current user. No administrator rights are needed.$\r$\n$\r$\nIf Tavion is running, Setup closes it.$\r$\n$\r$\nClick Next to continue."
LangString WelcomeText ${LANG_RUSSIAN} "Программа установит Tavion ${VERSION}, резидентный менеджер горячих клавиш, для текущего пользователя. Права администратора не нужны.$\r$\n$\r$\nЕсли Tavion запущен, установка закроет его.$\r$\n$\r$\nНажмите «Далее», чтобы продолжить."
LangString WelcomeText ${LANG_UKRAINIAN} "Програма встановить Tavion ${VERSION}, резидентний менеджер гарячих клавіш, для поточного користувача. Права адміністратора не потрібні.$\r$\n$\r$\nЯкщо Tavion запущено, встановлення закриє його.$\r$\n$\r$\nНатисніть «Далі», щоб продовжити."
LangString FolderText ${LANG_ENGLISH} "Tavion will be installed in this folder. Click Install to start."
LangString FolderText ${LANG_RUSSIAN} "Tavion будет установлен в эту папку. Нажмите «Установить», чтобы начать."
LangString FolderText ${LANG_UKRAINIAN} "Tavion буде встановлено в цю теку. Натисніть «Встановити», щоб почати."
LangString SecProgram ${LANG_ENGLISH} "Program"
LangString SecProgram ${LANG_RUSSIAN} "Программа"
LangString SecProgram ${LANG_UKRAINIAN} "Програма"
LangString SecGroup ${LANG_ENGLISH} "Group in main menu"
LangString SecGroup ${LANG_RUSSIAN} "Группа в главном меню"
LangString SecGroup ${LANG_UKRAINIAN} "Група в головному меню"
LangString SecMenu ${LANG_ENGLISH} "Shortcut in main menu"
LangString SecMenu ${LANG_RUSSIAN} "Ярлык в главном меню"
LangString SecMenu ${LANG_UKRAINIAN} "Ярлик у головному меню"
LangString SecDesktop ${LANG_ENGLISH} "Shortcut on desktop"
LangString SecDesktop ${LANG_RUSSIAN} "Ярлык на рабочем столе"
LangString SecDesktop ${LANG_UKRAINIAN} "Ярлик на робочому столі"
LangString SecQuickLaunch ${LANG_ENGLISH} "Shortcut in quick launch"
LangString SecQuickLaunch ${LANG_RUSSIAN} "Ярлык на панели быстрого запуска"
LangString SecQuickLaunch ${LANG_UKRAINIAN} "Ярлик на панелі швидкого запуску"
LangString SecAutorun ${LANG_ENGLISH} "Launch program on Windows start"
LangString SecAutorun ${LANG_RUSSIAN} "Запускать вместе с Windows"
LangString SecAutorun ${LANG_UKRAINIAN} "Запускати програму разом із Windows"
LangString StillRunning ${LANG_ENGLISH} "Tavion is still running. Close it and try again."
LangString StillRunning ${LANG_RUSSIAN} "Tavion всё ещё работает. Закройте его и повторите попытку."
LangString StillRunning ${LANG_UKRAINIAN} "Tavion досі працює. Закрийте його та спробуйте ще раз."
LangString AskRemoveSettings ${LANG_ENGLISH} "Remove Tavion's settings and profiles from the registry too?"
LangString AskRemoveSettings ${LANG_RUSSIAN} "Удалить также настройки и профили Tavion из реестра?"
LangString AskRemoveSettings ${LANG_UKRAINIAN} "Видалити також налаштування та профілі Tavion з реєстру?"

; Closes a running Tavion and waits until its program file can be replaced; aborts with a message
; when it is still in use after about ten seconds.
!macro CloseTavion un
Function ${un}CloseTavion
  FindWindow $0 "${MAIN_WINDOW_CLASS}"
  ${If} $0 <> 0
    SendMessage $0 ${WM_TV_CLOSE} 0 1 /TIMEOUT=10000
  ${EndIf}
  StrCpy $1 0
  ${Do}
    FindWindow $0 "${MAIN_WINDOW_CLASS}"
    ${If} $0 = 0
      ; The window goes before the process ends: the file stays locked until it has.
      ${IfNot} ${FileExists} "$INSTDIR\Tavion.exe"
        Return
      ${EndIf}
      ClearErrors
      FileOpen $2 "$INSTDIR\Tavion.exe" a
      ${IfNot} ${Errors}
        FileClose $2
        Return
      ${EndIf}
    ${EndIf}
    IntOp $1 $1 + 1
    ${If} $1 > 100
      MessageBox MB_OK|MB_ICONSTOP "$(StillRunning)" /SD IDOK
      Abort
    ${EndIf}
    Sleep 100
  ${Loop}
FunctionEnd
!macroend
!insertmacro CloseTavion ""
!insertmacro CloseTavion "un."

Section "$(SecProgram)" SecProgram
  SectionIn RO
  Call CloseTavion
  SetOutPath "$INSTDIR"
  File /r "${STAGE}/*"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegDWORD HKCU "${SETTINGS_KEY}\Setup" "Lang" $LANGUAGE

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tavion"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Quillon"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tavion.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Installer Language" $LANGUAGE
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The shortcuts are the ones the program's own check boxes make and find: the same names, the
; program folder as working folder.
Section "$(SecGroup)" SecGroup
  SetOutPath "$INSTDIR"
  CreateDirectory "$SMPROGRAMS\Tavion"
  CreateShortCut "$SMPROGRAMS\Tavion\Tavion.lnk" "$INSTDIR\Tavion.exe"
  ${If} ${FileExists} "$INSTDIR\Tavion.chm"
    CreateShortCut "$SMPROGRAMS\Tavion\Tavion help.lnk" "$INSTDIR\Tavion.chm"
  ${EndIf}
  CreateShortCut "$SMPROGRAMS\Tavion\Uninstall Tavion.lnk" "$INSTDIR\Uninstall.exe"
SectionEnd

Section /o "$(SecMenu)" SecMenu
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMPROGRAMS\Tavion.lnk" "$INSTDIR\Tavion.exe"
SectionEnd

Section "$(SecDesktop)" SecDesktop
  SetOutPath "$INSTDIR"
  CreateShortCut "$DESKTOP\Tavion.lnk" "$INSTDIR\Tavion.exe"
SectionEnd

Section /o "$(SecQuickLaunch)" SecQuickLaunch
  SetOutPath "$INSTDIR"
  CreateDirectory "${QUICK_LAUNCH}"
  CreateShortCut "${QUICK_LAUNCH}\Tavion.lnk" "$INSTDIR\Tavion.exe"
SectionEnd

Section "$(SecAutorun)" SecAutorun
  WriteRegStr HKCU "${RUN_KEY}" "Tavion" '"$INSTDIR\Tavion.exe" /a'
SectionEnd

; Selects `section` when the text `wanted` holds `digit`, else clears it.
!macro SelectWhenListed wanted digit section
  Push "${wanted}"
  Push "${digit}"
  Call Listed
  Pop $R0
  ${If} $R0 == 1
    !insertmacro SelectSection ${section}
  ${Else}
    !insertmacro UnselectSection ${section}
  ${EndIf}
!macroend

; Pushes 1 when the text (pushed first) holds the character (pushed second), else 0.
Function Listed
  Exch $1  ; the character
  Exch
  Exch $0  ; the text
  Push $2
  Push $3
  StrCpy $3 0
  ${Do}
    StrCpy $2 $0 1 $3
    ${If} $2 == ""
      StrCpy $0 0
      ${Break}
    ${EndIf}
    ${If} $2 == $1
      StrCpy $0 1
      ${Break}
    ${EndIf}
    IntOp $3 $3 + 1
  ${Loop}
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

Function .onInit
  ${GetParameters} $R1
  ClearErrors
  ${GetOptions} $R1 "/LINKS=" $R2
  ${IfNot} ${Errors}
    !insertmacro SelectWhenListed $R2 1 ${SecGroup}
    !insertmacro SelectWhenListed $R2 2 ${SecMenu}
    !insertmacro SelectWhenListed $R2 3 ${SecDesktop}
    !insertmacro SelectWhenListed $R2 4 ${SecQuickLaunch}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R1 "/AUTORUN=" $R2
  ${IfNot} ${Errors}
    ${If} $R2 == 0
      !insertmacro UnselectSection ${SecAutorun}
    ${Else}
      !insertmacro SelectSection ${SecAutorun}
    ${EndIf}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R1 "/LANG=" $R2
  StrCpy $R3 0
  ${IfNot} ${Errors}
    ${If} $R2 == ${LANG_ENGLISH}
    ${OrIf} $R2 == ${LANG_RUSSIAN}
    ${OrIf} $R2 == ${LANG_UKRAINIAN}
      StrCpy $LANGUAGE $R2
      StrCpy $R3 1
    ${EndIf}
  ${EndIf}
  ${If} $R3 == 0
    !insertmacro MUI_LANGDLL_DISPLAY
  ${EndIf}
FunctionEnd

; Deletes the file whose path is pushed. A library that another program still has loaded (the
; hook library stays in the programs it was hooked into until their next message on Windows, and
; until they end on Wine) is given a few seconds, then moved to the temporary folder, so that the
; program folder can go.
Function un.RemoveFile
  Exch $0
  Push $1
  StrCpy $1 0
  ${Do}
    Delete "$0"
    ${IfNot} ${FileExists} "$0"
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
    ${If} $1 > 30
      GetTempFileName $1
      Delete "$1"
      Rename "$0" "$1"
      ${Break}
    ${EndIf}
    Sleep 100
  ${Loop}
  Pop $1
  Pop $0
FunctionEnd

!macro RemoveFile path
  Push "${path}"
  Call un.RemoveFile
!macroend

Section "Uninstall"
  Call un.CloseTavion
  !insertmacro RemoveInstalledFiles
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Tavion\Tavion.lnk"
  Delete "$SMPROGRAMS\Tavion\Tavion help.lnk"
  Delete "$SMPROGRAMS\Tavion\Uninstall Tavion.lnk"
  RMDir "$SMPROGRAMS\Tavion"
  Delete "$SMPROGRAMS\Tavion.lnk"
  Delete "$DESKTOP\Tavion.lnk"
  Delete "${QUICK_LAUNCH}\Tavion.lnk"

  ; Only our own value: another copy of the program registered elsewhere keeps its entry.
  ReadRegStr $0 HKCU "${RUN_KEY}" "Tavion"
  ${If} $0 == '"$INSTDIR\Tavion.exe" /a'
    DeleteRegValue HKCU "${RUN_KEY}" "Tavion"
  ${EndIf}
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  ${GetParameters} $R1
  ClearErrors
  ${GetOptions} $R1 "/REMOVESETTINGS" $R2
  ${IfNot} ${Errors}
    DeleteRegKey HKCU "${SETTINGS_KEY}"
  ${Else}
    MessageBox MB_YESNO|MB_ICONQUESTION "$(AskRemoveSettings)" /SD IDNO IDNO keep_settings
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    keep_settings:
  ${EndIf}
SectionEnd

Function un.onInit
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd
