; Installer of the HistData to Brel Qorp Utility.
; The program keeps its INI file, logs and cache beside itself, so the operators must be able to
; write there, and a folder under Program Files is refused. The folder gets an ACL of its own:
; what an administrator's logon starts (the program, through the all-users Startup shortcut)
; and what the elevated uninstaller is (uninstall.exe) must not be replaceable by a user, and
; C:\ hands Authenticated Users Modify on everything made below it.
; One installer for every plant PC: a 32-bit installer runs on 32-bit and 64-bit Windows alike,
; and installs the 64-bit program where Windows is 64-bit and the 32-bit program elsewhere.
Target x86-unicode
!ifndef VERSION
  !define VERSION "1.0.7"
!endif
!ifndef DIST
  !define DIST "..\dist\stage"
!endif
!ifndef OUTFILE
  !define OUTFILE "HistDataToQorp-${VERSION}-setup.exe"
!endif
!define EXE "HistDataToQorp.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\HistDataToQorp"
; The program's events in the Application log take their text from the message table in its exe.
!define EVENT_SOURCE_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\HistDataToQorp"

Name "HistData to Brel Qorp Utility ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "C:\HistDataToQorp"
InstallDirRegKey HKLM "Software\HistDataToQorp" "InstallDir"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"
!include "FileFunc.nsh"
!define MUI_ABORTWARNING
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE LeaveDirectory
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
; The installer runs with administrator rights; the program must not inherit them (its files,
; and the DDE link to the operator's HistData, belong to the logged-on user). Explorer starts
; it as that user.
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start HistData to Brel Qorp Utility"
!define MUI_FINISHPAGE_RUN_FUNCTION StartAsLoggedOnUser
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Sets $0 to 1 when $INSTDIR is the folder $2 or lies inside it (StrCmp ignores letter case).
Function IsInsideFolder
  StrLen $3 $2
  StrCpy $1 $INSTDIR $3
  ${If} $1 == $2
    StrCpy $1 $INSTDIR 1 $3
    ${If} $1 == ""
    ${OrIf} $1 == "\"
      StrCpy $0 1
    ${EndIf}
  ${EndIf}
FunctionEnd

; Sets $0 to 1 when $INSTDIR is under Program Files: either of them on a 64-bit Windows.
Function IsUnderProgramFiles
  Push $1
  Push $2
  Push $3
  StrCpy $0 0
  StrCpy $2 $PROGRAMFILES32
  Call IsInsideFolder
  StrCpy $2 $PROGRAMFILES64
  Call IsInsideFolder
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

; Who may write the INI file, logs and cache: Users, or the group named by /OPERATORS=GROUP.
Var Operators

Function .onInit
  StrCpy $Operators "*S-1-5-32-545"
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/OPERATORS=" $1
  ${IfNot} ${Errors}
  ${AndIf} $1 != ""
    StrCpy $Operators $1
  ${EndIf}
FunctionEnd

; SIDs, not names: the names differ with the language of Windows.
!define SYSTEM "*S-1-5-18"
!define ADMINS "*S-1-5-32-544"
!define USERS "*S-1-5-32-545"

; Runs icacls with the arguments in $R0 (by full path: a folder earlier on the search path
; could hold another icacls). A failure ends the install with exit code 3 and the command in
; the log, because a folder left open is worse than no install.
Function Icacls
  DetailPrint "icacls $R0"
  nsExec::ExecToLog '"$SYSDIR\icacls.exe" $R0'
  Pop $0
  ${If} $0 != 0
    SetErrorLevel 3
    DetailPrint "icacls failed ($0): the folder's access rights are not set"
    Abort
  ${EndIf}
FunctionEnd
!macro ICACLS ARGS
  StrCpy $R0 `${ARGS}`
  Call Icacls
!macroend

; Sets $1 to non-zero when the path in $R2 is a junction or link (a reparse point).
Function IsLink
  System::Call 'kernel32::GetFileAttributesW(w "$R2") i .r0'
  IntOp $1 $0 & 0x400
  ${If} $0 == -1
    StrCpy $1 0
  ${EndIf}
FunctionEnd

; The install folder, new or existing: owned by Administrators (an owner can always rewrite an
; ACL, and any user can make a folder under C:\ before the install does), its own entries
; replaced and nothing inherited from C:\. Users read and run everything in it; the operators
; may add files, and every operator may change the files added there: the program replaces its
; INI, retry and status files by renaming a new file over them, so whichever operator's copy
; saved last made the file, and the next operator must still be able to save. The installer's
; own files are then shut off from that inheritance (ProtectFile). A junction
; that a user put at the folder's name beforehand is refused: these rights, and the files,
; would land in the place it leads to.
Function ProtectFolder
  StrCpy $R2 "$INSTDIR"
  Call IsLink
  ${If} $1 != 0
    SetErrorLevel 3
    Abort "$INSTDIR is a link to another place; choose another folder."
  ${EndIf}
  !insertmacro ICACLS '"$INSTDIR" /setowner ${ADMINS}'
  !insertmacro ICACLS '"$INSTDIR" /reset'
  !insertmacro ICACLS '"$INSTDIR" /inheritance:r /grant:r ${SYSTEM}:(OI)(CI)F ${ADMINS}:(OI)(CI)F ${USERS}:(OI)(CI)RX'
  !insertmacro ICACLS '"$INSTDIR" /grant "$Operators:(AD,WD)" "$Operators:(OI)(IO)M"'
FunctionEnd

; $R1 is a file the installer wrote: read and run for users, changeable by administrators only,
; whatever the folder hands on to the files added later.
Function ProtectFile
  !insertmacro ICACLS '"$INSTDIR\$R1" /inheritance:r /grant:r ${SYSTEM}:F ${ADMINS}:F ${USERS}:RX /L'
FunctionEnd

; $R1 is log or cache: a real folder owned by Administrators, in which the operators may add,
; change and delete files, but which they cannot rename or remove (Modify on the folder itself
; would let them put a junction in its place). A junction or link found under that name is
; removed, not followed; /L keeps icacls on the name itself.
Function OperatorsFolder
  StrCpy $R2 "$INSTDIR\$R1"
  Call IsLink
  ${If} $1 != 0
    RMDir "$INSTDIR\$R1"
    Delete "$INSTDIR\$R1"
  ${EndIf}
  CreateDirectory "$INSTDIR\$R1"
  !insertmacro ICACLS '"$INSTDIR\$R1" /setowner ${ADMINS} /L'
  !insertmacro ICACLS '"$INSTDIR\$R1" /reset /L'
  !insertmacro ICACLS '"$INSTDIR\$R1" /grant "$Operators:(OI)(CI)(IO)M" "$Operators:(AD,WD)" /L'
FunctionEnd

; $R1 is a file the program keeps beside itself, left from an earlier run. It is written anew
; before the operators get Modify on it: a hard link planted under its name would otherwise
; hand them the file it leads to.
Function OperatorsFile
  ${IfNot} ${FileExists} "$INSTDIR\$R1"
    Return
  ${EndIf}
  ClearErrors
  CopyFiles /SILENT "$INSTDIR\$R1" "$PLUGINSDIR\$R1"
  ${IfNot} ${Errors}
    Delete "$INSTDIR\$R1"
    CopyFiles /SILENT "$PLUGINSDIR\$R1" "$INSTDIR\$R1"
  ${EndIf}
  !insertmacro ICACLS '"$INSTDIR\$R1" /grant "$Operators:M" /L'
FunctionEnd
!macro OPERATORS_MAY_WRITE FUNCTION NAME
  StrCpy $R1 "${NAME}"
  Call ${FUNCTION}
!macroend

!define REFUSED_FOLDER "The program keeps its settings, logs and cache beside itself and must be able to write there, so it cannot be installed under Program Files. Choose a folder such as C:\HistDataToQorp."

Function LeaveDirectory
  Call IsUnderProgramFiles
  ${If} $0 == 1
    MessageBox MB_OK|MB_ICONEXCLAMATION "${REFUSED_FOLDER}"
    Abort
  ${EndIf}
FunctionEnd

Function StartAsLoggedOnUser
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\${EXE}"'
FunctionEnd

; A copy running from $INSTDIR ends as through its tray's Exit ("/exit FOLDER" finds the copy of
; that folder and waits for it), so that its files can be replaced or removed. The installer
; and the uninstaller each ask the exe they carry, never the one in $INSTDIR: that one may have
; been replaced, and they run as administrator. The installer's copy also ends a copy of a
; release without /exit.
!macro CLOSE_RUNNING_COPY EXE_PATH
  ExecWait '"${EXE_PATH}" /exit "$INSTDIR"'
