; Installer of the HistData to Brel Qorp Utility.
; The program keeps its INI file, logs and cache beside itself, so the operators must be able to
; write there, and a folder under Program Files is refused. The folder gets an ACL of its own:
; what an administrator's logon starts (the program, through the all-users Startup shortcut)
; and what the elevated uninstaller is (uninstall.exe) must not be replaceable by a user, and
; C:\ hands Authenticated Users Modify on everything made below it.
; One installer for every plant PC: a 32-bit installer runs on 32-bit and 64-bit Windows alike,
; and installs the 64-bit program where Windows is 64-bit and the 32-bit program elsewhere.
; Exit codes, for the tools that roll it out: 0 installed; 1 cancelled; 2 the folder is under
; Program Files; 3 icacls failed; 4 a running copy did not end; 5 the file named by /INI= is
; missing or lacks the program's keys; 6 a file could not be written (the previous version stays).
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
!define PUBLISHER "Brel Qorp"
; No web site of the product exists yet: Programs and Features links to the installed help.
!ifndef ABOUT_URL
  !define ABOUT_URL "$INSTDIR\help.chm"
!endif
; The program's events in the Application log take their text from the message table in its exe.
!define EVENT_SOURCE_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\HistDataToQorp"

Name "HistData to Brel Qorp Utility ${VERSION}"
OutFile "${OUTFILE}"
!define DEFAULT_DIR "C:\HistDataToQorp"
InstallDir "${DEFAULT_DIR}"
InstallDirRegKey HKLM "Software\HistDataToQorp" "InstallDir"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"
!include "FileFunc.nsh"
!include "TextFunc.nsh"
!include "Sections.nsh"
; The uninstaller is written inside the installer, so it is signed there, before it is packed.
!ifdef SIGN
  !uninstfinalize '"${SIGN}" "%1"' = 0
!endif
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
; The prepared INI file from /INI=PATH, empty without one.
Var PreparedIni
; 1 once no copy runs from $INSTDIR (a copy ended for the install is started again if it fails).
Var ClosedCopy
; 1 once the installer started the program.
Var Started

; SIDs, not names: the names differ with the language of Windows.
!define SYSTEM "*S-1-5-18"
!define ADMINS "*S-1-5-32-544"
!define USERS "*S-1-5-32-545"

; What the install did, line by line: shown in its details, and left in $INSTDIR\install.log for
; the IT team of a silent roll-out (the log of the last run only). It is kept in the plug-ins
; folder until the end: the install folder may not exist yet, and the operators may add files
; to it.
Function WriteLog
  Exch $R9
  Push $R8
  DetailPrint $R9
  FileOpen $R8 "$PLUGINSDIR\install.log" a
  ${If} $R8 != ""
    FileSeek $R8 0 END
    FileWrite $R8 "$R9$\r$\n"
    FileClose $R8
  ${EndIf}
  Pop $R8
  Pop $R9
FunctionEnd
!macro LOG TEXT
  Push `${TEXT}`
  Call WriteLog
!macroend

; The log replaces the one of the last run: deleted first, as a link planted under its name
; would otherwise lead the copy elsewhere.
Function PublishLog
  ${If} ${FileExists} "$INSTDIR\*.*"
    Delete "$INSTDIR\install.log"
    CopyFiles /SILENT "$PLUGINSDIR\install.log" "$INSTDIR\install.log"
  ${EndIf}
FunctionEnd

; Ends the install with the exit code and the reason on the stack (code pushed first): in the
; log, and in a message box unless the install is silent.
Function Fail
  Exch $R9
  Exch
  Exch $R8
  SetErrorLevel $R8
  !insertmacro LOG "$R9"
  !insertmacro LOG "The install failed (exit code $R8)."
  ; The version left in place runs again, as it ran before the install began.
  ${If} $ClosedCopy == 1
  ${AndIf} ${FileExists} "$INSTDIR\HistDataToQorp.restart"
    Call RestartEndedCopy
  ${EndIf}
  ; A folder refused, or a configuration refused, is left as it was.
  ${If} $R8 != 2
  ${AndIf} $R8 != 5
    Call PublishLog
  ${EndIf}
  MessageBox MB_OK|MB_ICONSTOP "$R9" /SD IDOK
  Abort
