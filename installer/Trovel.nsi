; Trovel's one setup, built by scripts/package.sh:
;   makensis -DVERSION=2.0 -DSTAGE32=<win32 folder> -DSTAGE64=<win64 folder> -DOUTFILE=<setup.exe>
;            installer/Trovel.nsi
; Each stage folder holds Trovel.exe, Trovel.chm and README.txt of its flavour. One 32-bit stub that
; runs on 32- and 64-bit Windows; it installs the 64-bit Trovel on 64-bit Windows (/32bit: the 32-bit
; one there too) and the 32-bit one elsewhere.
;
; For the installing user only (no elevation: %LOCALAPPDATA%\Programs\Trovel, the user's Start menu,
; the Uninstall entry under HKCU) or, for an administrator, for all users (Program Files, the common
; Start menu, HKLM), through Debian NSIS's MultiUser.nsh: its page, or /CurrentUser and /AllUsers.
; /S installs silently with the default choices. Start with Windows is the value "Trovel" under the
; installing user's HKCU Run key, the one Trovel's Other Settings page sets.
Unicode true
; STUB=amd64 builds the same setup on the 64-bit stub: only for the tests, since the Wine here runs
; 64-bit programs only. What ships is the x86 one.
!ifndef STUB
  !define STUB x86
!endif
Target ${STUB}-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!define PUBLISHER "Larkfield Software"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Trovel"
!define SETTINGS_KEY "Software\Larkfield Software\Trovel"
!define SETTINGS_PARENT "Software\Larkfield Software"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Trovel"
; Trovel's frame window. Found by its class only: a message box can carry the title "Trovel" too.
!define FRAME_CLASS "TrovelFrameWnd"
; WM_APP + 0x20: ends Trovel at once, saving its favourites, as Shutdown from its menu does.
!define WM_APP_CLOSE 0x8020

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "Trovel"
; $PROGRAMFILES64 is the one Program Files on 32-bit Windows.
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODEPAGE_SHOWUSERNAME

!include "MultiUser.nsh"
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"
!include "x64.nsh"

Name "Trovel ${VERSION}"
Caption "Trovel ${VERSION} Setup"
OutFile "${OUTFILE}"
BrandingText "${PUBLISHER}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "Trovel"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "Trovel Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Var Bits          ; 64 or 32: the flavour this run installs
Var Closed        ; 1 when setup closed a running Trovel, which it then starts again
Var Started       ; 1 when the finish page started Trovel already

!define MUI_ICON "${__FILEDIR__}\..\res\trovel.ico"
!define MUI_UNICON "${__FILEDIR__}\..\res\trovel.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Trovel now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartTrovel
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Ends every running Trovel of this desktop and waits for its process, so its exe can be replaced
; or removed. Trovel saves its favourites as it ends. Sets $0 to 1 when one would not end, and
; $Closed to 1 when one was closed.
!macro CLOSE_TROVEL un
Function ${un}CloseTrovel
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $0 0
  StrCpy $4 0
  ${Do}
    FindWindow $1 "${FRAME_CLASS}"
    ${If} $1 = 0
      ${Break}
    ${EndIf}
    ${If} $4 >= 10
      StrCpy $0 1
      ${Break}
    ${EndIf}
    IntOp $4 $4 + 1
    StrCpy $Closed 1
    System::Call 'user32::GetWindowThreadProcessId(p r1, *i .r2) i'
    ; SYNCHRONIZE: enough to wait for the process to end.
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r2) p .r3'
    System::Call 'user32::PostMessage(p r1, i ${WM_APP_CLOSE}, p 0, p 0) i'
    ${If} $3 != 0
      System::Call 'kernel32::WaitForSingleObject(p r3, i 15000) i'
      System::Call 'kernel32::CloseHandle(p r3)'
    ${Else}
      Sleep 1000
    ${EndIf}
  ${Loop}
  Pop $4
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

; A copy in another session (fast user switching, Remote Desktop) has no window here but keeps its
; exe open. Waits up to 30 s for the exe in $INSTDIR to be free; sets $0 to 1 when it stays in use.
; Nothing has been written yet then, so setup can stop without leaving the files half-replaced.
Function ${un}WaitForExeFree
  Push $1
  Push $2
  StrCpy $0 0
  StrCpy $2 0
  ${If} ${FileExists} "$INSTDIR\Trovel.exe"
    ${Do}
      ; GENERIC_WRITE, no sharing, OPEN_EXISTING: refused while a process runs the exe.
      System::Call 'kernel32::CreateFileW(w "$INSTDIR\Trovel.exe", i 0x40000000, i 0, p 0, i 3, i 0, p 0) p .r1'
      ${If} $1 != -1
        System::Call 'kernel32::CloseHandle(p r1)'
        ${Break}
      ${EndIf}
      ${If} $2 >= 30
        StrCpy $0 1
        ${Break}
      ${EndIf}
      IntOp $2 $2 + 1
      Sleep 1000
    ${Loop}
  ${EndIf}
  Pop $2
  Pop $1