!macroend

; The program built for this Windows, into the output folder.
!macro FILE_FOR_THIS_WINDOWS
  ${If} ${RunningX64}
    File "${DIST}\x64\${EXE}"
  ${Else}
    File "${DIST}\x86\${EXE}"
  ${EndIf}
!macroend

Section "Program (required)" SecProgram
  SectionIn RO
  ; A silent install shows no directory page: the folder from /D is checked here, and the
  ; install ends with exit code 2 before anything is written.
  ${If} ${Silent}
    Call IsUnderProgramFiles
    ${If} $0 == 1
      Abort "${REFUSED_FOLDER}"
    ${EndIf}
  ${EndIf}
  ; The same data twice costs nothing: NSIS stores identical blocks once.
  InitPluginsDir
  SetOutPath "$PLUGINSDIR"
  !insertmacro FILE_FOR_THIS_WINDOWS
  !insertmacro CLOSE_RUNNING_COPY "$PLUGINSDIR\${EXE}"
  CreateDirectory "$INSTDIR"
  Call ProtectFolder
  ; A file written over keeps its old ACL and owner: the installer's files are made anew.
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\help.chm"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  SetOutPath "$INSTDIR"
  !insertmacro FILE_FOR_THIS_WINDOWS
  File "${DIST}\help.chm"
  File "${DIST}\README.txt"
  WriteRegStr HKLM "Software\HistDataToQorp" "InstallDir" "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  !insertmacro OPERATORS_MAY_WRITE ProtectFile "${EXE}"
  !insertmacro OPERATORS_MAY_WRITE ProtectFile "help.chm"
  !insertmacro OPERATORS_MAY_WRITE ProtectFile "README.txt"
  !insertmacro OPERATORS_MAY_WRITE ProtectFile "uninstall.exe"
  !insertmacro OPERATORS_MAY_WRITE OperatorsFolder "log"
  !insertmacro OPERATORS_MAY_WRITE OperatorsFolder "cache"
  !insertmacro OPERATORS_MAY_WRITE OperatorsFile "HistDataToQorp.ini"
  !insertmacro OPERATORS_MAY_WRITE OperatorsFile "HistDataToQorp.retry"
  !insertmacro OPERATORS_MAY_WRITE OperatorsFile "HistDataToQorp.retry.bad"
  !insertmacro OPERATORS_MAY_WRITE OperatorsFile "HistDataToQorp.status"
  !insertmacro OPERATORS_MAY_WRITE OperatorsFile "HistDataToQorp.log_handle"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "HistData to Brel Qorp Utility"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegExpandStr HKLM "${EVENT_SOURCE_KEY}" "EventMessageFile" "$INSTDIR\${EXE}"
  ; Error, warning and information.
  WriteRegDWORD HKLM "${EVENT_SOURCE_KEY}" "TypesSupported" 7