FunctionEnd
!macro FAIL CODE TEXT
  Push ${CODE}
  Push `${TEXT}`
  Call Fail
!macroend

; Runs icacls with the arguments in $R0 (by full path: a folder earlier on the search path
; could hold another icacls). A failure ends the install with exit code 3 and the command in
; the log, because a folder left open is worse than no install.
Function Icacls
  DetailPrint "icacls $R0"
  nsExec::ExecToLog '"$SYSDIR\icacls.exe" $R0'
  Pop $0
  ${If} $0 != 0
    !insertmacro FAIL 3 "icacls failed ($0): the folder's access rights are not set."
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
    !insertmacro FAIL 3 "$INSTDIR is a link to another place; choose another folder."
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

; Once only: the finish page offers the start too, and a second start would only bring the
; running copy's window to the front.
Function StartAsLoggedOnUser
  ${If} $Started != 1
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\${EXE}"'
    StrCpy $Started 1
  ${EndIf}
FunctionEnd

; The program built for this Windows, into the output folder under the name NAME.
!macro FILE_FOR_THIS_WINDOWS NAME
  ${If} ${RunningX64}
    File "/oname=${NAME}" "${DIST}\x64\${EXE}"
  ${Else}
    File "/oname=${NAME}" "${DIST}\x86\${EXE}"
  ${EndIf}
!macroend

; A copy running from $INSTDIR ends as through its tray's Exit ("/exit FOLDER" ends the copy of
; that folder in any session and waits for it), so that its files can be replaced or removed.
; The installer and the uninstaller each ask the exe they carry, never the one in $INSTDIR: that
; one may have been replaced, and they run as administrator. The installer's copy also ends a
; copy of a release without /exit.
; A copy that is still running would keep its exe, and an upgrade would leave the old program
; in place without a word; nothing is replaced then.
Function CloseRunningCopy
  ClearErrors
  ExecWait '"$PLUGINSDIR\${EXE}" /exit "$INSTDIR"' $0
  ${If} ${Errors}
    StrCpy $0 "not run"
  ${EndIf}
  ${If} $0 != 0
    !insertmacro FAIL 4 "HistData to Brel Qorp Utility is still running from $INSTDIR and did not end (/exit: $0). Choose Exit in its notification-area menu, or end it in every session, then install again. Nothing was changed."
  ${EndIf}
  !insertmacro LOG "No copy runs from $INSTDIR any more."
  StrCpy $ClosedCopy 1
FunctionEnd

; A line "KEY=", empty or not, must be there; $R7 collects the missing ones.
!macro NEEDS_KEY KEY
  ClearErrors
  ${ConfigRead} "$PreparedIni" "${KEY}=" $0
  ${If} ${Errors}
    StrCpy $R7 "$R7 ${KEY}="
  ${EndIf}
!macroend

; A prepared INI file that the program could not run with is refused before anything is written:
; fifty PCs would otherwise start with a configuration to be repaired by hand on each.
Function CheckPreparedIni
  ${If} $PreparedIni == ""
    Return
  ${EndIf}
  ${IfNot} ${FileExists} "$PreparedIni"
    !insertmacro FAIL 5 "The configuration file $PreparedIni (/INI=) does not exist."
  ${EndIf}
  StrCpy $R7 ""
  !insertmacro NEEDS_KEY DDE_LINKTOPIC
  !insertmacro NEEDS_KEY DDE_LGH_FOLDER
  !insertmacro NEEDS_KEY DDE_TAGNAME_FILE
  !insertmacro NEEDS_KEY DDE_HISTDATA_FOLDER
  !insertmacro NEEDS_KEY OUTPUT_FOLDER
  !insertmacro NEEDS_KEY LAST_RUN
  ${If} $R7 != ""
    !insertmacro FAIL 5 "The configuration file $PreparedIni (/INI=) is not one of this program: it lacks the lines$R7. Nothing was changed."
  ${EndIf}
