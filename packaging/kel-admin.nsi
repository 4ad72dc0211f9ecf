; Installer of KEL Administrator: the tool into the KEL print server's own folder (or a folder of
; the user's choice), a Start menu entry, its event log source and an uninstaller. Built by
; scripts/package with makensis (-DSIGN=scripts/sign signs the uninstaller as it is made);
; silent use:
;   kel-admin-setup.exe /S [/D=C:\Path\To\Folder]
; Exit codes besides NSIS's own (0 done, 1 cancelled, 2 failed): 3 the MSI package is installed,
; 4 a newer version is installed, 5 an earlier installation lies in another folder than /D= names.
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
!ifdef SIGN
  ; The uninstaller is written out while the installer is made, signed, and packed in signed.
  !uninstfinalize '"${SIGN}" "%1"' = 0
!endif

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "WordFunc.nsh"

!define PRODUCT "KEL Administrator"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KELAdministrator"
; The files carry the tool's name: the server's folder holds a read-me and an uninstaller of its
; own, which must not be overwritten.
!define UNINSTALLER "kel-admin-uninstall.exe"
!define README "kel-admin-ReadMe.txt"
!define LICENCE "kel-admin-LICENSE.txt"
!define NOTICES "kel-admin-THIRD-PARTY-NOTICES.txt"
; The MSI package's upgrade code, from packaging/kel-admin.wxs: the two refuse each other.
!ifndef MSI_UPGRADE_CODE
  !error "MSI_UPGRADE_CODE (the MSI package's upgrade code) is not defined"
!endif
; The journals of moves cut short, under the common application data folder.
!define JOURNALS "$APPDATA\${PRODUCT}"
; Access lists: the files for administrators and SYSTEM, read and run by users; the install
; folder likewise, passed on to what it holds; the journals' folder for administrators and SYSTEM
; only, owned by the administrators.
!define FILE_ACCESS "D:P(A;;FA;;;BA)(A;;FA;;;SY)(A;;0x1200a9;;;BU)"
!define FOLDER_ACCESS "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)"
!define JOURNALS_ACCESS "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)"
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
; An upgrade goes where the earlier installation is: no folder to choose.
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipFolderOnUpgrade
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var Upgrade ; the version of the earlier installation that this one replaces
Var OwnFolder ; 1 when the install folder is the tool's alone

; Refuses (message, exit code): shown, or in a silent installation only the exit code.
!macro Refuse CODE TEXT
  MessageBox MB_ICONSTOP|MB_OK "${TEXT}" /SD IDOK
  SetErrorLevel ${CODE}
  Quit
!macroend

; Gives PATH the access list of the security descriptor SDDL, protected from what it would
; inherit, and its owner where SDDL names one; a failure ends the installation.
!macro SetAccess PATH SDDL
  Push "${PATH}"
  Push "${SDDL}"
  Call SetAccess
!macroend
Function SetAccess
  Exch $R1 ; SDDL
  Exch
  Exch $R0 ; PATH
  Push $R2
  Push $R3
  Push $R4
  Push $R5
  StrCpy $R5 0
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w R1, i 1, *p .R2, p 0) i .R3 ?e'
  Pop $R4 ; the last error
  ${If} $R3 <> 0
    System::Call 'advapi32::GetSecurityDescriptorDacl(p R2, *i .R3, *p .R4, *i .R3)'
    ; DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION
    System::Call 'advapi32::SetNamedSecurityInfoW(w R0, i 1, i 0x80000004, p 0, p 0, p R4, p 0) i .R5'
    System::Call 'advapi32::GetSecurityDescriptorOwner(p R2, *p .R4, *i .R3)'
    ${If} $R5 = 0
    ${AndIf} $R4 P<> 0
      System::Call 'advapi32::SetNamedSecurityInfoW(w R0, i 1, i 1, p R4, p 0, p 0, p 0) i .R5' ; OWNER_SECURITY_INFORMATION
    ${EndIf}
    System::Call 'kernel32::LocalFree(p R2)'
  ${Else}
    StrCpy $R5 $R4
  ${EndIf}
  ${If} $R5 <> 0
    MessageBox MB_ICONSTOP|MB_OK "The access list of $R0 could not be set (error $R5). The installation is incomplete: run this setup again." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  Pop $R5
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $R0
  Pop $R1
FunctionEnd

