; The 1.3 release's installer script, kept unchanged (but for the icon path below) so that the
; installer tests can make a 1.3 installation to upgrade. Built by tests/installer/make_1.3_setup.sh:
;   makensis -DARCH=x86|amd64 -DVERSION=1.3 -DSTAGE=<folder with Trovel.exe, Trovel.chm, README.txt>
;            -DOUTFILE=<setup.exe> installer/Trovel.nsi
; Each is built on its own architecture's stub, so the 64-bit one installs into the 64-bit Program
; Files and writes the 64-bit registry view. /S installs silently with the default choices.
Unicode true
Target ${ARCH}-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define PUBLISHER "Larkfield Software"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Trovel"
!define SETTINGS_KEY "Software\Larkfield Software\Trovel"
!define SETTINGS_PARENT "Software\Larkfield Software"
; Trovel's frame window. Found by its class only: a message box can carry the title "Trovel" too.
!define FRAME_CLASS "TrovelFrameWnd"
; WM_APP + 0x20: ends Trovel at once, saving its favourites, as Shutdown from its menu does.
!define WM_APP_CLOSE 0x8020

!if ${ARCH} == amd64
  !define FLAVOUR "64-bit"
  InstallDir "$PROGRAMFILES64\Trovel"
!else
  !define FLAVOUR "32-bit"
  InstallDir "$PROGRAMFILES\Trovel"
!endif

Name "Trovel ${VERSION}"
Caption "Trovel ${VERSION} (${FLAVOUR}) Setup"
OutFile "${OUTFILE}"
BrandingText "${PUBLISHER}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "Trovel"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "Trovel ${FLAVOUR} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${__FILEDIR__}\..\..\res\trovel.ico"
!define MUI_UNICON "${__FILEDIR__}\..\..\res\trovel.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Trovel now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartTrovel
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Ends every running Trovel of this desktop and waits for its process, so its exe can be replaced
; or removed. Trovel saves its favourites as it ends. Sets $0 to 1 when one would not end.
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
!macroend
!insertmacro CLOSE_TROVEL ""
!insertmacro CLOSE_TROVEL "un."

; The views of this flavour: the 64-bit installer writes the native keys; Trovel's settings are
; always in the 32-bit view of the machine key, which both flavours share.
!macro NATIVE_REG_VIEW
  !if ${ARCH} == amd64
    SetRegView 64
  !endif
!macroend

Function .onInit
  !insertmacro NATIVE_REG_VIEW
  SetShellVarContext all
FunctionEnd

Function StartTrovel
  ; Through the running shell, so Trovel runs as the user and not with the installer's elevation.
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\Trovel.exe"'
FunctionEnd

Section "Trovel and its help" SecProgram
  SectionIn RO
  Call CloseTrovel
  ${If} $0 = 1
    MessageBox MB_OK|MB_ICONSTOP "Trovel is still running and could not be closed. Shut it down from its tray menu, then run Setup again." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "${STAGE}\Trovel.exe"
  File "${STAGE}\Trovel.chm"
  File "${STAGE}\README.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "$SMPROGRAMS\Trovel"
  CreateShortcut "$SMPROGRAMS\Trovel\Trovel.lnk" "$INSTDIR\Trovel.exe"
  CreateShortcut "$SMPROGRAMS\Trovel\Trovel Help.lnk" "$INSTDIR\Trovel.chm"
  CreateShortcut "$SMPROGRAMS\Trovel\Uninstall Trovel.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Trovel ${VERSION} (${FLAVOUR})"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Trovel.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "HelpLink" "$INSTDIR\Trovel.chm"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "http://larkfieldsw.com/trovel/"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $1
SectionEnd

Section "Start Trovel when Windows starts" SecStartup
  CreateShortcut "$SMSTARTUP\Trovel.lnk" "$INSTDIR\Trovel.exe"
SectionEnd

Section "-Earlier choice undone" SecNoStartup
  ; Installing again without the start-up choice removes the one made before.
  ${IfNot} ${SectionIsSelected} ${SecStartup}
    Delete "$SMSTARTUP\Trovel.lnk"
  ${EndIf}
SectionEnd

Function un.onInit
  !insertmacro NATIVE_REG_VIEW
  SetShellVarContext all
FunctionEnd

Section "Uninstall"
  Call un.CloseTrovel
  ${If} $0 = 1
    MessageBox MB_OK|MB_ICONSTOP "Trovel is still running and could not be closed. Shut it down from its tray menu, then uninstall again." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}

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
  Delete "$SMSTARTUP\Trovel.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  MessageBox MB_YESNO|MB_ICONQUESTION "Also remove Trovel's settings, your favourite folders among them?$\r$\n$\r$\nChoose No to keep them for a later install." /SD IDNO IDNO keep
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "${SETTINGS_PARENT}"
    SetRegView 32
    DeleteRegKey HKLM "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKLM "${SETTINGS_PARENT}"
    !if ${ARCH} == amd64
      ; Where 64-bit builds that did not share the 32-bit view kept them.
      SetRegView 64
      DeleteRegKey HKLM "${SETTINGS_KEY}"
      DeleteRegKey /ifempty HKLM "${SETTINGS_PARENT}"
    !endif
  keep:
SectionEnd