FunctionEnd
!macroend
!insertmacro CLOSE_TROVEL ""
!insertmacro CLOSE_TROVEL "un."

; The uninstall entry is written in the native view: on 64-bit Windows the 64-bit one.
!macro NATIVE_REG_VIEW
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
!macroend

; $0 = 1 when an Uninstall entry of Trovel is there, in either hive or (on 64-bit Windows) view.
Function FindEarlierInstall
  Push $1
  StrCpy $0 0
  ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "UninstallString"
  StrCmp $1 "" 0 found
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "UninstallString"
  StrCmp $1 "" 0 found
  ${If} ${RunningX64}
    SetRegView 32
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "UninstallString"
    SetRegView 64
    StrCmp $1 "" 0 found
  ${EndIf}
  Goto done
  found:
    StrCpy $0 1
  done:
  Pop $1
FunctionEnd

Function StartTrovel
  StrCpy $Started 1
  ; An administrator's setup runs elevated in either mode (execution level "highest").
  ${If} $MultiUser.Privileges == "Admin"
  ${OrIf} $MultiUser.Privileges == "Power"
    ; Through the running shell, so Trovel runs as the user and not with the installer's elevation.
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\Trovel.exe"'
  ${Else}
    ; A standard user's setup is not elevated: Trovel inherits just that.
    Exec '"$INSTDIR\Trovel.exe"'
  ${EndIf}
FunctionEnd

; A copy that setup closed is started again, silent or not, unless the finish page did it.
Function .onInstSuccess
  ${If} $Closed = 1
  ${AndIf} $Started != 1
    Call StartTrovel
  ${EndIf}
FunctionEnd

; A 1.3 installation in the 32-bit view of 64-bit Windows, in another folder: its files and entry
; go; the Start-menu folder is the same and is written over.
Function RemoveOld32BitInstall
  ${If} ${RunningX64}
  ${AndIf} $MultiUser.InstallMode == "AllUsers"
    SetRegView 32
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $1 != ""
      DeleteRegKey HKLM "${UNINSTALL_KEY}"
      ${If} $1 != $INSTDIR
        Delete "$1\Trovel.exe"
        Delete "$1\Trovel.chm"
        Delete "$1\README.txt"
        Delete "$1\windows.txt"
        Delete "$1\Uninstall.exe"
        RMDir "$1"
      ${EndIf}
    ${EndIf}
    SetRegView 64
  ${EndIf}
FunctionEnd

Section "Trovel and its help" SecProgram
  SectionIn RO
  Call CloseTrovel
  ${If} $0 = 1
    MessageBox MB_OK|MB_ICONSTOP "Trovel is still running and could not be closed. Shut it down from its tray menu, then run Setup again." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  Call WaitForExeFree
  ${If} $0 = 1
    MessageBox MB_OK|MB_ICONSTOP "Trovel is still running for another user of this computer, or in another session. Setup has changed nothing. Run Setup again when that Trovel has ended." /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}

  SetOutPath "$INSTDIR"
  ${If} $Bits = 64
    File "${STAGE64}\Trovel.exe"
    File "${STAGE64}\Trovel.chm"
    File "${STAGE64}\README.txt"
  ${Else}
    File "${STAGE32}\Trovel.exe"
    File "${STAGE32}\Trovel.chm"
    File "${STAGE32}\README.txt"
  ${EndIf}
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  Call RemoveOld32BitInstall

  CreateDirectory "$SMPROGRAMS\Trovel"
  CreateShortcut "$SMPROGRAMS\Trovel\Trovel.lnk" "$INSTDIR\Trovel.exe"
  CreateShortcut "$SMPROGRAMS\Trovel\Trovel Help.lnk" "$INSTDIR\Trovel.chm"
  CreateShortcut "$SMPROGRAMS\Trovel\Uninstall Trovel.lnk" "$INSTDIR\Uninstall.exe"

  ; SHCTX: HKLM for all users, HKCU for the installing user.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Trovel ${VERSION} ($Bits-bit)"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Trovel.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "HelpLink" "$INSTDIR\Trovel.chm"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "URLInfoAbout" "http://larkfieldsw.com/trovel/"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $1
SectionEnd

Section "Start Trovel when Windows starts" SecStartup
  WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\Trovel.exe"'
SectionEnd

Section "-Start-up choice" SecStartupChoice
  ${IfNot} ${SectionIsSelected} ${SecStartup}
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
  ; The 1.3 setups' all-users Startup shortcut: its choice is the Run value now.
  ${If} $MultiUser.InstallMode == "AllUsers"
    Delete "$SMSTARTUP\Trovel.lnk"
  ${EndIf}