FunctionEnd

; The prepared INI file as HistDataToQorp.ini.new. An empty LAST_RUN is left out: the program then
; starts from the day before its first start on each PC, as with an INI file of its own.
Function StagePreparedIni
  ClearErrors
  FileOpen $R5 "$PreparedIni" r
  FileOpen $R6 "$INSTDIR\HistDataToQorp.ini.new" w
  ${If} ${Errors}
    FileClose $R5
    FileClose $R6
    StrCpy $0 1
    Return
  ${EndIf}
  StrCpy $R8 "HistDataToQorp.ini copied from $PreparedIni."
  StrCpy $0 0
  ${Do}
    ClearErrors
    FileRead $R5 $R3
    ${If} ${Errors}
      ${ExitDo}
    ${EndIf}
    StrCpy $R4 $R3
    ${TrimNewLines} $R4 $R4
    ${If} $R4 == "LAST_RUN="
      StrCpy $R8 "HistDataToQorp.ini copied from $PreparedIni, without its empty LAST_RUN: the program starts from the day before its first start."
      ${Continue}
    ${EndIf}
    FileWrite $R6 $R3
    ${If} ${Errors}
      StrCpy $0 1
      ${ExitDo}
    ${EndIf}
  ${Loop}
  FileClose $R5
  FileClose $R6
FunctionEnd

; NSIS skips a file it cannot overwrite, silently in a silent install, which would leave half an
; upgrade. So every file is first written beside its old one (NAME.new); only when all are there
; are the old ones moved aside (NAME.old) and the new ones renamed into place, and a failure puts
; the old ones back. A file written over would also keep its old ACL and owner: these are new.
!macro INSTALLED_FILES DO
  StrCpy $R1 "README.txt"
  Call ${DO}
  StrCpy $R1 "help.chm"
  Call ${DO}
  StrCpy $R1 "${EXE}"
  Call ${DO}
  StrCpy $R1 "uninstall.exe"
  Call ${DO}
  ${If} $IniStaged == 1
    StrCpy $R1 "HistDataToQorp.ini"
    Call ${DO}
  ${EndIf}
!macroend
Var IniStaged
Var Replaced

; Clears the names NAME.new and NAME.old ($R1) for this install; $Replaced becomes 0 if one stays.
Function ClearStaging
  Delete "$INSTDIR\$R1.new"
  Delete "$INSTDIR\$R1.old"
  ${If} ${FileExists} "$INSTDIR\$R1.new"
  ${OrIf} ${FileExists} "$INSTDIR\$R1.old"
    StrCpy $Replaced 0
  ${EndIf}
FunctionEnd

; $Replaced becomes 0 when NAME.new ($R1) is missing.
Function CheckStaged
  ${IfNot} ${FileExists} "$INSTDIR\$R1.new"
    StrCpy $Replaced 0
  ${EndIf}
FunctionEnd

; Moves NAME ($R1) aside and NAME.new into its place, unless an earlier one failed. (Testing the
; error flag clears it, hence one test per step.)
Function SwapIn
  ${If} $Replaced == 0
    Return
  ${EndIf}
  ClearErrors
  ${If} ${FileExists} "$INSTDIR\$R1"
    Rename "$INSTDIR\$R1" "$INSTDIR\$R1.old"
    ${If} ${Errors}
      StrCpy $Replaced 0
    ${EndIf}
  ${EndIf}
  ${If} $Replaced == 1
    Rename "$INSTDIR\$R1.new" "$INSTDIR\$R1"
    ${If} ${Errors}
      StrCpy $Replaced 0
    ${EndIf}
  ${EndIf}
  ${If} $Replaced == 0
    !insertmacro LOG "$INSTDIR\$R1 cannot be replaced: it is in use or write-protected."
  ${EndIf}
FunctionEnd

; Undoes SwapIn for NAME ($R1): a NAME.new still there was never moved in, a NAME.old is the old
; file, and a new file without either had no old one.
Function RollBack
  ${If} ${FileExists} "$INSTDIR\$R1.new"
    Delete "$INSTDIR\$R1.new"
  ${ElseIf} ${FileExists} "$INSTDIR\$R1.old"
    Delete "$INSTDIR\$R1"
    Rename "$INSTDIR\$R1.old" "$INSTDIR\$R1"
  ${Else}
    Delete "$INSTDIR\$R1"
  ${EndIf}
