; The installer, built with makensis. The build defines:
;   EXE      the program to install        ICON   its icon
;   REPORT   the report command beside it
;   OUTFILE  the installer to write        ARCH   amd64 or x86
; Switches: /CurrentUser (the default) or /AllUsers, /NOSTARTUP, /S for a silent install.
; The uninstaller takes /REMOVEDATA to delete the time log, history and options without asking.
Unicode true
!if "${ARCH}" == "amd64"
    Target amd64-unicode
    !define MULTIUSER_USE_PROGRAMFILES64
!else
    Target x86-unicode
!endif

!define NAME "Velmora Online Timer"
!define KEY "VelmoraOnlineTimer"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${KEY}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define MAIN_CLASS "OnlineTimer.Main"

Name "${NAME}"
OutFile "${OUTFILE}"
SetCompressor /SOLID lzma
BrandingText "${NAME} 1.0"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_INSTALLMODE_INSTDIR "${NAME}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallMode"
!include MultiUser.nsh
!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include WinMessages.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start ${NAME} now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "1.0.0.0"
VIAddVersionKey "ProductName" "${NAME}"
VIAddVersionKey "FileDescription" "${NAME} Setup"
VIAddVersionKey "CompanyName" "The Chronel developers"
VIAddVersionKey "LegalCopyright" "The Chronel developers"
VIAddVersionKey "FileVersion" "1.0.0.0"

Var WasRunning

; A running timer holds the file open; asked to close, it saves its total first.
!macro CloseProgram
    FindWindow $0 "${MAIN_CLASS}"
    ${If} $0 <> 0
        StrCpy $WasRunning 1
        SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=10000
        Sleep 1000
    ${EndIf}
!macroend

; Started through the shell, so that it runs as the user, never elevated like the installer: an
; elevated timer would keep its time in C:\Windows itself instead of the user's own copy.
Function StartProgram
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\OnlineTimer.exe"'
FunctionEnd

Section "${NAME}" SecProgram
    SectionIn RO
    !insertmacro CloseProgram
    SetOutPath "$INSTDIR"
    File "/oname=OnlineTimer.exe" "${EXE}"
    ; For scripts, run by its path: on no PATH.
    File "/oname=online-timer-report.exe" "${REPORT}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${NAME}.lnk" "$INSTDIR\OnlineTimer.exe"
    ; Set again by the next section when it is chosen this time.
    DeleteRegValue SHCTX "${RUN_KEY}" "${KEY}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\OnlineTimer.exe"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "1.0"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "The Chronel developers"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallMode" "$MultiUser.InstallMode"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" \
        '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" \
        '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Start with Windows" SecStartup
    WriteRegStr SHCTX "${RUN_KEY}" "${KEY}" '"$INSTDIR\OnlineTimer.exe"'
SectionEnd

; An update must not leave the time uncounted: a timer closed for it is started again.
Section "-Restart"
    ${If} $WasRunning == 1
        Call StartProgram
    ${EndIf}
SectionEnd

Function .onInit
    !insertmacro MULTIUSER_INIT
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/NOSTARTUP" $R1
    ${IfNot} ${Errors}
        !insertmacro UnselectSection ${SecStartup}
    ${EndIf}
FunctionEnd

Function un.onInit
    !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Uninstall"
    !insertmacro CloseProgram
    Delete "$INSTDIR\OnlineTimer.exe"
    Delete "$INSTDIR\online-timer-report.exe"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${NAME}.lnk"
    DeleteRegValue SHCTX "${RUN_KEY}" "${KEY}"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"

    ; The time log and the options are the user's: deleted only when asked.
    ${un.GetParameters} $R0
    ClearErrors
    ${un.GetOptions} $R0 "/REMOVEDATA" $R1
    ${If} ${Errors}
        MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
            "Also delete your online time log, its history and the timer's options?$\r$\n$\r$\nChoose No to keep them for a later installation." \
            /SD IDNO IDYES remove
        Goto done
    ${EndIf}
    remove:
    Delete "$WINDIR\tavo.dat"
    Delete "$WINDIR\tavo.ini"
    ; Windows keeps a per-user copy where a program may not write to the Windows folder.
    SetShellVarContext current
    Delete "$LOCALAPPDATA\VirtualStore\Windows\tavo.dat"
    Delete "$LOCALAPPDATA\VirtualStore\Windows\tavo.ini"
    ; The usage history, and a session a crash left in progress.
    RMDir /r "$LOCALAPPDATA\Velmora Online Timer"
    done:
SectionEnd