SectionEnd

; After the sections, whose numbers it uses.
Function .onInit
  !insertmacro NATIVE_REG_VIEW
  !insertmacro MULTIUSER_INIT
  ; A 1.3 setup of the 32-bit flavour on 64-bit Windows wrote its entry in the 32-bit view.
  ${If} ${RunningX64}
  ${AndIf} $MultiUser.InstallMode == "AllUsers"
    SetRegView 32
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    SetRegView 64
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
    ${AndIf} $1 == ""
      StrCpy $INSTDIR "$PROGRAMFILES64\Trovel"
    ${EndIf}
  ${EndIf}

  StrCpy $Bits 32
  ${If} ${RunningX64}
    StrCpy $Bits 64
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/32bit" $1
    ${IfNot} ${Errors}
      StrCpy $Bits 32
    ${EndIf}
  ${EndIf}

  ; Start with Windows: a reinstall keeps the user's current choice, an upgrade from 1.3 the one its
  ; all-users Startup shortcut expressed; a first install starts Trovel with Windows.
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $0 == ""
    Call FindEarlierInstall
    ${If} $0 = 1
      SetShellVarContext all
      ${IfNot} ${FileExists} "$SMSTARTUP\Trovel.lnk"
        !insertmacro UnselectSection ${SecStartup}
      ${EndIf}
      ${If} $MultiUser.InstallMode != "AllUsers"
        SetShellVarContext current
      ${EndIf}
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro NATIVE_REG_VIEW
  ; MultiUser reads the folder from the registry; the uninstaller removes the folder it lies in.
  StrCpy $9 $INSTDIR
  !insertmacro MULTIUSER_UNINIT
  StrCpy $INSTDIR $9
  ; Without /CurrentUser or /AllUsers: the mode whose Uninstall entry names this folder.
  ${un.GetParameters} $0
  ClearErrors
  ${un.GetOptions} $0 "/CurrentUser" $1
  IfErrors 0 known
  ClearErrors
  ${un.GetOptions} $0 "/AllUsers" $1
  IfErrors 0 known
  ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $1 == $INSTDIR
    Call un.MultiUser.InstallMode.CurrentUser
  ${EndIf}
  known:
FunctionEnd

Section "Uninstall"
  Call un.CloseTrovel
  ${If} $0 = 1
    MessageBox MB_OK|MB_ICONSTOP "Trovel is still running and could not be closed. Shut it down from its tray menu, then uninstall again." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  Call un.WaitForExeFree
  ${If} $0 = 1
    MessageBox MB_OK|MB_ICONSTOP "Trovel is still running for another user of this computer, or in another session. Nothing has been removed. Uninstall again when that Trovel has ended." /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}

  ; Trovel started through a short (8.3) path may have stored that form: both are asked for while the
  ; exe is still there to name.
  GetFullPathName /SHORT $R8 "$INSTDIR\Trovel.exe"
  System::Call 'kernel32::GetLongPathNameW(w "$INSTDIR\Trovel.exe", w .R9, i ${NSIS_MAX_STRLEN}) i .r1'
  Delete "$INSTDIR\Trovel.exe"
  Delete "$INSTDIR\Trovel.chm"
  Delete "$INSTDIR\README.txt"
  ; The trace of the windows looked at by a pick, written where Trovel was started.
  Delete "$INSTDIR\windows.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Trovel\Trovel.lnk"
  Delete "$SMPROGRAMS\Trovel\Trovel Help.lnk"
  Delete "$SMPROGRAMS\Trovel\Uninstall Trovel.lnk"
  RMDir "$SMPROGRAMS\Trovel"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ; The Run value, when it starts this installation's Trovel (a portable copy's stays).
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $0 == '"$INSTDIR\Trovel.exe"'
  ${OrIf} $0 == '"$R8"'
  ${OrIf} $0 == '"$R9"'
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}

  MessageBox MB_YESNO|MB_ICONQUESTION "Also remove Trovel's settings, your favourite folders among them?$\r$\n$\r$\nChoose No to keep them for a later install." /SD IDNO IDNO keep
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "${SETTINGS_PARENT}"
    ; The machine key is shared by every user: only an all-users uninstall removes it.
    ${If} $MultiUser.InstallMode == "AllUsers"
      SetRegView 32
      DeleteRegKey HKLM "${SETTINGS_KEY}"
      DeleteRegKey /ifempty HKLM "${SETTINGS_PARENT}"
      ${If} ${RunningX64}
        ; Where 64-bit builds that did not share the 32-bit view kept them.
        SetRegView 64
        DeleteRegKey HKLM "${SETTINGS_KEY}"
        DeleteRegKey /ifempty HKLM "${SETTINGS_PARENT}"
      ${EndIf}
    ${EndIf}
  keep:
SectionEnd