FunctionEnd

; An exe still mapped by a process that outlived /exit cannot be deleted: it goes when Windows
; starts again.
Function DropOld
  Delete /REBOOTOK "$INSTDIR\$R1.old"
FunctionEnd

Function ReplaceFiles
  StrCpy $Replaced 1
  StrCpy $IniStaged 0
  !insertmacro INSTALLED_FILES ClearStaging
  ${If} $Replaced == 0
    !insertmacro FAIL 6 "Files of an earlier, broken-off install ($R1.new or .old) cannot be removed from $INSTDIR. Nothing was changed."
  ${EndIf}
  SetOutPath "$INSTDIR"
  SetOverwrite try
  !insertmacro FILE_FOR_THIS_WINDOWS "${EXE}.new"
  File "/oname=help.chm.new" "${DIST}\help.chm"
  File "/oname=README.txt.new" "${DIST}\README.txt"
  SetOverwrite on
  WriteUninstaller "$INSTDIR\uninstall.exe.new"
  ${If} $PreparedIni != ""
    ${If} ${FileExists} "$INSTDIR\HistDataToQorp.ini"
      !insertmacro LOG "HistDataToQorp.ini is already in $INSTDIR and stays as it is; $PreparedIni (/INI=) was not used."
    ${Else}
      StrCpy $R1 "HistDataToQorp.ini"
      Call ClearStaging
      Call StagePreparedIni
      ${If} $0 != 0
        StrCpy $Replaced 0
      ${EndIf}
      StrCpy $IniStaged 1
    ${EndIf}
  ${EndIf}
  !insertmacro INSTALLED_FILES CheckStaged
  ${If} $Replaced == 1
    !insertmacro INSTALLED_FILES SwapIn
  ${Else}
    !insertmacro LOG "The new files cannot be written into $INSTDIR."
  ${EndIf}
  ${If} $Replaced == 0
    !insertmacro INSTALLED_FILES RollBack
    !insertmacro FAIL 6 "The install could not replace the files in $INSTDIR; the version installed before is left in place. Close what uses them (the program, its help) and install again."
  ${EndIf}
  !insertmacro INSTALLED_FILES DropOld
  ${If} $IniStaged == 1
    !insertmacro LOG $R8
  ${EndIf}
  !insertmacro LOG "Files of version ${VERSION} in place."
FunctionEnd

; Adds the size of $INSTDIR\$R1 in bytes to $R2.
Function AddSize
  ${GetSize} "$INSTDIR" "/M=$R1 /S=0B /G=0" $0 $1 $2
  IntOp $R2 $R2 + $0
FunctionEnd

; One entry in Programs and Features per PC. The 64-bit installer of version 1.0.7's first
; builds wrote its entry, and the install folder, into the 64-bit registry; this installer
; writes the 32-bit one, so an entry left there is removed.
Function WriteUninstallEntry
  StrCpy $R2 0
  !insertmacro INSTALLED_FILES AddSize
  IntOp $R2 $R2 + 1023
  IntOp $R2 $R2 / 1024
  WriteRegStr HKLM "Software\HistDataToQorp" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "HistData to Brel Qorp Utility"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "HelpLink" "$INSTDIR\help.chm"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${ABOUT_URL}"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $R2
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  Call RemoveEntryOf64BitView
  !insertmacro LOG "Programs and Features: HKLM\${UNINSTALL_KEY} (32-bit registry), version ${VERSION}, $R2 KB."
FunctionEnd
Function RemoveEntryOf64BitView
  ${If} ${RunningX64}
    SetRegView 64
    ClearErrors
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "DisplayName"
    ${IfNot} ${Errors}
      DeleteRegKey HKLM "${UNINSTALL_KEY}"
      !insertmacro LOG "The entry of an earlier install in the 64-bit registry was removed."
    ${EndIf}
    DeleteRegKey HKLM "Software\HistDataToQorp"
    SetRegView 32
  ${EndIf}