SectionEnd

Section "Start with Windows (all users)" SecStartup
  SetShellVarContext all
  ; Same shortcut as the program's own "Add to Startup Folder": minimised, second icon.
  CreateShortcut "$SMSTARTUP\HistDataToQorp.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 1 SW_SHOWMINIMIZED
SectionEnd

Section "Start menu shortcuts" SecMenu
  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\HistData to Brel Qorp"
  CreateShortcut "$SMPROGRAMS\HistData to Brel Qorp\HistData to Brel Qorp Utility.lnk" "$INSTDIR\${EXE}"
  CreateShortcut "$SMPROGRAMS\HistData to Brel Qorp\Help.lnk" "$INSTDIR\help.chm"
  CreateShortcut "$SMPROGRAMS\HistData to Brel Qorp\Uninstall.lnk" "$INSTDIR\uninstall.exe"
SectionEnd

; The INI file, the logs, the cache and every exported CSV file stay: they are the plant's data.
Section "Uninstall"
  InitPluginsDir
  SetOutPath "$PLUGINSDIR"
  !insertmacro FILE_FOR_THIS_WINDOWS
  !insertmacro CLOSE_RUNNING_COPY "$PLUGINSDIR\${EXE}"
  SetOutPath "$TEMP"
  retry:
    ClearErrors
    Delete "$INSTDIR\${EXE}"
    IfErrors 0 removed
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "HistData to Brel Qorp Utility is still running from $INSTDIR. Choose Exit in its notification-area menu, then Retry." /SD IDCANCEL IDRETRY retry
    Abort "The program is still running; nothing was removed."
  removed:
  Delete "$INSTDIR\help.chm"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  SetShellVarContext all
  Delete "$SMSTARTUP\HistDataToQorp.lnk"
  RMDir /r "$SMPROGRAMS\HistData to Brel Qorp"
  ; The program's own "Add to Startup Folder" falls back to the user's Startup folder.
  SetShellVarContext current
  Delete "$SMSTARTUP\HistDataToQorp.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\HistDataToQorp"
  DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"
  RMDir "$INSTDIR"
SectionEnd
