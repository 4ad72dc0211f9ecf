; Installer of KEL Administrator: the tool into the KEL print server's own folder (or a folder of
; the user's choice), a Start menu entry, its event log source and an uninstaller. Built by
; scripts/package with makensis; silent use:
;   kel-admin-setup.exe /S [/D=C:\Path\To\Folder]
Target amd64-unicode
Unicode true
!ifndef VERSION
  !define VERSION "2.1.0"
!endif
!ifndef STAGE
  !error "STAGE (the folder holding the files to install) is not defined"
!endif
!ifndef OUTFILE
  !define OUTFILE "kel-admin-${VERSION}-setup.exe"
!endif

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define PRODUCT "KEL Administrator"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KELAdministrator"
; The files carry the tool's name: the server's folder holds a read-me and an uninstaller of its
; own, which must not be overwritten.
!define UNINSTALLER "kel-admin-uninstall.exe"
!define README "kel-admin-ReadMe.txt"
!define LICENCE "kel-admin-LICENSE.txt"
; The tool reports to the Application event log under the product's name.
!define EVENT_SOURCE_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\${PRODUCT}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; No fixed default: .onInit chooses one unless /D= gave it.
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION}"

!define MUI_ICON "${STAGE}\kel-admin.ico"
!define MUI_UNICON "${STAGE}\kel-admin.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\kel-admin.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Run KEL Administrator"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\${README}"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

; The licence is given as paragraphs of one line each, so that the page wraps them itself.
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE-paragraphs.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The tool finds the server's profile beside itself unless the system profile names it: the
; server's own folder, the one of the profile that [Settings] Ini names, is where it belongs.
; Without one, an earlier installation's folder, else Program Files.
Function .onInit
  ${If} $INSTDIR == ""
    ReadINIStr $0 "$WINDIR\kel.ini" "Settings" "Ini"
    ${If} $0 != ""
      ${GetParent} "$0" $INSTDIR
    ${EndIf}
  ${EndIf}
  ${If} $INSTDIR == ""
    ReadRegStr $INSTDIR HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${EndIf}
  ${If} $INSTDIR == ""
    StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
  ${EndIf}
FunctionEnd

Section "Install"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${STAGE}\kel-admin.exe"
  ; The console twin, once it is built.
  !if /FileExists "${STAGE}\kel-admin-cli.exe"
    File "${STAGE}\kel-admin-cli.exe"
  !endif
  File /oname=${README} "${STAGE}\ReadMe.txt"
  File /oname=${LICENCE} "${STAGE}\LICENSE.txt"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\kel-admin.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\${UNINSTALLER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The KEL Administrator developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kel-admin.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegExpandStr HKLM "${EVENT_SOURCE_KEY}" "EventMessageFile" "$INSTDIR\kel-admin.exe"
  WriteRegDWORD HKLM "${EVENT_SOURCE_KEY}" "TypesSupported" 7
SectionEnd

; Removes the tool's own files only: the folder goes only when nothing else is left in it.
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  Delete "$INSTDIR\kel-admin.exe"
  Delete "$INSTDIR\kel-admin-cli.exe"
  Delete "$INSTDIR\${README}"
  Delete "$INSTDIR\${LICENCE}"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"
SectionEnd