; Another installation: the MSI package's is refused, a newer one too; an earlier one is
; upgraded where it is, so that there is one installation and one entry in Programs and
; Features. Otherwise the tool finds the server's profile beside itself unless the system
; profile names it: the server's own folder, the one of the profile that [Settings] Ini names,
; is where it belongs; without one, Program Files.
Function .onInit
  SetRegView 64
  System::Call 'msi::MsiEnumRelatedProductsW(w "${MSI_UPGRADE_CODE}", i 0, i 0, w .r1) i .r0'
  ${If} $0 = 0
    !insertmacro Refuse 3 "KEL Administrator is already installed from its MSI package. Remove it first, under Programs and Features or with$\r$\n$\r$\nmsiexec /x $1 /qn$\r$\n$\r$\nthen run this setup again."
  ${EndIf}
  ReadRegStr $Upgrade HKLM "${UNINSTALL_KEY}" "DisplayVersion"
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $Upgrade != ""
    ${VersionCompare} "$Upgrade" "${VERSION}" $1
    ${If} $1 = 1
      !insertmacro Refuse 4 "KEL Administrator $Upgrade is installed in $0, a newer version than this setup's ${VERSION}. To go back to ${VERSION}, remove $Upgrade first, under Programs and Features or with$\r$\n$\r$\n$\"$0\${UNINSTALLER}$\" /S$\r$\n$\r$\nthen run this setup again."
    ${EndIf}
    ${If} $INSTDIR != ""
    ${AndIf} $INSTDIR != $0
      !insertmacro Refuse 5 "KEL Administrator $Upgrade is installed in $0; this setup upgrades it there. To install into $INSTDIR instead, remove it first, under Programs and Features or with$\r$\n$\r$\n$\"$0\${UNINSTALLER}$\" /S$\r$\n$\r$\nthen run this setup again."
    ${EndIf}
    StrCpy $INSTDIR $0
  ${EndIf}
  ${If} $INSTDIR == ""
    ReadINIStr $0 "$WINDIR\kel.ini" "Settings" "Ini"
    ${If} $0 != ""
      ${GetParent} "$0" $INSTDIR
    ${EndIf}
  ${EndIf}
  ${If} $INSTDIR == ""
    StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
  ${EndIf}
FunctionEnd

Function SkipFolderOnUpgrade
  ${If} $Upgrade != ""
    Abort
  ${EndIf}
FunctionEnd

; $OwnFolder: 1 when the install folder does not exist yet or holds nothing but the tool's own
; files, whose names all begin with "kel-admin"; 0 when it holds anything else.
Function CheckOwnFolder
  StrCpy $OwnFolder 1
  ClearErrors
  FindFirst $0 $1 "$INSTDIR\*"
  ${DoUntil} $1 == ""
    StrCpy $2 $1 9
    ${If} $1 != "."
    ${AndIf} $1 != ".."
    ${AndIf} $2 != "kel-admin"
      StrCpy $OwnFolder 0
    ${EndIf}
    FindNext $0 $1
  ${Loop}
  FindClose $0
FunctionEnd

Section "Install"
  SetShellVarContext all
  SetRegView 64
  Call CheckOwnFolder
  SetOutPath "$INSTDIR"
  File "${STAGE}\kel-admin.exe"
  ; The console twin, once it is built.
  !if /FileExists "${STAGE}\kel-admin-cli.exe"
    File "${STAGE}\kel-admin-cli.exe"
  !endif
  File /oname=${README} "${STAGE}\ReadMe.txt"
  File /oname=${LICENCE} "${STAGE}\LICENSE.txt"
  File /oname=${NOTICES} "${STAGE}\THIRD-PARTY-NOTICES.txt"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  ; The folder's list only when it is the tool's alone: the server's folder keeps its own.
  ${If} $OwnFolder = 1
    !insertmacro SetAccess "$INSTDIR" "${FOLDER_ACCESS}"
  ${EndIf}
  !insertmacro SetAccess "$INSTDIR\kel-admin.exe" "${FILE_ACCESS}"
  !if /FileExists "${STAGE}\kel-admin-cli.exe"
    !insertmacro SetAccess "$INSTDIR\kel-admin-cli.exe" "${FILE_ACCESS}"
  !endif
  !insertmacro SetAccess "$INSTDIR\${README}" "${FILE_ACCESS}"
  !insertmacro SetAccess "$INSTDIR\${LICENCE}" "${FILE_ACCESS}"
  !insertmacro SetAccess "$INSTDIR\${NOTICES}" "${FILE_ACCESS}"
  !insertmacro SetAccess "$INSTDIR\${UNINSTALLER}" "${FILE_ACCESS}"
  ; The journals' folder, where every user may have made a folder first: made, or given its list
  ; and owner; a link there is left alone, never followed.
  CreateDirectory "${JOURNALS}"
  System::Call 'kernel32::GetFileAttributesW(w "${JOURNALS}") i .r0'
  IntOp $1 $0 & 0x410 ; FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT
  ${If} $0 <> -1
  ${AndIf} $1 = 0x10
    !insertmacro SetAccess "${JOURNALS}" "${JOURNALS_ACCESS}"
  ${Else}
    DetailPrint "${JOURNALS} is not a folder of its own, but a link or a file: left as it is."
  ${EndIf}
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
  Delete "$INSTDIR\${NOTICES}"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  SetRegView 64
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"
  ; The journals' folder goes when it holds no journal: a journal is a move cut short, which
  ; the tool cleans up at its next start. Only its own files go, never through a link.
  System::Call 'kernel32::GetFileAttributesW(w "${JOURNALS}") i .r0'
  IntOp $1 $0 & 0x410
  ${If} $0 <> -1
  ${AndIf} $1 = 0x10
    FindFirst $2 $3 "${JOURNALS}\*.journal"
    FindClose $2
    ${If} $3 == ""
      Delete "${JOURNALS}\*.*"
      RMDir "${JOURNALS}"
    ${Else}
      DetailPrint "${JOURNALS} is kept: it holds the journal of a move that was cut short."
    ${EndIf}
  ${EndIf}
SectionEnd