FunctionEnd

Section "Program (required)" SecProgram
  SectionIn RO
  InitPluginsDir
  !insertmacro LOG "HistData to Brel Qorp Utility ${VERSION} into $INSTDIR"
  ; A silent install shows no directory page: the folder from /D is checked here, and the
  ; install ends with exit code 2 before anything is written.
  ${If} ${Silent}
    Call IsUnderProgramFiles
    ${If} $0 == 1
      !insertmacro FAIL 2 "${REFUSED_FOLDER}"
    ${EndIf}
  ${EndIf}
  Call CheckPreparedIni
  ; The same data twice costs nothing: NSIS stores identical blocks once.
  SetOutPath "$PLUGINSDIR"
  !insertmacro FILE_FOR_THIS_WINDOWS "${EXE}"
  Call CloseRunningCopy
  CreateDirectory "$INSTDIR"
  Call ProtectFolder
  Call ReplaceFiles
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
  Call WriteUninstallEntry
  WriteRegExpandStr HKLM "${EVENT_SOURCE_KEY}" "EventMessageFile" "$INSTDIR\${EXE}"
  ; Error, warning and information.
  WriteRegDWORD HKLM "${EVENT_SOURCE_KEY}" "TypesSupported" 7
SectionEnd

Section "Start with Windows (all users)" SecStartup
  SetShellVarContext all
  ; Same shortcut as the program's own "Add to Startup Folder": minimised, second icon.
  CreateShortcut "$SMSTARTUP\HistDataToQorp.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 1 SW_SHOWMINIMIZED
  !insertmacro LOG "Startup shortcut for all users made."
SectionEnd

Section "Start menu shortcuts" SecMenu
  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\HistData to Brel Qorp"
  CreateShortcut "$SMPROGRAMS\HistData to Brel Qorp\HistData to Brel Qorp Utility.lnk" "$INSTDIR\${EXE}"
  CreateShortcut "$SMPROGRAMS\HistData to Brel Qorp\Help.lnk" "$INSTDIR\help.chm"
  CreateShortcut "$SMPROGRAMS\HistData to Brel Qorp\Uninstall.lnk" "$INSTDIR\uninstall.exe"
SectionEnd

; Without the Startup section an upgrade also takes away the shortcut an earlier install made:
; the PC then starts as it was asked to.
Section "-NoStartup"
  ${IfNot} ${SectionIsSelected} ${SecStartup}
    SetShellVarContext all
    ${If} ${FileExists} "$SMSTARTUP\HistDataToQorp.lnk"
      Delete "$SMSTARTUP\HistDataToQorp.lnk"
      !insertmacro LOG "Startup shortcut for all users removed."
    ${EndIf}
  ${EndIf}
SectionEnd

; The copy that the upgrade ended (it left HistDataToQorp.restart) runs again: at once when it
; ran in this session, else at its user's next logon, as the installer cannot start a program
; in another user's session.
Section "-Restart"
  ${If} ${FileExists} "$INSTDIR\HistDataToQorp.restart"
    Call RestartEndedCopy
  ${EndIf}
  !insertmacro LOG "Installed."
  Call PublishLog
SectionEnd

