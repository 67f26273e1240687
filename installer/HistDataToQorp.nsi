; Installer of the HistData to Brel Qorp Utility.
; The program keeps its INI file, logs and cache beside itself, so the default folder is one
; that the operator can write, and a folder under Program Files is refused.
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
; asks the exe it brings, which also ends a copy of a release without /exit.
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
  SetOutPath "$INSTDIR"
  !insertmacro FILE_FOR_THIS_WINDOWS
  File "${DIST}\help.chm"
  File "${DIST}\README.txt"
  WriteRegStr HKLM "Software\HistDataToQorp" "InstallDir" "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "HistData to Brel Qorp Utility"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
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
  ${If} ${FileExists} "$INSTDIR\${EXE}"
    !insertmacro CLOSE_RUNNING_COPY "$INSTDIR\${EXE}"
  ${EndIf}
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
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\HistDataToQorp"
  RMDir "$INSTDIR"
SectionEnd