Function RestartEndedCopy
  StrCpy $R1 "$INSTDIR\HistDataToQorp.restart"
  ${ConfigRead} $R1 "Session=" $R2
  ${ConfigRead} $R1 "User=" $R3
  ${ConfigRead} $R1 "Sid=" $R4
  ${ConfigRead} $R1 "Startup=" $R5
  Delete $R1
  System::Call 'kernel32::GetCurrentProcessId() i .r0'
  System::Call 'kernel32::ProcessIdToSessionId(i r0, *i 0 r1) i .r2'
  SetShellVarContext all
  StrCpy $R6 "$INSTDIR\${EXE}"
  StrCpy $R7 $R4 6
  ${If} $2 != 0
  ${AndIf} $R2 == $1
    Call StartAsLoggedOnUser
    !insertmacro LOG "The copy ended for the upgrade (session $R2, $R3) was started again."
  ${ElseIf} $R5 == 1
  ${OrIf} ${FileExists} "$SMSTARTUP\HistDataToQorp.lnk"
    !insertmacro LOG "The copy ended for the upgrade (session $R2, $R3) starts again at that user's next logon, through the Startup shortcut."
  ${ElseIf} $R7 != "S-1-5-"
    !insertmacro LOG "The copy ended for the upgrade (session $R2, $R3) named no user: start it again by hand."
  ${Else}
    ; The hive of a user who is not logged on is not loaded; HKU takes no new key of its own.
    ClearErrors
    EnumRegKey $0 HKU "$R4" 0
    ${IfNot} ${Errors}
      WriteRegStr HKU "$R4\Software\Microsoft\Windows\CurrentVersion\RunOnce" "HistDataToQorp" '"$R6"'
    ${Else}
      SetErrors
    ${EndIf}
    ${If} ${Errors}
      !insertmacro LOG "The copy ended for the upgrade (session $R2, $R3) is not started again: that user's registry is not loaded. Start it again by hand."
    ${Else}
      !insertmacro LOG "The copy ended for the upgrade (session $R2, $R3) starts again at that user's next logon (RunOnce)."
    ${EndIf}
  ${EndIf}
FunctionEnd

; Switches: /OPERATORS=GROUP, /INI=PATH, /NOSTARTUP (see the help page "Installing").
Function .onInit
  StrCpy $Operators "*S-1-5-32-545"
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/OPERATORS=" $1
  ${IfNot} ${Errors}
  ${AndIf} $1 != ""
    StrCpy $Operators $1
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/INI=" $1
  ${IfNot} ${Errors}
  ${AndIf} $1 != ""
    ; Relative to the folder the installer was started in.
    GetFullPathName $PreparedIni $1
    ${If} $PreparedIni == ""
      StrCpy $PreparedIni $1
    ${EndIf}
  ${EndIf}
  ; The 64-bit installer of 1.0.7's first builds noted its folder in the 64-bit registry only: an
  ; upgrade of such an install goes to that folder unless /D= names another. (NSIS takes /D= off
  ; the command line, so only a folder other than the default shows it.)
  ${If} ${RunningX64}
  ${AndIf} $INSTDIR == "${DEFAULT_DIR}"
    SetRegView 64
    ReadRegStr $1 HKLM "Software\HistDataToQorp" "InstallDir"
    SetRegView 32
    ${If} $1 != ""
      StrCpy $INSTDIR $1
    ${EndIf}
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/NOSTARTUP" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecStartup}
  ${EndIf}
FunctionEnd

; The INI file, the logs, the cache and every exported CSV file stay: they are the plant's data.
Section "Uninstall"
  InitPluginsDir
  SetOutPath "$PLUGINSDIR"
  !insertmacro FILE_FOR_THIS_WINDOWS "${EXE}"
  ClearErrors
  ExecWait '"$PLUGINSDIR\${EXE}" /exit "$INSTDIR"' $0
  ${If} ${Errors}
  ${OrIf} $0 != 0
    ; A copy in another session that did not end keeps its files: nothing is removed.
    MessageBox MB_OK|MB_ICONEXCLAMATION "HistData to Brel Qorp Utility is still running from $INSTDIR and did not end (/exit: $0). End it in every session, then uninstall again." /SD IDOK
    SetErrorLevel 4
    Abort "The program is still running; nothing was removed."
  ${EndIf}
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
  Delete "$INSTDIR\HistDataToQorp.restart"
  SetShellVarContext all
  Delete "$SMSTARTUP\HistDataToQorp.lnk"
  RMDir /r "$SMPROGRAMS\HistData to Brel Qorp"
  ; The program's own "Add to Startup Folder" falls back to the user's Startup folder.
  SetShellVarContext current
  Delete "$SMSTARTUP\HistDataToQorp.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\HistDataToQorp"
  DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"
  Delete "$INSTDIR\install.log"
  RMDir "$INSTDIR"
SectionEnd
